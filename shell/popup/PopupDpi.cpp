#include "shell/popup/PopupDpi.h"

#include "framework/Dpi.h"
#include "shell/popup/TextScale.h"
#include "resource.h"

namespace {

// In the order of the image indices the entries use.
const UINT kIconIds[] = {IDI_ENTRY_TEXT,       IDI_ENTRY_BITMAP, IDI_ENTRY_TEXT_TOP,
                         IDI_ENTRY_BITMAP_TOP, IDI_ENTRY_FILES,  IDI_ENTRY_FILES_TOP};

int Height(HWND window)
{
    RECT rect = {};
    GetWindowRect(window, &rect);
    return rect.bottom - rect.top;
}

}  // namespace

int PopupDpi::IconSize(UINT dpi)
{
    return dpi::Scale(16, dpi);
}

void PopupDpi::BuildIcons(HWND popup)
{
    m_dpi = m_madeDpi = dpi::OfWindow(popup);
    FillIcons();
}

void PopupDpi::FillIcons()
{
    const int size = IconSize(m_dpi);
    // With their alpha and mask, and no ground of their own: the icons sit on whatever
    // the row shows (light, dark, high contrast, selected).
    m_icons.Create(size, size, ILC_COLOR32 | ILC_MASK, 2, 2);
    m_icons.SetBkColor(CLR_NONE);
    for (UINT id : kIconIds) {
        // The icon files hold the usual sizes drawn apart; the loader picks the one of this size.
        UniqueIcon icon(static_cast<HICON>(
            LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(id), IMAGE_ICON, size, size, LR_DEFAULTCOLOR)));
        m_icons.ReplaceIcon(-1, icon.Get());
    }
}

void PopupDpi::TakeMeasures(HWND popup, HWND search, HWND button)
{
    m_madeDpi = m_dpi;
    m_searchHeight = Height(search);
    m_buttonHeight = Height(button);
    m_madeFontHandle = reinterpret_cast<HFONT>(SendMessageW(popup, WM_GETFONT, 0, 0));
    if (!m_madeFontHandle || !GetObjectW(m_madeFontHandle, sizeof(m_madeFont), &m_madeFont))
        GetObjectW(GetStockObject(DEFAULT_GUI_FONT), sizeof(m_madeFont), &m_madeFont);
}

void PopupDpi::Change(UINT dpi, CListCtrl& list, std::initializer_list<HWND> controls)
{
    if (dpi == 0 || dpi == m_dpi)
        return;
    m_dpi = dpi;
    // The list lets go of the old icons before they are destroyed.
    list.SendMessage(LVM_SETIMAGELIST, LVSIL_SMALL, 0);
    FillIcons();
    list.SetImageList(&m_icons, LVSIL_SMALL);
    ApplyFont(controls);
}

bool PopupDpi::FollowTextScale(std::initializer_list<HWND> controls)
{
    const int percent = TextScale::Current(dpi::Rescale(m_madeFont.lfHeight, m_madeDpi, dpi::OfSystem()));
    if (percent == m_textScale)
        return false;
    m_textScale = percent;
    ApplyFont(controls);
    return true;
}

int PopupDpi::Scaled(int madeHeight) const
{
    return MulDiv(dpi::Rescale(madeHeight, m_madeDpi, m_dpi), m_textScale, TextScale::kNormal);
}

void PopupDpi::ApplyFont(std::initializer_list<HWND> controls)
{
    LOGFONTW font = m_madeFont;
    font.lfHeight = Scaled(m_madeFont.lfHeight);
    UniqueFont previous(m_font.Release());
    m_font.Reset(CreateFontIndirectW(&font));
    for (HWND control : controls)
        SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(m_font.Get()), TRUE);
}

int PopupDpi::SearchHeight() const
{
    return Scaled(m_searchHeight);
}

int PopupDpi::ButtonHeight() const
{
    return Scaled(m_buttonHeight);
}
