#include "shell/ShareNotices.h"

#include <windows.h>

namespace notices {

std::wstring SharedTip(std::uint64_t lastShared, int pcs)
{
    if (lastShared == 0)
        return L"Not shared yet";
    FILETIME utc;
    utc.dwLowDateTime = static_cast<DWORD>(lastShared);
    utc.dwHighDateTime = static_cast<DWORD>(lastShared >> 32);
    FILETIME local;
    SYSTEMTIME time = {};
    wchar_t clock[32] = L"?";
    if (FileTimeToLocalFileTime(&utc, &local) && FileTimeToSystemTime(&local, &time))
        GetTimeFormatW(LOCALE_USER_DEFAULT, TIME_NOSECONDS, &time, nullptr, clock, 32);
    return L"Shared at " + std::wstring(clock) +
           (pcs > 1 ? L" with " + std::to_wstring(pcs) + L" PCs" : std::wstring(L", no other PC yet"));
}

std::wstring ShareProblem(HistorySharing::Problem problem, const std::wstring& pcName)
{
    switch (problem) {
    case HistorySharing::Problem::FolderUnreachable:
        return L"The shared folder is not reachable. Quillary goes on with this PC's history and shares it when "
               L"the folder is back.";
    case HistorySharing::Problem::WrongKey:
        return L"The history of PC '" + pcName +
               L"' does not open with this PC's key: it was set up with another passphrase. Compare the key "
               L"shown in Options on both PCs.";
    case HistorySharing::Problem::KeyChanged:
        return L"The shared folder now holds another key. Nothing more is shared from this PC until you type the "
               L"folder's passphrase in Options.";
    case HistorySharing::Problem::NoKey:
        return L"This PC has no key for the shared folder. Type the passphrase in Options to share again.";
    case HistorySharing::Problem::None:
        break;
    }
    return std::wstring();
}

std::wstring ShareSetupRefused(HistorySharing::Setup setup)
{
    switch (setup) {
    case HistorySharing::Setup::NeedPassphrase:
        return L"Type the passphrase for the shared folder. On the first PC you choose it; on every other PC "
               L"type the same one.";
    case HistorySharing::Setup::WrongPassphrase:
        return L"Wrong passphrase: it does not open the history shared in this folder. Nothing was written.";
    case HistorySharing::Setup::FolderUnreachable:
        return L"The folder cannot be reached. Choose a folder that exists on this PC (one your sync service "
               L"keeps, or a network share).";
    case HistorySharing::Setup::Failed:
        return L"Windows refused to make or keep the key for the shared folder. Sharing stays off.";
    case HistorySharing::Setup::Ready:
        break;
    }
    return std::wstring();
}

std::wstring ShareFormatsRange()
{
    return L"The size of the formats shared must be a number of KB from " + std::to_wstring(kMinShareFormatsKB) +
           L" (the text alone) to " + std::to_wstring(kMaxShareFormatsKB) + L".";
}

}  // namespace notices
