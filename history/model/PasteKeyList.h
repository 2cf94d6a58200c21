#pragma once
#include "framework/CString.h"
#include "history/model/KnownPasteKeys.h"

#include <vector>

// Which key pastes in which program, by the program's executable name
// ("putty.exe"). A program not listed gets Ctrl+V.
struct ProgramPasteKey {
    CString program;
    PasteKey key = PasteKey::CtrlV;
};

class PasteKeyList {
public:
    using Rules = std::vector<ProgramPasteKey>;

    // The programs known to need another key than Ctrl+V: the list a new
    // settings file starts with.
    static Rules Defaults();
    // The key for the program whose executable is `imagePath` (a path or a
    // bare file name), compared by file name without regard to case.
    static PasteKey For(const Rules& rules, const wchar_t* imagePath);
    // What the user typed as a program, as the list keeps it: trimmed of
    // blanks and quotes, the file name alone; empty when nothing is left.
    static CString CleanName(const CString& typed);
    // Sets the key of a program, adding it at the end when it is not listed;
    // returns its place in the list.
    static size_t Set(Rules& rules, const CString& program, PasteKey key);
    // "Ctrl+V", "Shift+Insert", "Ctrl+Shift+V".
    static const wchar_t* KeyName(PasteKey key);
};
