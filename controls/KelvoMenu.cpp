// KelvoMenu: class-wide state, appending items, accelerator alignment and the
// menu-bar bookkeeping.
#include "controls/KelvoMenu.h"

#include <algorithm>

#include "framework/CWinApp.h"

namespace {

int TextWidth(CDC& dc, const std::wstring& text)
{
    return dc.GetTextExtent(text.c_str(), static_cast<int>(text.size())).cx;
}

}  // namespace

const CRuntimeClass KelvoMenu::classKelvoMenu = {"KelvoMenu", &CMenu::classCMenu, 0xFFFF};

int KelvoMenu::s_windowsVersion = KelvoMenu::DetectWindowsVersion();
CImageList KelvoMenu::s_sharedImages;
std::vector<int> KelvoMenu::s_sharedImageIds;
std::vector<HMENU> KelvoMenu::s_subMenuHandles;
int KelvoMenu::s_styleThemed = 1;
int KelvoMenu::s_styleUnthemed = 0;
BOOL KelvoMenu::s_grayedSelectableClassic = TRUE;
BOOL KelvoMenu::s_grayedSelectableFlat = FALSE;
BOOL KelvoMenu::s_glyphRelief = TRUE;

HWND KelvoMenu::ReferenceWindow()
{
    CWnd* main = AfxGetMainWnd();
    return main && main->m_hWnd ? main->m_hWnd : GetDesktopWindow();
}

BOOL KelvoMenu::CreateMenuFont(CFont& font)
{
    NONCLIENTMETRICSW metrics = {};
    metrics.cbSize = sizeof(metrics);
    if (!SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0))
        return FALSE;
    return font.CreateFontIndirect(&metrics.lfMenuFont);
}

KelvoMenu::~KelvoMenu()
{
    DestroyMenu();
}

void KelvoMenu::SetGlyphSize(int width, int height)
{
    m_glyphWidth = width;
    m_glyphHeight = height;
}

void KelvoMenu::SetMaskColor(COLORREF colour, BOOL use)
{
    m_maskColor = colour;
    m_useMaskColor = use;
}

void KelvoMenu::SetCheckImages(std::unique_ptr<CImageList> list, int selectedImage, int normalImage)
{
    m_checkImages = std::move(list);
    m_checkImageSelected = selectedImage;
    m_checkImageNormal = normalImage;
}

void KelvoMenu::RemoveRegisteredHandle(HMENU menu)
{
    s_subMenuHandles.erase(std::remove(s_subMenuHandles.begin(), s_subMenuHandles.end(), menu),
                           s_subMenuHandles.end());
}

BOOL KelvoMenu::DestroyMenu()
{
    if (m_hMenu)
        RemoveRegisteredHandle(m_hMenu);
    for (auto handle = m_subMenus.rbegin(); handle != m_subMenus.rend(); ++handle) {
        RemoveRegisteredHandle(*handle);
        CMenu* object = CMenu::FromHandlePermanent(*handle);
        if (object && object->IsKindOf(&classKelvoMenu))
            delete object;
    }
    m_subMenus.clear();
    m_items.clear();
    m_checkImages.reset();
    return CMenu::DestroyMenu();
}

BOOL KelvoMenu::AppendItem(const wchar_t* text, UINT flags, UINT_PTR id, int glyph)
{
    if (id == 0)
        flags = (flags & MF_BYPOSITION) | MF_SEPARATOR | MF_OWNERDRAW;
    else
        flags |= MF_OWNERDRAW;
    if (flags & MF_POPUP) {
        HMENU popup = reinterpret_cast<HMENU>(id);
        s_subMenuHandles.push_back(popup);
        m_subMenus.push_back(popup);
    }

    m_items.push_back(std::make_unique<KelvoMenuItem>());
    KelvoMenuItem* record = m_items.back().get();
    record->SetWideText(text);

    if (m_iconHandles && glyph != -1) {
        // Icon handles carry their meaning in the low 32 bits on every Windows.
        record->m_sharedImageIndex = RegisterIconGlyph(reinterpret_cast<HICON>(static_cast<INT_PTR>(glyph)), id);
    } else if (glyph >= 0) {
        CImageList toolbarImages;
        toolbarImages.Create(m_glyphWidth, m_glyphHeight, ILC_COLORDDB | ILC_MASK, 1, 1);
        int image = 0;
        GlyphFromToolBar(static_cast<UINT>(id), static_cast<UINT>(glyph), image);
        if (AddGlyphBitmap(&toolbarImages, static_cast<UINT>(glyph)))
            record->m_sharedImageIndex = AddToSharedImages(&toolbarImages, image, static_cast<UINT>(id));
    } else {
        record->m_sharedImageIndex = FindSharedImage(static_cast<UINT>(id));
    }

    record->m_commandId = id;
    record->m_flags = flags;
    BOOL appended = CMenu::AppendMenu(flags, id, reinterpret_cast<const wchar_t*>(record));
    // Drawn from the record, the item keeps its words for screen readers too.
    if (appended && id != 0)
        SetItemWords(static_cast<UINT>(GetMenuItemCount() - 1), record->m_text.c_str());
    if (m_loadedFromResource)
        RestoreTopLevelPopups();
    return appended;
}

