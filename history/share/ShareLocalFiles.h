#pragma once
// What this PC keeps about sharing in its own data folder, never in the shared one:
//  "share.pc": "QSPC", a 32-bit version (1), the PC's 16-byte id, a 32-bit
//    length and the share's key wrapped for the user (DPAPI), a 32-bit length
//    and a check record sealed with the key (the system may unwrap a damaged
//    blob to wrong bytes: the check decides).
//  "share.state": "QSST", a 32-bit version (2), then one record sealed with
//    the share's key to this PC: how far each other PC's files were read, the
//    shared history as operations, the entries that stay here as copies (both
//    without formats, and pictures without their bytes: the history holds
//    them), and which entry of the history each entry is (a count, then each
//    one's 16-byte id and 64-bit entry id); each part a 32-bit length and its
//    bytes. Integers little-endian. ("share.pc" stays at version 1.)
#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "history/model/HistoryEntry.h"
#include "history/share/ShareKey.h"
#include "history/share/ShareOp.h"
#include "history/store/disk/FileSystem.h"

struct ShareState {
    std::vector<std::uint8_t> positions;
    std::vector<ShareOp> shared;
    std::vector<ShareOp> localOnly;
    std::vector<std::pair<ShareId, EntryId>> links;
};

class ShareLocalFiles {
public:
    // `dataFolder` ends with a backslash.
    ShareLocalFiles(disk::FileSystem& files, std::wstring dataFolder);

    // The PC id and key kept here; false when there is none that opens.
    bool LoadKey(ShareId& pc, std::unique_ptr<ShareKey>& key) const;
    // The PC id kept here, even when its key does not open (a PC keeps its id).
    bool LoadPcId(ShareId& pc) const;
    DWORD SaveKey(const ShareId& pc, const ShareKey& key) const;

    bool LoadState(const ShareKey& key, const ShareId& pc, ShareState& state) const;
    DWORD SaveState(const ShareKey& key, const ShareId& pc, const ShareState& state) const;

private:
    DWORD WriteReplacing(const std::wstring& name, const std::vector<std::uint8_t>& bytes) const;

    disk::FileSystem& m_files;
    std::wstring m_folder;
};
