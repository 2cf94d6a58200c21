#pragma once
#include "tests/e2e/Notepad.h"
#include "tests/e2e/ProcessUnderTest.h"
#include "tests/e2e/RemoteListView.h"
#include "tests/e2e/TempFolder.h"

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

namespace e2e {

// Long enough for a late second paste or a late capture of the paste to have shown up.
constexpr std::chrono::milliseconds kSettleTime{1000};

// Quillary started from a fresh folder with its popup hidden, and Wine's notepad in front:
// the scene of every paste. Copies, summons, selects and pastes as a user would.
class PopupOverNotepad : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Starts quillary (from files the test may have prepared), hides its popup, then
    // starts notepad, which ends up in the foreground with its edit focused.
    void Start();
    // Copies the texts in turn from a Windows program; the last one ends up on row 0.
    void Copy(const std::vector<std::wstring>& texts);
    RemoteListView List() const { return RemoteListView(m_list); }
    std::vector<ListItem> Rows() const;
    // The rows' labels, top first.
    std::vector<std::wstring> Labels() const;
    std::vector<int> SelectedRows() const;
    // Notepad in front with its edit focused, then Ctrl+Shift+F; true once the popup is the
    // foreground window with its list focused, so keys pressed now reach the list.
    ::testing::AssertionResult Summon();
    // Presses the keys in the list and waits until exactly the given rows are selected.
    ::testing::AssertionResult Select(const std::string& keys, const std::vector<int>& rows);
    // Presses the keys and waits until the list shows exactly these labels.
    ::testing::AssertionResult Shows(const std::string& keys, const std::vector<std::wstring>& labels);
    // The keys (Enter, Ctrl+3...): the popup hides, notepad gets exactly the expected text in
    // one paste and the focus back, and the list stays as it was.
    void ExpectKeysPaste(const std::string& keys, const std::wstring& expected);
    void ExpectEnterPastes(const std::wstring& expected) { ExpectKeysPaste("Return", expected); }
    // Same rows, labels and images; the selection may differ.
    void ExpectListUnchanged(const std::vector<ListItem>& before) const;

    TempFolder m_folder;
    ProcessUnderTest m_quillary{m_folder.Path()};
    Notepad m_notepad;
    HWND m_popup = nullptr;
    HWND m_list = nullptr;
};

}  // namespace e2e
