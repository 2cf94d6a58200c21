#pragma once
#include <windows.h>

#include <string>

#include "framework/CString.h"

// The record behind one owner-drawn item of a KelvoMenu; its address is the
// item data that the system hands back for measuring and drawing.
class KelvoMenuItem {
public:
    KelvoMenuItem() = default;
    KelvoMenuItem(const KelvoMenuItem&) = delete;
    KelvoMenuItem& operator=(const KelvoMenuItem&) = delete;

    // Copies the text; null clears it.
    void SetWideText(const wchar_t* text);
    // Converts from the ANSI code page.
    void SetText(const char* text);
    const std::wstring& GetWideText() const { return m_text; }
    CString GetText() const { return CString(m_text); }

    std::wstring m_text;        // may hold tabs (accelerator column) and "&" mnemonics
    int m_sharedImageIndex = -1;  // glyph in KelvoMenu's shared image list, or -1
    UINT m_flags = 0;             // MF_ flags the item was last appended or modified with
    UINT_PTR m_commandId = 0;     // command id; the popup's handle for a popup; 0 for a separator
};
