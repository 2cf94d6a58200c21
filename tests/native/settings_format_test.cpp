// The settings file up to the rectangle: exact bytes, field order, and
// truncated files that keep the values they did not reach. Code page: Latin1Codec.
#include <gtest/gtest.h>

#include "MemoryStreams.h"
#include "history/store/formats/SettingsFormat.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

const Latin1Codec kCodec;

Bytes Write(const SettingsRecord& record) {
    MemorySink sink;
    WriteSettings(sink, record, kCodec);
    return sink.Bytes();
}

void ExpectSame(const SettingsRecord& actual, const SettingsRecord& expected) {
    EXPECT_EQ(actual.before, expected.before);
    EXPECT_EQ(actual.after, expected.after);
    EXPECT_EQ(actual.entryCount, expected.entryCount);
    EXPECT_EQ(actual.autoRun, expected.autoRun);
    EXPECT_EQ(actual.compoundPaste, expected.compoundPaste);
    EXPECT_EQ(actual.topCount, expected.topCount);
    for (int i = 0; i < 4; ++i) EXPECT_EQ(actual.rect[i], expected.rect[i]) << "rect[" << i << "]";
    EXPECT_EQ(actual.summonHotkey, expected.summonHotkey);
    EXPECT_EQ(actual.historySize, expected.historySize);
    EXPECT_EQ(actual.noRepeats, expected.noRepeats);
    EXPECT_EQ(actual.recordPictures, expected.recordPictures);
    EXPECT_EQ(actual.ignoredPrograms, expected.ignoredPrograms);
}

Bytes Head(const Bytes& bytes, std::size_t count) { return Bytes(bytes.begin(), bytes.begin() + count); }

TEST(SettingsFormat, DefaultsStartWithTheThirtyFourByteFile) {
    const Bytes expected{0x00, 0x00,                                      // two empty strings
                         0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,  // four zero ints
                         0x0A, 0, 0, 0, 0x0A, 0, 0, 0, 0xC8, 0, 0, 0, 0x2C, 0x01, 0, 0};
    EXPECT_EQ(Head(Write(SettingsRecord()), 34), expected);
}

TEST(SettingsFormat, CompoundFlagComesBeforeTopCount) {
    SettingsRecord record;
    record.before = u"b";
    record.after = u"a";
    record.entryCount = 1;
    record.autoRun = 2;
    record.compoundPaste = 3;
    record.topCount = 4;
    record.rect[0] = 5;
    record.rect[1] = 6;
    record.rect[2] = 7;
    record.rect[3] = -8;
    const Bytes expected{0x01, 'b', 0x01, 'a', 1, 0, 0, 0, 2, 0, 0, 0, 3, 0, 0, 0, 4, 0, 0, 0,
                         5, 0, 0, 0, 6, 0, 0, 0, 7, 0, 0, 0, 0xF8, 0xFF, 0xFF, 0xFF};
    EXPECT_EQ(Head(Write(record), expected.size()), expected);
}

TEST(SettingsFormat, RoundTripKeepsLineBreaksAndUnicode) {
    SettingsRecord record;
    record.before = u"<li>\r\n";
    record.after = u"\r\n\u2014 \u00AB\u00BB";
    record.entryCount = 1000;
    record.autoRun = 1;
    record.compoundPaste = 1;
    record.topCount = 3;
    record.rect[0] = -1920;
    record.rect[1] = 40;
    record.rect[2] = -1500;
    record.rect[3] = 700;
    record.summonHotkey = (kHotkeyAlt << 8) | 0x70;  // Alt+F1
    record.historySize = 10000;
    record.noRepeats = 1;
    record.recordPictures = 1;
    record.ignoredPrograms = u"KeePass.exe\r\nC:\\Programme\\\u00DCbersicht\\t\u00F6ken.exe\r\n\u65E5\u672C.exe";
    const Bytes bytes = Write(record);
    EXPECT_EQ(Head(bytes, 7), (Bytes{0x06, '<', 'l', 'i', '>', 0x0D, 0x0A}));

    SettingsRecord loaded;
    MemorySource source(bytes);
    EXPECT_TRUE(ReadSettings(source, loaded, kCodec));
    ExpectSame(loaded, record);
}

class TruncatedSettings : public ::testing::Test {
protected:
    TruncatedSettings() {
        saved.before = u"x\r\nyz";  // 6 bytes with its prefix
        saved.after = u"z";        // 2 bytes: the ints start at offset 8
        saved.entryCount = 7;
        saved.autoRun = 1;
        saved.compoundPaste = 1;
        saved.topCount = 2;
        saved.rect[0] = 100;
        saved.rect[1] = 200;
        saved.rect[2] = 300;
        saved.rect[3] = 400;
        previous.before = u"old before";
        previous.after = u"old after";
        previous.entryCount = 11;
        previous.autoRun = 0;
        previous.compoundPaste = 0;
        previous.topCount = 5;
        previous.rect[0] = -1;
        previous.rect[1] = -2;
        previous.rect[2] = -3;
        previous.rect[3] = -4;
        file = Write(saved);
    }

    // Reads the first `length` bytes of the saved file over `previous`.
    SettingsRecord ReadCut(std::size_t length, bool expectComplete = false) {
        SettingsRecord record = previous;
        MemorySource source(file.data(), length);
        EXPECT_EQ(ReadSettings(source, record, kCodec), expectComplete);
        return record;
    }

    SettingsRecord saved;
    SettingsRecord previous;
    Bytes file;
};

TEST_F(TruncatedSettings, EmptyOrCutInsideFirstStringChangesNothing) {
    ExpectSame(ReadCut(0), previous);
    ExpectSame(ReadCut(3), previous);
}

TEST_F(TruncatedSettings, FieldsBeforeTheCutAreReadTheRestKept) {
    SettingsRecord expected = previous;
    expected.before = saved.before;
    ExpectSame(ReadCut(6), expected);

    expected.after = saved.after;
    ExpectSame(ReadCut(10), expected);  // cut inside the entry count

    expected.entryCount = 7;
    expected.autoRun = 1;
    expected.compoundPaste = 1;
    ExpectSame(ReadCut(23), expected);  // cut inside the top count

    expected.topCount = 2;
    ExpectSame(ReadCut(24), expected);  // the whole rectangle missing
}

TEST_F(TruncatedSettings, PartialRectangleStoresTheBytesPresent) {
    SettingsRecord expected = saved;
    // Two bytes of left (0x0064) over the old 0xFFFFFFFF.
    expected.rect[0] = static_cast<std::int32_t>(0xFFFF0064u);
    expected.rect[1] = -2;
    expected.rect[2] = -3;
    expected.rect[3] = -4;
    ExpectSame(ReadCut(26), expected);

    // Left whole, one byte of top (0xC8) over the old 0xFFFFFFFE.
    expected.rect[0] = 100;
    expected.rect[1] = static_cast<std::int32_t>(0xFFFFFFC8u);
    ExpectSame(ReadCut(29), expected);

    ExpectSame(ReadCut(40, true), saved);
}

TEST(SettingsFormat, MalformedStringStopsTheReadKeepingTheRest) {
    const Bytes bytes{0xFF, 0xFE, 0xFF, 0xFF, 0xFE, 0xFF, 0x00, 0x00, 1, 0, 0, 0};
    SettingsRecord record;
    record.before = u"kept";
    MemorySource source(bytes);
    EXPECT_FALSE(ReadSettings(source, record, kCodec));
    EXPECT_EQ(record.before, u"kept");
    EXPECT_EQ(record.rect[3], 300);
}

}  // namespace
