#pragma once
// The settings file "imgOption.data": two strings, four ints, the popup
// rectangle, with no header; then the settings added since, which older
// readers never reach. Plain data so that it builds and tests natively.
#include <cstdint>
#include <string>
#include <vector>

#include "framework/ArchiveCore.h"
#include "history/model/KnownPasteKeys.h"
#include "history/model/OptionLimits.h"

struct ProgramPasteKeyRecord {
    std::u16string program;  // executable name
    std::int32_t key = 0;    // a PasteKey
};

// The programs known to need another paste key than Ctrl+V.
std::vector<ProgramPasteKeyRecord> DefaultPasteKeyRecords();

struct SettingsRecord {
    std::u16string before;
    std::u16string after;
    std::int32_t entryCount = 0;
    std::int32_t autoRun = 0;
    std::int32_t compoundPaste = 0;
    std::int32_t topCount = 0;
    std::int32_t rect[4] = {10, 10, 200, 300};  // left, top, right, bottom
    // Appended after the rectangle.
    std::int32_t summonHotkey = kDefaultSummonHotkey;
    std::int32_t historySize = kDefaultHistorySize;
    std::int32_t noRepeats = 0;
    std::int32_t recordPictures = 0;
    std::u16string ignoredPrograms;  // executable names, one per line
    std::int32_t clearOnLock = 0;
    std::int32_t forgetDays = 0;  // 0: off, else kMinForgetDays..kMaxForgetDays
    std::int32_t encrypt = 0;
    // A count, then each program's name and key.
    std::vector<ProgramPasteKeyRecord> pasteKeys = DefaultPasteKeyRecords();
    std::int32_t share = 0;
    std::u16string shareFolder;
    std::int32_t shareFormatsKB = kDefaultShareFormatsKB;  // kMinShareFormatsKB..kMaxShareFormatsKB
    std::int32_t sharePictures = 0;
};

// Writes the fields in file order: the compound flag comes before the top
// count. After the rectangle come the count of appended fields and the fields
// themselves, so a later version can append more behind them.
void WriteSettings(ByteSink& sink, const SettingsRecord& record, const AnsiCodec& codec);

// Updates the record field by field in file order and stops at the end of the
// data (or at a malformed string), so the fields it did not reach keep their
// values. The rectangle is one plain 16-byte read: the bytes present overwrite
// the start of the little-endian rectangle, the rest keeps its value. A file
// that ends with the rectangle is complete; appended fields that a later
// version wrote beyond those known here are ignored. The appended values are
// brought into range afterwards. Returns true when every field present was
// read in full.
bool ReadSettings(ByteSource& source, SettingsRecord& record, const AnsiCodec& codec);

