// The extras file: its bytes, and a damaged record that costs only its own entry.
#include <gtest/gtest.h>

#include "history/store/ExtrasFormat.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

TEST(ExtrasFormat, BytesAsLaidOut) {
    extras::File file;
    file.historySize = 0x0102;
    file.historyCrc = 0xA1B2C3D4;
    file.records[3].captured = 0x1122334455667788;
    const Bytes expected = {'Q', 'X', 'T', 'R', 1, 0, 0, 0, 0x02, 0x01, 0, 0, 0, 0, 0, 0, 0xD4, 0xC3, 0xB2, 0xA1,
                            'Q', 'X', 'R', 'C', 12, 0, 0, 0,
                            // CRC-32 of the payload, computed by zlib.crc32 of its 12 bytes
                            0xD8, 0x3A, 0x5D, 0x74,
                            3, 0, 0, 0, 0x88, 0x77, 0x66, 0x55, 0x44, 0x33, 0x22, 0x11};
    EXPECT_EQ(extras::Encode(file), expected);
}

TEST(ExtrasFormat, ADamagedRecordCostsOnlyItsOwnEntryAndLaterFieldsAreSkipped) {
    extras::File file;
    for (std::uint32_t position = 0; position < 3; ++position) file.records[position].captured = 100 + position;
    const Bytes whole = extras::Encode(file);
    constexpr std::size_t kHeader = 20, kRecord = 24;
    struct Case {
        const char* what;
        std::size_t at;
    } cases[] = {{"marker", kHeader + kRecord}, {"length", kHeader + kRecord + 4}, {"payload", kHeader + kRecord + 14}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Bytes damaged = whole;
        damaged[c.at] ^= 0x40;
        extras::File read;
        ASSERT_TRUE(extras::Decode(damaged.data(), damaged.size(), read));
        EXPECT_EQ(read.records.size(), 2u);
        EXPECT_EQ(read.records.count(1), 0u);
        EXPECT_EQ(read.records[2].captured, 102u);
    }
    // A later version's longer payload: the fields known here are read, the rest skipped.
    Bytes longer(whole.begin(), whole.begin() + kHeader);
    const Bytes payload = {7, 0, 0, 0, 9, 0, 0, 0, 0, 0, 0, 0, 0xEE, 0xEE};
    longer.insert(longer.end(), {'Q', 'X', 'R', 'C', 14, 0, 0, 0, 0xD0, 0xE9, 0x2C, 0xCF});
    longer.insert(longer.end(), payload.begin(), payload.end());
    extras::File read;
    ASSERT_TRUE(extras::Decode(longer.data(), longer.size(), read));
    EXPECT_EQ(read.records[7].captured, 9u);
    EXPECT_FALSE(extras::Decode(whole.data(), 10, read)) << "a header cut short is no extras file";
}

TEST(ExtrasFormat, FormatsComeBackWholeAndOnesThatDoNotReadCostOnlyTheFormats) {
    extras::File file;
    extras::Record& record = file.records[4];
    record.captured = 77;
    record.formats.kept = {{u"HTML Format", 0, {'<', 'b', '>'}}, {u"", 15, {1, 2, 3, 4}}};
    record.formats.leftOut = {{u"Rich Text Format", 0, {}}};
    record.formats.label = u"report.docx (+2 more)";
    file.records[5].captured = 78;
    const Bytes bytes = extras::Encode(file);
    extras::File read;
    ASSERT_TRUE(extras::Decode(bytes.data(), bytes.size(), read));
    const extras::Formats& formats = read.records[4].formats;
    ASSERT_EQ(formats.kept.size(), 2u);
    EXPECT_EQ(formats.kept[0].name, u"HTML Format");
    EXPECT_EQ(formats.kept[0].bytes, (Bytes{'<', 'b', '>'}));
    EXPECT_EQ(formats.kept[1].number, 15u);
    EXPECT_EQ(formats.kept[1].bytes, (Bytes{1, 2, 3, 4}));
    ASSERT_EQ(formats.leftOut.size(), 1u);
    EXPECT_EQ(formats.leftOut[0].name, u"Rich Text Format");
    EXPECT_EQ(formats.label, u"report.docx (+2 more)");
    EXPECT_TRUE(read.records[5].formats.Empty());

    // Formats cut short inside a record whose own checksum holds: the time stays.
    Bytes formatsOnly;
    extras::EncodeFormats(record.formats, formatsOnly);
    extras::Formats cut;
    EXPECT_FALSE(extras::DecodeFormats(formatsOnly.data(), formatsOnly.size() - 30, cut));
    formatsOnly[41] ^= 1;  // inside the HTML bytes
    EXPECT_FALSE(extras::DecodeFormats(formatsOnly.data(), formatsOnly.size(), cut));
}

}  // namespace
