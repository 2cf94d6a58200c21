#pragma once
#include <windows.h>

#include <functional>
#include <memory>
#include <string>

#include "framework/CFile.h"

// Writes a file so that a failure or a crash never leaves it half written: the
// content goes to a temporary file beside it, is flushed to the disk, and only
// then moved over the old file. Until that move the old file stays byte for
// byte; a failed attempt removes its temporary file.
//
// Each writer has a temporary of its own, "<name>.<process id>-<n>.tmp", so two
// writers never share one. Temporaries that a writer of a process no longer
// running left behind are removed when a writer of the same file opens.
// Backup, sync and virus-scanning programs hold files open for moments: a move
// that meets such a hold is tried again for about a second before it fails.
class SafeFileWriter {
public:
    explicit SafeFileWriter(std::wstring path);
    // Deletes the temporary file when Commit did not move it into place.
    ~SafeFileWriter();
    SafeFileWriter(const SafeFileWriter&) = delete;
    SafeFileWriter& operator=(const SafeFileWriter&) = delete;

    // Creates the temporary file. FALSE when the folder cannot take it.
    BOOL Open();
    // The temporary file, open for writing; writes throw CFileWriteError.
    CFile& File();
    // Flushes, closes and moves the temporary file over the target. Refuses
    // (and discards) content that the file marks as incomplete: a write that
    // failed, or an archive on it that was never closed.
    BOOL Commit();
    void Discard();

    const std::wstring& Path() const { return m_path; }
    const std::wstring& TemporaryPath() const { return m_tempPath; }

    // Open, body, Commit; FALSE (old file untouched) when any step or the body fails.
    static BOOL Write(const std::wstring& path, const std::function<void(CFile&)>& body);

    // Tests make a save fail part-way through this hook: it is asked before each
    // step (for writes, with the bytes written so far) and fails the step by
    // returning true; a failed Replace is not tried again. An empty hook (the
    // default) fails nothing.
    enum class Stage { CreateTemporary, Write, Flush, Replace };
    using FaultHook = std::function<bool(Stage stage, ULONGLONG bytesWritten)>;
    static void SetFaultHookForTesting(FaultHook hook);

private:
    BOOL MoveIntoPlace() const;
    void RemoveAbandonedTemporaries() const;

    std::wstring m_path;
    std::wstring m_tempPath;
    std::unique_ptr<CFile> m_file;
    bool m_created = false;
};
