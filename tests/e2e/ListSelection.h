#pragma once
#include <windows.h>

#include <gtest/gtest.h>

#include <vector>

namespace e2e {

// Selects exactly the given rows of another process's list view, as a user's clicks
// would leave it: every other row loses its selection, the first given row gets the focus.
// False when the list does not answer.
bool SelectOnlyRows(HWND list, const std::vector<int>& rows);

// Presses Home, as a user picks the newest entry of the popup's list, and waits until the
// first row is selected.
::testing::AssertionResult SelectFirstRowByKey(HWND list);

}  // namespace e2e
