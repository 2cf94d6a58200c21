#include "history/clipboard/ClipboardCapture.h"

#include "framework/Handles.h"
#include "history/clipboard/ClipboardPicture.h"
#include "history/model/FileList.h"
#include "history/model/FormatsShelf.h"

namespace {

// Registered once: each registration is a round trip to the window server,
// and capture runs on every copy anywhere.
struct ExclusionFormats {
    UINT exclude = RegisterClipboardFormatW(L"ExcludeClipboardContentFromMonitorProcessing");
    UINT viewerIgnore = RegisterClipboardFormatW(L"Clipboard Viewer Ignore");
    UINT history = RegisterClipboardFormatW(L"CanIncludeInClipboardHistory");
    UINT cloud = RegisterClipboardFormatW(L"CanUploadToCloudClipboard");
};

const ExclusionFormats& Formats()
{
    static const ExclusionFormats formats;
    return formats;
}

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

void ClipboardCapture::JoinChain()
{
    m_state.nextViewer = SetClipboardViewer(m_window);
}

void ClipboardCapture::RejoinChain()
{
    m_state.suppressCapture = 1;
    ChangeClipboardChain(m_window, m_state.nextViewer);
    m_state.nextViewer = SetClipboardViewer(m_window);
    m_state.suppressCapture = 0;
}

void ClipboardCapture::LeaveChain()
{
    ChangeClipboardChain(m_window, m_state.nextViewer);
}

void ClipboardCapture::OnDrawClipboard(WPARAM wParam, LPARAM lParam)
{
    // The notification is always passed on first.
    if (m_state.nextViewer)
        SendMessageW(m_state.nextViewer, WM_DRAWCLIPBOARD, wParam, lParam);
    if (reinterpret_cast<HWND>(wParam) != m_window && m_state.ready && !m_state.suppressCapture &&
        !m_paused)
        CaptureClipboardText();
}

void ClipboardCapture::OnChangeCbChain(WPARAM wParam, LPARAM lParam)
{
    HWND leaving = reinterpret_cast<HWND>(wParam);
    if (leaving == m_state.nextViewer)
        m_state.nextViewer = reinterpret_cast<HWND>(lParam);
    else if (m_state.nextViewer)
        SendMessageW(m_state.nextViewer, WM_CHANGECBCHAIN, wParam, lParam);
}

bool ClipboardCapture::IsExcludedContent()
{
    const ExclusionFormats& formats = Formats();
    bool history = false;
    // One query for all formats instead of one per format: each is a round trip.
    UINT present[64];
    const UINT capacity = static_cast<UINT>(sizeof(present) / sizeof(present[0]));
    UINT count = 0;
    if (GetUpdatedClipboardFormats(present, capacity, &count)) {
        for (UINT i = 0; i < count; ++i) {
            if (present[i] == formats.exclude || present[i] == formats.viewerIgnore)
                return true;
            history = history || present[i] == formats.history;
        }
    } else {
        // More formats than the list holds.
        if (IsClipboardFormatAvailable(formats.exclude) || IsClipboardFormatAvailable(formats.viewerIgnore))
            return true;
        history = IsClipboardFormatAvailable(formats.history) != FALSE;
    }
    if (!history)
        return false;
    HANDLE data = GetClipboardData(formats.history);
    GlobalLockGuard lock(data);
    return lock.Data() && lock.Size() >= sizeof(DWORD) && *static_cast<const DWORD*>(lock.Data()) == 0;
}

bool ClipboardCapture::IsNotForCloud()
{
    const UINT cloud = Formats().cloud;
    if (!IsClipboardFormatAvailable(cloud))
        return false;
    GlobalLockGuard lock(GetClipboardData(cloud));
    return lock.Data() && lock.Size() >= sizeof(DWORD) && *static_cast<const DWORD*>(lock.Data()) == 0;
}

void ClipboardCapture::CaptureClipboardText()
{
    // Reading delay-rendered data can make the system announce the same change
    // again from inside the read; that nested notice, and any later repeat of a
    // change already handled, add nothing.
    if (m_capturing)
        return;
    const DWORD sequence = GetClipboardSequenceNumber();
    if (m_haveSequence && sequence != 0 && sequence == m_lastSequence)
        return;
    // Set again on every path, an exception included: capture must not stay off.
    struct CapturingScope {
        bool& flag;
        explicit CapturingScope(bool& capturing) : flag(capturing) { flag = true; }
        ~CapturingScope() { flag = false; }
    } capturing(m_capturing);

    ClipboardSession clipboard(m_window);
    if (clipboard.IsOpen()) {
        // Read before the close: while the clipboard is open nobody can change it,
        // so a copy made right after the close keeps its own notice.
        m_lastSequence = GetClipboardSequenceNumber();
        m_haveSequence = true;
        // A program the user listed counts as one that marked its content private.
        if (!IsExcludedContent() && !m_rules.ignored.IsClipboardOwnerIgnored()) {
            m_notForCloud = IsNotForCloud();
            CaptureOpenClipboard();
        }
    }
}

void ClipboardCapture::CaptureOpenClipboard()
{
    std::wstring text;
    if (ReadText(text)) {
        CaptureText(&text);
        return;
    }
    // A picture beside text is never asked for; files may come without text.
    if (FormatReader::FilesOffered()) {
        CaptureText(nullptr);
        return;
    }
    if (!m_rules.options.m_bRecordPictures)
        return;
    ClipboardPicture picture;
    if (picture.Read() != ClipboardPicture::Outcome::Read)
        return;
    // The cap makes room only for an entry that comes: a copy of nothing kept drops nothing.
    m_history.TrimForInsert();
    m_lastCaptured = m_history.InsertPicture(UniqueBitmap(picture.Release()), picture.Label().Str());
}

void ClipboardCapture::CaptureText(std::wstring* offered)
{
    EntryFormats formats = m_formats.Read();
    // Moved, never copied: a text may be megabytes.
    std::wstring text = offered ? std::move(*offered) : std::wstring();
    if (const KeptFormat* files = formats.Files()) {
        const std::vector<std::wstring> paths = FileList::Paths(files->bytes);
        formats.label = FileList::Label(paths);
        if (!offered)
            text = FileList::Text(paths);
        // A block that holds no path is no file list.
        if (paths.empty())
            formats.kept.erase(formats.kept.begin() + (files - formats.kept.data()));
    }
    if (!offered && text.empty())
        return;
    Keep(std::move(text), formats.Empty() ? nullptr : Shelved(std::move(formats)));
}

void ClipboardCapture::Keep(std::wstring text, std::shared_ptr<const EntryFormats> formats)
{
    // A repeat adds nothing, so it costs no entry at the bottom either.
    if (m_rules.options.m_bNoRepeats && TakeRepeat(text, formats))
        return;
    m_history.TrimForInsert();
    m_lastCaptured = m_history.InsertText(std::move(text), std::move(formats), m_notForCloud);
}

bool ClipboardCapture::TakeRepeat(const std::wstring& text, std::shared_ptr<const EntryFormats> formats)
{
    for (int row = 0; row < m_history.Count(); ++row) {
        const HistoryEntry& entry = m_history.At(row);
        if (entry.text && *entry.text == text) {
            m_lastCaptured = entry.id;
            m_history.Recopy(entry.id, std::move(formats));
            return true;
        }
    }
    return false;
}
