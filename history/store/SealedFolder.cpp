#include "history/store/SealedFolder.h"

#include <vector>

#include "framework/CFile.h"
#include "history/store/FileNames.h"
#include "history/store/PictureFiles.h"

SealedFolder::Opened SealedFolder::OpenKey(const std::wstring& path)
{
    Opened opened;
    if (GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES)
        return opened;
    std::vector<BYTE> bytes;
    if (!ReadWholeFile(path.c_str(), bytes)) {
        opened.error = GetLastError();
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

std::wstring SealedFolder::SetAside(const std::wstring& folder)
{
    SYSTEMTIME now;
    GetLocalTime(&now);
    wchar_t date[32];
    swprintf(date, 32, L"set aside %04u-%02u-%02u", now.wYear, now.wMonth, now.wDay);
    std::wstring aside = folder + date;
    for (int number = 2; !CreateDirectoryW(aside.c_str(), nullptr); ++number) {
        if (GetLastError() != ERROR_ALREADY_EXISTS || number > 1000)
            return {};
        aside = folder + date + L" (" + std::to_wstring(number) + L")";
    }
    std::vector<std::wstring> names = StoreForm::FixedNames(true);
    for (const std::wstring& picture : picture_files::In(folder)) {
        if (picture.size() > 5 && picture.compare(picture.size() - 5, 5, L".qdat") == 0)
            names.push_back(picture);
    }
    for (const std::wstring& name : names) {
        const std::wstring from = folder + name;
        if (GetFileAttributesW(from.c_str()) != INVALID_FILE_ATTRIBUTES &&
            !MoveFileExW(from.c_str(), (aside + L"\\" + name).c_str(), MOVEFILE_WRITE_THROUGH))
            return {};
    }
    return aside;
}

bool SealedFolder::Opens(const StoreForm& form, const std::wstring& path)
{
    std::vector<BYTE> bytes;
    // Missing, or held for now: loading tells.
    if (!ReadWholeFile(path.c_str(), bytes))
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
