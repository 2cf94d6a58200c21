#include "history/store/journal/JournalFile.h"

#include "history/store/disk/FileSteps.h"
#include "history/store/formats/FileNames.h"

namespace {

constexpr std::chrono::seconds kFlushDelay(1);
constexpr UINT kAppendMode = CFile::modeCreate | CFile::modeNoTruncate | CFile::modeWrite | CFile::shareDenyWrite |
                             CFile::shareDelete;

std::function<void()>& FlushObserver()
{
    static std::function<void()> observer;
    return observer;
}

}  // namespace

void JournalFile::SetForm(StoreForm form)
{
    m_form = std::move(form);
    m_path = m_folder + m_form.JournalName();
}

void JournalFile::Continue(const std::wstring& path, std::uint64_t length, std::uint32_t chain, bool chained)
{
    Close();
    m_openPath = path;
    m_length = length;
    m_chain = chain;
    m_chained = chained;
    m_fresh = length == 0;
    // A torn last frame goes before anything is added.
    m_cutNeeded = true;
}

void JournalFile::StartAfresh(journal::Header base)
{
    Close();
    m_openPath = m_path;
    m_base = std::move(base);
    m_length = 0;
    m_chain = 0;
    m_chained = true;
    m_fresh = true;
}

void JournalFile::SwitchTo(const std::wstring& path, std::uint64_t length, std::uint32_t chain, StoreForm form)
{
    Close();
    m_chain = chain;
    m_chained = true;
    SetForm(std::move(form));
    m_openPath = path;
    m_file.Open(path, kAppendMode);
    m_length = length;
    m_fresh = false;
    m_cutNeeded = true;
}

void JournalFile::Close()
{
    if (!m_file.IsOpen())
        return;
    Flush();
    m_file.Close();
}

bool JournalFile::Open(SaveSet::Failure& failure)
{
    if (m_file.IsOpen())
        return true;
    // Our own journal made read-only would refuse every change.
    disk::ClearReadOnly(m_file.Files(), m_openPath);
    if (!m_file.Open(m_openPath, kAppendMode)) {
        failure = {g_strJournalFileName, m_file.Error()};
        return false;
    }
    if (m_fresh) {
        m_file.SetLength(0);
        m_pending.insert(m_pending.begin(), journal::EncodeStart(m_base));
        m_pendingBytes += m_pending.front().size();
        m_fresh = false;
    }
    return true;
}

bool JournalFile::Append(const std::vector<std::uint8_t>& frame, SaveSet::Failure& failure)
{
    // One frame alone always waits, however large; more wait up to the bound.
    if (m_overflowed || (!m_pending.empty() && m_pendingBytes + frame.size() > kPendingBound)) {
        m_overflowed = true;
        failure = {g_strJournalFileName, ERROR_NOT_ENOUGH_MEMORY};
        return false;
    }
    m_pending.push_back(frame);
    m_pendingBytes += frame.size();
    return WritePending(failure);
}

void JournalFile::ForgetPending()
{
    m_pending.clear();
    m_pendingBytes = 0;
    m_overflowed = false;
}

bool JournalFile::WritePending(SaveSet::Failure& failure)
{
    if (!Open(failure))
        return false;
    if (m_cutNeeded) {
        // Whatever lies behind the last whole frame goes first.
        if (!m_file.SetLength(m_length)) {
            failure = {g_strJournalFileName, m_file.Error()};
            return false;
        }
        m_file.Seek(static_cast<LONGLONG>(m_length), CFile::begin);
        m_cutNeeded = false;
    }
    size_t written = 0;
    try {
        for (; written < m_pending.size(); ++written) {
            // Sealed to the offset it lands on, so a frame that waited is sealed where it goes.
            const std::vector<std::uint8_t> bytes = m_form.JournalBytesAt(m_pending[written], m_length, m_chain, m_chained);
            if (bytes.empty())
                throw CFileWriteError(ERROR_ENCRYPTION_FAILED);
            m_file.Write(bytes.data(), static_cast<UINT>(bytes.size()));
            m_chain = journal::ChainAfter(bytes, m_length == 0);
            m_length += bytes.size();
            m_pendingBytes -= m_pending[written].size();
        }
    } catch (const CFileWriteError& error) {
        failure = {g_strJournalFileName, error.m_dwError};
        // What went out before the failure stays; the rest waits for the next change.
        m_pending.erase(m_pending.begin(), m_pending.begin() + static_cast<std::ptrdiff_t>(written));
        m_cutNeeded = true;
        return false;
    }
    m_pending.clear();
    m_pendingBytes = 0;
    if (m_flushDue == Clock::time_point::max())
        m_flushDue = m_now() + kFlushDelay;
    return true;
}

void JournalFile::Flush()
{
    if (m_file.IsOpen() && m_flushDue != Clock::time_point::max()) {
        try {
            m_file.Flush();
        } catch (const CFileWriteError&) {
            // Not on the disk yet: a power cut would lose it, so it is tried again.
            m_flushDue = m_now() + kFlushDelay;
            return;
        }
        if (FlushObserver())
            FlushObserver()();
    }
    m_flushDue = Clock::time_point::max();
}

void JournalFile::FlushIfDue()
{
    if (m_now() >= m_flushDue)
        Flush();
}

void JournalFile::SetFlushObserverForTesting(std::function<void()> observer)
{
    FlushObserver() = std::move(observer);
}
