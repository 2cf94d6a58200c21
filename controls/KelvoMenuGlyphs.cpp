// Glyphs of KelvoMenu items: the shared image list, toolbar glyphs, and the
// faded, shadow and embossed looks.
#include <algorithm>

#include "controls/ControlColours.h"
#include "controls/KelvoMenu.h"
#include "framework/AfxResource.h"
#include "framework/CToolBar.h"
#include "framework/Handles.h"

namespace {

constexpr UINT kImageListFlags = ILC_COLORDDB | ILC_MASK;
constexpr DWORD kRopPaintBrushWhereMaskBlack = 0x00E20746;  // DSPDxax

// The button-face colour as a device of the bitmap's size stores it (it may
// be rounded to the device's colour depth).
COLORREF DeviceButtonFace(HDC reference, int width, int height)
{
    CDC dc;
    CBitmap bitmap;
    if (!dc.CreateCompatibleDC(reference) || !bitmap.CreateCompatibleBitmap(reference, width, height))
        return CLR_INVALID;
    HGDIOBJ previous = dc.SelectObject(&bitmap);
    CBrush face(ControlColours::Sys(COLOR_BTNFACE));
    RECT all = {0, 0, width, height};
    dc.FillRect(all, face);
    COLORREF colour = dc.GetPixel(1, 1);
    dc.SelectObject(previous);
    return colour;
}

// Replaces every pixel that is not button face with what `change` makes of it.
template <typename Change>
void RecolourGlyph(CBitmap* bitmap, Change change)
{
    BITMAP info = {};
    if (!bitmap || !bitmap->GetBitmap(&info))
        return;
    WindowDC screen(nullptr);
    CDC dc;
    if (!dc.CreateCompatibleDC(screen.Get()))
        return;
    HGDIOBJ previous = dc.SelectObject(bitmap);
    COLORREF reference = DeviceButtonFace(screen.Get(), info.bmWidth, info.bmHeight);
    for (int x = 0; x < info.bmWidth; ++x) {
        for (int y = 0; y < info.bmHeight; ++y) {
            COLORREF pixel = dc.GetPixel(x, y);
            if (pixel != reference)
                dc.SetPixel(x, y, change(pixel));
        }
    }
    dc.SelectObject(previous);
}

}  // namespace

COLORREF KelvoMenu::GlyphMaskColor() const
{
    return m_useMaskColor ? m_maskColor : ControlColours::Sys(COLOR_BTNFACE);
}

BOOL KelvoMenu::GlyphFromToolBar(UINT command, UINT toolbarId, int& image) const
{
    CToolBar bar;
    if (!bar.Create(ReferenceWindow(), WS_CHILD | WS_VISIBLE | CBRS_TOP, AFX_IDW_TOOLBAR))
        return FALSE;
    if (!bar.LoadToolBar(toolbarId))
        return FALSE;
    int index = bar.CommandToIndex(command);
    if (index < 0)
        return FALSE;
    UINT id = 0;
    UINT style = 0;
    int buttonImage = 0;
    bar.GetButtonInfo(index, id, style, buttonImage);
    if (buttonImage > 0)
        image = buttonImage;
    return TRUE;
}

HBITMAP KelvoMenu::LoadMappedBitmap(UINT bitmapId)
{
    const wchar_t* name = MAKEINTRESOURCEW(bitmapId);
    HINSTANCE module = AfxFindResourceHandle(name, RT_BITMAP);
    HRSRC resource = FindResourceW(module, name, RT_BITMAP);
    if (!resource) {
        module = GetModuleHandleW(nullptr);
        resource = FindResourceW(module, name, RT_BITMAP);
    }
    HGLOBAL loaded = resource ? LoadResource(module, resource) : nullptr;
    const auto* header = loaded ? static_cast<const BITMAPINFOHEADER*>(LockResource(loaded)) : nullptr;
    if (!header || SizeofResource(module, resource) < sizeof(BITMAPINFOHEADER))
        return nullptr;
    if (DibColorTableEntries(*header) != 16)
        return nullptr;
    return AfxLoadSysColorBitmap(module, resource, FALSE);
}

