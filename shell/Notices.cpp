#include "shell/Notices.h"

namespace {

std::wstring SystemReason(DWORD error)
{
    wchar_t* text = nullptr;
    const DWORD length = FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error,
        0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    std::wstring reason = length ? std::wstring(text, length) : L"error " + std::to_wstring(error);
    LocalFree(text);
    while (!reason.empty() && (reason.back() == L'\n' || reason.back() == L'\r' || reason.back() == L'.'))
        reason.pop_back();
    return reason;
}

}  // namespace

namespace notices {

std::wstring SaveFailed(const std::wstring& file, DWORD error)
{
    return L"Could not save " + file + L": " + SystemReason(error) +
           L". Your history is safe in memory; Quillary tries again with the next change and when it exits.";
}

std::wstring ReadFailed(const std::wstring& file, DWORD error)
{
    return L"Could not read " + file + L": " + SystemReason(error) +
           L". Quillary leaves your saved history as it is and reads it again in a moment; what you copy now joins "
           L"it then.";
}

std::wstring ExitSaveFailed(const std::wstring& file, DWORD error)
{
    return L"Could not save " + file + L" when Quillary exited: " + SystemReason(error) +
           L". Nothing is lost: the changes are kept beside your history and come back when Quillary starts again.";
}

std::wstring SavedAgain()
{
    return L"Your history is saved again.";
}

std::wstring PerUserFolder(const std::wstring& folder)
{
    return L"The folder beside Quillary cannot be written, so your history is kept in " + folder;
}

std::wstring HistorySetAside(const std::wstring& folder, bool keyMissing)
{
    const std::wstring why = keyMissing ? L"Your encrypted history cannot be opened: its key file history.key is missing "
                                          L"from the data folder. "
                                        : L"Your encrypted history cannot be opened by this Windows account (it comes from "
                                          L"another account or computer, or the password was reset). ";
    const std::wstring where = folder.empty() ? L"Its files are left unchanged where they are"
                                              : L"It is kept unchanged in " + folder;
    return why + where + L", and a new history begins." +
           (keyMissing ? L" Put the key file back beside those files to open it again." : L"");
}

std::wstring OlderFilesMerged()
{
    return L"An older version of Quillary wrote an unencrypted history beside your encrypted one. Its entries "
           L"were added to your history, which is encrypted again.";
}

std::wstring EncryptionUnavailable()
{
    return L"Windows could not make a key to encrypt the history, so it stays unencrypted.";
}

std::wstring HotkeysTaken(const std::vector<CString>& keys)
{
    std::wstring names;
    for (size_t i = 0; i < keys.size(); ++i)
        names += (i == 0 ? L"" : i + 1 == keys.size() ? L" and " : L", ") + keys[i].Str();
    return names + (keys.size() == 1 ? L" is" : L" are") +
           L" used by another program. The tray icon still opens Quillary.";
}

std::wstring PasteNotLanded(PasteBack::Outcome outcome)
{
    switch (outcome) {
    case PasteBack::Outcome::TargetElevated:
        return L"Windows does not let Quillary type into programs run as administrator. The entry is on the "
               L"clipboard: press Ctrl+V there.";
    case PasteBack::Outcome::TargetGone:
        return L"The window you were pasting into has closed. The entry is on the clipboard: press Ctrl+V where "
               L"you want it.";
    default:
        return std::wstring();
    }
}

}  // namespace notices
