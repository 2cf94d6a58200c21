// The icon menu's records, construction from menu resources, lookups and the
// registry of submenu handles.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

#include "control_test_support.h"
#include "controls/KelvoMenu.h"
#include "framework/Handles.h"
#include "test_resource_ids.h"

namespace {

OSVERSIONINFOA VersionInfo(DWORD major, DWORD minor)
{
    OSVERSIONINFOA info = {};
    info.dwOSVersionInfoSize = sizeof(info);
    info.dwMajorVersion = major;
    info.dwMinorVersion = minor;
    return info;
}

// GetVersion's layout: major in the low byte, minor in the next, the top bit set outside the NT family.
DWORD VersionWord(bool nt, BYTE major, BYTE minor)
{
    return (nt ? 0u : 0x80000000u) | (static_cast<DWORD>(minor) << 8) | major;
}

std::wstring LiveText(HMENU menu, int position)
{
    wchar_t text[256] = {};
    GetMenuStringW(menu, static_cast<UINT>(position), text, 256, MF_BYPOSITION);
    return text;
}

KelvoMenu* Level(HMENU menu)
{
    CMenu* object = CMenu::FromHandlePermanent(menu);
    return object && object->IsKindOf(&KelvoMenu::classKelvoMenu) ? static_cast<KelvoMenu*>(object) : nullptr;
}

bool IsOwnerDrawn(HMENU menu, int position)
{
    return (GetMenuState(menu, static_cast<UINT>(position), MF_BYPOSITION) & MF_OWNERDRAW) != 0;
}

int TextWidth(HDC dc, const std::wstring& text)
{
    SIZE size = {};
    GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
    return size.cx;
}

}  // namespace

TEST(KelvoMenuVersion, ClassifiesEachSystemFamilyAndVersion)
{
    struct Case {
        DWORD version;
        bool haveInfo;
        DWORD major;
        DWORD minor;
        int expected;
    };
    const Case cases[] = {
        {VersionWord(false, 3, 10), true, 3, 10, 0},   // Win32s-era system: below 4 outside NT
        {VersionWord(false, 3, 95), false, 0, 0, 0},   // decided before the version block is read
        {VersionWord(true, 6, 1), false, 0, 0, 1},     // NT without a version block
        {VersionWord(false, 4, 0), false, 0, 0, 2},    // not NT, no version block
        {VersionWord(false, 4, 0), true, 4, 0, 2},     // Windows 95
        {VersionWord(false, 4, 10), true, 4, 10, 3},   // Windows 98
        {VersionWord(false, 4, 90), true, 4, 90, 4},   // Windows Me
        {VersionWord(true, 4, 0), true, 4, 0, 5},      // NT 4
        {VersionWord(true, 5, 0), true, 5, 0, 6},      // 2000
        {VersionWord(true, 5, 1), true, 5, 1, 7},      // XP
        {VersionWord(true, 5, 2), true, 5, 2, 1},      // Server 2003: any other NT version
        {VersionWord(true, 6, 1), true, 6, 1, 1},
        {VersionWord(true, 10, 0), true, 10, 0, 1},
    };
    for (const Case& c : cases) {
        OSVERSIONINFOA info = VersionInfo(c.major, c.minor);
        EXPECT_EQ(c.expected, KelvoMenu::ClassifyWindowsVersion(c.version, c.haveInfo ? &info : nullptr))
            << std::hex << "GetVersion 0x" << c.version << std::dec << ", info " << c.major << "." << c.minor;
    }
}

TEST(KelvoMenuVersion, ModernShellIsCodesTwoToSeven)
{
    control_test::StyleGuard guard;
    for (int code = 0; code <= 7; ++code) {
        control_test::StyleGuard::Use(code);
        EXPECT_EQ(code >= 2, KelvoMenu::IsModernShell() != FALSE) << "code " << code;
    }
}

TEST(KelvoMenuVersion, StartUpCodeMatchesTheRunningSystem)
{
    OSVERSIONINFOA info = {};
    info.dwOSVersionInfoSize = sizeof(info);
    ASSERT_TRUE(GetVersionExA(&info));
    EXPECT_EQ(KelvoMenu::ClassifyWindowsVersion(GetVersion(), &info), KelvoMenu::s_windowsVersion);
}

