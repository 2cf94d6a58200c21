#pragma once
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "history/store/disk/FileSystem.h"

// Steps the store makes of the seam's operations.
namespace disk {

// False only when the system says the file is not there: a file it cannot
// look at for now is taken as there, never as missing (and saved over).
bool Exists(FileSystem& files, const std::wstring& path);

// The entries of a folder; a listing that fails is tried again for a moment.
DWORD ListFolder(FileSystem& files, const std::wstring& folder, std::vector<Found>& found);

// Whether an error may pass: another program holds the file, or the device
// faltered. Reads and moves try such steps again for a moment.
bool IsPassing(DWORD error);
// Tries `step` again while it fails with a passing error, a tenth of a second
// apart: `attempts` times in all (about half a second unless said).
DWORD Patiently(FileSystem& files, const std::function<DWORD()>& step, int attempts = 5);

// The whole of a file, shared with writers. ERROR_SUCCESS, or why it could not
// be opened or read to its end; files beyond `limit` bytes are not read.
DWORD ReadWhole(FileSystem& files, const std::wstring& path, std::vector<BYTE>& bytes,
                std::uint64_t limit = 0x7FFFFFFF);

// Writes `bytes` as the whole of a new file (one there before is replaced),
// flushed to the disk before it returns: the caller moves it into place next.
DWORD WriteFlushed(FileSystem& files, const std::wstring& path, const std::vector<std::uint8_t>& bytes);

// How long a move waits for a file that another program holds: not at all
// (the caller tries again on its own schedule), or about a second.
enum class MoveWait { Once, AboutASecond };

// Moves a file over another in one step. Backup, sync and virus-scanning tools
// hold files open for moments: with MoveWait::AboutASecond a move they block
// is tried again for about a second before it fails. A target that is
// read-only would refuse every move over it: the attribute goes first.
DWORD MoveReplacing(FileSystem& files, const std::wstring& from, const std::wstring& to,
                    MoveWait wait = MoveWait::AboutASecond);

// Removes a file, waiting as a move waits for one another program holds; a
// file that is not there is removed already.
DWORD Remove(FileSystem& files, const std::wstring& path, MoveWait wait = MoveWait::AboutASecond);

// Takes the read-only attribute off a file of ours (a missing one is fine).
DWORD ClearReadOnly(FileSystem& files, const std::wstring& path);

bool IsMissing(DWORD error);

}  // namespace disk
