#pragma once
#include "history/clipboard/CaptureExchange.h"
#include "history/clipboard/CopyInFlight.h"
#include "history/clipboard/OfferedFormats.h"

#include <optional>

// The formats an entry keeps beside its text, read from the clipboard that
// the caller has open: "HTML Format", "Rich Text Format" and a file list
// (CF_HDROP) when the copy offers them, and nothing else (no pictures, no
// private or OLE formats). Each is asked for once, within the copy's time for
// formats; one larger than EntryFormats::kMaxFormatBytes is named as left
// out. A program that was slow to render a format, or does not answer, is not
// asked for it.
class FormatReader {
public:
    // Whether the copy offers a file list, which may come without any text.
    static bool FilesOffered(const OfferedFormats& offered);
    // The file list's bytes, whatever their size: the paths of a copy of files
    // alone are its text. False when it gives none.
    static bool ReadFileList(std::vector<std::uint8_t>& bytes);
    // Adds the formats to the draft (the file list too, unless it was read as
    // the text already): the copy as it went to the history, or nothing when
    // the popup took it because a render held it past its time.
    static std::optional<CopyInFlight::Finished> Read(const OfferedFormats& offered, CopyDraft draft,
                                                      bool filesRead, CaptureExchange& exchange,
                                                      CopyInFlight& inFlight);

private:
    static void ReadOne(UINT id, const FormatName& name, CopyInFlight& inFlight);
};