TEST(KelvoMenuRecord, TextFromWideAndNarrowStrings)
{
    KelvoMenuItem record;
    EXPECT_EQ(-1, record.m_sharedImageIndex);
    EXPECT_EQ(0u, record.m_flags);
    EXPECT_EQ(0u, record.m_commandId);
    EXPECT_TRUE(record.GetText().IsEmpty());

    record.SetWideText(L"Caf\u00e9\tCtrl+C");
    EXPECT_EQ(CString(L"Caf\u00e9\tCtrl+C"), record.GetText());
    record.SetWideText(nullptr);
    EXPECT_TRUE(record.GetText().IsEmpty());

    record.SetText("Plain &text");
    EXPECT_EQ(CString(L"Plain &text"), record.GetText());
    record.SetText(nullptr);
    EXPECT_TRUE(record.GetText().IsEmpty());
}

TEST(KelvoMenuClass, RunTimeClassRecord)
{
    KelvoMenu menu;
    CMenu plain;
    EXPECT_STREQ("KelvoMenu", menu.GetRuntimeClass()->m_lpszClassName);
    EXPECT_EQ(0xFFFFu, menu.GetRuntimeClass()->m_wSchema);
    EXPECT_EQ(&CMenu::classCMenu, menu.GetRuntimeClass()->m_pBaseClass);
    EXPECT_TRUE(menu.IsKindOf(&CMenu::classCMenu));
    EXPECT_TRUE(menu.IsKindOf(&KelvoMenu::classKelvoMenu));
    EXPECT_FALSE(plain.IsKindOf(&KelvoMenu::classKelvoMenu));
    EXPECT_EQ(nullptr, menu.m_hMenu);
}

TEST(KelvoMenuLoad, LastTopLevelPopupClosesBothLevelsAndTheBarStaysPlain)
{
    KelvoMenu menu;
    ASSERT_TRUE(menu.LoadMenu(IDM_TEST_FILE_EDIT));
    ASSERT_TRUE(IsMenu(menu.m_hMenu));

    // The bar: exactly the two popups, as plain items with their texts.
    ASSERT_EQ(2, menu.GetMenuItemCount());
    ASSERT_EQ(2, menu.GetItemCount());
    for (int i = 0; i < 2; ++i) {
        EXPECT_FALSE(IsOwnerDrawn(menu.m_hMenu, i)) << i;
        EXPECT_EQ(static_cast<UINT>(MF_BYPOSITION | MF_POPUP), menu.GetItem(i)->m_flags) << i;
    }
    EXPECT_EQ(L"&File", LiveText(menu.m_hMenu, 0));
    EXPECT_EQ(L"&Edit", LiveText(menu.m_hMenu, 1));

    HMENU file = GetSubMenu(menu.m_hMenu, 0);
    HMENU edit = GetSubMenu(menu.m_hMenu, 1);
    KelvoMenu* fileLevel = Level(file);
    KelvoMenu* editLevel = Level(edit);
    ASSERT_NE(nullptr, fileLevel);
    ASSERT_NE(nullptr, editLevel);
    EXPECT_TRUE(KelvoMenu::IsOwnMenu(file));
    EXPECT_TRUE(KelvoMenu::IsOwnMenu(edit));
    EXPECT_FALSE(KelvoMenu::IsOwnMenu(menu.m_hMenu));
    EXPECT_EQ(menu.GetSubMenu(1), editLevel);

    // The levels below the bar are owner-drawn, one record per item, the end marks dropped.
    ASSERT_EQ(4, fileLevel->GetMenuItemCount());
    ASSERT_EQ(4, fileLevel->GetItemCount());
    ASSERT_EQ(2, editLevel->GetMenuItemCount());
    for (int i = 0; i < 4; ++i)
        EXPECT_TRUE(IsOwnerDrawn(file, i)) << i;
    EXPECT_EQ(static_cast<UINT_PTR>(ID_TEST_EXIT), fileLevel->GetItem(3)->m_commandId);
    EXPECT_EQ(static_cast<UINT>(MF_OWNERDRAW), fileLevel->GetItem(3)->m_flags);
    EXPECT_EQ(static_cast<UINT>(MF_SEPARATOR | MF_OWNERDRAW), fileLevel->GetItem(2)->m_flags);
    EXPECT_EQ(static_cast<UINT_PTR>(ID_TEST_PASTE), editLevel->GetItem(1)->m_commandId);
    EXPECT_EQ(static_cast<UINT>(MF_OWNERDRAW), editLevel->GetItem(1)->m_flags);
    EXPECT_EQ(reinterpret_cast<UINT_PTR>(file), menu.GetItem(0)->m_commandId);

    // The item data of a live item is its record.
    MENUITEMINFOW info = {};
    info.cbSize = sizeof(info);
    info.fMask = MIIM_DATA;
    ASSERT_TRUE(GetMenuItemInfoW(file, ID_TEST_EXIT, FALSE, &info));
    EXPECT_EQ(reinterpret_cast<ULONG_PTR>(fileLevel->GetItem(3)), info.dwItemData);
}

