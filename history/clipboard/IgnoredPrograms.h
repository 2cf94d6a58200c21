#pragma once
#include "framework/CString.h"

#include <windows.h>

#include <vector>

// Programs whose copies are not recorded, named by their executable files
// ("keepass.exe"). A name given with a folder counts by its file name alone.
class IgnoredPrograms {
public:
    // The names in the options' text: one per line, trimmed of blanks and
    // quotes, blank lines dropped, each file name once (compared without
    // regard to case), in the order first given.
    static std::vector<CString> ParseList(const CString& text);
    // The names one per line (CR LF), as the options dialog shows them.
    static CString JoinList(const std::vector<CString>& names);

    void SetList(const CString& text);
    bool IsEmpty() const { return m_fileNames.empty(); }
    // True when the file name of `imagePath` is one of the names, without regard to case.
    bool Contains(const wchar_t* imagePath) const;
    // True when the window that owns the clipboard now belongs to one of the
    // programs. False when there is no owner or its program cannot be asked.
    bool IsClipboardOwnerIgnored() const;

    // The full path of the executable running `window`, or empty.
    static CString ProcessImageOf(HWND window);
    // The file name of a path: "keepass.exe" of C:\Tools\keepass.exe.
    static const wchar_t* FileNameOf(const wchar_t* path);

private:
    std::vector<CString> m_fileNames;
};
