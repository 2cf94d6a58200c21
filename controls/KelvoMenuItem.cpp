#include "controls/KelvoMenuItem.h"

#include <vector>

void KelvoMenuItem::SetWideText(const wchar_t* text)
{
    if (text)
        m_text = text;
    else
        m_text.clear();
}

void KelvoMenuItem::SetText(const char* text)
{
    m_text.clear();
    if (!text)
        return;
    int length = MultiByteToWideChar(CP_ACP, 0, text, -1, nullptr, 0);
    if (length <= 1)
        return;
    std::vector<wchar_t> buffer(static_cast<size_t>(length));
    MultiByteToWideChar(CP_ACP, 0, text, -1, buffer.data(), length);
    m_text.assign(buffer.data(), static_cast<size_t>(length - 1));
}
