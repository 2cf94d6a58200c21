#pragma once
#include "framework/CString.h"
#include "history/model/OptionLimits.h"
#include "history/model/PasteKeyList.h"

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
    // The summon key as HKM_GETHOTKEY gives it: virtual key in the low byte, HOTKEYF_* in the high byte.
    int m_nSummonHotkey = kDefaultSummonHotkey;
    int m_nHistorySize = kDefaultHistorySize;  // kMinHistorySize..kMaxHistorySize entries
    int m_bNoRepeats = 0;
    int m_bRecordPictures = 0;
    // Executable names, one per line (CR LF), as the options dialog shows them.
    CString m_strIgnoredPrograms;
    // Entries outside the top zone go when Windows is locked.
    int m_bClearOnLock = 0;
    // Entries outside the top zone captured more than this many days ago go (0: never).
    int m_nForgetDays = 0;
    // The history is written encrypted for this Windows account.
    int m_bEncrypt = 0;
    // The key that pastes in each program that needs another than Ctrl+V.
    PasteKeyList::Rules m_pasteKeys = PasteKeyList::Defaults();
    // The history is shared with the user's other PCs through this folder.
    int m_bShare = 0;
    CString m_strShareFolder;
    // What is shared beside texts: kept formats up to this many KB per entry, and pictures.
    int m_nShareFormatsKB = kDefaultShareFormatsKB;
    int m_bSharePictures = 0;
};
