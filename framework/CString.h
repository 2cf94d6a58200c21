#pragma once
#include <windows.h>

#include <cstdarg>
#include <string>

// The framework's string: UTF-16 text with the handful of operations the
// program needs. Format strings are printf-style; use %ls for strings so the
// same format works with every C runtime.
class CString {
public:
    CString() = default;
    CString(const wchar_t* text) : m_text(text ? text : L"") {}
    CString(const wchar_t* text, size_t length) : m_text(text ? std::wstring(text, length) : std::wstring()) {}
    CString(std::wstring text) : m_text(std::move(text)) {}

    int GetLength() const { return static_cast<int>(m_text.size()); }
    bool IsEmpty() const { return m_text.empty(); }
    void Empty() { m_text.clear(); }
    operator const wchar_t*() const { return m_text.c_str(); }
    const wchar_t* GetString() const { return m_text.c_str(); }
    const std::wstring& Str() const { return m_text; }
    std::wstring& Str() { return m_text; }

    CString& operator+=(const CString& other) { m_text += other.m_text; return *this; }
    CString& operator+=(const wchar_t* other) { if (other) m_text += other; return *this; }
    CString& operator+=(wchar_t ch) { m_text += ch; return *this; }
    friend CString operator+(CString left, const CString& right) { left += right; return left; }
    friend CString operator+(CString left, const wchar_t* right) { left += right; return left; }
    friend CString operator+(const wchar_t* left, const CString& right) { return CString(left) += right; }
    friend bool operator==(const CString& a, const CString& b) { return a.m_text == b.m_text; }
    friend bool operator!=(const CString& a, const CString& b) { return a.m_text != b.m_text; }
    friend bool operator==(const CString& a, const wchar_t* b) { return a.m_text == (b ? b : L""); }
    friend bool operator!=(const CString& a, const wchar_t* b) { return !(a == b); }

    CString Left(int count) const;
    CString Mid(int first, int count = -1) const;
    int Find(const wchar_t* what, int start = 0) const;
    int Find(wchar_t what, int start = 0) const;
    void MakeLower();

    void Format(const wchar_t* format, ...);
    void FormatV(const wchar_t* format, va_list args);
    // Loads a string resource of the running module; false (and empty) when it is missing.
    bool LoadString(unsigned int id);

private:
    std::wstring m_text;
};
