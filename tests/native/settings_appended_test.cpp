// The settings appended after the rectangle, compatible both ways: a reader
// that stops at the rectangle reads a new file unchanged, this reader gives
// the defaults for a file without them, and cut or foreign values are handled.
#include <gtest/gtest.h>

#include "MemoryStreams.h"

#include <algorithm>
#include "history/store/formats/SettingsFormat.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

const Latin1Codec kCodec;

// As the version before "clear on lock" wrote it: before "b", after "a", ints
// 3 1 1 2, rectangle 5 6 7 8, then five appended fields: Ctrl+Alt+K, 250
// entries, both flags on, two programs.
const Bytes kNewFile{0x01, 'b', 0x01, 'a', 3, 0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0, 2, 0, 0, 0,
                     5, 0, 0, 0, 6, 0, 0, 0, 7, 0, 0, 0, 8, 0, 0, 0,
                     5, 0, 0, 0, 0x4B, 0x06, 0, 0, 0xFA, 0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0,
                     22, 'k', 'e', 'e', 'p', 'a', 's', 's', '.', 'e', 'x', 'e', '\r', '\n',
                     'p', 'u', 't', 't', 'y', '.', 'e', 'x', 'e'};
constexpr std::size_t kRectangleEnd = 36;
constexpr std::int32_t kCtrlAltK = 0x064B;
constexpr std::int32_t kCtrlShiftF = 0x0346;

struct Appended {
    std::int32_t hotkey, size, noRepeats, pictures;
    std::u16string programs;
};

Appended Load(const Bytes& bytes, std::size_t length, bool complete) {
    SettingsRecord record;
    MemorySource source(bytes.data(), length);
    EXPECT_EQ(ReadSettings(source, record, kCodec), complete) << "read of " << length << " bytes";
    return {record.summonHotkey, record.historySize, record.noRepeats, record.recordPictures, record.ignoredPrograms};
}

void ExpectAppended(const Appended& actual, const Appended& expected) {
    EXPECT_EQ(actual.hotkey, expected.hotkey);
    EXPECT_EQ(actual.size, expected.size);
    EXPECT_EQ(actual.noRepeats, expected.noRepeats);
    EXPECT_EQ(actual.pictures, expected.pictures);
    EXPECT_EQ(actual.programs, expected.programs);
}

const Appended kDefaults{kCtrlShiftF, 1000, 0, 0, u""};
const Appended kSaved{kCtrlAltK, 250, 1, 1, u"keepass.exe\r\nputty.exe"};

