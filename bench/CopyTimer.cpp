#include "bench/CopyTimer.h"

#include <cstring>

#include "bench/ProductProcess.h"
#include "bench/Stopwatch.h"
#include "framework/Handles.h"
#include "resource.h"

namespace {

constexpr UINT kAnswerTimeoutMs = 10000;
constexpr double kLostAfterMs = 3000;

}  // namespace

bool CopyTimer::Ask(const Receiver& receiver, LRESULT& answer)
{
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutW(receiver.window, receiver.query, receiver.wParam, receiver.lParam, SMTO_NORMAL,
                             kAnswerTimeoutMs, &result))
        return false;
    answer = static_cast<LRESULT>(result);
    return true;
}

double CopyTimer::TimeOneCopy(const std::wstring& text, const Receiver& receiver) const
{
    LRESULT before = 0;
    if (!Ask(receiver, before))
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
    while (!OpenClipboard(m_owner)) {
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
        if (!Ask(receiver, now))
            return -2;
    } while (now == before && watch.ElapsedMs() < kLostAfterMs);
    const double elapsed = watch.ElapsedMs();
    return now == before ? -1 : elapsed;
}

bool CopyTimer::RunRound(const std::wstring& text, const Receiver& receiver, int clearEvery, Samples& medians,
                         Samples& all, const std::function<bool()>& beforeCopy) const
{
    Samples round;
    for (int copy = 0; copy < kWarmupCopies + kCopiesPerRound; ++copy) {
        if (receiver.product && clearEvery > 0 && copy % clearEvery == 0) {
            receiver.product->PostCommand(ID_MENU_CLEAR_ALL);
            receiver.product->Sync();
        }
        if (beforeCopy && !beforeCopy())
            return false;
        const double elapsed = TimeOneCopy(text, receiver);
        if (elapsed == -2)
            return false;
        if (elapsed < 0)
            ++m_lost;
        else if (copy >= kWarmupCopies) {
            round.Add(elapsed);
            all.Add(elapsed);
        }
    }
    if (round.Empty())
        return false;
    medians.Add(round.Median());
    return true;
}
