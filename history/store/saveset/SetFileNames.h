#pragma once
// The names of the data folder's save set, as an intent may name them. Plain
// C++, so that it builds and is tested and fuzzed natively.
#include <string_view>

namespace set_files {

// A file of the set: the history, settings, journal, extras and key files,
// plain or sealed, the pictures "<digits>.dat" or "<digits>.qdat", and the
// formats files "<16 hex digits>.fmt" or ".qfmt".
bool IsSetFile(std::u16string_view name);
// `name` is a save's temporary file for `target`: "<target>.<digits>-<digits>.qtmp".
bool IsTemporaryOf(std::u16string_view name, std::u16string_view target);

}  // namespace set_files
