#pragma once
#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "controls/KelvoMenuItem.h"
#include "framework/CDC.h"
#include "framework/CImageList.h"
#include "framework/CMenu.h"
#include "framework/GdiObjects.h"

// A menu whose items are owner-drawn: every item carries a KelvoMenuItem
// record (its text and glyph) as item data, and the menu measures and draws
// the items itself, in a classic or a flat style. Glyphs come from toolbar
// resources and live in one image list shared by all KelvoMenus.
//
// Popups appended to a KelvoMenu belong to it: a popup whose object is a
// KelvoMenu is deleted (it must live on the heap) when the parent is destroyed.
class KelvoMenu : public CMenu {
public:
    KelvoMenu() = default;
    ~KelvoMenu() override;

    static const CRuntimeClass classKelvoMenu;
    const CRuntimeClass* GetRuntimeClass() const override { return &classKelvoMenu; }

    void DrawItem(DRAWITEMSTRUCT* item) override;
    void MeasureItem(MEASUREITEMSTRUCT* item) override;
    BOOL LoadMenu(UINT id) override;
    BOOL LoadMenu(const wchar_t* name) override;
    BOOL DestroyMenu() override;

    // Appends an owner-drawn item. `glyph` is a toolbar resource id whose
    // button for `id` gives the glyph, or -1 for none (the item then shows the
    // glyph an earlier item with the same id registered). A popup's id is its
    // menu handle; an id of 0 makes a separator.
    BOOL AppendItem(const wchar_t* text, UINT flags, UINT_PTR id, int glyph);
    // Makes a new record and puts it at `position` of the live menu; the caller keeps it.
    std::unique_ptr<KelvoMenuItem> ReplaceItemAt(int position, UINT flags, UINT_PTR id, const CString& text);
    CMenu* GetSubMenu(int position) const { return CMenu::GetSubMenu(position); }
    // The menu level that holds the command (searching nested popups), with its position; null and -1 when absent.
    CMenu* FindCommand(UINT id, int& position) const;
    // Text of an item by position (MF_BYPOSITION) or by command (0).
    BOOL GetItemText(UINT idOrPosition, CString& text, UINT how) const;
    // Rebuilds the records from the live menu, position by position.
    void Resync();
    // Pads texts that have an accelerator column so the columns line up.
    void AlignAccelerators();
    // `column` with spaces appended until `measure` gives at least `width`, or
    // until a space no longer adds width.
    static std::wstring PadColumn(std::wstring column, int width,
                                  const std::function<int(const std::wstring&)>& measure);

    // The answer to WM_MENUCHAR for one of our menus: the item whose "&" mnemonic is the character.
    static LRESULT MenuCharLookup(UINT character, UINT flags, CMenu* menu);
    static BOOL IsOwnMenu(const CMenu* menu);
    static BOOL IsOwnMenu(HMENU menu);

    // Version codes 0..7 of the system (7 = NT 5.1). `info` null means the version block was not available.
    static int ClassifyWindowsVersion(DWORD version, const OSVERSIONINFOA* info);
    static int DetectWindowsVersion();
    static BOOL IsModernShell() { return s_windowsVersion >= 2 && s_windowsVersion <= 7; }

    // Drawing side.
    static COLORREF Lighten(COLORREF colour, double factor);
    static BOOL IsClassicThemeActive();
    // The theme test is cached for the program's run; this forgets the answer (a theme switch).
    static void ResetThemeCache();
    static BOOL IsXPThemeActive();
    static BOOL UsesFlatStyle();

    // Glyph side.
    BOOL GlyphFromToolBar(UINT command, UINT toolbarId, int& image) const;
    BOOL AddGlyphBitmap(CImageList* list, UINT bitmapId) const;
    static HBITMAP LoadMappedBitmap(UINT bitmapId);
    int AddToSharedImages(CImageList* source, int image, UINT command) const;
    static int FindSharedImage(UINT command);
    static BOOL HasReliefCompanions(int index);
    BOOL RenderGlyphBitmap(CDC* dc, CImageList* list, int image, CBitmap& bitmap) const;
    static void MakeFadedGlyph(CBitmap* bitmap);
    static void MakeShadowGlyph(CBitmap* bitmap);
    static void DrawEmbossedGlyph(CDC* target, int x, int y, int width, int height, CBitmap* glyph, int sourceX,
                                  int sourceY, COLORREF background);

    // A tick's or dot's colour and the ground of its box, as drawn. The box takes its
    // lighter colour only where the mark stands out from it by 3:1 (a dark menu's light
    // mark would not); otherwise it keeps the ground around it.
    struct CheckColours {
        COLORREF mark;
        COLORREF box;
    };
    static CheckColours ClassicCheckColours(COLORREF menuColour, COLORREF mark, BOOL selected);
    static CheckColours FlatCheckColours(COLORREF highlight, COLORREF bar, COLORREF mark);

