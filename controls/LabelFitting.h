#pragma once
#include <windows.h>

// Where a label goes when it is resized to its caption. `window` and `client`
// are the label's window and client rectangles in the same coordinates,
// `text` the caption's size. The border (window minus client) is kept; the
// alignment style decides which edge or centre stays put: SS_CENTERIMAGE keeps
// the vertical centre (otherwise the top stays), SS_CENTER the horizontal
// centre, SS_RIGHT the right edge (otherwise the left stays). A centre moves
// by half the size difference, truncated toward zero, on each side.
RECT FitLabelRect(const RECT& window, const RECT& client, SIZE text, DWORD style);
