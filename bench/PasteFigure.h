#pragma once
#include <windows.h>

class BenchFolder;

// The paste figure of bench_capture: Enter on an entry with 1 MB of HTML in the
// popup until a bare viewer process has read the text and the HTML from the
// clipboard, against this process putting the same bytes there itself, read
// by the same viewer. `owner` is a window of this process that owns the
// baseline's copies.
void BenchPaste(HWND owner, const BenchFolder& folder, int rounds);
