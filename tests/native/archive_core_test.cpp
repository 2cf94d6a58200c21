// The archive encoding: ints, the three length-prefix forms, the 8-bit and
// UTF-16 string forms, and reads that run past the end. The code page here is
// Latin1Codec (every unit up to U+00FF is one byte, anything else is lossy).
#include <gtest/gtest.h>

#include <chrono>

#include "AllocationProbe.h"
#include "MemoryStreams.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

const Latin1Codec kCodec;

Bytes Encode(const std::u16string& text) {
    MemorySink sink;
    archive::WriteString(sink, text, kCodec);
    return sink.Bytes();
}

std::u16string Decode(const Bytes& bytes, std::size_t* consumed = nullptr) {
    MemorySource source(bytes);
    std::u16string text = archive::ReadString(source, kCodec);
    if (consumed) *consumed = source.Position();
    return text;
}

Bytes Prefix(const Bytes& bytes, std::size_t count) { return Bytes(bytes.begin(), bytes.begin() + count); }

TEST(ArchiveInt, IsFourBytesLittleEndianTwosComplement) {
    MemorySink sink;
    archive::WriteInt32(sink, 0x01020304);
    archive::WriteInt32(sink, -2);
    EXPECT_EQ(sink.Bytes(), (Bytes{0x04, 0x03, 0x02, 0x01, 0xFE, 0xFF, 0xFF, 0xFF}));

    MemorySource source(sink.Bytes());
    EXPECT_EQ(archive::ReadInt32(source), 0x01020304);
    EXPECT_EQ(archive::ReadInt32(source), -2);
    EXPECT_THROW(archive::ReadInt32(source), ArchiveEndOfFile);
}

TEST(ArchiveInt, ThreeBytesLeftIsEndOfFile) {
    const Bytes bytes{1, 2, 3};
    MemorySource source(bytes);
    EXPECT_THROW(archive::ReadInt32(source), ArchiveEndOfFile);
}

struct PrefixCase {
    std::size_t length;
    Bytes prefix;
};

TEST(ArchiveString, LengthPrefixFormsAtEachBoundary) {
    const PrefixCase cases[] = {
        {0, {0x00}},
        {3, {0x03}},
        {254, {0xFE}},
        {255, {0xFF, 0xFF, 0x00}},
        {65533, {0xFF, 0xFD, 0xFF}},
        {65534, {0xFF, 0xFF, 0xFF, 0xFE, 0xFF, 0x00, 0x00}},
        {70000, {0xFF, 0xFF, 0xFF, 0x70, 0x11, 0x01, 0x00}},
    };
    for (const PrefixCase& c : cases) {
        SCOPED_TRACE(c.length);
        std::u16string text(c.length, u'x');
        for (std::size_t i = 0; i < text.size(); ++i) text[i] = static_cast<char16_t>('a' + i % 26);
        const Bytes bytes = Encode(text);
        ASSERT_EQ(bytes.size(), c.prefix.size() + c.length);
        EXPECT_EQ(Prefix(bytes, c.prefix.size()), c.prefix);
        if (c.length > 0) {
            EXPECT_EQ(bytes[c.prefix.size()], 'a');
        }
        std::size_t consumed = 0;
        EXPECT_EQ(Decode(bytes, &consumed), text);
        EXPECT_EQ(consumed, bytes.size());
    }
}

TEST(ArchiveString, CodePageTextUsesTheEightBitForm) {
    EXPECT_EQ(Encode(u"abc"), (Bytes{0x03, 'a', 'b', 'c'}));
    EXPECT_EQ(Encode(u"line1\r\nline2"),
              (Bytes{0x0C, 'l', 'i', 'n', 'e', '1', 0x0D, 0x0A, 'l', 'i', 'n', 'e', '2'}));
    // e acute is in the code page: one byte.
    EXPECT_EQ(Encode(u"caf\u00E9"), (Bytes{0x04, 'c', 'a', 'f', 0xE9}));
    EXPECT_EQ(Decode(Bytes{0x04, 'c', 'a', 'f', 0xE9}), u"caf\u00E9");
}

