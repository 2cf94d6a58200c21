// Making an object into a GDI or menu owner that already holds one: the new
// object replaces the old, which is deleted; a failed make keeps the old one.
// (Wine's GetGuiResources counts nothing, so a deleted object is told by its
// handle no longer being one.)
#include <gtest/gtest.h>

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "framework/CMenu.h"
#include "framework/GdiObjects.h"
#include "framework/Handles.h"
#include "resource.h"

namespace {

struct Remake {
    const char* what;
    CGdiObject* owner;
    std::function<BOOL()> make;
    DWORD type;
};

TEST(GdiWrappers, MakingIntoAnOccupiedOwnerReplacesAndDeletesTheOldObject)
{
    WindowDC screen(nullptr);
    CBrush brush;
    CPen pen;
    CFont font;
    CBitmap bitmap;
    LOGFONTW logFont = {};
    logFont.lfHeight = -11;
    int height = 2;
    const std::vector<Remake> remakes = {
        {"brush", &brush, [&] { return brush.CreateSolidBrush(RGB(0, 0, 255)); }, OBJ_BRUSH},
        {"pen", &pen, [&] { return pen.CreatePen(PS_SOLID, 1, RGB(0, 0, 255)); }, OBJ_PEN},
        {"font", &font, [&] { return font.CreateFontIndirect(&logFont); }, OBJ_FONT},
        {"bitmap", &bitmap, [&] { return bitmap.CreateCompatibleBitmap(screen.Get(), 5, ++height); }, OBJ_BITMAP},
        {"plain bitmap", &bitmap, [&] { return bitmap.CreateBitmap(4, ++height, 1, 1, nullptr); }, OBJ_BITMAP},
        {"bitmap resource", &bitmap, [&] { return bitmap.LoadBitmap(IDB_BANNER); }, OBJ_BITMAP},
    };
    for (const Remake& remake : remakes) {
        SCOPED_TRACE(remake.what);
        ASSERT_TRUE(remake.make());
        const HGDIOBJ first = remake.owner->m_hObject;
        ASSERT_TRUE(remake.make());
        const HGDIOBJ second = remake.owner->m_hObject;
        EXPECT_NE(second, first);
        EXPECT_EQ(GetObjectType(second), remake.type);
        EXPECT_EQ(GetObjectType(first), 0u) << "the old object is deleted, not leaked";
    }
}

TEST(GdiWrappers, AnObjectThatCannotBeMadeLeavesTheOldOneInPlace)
{
    WindowDC screen(nullptr);
    CBitmap bitmap;
    ASSERT_TRUE(bitmap.CreateCompatibleBitmap(screen.Get(), 8, 8));
    const HGDIOBJ old = bitmap.m_hObject;
    EXPECT_FALSE(bitmap.CreateCompatibleBitmap(screen.Get(), 100000, 100000)) << "40 GB of pixels";
    EXPECT_FALSE(bitmap.LoadBitmap(9999));
    EXPECT_EQ(bitmap.m_hObject, old);
    EXPECT_EQ(GetObjectType(old), static_cast<DWORD>(OBJ_BITMAP));
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
