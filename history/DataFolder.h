#pragma once
#include <string>

// Where the history is kept: the folder "data" beside the executable whenever
// it can be written (portable use), else "%LOCALAPPDATA%\Quillary\data". The
// newer of the two histories is read, and kept in the chosen folder from then
// on: one found beside the executable that cannot be written there moves to
// the per-user folder, and back when the folder can be written again.
struct DataFolder {
    std::wstring read;       // where this start loads the history from; ends with a backslash
    std::wstring write;      // where it is kept from now on
    bool perUser = false;    // write is the per-user folder

    static DataFolder Choose(const std::wstring& executableFolder);
    // Tried by writing (and removing) a file: attributes and rights say too little.
    static bool IsWritable(const std::wstring& folder);
    static std::wstring PerUserFolder();
};
