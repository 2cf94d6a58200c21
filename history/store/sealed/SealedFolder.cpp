#include "history/store/sealed/SealedFolder.h"

#include <set>
#include <vector>

#include "history/store/disk/FileSteps.h"
#include "history/store/formats/FileNames.h"
#include "history/store/formats/PictureFiles.h"

SealedFolder::Opened SealedFolder::OpenKey(disk::FileSystem& files, const std::wstring& path)
{
    Opened opened;
    if (!disk::Exists(files, path))
        return opened;
    std::vector<BYTE> bytes;
    const DWORD error = disk::ReadWhole(files, path, bytes);
    if (error != ERROR_SUCCESS) {
        opened.error = error;
        return opened;
    }
    std::unique_ptr<HistoryKey> key;
    if (HistoryKey::FromFileBytes(bytes, key) != HistoryKey::OpenResult::Opened) {
        opened.unopenable = true;
        return opened;
    }
    opened.form = StoreForm(std::shared_ptr<const HistoryKey>(std::move(key)));
    return opened;
}

DWORD SealedFolder::SealedFiles(disk::FileSystem& files, const std::wstring& folder, std::vector<std::wstring>& names)
{
    names.clear();
    DWORD error = ERROR_SUCCESS;
    const std::set<std::wstring> pictures = picture_files::In(files, folder, &error);
    if (error != ERROR_SUCCESS)
        return error;
    for (const std::wstring& name : StoreForm::FixedNames(true)) {
        if (disk::Exists(files, folder + name))
            names.push_back(name);
    }
    for (const std::wstring& picture : pictures) {
        if (picture.size() > 5 && picture.compare(picture.size() - 5, 5, L".qdat") == 0)
            names.push_back(picture);
    }
    return ERROR_SUCCESS;
}

std::wstring SealedFolder::SetAside(disk::FileSystem& files, const std::wstring& folder, DWORD& error)
{
    std::vector<std::wstring> names;
    if ((error = SealedFiles(files, folder, names)) != ERROR_SUCCESS)
        return {};
    SYSTEMTIME now;
    GetLocalTime(&now);
    wchar_t date[32];
    swprintf(date, 32, L"set aside %04u-%02u-%02u", now.wYear, now.wMonth, now.wDay);
    std::wstring aside = folder + date;
    for (int number = 2; (error = files.CreateFolder(aside)) != ERROR_SUCCESS; ++number) {
        if (error != ERROR_ALREADY_EXISTS || number > 1000)
            return {};
        aside = folder + date + L" (" + std::to_wstring(number) + L")";
    }
    // All of them or none: a history split between two folders opens in neither.
    for (size_t moved = 0; moved < names.size(); ++moved) {
        error = disk::Patiently(files, [&] { return files.Move(folder + names[moved], aside + L"\\" + names[moved], false); });
        if (error == ERROR_SUCCESS)
            continue;
        while (moved-- > 0)
            disk::Patiently(files, [&] { return files.Move(aside + L"\\" + names[moved], folder + names[moved], false); });
        return {};
    }
    return aside;
}

bool SealedFolder::Opens(disk::FileSystem& files, const StoreForm& form, const std::wstring& path)
{
    std::vector<BYTE> bytes;
    // Missing, or held for now: loading tells.
    if (disk::ReadWhole(files, path, bytes) != ERROR_SUCCESS)
        return true;
    return form.Open(SealKind::History, 0, bytes);
}

StoreForm SealedFolder::NewForm()
{
    std::unique_ptr<HistoryKey> key = HistoryKey::Create();
    if (!key)
        return StoreForm();
    return StoreForm(std::shared_ptr<const HistoryKey>(std::move(key)));
}
