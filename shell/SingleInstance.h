#pragma once
#include <windows.h>

#include "framework/Handles.h"

// One copy per session. A named mutex decides, so that two copies started at
// the same moment (start with Windows and a double-click) cannot both run;
// the copy that loses shows the running one's popup and ends.
class SingleInstance {
public:
    SingleInstance();
    bool IsFirst() const { return m_first; }

    // Shows the running copy's popup, waiting a little for its window when
    // that copy is still starting. False when no window appeared.
    static bool ShowRunningCopy();

private:
    UniqueKernelHandle m_mutex;
    bool m_first = false;
};
