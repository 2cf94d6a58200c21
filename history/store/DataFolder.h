#pragma once
#include <string>

#include "history/store/disk/FileSystem.h"

// Where the history is kept: the folder "data" beside the executable whenever
// it can be written (portable use), else "%LOCALAPPDATA%\Quillary\data". A
// history found beside the executable that cannot be written there, when newer
// than the per-user one or when only it holds a whole history, is still read,
// and kept in the per-user folder from then on.
struct DataFolder {
    std::wstring read;       // where this start loads the history from; ends with a backslash
    std::wstring write;      // where it is kept from now on
    bool perUser = false;    // write is the per-user folder

    static DataFolder Choose(const std::wstring& executableFolder, disk::FileSystem& files = disk::SystemFiles());
    // Tried by writing (and removing) a file: attributes and rights say too little.
    static bool IsWritable(const std::wstring& folder, disk::FileSystem& files = disk::SystemFiles());
    static std::wstring PerUserFolder();
    // Which of the two folders a start that writes per user reads: the one that
    // holds a whole history, or the newer when both or neither do.
    static std::wstring FolderToRead(const std::wstring& beside, const std::wstring& perUser,
                                     disk::FileSystem& files = disk::SystemFiles());
};