TEST(KelvoMenuLoad, MissingResourceFails)
{
    KelvoMenu menu;
    EXPECT_FALSE(menu.LoadMenu(9999u));
    EXPECT_EQ(nullptr, menu.m_hMenu);
}

TEST(KelvoMenuLoad, NestedPopupsAndFindCommand)
{
    KelvoMenu menu;
    ASSERT_TRUE(menu.LoadMenu(IDM_TEST_NESTED));
    // "Gamma" ends four levels at once: nothing after it was read as an item.
    ASSERT_EQ(2, menu.GetMenuItemCount());
    EXPECT_EQ(L"Plain", LiveText(menu.m_hMenu, 0));
    EXPECT_EQ(static_cast<UINT>(MF_BYPOSITION | MF_STRING), menu.GetItem(0)->m_flags);
    EXPECT_EQ(ID_TEST_DELTA, static_cast<int>(GetMenuItemID(menu.m_hMenu, 0)));

    HMENU top = GetSubMenu(menu.m_hMenu, 1);
    HMENU inner = GetSubMenu(top, 1);
    HMENU core = GetSubMenu(inner, 1);
    ASSERT_NE(nullptr, core);
    EXPECT_EQ(2, GetMenuItemCount(top));
    EXPECT_EQ(2, GetMenuItemCount(inner));
    EXPECT_EQ(1, GetMenuItemCount(core));

    int position = -2;
    EXPECT_EQ(Level(core), menu.FindCommand(ID_TEST_GAMMA, position));
    EXPECT_EQ(0, position);
    EXPECT_EQ(Level(inner), menu.FindCommand(ID_TEST_BETA, position));
    EXPECT_EQ(0, position);
    EXPECT_EQ(static_cast<CMenu*>(&menu), menu.FindCommand(ID_TEST_DELTA, position));
    EXPECT_EQ(0, position);
    EXPECT_EQ(nullptr, menu.FindCommand(4242, position));
    EXPECT_EQ(-1, position);
    // A popup item's own id (its handle) is never matched.
    EXPECT_EQ(nullptr, menu.FindCommand(static_cast<UINT>(reinterpret_cast<UINT_PTR>(inner)), position));

    CString text;
    EXPECT_TRUE(menu.GetItemText(ID_TEST_GAMMA, text, 0));
    EXPECT_EQ(CString(L"Gamma"), text);
    EXPECT_TRUE(Level(top)->GetItemText(1, text, MF_BYPOSITION));
    EXPECT_EQ(CString(L"Inner"), text);
    EXPECT_FALSE(Level(top)->GetItemText(2, text, MF_BYPOSITION));
    EXPECT_FALSE(Level(top)->GetItemText(static_cast<UINT>(-1), text, MF_BYPOSITION));
    EXPECT_FALSE(menu.GetItemText(4242, text, 0));
}

