#pragma once
#include <windows.h>

#include <chrono>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "history/store/disk/DiskFile.h"
#include "history/store/journal/JournalFormat.h"
#include "history/store/saveset/SaveSet.h"
#include "history/store/sealed/StoreForm.h"

// The journal file that changes are appended to. A frame that cannot be
// written is cut off again and kept, and goes out before the next one; the
// data reaches the disk (a flush) at most a second after it was written.
// Frames kept beyond kPendingBound are dropped until a full save holds their
// changes: the memory of what could not be written stays bounded.
class JournalFile {
public:
    using Clock = std::chrono::steady_clock;
    using Now = std::function<Clock::time_point()>;

    static constexpr size_t kPendingBound = size_t{64} << 20;

    // `folder` ends with a backslash; the journal's name follows the form.
    JournalFile(std::wstring folder, disk::FileSystem& files)
        : m_folder(std::move(folder)), m_path(m_folder + m_form.JournalName()), m_file(files)
    {
    }

    // The time that flushes are planned by (the system's steady clock unless set).
    void SetClock(Now now) { m_now = std::move(now); }
    // The form frames are written in (sealed at the offset they land on), from the next write.
    void SetForm(StoreForm form);

    // Appends to the journal already there (at `path`, which a waiting save
    // moves into place), whose first `length` bytes are whole and end with `chain`.
    void Continue(const std::wstring& path, std::uint64_t length, std::uint32_t chain, bool chained);
    // The next append starts a new journal for this full save.
    void StartAfresh(journal::Header base);
    // Appends from now on to another file (a new journal that a save will move
    // into place, in the save's form), whose `length` bytes are written and flushed.
    void SwitchTo(const std::wstring& path, std::uint64_t length, std::uint32_t chain, StoreForm form);
    // Flushes and lets go of the file.
    void Close();
    // A save has moved the journal it was kept in into place: an open handle
    // follows the file, a later open finds it under its own name.
    void Settled() { m_openPath = m_path; }

    // False when it could not be written; the failure says why
    // (ERROR_NOT_ENOUGH_MEMORY: the frame was dropped, see Overflowed).
    bool Append(const std::vector<std::uint8_t>& frame, SaveSet::Failure& failure);
    // Tries again the frames that could not be written.
    bool WritePending(SaveSet::Failure& failure);
    bool HasPending() const { return !m_pending.empty(); }
    // Frames were dropped: only a full save holds every change now.
    bool Overflowed() const { return m_overflowed; }
    // Drops frames that failed, once a full save holds their changes.
    void ForgetPending();

    // When the written data must reach the disk; max() when nothing waits. A
    // flush that fails is tried again a second later.
    Clock::time_point FlushDue() const { return m_flushDue; }
    void Flush();
    void FlushIfDue();
    // Tests see each flush of written data.
    static void SetFlushObserverForTesting(std::function<void()> observer);
    std::uint64_t Length() const { return m_length; }

private:
    bool Open(SaveSet::Failure& failure);

    std::wstring m_folder;
    StoreForm m_form;
    std::wstring m_path;
    std::wstring m_openPath;
    DiskFile m_file;
    std::uint64_t m_length = 0;
    std::uint32_t m_chain = 0;
    bool m_chained = true;  // false while it goes on with a journal of an earlier version
    bool m_fresh = false;
    bool m_cutNeeded = false;
    journal::Header m_base;
    std::vector<std::vector<std::uint8_t>> m_pending;
    size_t m_pendingBytes = 0;
    bool m_overflowed = false;
    Clock::time_point m_flushDue = Clock::time_point::max();
    Now m_now = [] { return Clock::now(); };
};
