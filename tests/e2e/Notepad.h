#pragma once
#include "framework/Handles.h"

#include <gtest/gtest.h>

#include <string>

namespace e2e {

// Wine's own notepad: another program, written by no one here, whose edit control is the
// window that the popup is summoned from and pastes into. Closed at the end without saving.
// Another of Wine's accessories with an edit control of its own (WordPad and its rich edit)
// is driven the same way.
class Notepad {
public:
    // `program` (a bare name is found in the system folder); its main window's class (null: any)
    // and the class its edit control's name starts with. The strings must outlive the object.
    explicit Notepad(const wchar_t* program = L"notepad.exe", const wchar_t* mainClass = L"Notepad",
                     const wchar_t* editClass = L"Edit")
        : m_program(program), m_mainClass(mainClass), m_editClass(editClass)
    {
    }
    ~Notepad();
    Notepad(const Notepad&) = delete;
    Notepad& operator=(const Notepad&) = delete;

    // Starts it and waits until its window is the foreground window with the edit control focused.
    ::testing::AssertionResult Start();
    HWND MainWindow() const { return m_main; }
    HWND Edit() const { return m_edit; }
    // The text in its edit control.
    std::wstring Text() const;
    // Empties its edit control, as selecting all and deleting would.
    bool Clear() const;
    // Makes it the foreground window again, as a click on it would; true once its edit has the focus.
    bool Activate() const;
    // Whether its window is the foreground window and its edit control has the focus.
    bool HasKeyboardFocus() const;

private:
    const wchar_t* m_program;
    const wchar_t* m_mainClass;
    const wchar_t* m_editClass;
    UniqueFileHandle m_process;
    DWORD m_processId = 0;
    HWND m_main = nullptr;
    HWND m_edit = nullptr;
};

}  // namespace e2e
