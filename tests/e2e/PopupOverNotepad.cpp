#include "tests/e2e/PopupOverNotepad.h"

#include "tests/e2e/Clipboard.h"
#include "tests/e2e/Keyboard.h"
#include "tests/e2e/DialogControls.h"
#include "tests/e2e/ProductFacts.h"
#include "tests/e2e/Wait.h"
#include "tests/e2e/WindowQueries.h"

#include <commctrl.h>

namespace e2e {

void PopupOverNotepad::SetUp()
{
    ASSERT_TRUE(NoWindowTitledLikeThePopup());
}

void PopupOverNotepad::TearDown()
{
    // A Windows copy takes the selection back from any xclip left serving it, which then ends.
    PutTextOnClipboard(L"end of test");
}

void PopupOverNotepad::Start()
{
    ASSERT_TRUE(m_quillary.Start());
    m_popup = m_quillary.WaitForPopup();
    ASSERT_NE(m_popup, nullptr);
    m_list = GetDlgItem(m_popup, kHistoryListId);
    ASSERT_NE(m_list, nullptr);
    PostMessageW(m_popup, WM_CLOSE, 0, 0);
    ASSERT_TRUE(WaitUntil([&] { return !IsWindowVisible(m_popup); }));
    ASSERT_TRUE(m_notepad.Start());
}

void PopupOverNotepad::Copy(const std::vector<std::wstring>& texts)
{
    for (const std::wstring& text : texts) {
        const int before = List().ItemCount();
        ASSERT_TRUE(PutTextOnClipboard(text));
        ASSERT_TRUE(WaitUntil([&] { return List().ItemCount() == before + 1; })) << "the copy did not become an entry";
    }
}

std::vector<ListItem> PopupOverNotepad::Rows() const
{
    std::vector<ListItem> rows;
    const int count = List().ItemCount();
    for (int row = 0; row < count; ++row)
        rows.push_back(List().Item(row).value_or(ListItem{L"(unreadable)", -1, 0}));
    return rows;
}

std::vector<std::wstring> PopupOverNotepad::Labels() const
{
    std::vector<std::wstring> labels;
    for (const ListItem& item : Rows())
        labels.push_back(item.text);
    return labels;
}

std::vector<int> PopupOverNotepad::SelectedRows() const
{
    std::vector<int> selected;
    const std::vector<ListItem> rows = Rows();
    for (size_t row = 0; row < rows.size(); ++row) {
        if (rows[row].state & LVIS_SELECTED)
            selected.push_back(static_cast<int>(row));
    }
    return selected;
}

::testing::AssertionResult PopupOverNotepad::Summon()
{
    if (!m_notepad.Activate())
        return ::testing::AssertionFailure() << "notepad did not come to the foreground: " << DescribeForeground();
    if (auto pressed = PressKeys("ctrl+shift+f"); !pressed)
        return pressed;
    if (!WaitUntil([&] { return IsWindowVisible(m_popup) && GetForegroundWindow() == m_popup &&
                                FocusInThreadOf(m_popup) == m_list; }))
        return ::testing::AssertionFailure() << "Ctrl+Shift+F did not bring up the popup: " << DescribeForeground();
    return ::testing::AssertionSuccess();
}

::testing::AssertionResult PopupOverNotepad::Select(const std::string& keys, const std::vector<int>& rows)
{
    const std::vector<int> before = SelectedRows();
    const auto pressed =
        PressKeysUntil(keys, [&] { return SelectedRows() == rows; }, [&] { return SelectedRows() == before; });
    if (pressed)
        return pressed;
    return ::testing::AssertionFailure() << pressed.message() << ": " << keys << " selected rows " << testing::PrintToString(SelectedRows())
                                         << ", not " << testing::PrintToString(rows);
}

::testing::AssertionResult PopupOverNotepad::Shows(const std::string& keys, const std::vector<std::wstring>& labels)
{
    HWND search = GetDlgItem(m_popup, kSearchFieldId);
    const std::wstring before = ControlText(search);
    const auto pressed =
        PressKeysUntil(keys, [&] { return Labels() == labels; }, [&] { return ControlText(search) == before; });
    if (pressed)
        return pressed;
    return ::testing::AssertionFailure() << pressed.message() << ": " << keys << " shows " << testing::PrintToString(Labels()) << ", not "
                                         << testing::PrintToString(labels);
}

void PopupOverNotepad::ExpectKeysPaste(const std::string& keys, const std::wstring& expected)
{
    const std::vector<ListItem> before = Rows();
    ASSERT_TRUE(m_notepad.Text().empty());
    ASSERT_TRUE(PressKeys(keys));
    EXPECT_TRUE(WaitUntil([&] { return !IsWindowVisible(m_popup); })) << keys << " did not hide the popup";
    EXPECT_TRUE(WaitUntil([&] { return m_notepad.Text() == expected; }))
        << "notepad holds " << testing::PrintToString(m_notepad.Text()) << ", expected "
        << testing::PrintToString(expected);
    const int count = static_cast<int>(before.size());
    const auto changed = [&] { return m_notepad.Text() != expected || List().ItemCount() != count; };
    EXPECT_FALSE(WaitUntil(changed, kSettleTime))
        << "afterwards notepad holds " << testing::PrintToString(m_notepad.Text()) << " and the list "
        << List().ItemCount() << " entries";
    EXPECT_FALSE(IsWindowVisible(m_popup));
    EXPECT_TRUE(m_notepad.HasKeyboardFocus()) << DescribeForeground();
    ExpectListUnchanged(before);
}

void PopupOverNotepad::ExpectListUnchanged(const std::vector<ListItem>& before) const
{
    const std::vector<ListItem> after = Rows();
    ASSERT_EQ(after.size(), before.size()) << "the paste changed the number of entries";
    for (size_t row = 0; row < after.size(); ++row) {
        EXPECT_EQ(after[row].text, before[row].text) << "row " << row;
        EXPECT_EQ(after[row].image, before[row].image) << "row " << row;
    }
}

}  // namespace e2e
