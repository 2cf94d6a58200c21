#include "history/clipboard/CopyInFlight.h"

#include <windows.h>

#include <algorithm>

void CopyInFlight::Start(CopyDraft draft, Renderer renderer, std::vector<FormatName> formats)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_reading = true;
    m_draft = std::move(draft);
    m_renderer = std::move(renderer);
    m_timings.clear();
    m_pending = std::move(formats);
    m_asking.reset();
    m_started = GetTickCount64();
}

bool CopyInFlight::MayAsk(const FormatName& format)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    const std::uint64_t now = GetTickCount64();
    if (!m_reading || now - m_started >= kFormatsBudgetMs)
        return false;
    m_asking = format;
    m_askedAt = now;
    return true;
}

void CopyInFlight::Answered(const FormatName& format)
{
    if (m_asking && *m_asking == format)
        m_timings.push_back({format, GetTickCount64() - m_askedAt, true});
    m_asking.reset();
    m_pending.erase(std::remove(m_pending.begin(), m_pending.end(), format), m_pending.end());
}

void CopyInFlight::Given(KeptFormat kept)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    if (!m_reading)
        return;
    Answered(kept.format);
    m_draft.formats.kept.push_back(std::move(kept));
}

void CopyInFlight::GivenTooLarge(const FormatName& format)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    if (!m_reading)
        return;
    Answered(format);
    m_draft.formats.leftOut.push_back(format);
}

void CopyInFlight::GivenNothing(const FormatName& format)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    if (m_reading)
        Answered(format);
}

void CopyInFlight::Skipped(const FormatName& format)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    if (!m_reading)
        return;
    m_pending.erase(std::remove(m_pending.begin(), m_pending.end(), format), m_pending.end());
    m_draft.formats.late.push_back(format);
}

std::optional<CopyInFlight::Finished> CopyInFlight::Finish()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    if (!m_reading)
        return std::nullopt;
    return SettleLocked();
}

std::optional<CopyInFlight::Finished> CopyInFlight::TakeOverdue()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    if (!m_reading || !m_asking || GetTickCount64() - m_started < kFormatsBudgetMs)
        return std::nullopt;
    // Held in a render past the copy's time: that format did not come.
    m_timings.push_back({*m_asking, GetTickCount64() - m_askedAt, false});
    m_asking.reset();
    return SettleLocked();
}

bool CopyInFlight::Reading() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_reading;
}

CopyInFlight::Finished CopyInFlight::SettleLocked()
{
    m_reading = false;
    for (FormatName& format : m_pending)
        m_draft.formats.late.push_back(std::move(format));
    m_pending.clear();
    Finished finished;
    finished.renderer = std::move(m_renderer);
    finished.timings = std::move(m_timings);
    finished.copy = CapturedCopy::Settle(std::move(m_draft));
    return finished;
}
