// The settings appended after the rectangle, compatible both ways: readers
// that stop at the rectangle read a new file unchanged, this reader gives the
// defaults for a file without them, and damaged or foreign values come back
// in range. Code page: Latin1Codec.
#include <gtest/gtest.h>

#include "MemoryStreams.h"
#include "history/SettingsFormat.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

const Latin1Codec kCodec;

// The settings file of the defaults as versions without the appended fields write it.
const Bytes kOldDefaultsFile{0x00, 0x00, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
                             0x0A, 0, 0, 0, 0x0A, 0, 0, 0, 0xC8, 0, 0, 0, 0x2C, 0x01, 0, 0};

// A new file: before "b", after "a", ints 3 1 1 2, rectangle 5 6 7 8, then
// Ctrl+Alt+K, 250 entries, both flags on and two programs.
const Bytes kNewFile{0x01, 'b', 0x01, 'a', 3, 0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0, 2, 0, 0, 0,
                     5, 0, 0, 0, 6, 0, 0, 0, 7, 0, 0, 0, 8, 0, 0, 0,
                     5, 0, 0, 0,           // five appended fields
                     0x4B, 0x06, 0, 0,     // K with Ctrl and Alt
                     0xFA, 0, 0, 0,        // 250
                     1, 0, 0, 0, 1, 0, 0, 0,
                     22, 'k', 'e', 'e', 'p', 'a', 's', 's', '.', 'e', 'x', 'e', '\r', '\n',
                     'p', 'u', 't', 't', 'y', '.', 'e', 'x', 'e'};
constexpr std::size_t kNewFileRectangleEnd = 36;

SettingsRecord NewFileRecord() {
    SettingsRecord record;
    record.before = u"b";
    record.after = u"a";
    record.entryCount = 3;
    record.autoRun = 1;
    record.compoundPaste = 1;
    record.topCount = 2;
    record.rect[0] = 5;
    record.rect[1] = 6;
    record.rect[2] = 7;
    record.rect[3] = 8;
    record.summonHotkey = ((kHotkeyControl | kHotkeyAlt) << 8) | 'K';
    record.historySize = 250;
    record.noRepeats = 1;
    record.recordPictures = 1;
    record.ignoredPrograms = u"keepass.exe\r\nputty.exe";
    return record;
}

void ExpectAppended(const SettingsRecord& actual, std::int32_t hotkey, std::int32_t size, std::int32_t noRepeats,
                    std::int32_t pictures, const std::u16string& programs) {
    EXPECT_EQ(actual.summonHotkey, hotkey);
    EXPECT_EQ(actual.historySize, size);
    EXPECT_EQ(actual.noRepeats, noRepeats);
    EXPECT_EQ(actual.recordPictures, pictures);
    EXPECT_EQ(actual.ignoredPrograms, programs);
}

// The fields in the order of the readers that know nothing after the
// rectangle, written out here so they do not depend on the product's reader.
struct OldRecord {
    std::u16string before, after;
    std::int32_t ints[4] = {};
    std::uint8_t rect[16] = {};
};

OldRecord ReadLikeOlderVersions(ByteSource& source) {
    OldRecord record;
    record.before = archive::ReadString(source, kCodec);
    record.after = archive::ReadString(source, kCodec);
    for (std::int32_t& value : record.ints) value = archive::ReadInt32(source);
    archive::ReadExact(source, record.rect, sizeof record.rect);
    return record;
}

SettingsRecord ReadNew(const Bytes& bytes, std::size_t length, bool expectComplete) {
    SettingsRecord record;
    MemorySource source(bytes.data(), length);
    EXPECT_EQ(ReadSettings(source, record, kCodec), expectComplete) << "cut at " << length;
    return record;
}

TEST(SettingsAppended, NewFileIsTheOldLayoutFollowedByTheAppendedFields) {
    MemorySink sink;
    WriteSettings(sink, NewFileRecord(), kCodec);
    EXPECT_EQ(sink.Bytes(), kNewFile);
}

TEST(SettingsAppended, OlderReadersReadANewFileAndStopAfterTheRectangle) {
    MemorySource source(kNewFile);
    const OldRecord old = ReadLikeOlderVersions(source);
    EXPECT_EQ(source.Position(), kNewFileRectangleEnd);
    EXPECT_EQ(old.before, u"b");
    EXPECT_EQ(old.after, u"a");
    EXPECT_EQ(old.ints[0], 3);  // entry count
    EXPECT_EQ(old.ints[1], 1);  // auto run
    EXPECT_EQ(old.ints[2], 1);  // compound paste
    EXPECT_EQ(old.ints[3], 2);  // top count
    EXPECT_EQ(Bytes(old.rect, old.rect + 16), Bytes(kNewFile.begin() + 20, kNewFile.begin() + 36));
}

