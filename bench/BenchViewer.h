#pragma once
// The capture baseline: a bare clipboard viewer in a process of its own. It
// joins the viewer chain, and on every change passes the notice on and reads
// the text, nothing more. The driver finds it by its window class and asks it
// with kQueryReads how many texts it has read.
#include <windows.h>

inline constexpr const wchar_t* kBenchViewerClass = L"QuillaryBenchViewer";
inline constexpr UINT kQueryReads = WM_APP + 1;
