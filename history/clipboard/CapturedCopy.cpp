#include "history/clipboard/CapturedCopy.h"

#include "history/model/FileList.h"
#include "history/model/FormatsShelf.h"

std::optional<CapturedCopy> CapturedCopy::Settle(CopyDraft draft)
{
    EntryFormats& formats = draft.formats;
    const KeptFormat* files = formats.Files();
    if (files || !draft.largeFileList.empty()) {
        const std::vector<std::wstring> paths = FileList::Paths(files ? files->bytes : draft.largeFileList);
        formats.label = FileList::Label(paths);
        if (!draft.textOffered)
            draft.text = FileList::Text(paths);
        // A block that holds no path is no file list.
        if (paths.empty() && files)
            formats.kept.erase(formats.kept.begin() + (files - formats.kept.data()));
    } else if (draft.textOffered && draft.text.empty() && !formats.kept.empty()) {
        // Nothing to show of the text: the row says what the copy holds.
        formats.label = L"Formatted copy (" + formats.KeptSummary() + L")";
    }
    if (!draft.textOffered && draft.text.empty())
        return std::nullopt;
    CapturedCopy copy;
    copy.sequence = draft.sequence;
    copy.keepHere = draft.keepHere;
    // Moved, never copied: a text may be megabytes.
    copy.text = std::move(draft.text);
    if (!formats.Empty())
        copy.formats = Shelved(std::move(formats));
    return copy;
}
