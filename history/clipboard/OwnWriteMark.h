#pragma once
#include <windows.h>

// What Quillary puts on the clipboard itself (a paste) carries a format of its
// own, named after this process, so that capture, which learns of the change
// later and on another thread, knows the content as its own and leaves it be.
// The mark goes with the content: a copy that another program makes right
// after has none, and is recorded.
class OwnWriteMark {
public:
    // The mark's format; registered once for the process.
    static UINT Format();
    // Adds the mark to the clipboard that the caller has open and emptied.
    static bool Place();
};
