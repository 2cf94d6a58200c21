#include "history/store/sealed/SealedFolder.h"

#include <algorithm>
#include <cwchar>
#include <set>
#include <vector>

#include "history/store/disk/FileSteps.h"
#include "history/store/formats/FileNames.h"
#include "history/store/extras/ExtrasMap.h"
#include "history/store/formats/PictureFiles.h"
#include "history/store/sealed/SealedHistory.h"

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
    std::uint64_t set = 0;
    bool counted = false;
    if (HistoryKey::FromFileBytes(bytes, key, &set, &counted) != HistoryKey::OpenResult::Opened) {
        opened.unopenable = true;
        return opened;
    }
    opened.form = StoreForm(std::shared_ptr<const HistoryKey>(std::move(key)), set, !counted);
    return opened;
}

DWORD SealedFolder::SealedFiles(disk::FileSystem& files, const std::wstring& folder, std::vector<std::wstring>& names)
{
    names.clear();
    std::vector<disk::Found> found;
    const DWORD error = disk::ListFolder(files, folder, found);
    if (error != ERROR_SUCCESS)
        return error;
    const std::vector<std::wstring> fixed = StoreForm::FixedNames(true);
    for (const disk::Found& entry : found) {
        const std::wstring& name = entry.name;
        const auto endsWith = [&name](const wchar_t* end) {
            const size_t size = std::wcslen(end);
            return name.size() > size && name.compare(name.size() - size, size, end) == 0;
        };
        std::uint64_t id = 0;
        if (!entry.folder && (std::find(fixed.begin(), fixed.end(), name) != fixed.end() ||
                              (picture_files::RecordOf(name) >= 0 && endsWith(L".qdat")) ||
                              (extras::IdOfFormatsFile(name, id) && endsWith(L".qfmt"))))
            names.push_back(name);
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
    if (form.Legacy())
        return form.Open(SealKind::History, 0, bytes);
    // A damaged record costs its entry: the key is the history's when any record opens with it.
    std::vector<std::vector<std::uint8_t>> records;
    std::vector<bool> opened;
    return sealed_history::Decode(form, bytes, records, opened) &&
           (records.empty() || std::find(opened.begin(), opened.end(), true) != opened.end());
}

StoreForm SealedFolder::NewForm()
{
    std::unique_ptr<HistoryKey> key = HistoryKey::Create();
    if (!key)
        return StoreForm();
    return StoreForm(std::shared_ptr<const HistoryKey>(std::move(key)), 0, false);
}