TEST(SettingsAppended, ANewFileIsTheOldLayoutThatOldReadersStopAtThenTheAppendedFields) {
    SettingsRecord record;
    record.before = u"b";
    record.after = u"a";
    record.entryCount = 3;
    record.autoRun = record.compoundPaste = 1;
    record.topCount = 2;
    for (int i = 0; i < 4; ++i) record.rect[i] = 5 + i;
    record.summonHotkey = kCtrlAltK;
    record.historySize = 250;
    record.noRepeats = record.recordPictures = 1;
    record.ignoredPrograms = u"keepass.exe\r\nputty.exe";
    record.clearOnLock = 1;
    record.forgetDays = 30;
    record.encrypt = 1;
    record.pasteKeys = {{u"putty.exe", 1}, {u"term.exe", 2}};
    record.share = 1;
    record.shareFolder = u"S:";
    record.shareFormatsKB = 64;
    record.sharePictures = 1;
    MemorySink sink;
    WriteSettings(sink, record, kCodec);
    // Thirteen appended fields now: clear on lock, forget days and encryption follow the program list, then the
    // paste keys, then sharing (on, the folder, the formats' size, pictures). Everything before lies where the
    // versions before wrote it.
    Bytes expected = kNewFile;
    expected[kRectangleEnd] = 13;
    expected.insert(expected.end(), {1, 0, 0, 0, 30, 0, 0, 0, 1, 0, 0, 0});
    expected.insert(expected.end(), {2, 0, 0, 0, 9, 'p', 'u', 't', 't', 'y', '.', 'e', 'x', 'e', 1, 0, 0, 0,
                                     8, 't', 'e', 'r', 'm', '.', 'e', 'x', 'e', 2, 0, 0, 0});
    expected.insert(expected.end(), {1, 0, 0, 0, 2, 'S', ':', 64, 0, 0, 0, 1, 0, 0, 0});
    EXPECT_EQ(sink.Bytes(), expected);
    SettingsRecord loaded;
    MemorySource again(sink.Bytes().data(), sink.Bytes().size());
    EXPECT_TRUE(ReadSettings(again, loaded, kCodec));
    EXPECT_EQ(loaded.clearOnLock, 1);
    EXPECT_EQ(loaded.forgetDays, 30);
    EXPECT_EQ(loaded.encrypt, 1);
    EXPECT_EQ(loaded.share, 1);
    EXPECT_EQ(loaded.shareFolder, u"S:");
    EXPECT_EQ(loaded.shareFormatsKB, 64);
    EXPECT_EQ(loaded.sharePictures, 1);
    ASSERT_EQ(loaded.pasteKeys.size(), 2u);
    EXPECT_EQ(loaded.pasteKeys[1].program, u"term.exe");
    EXPECT_EQ(loaded.pasteKeys[1].key, 2);
    SettingsRecord older;
    MemorySource previous(kNewFile.data(), kNewFile.size());
    EXPECT_TRUE(ReadSettings(previous, older, kCodec));
    EXPECT_EQ(older.clearOnLock, 0) << "a file without the field keeps the default";
    EXPECT_EQ(older.forgetDays, 0);
    EXPECT_EQ(older.encrypt, 0);
    EXPECT_EQ(older.share, 0);
    EXPECT_EQ(older.shareFormatsKB, 1024) << "1 MiB per entry at first";
    EXPECT_EQ(older.pasteKeys.size(), DefaultPasteKeyRecords().size()) << "the known terminals";

    // The older readers' field order, written out here: two strings, four ints, 16 rectangle bytes.
    MemorySource source(kNewFile);
    EXPECT_EQ(archive::ReadString(source, kCodec), u"b");
    EXPECT_EQ(archive::ReadString(source, kCodec), u"a");
    for (std::int32_t expected : {3, 1, 1, 2, 5, 6, 7, 8}) EXPECT_EQ(archive::ReadInt32(source), expected);
    EXPECT_EQ(source.Position(), kRectangleEnd);
}

TEST(SettingsAppended, AnOldFileLoadsWithTheDefaults) {
    const Bytes oldDefaults{0x00, 0x00, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
                            0x0A, 0, 0, 0, 0x0A, 0, 0, 0, 0xC8, 0, 0, 0, 0x2C, 0x01, 0, 0};
    ExpectAppended(Load(oldDefaults, oldDefaults.size(), true), kDefaults);
    ExpectAppended(Load(kNewFile, kRectangleEnd, true), kDefaults);
    ExpectAppended(Load(kNewFile, kNewFile.size(), true), kSaved);
}

TEST(SettingsAppended, ACutFileKeepsWhatItReadAndAFileReadsAsFarAsItsCountSays) {
    ExpectAppended(Load(kNewFile, 38, false), kDefaults);  // inside the count
    ExpectAppended(Load(kNewFile, 46, false), {kCtrlAltK, 1000, 0, 0, u""});
    ExpectAppended(Load(kNewFile, 70, false), {kCtrlAltK, 250, 1, 1, u""});

    Bytes twoFields(kNewFile.begin(), kNewFile.begin() + 48);
    twoFields[kRectangleEnd] = 2;
    ExpectAppended(Load(twoFields, twoFields.size(), true), {kCtrlAltK, 250, 0, 0, u""});
    // A later version's fields after the program list are ignored.
    Bytes later = kNewFile;
    later[kRectangleEnd] = 7;
    later.insert(later.end(), {9, 9, 9, 9, 8, 8, 8, 8});
    ExpectAppended(Load(later, later.size(), true), kSaved);
}

