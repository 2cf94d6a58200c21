#include "history/clipboard/ClipboardCapture.h"

#include <algorithm>
#include <exception>

namespace {

// Once a copy's formats are past their time, how soon the watch looks again.
constexpr UINT kWatchAgainMs = 100;
// At the end, how long threads that are not held get to end.
constexpr DWORD kEndWaitMs = 1000;

}  // namespace

ClipboardCapture::~ClipboardCapture()
{
    // The history's other followers (the journal) may be gone already: copies still waiting stay out.
    m_delivering = false;
    Stop();
}

void ClipboardCapture::Listen(HWND popup)
{
    m_popup = popup;
    m_exchange = std::make_shared<CaptureExchange>(popup);
    m_exchange->SetRules(m_rules);
    m_exchange->SetRecording(!m_paused);
    StartThread();
}

void ClipboardCapture::Deliver()
{
    m_delivering = true;
    OnCopies();
}

void ClipboardCapture::StartThread()
{
    m_thread = std::make_unique<CaptureThread>(m_exchange);
}

void ClipboardCapture::Stop()
{
    if (!m_exchange)
        return;
    OnCopies();
    m_exchange->Close();
    if (m_watching)
        KillTimer(m_popup, kWatchTimer);
    m_watching = false;
    if (m_thread)
        m_retired.push_back(std::move(m_thread));
    std::vector<HANDLE> ended;
    for (const std::unique_ptr<CaptureThread>& thread : m_retired) {
        thread->Retire();
        ended.push_back(thread->EndedEvent());
    }
    // Those that are free end at once; one held in a render is not waited for beyond this.
    const DWORD deadline = GetTickCount() + kEndWaitMs;
    for (HANDLE event : ended) {
        const DWORD now = GetTickCount();
        WaitForSingleObject(event, deadline > now ? deadline - now : 0);
    }
    m_retired.clear();
    m_exchange.reset();
}

void ClipboardCapture::SetRules(const CString& ignoredPrograms, bool recordPictures)
{
    auto rules = std::make_shared<CaptureExchange::Rules>();
    rules->ignored.SetList(ignoredPrograms);
    rules->recordPictures = recordPictures;
    m_rules = std::move(rules);
    if (m_exchange)
        m_exchange->SetRules(m_rules);
}

void ClipboardCapture::SetPaused(bool paused)
{
    m_paused = paused;
    if (m_exchange)
        m_exchange->SetRecording(!paused);
}

void ClipboardCapture::OnCopies()
{
    if (!m_exchange || !m_delivering)
        return;
    for (CapturedCopy& copy : m_exchange->Take()) {
        // A copy the history cannot take (out of memory) is lost alone; the next ones go in.
        try {
            Take(std::move(copy));
        } catch (const std::exception&) {
        }
    }
}

void ClipboardCapture::Take(CapturedCopy copy)
{
    if (copy.picture) {
        // The cap makes room only for an entry that comes: a copy of nothing kept drops nothing.
        m_history.TrimForInsert();
        m_lastCaptured =
            m_history.InsertPicture(std::move(copy.picture), std::move(copy.pictureLabel), copy.keepHere);
    } else {
        Keep(std::move(copy.text), std::move(copy.formats), copy.keepHere);
    }
    m_lastSequence = copy.sequence;
    m_haveSequence = true;
}

void ClipboardCapture::Keep(std::wstring text, std::shared_ptr<const EntryFormats> formats, bool keepHere)
{
    // A repeat adds nothing, so it costs no entry at the bottom either.
    if (m_options.m_bNoRepeats && TakeRepeat(text, formats))
        return;
    m_history.TrimForInsert();
    m_lastCaptured = m_history.InsertText(std::move(text), std::move(formats), keepHere);
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

bool ClipboardCapture::HoldsClipboard() const
{
    HWND open = GetOpenClipboardWindow();
    if (!open)
        return false;
    if (m_thread && m_thread->Window() == open)
        return true;
    return std::any_of(m_retired.begin(), m_retired.end(),
                       [open](const std::unique_ptr<CaptureThread>& thread) { return thread->Window() == open; });
}

void ClipboardCapture::OnWatch()
{
    if (!m_exchange || m_watching)
        return;
    m_watching = SetTimer(m_popup, kWatchTimer, static_cast<UINT>(CopyInFlight::kFormatsBudgetMs) + kWatchAgainMs,
                          nullptr) != 0;
}

void ClipboardCapture::OnWatchTimer()
{
    KillTimer(m_popup, kWatchTimer);
    m_watching = false;
    m_retired.erase(std::remove_if(m_retired.begin(), m_retired.end(),
                                   [](const std::unique_ptr<CaptureThread>& thread) { return thread->Ended(); }),
                    m_retired.end());
    if (!m_exchange || !m_thread)
        return;
    if (std::optional<CopyInFlight::Finished> held = m_thread->InFlight().TakeOverdue()) {
        m_exchange->NoteCosts(held->renderer, held->timings);
        if (held->copy)
            m_exchange->Deliver(std::move(*held->copy));
        TakeOverHeldThread();
        OnCopies();
    } else if (m_thread->InFlight().Reading()) {
        m_watching = SetTimer(m_popup, kWatchTimer, kWatchAgainMs, nullptr) != 0;
    }
}

void ClipboardCapture::TakeOverHeldThread()
{
    m_thread->Retire();
    m_retired.push_back(std::move(m_thread));
    StartThread();
}
