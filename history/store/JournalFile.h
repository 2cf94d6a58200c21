#pragma once
#include <windows.h>

#include <chrono>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "framework/CFile.h"
#include "history/store/JournalFormat.h"
#include "history/store/SaveSet.h"

// The journal file that changes are appended to. A frame that cannot be
// written is cut off again and kept, and goes out before the next one; the
// data reaches the disk (a flush) at most a second after it was written.
class JournalFile {
public:
    using Clock = std::chrono::steady_clock;

    explicit JournalFile(std::wstring path) : m_path(std::move(path)) {}

    // Appends to the journal already there (at `path`, which a waiting save
    // moves into place), whose first `length` bytes are whole.
    void Continue(const std::wstring& path, std::uint64_t length);
    // The next append starts a new journal for this full save.
    void StartAfresh(journal::Header base);
    // Appends from now on to another file (a new journal that a save will move
    // into place), whose `length` bytes are written and flushed.
    void SwitchTo(const std::wstring& path, std::uint64_t length);
    // Flushes and lets go of the file.
    void Close();
    // A save has moved the journal it was kept in into place: an open handle
    // follows the file, a later open finds it under its own name.
    void Settled() { m_openPath = m_path; }

    // False when it could not be written; the failure says why.
    bool Append(const std::vector<std::uint8_t>& frame, SaveSet::Failure& failure);
    bool HasPending() const { return !m_pending.empty(); }
    // Drops frames that failed, once a full save holds their changes.
    void ForgetPending() { m_pending.clear(); }

    // When the written data must reach the disk; max() when nothing waits.
    Clock::time_point FlushDue() const { return m_flushDue; }
    void Flush();
    void FlushIfDue();
    // Tests see each flush of written data.
    static void SetFlushObserverForTesting(std::function<void()> observer);
    std::uint64_t Length() const { return m_length; }

private:
    bool Open(SaveSet::Failure& failure);

    std::wstring m_path;
    std::wstring m_openPath;
    CFile m_file;
    std::uint64_t m_length = 0;
    bool m_fresh = false;
    bool m_cutNeeded = false;
    journal::Header m_base;
    std::vector<std::vector<std::uint8_t>> m_pending;
    Clock::time_point m_flushDue = Clock::time_point::max();
};
