#include "framework/SafeFileWriter.h"

#include <utility>

namespace {

SafeFileWriter::FaultHook& Hook()
{
    static SafeFileWriter::FaultHook hook;
    return hook;
}

bool Injected(SafeFileWriter::Stage stage, ULONGLONG bytesWritten = 0)
{
    return Hook() && Hook()(stage, bytesWritten);
}

// The temporary file: counts what goes through it and lets the fault hook
// fail a write or the flush.
class TemporaryFile : public CFile {
public:
    void Write(const void* data, UINT count) override
    {
        if (Injected(SafeFileWriter::Stage::Write, m_written))
            throw CFileWriteError(ERROR_WRITE_FAULT);
        CFile::Write(data, count);
        m_written += count;
    }
    void Flush() override
    {
        if (Injected(SafeFileWriter::Stage::Flush, m_written))
            throw CFileWriteError(ERROR_WRITE_FAULT);
        CFile::Flush();
    }

private:
    ULONGLONG m_written = 0;
};

}  // namespace

SafeFileWriter::SafeFileWriter(std::wstring path)
    : m_path(std::move(path)), m_tempPath(m_path + L".tmp"), m_file(std::make_unique<TemporaryFile>())
{
}

SafeFileWriter::~SafeFileWriter() { Discard(); }

BOOL SafeFileWriter::Open()
{
    Discard();
    if (Injected(Stage::CreateTemporary))
        return FALSE;
    if (!m_file->Open(m_tempPath.c_str(), CFile::modeCreate | CFile::modeWrite | CFile::shareExclusive))
        return FALSE;
    m_created = true;
    return TRUE;
}

CFile& SafeFileWriter::File() { return *m_file; }

BOOL SafeFileWriter::Commit()
{
    if (!m_created)
        return FALSE;
    try {
        m_file->Flush();
    } catch (const CFileWriteError&) {
        Discard();
        return FALSE;
    }
    m_file->Close();
    if (Injected(Stage::Replace) ||
        !MoveFileExW(m_tempPath.c_str(), m_path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        Discard();
        return FALSE;
    }
    m_created = false;
    return TRUE;
}

void SafeFileWriter::Discard()
{
    m_file->Close();
    if (m_created)
        DeleteFileW(m_tempPath.c_str());
    m_created = false;
}

BOOL SafeFileWriter::Write(const std::wstring& path, const std::function<void(CFile&)>& body)
{
    SafeFileWriter writer(path);
    if (!writer.Open())
        return FALSE;
    try {
        body(writer.File());
    } catch (...) {
        // Any failure of the new content keeps the old file; the destructor removes the temporary one.
        return FALSE;
    }
    return writer.Commit();
}

void SafeFileWriter::SetFaultHookForTesting(FaultHook hook) { Hook() = std::move(hook); }
