#pragma once
// The names of the shared folder's files. A name is read only when it is
// exactly one that Quillary writes: what a sync service makes of its own
// ("3 (1).qseg", "3.sync-conflict-20240101-abcd.qseg", "3 (conflicted copy).qseg",
// a temporary file) is never taken for a file of ours.
#include <cstdint>
#include <string>

#include "history/share/SegmentFormat.h"

namespace sharenames {

// "Quillary\" inside the folder the user chose (which may end with a backslash or not).
std::wstring Root(const std::wstring& folder);
const wchar_t* KeyFileName();  // "share.key"
std::wstring FileName(segment::Kind kind, std::uint32_t number);
std::wstring TempName(segment::Kind kind, std::uint32_t number);
// True for a name FileName makes, with what it names.
bool Parse(const std::wstring& name, segment::Kind& kind, std::uint32_t& number);

}  // namespace sharenames
