#pragma once
#include <gtest/gtest.h>

#include <string>

namespace e2e {

// Puts text on the clipboard as an ordinary Windows program would: CF_UNICODETEXT,
// with no owner window. Retries while another program holds the clipboard open.
::testing::AssertionResult PutTextOnClipboard(const std::wstring& text);

}  // namespace e2e
