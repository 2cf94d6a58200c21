#pragma once
#include "history/clipboard/SlowRenderers.h"
#include "history/model/EntryFormats.h"

// The formats an entry keeps beside its text, read from the clipboard that the
// caller has open: "HTML Format", "Rich Text Format" and a file list (CF_HDROP)
// when the copy offers them, and nothing else (no pictures, no private or OLE
// formats). Each is asked for once. One larger than EntryFormats::kMaxFormatBytes
// is named as left out; a program that was slow to render a format is not
// asked for it again.
class FormatReader {
public:
    // Whether the copy offers a file list, which may come without any text.
    static bool FilesOffered();
    EntryFormats Read();

private:
    SlowRenderers m_slow;
};