TEST(KelvoMenuAppend, SeparatorKeepsOnlyByPosition)
{
    KelvoMenu menu;
    size_t registered = KelvoMenu::s_subMenuHandles.size();
    ASSERT_TRUE(menu.CreatePopupMenu());
    ASSERT_TRUE(menu.AppendItem(L"First", MF_STRING, 7001, -1));
    ASSERT_TRUE(menu.AppendItem(L"", MF_BYPOSITION | MF_GRAYED | MF_CHECKED | MF_POPUP, 0, -1));
    ASSERT_TRUE(menu.AppendItem(L"ignored", MF_GRAYED | MF_MENUBREAK, 0, -1));
    EXPECT_EQ(static_cast<UINT>(MF_STRING | MF_OWNERDRAW), menu.GetItem(0)->m_flags);
    EXPECT_EQ(static_cast<UINT>(MF_BYPOSITION | MF_SEPARATOR | MF_OWNERDRAW), menu.GetItem(1)->m_flags);
    EXPECT_EQ(static_cast<UINT>(MF_SEPARATOR | MF_OWNERDRAW), menu.GetItem(2)->m_flags);
    UINT state = GetMenuState(menu.m_hMenu, 1, MF_BYPOSITION);
    EXPECT_TRUE(state & MF_SEPARATOR);
    EXPECT_FALSE(state & (MF_CHECKED | MF_POPUP));
    EXPECT_EQ(registered, KelvoMenu::s_subMenuHandles.size()) << "a separator's popup flag is dropped";
}

TEST(KelvoMenuAppend, ReplaceItemAtPutsANewRecordInTheLiveMenu)
{
    KelvoMenu menu;
    ASSERT_TRUE(menu.CreatePopupMenu());
    ASSERT_TRUE(menu.AppendItem(L"Old", MF_STRING, 7101, -1));
    std::unique_ptr<KelvoMenuItem> record = menu.ReplaceItemAt(0, MF_BYPOSITION | MF_OWNERDRAW, 7102, L"New");
    ASSERT_TRUE(record);
    EXPECT_EQ(CString(L"New"), record->GetText());
    EXPECT_EQ(7102u, record->m_commandId);
    EXPECT_EQ(static_cast<UINT>(MF_BYPOSITION | MF_OWNERDRAW), record->m_flags);
    MENUITEMINFOW info = {};
    info.cbSize = sizeof(info);
    info.fMask = MIIM_DATA | MIIM_ID;
    ASSERT_TRUE(GetMenuItemInfoW(menu.m_hMenu, 0, TRUE, &info));
    EXPECT_EQ(7102u, info.wID);
    EXPECT_EQ(reinterpret_cast<ULONG_PTR>(record.get()), info.dwItemData);
    // The menu's own record list is not touched until a resync.
    EXPECT_EQ(CString(L"Old"), menu.GetItem(0)->GetText());
}

TEST(KelvoMenuAccelerators, PadsToTheWidestColumnWithTheMenuFont)
{
    KelvoMenu menu;
    ASSERT_TRUE(menu.LoadMenu(IDM_TEST_FILE_EDIT));
    KelvoMenu* file = Level(GetSubMenu(menu.m_hMenu, 0));
    ASSERT_NE(nullptr, file);

    UniqueFont font(control_test::CreateMenuFont());
    WindowDC screen(GetDesktopWindow());
    HGDIOBJ previous = SelectObject(screen.Get(), font.Get());
    int widest = 0;
    for (const wchar_t* column : {L"&Open ", L"&Properties ", L" ", L"E&xit "})
        widest = std::max(widest, TextWidth(screen.Get(), column));
    ASSERT_LT(TextWidth(screen.Get(), L"&Open "), widest) << "the test needs Properties to be the wider text";

    std::wstring open = file->GetItem(0)->GetText().Str();
    size_t tab = open.find(L'\t');
    ASSERT_NE(std::wstring::npos, tab);
    EXPECT_EQ(L"\tCtrl+O", open.substr(tab));
    std::wstring column = open.substr(0, tab);
    ASSERT_EQ(0u, column.find(L"&Open "));
    EXPECT_EQ(std::wstring::npos, column.find_first_not_of(L' ', 5)) << "only spaces are added";
    EXPECT_GE(TextWidth(screen.Get(), column), widest);
    EXPECT_LT(TextWidth(screen.Get(), column.substr(0, column.size() - 1)), widest) << "one space too many";
    SelectObject(screen.Get(), previous);

    EXPECT_EQ(CString(L"&Properties"), file->GetItem(1)->GetText());
    EXPECT_EQ(CString(L"E&xit"), file->GetItem(3)->GetText());
}

