#pragma once
#include <windows.h>

// Whether a window's program runs with more rights than Quillary. Windows
// silently drops the keys that a program sends to one of a higher integrity
// level (a program run as administrator, while Quillary is not).
enum class TargetRights { NotHigher, Higher, Unknown };

class ProcessRights {
public:
    static TargetRights Compare(HWND window);
};