TEST(ArchiveString, LossyTextUsesTheUtf16FormAndReadsBackExactly) {
    const std::u16string text = u"\u65E5\u672C";  // two CJK characters
    EXPECT_EQ(Encode(text), (Bytes{0xFF, 0xFE, 0xFF, 0x02, 0xE5, 0x65, 0x2C, 0x67}));
    EXPECT_EQ(Decode(Encode(text)), text);

    // A surrogate pair counts as two units; a lone surrogate survives unchanged.
    const std::u16string emoji = u"a\U0001F600b";
    const Bytes emojiBytes = Encode(emoji);
    EXPECT_EQ(Prefix(emojiBytes, 4), (Bytes{0xFF, 0xFE, 0xFF, 0x04}));
    EXPECT_EQ(Decode(emojiBytes), emoji);
    const std::u16string lone(1, static_cast<char16_t>(0xD800));
    EXPECT_EQ(Decode(Encode(lone)), lone);

    // Mixed text: one character outside the code page puts the whole string in UTF-16.
    const std::u16string mixed = u"price 5\u20AC";
    const Bytes mixedBytes = Encode(mixed);
    EXPECT_EQ(mixedBytes.size(), 4 + 2 * mixed.size());
    EXPECT_EQ(Decode(mixedBytes), mixed);
}

TEST(ArchiveString, Utf16FormCountsItsLongPrefixInUnits) {
    const std::u16string text(300, static_cast<char16_t>(0x0416));
    const Bytes bytes = Encode(text);
    EXPECT_EQ(Prefix(bytes, 6), (Bytes{0xFF, 0xFE, 0xFF, 0xFF, 0x2C, 0x01}));
    EXPECT_EQ(bytes.size(), 6 + 600u);
    EXPECT_EQ(Decode(bytes), text);

    const std::u16string longer(70000, static_cast<char16_t>(0x3042));
    const Bytes longBytes = Encode(longer);
    EXPECT_EQ(Prefix(longBytes, 10), (Bytes{0xFF, 0xFE, 0xFF, 0xFF, 0xFF, 0xFF, 0x70, 0x11, 0x01, 0x00}));
    EXPECT_EQ(Decode(longBytes), longer);
}

TEST(ArchiveString, ConsecutiveStringsOfBothFormsReadInOrder) {
    MemorySink sink;
    archive::WriteString(sink, u"one", kCodec);
    archive::WriteString(sink, u"\u0434\u0432\u0430", kCodec);
    archive::WriteString(sink, u"", kCodec);
    archive::WriteInt32(sink, 42);
    MemorySource source(sink.Bytes());
    EXPECT_EQ(archive::ReadString(source, kCodec), u"one");
    EXPECT_EQ(archive::ReadString(source, kCodec), u"\u0434\u0432\u0430");
    EXPECT_EQ(archive::ReadString(source, kCodec), u"");
    EXPECT_EQ(archive::ReadInt32(source), 42);
}

TEST(ArchiveString, TruncatedStringsAreEndOfFile) {
    const Bytes cases[] = {
        {},                                       // no prefix at all
        {0x05, 'a', 'b'},                         // text shorter than its prefix
        {0xFF, 0x10},                             // 2-byte prefix cut
        {0xFF, 0xFF, 0xFF, 0x00, 0x00},           // 4-byte prefix cut
        {0xFF, 0xFE, 0xFF},                       // UTF-16 marker without its length
        {0xFF, 0xFE, 0xFF, 0x02, 0x41, 0x00, 0x42},  // UTF-16 text one byte short
    };
    for (const Bytes& bytes : cases) {
        SCOPED_TRACE(bytes.size());
        EXPECT_THROW(Decode(bytes), ArchiveEndOfFile);
    }
}

TEST(ArchiveString, RepeatedUtf16MarkerIsMalformed) {
    EXPECT_THROW(Decode(Bytes{0xFF, 0xFE, 0xFF, 0xFF, 0xFE, 0xFF, 0x00}), ArchiveError);
}

TEST(ArchiveString, HugeLengthPrefixFailsFastWithoutAllocatingIt) {
    const Bytes eightBit{0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 'a', 'b', 'c'};
    const Bytes utf16{0xFF, 0xFE, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 'a', 0};
    for (const Bytes* bytes : {&eightBit, &utf16}) {
        allocation_probe::Reset();
        const auto start = std::chrono::steady_clock::now();
        EXPECT_THROW(Decode(*bytes), ArchiveEndOfFile);
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(1));
        EXPECT_LT(allocation_probe::LargestRequest(), 1u << 20);
    }
}

}  // namespace
