#pragma once
// The baseline of the capture and paste figures: a bare clipboard viewer in a
// process of its own. It joins the viewer chain, and on every change passes
// the notice on and reads the text, and the registered formats named on its
// command line, nothing more. The driver finds it by its window class and asks
// it with kQueryReads how many changes it has read with all those formats.
// When the driver has made an event named kBenchViewerReadEvent before
// starting it, the viewer also sets that event after each such read.
#include <windows.h>

inline constexpr const wchar_t* kBenchViewerClass = L"QuillaryBenchViewer";
inline constexpr const wchar_t* kBenchViewerReadEvent = L"QuillaryBenchViewerRead";
inline constexpr UINT kQueryReads = WM_APP + 1;
