#pragma once
// One run of the store over files in memory, as the popup runs it: the
// store's messages answered here, its writer pumped on this thread, and time
// passed at once on a clock of the run's own.
#include <chrono>
#include <memory>
#include <string>
#include <vector>

#include "history/model/ClipOptions.h"
#include "history/model/HistoryModel.h"
#include "history/store/DurableHistory.h"
#include "MemoryFiles.h"

namespace crash {

class Program {
public:
    // `folder` ends with a backslash and exists in `files`.
    Program(MemoryFiles& files, const std::wstring& folder);
    // Gone as a killed process goes, unless it exited.
    ~Program();
    Program(const Program&) = delete;
    Program& operator=(const Program&) = delete;

    // The popup's start: the folder, the settings, the history, then the writer.
    void StartUp();
    // Lets time pass: the store's messages answered, due work done.
    void Pass(std::chrono::milliseconds time);

    void CopyText(const std::wstring& text, const EntryFormats* formats = nullptr);
    void CopyPicture(COLORREF colour);
    void Delete(int row);
    void SetTop(int row);
    void ClearAll();
    // Forgetting by age and clearing at the lock: everything outside the top zone goes.
    void ForgetOld();
    void ClearAtLock();
    void SetEncrypted(bool encrypted);
    // The exit's last save; true when it all reached the disk.
    bool Exit();

    HistoryModel& Model() { return m_model; }
    const ClipOptions& Options() const { return m_options; }
    DurableHistory& Durable() { return *m_durable; }
    // What the user was told (reports, set aside, encryption refused), in order.
    const std::vector<std::wstring>& Told() const { return m_told; }

private:
    void Answer(UINT message);
    void Handle();

    MemoryFiles& m_files;
    std::wstring m_folder;
    HistoryModel m_model;
    ClipOptions m_options;
    std::unique_ptr<DurableHistory> m_durable;
    std::chrono::steady_clock::time_point m_now;
    std::chrono::steady_clock::time_point m_readAgain;
    std::vector<UINT> m_messages;
    std::vector<std::wstring> m_told;
    bool m_exited = false;
};

// A picture entry's colour, as a check compares pictures.
COLORREF ColourOf(HBITMAP bitmap);

}  // namespace crash
