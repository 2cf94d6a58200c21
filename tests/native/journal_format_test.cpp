// The journal and intent files: every change survives a write and a read; a
// torn last frame ends the journal there and nowhere earlier; a damaged frame
// costs its own change, the frames around it stay; a frame that does not fit
// the chain (taken from another journal, planted in copied text) is never read.
#include <gtest/gtest.h>

#include <algorithm>

#include "MemoryStreams.h"
#include "history/store/formats/Crc32.h"
#include "history/store/journal/JournalFormat.h"
#include "history/store/journal/JournalReader.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

std::vector<journal::Record> SampleRecords()
{
    std::vector<journal::Record> records(8);
    records[0].op = journal::Op::InsertText;
    records[0].ids = {0x1122334455667788ull};
    records[0].text = u"plain text\r\nwith a break";
    records[1].op = journal::Op::InsertText;
    records[1].ids = {2};
    records[1].text = u"grüße € 日本 \xD83D\xDE00";
    records[2].op = journal::Op::InsertPicture;
    records[2].ids = {3};
    records[2].text = u"Picture 2 x 1";
    records[2].picture = {'B', 'M', 0, 1, 2, 255};
    records[3].op = journal::Op::SetTop;
    records[3].ids = {3, 1, 0x1122334455667788ull};
    records[4].op = journal::Op::Remove;
    records[4].ids = {2};
    records[5].op = journal::Op::Clear;
    records[6].op = journal::Op::InsertTextWithFormats;
    records[6].ids = {4};
    records[6].text = u"<b>bold</b>";
    records[6].formats = {1, 0, 0, 0, 9, 8, 7};
    records[7].op = journal::Op::MoveBelowTopWithFormats;
    records[7].ids = {4};
    records[7].formats = {0, 0, 0, 0};
    for (std::size_t i = 0; i < records.size(); ++i)
        records[i].time = 132000000000000000ull + i;
    return records;
}

// A journal as the writer leaves it: each frame chained to the one before.
Bytes Journal(const std::vector<journal::Record>& records, std::vector<std::size_t>* frameStarts = nullptr)
{
    journal::Header header;
    header.historySize = 12;
    header.historyCrc = 0xDEADBEEF;
    header.entryCount = 2;
    header.recordIds = {7, 8};
    header.records = {{5, 0x1234}, {7, 0x5678}};
    Bytes bytes = journal::Chained(journal::EncodeStart(header), true, 0);
    std::uint32_t chain = journal::ChainAfter(bytes, true);
    for (const journal::Record& record : records) {
        if (frameStarts)
            frameStarts->push_back(bytes.size());
        const Bytes frame = journal::Chained(journal::EncodeRecord(record), false, chain);
        chain = journal::ChainAfter(frame, false);
        bytes.insert(bytes.end(), frame.begin(), frame.end());
    }
    return bytes;
}

// Reads what the journal yields up to its first bad frame.
std::vector<journal::Record> ReadAll(const Bytes& bytes, journal::Reader::Next& last, std::uint64_t& good)
{
    MemorySource source(bytes);
    journal::Reader reader(source);
    journal::Header header;
    std::vector<journal::Record> records;
    if (!reader.ReadStart(header)) {
        last = journal::Reader::Next::Damaged;
        good = 0;
        return records;
    }
    journal::Record record;
    while ((last = reader.ReadRecord(record)) == journal::Reader::Next::Record)
        records.push_back(record);
    good = reader.GoodLength();
    return records;
}

bool Same(const journal::Record& a, const journal::Record& b)
{
    return a.op == b.op && a.time == b.time && a.ids == b.ids && a.text == b.text && a.picture == b.picture &&
           a.formats == b.formats;
}

TEST(JournalFormat, EveryChangeAndTheHeaderSurviveAWriteAndARead)
{
    const auto records = SampleRecords();
    const Bytes bytes = Journal(records);
    MemorySource source(bytes);
    journal::Reader reader(source);
    journal::Header header;
    ASSERT_TRUE(reader.ReadStart(header));
    EXPECT_EQ(12u, header.historySize);
    EXPECT_EQ(0xDEADBEEFu, header.historyCrc);
    EXPECT_EQ(2, header.entryCount);
    EXPECT_EQ((std::vector<std::uint64_t>{7, 8}), header.recordIds);
    EXPECT_EQ((std::vector<journal::RecordCheck>{{5, 0x1234}, {7, 0x5678}}), header.records);
    for (const journal::Record& expected : records) {
        journal::Record read;
        ASSERT_EQ(journal::Reader::Next::Record, reader.ReadRecord(read));
        EXPECT_TRUE(Same(expected, read)) << static_cast<int>(expected.op);
    }
    journal::Record none;
    EXPECT_EQ(journal::Reader::Next::End, reader.ReadRecord(none));
    EXPECT_EQ(bytes.size(), reader.GoodLength());

    // The direct text encoding is the same frame as a text record's.
    EXPECT_EQ(journal::EncodeRecord(records[1]),
              journal::EncodeTextInsert(records[1].time, records[1].ids[0], records[1].text));
    EXPECT_EQ(journal::EncodeRecord(records[6]),
              journal::EncodeTextInsert(records[6].time, records[6].ids[0], records[6].text, records[6].formats));
    // ASCII texts take a byte a character.
    EXPECT_LT(journal::EncodeTextInsert(0, 1, std::u16string(1000, u'a')).size(), 1100u);
}