TEST(KelvoMenuAccelerators, PaddingStopsWhenASpaceAddsNoWidth)
{
    auto fivePerCharacter = [](const std::wstring& text) { return static_cast<int>(text.size()) * 5; };
    EXPECT_EQ(KelvoMenu::PadColumn(L"Open", 32, fivePerCharacter), L"Open   ");
    EXPECT_EQ(KelvoMenu::PadColumn(L"Properties", 32, fivePerCharacter), L"Properties");
    // A font whose space has no width: the padding ends instead of running for ever.
    auto spacesAreEmpty = [](const std::wstring& text) {
        return static_cast<int>(text.find_last_not_of(L' ') + 1) * 5;
    };
    EXPECT_EQ(KelvoMenu::PadColumn(L"Open", 32, spacesAreEmpty), L"Open");
}

TEST(KelvoMenuMenuChar, FindsTheMnemonicInLowerCaseOnlyForPopups)
{
    KelvoMenu menu;
    ASSERT_TRUE(menu.LoadMenu(IDM_TEST_FILE_EDIT));
    CMenu* file = menu.GetSubMenu(0);
    ASSERT_NE(nullptr, file);

    EXPECT_EQ(MAKELRESULT(3, MNC_EXECUTE), KelvoMenu::MenuCharLookup('X', MF_POPUP, file));
    EXPECT_EQ(MAKELRESULT(3, MNC_EXECUTE), KelvoMenu::MenuCharLookup('x', MF_POPUP, file));
    EXPECT_EQ(MAKELRESULT(1, MNC_EXECUTE), KelvoMenu::MenuCharLookup('p', MF_POPUP, file));
    EXPECT_EQ(0, KelvoMenu::MenuCharLookup('x', 0, file));
    EXPECT_EQ(0, KelvoMenu::MenuCharLookup('x', MF_SYSMENU, file));
    EXPECT_EQ(0, KelvoMenu::MenuCharLookup('z', MF_POPUP, file));
    EXPECT_EQ(0, KelvoMenu::MenuCharLookup('x', MF_POPUP, nullptr));
}

TEST(KelvoMenuMenuChar, ResynchronisesWhenTheLiveMenuChanged)
{
    KelvoMenu menu;
    ASSERT_TRUE(menu.LoadMenu(IDM_TEST_FILE_EDIT));
    auto* file = static_cast<KelvoMenu*>(menu.GetSubMenu(0));
    const KelvoMenuItem* exitRecord = file->GetItem(3);

    // Two items inserted behind the records' back.
    ASSERT_TRUE(InsertMenuW(file->m_hMenu, 0, MF_BYPOSITION | MF_STRING, 7201, L"&New"));
    ASSERT_TRUE(InsertMenuW(file->m_hMenu, 3, MF_BYPOSITION | MF_SEPARATOR, 0, nullptr));
    EXPECT_EQ(MAKELRESULT(5, MNC_EXECUTE), KelvoMenu::MenuCharLookup('x', MF_POPUP, file));

    ASSERT_EQ(6, file->GetItemCount());
    EXPECT_EQ(CString(L"&New"), file->GetItem(0)->GetText());
    EXPECT_EQ(7201u, file->GetItem(0)->m_commandId);
    EXPECT_EQ(exitRecord, file->GetItem(5)) << "the Exit record is reused";
    EXPECT_EQ(static_cast<UINT_PTR>(0), file->GetItem(3)->m_commandId);
    for (int i = 0; i < 6; ++i)
        EXPECT_TRUE(IsOwnerDrawn(file->m_hMenu, i)) << i;
    MENUITEMINFOW info = {};
    info.cbSize = sizeof(info);
    info.fMask = MIIM_DATA;
    ASSERT_TRUE(GetMenuItemInfoW(file->m_hMenu, 0, TRUE, &info));
    EXPECT_EQ(reinterpret_cast<ULONG_PTR>(file->GetItem(0)), info.dwItemData);
    EXPECT_EQ(MAKELRESULT(0, MNC_EXECUTE), KelvoMenu::MenuCharLookup('n', MF_POPUP, file));

    // An item removed behind the back loses its record.
    ASSERT_TRUE(RemoveMenu(file->m_hMenu, 0, MF_BYPOSITION));
    EXPECT_EQ(MAKELRESULT(4, MNC_EXECUTE), KelvoMenu::MenuCharLookup('X', MF_POPUP, file));
    EXPECT_EQ(5, file->GetItemCount());
    EXPECT_EQ(exitRecord, file->GetItem(4));
}

