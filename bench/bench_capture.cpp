// Capture figure: another process (this one) puts a text on the clipboard and
// times until the entry is in Quillary's list, against a bare viewer process
// that only reads the text. Both are asked for their count the same way: a
// message sent from here, answered by their user-interface thread.
#include <windows.h>

#include <commctrl.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "bench/BenchFolder.h"
#include "bench/BenchViewer.h"
#include "bench/FigureRow.h"
#include "bench/ProductProcess.h"
#include "bench/SampleHistory.h"
#include "bench/Samples.h"
#include "bench/Stopwatch.h"
#include "framework/Handles.h"
#include "history/FileNames.h"
#include "resource.h"

namespace {

constexpr int kRounds = 10;
constexpr int kCopiesPerRound = 20;  // 200 copies per size and side
constexpr int kWarmupCopies = 3;
constexpr UINT kAnswerTimeoutMs = 10000;
constexpr double kLostAfterMs = 3000;

// Who receives the clipboard notices, and how to ask it for its count.
struct Receiver {
    HWND window = nullptr;
    UINT query = 0;
    // Quillary only: Clear All now and then keeps the 1 MB copies from piling up.
    const ProductProcess* product = nullptr;
};

bool AskCount(const Receiver& receiver, LRESULT& count)
{
    DWORD_PTR answer = 0;
    if (!SendMessageTimeoutW(receiver.window, receiver.query, 0, 0, SMTO_NORMAL, kAnswerTimeoutMs, &answer))
        return false;
    count = static_cast<LRESULT>(answer);
    return true;
}

HWND CreateOwnerWindow()
{
    return CreateWindowExW(0, L"STATIC", L"Quillary bench clipboard owner", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr,
                           GetModuleHandleW(nullptr), nullptr);
}

// Sets the text and waits for the receiver's count to move. -1 when the change
// was lost (never counted), -2 when the receiver stopped answering.
double TimeOneCopy(HWND owner, const std::wstring& text, const Receiver& receiver)
{
    LRESULT before = 0;
    if (!AskCount(receiver, before))
        return -2;
    const size_t bytes = (text.size() + 1) * sizeof(wchar_t);
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, bytes);
    if (!block)
        return -2;
    {
        GlobalLockGuard lock(block);
        std::memcpy(lock.Data(), text.c_str(), bytes);
    }
    Stopwatch watch;
    while (!OpenClipboard(owner)) {
        if (watch.ElapsedMs() > kLostAfterMs) {
            GlobalFree(block);
            return -1;
        }
        Sleep(0);
    }
    EmptyClipboard();
    if (!SetClipboardData(CF_UNICODETEXT, block))
        GlobalFree(block);
    CloseClipboard();
    LRESULT now = before;
    do {
        if (!AskCount(receiver, now))
            return -2;
    } while (now == before && watch.ElapsedMs() < kLostAfterMs);
    const double elapsed = watch.ElapsedMs();
    return now == before ? -1 : elapsed;
}

// One round of copies; the median goes into `medians`, every copy into `all`.
bool RunRound(HWND owner, const std::wstring& text, const Receiver& receiver, int clearEvery, Samples& medians,
              Samples& all, int& lost)
{
    Samples round;
    for (int copy = 0; copy < kWarmupCopies + kCopiesPerRound; ++copy) {
        if (receiver.product && clearEvery > 0 && copy % clearEvery == 0) {
            receiver.product->PostCommand(ID_MENU_CLEAR_ALL);
            receiver.product->Sync();
        }
        const double elapsed = TimeOneCopy(owner, text, receiver);
        if (elapsed == -2)
            return false;
        if (elapsed < 0)
            ++lost;
        else if (copy >= kWarmupCopies) {
            round.Add(elapsed);
            all.Add(elapsed);
        }
    }
    if (receiver.product) {
        receiver.product->PostCommand(ID_MENU_CLEAR_ALL);
        receiver.product->Sync();
    }
    if (round.Empty())
        return false;
    medians.Add(round.Median());
    return true;
}

