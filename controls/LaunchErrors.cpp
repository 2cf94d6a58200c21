#include "controls/LaunchErrors.h"

#include <cwchar>

namespace {

const wchar_t* KnownReason(int code)
{
    switch (code) {
    case 0:
        return L"The operating system is out\nof memory or resources.";
    case 2:  // SE_ERR_FNF
        return L"The specified file was not found.";
    case 3:  // SE_ERR_PNF
        return L"The specified path was not found.";
    case 5:  // SE_ERR_ACCESSDENIED
        return L"The operating system denied\naccess to the specified file.";
    case 8:  // SE_ERR_OOM
        return L"There was not enough memory to complete the operation.";
    case 11:  // ERROR_BAD_FORMAT
        return L"The .EXE file is invalid\n(non-Win32 .EXE or error in .EXE image).";
    case 26:  // SE_ERR_SHARE
        return L"A sharing violation occurred. ";
    case 27:  // SE_ERR_ASSOCINCOMPLETE
        return L"The filename association is\nincomplete or invalid.";
    case 28:  // SE_ERR_DDETIMEOUT
        return L"The DDE transaction could not\nbe completed because the request timed out.";
    case 29:  // SE_ERR_DDEFAIL
        return L"The DDE transaction failed.";
    case 30:  // SE_ERR_DDEBUSY
        return L"The DDE transaction could not\nbe completed because other DDE transactions\nwere being processed.";
    case 31:  // SE_ERR_NOASSOC
        return L"There is no application associated\nwith the given filename extension.";
    case 32:  // SE_ERR_DLLNOTFOUND
        return L"The specified dynamic-link library was not found.";
    default:
        return nullptr;
    }
}

}  // namespace

std::wstring LaunchErrorMessage(int code)
{
    std::wstring message = L"Unable to open hyperlink:\n\n";
    if (const wchar_t* reason = KnownReason(code)) {
        message += reason;
    } else {
        wchar_t unknown[64];
        std::swprintf(unknown, sizeof(unknown) / sizeof(unknown[0]), L"Unknown Error (%d) occurred.", code);
        message += unknown;
    }
    return message;
}
