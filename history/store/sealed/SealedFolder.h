#pragma once
#include <windows.h>

#include <memory>
#include <string>
#include <vector>

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
    // The sealed files in `folder` (which ends with a backslash): the history,
    // extras, journal and key files under their sealed names, "N.qdat" and "<id>.qfmt".
    static DWORD SealedFiles(disk::FileSystem& files, const std::wstring& folder, std::vector<std::wstring>& names);
    // Moves them all into "set aside <date>" (a number added when taken): the
    // new folder's path. When one cannot be moved those moved go back, and the
    // result is empty (with `error`): the history is never split.
    static std::wstring SetAside(disk::FileSystem& files, const std::wstring& folder, DWORD& error);
    // Whether the sealed history file at `path` opens with the form's key (a missing one does).
    static bool Opens(disk::FileSystem& files, const StoreForm& form, const std::wstring& path);
    // A new key for a folder whose history is to be sealed from now on.
    static StoreForm NewForm();
};
