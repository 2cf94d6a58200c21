#include "history/clipboard/CopyReader.h"

#include "framework/Handles.h"
#include "history/clipboard/ClipboardPicture.h"
#include "history/clipboard/FormatReader.h"
#include "history/model/HistoryEntry.h"

namespace {

// Another program (Wine's own clipboard bridge, a target pasting) usually
// holds it for well under a millisecond: tried again at once, then less often,
// for about half a second in all.
constexpr DWORD kOpenRetryMs[] = {0, 1, 1, 2, 5, 10, 20, 40, 80, 160, 200};

// The clipboard's text, when it offers one.
bool ReadText(std::wstring& text)
{
    GlobalLockGuard lock(GetClipboardData(CF_UNICODETEXT));
    if (!lock.Data())
        return false;
    text = TextUpToNul(static_cast<const wchar_t*>(lock.Data()), lock.Size() / sizeof(wchar_t));
    return true;
}

}  // namespace

void CopyReader::OnClipboardChange()
{
    if (!m_exchange.Recording())
        return;
    DWORD sequence = GetClipboardSequenceNumber();
    if (!m_exchange.Claim(sequence))
        return;
    // Quillary's own paste, and content marked as private, are known without
    // opening the clipboard: other programs react to the change at this very
    // moment (the paste's target, other viewers) and find it free.
    OfferedFormats offered = OfferedFormats::Now();
    if (offered.MarkedByFormat())
        return;
    ClipboardSession clipboard(m_window);
    if (!Open(clipboard))
        return;
    // Changed again before it could be opened: that newer copy is the one read.
    const DWORD opened = GetClipboardSequenceNumber();
    if (opened != sequence) {
        if (!m_exchange.Claim(opened))
            return;
        sequence = opened;
        offered = OfferedFormats::Now();
    }
    const std::shared_ptr<const CaptureExchange::Rules> rules = m_exchange.CurrentRules();
    // A program the user listed counts as one that marked its content private.
    if (offered.Excluded() || rules->ignored.IsClipboardOwnerIgnored())
        return;
    // Delivered while the clipboard is still open: a later copy, read after
    // the close, always comes after it.
    Read(offered, sequence, *rules);
}

bool CopyReader::Open(ClipboardSession& clipboard) const
{
    for (DWORD wait : kOpenRetryMs) {
        if (clipboard.IsOpen() || !m_exchange.Recording())
            break;
        Sleep(wait);
        clipboard.Open(m_window);
    }
    return clipboard.IsOpen();
}

void CopyReader::Read(const OfferedFormats& offered, DWORD sequence, const CaptureExchange::Rules& rules)
{
    CopyDraft draft;
    draft.sequence = sequence;
    draft.keepHere = offered.NotForCloud();
    bool filesRead = false;
    if (ReadText(draft.text)) {
        draft.textOffered = true;
    } else if (FormatReader::FilesOffered(offered)) {
        // Files alone: their paths are the entry, whatever their list's size or speed.
        std::vector<std::uint8_t> list;
        if (!FormatReader::ReadFileList(list))
            return;
        filesRead = true;
        if (list.size() > EntryFormats::kMaxFormatBytes) {
            draft.formats.leftOut.push_back({L"", EntryFormats::kFileListNumber});
            draft.largeFileList = std::move(list);
        } else {
            draft.formats.kept.push_back({{L"", EntryFormats::kFileListNumber}, std::move(list)});
        }
    } else {
        // A picture beside text is never asked for.
        if (!rules.recordPictures)
            return;
        if (std::optional<CapturedCopy> picture = ReadPicture(sequence)) {
            picture->keepHere = draft.keepHere;
            m_exchange.Deliver(std::move(*picture));
        }
        return;
    }
    std::optional<CopyInFlight::Finished> finished =
        FormatReader::Read(offered, std::move(draft), filesRead, m_exchange, m_inFlight);
    if (finished && finished->copy)
        m_exchange.Deliver(std::move(*finished->copy));
}

std::optional<CapturedCopy> CopyReader::ReadPicture(DWORD sequence) const
{
    ClipboardPicture picture;
    if (picture.Read() != ClipboardPicture::Outcome::Read)
        return std::nullopt;
    CapturedCopy copy;
    copy.sequence = sequence;
    copy.picture.Reset(picture.Release());
    copy.pictureLabel = picture.Label().Str();
    return copy;
}
