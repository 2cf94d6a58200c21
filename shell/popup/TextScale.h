#pragma once
#include <windows.h>

// The system's text size, which the popup's text and rows follow: the
// accessibility setting "Make text bigger" (a percent, 100 to 225, kept in
// HKCU\Software\Microsoft\Accessibility\TextScaleFactor), and the message
// font, which that setting and the older font settings make larger.
class TextScale {
public:
    static constexpr int kNormal = 100;
    static constexpr int kLargest = 225;

    // The percent to draw at: the larger of the setting (0 when it is not
    // there) and the message font's height against the popup's own font
    // height at the same DPI; never below normal nor above the largest.
    static int Combine(DWORD setting, int messageFontHeight, int ownFontHeight);

    // The percent now, for a popup whose font is `ownFontHeight` pixels high at the system's DPI.
    static int Current(int ownFontHeight);
};
