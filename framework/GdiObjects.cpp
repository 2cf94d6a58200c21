#include "framework/GdiObjects.h"

#include "framework/AfxResource.h"

BOOL CGdiObject::Attach(HGDIOBJ object)
{
    if (!object || m_hObject)
        return FALSE;
    m_hObject = object;
    return TRUE;
}

HGDIOBJ CGdiObject::Detach()
{
    HGDIOBJ object = m_hObject;
    m_hObject = nullptr;
    return object;
}

BOOL CGdiObject::DeleteObject()
{
    if (!m_hObject)
        return FALSE;
    return ::DeleteObject(Detach());
}

BOOL CGdiObject::Replace(HGDIOBJ made)
{
    if (!made)
        return FALSE;
    DeleteObject();
    m_hObject = made;
    return TRUE;
}

BOOL CBitmap::LoadBitmap(UINT id)
{
    HINSTANCE module = AfxFindResourceHandle(MAKEINTRESOURCEW(id), RT_BITMAP);
    return Replace(::LoadBitmapW(module, MAKEINTRESOURCEW(id)));
}

BOOL CBitmap::CreateCompatibleBitmap(HDC dc, int width, int height)
{
    return Replace(::CreateCompatibleBitmap(dc, width, height));
}

BOOL CBitmap::CreateBitmap(int width, int height, UINT planes, UINT bitsPerPixel, const void* bits)
{
    return Replace(::CreateBitmap(width, height, planes, bitsPerPixel, bits));
}

BOOL CFont::CreateFontIndirect(const LOGFONTW* font)
{
    return Replace(::CreateFontIndirectW(font));
}

BOOL CBrush::CreateSolidBrush(COLORREF colour)
{
    return Replace(::CreateSolidBrush(colour));
}

BOOL CPen::CreatePen(int style, int width, COLORREF colour)
{
    return Replace(::CreatePen(style, width, colour));
}
