// The second PC's hands in the end-to-end test of sharing: run inside that
// PC's own Wine prefix and display, where the driver's windows cannot reach.
//   sharepc.exe setup DATAFOLDER\ SHAREDFOLDER PASSPHRASE   joins the share as the
//       Option dialog does; prints the key's fingerprint; exit code 0 when ready
//   sharepc.exe copy TEXT MILLISECONDS [HTMLFILE]   copies the text (and the file's bytes as
//       "HTML Format") and owns the clipboard that long
//   sharepc.exe exit                     ends Quillary through its Exit command
#include <windows.h>
#include <shellapi.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "history/share/HistorySharing.h"

namespace {

// The popup's title and Exit command, as the driver knows them.
const wchar_t kPopupTitle[] = L"Quillary(Press 'CTRL+ SHIFT + F' call me!)";
constexpr WORD kExitCommand = 32773;

int Setup(const std::wstring& data, const std::wstring& folder, const std::wstring& passphrase)
{
    HistoryModel model;
    ClipOptions options;
    HistorySharing sharing(model, options);
    sharing.SetDataFolder(data);
    std::wstring fingerprint;
    const HistorySharing::Setup setup = sharing.Prepare(folder, passphrase, fingerprint);
    std::printf("%ls\n", fingerprint.c_str());
    return setup == HistorySharing::Setup::Ready ? 0 : 10 + static_cast<int>(setup);
}

bool Place(UINT format, const void* bytes, size_t size)
{
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, size);
    if (!block)
        return false;
    std::memcpy(GlobalLock(block), bytes, size);
    GlobalUnlock(block);
    if (SetClipboardData(format, block))
        return true;
    GlobalFree(block);
    return false;
}

std::string FileBytes(const wchar_t* path)
{
    std::string bytes;
    if (FILE* file = _wfopen(path, L"rb")) {
        char chunk[4096];
        for (size_t got; (got = std::fread(chunk, 1, sizeof chunk, file)) > 0;)
            bytes.append(chunk, got);
        std::fclose(file);
    }
    return bytes;
}

int Copy(const std::wstring& text, DWORD milliseconds, const std::string& html)
{
    HWND owner = CreateWindowExW(0, L"STATIC", L"sharepc", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    const size_t bytes = (text.size() + 1) * sizeof(wchar_t);
    bool placed = false;
    for (int attempt = 0; attempt < 100 && !placed; ++attempt) {
        if (!OpenClipboard(owner)) {
            Sleep(20);
            continue;
        }
        EmptyClipboard();
        placed = Place(CF_UNICODETEXT, text.c_str(), bytes) &&
                 (html.empty() || Place(RegisterClipboardFormatW(L"HTML Format"), html.data(), html.size()));
        CloseClipboard();
    }
    // Wine empties the clipboard when its owner ends: stay until Quillary has read it.
    const ULONGLONG until = GetTickCount64() + milliseconds;
    while (GetTickCount64() < until) {
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE))
            DispatchMessageW(&message);
        Sleep(20);
    }
    DestroyWindow(owner);
    return placed ? 0 : 3;
}

int Exit()
{
    HWND popup = FindWindowW(L"#32770", kPopupTitle);
    if (!popup)
        return 4;
    PostMessageW(popup, WM_COMMAND, MAKEWPARAM(kExitCommand, 0), 0);
    for (int wait = 0; wait < 300 && IsWindow(popup); ++wait)
        Sleep(50);
    return IsWindow(popup) ? 5 : 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv)
{
    if (argc == 5 && std::wcscmp(argv[1], L"setup") == 0)
        return Setup(argv[2], argv[3], argv[4]);
    if ((argc == 4 || argc == 5) && std::wcscmp(argv[1], L"copy") == 0)
        return Copy(argv[2], static_cast<DWORD>(_wtoi(argv[3])), argc == 5 ? FileBytes(argv[4]) : std::string());
    if (argc == 2 && std::wcscmp(argv[1], L"exit") == 0)
        return Exit();
    std::fprintf(stderr, "usage: sharepc setup DATA\\ FOLDER PASSPHRASE | copy TEXT MS [HTMLFILE] | exit\n");
    return 2;
}
