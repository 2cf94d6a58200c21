#pragma once
#include <cstdint>
#include <string>

// The temporary files of saves in progress: "<name>.<process id>-<count>.qtmp".
// A start removes those no save needs any more, and only those: process ids
// are used again after a reboot, so a name alone never keeps a file.
namespace temporaries {

inline constexpr const wchar_t* kSuffix = L".qtmp";

// A token for a new save, held by it until Release.
std::wstring Claim();
void Release(const std::wstring& token);

bool IsTemporary(const std::wstring& name);
// Whether the temporary file `name`, made at `created` (a FILETIME), may
// belong to a save still in progress: one of this process's that holds its
// token, or one of another program of this account that was already running
// when the file was made.
bool InUse(const std::wstring& name, std::uint64_t created);

}  // namespace temporaries
