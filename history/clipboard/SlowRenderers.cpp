#include "history/clipboard/SlowRenderers.h"

#include <algorithm>

SlowRenderers::Key SlowRenderers::KeyOf(const Renderer& renderer, const FormatName& format)
{
    std::wstring name = renderer.program;
    if (!name.empty()) {
        CharLowerBuffW(&name[0], static_cast<DWORD>(name.size()));
        return {name, 0, format.name, format.number};
    }
    return {L"", reinterpret_cast<std::uintptr_t>(renderer.window), format.name, format.number};
}

bool SlowRenderers::MayAsk(const Renderer& renderer, const FormatName& format) const
{
    return !Known(renderer) || m_slow.count(KeyOf(renderer, format)) == 0;
}

std::vector<FormatName> SlowRenderers::NoteCopy(const Renderer& renderer, std::vector<FormatTiming> timings)
{
    std::vector<FormatName> marked;
    if (!Known(renderer))
        return marked;
    // Those that never came first, then the slowest: each one marked takes its
    // cost off the copy until what is left fits.
    std::stable_sort(timings.begin(), timings.end(), [](const FormatTiming& a, const FormatTiming& b) {
        if (a.answered != b.answered)
            return !a.answered;
        return a.elapsedMs > b.elapsedMs;
    });
    std::uint64_t total = 0;
    for (const FormatTiming& timing : timings)
        total += timing.elapsedMs;
    for (const FormatTiming& timing : timings) {
        if (timing.answered && total <= kSlowMs)
            break;
        total -= timing.elapsedMs;
        if (m_slow.insert(KeyOf(renderer, timing.format)).second)
            marked.push_back(timing.format);
    }
    return marked;
}
