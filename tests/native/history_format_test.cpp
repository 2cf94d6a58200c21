// History records: exact bytes, the record kinds, and files that end inside a
// record. Code page: Latin1Codec.
#include <gtest/gtest.h>

#include "MemoryStreams.h"
#include "history/store/formats/HistoryFormat.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

const Latin1Codec kCodec;

// Reads records the way the history loader does, until the end of the data.
std::vector<HistoryRecord> ReadAll(const Bytes& bytes, std::size_t length, bool* endedEarly) {
    MemorySource source(bytes.data(), length);
    std::vector<HistoryRecord> records;
    *endedEarly = false;
    try {
        while (source.Position() < length) records.push_back(ReadHistoryRecord(source, kCodec));
    } catch (const ArchiveEndOfFile&) {
        *endedEarly = true;
    }
    return records;
}

TEST(HistoryFormat, TextThenBitmapIsTheTwelveByteFile) {
    MemorySink sink;
    WriteTextRecord(sink, u"abc", kCodec);
    WriteBitmapRecord(sink);
    EXPECT_EQ(sink.Bytes(), (Bytes{0x01, 0, 0, 0, 0x03, 'a', 'b', 'c', 0x02, 0, 0, 0}));

    MemorySource source(sink.Bytes());
    const HistoryRecord text = ReadHistoryRecord(source, kCodec);
    EXPECT_EQ(text.kind, kHistoryTextRecord);
    EXPECT_EQ(text.text, u"abc");
    const HistoryRecord bitmap = ReadHistoryRecord(source, kCodec);
    EXPECT_EQ(bitmap.kind, kHistoryBitmapRecord);
    EXPECT_TRUE(bitmap.text.empty());
    EXPECT_EQ(source.Position(), 12u);
}

TEST(HistoryFormat, TextTooLongForItsPrefixIsRefusedBeforeAnyByteOfItsRecord) {
    // The prefix holds 0xFFFFFFFF; one more is refused, and the error names the length.
    EXPECT_NO_THROW(archive::CheckStringLength(archive::kMaxStringLength));
    try {
        archive::CheckStringLength(archive::kMaxStringLength + 1);
        ADD_FAILURE() << "a length of 2^32 was accepted";
    } catch (const ArchiveStringTooLong& error) {
        EXPECT_EQ(error.length, archive::kMaxStringLength + 1);
    }

    MemorySink sink;
    WriteTextRecord(sink, u"abc", kCodec);
    const Bytes before = sink.Bytes();
    if constexpr (sizeof(std::size_t) > 4) {
        // 2^32 units claimed over a small buffer: refused on the count alone, nothing is read.
        const char16_t small[4] = {u'x', u'y', u'z', u'\0'};
        const std::u16string_view huge(small, static_cast<std::size_t>(archive::kMaxStringLength) + 1);
        EXPECT_THROW(WriteTextRecord(sink, huge, kCodec), ArchiveStringTooLong);
        EXPECT_EQ(sink.Bytes(), before) << "no kind or prefix of the refused record";
    }
}

TEST(HistoryFormat, EmptyHistoryHasNoFirstRecord) {
    const Bytes empty;
    MemorySource source(empty);
    EXPECT_THROW(ReadHistoryRecord(source, kCodec), ArchiveEndOfFile);
}

TEST(HistoryFormat, UnknownKindReadsNothingMore) {
    MemorySink sink;
    archive::WriteInt32(sink, 7);
    WriteTextRecord(sink, u"next", kCodec);
    MemorySource source(sink.Bytes());
    const HistoryRecord unknown = ReadHistoryRecord(source, kCodec);
    EXPECT_EQ(unknown.kind, 7);
    EXPECT_TRUE(unknown.text.empty());
    EXPECT_EQ(source.Position(), 4u);
    EXPECT_EQ(ReadHistoryRecord(source, kCodec).text, u"next");
}

TEST(HistoryFormat, TextsOfEveryKindReadBackWhole) {
    const std::u16string long600 = [] {
        std::u16string text;
        for (int i = 0; i < 600; ++i) text.push_back(static_cast<char16_t>('0' + i % 10));
        return text;
    }();
    const std::u16string texts[] = {u"", u"plain ascii", u"two\r\nlines", long600,
                                    u"\u041F\u0440\u0438\u0432\u0435\u0442 \U0001F44B", std::u16string(70000, u'q')};
    MemorySink sink;
    for (const std::u16string& text : texts) WriteTextRecord(sink, text, kCodec);
    MemorySource source(sink.Bytes());
    for (const std::u16string& text : texts) {
        const HistoryRecord record = ReadHistoryRecord(source, kCodec);
        EXPECT_EQ(record.kind, kHistoryTextRecord);
        EXPECT_EQ(record.text, text);
    }
    EXPECT_EQ(source.Position(), sink.Bytes().size());
}

TEST(HistoryFormat, TextEndsAtItsFirstNul) {
    const Bytes bytes{0x01, 0, 0, 0, 0x05, 'a', 'b', 0, 'c', 'd', 0x02, 0, 0, 0};
    MemorySource source(bytes);
    EXPECT_EQ(ReadHistoryRecord(source, kCodec).text, u"ab");
    EXPECT_EQ(ReadHistoryRecord(source, kCodec).kind, kHistoryBitmapRecord);
}

TEST(HistoryFormat, FileEndingInsideTheFifthRecordYieldsFour) {
    MemorySink sink;
    WriteTextRecord(sink, u"first", kCodec);
    WriteBitmapRecord(sink);
    WriteTextRecord(sink, u"third", kCodec);
    WriteTextRecord(sink, u"\u0444\u043E\u0443\u0440", kCodec);
    const std::size_t fourEnd = sink.Bytes().size();
    WriteTextRecord(sink, u"fifth record", kCodec);
    const Bytes& bytes = sink.Bytes();

    // Cut inside the kind, inside the prefix's text, and one byte short.
    for (const std::size_t cut : {fourEnd + 2, fourEnd + 4, fourEnd + 8, bytes.size() - 1}) {
        SCOPED_TRACE(cut);
        bool endedEarly = false;
        const std::vector<HistoryRecord> records = ReadAll(bytes, cut, &endedEarly);
        EXPECT_TRUE(endedEarly);
        ASSERT_EQ(records.size(), 4u);
        EXPECT_EQ(records[0].text, u"first");
        EXPECT_EQ(records[1].kind, kHistoryBitmapRecord);
        EXPECT_EQ(records[2].text, u"third");
        EXPECT_EQ(records[3].text, u"\u0444\u043E\u0443\u0440");
    }
}

TEST(HistoryFormat, PrefixPromisingMoreThanRemainsEndsTheRead) {
    const Bytes bytes{0x01, 0, 0, 0, 0x02, 'o', 'k', 0x01, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x7F, 'x'};
    bool endedEarly = false;
    const std::vector<HistoryRecord> records = ReadAll(bytes, bytes.size(), &endedEarly);
    EXPECT_TRUE(endedEarly);
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records[0].text, u"ok");
}

}  // namespace
