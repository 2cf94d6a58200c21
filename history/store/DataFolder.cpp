#include "history/store/DataFolder.h"

#include <windows.h>

#include <shlobj.h>

#include "framework/CArchive.h"
#include "history/store/disk/DiskFile.h"
#include "history/store/disk/FileSteps.h"
#include "history/store/formats/FileNames.h"
#include "history/store/formats/SettingsFormat.h"

namespace {

// When the folder's history was last written; 0 when it holds none.
ULONGLONG LastWritten(disk::FileSystem& files, const std::wstring& folder)
{
    ULONGLONG latest = 0;
    for (const wchar_t* name : {g_strOptionsFileName, g_strHistoryFileName, g_strJournalFileName, g_strSealedHistoryFileName,
                                g_strSealedJournalFileName}) {
        disk::Attributes attributes;
        if (files.GetAttributes(folder + name, attributes) == ERROR_SUCCESS)
            latest = attributes.written > latest ? attributes.written : latest;
    }
    return latest;
}

// The folder holds a history of its own: its settings, and its history file
// whenever they count entries (or cannot say how many).
bool HoldsHistory(disk::FileSystem& files, const std::wstring& folder)
{
    const std::wstring settings = folder + g_strOptionsFileName;
    if (!disk::Exists(files, settings))
        return false;
    DiskFile file(files);
    // One that cannot be opened now is still the history: loading tells it.
    if (!file.Open(settings, CFile::modeRead | CFile::shareDenyNone))
        return true;
    SettingsRecord record;
    bool whole = false;
    try {
        CArchive archive(&file, CArchive::load);
        whole = ReadSettings(archive, record, archive.Codec());
    } catch (...) {
    }
    return (whole && record.entryCount <= 0) || disk::Exists(files, folder + g_strHistoryFileName) ||
           disk::Exists(files, folder + g_strSealedHistoryFileName);
}

// Creates each missing folder of a path that ends with a backslash.
void CreateFolders(disk::FileSystem& files, const std::wstring& folder)
{
    for (size_t slash = folder.find(L'\\', 3); slash != std::wstring::npos; slash = folder.find(L'\\', slash + 1))
        files.CreateFolder(folder.substr(0, slash));
}

}  // namespace

bool DataFolder::IsWritable(const std::wstring& folder, disk::FileSystem& files)
{
    const std::wstring probe = folder + L"quillary-probe.qtmp";
    bool written = false;
    {
        DiskFile file(files);
        if (!file.Open(probe, CFile::modeCreate | CFile::modeWrite | CFile::shareExclusive))
            return false;
        const char byte = 0;
        try {
            file.Write(&byte, 1);
            written = true;
        } catch (const CFileWriteError&) {
        }
    }
    files.Delete(probe);
    return written;
}

std::wstring DataFolder::PerUserFolder()
{
    std::wstring base;
    wchar_t buffer[MAX_PATH * 2];
    const DWORD length = GetEnvironmentVariableW(L"LOCALAPPDATA", buffer, MAX_PATH * 2);
    if (length > 0 && length < MAX_PATH * 2) {
        base = buffer;
    } else {
        PWSTR known = nullptr;
        if (SUCCEEDED(SHGetKnownFolderPath(FOLDERID_LocalAppData, 0, nullptr, &known)))
            base = known;
        CoTaskMemFree(known);
    }
    if (base.empty())
        return base;
    if (base.back() != L'\\')
        base += L'\\';
    return base + L"Quillary\\" + g_strDataFolderName + L"\\";
}

DataFolder DataFolder::Choose(const std::wstring& executableFolder, disk::FileSystem& files)
{
    const std::wstring beside = executableFolder + g_strDataFolderName + L"\\";
    if (!disk::Exists(files, beside))
        files.CreateFolder(beside.substr(0, beside.size() - 1));
    // A copy whose folder can be written keeps its own history (portable use).
    if (IsWritable(beside, files))
        return {beside, beside, false};
    const std::wstring perUser = PerUserFolder();
    if (perUser.empty())
        return {beside, beside, false};
    CreateFolders(files, perUser);
    if (!IsWritable(perUser, files))
        return {beside, beside, false};
    return {FolderToRead(beside, perUser, files), perUser, true};
}

std::wstring DataFolder::FolderToRead(const std::wstring& beside, const std::wstring& perUser, disk::FileSystem& files)
{
    // A journal alone is no history: a start that read beside the program and was
    // ended before its first save leaves one per user.
    const bool besideHolds = HoldsHistory(files, beside);
    const bool perUserHolds = HoldsHistory(files, perUser);
    if (besideHolds != perUserHolds)
        return besideHolds ? beside : perUser;
    return LastWritten(files, beside) > LastWritten(files, perUser) ? beside : perUser;
}
