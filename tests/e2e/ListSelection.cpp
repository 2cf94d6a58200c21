#include "tests/e2e/ListSelection.h"

#include "tests/e2e/Keyboard.h"
#include "tests/e2e/RemoteListView.h"
#include "tests/e2e/RemoteMemory.h"

#include <commctrl.h>

namespace e2e {

namespace {

bool SetState(HWND list, const RemoteMemory& remote, int row, UINT state)
{
    LVITEMW item = {};
    item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    item.state = state;
    if (!remote.Write(0, &item, sizeof(item)))
        return false;
    DWORD_PTR result = 0;
    // Row -1 stands for every row.
    return SendMessageTimeoutW(list, LVM_SETITEMSTATE, static_cast<WPARAM>(row),
                               reinterpret_cast<LPARAM>(remote.Address()), SMTO_ABORTIFHUNG, 5000, &result)
           && result != 0;
}

}  // namespace

bool SelectOnlyRows(HWND list, const std::vector<int>& rows)
{
    DWORD processId = 0;
    GetWindowThreadProcessId(list, &processId);
    RemoteMemory remote(processId, sizeof(LVITEMW));
    if (!remote || !SetState(list, remote, -1, 0))
        return false;
    bool first = true;
    for (int row : rows) {
        if (!SetState(list, remote, row, LVIS_SELECTED | (first ? LVIS_FOCUSED : 0)))
            return false;
        first = false;
    }
    return true;
}

::testing::AssertionResult SelectFirstRowByKey(HWND list)
{
    const auto firstSelected = [list] {
        return (RemoteListView(list).Item(0).value_or(ListItem{}).state & LVIS_SELECTED) != 0;
    };
    // Home again is harmless, so it is pressed again whenever the first one went missing.
    return PressKeysUntil("Home", firstSelected, [] { return true; });
}

}  // namespace e2e