BOOL KelvoMenu::AddGlyphBitmap(CImageList* list, UINT bitmapId) const
{
    HBITMAP mapped = LoadMappedBitmap(bitmapId);
    if (!mapped) {
        const wchar_t* name = MAKEINTRESOURCEW(bitmapId);
        mapped = ::LoadBitmapW(AfxFindResourceHandle(name, RT_BITMAP), name);
    }
    if (!mapped)
        return FALSE;
    UniqueBitmap bitmap(mapped);
    return list->AddMasked(bitmap.Get(), GlyphMaskColor()) >= 0;
}

int KelvoMenu::FindSharedImage(UINT command)
{
    auto found = std::find(s_sharedImageIds.begin(), s_sharedImageIds.end(), static_cast<int>(command));
    return found == s_sharedImageIds.end() ? -1 : static_cast<int>(found - s_sharedImageIds.begin());
}

BOOL KelvoMenu::HasReliefCompanions(int index)
{
    if (index < 0 || static_cast<size_t>(index) + 2 >= s_sharedImageIds.size())
        return FALSE;
    int id = s_sharedImageIds[static_cast<size_t>(index)];
    return s_sharedImageIds[static_cast<size_t>(index) + 1] == id && s_sharedImageIds[static_cast<size_t>(index) + 2] == id;
}

int KelvoMenu::AddToSharedImages(CImageList* source, int image, UINT command) const
{
    if (!s_sharedImages.GetSafeHandle())
        s_sharedImages.Create(m_glyphWidth, m_glyphHeight, kImageListFlags, 1, 1);
    UniqueIcon icon(source->ExtractIcon(image));
    if (!icon)
        return -1;

    BOOL relief = UsesFlatStyle() && s_glyphRelief;
    CBitmap faded;
    CBitmap shadow;
    if (relief) {
        HWND window = ReferenceWindow();
        CDC dc;
        dc.Attach(::GetDC(window));
        if (RenderGlyphBitmap(&dc, source, image, faded))
            MakeFadedGlyph(&faded);
        if (RenderGlyphBitmap(&dc, source, image, shadow))
            MakeShadowGlyph(&shadow);
        ::ReleaseDC(window, dc.Detach());
    }

    COLORREF face = ControlColours::Sys(COLOR_BTNFACE);
    int index = FindSharedImage(command);
    if (index >= 0) {
        s_sharedImages.ReplaceIcon(index, icon.Get());
        if (relief && HasReliefCompanions(index)) {
            CImageList companions;
            companions.Create(m_glyphWidth, m_glyphHeight, kImageListFlags, 1, 1);
            companions.AddMasked(faded, face);
            companions.AddMasked(shadow, face);
            UniqueIcon fadedIcon(companions.ExtractIcon(0));
            UniqueIcon shadowIcon(companions.ExtractIcon(1));
            s_sharedImages.ReplaceIcon(index + 1, fadedIcon.Get());
            s_sharedImages.ReplaceIcon(index + 2, shadowIcon.Get());
        }
        return index;
    }

    index = s_sharedImages.ReplaceIcon(-1, icon.Get());
    if (index < 0)
        return -1;
    s_sharedImageIds.push_back(static_cast<int>(command));
    // An id goes with each image that really went in: a companion that could not
    // be made or added leaves no id behind, and the glyph simply has no relief.
    if (relief) {
        for (const CBitmap* companion : {&faded, &shadow}) {
            if (s_sharedImages.AddMasked(*companion, face) >= 0)
                s_sharedImageIds.push_back(static_cast<int>(command));
        }
    }
    return index;
}

