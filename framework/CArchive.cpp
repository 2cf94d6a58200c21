#include "framework/CArchive.h"

#include <algorithm>
#include <climits>
#include <cstring>

#include "framework/AnsiCodePage.h"

namespace {

std::u16string ToU16(const std::wstring& text) { return std::u16string(text.begin(), text.end()); }
std::wstring ToWide(const std::u16string& text) { return std::wstring(text.begin(), text.end()); }

}  // namespace

CArchive::CArchive(CFile* file, UINT mode, int bufferSize, const AnsiCodec* codec)
    : m_file(file), m_mode(mode), m_codec(codec ? codec : &AnsiCodePage::System()),
      m_buffer(static_cast<size_t>(std::max(bufferSize, 16)))
{
}

CArchive::~CArchive()
{
    // A destructor cannot report a failed flush, so it does not try one: the
    // file's owner learns from the mark that the content never got finished.
    if (!m_closed && IsStoring())
        m_file->MarkWriteFailed(ERROR_OPERATION_ABORTED);
}

size_t CArchive::ReadBytes(void* buffer, size_t count)
{
    auto* out = static_cast<BYTE*>(buffer);
    size_t total = 0;
    while (total < count) {
        if (m_position == m_filled) {
            // Large requests bypass the buffer.
            if (count - total >= m_buffer.size()) {
                const UINT chunk = static_cast<UINT>(std::min<size_t>(count - total, UINT_MAX / 2));
                const UINT got = m_file->Read(out + total, chunk);
                total += got;
                if (got < chunk)
                    break;
                continue;
            }
            m_filled = m_file->Read(m_buffer.data(), static_cast<UINT>(m_buffer.size()));
            m_position = 0;
            if (m_filled == 0)
                break;
        }
        const size_t n = std::min(count - total, m_filled - m_position);
        std::memcpy(out + total, m_buffer.data() + m_position, n);
        m_position += n;
        total += n;
    }
    return total;
}

void CArchive::WriteBytes(const void* data, size_t count)
{
    const auto* in = static_cast<const BYTE*>(data);
    // A block of a buffer or more goes to the file in one write, not in buffer-sized pieces.
    if (count >= m_buffer.size()) {
        Flush();
        while (count > 0) {
            const UINT chunk = static_cast<UINT>(std::min<size_t>(count, UINT_MAX / 2));
            m_file->Write(in, chunk);
            in += chunk;
            count -= chunk;
        }
        return;
    }
    while (count > 0) {
        if (m_position == m_buffer.size())
            Flush();
        const size_t n = std::min(count, m_buffer.size() - m_position);
        std::memcpy(m_buffer.data() + m_position, in, n);
        m_position += n;
        in += n;
        count -= n;
    }
}

UINT CArchive::Read(void* buffer, UINT count) { return static_cast<UINT>(ReadBytes(buffer, count)); }

void CArchive::Write(const void* data, UINT count) { WriteBytes(data, count); }

void CArchive::Flush()
{
    if (IsLoading() || m_position == 0)
        return;
    const UINT count = static_cast<UINT>(m_position);
    m_position = 0;
    m_file->Write(m_buffer.data(), count);
}

void CArchive::Close()
{
    if (m_closed)
        return;
    m_closed = true;
    Flush();
}

CArchive& CArchive::operator<<(int value)
{
    archive::WriteInt32(*this, value);
    return *this;
}

CArchive& CArchive::operator>>(int& value)
{
    value = archive::ReadInt32(*this);
    return *this;
}

CArchive& CArchive::operator<<(const std::wstring& text)
{
    archive::WriteString(*this, ToU16(text), *m_codec);
    return *this;
}

CArchive& CArchive::operator>>(std::wstring& text)
{
    text = ToWide(archive::ReadString(*this, *m_codec));
    return *this;
}
