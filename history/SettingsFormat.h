#pragma once
// The settings file "imgOption.data": two strings, four ints, the popup
// rectangle, with no header. Plain data so that it builds and tests natively.
#include <cstdint>
#include <string>

#include "framework/ArchiveCore.h"

struct SettingsRecord {
    std::u16string before;
    std::u16string after;
    std::int32_t entryCount = 0;
    std::int32_t autoRun = 0;
    std::int32_t compoundPaste = 0;
    std::int32_t topCount = 0;
    std::int32_t rect[4] = {10, 10, 200, 300};  // left, top, right, bottom
};

// Writes the fields in file order: the compound flag comes before the top count.
void WriteSettings(ByteSink& sink, const SettingsRecord& record, const AnsiCodec& codec);

// Updates the record field by field in file order and stops at the end of the
// data (or at a malformed string), so the fields it did not reach keep their
// values. The rectangle is one plain 16-byte read: the bytes present overwrite
// the start of the little-endian rectangle, the rest keeps its value. Returns
// true when every field was read in full.
bool ReadSettings(ByteSource& source, SettingsRecord& record, const AnsiCodec& codec);
