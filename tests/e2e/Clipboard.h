#pragma once
#include <windows.h>

#include <gtest/gtest.h>

#include <optional>
#include <string>

namespace e2e {

// Puts the bytes on the clipboard in one format as an ordinary Windows program would,
// with no owner window. Retries while another program holds the clipboard open.
::testing::AssertionResult PutOnClipboard(UINT format, const std::string& bytes);
// What the clipboard holds in the format, or nothing when it holds none.
std::optional<std::string> ReadClipboard(UINT format);

// Puts text on the clipboard as CF_UNICODETEXT.
::testing::AssertionResult PutTextOnClipboard(const std::wstring& text);

// Puts the text on the clipboard and waits until the popup's history list has one row more.
::testing::AssertionResult CopyAndWaitForNewRow(HWND list, const std::wstring& text);

}  // namespace e2e
