#include "history/clipboard/CaptureExchange.h"

void CaptureExchange::SetRules(std::shared_ptr<const Rules> rules)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_rules = std::move(rules);
}

std::shared_ptr<const CaptureExchange::Rules> CaptureExchange::CurrentRules() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_rules;
}

bool CaptureExchange::Claim(DWORD sequence)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    // Without the right to read it the number is 0: every notice is then a change.
    if (m_haveSequence && sequence != 0 && sequence == m_lastSequence)
        return false;
    m_lastSequence = sequence;
    m_haveSequence = true;
    return true;
}

bool CaptureExchange::MayAsk(const Renderer& renderer, const FormatName& format) const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_slow.MayAsk(renderer, format);
}

void CaptureExchange::NoteCosts(const Renderer& renderer, const std::vector<FormatTiming>& timings)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_slow.NoteCopy(renderer, timings);
}

void CaptureExchange::Deliver(CapturedCopy copy)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    if (m_closed)
        return;
    m_copies.push_back(std::move(copy));
    // One message for copies that come together: the popup takes them all.
    if (m_copies.size() == 1)
        PostMessageW(m_popup, kCopiesMessage, 0, 0);
}

std::vector<CapturedCopy> CaptureExchange::Take()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    std::vector<CapturedCopy> copies(std::make_move_iterator(m_copies.begin()),
                                     std::make_move_iterator(m_copies.end()));
    m_copies.clear();
    return copies;
}

void CaptureExchange::Close()
{
    m_recording = false;
    std::lock_guard<std::mutex> lock(m_mutex);
    m_closed = true;
    m_copies.clear();
}
