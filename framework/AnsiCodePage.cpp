#include "framework/AnsiCodePage.h"

#include <windows.h>

#include <climits>

namespace {

const wchar_t* Wide(std::u16string_view text) { return reinterpret_cast<const wchar_t*>(text.data()); }

std::u16string ToUtf16(UINT codePage, const std::string& bytes)
{
    if (bytes.empty() || bytes.size() > INT_MAX)
        return std::u16string();
    const int size = static_cast<int>(bytes.size());
    const int units = MultiByteToWideChar(codePage, 0, bytes.data(), size, nullptr, 0);
    if (units <= 0)
        return std::u16string();
    std::u16string text(static_cast<size_t>(units), u'\0');
    MultiByteToWideChar(codePage, 0, bytes.data(), size, reinterpret_cast<wchar_t*>(&text[0]), units);
    return text;
}

template <typename Text>
bool IsAscii(const Text& text)
{
    for (const auto unit : text) {
        if (static_cast<unsigned>(unit) >= 0x80)
            return false;
    }
    return true;
}

}  // namespace

bool AnsiCodePage::Encode(std::u16string_view text, std::string& out) const
{
    out.clear();
    if (text.empty())
        return true;
    // Every ANSI code page keeps 0-127 as ASCII; skipping the system's tables
    // (a conversion and a check back) matters for long texts saved at exit.
    if (IsAscii(text)) {
        out.assign(text.begin(), text.end());
        return true;
    }
    if (text.size() > INT_MAX)
        return false;
    const UINT codePage = GetACP();
    // UTF-8 code pages reject the flag and the default-character report; the
    // round trip below still catches what they cannot hold (lone surrogates).
    const bool utf8 = codePage == CP_UTF8;
    const DWORD flags = utf8 ? 0 : WC_NO_BEST_FIT_CHARS;
    BOOL usedDefault = FALSE;
    BOOL* usedDefaultOut = utf8 ? nullptr : &usedDefault;
    const int units = static_cast<int>(text.size());
    const int size = WideCharToMultiByte(codePage, flags, Wide(text), units, nullptr, 0, nullptr, usedDefaultOut);
    if (size <= 0 || usedDefault)
        return false;
    out.resize(static_cast<size_t>(size));
    WideCharToMultiByte(codePage, flags, Wide(text), units, &out[0], size, nullptr, usedDefaultOut);
    if (usedDefault || ToUtf16(codePage, out) != text) {
        out.clear();
        return false;
    }
    return true;
}

std::wstring AnsiCodePage::DecodeWide(std::string_view bytes) const
{
    if (IsAscii(bytes))
        return std::wstring(bytes.begin(), bytes.end());
    if (bytes.size() > INT_MAX)
        return std::wstring();
    const UINT codePage = GetACP();
    const int size = static_cast<int>(bytes.size());
    const int units = MultiByteToWideChar(codePage, 0, bytes.data(), size, nullptr, 0);
    if (units <= 0)
        return std::wstring();
    std::wstring text(static_cast<size_t>(units), L'\0');
    MultiByteToWideChar(codePage, 0, bytes.data(), size, &text[0], units);
    return text;
}

std::u16string AnsiCodePage::Decode(const std::string& bytes) const
{
    if (IsAscii(bytes))
        return std::u16string(bytes.begin(), bytes.end());
    return ToUtf16(GetACP(), bytes);
}

const AnsiCodePage& AnsiCodePage::System()
{
    static const AnsiCodePage codec;
    return codec;
}