TEST(SettingsAppended, ValuesOutOfRangeComeBackInRange) {
    const Appended stored[] = {{0x0046, 9, 2, -1, u""},      // F without a modifier
                               {0x0300, 10001, 0, 0, u""},   // modifiers without a key
                               {0x0846, -5, 0, 0, u""}};     // Extended alone is no modifier
    const Appended loaded[] = {{kCtrlShiftF, 10, 1, 1, u""}, {kCtrlShiftF, 10000, 0, 0, u""},
                               {kCtrlShiftF, 10, 0, 0, u""}};
    for (int i = 0; i < 3; ++i) {
        SettingsRecord record;
        record.summonHotkey = stored[i].hotkey;
        record.historySize = stored[i].size;
        record.noRepeats = stored[i].noRepeats;
        record.recordPictures = stored[i].pictures;
        MemorySink sink;
        WriteSettings(sink, record, kCodec);
        ExpectAppended(Load(sink.Bytes(), sink.Bytes().size(), true), loaded[i]);
    }
    for (const std::int32_t kb : {-1, 16385}) {
        SettingsRecord record;
        record.shareFormatsKB = kb;
        MemorySink sink;
        WriteSettings(sink, record, kCodec);
        SettingsRecord loaded;
        MemorySource source(sink.Bytes().data(), sink.Bytes().size());
        EXPECT_TRUE(ReadSettings(source, loaded, kCodec));
        EXPECT_EQ(loaded.shareFormatsKB, 1024) << kb;
    }
}

// The paste keys: the known terminals until a file says otherwise; a list is
// taken only whole, and entries a later version adds keys for are left out.
TEST(SettingsAppended, PasteKeysAreTakenWholeAndKeysNotKnownHereAreLeftOut) {
    SettingsRecord record;
    record.pasteKeys = {{u"putty.exe", 1}, {u"term.exe", 2}};
    MemorySink sink;
    WriteSettings(sink, record, kCodec);
    // Sharing's fields follow the keys: off, no folder, formats up to 1024 KB, no pictures.
    const Bytes sharing = {0, 0, 0, 0, 0, 0, 4, 0, 0, 0, 0, 0, 0};
    const Bytes written = sink.Bytes();
    ASSERT_TRUE(std::equal(sharing.begin(), sharing.end(), written.end() - static_cast<std::ptrdiff_t>(sharing.size())));
    const Bytes bytes(written.begin(), written.end() - static_cast<std::ptrdiff_t>(sharing.size()));
    const std::size_t keysStart = bytes.size() - 31;
    ASSERT_EQ(bytes[keysStart], 2);

    const auto loadKeys = [&sharing](Bytes file, std::size_t length, bool complete) {
        file.resize(length);
        if (complete)
            file.insert(file.end(), sharing.begin(), sharing.end());
        SettingsRecord loaded;
        MemorySource source(file.data(), file.size());
        EXPECT_EQ(ReadSettings(source, loaded, kCodec), complete) << "read of " << length << " bytes";
        std::u16string names;
        for (const ProgramPasteKeyRecord& entry : loaded.pasteKeys)
            names += entry.program + u"=" + static_cast<char16_t>(u'0' + entry.key) + u";";
        return names;
    };
    const std::u16string defaults = loadKeys(bytes, keysStart, false);
    EXPECT_NE(defaults.find(u"mintty.exe=1;"), std::u16string::npos);
    EXPECT_NE(defaults.find(u"putty.exe=1;"), std::u16string::npos);
    EXPECT_EQ(loadKeys(bytes, bytes.size() - 4, false), defaults) << "cut inside the list";
    EXPECT_EQ(loadKeys(bytes, bytes.size(), true), u"putty.exe=1;term.exe=2;");

    Bytes later = bytes;
    later[bytes.size() - 4] = 7;  // a key of a later version
    EXPECT_EQ(loadKeys(later, later.size(), true), u"putty.exe=1;");
    Bytes empty(bytes.begin(), bytes.begin() + keysStart);
    empty.insert(empty.end(), {0, 0, 0, 0});
    EXPECT_EQ(loadKeys(empty, empty.size(), true), u"") << "the user removed every program";
    Bytes huge(bytes.begin(), bytes.begin() + keysStart);
    huge.insert(huge.end(), {0xFF, 0xFF, 0xFF, 0x7F});
    EXPECT_EQ(loadKeys(huge, huge.size(), false), defaults);
}

}  // namespace
