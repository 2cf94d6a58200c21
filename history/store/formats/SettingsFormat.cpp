#include "history/store/formats/SettingsFormat.h"

#include <algorithm>
#include <cstddef>

namespace {

constexpr std::size_t kRectBytes = 16;
// The fields this version appends after the rectangle: four ints, the
// program list, the ints added after it, then the paste keys.
constexpr std::int32_t kAppendedInts = 4;
constexpr std::int32_t kIntsAfterPrograms = 3;
constexpr std::int32_t kPasteKeysField = kAppendedInts + 1 + kIntsAfterPrograms;
// Sharing through a folder: on or off, the folder, the formats' size and pictures. Always the last block.
constexpr std::int32_t kFieldsBeforeSharing = kPasteKeysField + 1;
constexpr std::int32_t kSharingFields = 4;
constexpr std::int32_t kAppendedFields = kFieldsBeforeSharing + kSharingFields;

std::int32_t FromLittleEndian(const std::uint8_t* bytes) {
    std::uint32_t value = 0;
    for (std::size_t b = 0; b < 4; ++b) value |= static_cast<std::uint32_t>(bytes[b]) << (8 * b);
    return static_cast<std::int32_t>(value);
}

void RectToBytes(const std::int32_t (&rect)[4], std::uint8_t (&bytes)[kRectBytes]) {
    for (std::size_t i = 0; i < 4; ++i) {
        const std::uint32_t value = static_cast<std::uint32_t>(rect[i]);
        for (std::size_t b = 0; b < 4; ++b) bytes[4 * i + b] = static_cast<std::uint8_t>(value >> (8 * b));
    }
}

void BytesToRect(const std::uint8_t (&bytes)[kRectBytes], std::int32_t (&rect)[4]) {
    for (std::size_t i = 0; i < 4; ++i) rect[i] = FromLittleEndian(bytes + 4 * i);
}

std::int32_t ValidHotkey(std::int32_t hotkey) {
    const std::int32_t key = hotkey & 0xFF;
    const std::int32_t modifiers = hotkey >> 8;
    const std::int32_t known = kHotkeyShift | kHotkeyControl | kHotkeyAlt | kHotkeyExtended;
    const std::int32_t required = kHotkeyShift | kHotkeyControl | kHotkeyAlt;
    const bool valid = hotkey > 0 && key != 0 && (modifiers & ~known) == 0 && (modifiers & required) != 0;
    return valid ? hotkey : kDefaultSummonHotkey;
}

void NormalizeAppended(SettingsRecord& record) {
    record.summonHotkey = ValidHotkey(record.summonHotkey);
    record.historySize = std::clamp(record.historySize, kMinHistorySize, kMaxHistorySize);
    record.noRepeats = record.noRepeats != 0 ? 1 : 0;
    record.recordPictures = record.recordPictures != 0 ? 1 : 0;
    record.clearOnLock = record.clearOnLock != 0 ? 1 : 0;
    // Out of range means off, never a shorter keep than the user chose.
    if (record.forgetDays < kMinForgetDays || record.forgetDays > kMaxForgetDays) record.forgetDays = 0;
    record.encrypt = record.encrypt != 0 ? 1 : 0;
    record.share = record.share != 0 ? 1 : 0;
    if (record.shareFormatsKB < kMinShareFormatsKB || record.shareFormatsKB > kMaxShareFormatsKB)
        record.shareFormatsKB = kDefaultShareFormatsKB;
    record.sharePictures = record.sharePictures != 0 ? 1 : 0;
}

// The paste keys are taken only when read whole; programs without a name or
// with a key this version does not know are left out.
std::vector<ProgramPasteKeyRecord> ReadPasteKeys(ByteSource& source, const AnsiCodec& codec) {
    const std::int32_t count = archive::ReadInt32(source);
    if (count < 0 || count > kMaxPasteKeyPrograms) throw ArchiveError("settings: paste key count out of range");
    std::vector<ProgramPasteKeyRecord> keys;
    for (std::int32_t i = 0; i < count; ++i) {
        ProgramPasteKeyRecord entry;
        entry.program = archive::ReadString(source, codec);
        entry.key = archive::ReadInt32(source);
        if (!entry.program.empty() && IsKnownPasteKey(entry.key)) keys.push_back(std::move(entry));
    }
    return keys;
}

void WritePasteKeys(ByteSink& sink, const std::vector<ProgramPasteKeyRecord>& keys, const AnsiCodec& codec) {
    const std::size_t count = std::min<std::size_t>(keys.size(), static_cast<std::size_t>(kMaxPasteKeyPrograms));
    archive::WriteInt32(sink, static_cast<std::int32_t>(count));
    for (std::size_t i = 0; i < count; ++i) {
        archive::WriteString(sink, keys[i].program, codec);
        archive::WriteInt32(sink, keys[i].key);
    }
}

// The appended fields, as many as the file announces, up to those known here.
// Returns false when the data ends inside them.
bool ReadAppended(ByteSource& source, SettingsRecord& record, const AnsiCodec& codec) {
    std::uint8_t countBytes[4];
    const std::size_t got = source.ReadBytes(countBytes, sizeof countBytes);
    if (got == 0) return true;  // written before the appended fields existed
    if (got < sizeof countBytes) return false;
    const std::int32_t count = FromLittleEndian(countBytes);
    std::int32_t* const ints[kAppendedInts] = {&record.summonHotkey, &record.historySize, &record.noRepeats,
                                               &record.recordPictures};
    try {
        for (std::int32_t i = 0; i < kAppendedInts && i < count; ++i) *ints[i] = archive::ReadInt32(source);
        if (count > kAppendedInts) record.ignoredPrograms = archive::ReadString(source, codec);
        std::int32_t* const later[kIntsAfterPrograms] = {&record.clearOnLock, &record.forgetDays,
                                                           &record.encrypt};
        for (std::int32_t i = 0; i < kIntsAfterPrograms && kAppendedInts + 1 + i < count; ++i)
            *later[i] = archive::ReadInt32(source);
        if (count > kPasteKeysField) record.pasteKeys = ReadPasteKeys(source, codec);
        if (count > kFieldsBeforeSharing) record.share = archive::ReadInt32(source);
        if (count > kFieldsBeforeSharing + 1) record.shareFolder = archive::ReadString(source, codec);
        if (count > kFieldsBeforeSharing + 2) record.shareFormatsKB = archive::ReadInt32(source);
        if (count > kFieldsBeforeSharing + 3) record.sharePictures = archive::ReadInt32(source);
    } catch (const ArchiveError&) {
        return false;
    }
    return true;
}

}  // namespace