    // The DPI of the monitor the menu opens on: the glyph column, the gaps and the check
    // marks are measured and drawn to its scale (glyph images keep their size).
    // Until set, the system's DPI.
    void SetDpi(UINT dpi) { m_dpi = dpi; }
    UINT Dpi() const;

    // Settings (the program keeps the construction values).
    void SetGlyphSize(int width, int height);
    void SetMaskColor(COLORREF colour, BOOL use);
    void SetAltDisabledStyle(BOOL alternative) { m_altDisabledStyle = alternative; }
    // A glyph argument of AppendItem is then an icon handle (the glyph) instead of a toolbar id.
    void SetIconHandles(BOOL iconHandles) { m_iconHandles = iconHandles; }
    // Takes the list; its images replace the drawn check marks.
    void SetCheckImages(std::unique_ptr<CImageList> list, int selectedImage, int normalImage);

    int GetItemCount() const { return static_cast<int>(m_items.size()); }
    const KelvoMenuItem* GetItem(int index) const { return m_items[static_cast<size_t>(index)].get(); }
    int GetPad() const;

    // Class-wide state.
    static int s_windowsVersion;
    static CImageList s_sharedImages;
    static std::vector<int> s_sharedImageIds;
    static std::vector<HMENU> s_subMenuHandles;
    static int s_styleThemed;
    static int s_styleUnthemed;
    static BOOL s_grayedSelectableClassic;
    static BOOL s_grayedSelectableFlat;
    static BOOL s_glyphRelief;

private:
    // An item's state as drawn; `selected` already says whether a grayed item may show selected.
    struct ItemLook {
        BOOL grayed;
        BOOL checked;
        BOOL selected;
    };
    struct FlatColours {
        COLORREF bar;  // the glyph column
        COLORREF window;
        COLORREF highlight;
        COLORREF selection;
    };

    // The application's main window, or the desktop window when there is none.
    static HWND ReferenceWindow();
    // The font the system draws menus in.
    static BOOL CreateMenuFont(CFont& font);
    int GetTopLevelOffset() const;
    void RestoreTopLevelPopups();
    // Reads the template's items into this menu and the popups it opens.
    void AppendTemplateItems(const BYTE* data, size_t size);
    // A popup for the template, showing the same check images as this menu.
    KelvoMenu* NewTemplatePopup() const;
    // The bar itself stays a plain menu; only the levels below it are owner-drawn.
    void MakeBarItemsPlain();
    COLORREF GlyphMaskColor() const;
    int RegisterIconGlyph(HICON icon, UINT_PTR id) const;
    static void RemoveRegisteredHandle(HMENU menu);
    static CMenu* FindCommandIn(HMENU menu, UINT id, int& position);

    void DrawClassicItem(CDC* dc, const DRAWITEMSTRUCT* item, const KelvoMenuItem* record);
    void DrawFlatItem(CDC* dc, const DRAWITEMSTRUCT* item, const KelvoMenuItem* record);
    void DrawClassicGlyph(CDC* dc, int index, POINT corner, ItemLook look, COLORREF menuColour) const;
    void DrawClassicText(CDC* dc, const RECT& area, const std::wstring& text, ItemLook look, COLORREF textColour,
                         COLORREF menuColour) const;
    void PaintFlatItem(CDC* dc, const DRAWITEMSTRUCT* item, const KelvoMenuItem* record, BOOL selected);
    void PaintFlatGlyph(CDC* dc, int index, POINT at, const RECT& cell, ItemLook look,
                        const FlatColours& colours) const;
    void DrawGrayedGlyph(CDC* dc, int index, int x, int y, COLORREF background) const;
    void DrawItemText(CDC* dc, RECT area, const std::wstring& text) const;
    BOOL DrawCheckImage(CDC* dc, const RECT& box, BOOL selected) const;
    void DrawClassicCheck(CDC* dc, const RECT& box, BOOL selected, BOOL radio, COLORREF menuColour) const;
    void DrawFlatCheck(CDC* dc, const RECT& box, BOOL radio, COLORREF highlight, COLORREF bar) const;
    void DrawCheckDot(CDC* dc, int x, int y, COLORREF mark) const;
    void DrawCheckTick(CDC* dc, int x, int y, COLORREF mark) const;
    // `value`, in pixels at 96 DPI, at the menu's DPI.
    int Px(int value) const;
    static BOOL HasRadioCheckBitmap(const DRAWITEMSTRUCT* item);

    std::vector<std::unique_ptr<KelvoMenuItem>> m_items;
    std::vector<HMENU> m_subMenus;
    int m_glyphWidth = 16;
    int m_glyphHeight = 15;
    UINT m_dpi = 0;  // the system's
    COLORREF m_maskColor = RGB(192, 192, 192);
    BOOL m_useMaskColor = FALSE;
    BOOL m_altDisabledStyle = FALSE;
    std::shared_ptr<CImageList> m_checkImages;  // shared with the popups that LoadMenu makes
    int m_checkImageSelected = -1;
    int m_checkImageNormal = -1;
    BOOL m_iconHandles = FALSE;
    BOOL m_loadedFromResource = FALSE;
};
