#pragma once
#include <windows.h>

#include <string>
#include <vector>

#include "framework/ArchiveCore.h"
#include "framework/CFile.h"
#include "framework/CString.h"

// A buffered archive over an open CFile, in load or store mode. Reads past the
// end throw ArchiveEndOfFile; failed writes throw CFileWriteError. Strings use
// the archive encoding of ArchiveCore with the system ANSI code page unless a
// codec is given.
class CArchive : public ByteSource, public ByteSink {
public:
    enum Mode : UINT { store = 0, load = 1 };

    CArchive(CFile* file, UINT mode, int bufferSize = 512, const AnsiCodec* codec = nullptr);
    // Store mode without Close: what is still buffered is dropped and the file is
    // marked as incomplete (CFile::GetWriteError), so a save that forgot Close, or
    // was left by an exception, cannot be kept. Never throws.
    ~CArchive() override;
    CArchive(const CArchive&) = delete;
    CArchive& operator=(const CArchive&) = delete;

    BOOL IsLoading() const { return m_mode == load; }
    BOOL IsStoring() const { return m_mode == store; }
    const AnsiCodec& Codec() const { return *m_codec; }

    // Returns the bytes read: fewer than count only at the end of the file.
    UINT Read(void* buffer, UINT count);
    void Write(const void* data, UINT count);
    // Store mode: writes the buffer out to the file. The file stays open.
    void Flush();
    void Close();

    CArchive& operator<<(int value);
    CArchive& operator>>(int& value);
    CArchive& operator<<(const std::wstring& text);
    CArchive& operator>>(std::wstring& text);
    CArchive& operator<<(const CString& text) { return *this << text.Str(); }
    CArchive& operator>>(CString& text) { return *this >> text.Str(); }

    size_t ReadBytes(void* buffer, size_t count) override;
    void WriteBytes(const void* data, size_t count) override;

private:
    CFile* m_file;
    UINT m_mode;
    const AnsiCodec* m_codec;
    std::vector<BYTE> m_buffer;
    size_t m_position = 0;  // next byte to read or write in the buffer
    size_t m_filled = 0;    // load mode: valid bytes in the buffer
    bool m_closed = false;
};
