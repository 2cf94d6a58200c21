#include "history/store/saveset/SetFileNames.h"

#include <algorithm>
#include <iterator>

namespace set_files {

namespace {

bool AllDigits(std::u16string_view text)
{
    return !text.empty() &&
           std::all_of(text.begin(), text.end(), [](char16_t unit) { return unit >= u'0' && unit <= u'9'; });
}

bool EndsWith(std::u16string_view text, std::u16string_view end)
{
    return text.size() >= end.size() && text.substr(text.size() - end.size()) == end;
}

}  // namespace

bool IsSetFile(std::u16string_view name)
{
    constexpr std::u16string_view kNames[] = {u"data.data",   u"imgOption.data", u"data.journal", u"data.extras",
                                              u"data.qdata",  u"data.qextras",   u"data.qjournal", u"history.key"};
    if (std::find(std::begin(kNames), std::end(kNames), name) != std::end(kNames))
        return true;
    // Pictures, plain ("N.dat") and sealed ("N.qdat").
    for (std::u16string_view suffix : {u".dat", u".qdat"}) {
        if (EndsWith(name, suffix) && AllDigits(name.substr(0, name.size() - suffix.size())))
            return true;
    }
    // Formats files: an entry's id in 16 hex digits, ".fmt" or ".qfmt".
    for (std::u16string_view suffix : {u".fmt", u".qfmt"}) {
        if (EndsWith(name, suffix) && name.size() == 16 + suffix.size() &&
            std::all_of(name.begin(), name.begin() + 16,
                        [](char16_t unit) { return (unit >= u'0' && unit <= u'9') || (unit >= u'a' && unit <= u'f'); }))
            return true;
    }
    return false;
}

// "<target>.<digits>-<digits>.qtmp"
bool IsTemporaryOf(std::u16string_view name, std::u16string_view target)
{
    constexpr std::u16string_view kSuffix = u".qtmp";
    if (name.size() <= target.size() + 1 || name.substr(0, target.size()) != target || name[target.size()] != u'.' ||
        !EndsWith(name, kSuffix))
        return false;
    const std::u16string_view token = name.substr(target.size() + 1, name.size() - target.size() - 1 - kSuffix.size());
    const std::size_t dash = token.find(u'-');
    return dash != std::u16string_view::npos && AllDigits(token.substr(0, dash)) && AllDigits(token.substr(dash + 1));
}

}  // namespace set_files
