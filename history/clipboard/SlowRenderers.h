#pragma once
#include "history/model/EntryFormats.h"

#include <windows.h>

#include <cstdint>
#include <set>
#include <string>
#include <tuple>
#include <vector>

// Who renders a copy on demand: the program that owns the clipboard, by its
// executable's file name, or by its window when that name cannot be read.
struct Renderer {
    std::wstring program;
    HWND window = nullptr;
};

// How long one format beyond the text took to come, or that it did not come
// in time at all.
struct FormatTiming {
    FormatName format;
    std::uint64_t elapsedMs = 0;
    bool answered = true;
};

// The programs that rendered clipboard formats on demand too slowly to be
// asked for them again until Quillary restarts: a copy must never keep the
// user or the copying program waiting twice. The whole copy counts: when its
// formats took more than kSlowMs in all, the slowest are not asked again until
// what remains fits; one that did not come in time is never asked again. A
// copy whose program is known neither by name nor by window is always asked.
class SlowRenderers {
public:
    // About half a second for all of a copy's formats: far beyond what a
    // program that holds the data takes.
    static constexpr std::uint64_t kSlowMs = 500;

    bool MayAsk(const Renderer& renderer, const FormatName& format) const;
    // What one copy's formats cost; the formats it stops asking for, slowest first.
    std::vector<FormatName> NoteCopy(const Renderer& renderer, std::vector<FormatTiming> timings);

private:
    // The program (lower case) or the window, then the format's name and number.
    using Key = std::tuple<std::wstring, std::uintptr_t, std::wstring, std::uint32_t>;
    static bool Known(const Renderer& renderer) { return !renderer.program.empty() || renderer.window; }
    static Key KeyOf(const Renderer& renderer, const FormatName& format);

    std::set<Key> m_slow;
};
