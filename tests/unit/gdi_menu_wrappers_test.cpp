// Making an object into a GDI or menu owner that already holds one: the new
// object replaces the old, which is deleted; a failed make keeps the old one.
// (Wine's GetGuiResources counts nothing, so a deleted object is told by its
// handle no longer being one.)
#include <gtest/gtest.h>

#include <windows.h>

#include <functional>
#include <utility>
#include <vector>

#include "framework/CMenu.h"
#include "framework/GdiObjects.h"
#include "framework/Handles.h"
#include "resource.h"

namespace {

TEST(GdiWrappers, MakingIntoAnOccupiedOwnerDeletesTheOldObjectUnlessTheNewFails)
{
    WindowDC screen(nullptr);
    CBrush brush;
    CPen pen;
    CFont font;
    CBitmap bitmap;
    LOGFONTW logFont = {};
    const std::vector<std::pair<CGdiObject*, std::function<BOOL()>>> makes = {
        {&brush, [&] { return brush.CreateSolidBrush(RGB(0, 0, 255)); }},
        {&pen, [&] { return pen.CreatePen(PS_SOLID, 1, RGB(0, 0, 255)); }},
        {&font, [&] { return font.CreateFontIndirect(&logFont); }},
        {&bitmap, [&] { return bitmap.CreateCompatibleBitmap(screen.Get(), 5, 3); }},
        {&bitmap, [&] { return bitmap.CreateBitmap(4, 2, 1, 1, nullptr); }},
        {&bitmap, [&] { return bitmap.LoadBitmap(IDB_BANNER); }},
    };
    for (const auto& [owner, make] : makes) {
        ASSERT_TRUE(make());
        const HGDIOBJ old = owner->m_hObject;
        ASSERT_TRUE(make());
        EXPECT_NE(owner->m_hObject, old);
        EXPECT_EQ(GetObjectType(old), 0u) << "the old object is deleted, not leaked";
    }
    const HGDIOBJ kept = bitmap.m_hObject;
    EXPECT_FALSE(bitmap.CreateCompatibleBitmap(screen.Get(), 100000, 100000)) << "40 GB of pixels";
    EXPECT_FALSE(bitmap.LoadBitmap(9999));
    EXPECT_EQ(bitmap.m_hObject, kept);
    EXPECT_EQ(GetObjectType(kept), static_cast<DWORD>(OBJ_BITMAP));
}

TEST(MenuWrapper, MakingIntoAnOccupiedMenuObjectReplacesTheOldMenu)
{
    CMenu menu;
    ASSERT_TRUE(menu.CreatePopupMenu());
    const HMENU popup = menu.m_hMenu;
    ASSERT_TRUE(menu.LoadMenu(IDR_TRAY_MENU));
    const HMENU loaded = menu.m_hMenu;
    EXPECT_NE(loaded, popup);
    EXPECT_FALSE(IsMenu(popup)) << "the old menu is destroyed, not leaked";
    EXPECT_EQ(CMenu::FromHandlePermanent(loaded), &menu);
    EXPECT_EQ(CMenu::FromHandlePermanent(popup), nullptr);

    EXPECT_FALSE(menu.LoadMenu(4242));
    EXPECT_EQ(menu.m_hMenu, loaded) << "a menu that cannot be loaded keeps the old one";
    EXPECT_TRUE(IsMenu(loaded));

    ASSERT_TRUE(menu.CreateMenu());
    EXPECT_FALSE(IsMenu(loaded));
    EXPECT_EQ(CMenu::FromHandlePermanent(menu.m_hMenu), &menu);
}

}  // namespace
