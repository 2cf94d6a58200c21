#include "history/store/SaveSet.h"

#include <atomic>
#include <cwchar>
#include <new>

#include "framework/FileMoves.h"
#include "framework/Handles.h"
#include "history/store/Crc32.h"
#include "history/store/JournalFormat.h"

namespace {

constexpr const wchar_t* kTemporarySuffix = L".qtmp";

SaveSet::Interruption& Hook()
{
    static SaveSet::Interruption hook;
    return hook;
}

// A temporary file that sums up what goes through it.
class SummedFile : public CFile {
public:
    void Write(const void* data, UINT count) override
    {
        CFile::Write(data, count);
        m_crc.Update(data, count);
        m_size += count;
    }
    SaveSet::Written Summary() const { return {m_size, m_crc.Value()}; }

private:
    Crc32 m_crc;
    std::uint64_t m_size = 0;
};

// Unique per save, so that two saves (or two programs) never share a temporary
// file: "<process id>-<count>".
std::wstring NewToken()
{
    static std::atomic<unsigned long> counter{0};
    return std::to_wstring(GetCurrentProcessId()) + L"-" + std::to_wstring(++counter);
}

// The process that wrote "<name>.<process id>-<count>.qtmp", or 0 when the name is not one of ours.
DWORD WriterOf(const std::wstring& name)
{
    const size_t end = name.size() - std::wcslen(kTemporarySuffix);
    const size_t dash = name.rfind(L'-', end);
    const size_t dot = dash == std::wstring::npos ? std::wstring::npos : name.rfind(L'.', dash);
    if (dot == std::wstring::npos || dash == dot + 1 || end == dash + 1)
        return 0;
    const std::wstring pid = name.substr(dot + 1, dash - dot - 1);
    const std::wstring count = name.substr(dash + 1, end - dash - 1);
    if (pid.find_first_not_of(L"0123456789") != std::wstring::npos ||
        count.find_first_not_of(L"0123456789") != std::wstring::npos)
        return 0;
    return static_cast<DWORD>(std::wcstoul(pid.c_str(), nullptr, 10));
}

bool IsRunning(DWORD pid)
{
    if (pid == GetCurrentProcessId())
        return true;
    UniqueKernelHandle process(OpenProcess(SYNCHRONIZE, FALSE, pid));
    if (!process)
        return GetLastError() != ERROR_INVALID_PARAMETER;  // any other refusal: it exists
    return WaitForSingleObject(process.Get(), 0) == WAIT_TIMEOUT;
}

std::u16string ToU16(const std::wstring& text)
{
    return std::u16string(text.begin(), text.end());
}

std::wstring ToWide(const std::u16string& text)
{
    return std::wstring(text.begin(), text.end());
}

bool Exists(const std::wstring& path)
{
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// ERROR_SUCCESS with the whole file, or why it could not be read.
DWORD ReadWhole(const std::wstring& path, std::vector<std::uint8_t>& bytes)
{
    CFile file;
    if (!file.Open(path.c_str(), CFile::modeRead | CFile::shareDenyNone))
        return GetLastError();
    const ULONGLONG length = file.GetLength();
    if (length > (1u << 26))
        return ERROR_FILE_TOO_LARGE;
    bytes.resize(static_cast<size_t>(length));
    return file.Read(bytes.data(), static_cast<UINT>(bytes.size())) == bytes.size() ? ERROR_SUCCESS : ERROR_READ_FAULT;
}

DWORD WriteWhole(const std::wstring& path, const std::vector<std::uint8_t>& bytes)
{
    CFile file;
    if (!file.Open(path.c_str(), CFile::modeCreate | CFile::modeWrite | CFile::shareExclusive))
        return GetLastError();
    try {
        file.Write(bytes.data(), static_cast<UINT>(bytes.size()));
        file.Flush();
    } catch (const CFileWriteError& error) {
        return error.m_dwError;
    }
    return ERROR_SUCCESS;
}

// The moves of a whole intent, then the intent itself. Moves of temporary files
// that are gone were made before. A target of ours that is read-only would
// refuse the move for good: the attribute goes first.
bool Complete(const std::wstring& folder, const journal::Intent& intent, SaveSet::Failure* failure,
              const std::function<bool()>& interrupted, MoveWait wait)
{
    for (const auto& move : intent.moves) {
        const std::wstring from = folder + ToWide(move.first);
        const std::wstring to = folder + ToWide(move.second);
        if (interrupted())
            return false;
        if (!Exists(from))
            continue;
        DWORD error = ERROR_SUCCESS;
        if (!ClearReadOnly(to.c_str()) || !MoveFileReplacing(from.c_str(), to.c_str(), &error, wait)) {
            if (failure)
                *failure = {ToWide(move.second), error == ERROR_SUCCESS ? GetLastError() : error};
            return false;
        }
    }
    if (interrupted())
        return false;
    DeleteFileW((folder + SaveSet::kIntentName).c_str());
    return true;
}

bool Refuse(SaveSet::Failure* failure, DWORD error)
{
    if (failure)
        *failure = {SaveSet::kIntentName, error};
    return false;
}

// The set a whole intent names finished, a torn intent dropped. False leaves
// the intent and every temporary file for a later look.
bool FinishIntent(const std::wstring& folder, SaveSet::Failure* failure, std::map<std::wstring, std::wstring>* waiting,
                  MoveWait wait)
{
    const std::wstring intentPath = folder + SaveSet::kIntentName;
    if (!Exists(intentPath))
        return true;
    std::vector<std::uint8_t> bytes;
    journal::Intent intent;
    // An intent held by another program may be whole.
    const DWORD error = ReadWhole(intentPath, bytes);
    if (error != ERROR_SUCCESS)
        return Refuse(failure, error);
    if (!journal::DecodeIntent(bytes, intent)) {
        // Torn: the save never got to its first move, so the old files are whole.
        DeleteFileW(intentPath.c_str());
        return true;
    }
    // Not a save of ours: nothing outside the set is moved, nothing it names is deleted.
    if (!journal::IntentNamesAreOurs(intent))
        return Refuse(failure, ERROR_INVALID_NAME);
    int operations = 0;
    if (Complete(folder, intent, failure, [&operations] { return Hook() && Hook()(operations++); }, wait))
        return true;
    for (const auto& move : intent.moves) {
        if (waiting && Exists(folder + ToWide(move.first)))
            (*waiting)[ToWide(move.second)] = ToWide(move.first);
    }
    return false;
}

}  // namespace

SaveSet::SaveSet(std::wstring folder) : m_folder(std::move(folder)), m_token(NewToken()) {}

SaveSet::~SaveSet()
{
    if (m_keepFiles)
        return;
    for (const auto& move : m_moves)
        DeleteFileW((m_folder + move.first).c_str());
}

bool SaveSet::Interrupted()
{
    if (!Hook() || !Hook()(m_operations++))
        return false;
    m_keepFiles = true;
    return true;
}

bool SaveSet::Fail(const std::wstring& file, DWORD error)
{
    m_failure = {file, error};
    return false;
}

std::wstring SaveSet::TemporaryPath(const std::wstring& name) const
{
    return m_folder + name + L"." + m_token + kTemporarySuffix;
}

bool SaveSet::AddFile(const std::wstring& name, const std::function<void(CFile&)>& body, Written* written)
{
    if (Interrupted())
        return Fail(name, ERROR_OPERATION_ABORTED);
    SummedFile file;
    const std::wstring path = TemporaryPath(name);
    if (!file.Open(path.c_str(), CFile::modeCreate | CFile::modeWrite | CFile::shareExclusive))
        return Fail(name, GetLastError());
    m_moves.emplace_back(path.substr(m_folder.size()), name);
    try {
        body(file);
        // A write that failed inside the body (caught there, or an archive never closed) spoils the file.
        if (file.GetWriteError())
            return Fail(name, file.GetWriteError());
        file.Flush();
    } catch (const CFileWriteError& error) {
        return Fail(name, error.m_dwError);
    } catch (const std::bad_alloc&) {
        return Fail(name, ERROR_NOT_ENOUGH_MEMORY);
    }
    if (written)
        *written = file.Summary();
    return true;
}

bool SaveSet::Commit(const std::function<void()>& intentWritten, MoveWait wait)
{
    journal::Intent intent;
    for (const auto& move : m_moves)
        intent.moves.emplace_back(ToU16(move.first), ToU16(move.second));
    if (Interrupted())
        return Fail(kIntentName, ERROR_OPERATION_ABORTED);
    const std::wstring intentPath = m_folder + kIntentName;
    const DWORD error = WriteWhole(intentPath, journal::EncodeIntent(intent));
    if (error != ERROR_SUCCESS) {
        DeleteFileW(intentPath.c_str());
        return Fail(kIntentName, error);
    }
    // From here the intent owns the temporary files: Recover finishes what this does not.
    m_keepFiles = true;
    if (intentWritten)
        intentWritten();
    return Complete(m_folder, intent, &m_failure, [this] { return Interrupted(); }, wait);
}

bool SaveSet::Recover(const std::wstring& folder, Failure* failure, std::map<std::wstring, std::wstring>* waiting,
                      MoveWait wait)
{
    if (!FinishIntent(folder, failure, waiting, wait))
        return false;
    // What saves of programs that are gone left behind; a running one's (another
    // copy's sharing the folder) are its own.
    WIN32_FIND_DATAW found;
    UniqueFindHandle search(FindFirstFileW((folder + L"*" + kTemporarySuffix).c_str(), &found));
    if (!search)
        return true;
    do {
        const DWORD writer = WriterOf(found.cFileName);
        if (writer == 0 || !IsRunning(writer))
            DeleteFileW((folder + found.cFileName).c_str());
    } while (FindNextFileW(search.Get(), &found));
    return true;
}

void SaveSet::SetInterruptionForTesting(Interruption interruption)
{
    Hook() = std::move(interruption);
}
