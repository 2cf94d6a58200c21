#include "history/store/saveset/SaveSet.h"

#include <new>

#include "history/store/disk/DiskFile.h"
#include "history/store/journal/JournalFormat.h"
#include "history/store/saveset/Temporaries.h"

namespace {

SaveSet::Interruption& Hook()
{
    static SaveSet::Interruption hook;
    return hook;
}

std::u16string ToU16(const std::wstring& text)
{
    return std::u16string(text.begin(), text.end());
}

std::wstring ToWide(const std::u16string& text)
{
    return std::wstring(text.begin(), text.end());
}

// An intent is a list of names: anything larger is not one.
constexpr std::uint64_t kLargestIntent = 1u << 26;

DWORD WriteWhole(disk::FileSystem& files, const std::wstring& path, const std::vector<std::uint8_t>& bytes)
{
    DiskFile file(files);
    if (!file.Open(path, CFile::modeCreate | CFile::modeWrite | CFile::shareExclusive))
        return file.Error();
    try {
        file.Write(bytes.data(), static_cast<UINT>(bytes.size()));
        file.Flush();
    } catch (const CFileWriteError& error) {
        return error.m_dwError;
    }
    return ERROR_SUCCESS;
}

// The moves of a whole intent, the removal of the files it leaves stale, then
// the intent itself. Moves of temporary files that are gone were made before.
bool Complete(disk::FileSystem& files, const std::wstring& folder, const journal::Intent& intent,
              SaveSet::Failure* failure, const std::function<bool()>& interrupted, disk::MoveWait wait)
{
    for (const auto& move : intent.moves) {
        const std::wstring from = folder + ToWide(move.first);
        const std::wstring to = folder + ToWide(move.second);
        if (interrupted())
            return false;
        if (!disk::Exists(files, from))
            continue;
        const DWORD error = disk::MoveReplacing(files, from, to, wait);
        if (error != ERROR_SUCCESS) {
            if (failure)
                *failure = {ToWide(move.second), error};
            return false;
        }
    }
    for (const auto& name : intent.deletes) {
        if (interrupted())
            return false;
        const DWORD error = disk::Remove(files, folder + ToWide(name), wait);
        if (error != ERROR_SUCCESS) {
            if (failure)
                *failure = {ToWide(name), error};
            return false;
        }
    }
    if (interrupted())
        return false;
    files.Delete(folder + SaveSet::kIntentName);
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
bool FinishIntent(disk::FileSystem& files, const std::wstring& folder, SaveSet::Failure* failure,
                  std::map<std::wstring, std::wstring>* waiting, disk::MoveWait wait)
{
    const std::wstring intentPath = folder + SaveSet::kIntentName;
    if (!disk::Exists(files, intentPath))
        return true;
    std::vector<std::uint8_t> bytes;
    journal::Intent intent;
    // An intent held by another program may be whole.
    const DWORD error = disk::ReadWhole(files, intentPath, bytes, kLargestIntent);
    if (error != ERROR_SUCCESS)
        return Refuse(failure, error);
    if (!journal::DecodeIntent(bytes, intent)) {
        // Torn: the save never got to its first move, so the old files are whole.
        files.Delete(intentPath);
        return true;
    }
    // Not a save of ours: nothing outside the set is moved, nothing it names is deleted.
    if (!journal::IntentNamesAreOurs(intent))
        return Refuse(failure, ERROR_INVALID_NAME);
    int operations = 0;
    if (Complete(files, folder, intent, failure, [&operations] { return Hook() && Hook()(operations++); }, wait))
        return true;
    for (const auto& move : intent.moves) {
        if (waiting && disk::Exists(files, folder + ToWide(move.first)))
            (*waiting)[ToWide(move.second)] = ToWide(move.first);
    }
    // A stale file still there is as good as gone: the set stands without it.
    for (const auto& name : intent.deletes) {
        if (waiting && !waiting->count(ToWide(name)))
            (*waiting)[ToWide(name)] = std::wstring();
    }
    return false;
}

}  // namespace

SaveSet::SaveSet(std::wstring folder, disk::FileSystem& files)
    : m_folder(std::move(folder)), m_files(files), m_token(temporaries::Claim())
{
}

SaveSet::~SaveSet()
{
    if (!m_keepFiles) {
        for (const auto& move : m_moves)
            m_files.Delete(m_folder + move.first);
    }
    temporaries::Release(m_token);
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

void SaveSet::AddStale(const std::wstring& name)
{
    m_stale.push_back(name);
}

std::wstring SaveSet::TemporaryPath(const std::wstring& name) const
{
    return m_folder + name + L"." + m_token + temporaries::kSuffix;
}

bool SaveSet::AddFile(const std::wstring& name, const std::function<void(CFile&)>& body)
{
    if (Interrupted())
        return Fail(name, ERROR_OPERATION_ABORTED);
    DiskFile file(m_files);
    const std::wstring path = TemporaryPath(name);
    if (!file.Open(path, CFile::modeCreate | CFile::modeWrite | CFile::shareExclusive))
        return Fail(name, file.Error());
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
    return true;
}

bool SaveSet::Commit(const std::function<void()>& intentWritten, disk::MoveWait wait)
{
    journal::Intent intent;
    for (const auto& move : m_moves)
        intent.moves.emplace_back(ToU16(move.first), ToU16(move.second));
    for (const std::wstring& name : m_stale)
        intent.deletes.push_back(ToU16(name));
    if (Interrupted())
        return Fail(kIntentName, ERROR_OPERATION_ABORTED);
    const std::wstring intentPath = m_folder + kIntentName;
    const DWORD error = WriteWhole(m_files, intentPath, journal::EncodeIntent(intent));
    if (error != ERROR_SUCCESS) {
        m_files.Delete(intentPath);
        return Fail(kIntentName, error);
    }
    // From here the intent owns the temporary files: Recover finishes what this does not.
    m_keepFiles = true;
    if (intentWritten)
        intentWritten();
    return Complete(m_files, m_folder, intent, &m_failure, [this] { return Interrupted(); }, wait);
}

bool SaveSet::Recover(const std::wstring& folder, Failure* failure, std::map<std::wstring, std::wstring>* waiting,
                      disk::MoveWait wait, disk::FileSystem& files)
{
    if (!FinishIntent(files, folder, failure, waiting, wait))
        return false;
    // What saves that are over left behind; a running one's (another copy's
    // sharing the folder) are its own.
    std::vector<disk::Found> found;
    disk::ListFolder(files, folder, found);
    for (const disk::Found& entry : found) {
        if (!entry.folder && temporaries::IsTemporary(entry.name) && !temporaries::InUse(entry.name, entry.created))
            files.Delete(folder + entry.name);
    }
    return true;
}

void SaveSet::SetInterruptionForTesting(Interruption interruption)
{
    Hook() = std::move(interruption);
}
