#include "history/share/ShareNames.h"

namespace sharenames {

namespace {

const wchar_t* Extension(segment::Kind kind)
{
    return kind == segment::Kind::Segment ? L".qseg" : L".qsnap";
}

}  // namespace

std::wstring Root(const std::wstring& folder)
{
    std::wstring root = folder;
    if (!root.empty() && root.back() != L'\\')
        root.push_back(L'\\');
    return root + L"Quillary\\";
}

const wchar_t* KeyFileName()
{
    return L"share.key";
}

std::wstring FileName(segment::Kind kind, std::uint32_t number)
{
    return std::to_wstring(number) + Extension(kind);
}

std::wstring TempName(segment::Kind kind, std::uint32_t number)
{
    return FileName(kind, number) + L".tmp";
}

bool Parse(const std::wstring& name, segment::Kind& kind, std::uint32_t& number)
{
    size_t digits = 0;
    std::uint64_t value = 0;
    while (digits < name.size() && name[digits] >= L'0' && name[digits] <= L'9' && digits < 9)
        value = value * 10 + static_cast<std::uint64_t>(name[digits++] - L'0');
    if (digits == 0 || (name[0] == L'0' && digits > 1))
        return false;
    const std::wstring rest = name.substr(digits);
    for (segment::Kind candidate : {segment::Kind::Segment, segment::Kind::Snapshot}) {
        if (rest == Extension(candidate)) {
            kind = candidate;
            number = static_cast<std::uint32_t>(value);
            return true;
        }
    }
    return false;
}

}  // namespace sharenames
