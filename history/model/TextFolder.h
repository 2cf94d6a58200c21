#pragma once
#include <string>
#include <string_view>
#include <vector>

// The form texts and queries are compared in: decomposed, combining accents
// (U+0300-U+036F) dropped, lower case. "Café", "CAFÉ" and "cafe" fold alike,
// and so do "İstanbul" and "istanbul". One folder reuses its buffers.
class TextFolder {
public:
    // The folded form of `text`, valid until the next call.
    std::wstring_view Fold(std::wstring_view text);

    // The folded words of a query (split at white space), empty ones dropped.
    std::vector<std::wstring> FoldWords(std::wstring_view query);

private:
    std::wstring m_decomposed;
    std::wstring m_folded;
};

// True when `text` (folded) contains every one of `words` (folded).
bool ContainsAllWords(std::wstring_view text, const std::vector<std::wstring>& words);
