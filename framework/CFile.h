#pragma once
#include <windows.h>

#include <stdexcept>
#include <vector>

#include "framework/Handles.h"

// A write or flush that the system refused; savers catch it and keep the old file.
struct CFileWriteError : std::runtime_error {
    explicit CFileWriteError(DWORD error) : std::runtime_error("file write failed"), m_dwError(error) {}
    DWORD m_dwError;
};

// A file handle. Open failures are reported by the result, write failures by
// CFileWriteError; reads return what they got (0 at the end or on an error).
// Every operation on an open file is virtual: a file in memory, or one reached
// through another file layer, stands in for it.
// A failed write also marks the file until it is opened again, so content that
// lost bytes is never taken for whole even when someone caught the error.
class CFile {
public:
    enum OpenFlags : UINT {
        modeRead = 0x0000,
        modeWrite = 0x0001,
        modeReadWrite = 0x0002,
        shareExclusive = 0x0010,
        shareDenyWrite = 0x0020,
        shareDenyRead = 0x0030,
        shareDenyNone = 0x0040,
        // Lets the file be renamed or deleted while it is open.
        shareDelete = 0x0080,
        modeCreate = 0x1000,
        // With modeCreate: an existing file is opened as it is, not emptied.
        modeNoTruncate = 0x2000,
    };
    enum SeekPosition : UINT { begin = FILE_BEGIN, current = FILE_CURRENT, end = FILE_END };

    CFile() = default;
    virtual ~CFile() = default;
    CFile(const CFile&) = delete;
    CFile& operator=(const CFile&) = delete;

    // modeCreate truncates or creates; without it the file must exist.
    // Without a share flag other programs may read but not write.
    BOOL Open(const wchar_t* path, UINT flags);
    virtual void Close() { m_file.Reset(); }
    virtual bool IsOpen() const { return static_cast<bool>(m_file); }
    HANDLE GetHandle() const { return m_file.Get(); }

    virtual UINT Read(void* buffer, UINT count);
    virtual void Write(const void* data, UINT count);
    // Pushes the written data to the disk.
    virtual void Flush();
    // Marks the content as incomplete (the first reason is kept).
    void MarkWriteFailed(DWORD error);
    // The reason the content is incomplete, or 0.
    DWORD GetWriteError() const { return m_writeError; }
    virtual ULONGLONG Seek(LONGLONG offset, UINT from);
    ULONGLONG SeekToBegin() { return Seek(0, begin); }
    virtual ULONGLONG GetPosition() const;
    virtual ULONGLONG GetLength() const;
    // Cuts or extends the file to `length` bytes; FALSE when the system refuses.
    virtual BOOL SetLength(ULONGLONG length);

protected:
    // A newly opened file starts whole.
    void ResetWriteError() { m_writeError = 0; }
    // Marks the file, then throws CFileWriteError.
    [[noreturn]] void FailWrite(DWORD error);

private:
    UniqueFileHandle m_file;
    DWORD m_writeError = 0;
};