TEST(SettingsAppended, AnOldFileLoadsWithTheDefaults) {
    const SettingsRecord defaults;
    ExpectAppended(ReadNew(kOldDefaultsFile, kOldDefaultsFile.size(), true), defaults.summonHotkey, 1000, 0, 0, u"");
    EXPECT_EQ(defaults.summonHotkey, 0x0346);  // Ctrl+Shift+F as a hot-key control gives it

    // An old file with settings of its own: those are read, the rest are defaults.
    const SettingsRecord record = ReadNew(kNewFile, kNewFileRectangleEnd, true);
    EXPECT_EQ(record.before, u"b");
    EXPECT_EQ(record.rect[3], 8);
    ExpectAppended(record, 0x0346, 1000, 0, 0, u"");
}

TEST(SettingsAppended, AFileCutInsideTheAppendedFieldsKeepsWhatItReadAndDefaultsTheRest) {
    const std::int32_t ctrlAltK = 0x064B;
    ExpectAppended(ReadNew(kNewFile, 38, false), 0x0346, 1000, 0, 0, u"");       // inside the count
    ExpectAppended(ReadNew(kNewFile, 40, false), 0x0346, 1000, 0, 0, u"");       // count only
    ExpectAppended(ReadNew(kNewFile, 46, false), ctrlAltK, 1000, 0, 0, u"");     // inside the size
    ExpectAppended(ReadNew(kNewFile, 52, false), ctrlAltK, 250, 1, 0, u"");      // no pictures flag
    ExpectAppended(ReadNew(kNewFile, 56, false), ctrlAltK, 250, 1, 1, u"");      // no program list
    ExpectAppended(ReadNew(kNewFile, 70, false), ctrlAltK, 250, 1, 1, u"");      // inside the list
    ExpectAppended(ReadNew(kNewFile, kNewFile.size(), true), ctrlAltK, 250, 1, 1, u"keepass.exe\r\nputty.exe");
}

TEST(SettingsAppended, FieldsAreReadAsFarAsTheFileAnnouncesThem) {
    // A version that knew only the hotkey and the size.
    Bytes twoFields(kNewFile.begin(), kNewFile.begin() + 48);
    twoFields[kNewFileRectangleEnd] = 2;
    ExpectAppended(ReadNew(twoFields, twoFields.size(), true), 0x064B, 250, 0, 0, u"");

    // A later version with two more ints after the program list: ignored here.
    Bytes later = kNewFile;
    later[kNewFileRectangleEnd] = 7;
    later.insert(later.end(), {9, 9, 9, 9, 8, 8, 8, 8});
    MemorySource source(later);
    SettingsRecord record;
    EXPECT_TRUE(ReadSettings(source, record, kCodec));
    ExpectAppended(record, 0x064B, 250, 1, 1, u"keepass.exe\r\nputty.exe");

    // A negative count announces nothing.
    Bytes negative = kNewFile;
    negative[kNewFileRectangleEnd] = 0xFF;
    negative[kNewFileRectangleEnd + 1] = 0xFF;
    negative[kNewFileRectangleEnd + 2] = 0xFF;
    negative[kNewFileRectangleEnd + 3] = 0xFF;
    ExpectAppended(ReadNew(negative, negative.size(), true), 0x0346, 1000, 0, 0, u"");
}

TEST(SettingsAppended, OutOfRangeValuesAreBroughtIntoRange) {
    struct Case {
        std::int32_t hotkey, size, noRepeats, pictures;
        std::int32_t hotkeyLoaded, sizeLoaded;
    };
    const Case cases[] = {
        {0x0046, 9, 2, -1, 0x0346, 10},                 // F without a modifier
        {0x0300, 10001, 1, 0, 0x0346, 10000},           // modifiers without a key
        {0x1346, -5, 0, 1, 0x0346, 10},                 // an unknown modifier bit
        {-0x0346, 10, 0, 0, 0x0346, 10},
        {(kHotkeyExtended << 8) | 0x2D, 5000, 0, 0, 0x0346, 5000},  // Extended alone is no modifier
        {((kHotkeyExtended | kHotkeyControl) << 8) | 0x2D, 5000, 0, 0, 0x0A2D, 5000},  // Ctrl+Insert stays
    };
    for (const Case& c : cases) {
        SettingsRecord record;
        record.summonHotkey = c.hotkey;
        record.historySize = c.size;
        record.noRepeats = c.noRepeats;
        record.recordPictures = c.pictures;
        MemorySink sink;
        WriteSettings(sink, record, kCodec);
        const SettingsRecord loaded = ReadNew(sink.Bytes(), sink.Bytes().size(), true);
        ExpectAppended(loaded, c.hotkeyLoaded, c.sizeLoaded, c.noRepeats != 0, c.pictures != 0, u"");
    }
}

}  // namespace
