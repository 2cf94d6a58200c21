#pragma once
#include <windows.h>

#include "tests/e2e/Picture.h"

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
// Puts a picture and nothing else on the clipboard, as a paint program or a browser would:
// CF_DIB, 24 bits per pixel, bottom-up rows padded to four bytes.
::testing::AssertionResult PutPictureOnClipboard(const Picture& picture);

// Puts the text on the clipboard and waits until the popup's history list has one row more.
::testing::AssertionResult CopyAndWaitForNewRow(HWND list, const std::wstring& text);

}  // namespace e2e
