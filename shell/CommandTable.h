#pragma once
#include <windows.h>

#include <functional>
#include <map>

// The popup's operations that commands reach.
struct PopupCommandHandlers {
    std::function<void()> showOptions;
    std::function<void()> showHelp;
    std::function<void()> showAbout;
    std::function<void()> exitProgram;
    std::function<void()> setSelectedToTop;
    std::function<void()> pasteSelectedEntries;
    std::function<void()> pasteSelectedAsPlainText;
    std::function<void()> deleteSelectedEntries;
    std::function<void()> clearHistory;
    std::function<void()> togglePause;
    std::function<void()> typeSelectedEntries;
};

// Which handler each menu command and the "<>" button's click reach.
class CommandTable {
public:
    explicit CommandTable(const PopupCommandHandlers& handlers);

    // Runs the handler of a WM_COMMAND from a menu, an accelerator or a button
    // click; false when the command is not one of the table's.
    bool Route(WPARAM wParam, LPARAM lParam) const;

private:
    std::map<UINT, std::function<void()>> m_handlers;
};
