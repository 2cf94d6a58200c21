#pragma once
#include "history/clipboard/CapturedCopy.h"
#include "history/clipboard/SlowRenderers.h"

#include <cstdint>
#include <mutex>
#include <optional>
#include <vector>

// The copy whose formats beyond the text a capture thread is asking for,
// shared with the popup's watch. The formats of one copy share a budget: once
// it is spent nothing more is asked, and when a program holds the thread in a
// render past it, the popup takes the copy as far as it was read. The thread,
// when the program lets it go, finds the copy gone and reads nothing more.
class CopyInFlight {
public:
    static constexpr std::uint64_t kFormatsBudgetMs = 1000;

    // A copy that went to the history, with what its formats cost.
    struct Finished {
        std::optional<CapturedCopy> copy;
        Renderer renderer;
        std::vector<FormatTiming> timings;
    };

    // Capture thread. The text is read and these formats are to be asked
    // for: their time starts now.
    void Start(CopyDraft draft, Renderer renderer, std::vector<FormatName> formats);
    // Before a format is asked for: false when the time is spent or the copy
    // was taken. Formats never asked for go as not given in time.
    bool MayAsk(const FormatName& format);
    // What the program gave for the format asked: its bytes, or nothing.
    void Given(KeptFormat kept);
    void GivenTooLarge(const FormatName& format);
    void GivenNothing(const FormatName& format);
    // Not asked: its program was slow to give it before, or does not answer.
    void Skipped(const FormatName& format);
    // The copy settled; nothing when the popup took it.
    std::optional<Finished> Finish();

    // Popup: the copy when a render holds it past its time.
    std::optional<Finished> TakeOverdue();
    // Popup: its formats are still being asked for.
    bool Reading() const;

private:
    // The format asked for came back: how long it took, and it is no longer pending.
    void Answered(const FormatName& format);
    Finished SettleLocked();

    mutable std::mutex m_mutex;
    bool m_reading = false;
    CopyDraft m_draft;
    Renderer m_renderer;
    std::vector<FormatTiming> m_timings;
    std::vector<FormatName> m_pending;
    std::uint64_t m_started = 0;
    // The format being asked for, and since when.
    std::optional<FormatName> m_asking;
    std::uint64_t m_askedAt = 0;
};
