#include "shell/CommandTable.h"

#include "resource.h"

CommandTable::CommandTable(const PopupCommandHandlers& handlers)
    : m_handlers{
          {ID_MENU_OPTION, handlers.showOptions},
          {ID_MENU_HELP, handlers.showHelp},
          {ID_MENU_ABOUT, handlers.showAbout},
          {ID_MENU_EXIT, handlers.exitProgram},
          {ID_MENU_SET_TOP, handlers.setSelectedToTop},
          {ID_MENU_PASTE_TO, handlers.pasteSelectedEntries},
          {ID_MENU_PASTE_PLAIN, handlers.pasteSelectedAsPlainText},
          {ID_MENU_DELETE, handlers.deleteSelectedEntries},
          {ID_MENU_CLEAR_ALL, handlers.clearHistory},
          {ID_MENU_PAUSE, handlers.togglePause},
          {ID_MENU_TYPE_IT, handlers.typeSelectedEntries},
          {IDC_BUTTON_OPTIONS, handlers.showOptions},
      }
{
}

bool CommandTable::Route(WPARAM wParam, LPARAM lParam) const
{
    const UINT code = HIWORD(wParam);
    // Menus send 0 and accelerators 1; from a control only a click counts.
    const bool fromControl = lParam != 0;
    if (fromControl ? code != BN_CLICKED : code > 1)
        return false;
    auto entry = m_handlers.find(LOWORD(wParam));
    if (entry == m_handlers.end() || !entry->second)
        return false;
    entry->second();
    return true;
}
