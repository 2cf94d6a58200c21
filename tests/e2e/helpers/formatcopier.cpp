// A program for the tests that copies in several formats at once, as a
// browser, a word processor or a file manager would:
//   formatcopier.exe [--on-demand] [--slow MS] [--text-too] [--hold EVENT] FORMAT FILE [FORMAT FILE ...]
// FORMAT is a registered format's name ("HTML Format") or #N for a standard
// one (#13 text, #15 a file list); FILE holds the format's bytes. With
// --on-demand the formats are only promised, and each is rendered when a
// program asks for it (WM_RENDERFORMAT); --slow makes it wait MS
// milliseconds before it renders a format other than the text, and with
// --text-too before the text as well; --hold makes every render wait until
// the named event EVENT is set, as a program stuck in its render would (it
// answers no message meanwhile).
// It then owns the clipboard until its window (class "QuillaryFormatCopier")
// is sent WM_CLOSE, or two minutes have passed: Wine empties the clipboard
// when the program that copied ends.
// Exit code: how many times it rendered a format other than the text on
// demand; 100 for bad arguments, 101 for a file it cannot read, 102 when the
// clipboard could not be set.
#include <windows.h>
#include <shellapi.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

const wchar_t kWindowClass[] = L"QuillaryFormatCopier";
constexpr UINT kLifetimeMs = 120000;

struct Format {
    UINT id;
    std::string bytes;
};

std::vector<Format> g_formats;
DWORD g_slowMs = 0;
bool g_textSlowToo = false;
HANDLE g_hold = nullptr;
int g_rendered = 0;

bool ReadWholeFile(const wchar_t* path, std::string& bytes)
{
    HANDLE file = CreateFileW(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    LARGE_INTEGER size = {};
    DWORD read = 0;
    const bool sized = GetFileSizeEx(file, &size) != FALSE;
    bytes.resize(sized ? static_cast<size_t>(size.QuadPart) : 0);
    const bool ok = sized && (bytes.empty() || (ReadFile(file, &bytes[0], static_cast<DWORD>(bytes.size()), &read,
                                                         nullptr) && read == bytes.size()));
    CloseHandle(file);
    return ok;
}

HGLOBAL GlobalCopy(const std::string& bytes)
{
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, bytes.size());
    if (block && !bytes.empty()) {
        std::memcpy(GlobalLock(block), bytes.data(), bytes.size());
        GlobalUnlock(block);
    }
    return block;
}

void Render(UINT id)
{
    for (const Format& format : g_formats) {
        if (format.id != id)
            continue;
        if (g_hold)
            WaitForSingleObject(g_hold, kLifetimeMs);
        if (id != CF_UNICODETEXT)
            ++g_rendered;
        if (id != CF_UNICODETEXT || g_textSlowToo)
            Sleep(g_slowMs);
        SetClipboardData(id, GlobalCopy(format.bytes));
    }
}

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_RENDERFORMAT:
        Render(static_cast<UINT>(wParam));
        return 0;
    case WM_RENDERALLFORMATS:
        // Told to end: what was only promised goes with it.
        return 0;
    case WM_TIMER:
        DestroyWindow(window);
        return 0;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    default:
        return DefWindowProcW(window, message, wParam, lParam);
    }
}

bool PutOnClipboard(HWND owner, bool onDemand)
{
    // Another program may hold the clipboard for a moment.
    for (int attempt = 0; attempt < 100; ++attempt) {
        if (OpenClipboard(owner)) {
            EmptyClipboard();
            // A promise (no data) gives no handle back: whether each format is offered tells.
            for (const Format& format : g_formats)
                SetClipboardData(format.id, onDemand ? nullptr : GlobalCopy(format.bytes));
            CloseClipboard();
            bool placed = true;
            for (const Format& format : g_formats)
                placed = placed && IsClipboardFormatAvailable(format.id);
            return placed;
        }
        Sleep(20);
    }
    return false;
}

// The arguments into g_formats and the options: 0, or the exit code that says what is wrong.
int ParseArguments(int argc, wchar_t** argv, bool& onDemand)
{
    for (int i = 1; i < argc; ++i) {
        const std::wstring argument = argv[i];
        if (argument == L"--on-demand") {
            onDemand = true;
        } else if (argument == L"--slow" && i + 1 < argc) {
            g_slowMs = static_cast<DWORD>(std::wcstoul(argv[++i], nullptr, 10));
        } else if (argument == L"--text-too") {
            g_textSlowToo = true;
        } else if (argument == L"--hold" && i + 1 < argc) {
            g_hold = OpenEventW(SYNCHRONIZE, FALSE, argv[++i]);
            if (!g_hold)
                return 101;
        } else if (i + 1 < argc) {
            const UINT id = argument[0] == L'#' ? static_cast<UINT>(std::wcstoul(argv[i] + 1, nullptr, 10))
                                                : RegisterClipboardFormatW(argv[i]);
            Format format = {id, {}};
            if (!ReadWholeFile(argv[++i], format.bytes))
                return 101;
            g_formats.push_back(std::move(format));
        } else {
            return 100;
        }
    }
    return g_formats.empty() ? 100 : 0;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int)
{
    int argc = 0;
    wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    if (!argv)
        return 100;
    bool onDemand = false;
    const int parsed = ParseArguments(argc, argv, onDemand);
    LocalFree(argv);
    if (parsed != 0)
        return parsed;

    WNDCLASSW windowClass = {};
    windowClass.lpfnWndProc = WindowProc;
    windowClass.hInstance = instance;
    windowClass.lpszClassName = kWindowClass;
    RegisterClassW(&windowClass);
    HWND window = CreateWindowExW(0, kWindowClass, L"formatcopier", WS_OVERLAPPED, 0, 0, 100, 100, nullptr, nullptr,
                                  instance, nullptr);
    if (!window || !PutOnClipboard(window, onDemand))
        return 102;
    SetTimer(window, 1, kLifetimeMs, nullptr);

    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0)
        DispatchMessageW(&msg);
    return g_rendered;
}
