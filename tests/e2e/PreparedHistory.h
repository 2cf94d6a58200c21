#pragma once
#include "tests/e2e/ArchiveBytes.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace e2e {

// Creates the data folder in the folder the executable will be started from and writes
// the settings file and a history file of text entries there (row 0 first), as an earlier
// run would have left them. The settings' entry count is set to the number of texts.
::testing::AssertionResult PrepareTextHistory(const std::wstring& folder, StoredSettings settings,
                                              const std::vector<std::string>& texts);

}  // namespace e2e
