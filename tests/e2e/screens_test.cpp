// A popup left on no monitor (its monitor removed or moved while Quillary ran) comes
// back to the nearest work area when it is summoned, when the displays change and when
// its place is saved at exit; it keeps its size. Wine's desktop is one monitor that
// never changes, so the driver puts the popup where a vanished monitor would have left
// it and sends WM_DISPLAYCHANGE as Windows would.
#include "tests/e2e/FileBytes.h"
#include "tests/e2e/PopupOverNotepad.h"
#include "tests/e2e/ProductFacts.h"
#include "tests/e2e/WindowQueries.h"

#include <gtest/gtest.h>

#include <cstring>
#include <ostream>

using namespace e2e;

namespace {

std::string Text(const RECT& r)
{
    return std::to_string(r.left) + "," + std::to_string(r.top) + " - " + std::to_string(r.right) + "," +
           std::to_string(r.bottom);
}

class Screens : public PopupOverNotepad {
protected:
    void SetUp() override
    {
        ASSERT_NO_FATAL_FAILURE(PopupOverNotepad::SetUp());
        ASSERT_NO_FATAL_FAILURE(Start());
        ASSERT_TRUE(SystemParametersInfoW(SPI_GETWORKAREA, 0, &m_work, 0));
    }

    // Where a monitor that is gone would have left it.
    ::testing::AssertionResult Strand(const RECT& rect) const
    {
        if (!SetWindowPos(m_popup, nullptr, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top,
                          SWP_NOZORDER | SWP_NOACTIVATE))
            return ::testing::AssertionFailure() << "the popup cannot be moved";
        if (!WaitUntil([&] { return Now() == Text(rect); }))
            return ::testing::AssertionFailure() << "the popup stands at " << Now();
        return ::testing::AssertionSuccess();
    }
    std::string Now() const { return Text(WindowRect(m_popup)); }
    // The popup's place: at `left`, `top` in the work area, 190 x 290.
    RECT InWork(LONG left, LONG top) const { return {left, top, left + 190, top + 290}; }

    RECT m_work = {};
};

TEST_F(Screens, APopupLeftOnNoMonitorComesBackToTheNearestWorkArea)
{
    // Hidden on a monitor left of the screen, removed since.
    ASSERT_TRUE(Strand({-3000, 200, -2810, 490}));
    ASSERT_TRUE(Summon());
    EXPECT_EQ(Now(), Text(InWork(m_work.left, 200))) << "summoned";

    // Shown on a monitor below and right of it, removed now.
    ASSERT_TRUE(Strand({5000, 5000, 5190, 5290}));
    DWORD_PTR answer = 0;
    ASSERT_TRUE(SendMessageTimeoutW(m_popup, WM_DISPLAYCHANGE, 32,
                                    MAKELPARAM(m_work.right - m_work.left, m_work.bottom - m_work.top),
                                    SMTO_ABORTIFHUNG, 5000, &answer));
    const RECT corner = InWork(m_work.right - 190, m_work.bottom - 290);
    EXPECT_TRUE(WaitUntil([&] { return Now() == Text(corner); })) << "after the display change: " << Now();

    // Left off the screen at exit: the settings keep a place on it.
    ASSERT_TRUE(Strand({5000, 100, 5190, 390}));
    ASSERT_TRUE(PostMessageW(m_popup, WM_COMMAND, kExitCommand, 0));
    ASSERT_TRUE(m_quillary.WaitForExit().has_value());
    const std::string settings = ReadFileBytes(m_folder.Child(kDataFolderName) + L"\\" + kOptionsFileName);
    // Empty before and after strings (one length byte each), four integers, then the rectangle.
    constexpr size_t kRectAt = 2 + 4 * 4;
    ASSERT_GE(settings.size(), kRectAt + sizeof(RECT));
    RECT saved = {};
    std::memcpy(&saved, settings.data() + kRectAt, sizeof(saved));
    EXPECT_EQ(Text(saved), Text(InWork(m_work.right - 190, 100))) << "saved at exit";
}

}  // namespace