int KelvoMenu::RegisterIconGlyph(HICON icon, UINT_PTR id) const
{
    CImageList single;
    single.Create(m_glyphWidth, m_glyphHeight, kImageListFlags, 1, 1);
    if (single.Add(icon) < 0)
        return -1;
    return AddToSharedImages(&single, 0, static_cast<UINT>(id));
}

BOOL KelvoMenu::RenderGlyphBitmap(CDC* dc, CImageList* list, int image, CBitmap& bitmap) const
{
    UniqueIcon icon(list->ExtractIcon(image));
    if (!icon)
        return FALSE;
    CDC memory;
    if (!memory.CreateCompatibleDC(*dc) || !bitmap.CreateCompatibleBitmap(*dc, m_glyphWidth, m_glyphHeight))
        return FALSE;
    CBrush face(ControlColours::Sys(COLOR_BTNFACE));
    HGDIOBJ previous = memory.SelectObject(&bitmap);
    ::DrawIconEx(memory, 0, 0, icon.Get(), m_glyphWidth, m_glyphHeight, 0, face, DI_NORMAL);
    memory.SelectObject(previous);
    return TRUE;
}

void KelvoMenu::MakeFadedGlyph(CBitmap* bitmap)
{
    RecolourGlyph(bitmap, [](COLORREF pixel) { return Lighten(pixel, 0.3); });
}

void KelvoMenu::MakeShadowGlyph(CBitmap* bitmap)
{
    COLORREF shadow = ControlColours::Sys(COLOR_BTNSHADOW);
    RecolourGlyph(bitmap, [shadow](COLORREF) { return shadow; });
}

void KelvoMenu::DrawEmbossedGlyph(CDC* target, int x, int y, int width, int height, CBitmap* glyph, int sourceX,
                                  int sourceY, COLORREF background)
{
    // The mask: black where the glyph has any colour but button face and button highlight.
    CDC maskDC;
    CBitmap mask;
    CDC glyphDC;
    if (!maskDC.CreateCompatibleDC(nullptr) || !mask.CreateCompatibleBitmap(maskDC, width, height) ||
        !glyphDC.CreateCompatibleDC(*target))
        return;
    HGDIOBJ previousMask = maskDC.SelectObject(&mask);
    HGDIOBJ previousGlyph = glyphDC.SelectObject(glyph);

    maskDC.PatBlt(0, 0, width, height, WHITENESS);
    glyphDC.SetBkColor(ControlColours::Sys(COLOR_BTNFACE));
    maskDC.BitBlt(0, 0, width, height, glyphDC, sourceX, sourceY, SRCCOPY);
    glyphDC.SetBkColor(ControlColours::Sys(COLOR_BTNHIGHLIGHT));
    maskDC.BitBlt(0, 0, width, height, glyphDC, sourceX, sourceY, SRCPAINT);

    glyphDC.FillSolidRect(0, 0, width, height, background);
    glyphDC.SetBkColor(RGB(0, 0, 0));
    glyphDC.SetTextColor(RGB(255, 255, 255));

    CBrush highlight(ControlColours::Sys(COLOR_BTNHIGHLIGHT));
    CBrush shadow(ControlColours::Sys(COLOR_BTNSHADOW));
    HGDIOBJ previousBrush = glyphDC.SelectObject(&highlight);
    glyphDC.BitBlt(0, 0, width, height, maskDC, 0, 0, kRopPaintBrushWhereMaskBlack);
    target->BitBlt(x + 1, y + 1, width, height, glyphDC, 0, 0, SRCCOPY);
    glyphDC.BitBlt(1, 1, width, height, maskDC, 0, 0, kRopPaintBrushWhereMaskBlack);
    glyphDC.SelectObject(&shadow);
    glyphDC.BitBlt(0, 0, width, height, maskDC, 0, 0, kRopPaintBrushWhereMaskBlack);
    target->BitBlt(x, y, width, height, glyphDC, 0, 0, SRCCOPY);

    glyphDC.SelectObject(previousBrush);
    glyphDC.SelectObject(previousGlyph);
    maskDC.SelectObject(previousMask);
}
