#pragma once
#include <windows.h>

#include <vector>

namespace e2e {

// Selects exactly the given rows of another process's list view, as a user's clicks
// would leave it: every other row loses its selection, the first given row gets the focus.
// False when the list does not answer.
bool SelectOnlyRows(HWND list, const std::vector<int>& rows);

}  // namespace e2e