std::unique_ptr<KelvoMenuItem> KelvoMenu::ReplaceItemAt(int position, UINT flags, UINT_PTR id, const CString& text)
{
    auto record = std::make_unique<KelvoMenuItem>();
    record->SetWideText(text);
    record->m_flags = flags;
    record->m_commandId = id;
    if (ModifyMenu(static_cast<UINT>(position), flags | MF_BYPOSITION, id,
                   reinterpret_cast<const wchar_t*>(record.get())) &&
        !(flags & MF_SEPARATOR))
        SetItemWords(static_cast<UINT>(position), record->m_text.c_str());
    return record;
}

void KelvoMenu::AlignAccelerators()
{
    CFont font;
    BOOL haveFont = CreateMenuFont(font);
    HWND window = ReferenceWindow();
    CDC dc;
    dc.Attach(::GetDC(window));
    HGDIOBJ previousFont = haveFont ? dc.SelectObject(&font) : nullptr;

    int widest = 0;
    for (const auto& record : m_items) {
        std::wstring column = record->m_text.substr(0, record->m_text.find(L'\t')) + L" ";
        widest = std::max(widest, TextWidth(dc, column));
    }
    for (const auto& record : m_items) {
        size_t tab = record->m_text.find(L'\t');
        if (tab == std::wstring::npos)
            continue;
        std::wstring padded = PadColumn(record->m_text.substr(0, tab), widest,
                                        [&dc](const std::wstring& text) { return TextWidth(dc, text); });
        record->m_text = padded + record->m_text.substr(tab);
    }

    if (previousFont)
        dc.SelectObject(previousFont);
    ::ReleaseDC(window, dc.Detach());
}

std::wstring KelvoMenu::PadColumn(std::wstring column, int width,
                                  const std::function<int(const std::wstring&)>& measure)
{
    for (int measured = measure(column); measured < width;) {
        const int wider = measure(column + L' ');
        // A space that adds no width (a font without one, a measure that fails) would pad for ever.
        if (wider <= measured)
            break;
        column += L' ';
        measured = wider;
    }
    return column;
}

int KelvoMenu::GetTopLevelOffset() const
{
    if (!m_loadedFromResource)
        return 0;
    int count = GetMenuItemCount();
    for (int position = 0; position < count; ++position) {
        CString text;
        GetMenuString(static_cast<UINT>(position), text, MF_BYPOSITION);
        if (text.IsEmpty())
            continue;
        for (size_t index = 0; index < m_items.size(); ++index) {
            if (text.Str() == m_items[index]->m_text) {
                int recordIndex = static_cast<int>(index);
                return position >= recordIndex ? position - recordIndex : 0;
            }
        }
    }
    return 0;
}

void KelvoMenu::RestoreTopLevelPopups()
{
    int offset = GetTopLevelOffset();
    int count = GetMenuItemCount();
    for (size_t index = 0; index < m_items.size(); ++index) {
        int position = offset + static_cast<int>(index);
        if (position >= count)
            break;
        HMENU submenu = ::GetSubMenu(m_hMenu, position);
        if (!submenu)
            continue;
        KelvoMenuItem* record = m_items[index].get();
        record->m_flags = MF_BYPOSITION | MF_POPUP;
        ModifyMenu(static_cast<UINT>(position), record->m_flags, reinterpret_cast<UINT_PTR>(submenu),
                   record->m_text.c_str());
    }
}
