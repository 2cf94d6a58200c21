#include "history/store/DataFolder.h"

#include <windows.h>

#include <shlobj.h>

#include "framework/CArchive.h"
#include "framework/Handles.h"
#include "history/store/FileNames.h"
#include "history/store/SettingsFormat.h"

namespace {

bool Exists(const std::wstring& path)
{
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// When the folder's history was last written; 0 when it holds none.
ULONGLONG LastWritten(const std::wstring& folder)
{
    ULONGLONG latest = 0;
    for (const wchar_t* name : {g_strOptionsFileName, g_strHistoryFileName, g_strJournalFileName, g_strSealedHistoryFileName,
                                g_strSealedJournalFileName}) {
        WIN32_FILE_ATTRIBUTE_DATA data;
        if (GetFileAttributesExW((folder + name).c_str(), GetFileExInfoStandard, &data)) {
            const ULONGLONG written =
                (static_cast<ULONGLONG>(data.ftLastWriteTime.dwHighDateTime) << 32) | data.ftLastWriteTime.dwLowDateTime;
            latest = written > latest ? written : latest;
        }
    }
    return latest;
}

// The folder holds a history of its own: its settings, and its history file
// whenever they count entries (or cannot say how many).
bool HoldsHistory(const std::wstring& folder)
{
    const std::wstring settings = folder + g_strOptionsFileName;
    if (!Exists(settings))
        return false;
    CFile file;
    // One that cannot be opened now is still the history: loading tells it.
    if (!file.Open(settings.c_str(), CFile::modeRead | CFile::shareDenyNone))
        return true;
    SettingsRecord record;
    bool whole = false;
    try {
        CArchive archive(&file, CArchive::load);
        whole = ReadSettings(archive, record, archive.Codec());
    } catch (...) {
    }
    return (whole && record.entryCount <= 0) || Exists(folder + g_strHistoryFileName) ||
           Exists(folder + g_strSealedHistoryFileName);
}

// Creates each missing folder of a path that ends with a backslash.
void CreateFolders(const std::wstring& folder)
{
    for (size_t slash = folder.find(L'\\', 3); slash != std::wstring::npos; slash = folder.find(L'\\', slash + 1))
        CreateDirectoryW(folder.substr(0, slash).c_str(), nullptr);
}

}  // namespace

bool DataFolder::IsWritable(const std::wstring& folder)
{
    const std::wstring probe = folder + L"quillary-probe.qtmp";
    UniqueFileHandle file(CreateFileW(probe.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                      FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr));
    if (!file)
        return false;
    const char byte = 0;
    DWORD written = 0;
    return WriteFile(file.Get(), &byte, 1, &written, nullptr) && written == 1;
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

DataFolder DataFolder::Choose(const std::wstring& executableFolder)
{
    const std::wstring beside = executableFolder + g_strDataFolderName + L"\\";
    if (!Exists(beside))
        CreateDirectoryW(beside.substr(0, beside.size() - 1).c_str(), nullptr);
    // A copy whose folder can be written keeps its own history (portable use).
    if (IsWritable(beside))
        return {beside, beside, false};
    const std::wstring perUser = PerUserFolder();
    if (perUser.empty())
        return {beside, beside, false};
    CreateFolders(perUser);
    if (!IsWritable(perUser))
        return {beside, beside, false};
    return {FolderToRead(beside, perUser), perUser, true};
}

std::wstring DataFolder::FolderToRead(const std::wstring& beside, const std::wstring& perUser)
{
    // A journal alone is no history: a start that read beside the program and was
    // ended before its first save leaves one per user.
    const bool besideHolds = HoldsHistory(beside);
    const bool perUserHolds = HoldsHistory(perUser);
    if (besideHolds != perUserHolds)
        return besideHolds ? beside : perUser;
    return LastWritten(beside) > LastWritten(perUser) ? beside : perUser;
}