std::vector<ProgramPasteKeyRecord> DefaultPasteKeyRecords() {
    std::vector<ProgramPasteKeyRecord> keys;
    for (const KnownPasteKey& known : kKnownPasteKeys)
        keys.push_back({known.program, static_cast<std::int32_t>(known.key)});
    return keys;
}

void WriteSettings(ByteSink& sink, const SettingsRecord& record, const AnsiCodec& codec) {
    archive::WriteString(sink, record.before, codec);
    archive::WriteString(sink, record.after, codec);
    archive::WriteInt32(sink, record.entryCount);
    archive::WriteInt32(sink, record.autoRun);
    archive::WriteInt32(sink, record.compoundPaste);
    archive::WriteInt32(sink, record.topCount);
    std::uint8_t bytes[kRectBytes];
    RectToBytes(record.rect, bytes);
    sink.WriteBytes(bytes, sizeof bytes);
    archive::WriteInt32(sink, kAppendedFields);
    archive::WriteInt32(sink, record.summonHotkey);
    archive::WriteInt32(sink, record.historySize);
    archive::WriteInt32(sink, record.noRepeats);
    archive::WriteInt32(sink, record.recordPictures);
    archive::WriteString(sink, record.ignoredPrograms, codec);
    archive::WriteInt32(sink, record.clearOnLock);
    archive::WriteInt32(sink, record.forgetDays);
    archive::WriteInt32(sink, record.encrypt);
    WritePasteKeys(sink, record.pasteKeys, codec);
    archive::WriteInt32(sink, record.share);
    archive::WriteString(sink, record.shareFolder, codec);
    archive::WriteInt32(sink, record.shareFormatsKB);
    archive::WriteInt32(sink, record.sharePictures);
}

bool ReadSettings(ByteSource& source, SettingsRecord& record, const AnsiCodec& codec) {
    try {
        record.before = archive::ReadString(source, codec);
        record.after = archive::ReadString(source, codec);
        record.entryCount = archive::ReadInt32(source);
        record.autoRun = archive::ReadInt32(source);
        record.compoundPaste = archive::ReadInt32(source);
        record.topCount = archive::ReadInt32(source);
    } catch (const ArchiveError&) {
        return false;
    }
    std::uint8_t bytes[kRectBytes];
    RectToBytes(record.rect, bytes);
    const std::size_t got = source.ReadBytes(bytes, sizeof bytes);
    BytesToRect(bytes, record.rect);
    const bool complete = got == sizeof bytes && ReadAppended(source, record, codec);
    NormalizeAppended(record);
    return complete;
}
