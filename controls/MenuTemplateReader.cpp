#include "controls/MenuTemplateReader.h"

MenuTemplateReader::MenuTemplateReader(const BYTE* data, size_t size) : m_data(data), m_size(size)
{
    WORD headerOffset = 0;
    if (ReadWord(nullptr) && ReadWord(&headerOffset))
        m_at += headerOffset;
}

bool MenuTemplateReader::ReadItem(WORD& option, UINT& id, std::wstring& text)
{
    id = 0;
    if (!ReadWord(&option))
        return false;
    if (!(option & MF_POPUP)) {
        WORD command = 0;
        if (!ReadWord(&command))
            return false;
        id = command;
    }
    text.clear();
    for (;;) {
        WORD ch = 0;
        if (!ReadWord(&ch))
            return false;
        if (!ch)
            return true;
        text += static_cast<wchar_t>(ch);
    }
}

// Little-endian whatever the host, as the resource compiler writes it.
bool MenuTemplateReader::ReadWord(WORD* value)
{
    if (m_at + sizeof(WORD) > m_size)
        return false;
    if (value)
        *value = static_cast<WORD>(m_data[m_at] | (m_data[m_at + 1] << 8));
    m_at += sizeof(WORD);
    return true;
}
