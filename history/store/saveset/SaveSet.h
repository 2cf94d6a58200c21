#pragma once
#include <windows.h>

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "framework/CFile.h"
#include "history/store/disk/FileSteps.h"
#include "history/store/disk/FileSystem.h"
#include "history/store/formats/FileNames.h"

// Files of the data folder that replace their older versions together or not
// at all. Each new file is written and flushed beside its target under a name
// of its own ("<name>.<process id>-<count>.qtmp"); then the intent
// ("save.intent") names every move and every file the set leaves stale; then
// the moves are made, the stale files removed, and the intent goes. A save interrupted before its intent is whole leaves the old files;
// one interrupted after is finished by Recover at the next start.
class SaveSet {
public:
    static constexpr const wchar_t* kIntentName = g_strIntentFileName;

    // `folder` ends with a backslash.
    explicit SaveSet(std::wstring folder, disk::FileSystem& files = disk::SystemFiles());
    // Removes the temporary files of a set that was not committed.
    ~SaveSet();
    SaveSet(const SaveSet&) = delete;
    SaveSet& operator=(const SaveSet&) = delete;

    // Writes a new version of `name` through `body` (writes throw CFileWriteError).
    // False when it cannot be written; Failure() says why.
    bool AddFile(const std::wstring& name, const std::function<void(CFile&)>& body);
    // A file of the folder that the set leaves stale: removed once the moves
    // are made, by whichever run finishes the set.
    void AddStale(const std::wstring& name);
    // The temporary file that becomes `name`, for one who keeps it open across the commit.
    std::wstring TemporaryPath(const std::wstring& name) const;

    // Writes the intent, calls `intentWritten` (the point of no return), then
    // makes the moves, removes the stale files and the intent. When a move or
    // a removal fails the intent stays: Recover finishes the set later.
    // `wait`: how long a move waits for a file another program holds.
    bool Commit(const std::function<void()>& intentWritten = nullptr, disk::MoveWait wait = disk::MoveWait::AboutASecond);

    struct Failure {
        std::wstring file;
        DWORD error = ERROR_SUCCESS;
    };
    const Failure& LastFailure() const { return m_failure; }

    // Finishes a set whose intent is whole and removes what a torn one left.
    // False (with the failure) when a move of a whole intent still fails;
    // `waiting` then maps each target still to come to the file that holds its
    // new version, and each stale file still there to an empty name, so that
    // a start can read the set as it will stand. An intent
    // that cannot be read, or that names files outside the set, is left as it
    // is with every temporary file (false, the failure names the intent).
    static bool Recover(const std::wstring& folder, Failure* failure = nullptr,
                        std::map<std::wstring, std::wstring>* waiting = nullptr,
                        disk::MoveWait wait = disk::MoveWait::AboutASecond,
                        disk::FileSystem& files = disk::SystemFiles());

    // Tests stop a set at one of its file operations, counted from 0, as a
    // killed process would: nothing after it runs, nothing is cleaned up.
    // Recover's moves count from 0 too.
    using Interruption = std::function<bool(int operation)>;
    static void SetInterruptionForTesting(Interruption interruption);

private:
    bool Interrupted();
    bool Fail(const std::wstring& file, DWORD error);

    std::wstring m_folder;
    disk::FileSystem& m_files;
    std::wstring m_token;
    std::vector<std::pair<std::wstring, std::wstring>> m_moves;  // temporary name, target name
    std::vector<std::wstring> m_stale;
    Failure m_failure;
    int m_operations = 0;
    bool m_keepFiles = false;
};
