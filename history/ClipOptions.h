#pragma once
#include "framework/CString.h"

#include <windows.h>

// The settings record. The popup holds it as its own members; the options
// dialog receives a copy of the whole record.
struct ClipOptions {
    CString m_strBefore;
    CString m_strAfter;
    int m_nEntryCount = 0;
    int m_bAutoRun = 0;
    int m_nTopCount = 0;
    RECT m_rcWindow = {10, 10, 200, 300};
    int m_bCompoundPaste = 0;
};
