#pragma once
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

namespace e2e {

// Puts text on the clipboard as an ordinary Windows program would: CF_UNICODETEXT,
// with no owner window. Retries while another program holds the clipboard open.
::testing::AssertionResult PutTextOnClipboard(const std::wstring& text);

// Puts the text on the clipboard and waits until the popup's history list has one row more.
::testing::AssertionResult CopyAndWaitForNewRow(HWND list, const std::wstring& text);

}  // namespace e2e
