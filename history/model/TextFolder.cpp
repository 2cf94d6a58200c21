#include "history/model/TextFolder.h"

#include <windows.h>

#include <climits>
#include <cwctype>

namespace {

bool IsCombiningAccent(wchar_t ch)
{
    return ch >= 0x0300 && ch <= 0x036F;
}

bool IsAsciiRun(std::wstring_view text)
{
    for (wchar_t ch : text) {
        if (ch >= 0x80)
            return false;
    }
    return true;
}

// Decomposes `text` into `out`; on failure the text goes on as it is.
void Decompose(std::wstring_view text, std::wstring& out)
{
    out.clear();
    if (text.empty() || text.size() > INT_MAX / 4) {
        out.assign(text);
        return;
    }
    const int length = static_cast<int>(text.size());
    // A character decomposes into at most a few; grow once when that is not enough.
    for (int capacity = length * 3 + 8;; capacity *= 2) {
        out.resize(static_cast<size_t>(capacity));
        const int written = FoldStringW(MAP_COMPOSITE, text.data(), length, out.data(), capacity);
        if (written > 0) {
            out.resize(static_cast<size_t>(written));
            return;
        }
        if (GetLastError() != ERROR_INSUFFICIENT_BUFFER || capacity > INT_MAX / 4) {
            out.assign(text);
            return;
        }
    }
}

}  // namespace

std::wstring_view TextFolder::Fold(std::wstring_view text)
{
    m_folded.clear();
    if (IsAsciiRun(text)) {
        // Nothing to decompose and no locale rule for ASCII letters: the common case, kept cheap.
        m_folded.resize(text.size());
        for (size_t i = 0; i < text.size(); ++i) {
            const wchar_t ch = text[i];
            m_folded[i] = (ch >= L'A' && ch <= L'Z') ? static_cast<wchar_t>(ch + (L'a' - L'A')) : ch;
        }
        return m_folded;
    }
    Decompose(text, m_decomposed);
    size_t kept = 0;
    for (wchar_t ch : m_decomposed) {
        if (!IsCombiningAccent(ch))
            m_decomposed[kept++] = ch;
    }
    m_decomposed.resize(kept);
    if (m_decomposed.empty())
        return m_folded;
    const int length = static_cast<int>(m_decomposed.size());
    m_folded.resize(m_decomposed.size());
    const int written = LCMapStringEx(LOCALE_NAME_INVARIANT, LCMAP_LOWERCASE, m_decomposed.data(), length,
                                      m_folded.data(), length, nullptr, nullptr, 0);
    if (written <= 0)
        m_folded = m_decomposed;
    else
        m_folded.resize(static_cast<size_t>(written));
    return m_folded;
}

std::vector<std::wstring> TextFolder::FoldWords(std::wstring_view query)
{
    std::vector<std::wstring> words;
    size_t start = 0;
    while (start < query.size()) {
        while (start < query.size() && std::iswspace(query[start]))
            ++start;
        size_t end = start;
        while (end < query.size() && !std::iswspace(query[end]))
            ++end;
        if (end > start) {
            std::wstring_view folded = Fold(query.substr(start, end - start));
            if (!folded.empty())
                words.emplace_back(folded);
        }
        start = end;
    }
    return words;
}

bool ContainsAllWords(std::wstring_view text, const std::vector<std::wstring>& words)
{
    for (const std::wstring& word : words) {
        if (text.find(word) == std::wstring_view::npos)
            return false;
    }
    return true;
}
