#pragma once
#include <string>

#include "history/store/disk/FileSystem.h"

// Making or joining a share: the folder's key file and this PC's key for it.
class ShareSetup {
public:
    enum class Result {
        Ready,               // the key opens the folder's key file (or made it)
        NeedPassphrase,      // this PC has no key for the folder yet
        WrongPassphrase,     // the passphrase does not open the folder's key file
        FolderUnreachable,
        Failed,              // the system refused (random source, wrapping, writing)
    };

    // `dataFolder` (ending with a backslash) is where this PC keeps its key.
    ShareSetup(disk::FileSystem& files, std::wstring dataFolder) : m_files(files), m_dataFolder(std::move(dataFolder)) {}

    // Makes or joins the share in `folder` with the passphrase (which may be
    // empty when this PC already holds the folder's key). Nothing is written
    // unless the outcome is Ready. The key's fingerprint comes back when Ready.
    Result Prepare(const std::wstring& folder, const std::wstring& passphrase, std::wstring& fingerprint);
    // The fingerprint of the key this PC holds (empty: none).
    std::wstring Fingerprint() const;

private:
    disk::FileSystem& m_files;
    std::wstring m_dataFolder;
};
