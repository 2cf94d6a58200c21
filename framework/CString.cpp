#include "framework/CString.h"

#include <windows.h>
#include <cwchar>
#include <cwctype>
#include <vector>

CString CString::Left(int count) const
{
    if (count <= 0)
        return CString();
    return CString(m_text.substr(0, static_cast<size_t>(count)));
}

CString CString::Mid(int first, int count) const
{
    if (first < 0)
        first = 0;
    if (static_cast<size_t>(first) >= m_text.size())
        return CString();
    if (count < 0)
        return CString(m_text.substr(static_cast<size_t>(first)));
    return CString(m_text.substr(static_cast<size_t>(first), static_cast<size_t>(count)));
}

int CString::Find(const wchar_t* what, int start) const
{
    if (!what || start < 0)
        return -1;
    size_t at = m_text.find(what, static_cast<size_t>(start));
    return at == std::wstring::npos ? -1 : static_cast<int>(at);
}

int CString::Find(wchar_t what, int start) const
{
    if (start < 0)
        return -1;
    size_t at = m_text.find(what, static_cast<size_t>(start));
    return at == std::wstring::npos ? -1 : static_cast<int>(at);
}

void CString::MakeLower()
{
    if (!m_text.empty())
        CharLowerBuffW(&m_text[0], static_cast<DWORD>(m_text.size()));
}

void CString::Format(const wchar_t* format, ...)
{
    va_list args;
    va_start(args, format);
    FormatV(format, args);
    va_end(args);
}

void CString::FormatV(const wchar_t* format, va_list args)
{
    // vswprintf reports overflow as -1, so grow until the text fits.
    std::vector<wchar_t> buffer(256);
    for (;;) {
        va_list copy;
        va_copy(copy, args);
        int written = std::vswprintf(buffer.data(), buffer.size(), format, copy);
        va_end(copy);
        if (written >= 0 && static_cast<size_t>(written) < buffer.size()) {
            m_text.assign(buffer.data(), static_cast<size_t>(written));
            return;
        }
        if (buffer.size() >= (1u << 24)) {
            m_text.clear();
            return;
        }
        buffer.resize(buffer.size() * 4);
    }
}

bool CString::LoadString(unsigned int id)
{
    const wchar_t* resource = nullptr;
    // With a zero buffer size the call returns a read-only pointer into the resource.
    int length = ::LoadStringW(GetModuleHandleW(nullptr), id, reinterpret_cast<LPWSTR>(&resource), 0);
    if (length <= 0 || !resource) {
        m_text.clear();
        return false;
    }
    m_text.assign(resource, static_cast<size_t>(length));
    return true;
}
