#include "bench/CopyTimer.h"

#include "bench/ProductProcess.h"
#include "bench/Stopwatch.h"
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

double CopyTimer::TimeOneCopy(const ClipboardCopy& copy, const Receiver& receiver) const
{
    LRESULT before = 0;
    if (!Ask(receiver, before))
        return -2;
    ClipboardCopy::Blocks blocks = copy.MakeBlocks();
    if (blocks.empty())
        return -2;
    Stopwatch watch;
    if (!ClipboardCopy::Place(m_owner, blocks, kLostAfterMs))
        return -1;
    LRESULT now = before;
    do {
        if (!Ask(receiver, now))
            return -2;
    } while (now == before && watch.ElapsedMs() < kLostAfterMs);
    const double elapsed = watch.ElapsedMs();
    return now == before ? -1 : elapsed;
}

bool CopyTimer::RunRound(const ClipboardCopy& copy, const Receiver& receiver, int clearEvery, Samples& medians,
                         Samples& all, const std::function<bool()>& beforeCopy) const
{
    return RunTimedRound(
        [&](int made) {
            if (receiver.product && clearEvery > 0 && made % clearEvery == 0) {
                receiver.product->PostCommand(ID_MENU_CLEAR_ALL);
                receiver.product->Sync();
            }
            if (beforeCopy && !beforeCopy())
                return -2.0;
            return TimeOneCopy(copy, receiver);
        },
        medians, all, m_lost);
}

bool CopyTimer::RunTimedRound(const std::function<double(int made)>& timeOne, Samples& medians, Samples& all,
                              int& lost, int warmup, int timed)
{
    Samples round;
    for (int made = 0; made < warmup + timed; ++made) {
        const double elapsed = timeOne(made);
        if (elapsed == -2)
            return false;
        if (elapsed < 0)
            ++lost;
        else if (made >= warmup) {
            round.Add(elapsed);
            all.Add(elapsed);
        }
    }
    if (round.Empty())
        return false;
    medians.Add(round.Median());
    return true;
}
