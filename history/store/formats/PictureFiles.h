#pragma once
#include <set>
#include <string>

#include "history/store/disk/FileSystem.h"

// The picture files of a data folder: "N.dat", or "N.qdat" sealed; N the
// record's position in the history file.
namespace picture_files {

// The record a picture file's name stands for, or -1 when the name is not one.
long long RecordOf(const std::wstring& name);
// The names of the picture files in `folder` (which ends with a backslash);
// `error` tells a folder that could not be listed.
std::set<std::wstring> In(disk::FileSystem& files, const std::wstring& folder, DWORD* error = nullptr);

}  // namespace picture_files