TEST(JournalFormat, ATornLastRecordIsDroppedAloneWhereverTheCutFalls)
{
    const auto records = SampleRecords();
    std::vector<std::size_t> starts;
    const Bytes whole = Journal(records, &starts);
    for (std::size_t cut = starts.back() + 1; cut < whole.size(); ++cut) {
        const Bytes torn(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(cut));
        journal::Reader::Next last;
        std::uint64_t good = 0;
        const auto read = ReadAll(torn, last, good);
        ASSERT_EQ(records.size() - 1, read.size()) << cut;
        EXPECT_EQ(journal::Reader::Next::Damaged, last);
        EXPECT_EQ(starts.back(), good);
    }
}

TEST(JournalFormat, ADamagedFrameCostsItsOwnChangeWhicheverFieldItHitsAndADamagedHeaderRefusesTheJournal)
{
    const auto records = SampleRecords();
    std::vector<std::size_t> starts;
    const Bytes whole = Journal(records, &starts);
    const struct {
        const char* what;
        std::size_t at;
    } hits[] = {{"its length", starts[2] + 1}, {"its CRC", starts[2] + 5}, {"its payload", starts[2] + 12}};
    for (const auto& hit : hits) {
        Bytes damaged = whole;
        damaged[hit.at] ^= 0x40;
        journal::Reader::Next last;
        std::uint64_t good = 0;
        const auto read = ReadAll(damaged, last, good);
        ASSERT_EQ(records.size() - 1, read.size()) << hit.what;
        for (std::size_t i = 0, j = 0; i < records.size(); ++i) {
            if (i != 2)
                EXPECT_TRUE(Same(records[i], read[j++])) << hit.what << " " << i;
        }
        EXPECT_EQ(journal::Reader::Next::End, last) << hit.what;
        EXPECT_EQ(whole.size(), good) << hit.what;
    }
    journal::Reader::Next last;
    std::uint64_t good = 0;

    Bytes header = whole;
    header[10] ^= 0x01;
    EXPECT_TRUE(ReadAll(header, last, good).empty());
    EXPECT_EQ(journal::Reader::Next::Damaged, last);
    EXPECT_TRUE(ReadAll(Bytes(whole.begin(), whole.begin() + 5), last, good).empty());
}

TEST(JournalFormat, FramesThatDoNotFitTheChainAreNeverRead)
{
    const auto records = SampleRecords();
    std::vector<std::size_t> starts;
    const Bytes whole = Journal(records, &starts);
    // Another journal's frame put in between, its CRC whole but chained to that journal's frames.
    journal::Record planted;
    planted.op = journal::Op::Clear;
    planted.time = 1;
    const Bytes frame = journal::EncodeRecord(planted);
    Bytes foreign = whole;
    foreign.insert(foreign.begin() + static_cast<std::ptrdiff_t>(starts[3]), frame.begin(), frame.end());
    journal::Reader::Next last;
    std::uint64_t good = 0;
    auto read = ReadAll(foreign, last, good);
    EXPECT_EQ(records.size(), read.size());
    EXPECT_TRUE(std::none_of(read.begin(), read.end(), [](const journal::Record& r) { return r.time == 1; }));

    // A whole frame inside a copied text, stepped into after a damaged length: it would need the chain.
    journal::Record carrier;
    carrier.op = journal::Op::InsertText;
    carrier.ids = {9};
    carrier.text = std::u16string(frame.begin(), frame.end());
    Bytes planting = Journal({records[0], carrier, records[1]}, &starts);
    planting[starts[1]] ^= 0x01;
    read = ReadAll(planting, last, good);
    ASSERT_EQ(2u, read.size());
    EXPECT_TRUE(Same(records[0], read[0]));
    EXPECT_TRUE(Same(records[1], read[1]));
}

