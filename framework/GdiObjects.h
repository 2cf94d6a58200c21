#pragma once
#include <windows.h>

// Owners of GDI objects. Each deletes the object it holds when it goes away,
// unless the handle was detached first. None can be copied.
//
// Create* and LoadBitmap on an owner that already holds an object replace it:
// when the new object is made, the old one is deleted (it must not be selected
// into a DC then); when it cannot be made, the owner keeps the old one.
class CGdiObject {
public:
    CGdiObject() = default;
    virtual ~CGdiObject() { DeleteObject(); }
    CGdiObject(const CGdiObject&) = delete;
    CGdiObject& operator=(const CGdiObject&) = delete;

    HGDIOBJ m_hObject = nullptr;
    HGDIOBJ GetSafeHandle() const { return m_hObject; }

    // Takes ownership of a handle; fails when the object already holds one.
    BOOL Attach(HGDIOBJ object);
    HGDIOBJ Detach();
    BOOL DeleteObject();
    int GetObject(int size, void* buffer) const { return m_hObject ? ::GetObjectW(m_hObject, size, buffer) : 0; }

protected:
    // Holds a newly made object in place of the old one (deleted); FALSE, keeping the old one, for null.
    BOOL Replace(HGDIOBJ made);
};

class CBitmap : public CGdiObject {
public:
    HBITMAP GetHandle() const { return static_cast<HBITMAP>(m_hObject); }
    operator HBITMAP() const { return GetHandle(); }

    // Loads a bitmap resource from the module that holds it.
    BOOL LoadBitmap(UINT id);
    BOOL CreateCompatibleBitmap(HDC dc, int width, int height);
    BOOL CreateBitmap(int width, int height, UINT planes, UINT bitsPerPixel, const void* bits);
    int GetBitmap(BITMAP* info) const { return GetObject(sizeof(BITMAP), info); }
};

class CFont : public CGdiObject {
public:
    HFONT GetHandle() const { return static_cast<HFONT>(m_hObject); }
    operator HFONT() const { return GetHandle(); }

    BOOL CreateFontIndirect(const LOGFONTW* font);
    int GetLogFont(LOGFONTW* font) const { return GetObject(sizeof(LOGFONTW), font); }
};

class CBrush : public CGdiObject {
public:
    CBrush() = default;
    explicit CBrush(COLORREF colour) { CreateSolidBrush(colour); }
    HBRUSH GetHandle() const { return static_cast<HBRUSH>(m_hObject); }
    operator HBRUSH() const { return GetHandle(); }

    BOOL CreateSolidBrush(COLORREF colour);
};

class CPen : public CGdiObject {
public:
    CPen() = default;
    CPen(int style, int width, COLORREF colour) { CreatePen(style, width, colour); }
    HPEN GetHandle() const { return static_cast<HPEN>(m_hObject); }
    operator HPEN() const { return GetHandle(); }

    BOOL CreatePen(int style, int width, COLORREF colour);
};
