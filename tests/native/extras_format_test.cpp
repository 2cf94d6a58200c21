// The extras file: its bytes, a damaged record that costs only its own entry, and the index a start reads.
#include <gtest/gtest.h>

#include "history/store/extras/ExtrasFormat.h"
#include "history/store/extras/ExtrasIndex.h"

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

// A start reads what each entry's formats are without their bytes; the bytes
// are checked by the record's CRC-32 when they are read.
class CountingSource : public extras::Source {
public:
    explicit CountingSource(const Bytes& bytes) : m_bytes(bytes) {}
    std::uint64_t Size() const override { return m_bytes.size(); }
    bool ReadAt(std::uint64_t offset, std::uint8_t* out, std::size_t count) const override {
        if (offset > m_bytes.size() || m_bytes.size() - offset < count) return false;
        std::copy(m_bytes.begin() + static_cast<std::ptrdiff_t>(offset),
                  m_bytes.begin() + static_cast<std::ptrdiff_t>(offset + count), out);
        read += count;
        return true;
    }
    mutable std::size_t read = 0;

private:
    const Bytes& m_bytes;
};

TEST(ExtrasIndex, ReadsOutlinesWithoutTheBytesAndFallsBackToWholeRecords) {
    extras::File file;
    for (std::uint32_t position = 0; position < 20; ++position) {
        extras::Record& record = file.records[position];
        record.captured = 1000 + position;
        record.formats.kept = {{u"HTML Format", 0, Bytes(200000, static_cast<std::uint8_t>(position))},
                               {u"", 15, {1, 2, 3, 4}}};
        record.formats.label = u"a.txt";
    }
    const Bytes whole = extras::Encode(file);
    const auto keepFiles = [](const extras::Format& format) { return format.number == 15; };
    const std::size_t record = (whole.size() - 20) / 20, second = 20 + record;
    struct Case {
        const char* what;
        std::size_t at;           // the byte flipped, 0: none
        bool secondIndexed;       // its time and outline still read
        bool secondBytesCheckOut;  // its formats still read back whole
    } cases[] = {{"whole", 0, true, true},
                 {"HTML bytes", second + 12 + 16 + 36 + 100, true, false},
                 {"format name", second + 12 + 16 + 5, false, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Bytes bytes = whole;
        if (c.at) bytes[c.at] ^= 0x20;
        CountingSource source(bytes);
        extras::Index index;
        ASSERT_TRUE(extras::IndexRecords(source, keepFiles, index));
        EXPECT_EQ(index.records.size(), c.secondIndexed ? 20u : 19u);
        EXPECT_LT(source.read, bytes.size() / 4) << "the formats' bytes are not read at start";
        const extras::IndexedRecord& last = index.records.at(19);
        EXPECT_EQ(last.captured, 1019u);
        ASSERT_EQ(last.outline.kept.size(), 2u);
        EXPECT_TRUE(last.outline.kept[0].bytes.empty());
        EXPECT_EQ(last.outline.kept[1].bytes, (Bytes{1, 2, 3, 4}));
        EXPECT_EQ(last.outline.label, u"a.txt");
        if (!c.secondIndexed) continue;
        extras::Formats read;
        EXPECT_EQ(extras::ReadRecordFormats(source, index.records.at(1).span, read), c.secondBytesCheckOut);
        if (c.secondBytesCheckOut) {
            EXPECT_EQ(read.kept.at(0).bytes, file.records[1].formats.kept[0].bytes);
        }
    }

    // An earlier layout without the outline's CRC-32 is read whole and checked.
    Bytes earlier = extras::EncodeHeader(0, 0);
    Bytes payload = {5, 0, 0, 0, 9, 0, 0, 0, 0, 0, 0, 0};
    extras::EncodeFormats(file.records[0].formats, payload);
    const Bytes head = {'Q', 'X', 'R', 'C'};
    earlier.insert(earlier.end(), head.begin(), head.end());
    const std::uint32_t length = static_cast<std::uint32_t>(payload.size()), crc = Crc32::Of(payload.data(), length);
    for (int b = 0; b < 4; ++b) earlier.push_back(static_cast<std::uint8_t>(length >> (8 * b)));
    for (int b = 0; b < 4; ++b) earlier.push_back(static_cast<std::uint8_t>(crc >> (8 * b)));
    earlier.insert(earlier.end(), payload.begin(), payload.end());
    extras::Index index;
    ASSERT_TRUE(extras::IndexRecords(CountingSource(earlier), keepFiles, index));
    ASSERT_EQ(index.records.count(5), 1u);
    EXPECT_EQ(index.records[5].captured, 9u);
    EXPECT_EQ(index.records[5].outline.kept.size(), 2u);
}

}  // namespace