TEST(JournalFormat, AJournalOfTheFirstVersionIsStillRead)
{
    const auto records = SampleRecords();
    // The start without record checks, version 1, every CRC over its payload alone.
    journal::Header header;
    header.historySize = 12;
    header.recordIds = {7};
    Bytes bytes = journal::EncodeStart(header);
    bytes[4] = 1;
    const std::size_t length = bytes[8] | bytes[9] << 8;
    bytes.resize(bytes.size() - 4);
    const std::size_t payload = length - 4;
    bytes[8] = static_cast<std::uint8_t>(payload);
    bytes[9] = static_cast<std::uint8_t>(payload >> 8);
    const std::uint32_t crc = Crc32::Of(bytes.data() + 16, payload);
    for (int i = 0; i < 4; ++i)
        bytes[12 + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(crc >> (8 * i));
    for (const journal::Record& record : records) {
        const Bytes frame = journal::EncodeRecord(record);
        bytes.insert(bytes.end(), frame.begin(), frame.end());
    }
    journal::Reader::Next last;
    std::uint64_t good = 0;
    EXPECT_EQ(records.size(), ReadAll(bytes, last, good).size());
    EXPECT_EQ(journal::Reader::Next::End, last);
}

TEST(JournalFormat, IntentSurvivesAWriteAndAnyDamageRefusesIt)
{
    journal::Intent intent;
    intent.moves = {{u"data.data.1.qtmp", u"data.data"}, {u"3.dat.1.qtmp", u"3.dat"}};
    intent.deletes = {u"4.dat", u"00000000000000ff.fmt"};
    const Bytes bytes = journal::EncodeIntent(intent);
    journal::Intent read;
    ASSERT_TRUE(journal::DecodeIntent(bytes, read));
    EXPECT_EQ(intent.moves, read.moves);
    EXPECT_EQ(intent.deletes, read.deletes);
    for (std::size_t cut = 0; cut < bytes.size(); ++cut)
        EXPECT_FALSE(journal::DecodeIntent(Bytes(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(cut)), read));
    for (std::size_t at = 0; at < bytes.size(); ++at) {
        Bytes damaged = bytes;
        damaged[at] ^= 0x10;
        EXPECT_FALSE(journal::DecodeIntent(damaged, read)) << at;
    }
}

TEST(JournalFormat, IntentNamesAreOursOnlyForTheSetsFilesAndTheirOwnTemporaries)
{
    struct Case {
        const char16_t* from;
        const char16_t* to;
        bool ours;
    };
    const Case cases[] = {
        {u"data.data.12-3.qtmp", u"data.data", true},
        {u"imgOption.data.12-3.qtmp", u"imgOption.data", true},
        {u"data.journal.4294967295-1.qtmp", u"data.journal", true},
        {u"0.dat.1-1.qtmp", u"0.dat", true},
        {u"117.dat.1-22.qtmp", u"117.dat", true},
        {u"data.data.12-3.qtmp", u"..\\data.data", false},
        {u"..\\data.data.12-3.qtmp", u"data.data", false},
        {u"data.data.12-3.qtmp", u"sub/data.data", false},
        {u"data.data.12-3.qtmp", u"C:data.data", false},
        {u"data.data.12-3.qtmp", u"data.data:stream", false},
        {u"data.data.12-3.qtmp", u"quillary.exe", false},
        {u"x.dat.1-1.qtmp", u"x.dat", false},
        {u".dat.1-1.qtmp", u".dat", false},
        {u"1.dat.1-1.qtmp", u"2.dat", false},
        {u"data.data.12-3.qtmp", u"imgOption.data", false},
        {u"data.data.1.qtmp", u"data.data", false},
        {u"data.data.1-.qtmp", u"data.data", false},
        {u"data.data.-1.qtmp", u"data.data", false},
        {u"data.data.1-2-3.qtmp", u"data.data", false},
        {u"data.data.1-2.tmp", u"data.data", false},
        {u"data.data.1-2.qtmp\\x", u"data.data", false},
        {u"data.data", u"data.data", false},
        {u"", u"", false},
    };
    for (const Case& c : cases) {
        journal::Intent intent;
        intent.moves = {{u"data.data.1-1.qtmp", u"data.data"}, {c.from, c.to}};
        EXPECT_EQ(c.ours, journal::IntentNamesAreOurs(intent))
            << std::string(c.from, c.from + std::char_traits<char16_t>::length(c.from)) << " -> "
            << std::string(c.to, c.to + std::char_traits<char16_t>::length(c.to));
    }
    EXPECT_TRUE(journal::IntentNamesAreOurs(journal::Intent()));
    // The files a set leaves stale are files of the set too, and nothing else.
    for (const auto& stale : {std::make_pair(u"3.qdat", true), std::make_pair(u"data.journal", true),
                              std::make_pair(u"00ff00ff00ff00ff.fmt", true), std::make_pair(u"00ff00ff00ff00ff.qfmt", true),
                              std::make_pair(u"00FF00FF00FF00FF.fmt", false), std::make_pair(u"ff.fmt", false),
                              std::make_pair(u"..\\data.data", false), std::make_pair(u"quillary.exe", false)}) {
        journal::Intent intent;
        intent.deletes = {stale.first};
        EXPECT_EQ(stale.second, journal::IntentNamesAreOurs(intent))
            << std::string(stale.first, stale.first + std::char_traits<char16_t>::length(stale.first));
    }
}

TEST(Crc32, KnownValueAndPiecewiseUpdate)
{
    const char text[] = "123456789";
    EXPECT_EQ(0xCBF43926u, Crc32::Of(text, 9));
    Crc32 pieces;
    pieces.Update(text, 4);
    pieces.Update(text + 4, 5);
    EXPECT_EQ(0xCBF43926u, pieces.Value());
}

}  // namespace
