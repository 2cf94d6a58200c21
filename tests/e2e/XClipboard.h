#pragma once
#include <gtest/gtest.h>

#include <string>

namespace e2e {

// Copies text in an X program, as a user copying in a native Linux application would:
// xclip takes the X clipboard selection with the text as UTF-8, and Wine hands the change
// on to Windows programs. xclip serves the selection until another program takes it over.
::testing::AssertionResult CopyInXProgram(const std::wstring& text);

}  // namespace e2e
