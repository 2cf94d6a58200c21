#pragma once
#include "history/model/EntryFormats.h"

#include <cstdint>
#include <set>
#include <string>
#include <tuple>

// The programs that rendered a clipboard format on demand too slowly to be
// asked for it again until Quillary restarts: a copy must never keep the user
// or the copying program waiting twice. Programs are known by their
// executable's file name, in any case; a copy whose program is unknown is
// always asked.
class SlowRenderers {
public:
    // About half a second: far beyond what a program that holds the data takes.
    static constexpr std::uint64_t kSlowMs = 500;

    bool MayAsk(const std::wstring& program, const FormatName& format) const;
    // How long `program` took to hand over `format`; true when that makes it slow.
    bool Note(const std::wstring& program, const FormatName& format, std::uint64_t elapsedMs);

private:
    // The program (lower case), then the format's name and number.
    using Key = std::tuple<std::wstring, std::wstring, std::uint32_t>;
    static Key KeyOf(const std::wstring& program, const FormatName& format);

    std::set<Key> m_slow;
};