bool RunQuillaryRound(const BenchFolder& folder, HWND owner, const std::wstring& text, bool popupShown,
                      int clearEvery, Samples& medians, Samples& all, int& lost)
{
    const SampleHistory empty(0, 0);
    if (!empty.WriteDataFolder(SampleHistory::DataFolderOf(folder.Path())))
        return false;
    ProductProcess product(folder.Path());
    if (!product.Start() || !product.WaitUntilReady(0, 60000))
        return false;
    if (!popupShown) {
        // Closing the popup only hides it: the state in which the user copies elsewhere.
        PostMessageW(product.Popup(), WM_CLOSE, 0, 0);
        product.Sync();
    }
    const Receiver receiver = {product.List(), LVM_GETITEMCOUNT, &product};
    return RunRound(owner, text, receiver, clearEvery, medians, all, lost);
}

std::wstring ViewerPath()
{
    wchar_t self[MAX_PATH];
    const DWORD length = GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring path(self, length);
    return path.substr(0, path.find_last_of(L"\\/") + 1) + L"bench_viewer.exe";
}

bool RunViewerRound(HWND owner, const std::wstring& text, Samples& medians, Samples& all, int& lost)
{
    std::wstring commandLine = L"\"" + ViewerPath() + L"\"";
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION started = {};
    if (!CreateProcessW(nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &started))
        return false;
    CloseHandle(started.hThread);
    UniqueFileHandle process(started.hProcess);
    Receiver receiver = {nullptr, kQueryReads, nullptr};
    const Stopwatch wait;
    while (!receiver.window && wait.ElapsedMs() < 30000 && WaitForSingleObject(process.Get(), 1) == WAIT_TIMEOUT) {
        HWND found = FindWindowW(kBenchViewerClass, nullptr);
        DWORD owner = 0;
        GetWindowThreadProcessId(found, &owner);
        if (found && owner == started.dwProcessId)
            receiver.window = found;
    }
    LRESULT ignored = 0;
    bool ok = receiver.window && AskCount(receiver, ignored) &&
              RunRound(owner, text, receiver, 0, medians, all, lost);
    if (receiver.window)
        PostMessageW(receiver.window, WM_CLOSE, 0, 0);
    if (WaitForSingleObject(process.Get(), 10000) != WAIT_OBJECT_0) {
        TerminateProcess(process.Get(), 1);
        ok = false;
    }
    return ok;
}

void BenchCapture(HWND owner, const BenchFolder& folder, size_t chars, const char* size, int clearEvery,
                  bool popupShown, int rounds, double target)
{
    const std::u16string sample = SampleHistory(1, chars).Text(0);
    const std::wstring text(sample.begin(), sample.end());
    std::string work = std::string("copy to entry in the list, text of ") + size + ", popup " +
                       (popupShown ? "shown" : "hidden");
    FigureRow row("Capture", work, "bare clipboard viewer process reading the text", FigureRow::Unit::Milliseconds,
                  target);
    Samples quillaryAll, viewerAll;
    int quillaryLost = 0, viewerLost = 0;
    for (int round = 0; round < rounds; ++round) {
        Samples quillary, viewer;
        if (!RunQuillaryRound(folder, owner, text, popupShown, clearEvery, quillary, quillaryAll, quillaryLost) ||
            !RunViewerRound(owner, text, viewer, viewerAll, viewerLost)) {
            row.SetFailure("a round did not finish");
            continue;
        }
        row.AddRun(quillary.Median(), viewer.Median());
    }
    if (quillaryLost || viewerLost)
        row.SetFailure("copies not seen: Quillary " + std::to_string(quillaryLost) + ", viewer " +
                       std::to_string(viewerLost));
    row.Print();
    std::printf("NOTE\tCapture, %s, popup %s: median of all copies %.3f ms (Quillary, %zu copies) vs %.3f ms (viewer, %zu copies)\n",
                size, popupShown ? "shown" : "hidden", quillaryAll.Median(), quillaryAll.Count(), viewerAll.Median(),
                viewerAll.Count());
    std::fflush(stdout);
}

}  // namespace

int wmain()
{
    BenchFolder folder(L"capture");
    HWND owner = CreateOwnerWindow();
    if (!folder.Created() || !owner) {
        std::fprintf(stderr, "cannot prepare the capture benchmark\n");
        return 1;
    }
    BenchCapture(owner, folder, 100, "100 B", 0, false, kRounds, 1.2);
    BenchCapture(owner, folder, 1 << 20, "1 MB", 5, false, kRounds, 1.2);
    DestroyWindow(owner);
    return 0;
}
