#pragma once
#include <windows.h>

#include <cstddef>
#include <string>

// Reads the standard menu template: a header (version, offset to the first
// item), then items of an option word, a command id unless the item opens a
// popup, and a NUL-terminated UTF-16 text. Reads never go past `size`.
class MenuTemplateReader {
public:
    MenuTemplateReader(const BYTE* data, size_t size);

    // The next item; false when the template ends before the item does.
    bool ReadItem(WORD& option, UINT& id, std::wstring& text);

private:
    bool ReadWord(WORD* value);

    const BYTE* m_data;
    size_t m_size;
    size_t m_at = 0;
};
