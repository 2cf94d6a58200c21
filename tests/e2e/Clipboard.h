#pragma once
#include "tests/e2e/Picture.h"

#include <gtest/gtest.h>

#include <string>

namespace e2e {

// Puts text on the clipboard as an ordinary Windows program would: CF_UNICODETEXT,
// with no owner window. Retries while another program holds the clipboard open.
::testing::AssertionResult PutTextOnClipboard(const std::wstring& text);
// Puts a picture and nothing else on the clipboard, as a paint program or a browser would:
// CF_DIB, 24 bits per pixel, bottom-up rows padded to four bytes.
::testing::AssertionResult PutPictureOnClipboard(const Picture& picture);

}  // namespace e2e
