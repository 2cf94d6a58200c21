#pragma once
#include <windows.h>

#include <memory>
#include <string>

#include "history/store/disk/FileSystem.h"
#include "history/store/sealed/StoreForm.h"

// The key of a data folder whose history is sealed, and what happens to a
// history whose key this account cannot open: it is never deleted or written
// over, but set aside in a folder of its own, named with the date.
class SealedFolder {
public:
    struct Opened {
        StoreForm form;        // sealed when the folder holds a key that opens
        bool unopenable = false;  // a key is there that this account cannot open
        DWORD error = ERROR_SUCCESS;  // the key file exists but cannot be read
    };
    // `keyPath`: the key file, which may be missing.
    static Opened OpenKey(disk::FileSystem& files, const std::wstring& keyPath);
    // `folder` ends with a backslash. Moves the sealed files into "set aside <date>" (a number added when taken);
    // the new folder's path, or empty (with `error`) when a file could not be moved.
    static std::wstring SetAside(disk::FileSystem& files, const std::wstring& folder, DWORD& error);
    // Whether the sealed history file at `path` opens with the form's key (a missing one does).
    static bool Opens(disk::FileSystem& files, const StoreForm& form, const std::wstring& path);
    // A new key for a folder whose history is to be sealed from now on.
    static StoreForm NewForm();
};
