#include "history/share/ShareSetup.h"

#include <memory>
#include <vector>

#include "history/share/ShareKey.h"
#include "history/share/ShareLocalFiles.h"
#include "history/share/ShareNames.h"
#include "history/store/disk/FileSteps.h"

ShareSetup::Result ShareSetup::Prepare(const std::wstring& folder, const std::wstring& passphrase,
                                         std::wstring& fingerprint)
{
    disk::Attributes attributes;
    if (folder.empty() || m_files.GetAttributes(folder, attributes) != ERROR_SUCCESS || !attributes.folder)
        return Result::FolderUnreachable;
    const std::wstring root = sharenames::Root(folder);
    const std::wstring keyPath = root + sharenames::KeyFileName();
    ShareLocalFiles local(m_files, m_dataFolder);
    ShareId pc;
    std::unique_ptr<ShareKey> held;
    if (!local.LoadKey(pc, held) && !local.LoadPcId(pc))
        pc = ShareId::Random();

    std::vector<BYTE> keyFile;
    const DWORD read = disk::ReadWhole(m_files, keyPath, keyFile, 1 << 16);
    std::unique_ptr<ShareKey> key;
    if (read == ERROR_SUCCESS) {
        if (held && held->Opens(keyFile) && passphrase.empty()) {
            key = std::move(held);
        } else {
            if (passphrase.empty())
                return Result::NeedPassphrase;
            const ShareKey::JoinResult joined = ShareKey::Join(passphrase, keyFile, key);
            if (joined == ShareKey::JoinResult::WrongPassphrase)
                return Result::WrongPassphrase;
            if (joined != ShareKey::JoinResult::Opened)
                return Result::Failed;
        }
    } else if (disk::IsMissing(read)) {
        if (passphrase.empty())
            return Result::NeedPassphrase;
        std::vector<std::uint8_t> bytes;
        key = ShareKey::Create(passphrase, bytes);
        if (!key)
            return Result::Failed;
        const DWORD made = m_files.CreateFolder(root.substr(0, root.size() - 1));
        if (made != ERROR_SUCCESS && made != ERROR_ALREADY_EXISTS)
            return Result::FolderUnreachable;
        // Made under a name of this PC's, then moved in only when no other PC's key got there first.
        const std::wstring temp = root + L"share.key." + pc.Hex() + L".tmp";
        DWORD error = disk::WriteFlushed(m_files, temp, bytes);
        if (error == ERROR_SUCCESS)
            error = m_files.Move(temp, keyPath, false);
        if (error != ERROR_SUCCESS) {
            m_files.Delete(temp);
            return error == ERROR_ALREADY_EXISTS ? Prepare(folder, passphrase, fingerprint) : Result::FolderUnreachable;
        }
    } else {
        return Result::FolderUnreachable;
    }
    if (local.SaveKey(pc, *key) != ERROR_SUCCESS)
        return Result::Failed;
    fingerprint = key->Fingerprint();
    return Result::Ready;
}

std::wstring ShareSetup::Fingerprint() const
{
    ShareId pc;
    std::unique_ptr<ShareKey> key;
    return ShareLocalFiles(m_files, m_dataFolder).LoadKey(pc, key) ? key->Fingerprint() : std::wstring();
}

