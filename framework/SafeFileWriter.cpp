#include "framework/SafeFileWriter.h"

#include <atomic>
#include <cwchar>
#include <iterator>
#include <utility>

#include "framework/Handles.h"

namespace {

// Waits between attempts to move the temporary into place: about a second in all.
constexpr DWORD kReplaceRetryDelaysMs[] = {50, 100, 150, 250, 450};

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
            FailWrite(ERROR_WRITE_FAULT);
        CFile::Write(data, count);
        m_written += count;
    }
    void Flush() override
    {
        if (Injected(SafeFileWriter::Stage::Flush, m_written))
            FailWrite(ERROR_WRITE_FAULT);
        CFile::Flush();
    }

private:
    ULONGLONG m_written = 0;
};

// Errors of a file that another program holds open for a moment.
bool IsPassingHold(DWORD error)
{
    return error == ERROR_SHARING_VIOLATION || error == ERROR_ACCESS_DENIED || error == ERROR_LOCK_VIOLATION;
}

std::wstring UniqueTemporaryPath(const std::wstring& path)
{
    static std::atomic<unsigned long> s_counter{0};
    return path + L"." + std::to_wstring(GetCurrentProcessId()) + L"-" + std::to_wstring(++s_counter) + L".tmp";
}

// The process id in a temporary's name "<name>.<pid>-<n>.tmp" after "<name>.", or 0.
DWORD WriterOfTemporary(const wchar_t* rest)
{
    wchar_t* end = nullptr;
    const unsigned long pid = std::wcstoul(rest, &end, 10);
    if (end == rest || *end != L'-')
        return 0;
    const wchar_t* counter = end + 1;
    std::wcstoul(counter, &end, 10);
    if (end == counter || std::wcscmp(end, L".tmp") != 0)
        return 0;
    return static_cast<DWORD>(pid);
}

bool ProcessIsRunning(DWORD pid)
{
    if (pid == GetCurrentProcessId())
        return true;
    UniqueFileHandle process(OpenProcess(SYNCHRONIZE, FALSE, pid));
    if (!process)
        return GetLastError() != ERROR_INVALID_PARAMETER;  // anything else: it exists
    return WaitForSingleObject(process.Get(), 0) == WAIT_TIMEOUT;
}

}  // namespace

SafeFileWriter::SafeFileWriter(std::wstring path)
    : m_path(std::move(path)), m_tempPath(UniqueTemporaryPath(m_path)), m_file(std::make_unique<TemporaryFile>())
{
}

SafeFileWriter::~SafeFileWriter() { Discard(); }

BOOL SafeFileWriter::Open()
{
    Discard();
    if (Injected(Stage::CreateTemporary))
        return FALSE;
    RemoveAbandonedTemporaries();
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
    if (m_file->GetWriteError()) {
        Discard();
        return FALSE;
    }
    try {
        m_file->Flush();
    } catch (const CFileWriteError&) {
        Discard();
        return FALSE;
    }
    m_file->Close();
    if (!MoveIntoPlace()) {
        Discard();
        return FALSE;
    }
    m_created = false;
    return TRUE;
}

BOOL SafeFileWriter::MoveIntoPlace() const
{
    if (Injected(Stage::Replace))
        return FALSE;
    for (size_t attempt = 0;; ++attempt) {
        if (MoveFileExW(m_tempPath.c_str(), m_path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
            return TRUE;
        if (!IsPassingHold(GetLastError()) || attempt == std::size(kReplaceRetryDelaysMs))
            return FALSE;
        Sleep(kReplaceRetryDelaysMs[attempt]);
    }
}

void SafeFileWriter::RemoveAbandonedTemporaries() const
{
    const size_t slash = m_path.find_last_of(L"\\/");
    const std::wstring folder = slash == std::wstring::npos ? std::wstring() : m_path.substr(0, slash + 1);
    const std::wstring prefix = m_path.substr(folder.size()) + L".";
    WIN32_FIND_DATAW found;
    UniqueFindHandle search(FindFirstFileW((m_path + L".*-*.tmp").c_str(), &found));
    if (!search)
        return;
    do {
        const std::wstring name = found.cFileName;
        if (name.compare(0, prefix.size(), prefix) != 0)
            continue;
        const DWORD writer = WriterOfTemporary(name.c_str() + prefix.size());
        if (writer && !ProcessIsRunning(writer))
            DeleteFileW((folder + name).c_str());
    } while (FindNextFileW(search.Get(), &found));
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