TEST(KelvoMenuDestroy, ClearsEverySubmenuHandleFromTheRegistry)
{
    auto menu = std::make_unique<KelvoMenu>();
    ASSERT_TRUE(menu->LoadMenu(IDM_TEST_NESTED));
    HMENU bar = menu->m_hMenu;
    HMENU top = GetSubMenu(bar, 1);
    HMENU inner = GetSubMenu(top, 1);
    HMENU core = GetSubMenu(inner, 1);
    for (HMENU handle : {top, inner, core}) {
        EXPECT_TRUE(KelvoMenu::IsOwnMenu(handle));
        EXPECT_NE(nullptr, Level(handle));
    }
    EXPECT_TRUE(KelvoMenu::IsOwnMenu(menu->GetSubMenu(1)));

    ASSERT_TRUE(menu->DestroyMenu());
    EXPECT_EQ(nullptr, menu->m_hMenu);
    EXPECT_EQ(0, menu->GetItemCount());
    EXPECT_FALSE(IsMenu(bar));
    for (HMENU handle : {top, inner, core}) {
        EXPECT_FALSE(KelvoMenu::IsOwnMenu(handle));
        EXPECT_EQ(nullptr, CMenu::FromHandlePermanent(handle)) << "the child object is deleted";
        EXPECT_EQ(KelvoMenu::s_subMenuHandles.end(),
                  std::find(KelvoMenu::s_subMenuHandles.begin(), KelvoMenu::s_subMenuHandles.end(), handle));
    }

    // Loading again into the same object works, and so does destruction.
    ASSERT_TRUE(menu->LoadMenu(IDM_TEST_FILE_EDIT));
    HMENU file = GetSubMenu(menu->m_hMenu, 0);
    EXPECT_TRUE(KelvoMenu::IsOwnMenu(file));
    menu.reset();
    EXPECT_FALSE(KelvoMenu::IsOwnMenu(file));
}

TEST(KelvoMenuDestroy, MakingANewMenuReleasesEverythingOfTheOld)
{
    KelvoMenu menu;
    ASSERT_TRUE(menu.LoadMenu(IDM_TEST_NESTED));
    HMENU top = GetSubMenu(menu.m_hMenu, 1);
    ASSERT_TRUE(KelvoMenu::IsOwnMenu(top));
    ASSERT_TRUE(menu.CreatePopupMenu());
    EXPECT_EQ(0, menu.GetItemCount());
    EXPECT_FALSE(KelvoMenu::IsOwnMenu(top));
    EXPECT_EQ(nullptr, CMenu::FromHandlePermanent(top)) << "the child object is deleted";
}

TEST(KelvoMenuBar, ItemsInFrontOfTheLoadedOnesAreAllowedFor)
{
    KelvoMenu menu;
    ASSERT_TRUE(menu.LoadMenu(IDM_TEST_FILE_EDIT));
    HMENU file = GetSubMenu(menu.m_hMenu, 0);
    HMENU edit = GetSubMenu(menu.m_hMenu, 1);
    // Someone puts an item of their own in front of the loaded ones.
    ASSERT_TRUE(InsertMenuW(menu.m_hMenu, 0, MF_BYPOSITION | MF_STRING, 7301, L"&Window"));
    // Appending to a loaded bar puts the popups back at their shifted positions.
    ASSERT_TRUE(menu.AppendItem(L"&Help", MF_STRING, 7302, -1));
    ASSERT_EQ(4, menu.GetMenuItemCount());
    EXPECT_EQ(L"&Window", LiveText(menu.m_hMenu, 0));
    EXPECT_EQ(L"&File", LiveText(menu.m_hMenu, 1));
    EXPECT_EQ(L"&Edit", LiveText(menu.m_hMenu, 2));
    EXPECT_EQ(file, GetSubMenu(menu.m_hMenu, 1));
    EXPECT_EQ(edit, GetSubMenu(menu.m_hMenu, 2));
    EXPECT_EQ(static_cast<UINT>(MF_BYPOSITION | MF_POPUP), menu.GetItem(0)->m_flags);
    EXPECT_TRUE(IsOwnerDrawn(menu.m_hMenu, 3));
}
