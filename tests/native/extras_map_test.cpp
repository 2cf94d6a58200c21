// The extras map and formats files: what a save writes reads back; a damaged
// byte costs one slot or one outline, whichever field it hits, the count in
// the header included; a formats file is read only for its own entry and only
// when every format checks out.
#include <gtest/gtest.h>

#include <string>

#include "history/store/extras/ExtrasMap.h"
#include "history/store/formats/Crc32.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

extras::Map SampleMap()
{
    extras::Map map;
    map.historySize = 0x0102;
    map.historyCrc = 0xA1B2C3D4;
    for (std::uint32_t i = 0; i < 3; ++i) {
        extras::MapEntry entry;
        entry.recordSize = 10 + i;
        entry.recordCrc = 0x100 + i;
        entry.id = 0x1122334455667700ull + i;
        entry.captured = 1000 + i;
        entry.hasOutline = i != 1;
        if (entry.hasOutline) {
            extras::OutlineFormat html{u"HTML Format", 0, 5, Crc32::Of("<b>x<", 5), {}};
            extras::OutlineFormat files{u"", 15, 3, Crc32::Of("abc", 3), {'a', 'b', 'c'}};
            entry.outline.kept = {html, files};
            entry.outline.leftOut = {{u"Rich Text Format", 0, {}}};
            entry.outline.label = u"abc";
        }
        map.entries.push_back(entry);
    }
    return map;
}

void ExpectSame(const extras::MapEntry& a, const extras::MapEntry& b)
{
    EXPECT_EQ(a.recordSize, b.recordSize);
    EXPECT_EQ(a.recordCrc, b.recordCrc);
    EXPECT_EQ(a.id, b.id);
    EXPECT_EQ(a.captured, b.captured);
    ASSERT_EQ(a.hasOutline, b.hasOutline);
    ASSERT_EQ(a.outline.kept.size(), b.outline.kept.size());
    for (std::size_t i = 0; i < a.outline.kept.size(); ++i) {
        EXPECT_EQ(a.outline.kept[i].name, b.outline.kept[i].name);
        EXPECT_EQ(a.outline.kept[i].size, b.outline.kept[i].size);
        EXPECT_EQ(a.outline.kept[i].crc, b.outline.kept[i].crc);
        EXPECT_EQ(a.outline.kept[i].bytes, b.outline.kept[i].bytes);
    }
    EXPECT_EQ(a.outline.label, b.outline.label);
}

TEST(ExtrasMap, WhatASaveWritesReadsBackWithItsHeaderAndSlotsWhereTheyBelong)
{
    const extras::Map map = SampleMap();
    const Bytes bytes = extras::EncodeMap(map, extras::PlainSeals());
    // "QXTR", version 2, the history file's size and CRC, the count, the CRC of these; then fixed slots.
    ASSERT_GE(bytes.size(), extras::kMapHeaderSize + 3 * (4 + extras::kSlotFields));
    const Bytes head = {'Q', 'X', 'T', 'R', 2, 0, 0, 0, 0x02, 0x01, 0, 0, 0, 0, 0, 0, 0xD4, 0xC3, 0xB2, 0xA1, 3, 0, 0, 0};
    EXPECT_EQ(head, Bytes(bytes.begin(), bytes.begin() + 24));
    const std::uint32_t headCrc = Crc32::Of(head.data(), head.size());
    EXPECT_EQ(headCrc, bytes[24] | bytes[25] << 8 | bytes[26] << 16 | static_cast<std::uint32_t>(bytes[27]) << 24);
    extras::Map read;
    ASSERT_TRUE(extras::DecodeMap(bytes.data(), bytes.size(), extras::PlainSeals(), read));
    EXPECT_EQ(map.historySize, read.historySize);
    EXPECT_EQ(map.historyCrc, read.historyCrc);
    ASSERT_EQ(3u, read.entries.size());
    for (std::size_t i = 0; i < 3; ++i)
        ExpectSame(map.entries[i], read.entries[i]);
}

TEST(ExtrasMap, ADamagedByteCostsOneSlotOrOneOutlineWhicheverFieldItHits)
{
    const extras::Map map = SampleMap();
    const Bytes whole = extras::EncodeMap(map, extras::PlainSeals());
    const std::size_t slot = 4 + extras::kSlotFields;
    const std::size_t second = extras::kMapHeaderSize + slot;
    const std::size_t outlines = extras::kMapHeaderSize + 3 * slot;
    const struct {
        const char* what;
        std::size_t at;
        int slotLost;     // the slot that goes (-1: none)
        int outlineLost;  // the outline that goes (-1: none)
    } cases[] = {
        {"the count", 20, -1, -1},
        {"the count, made smaller", 20, -1, -1},
        {"the header's CRC", 25, -1, -1},
        {"a slot's CRC", second, 1, -1},
        {"a slot's position", second + 4, 1, -1},
        {"a slot's outline length", second + 4 + 40, 1, -1},
        {"the first slot, whose outline comes first", extras::kMapHeaderSize, 0, -1},
        {"the first outline's offset", extras::kMapHeaderSize + 4 + 36, 0, -1},
        {"an outline", outlines + 6, -1, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Bytes damaged = whole;
        damaged[c.at] ^= std::string(c.what).find("smaller") != std::string::npos ? 0x02 : 0x40;
        extras::Map read;
        ASSERT_TRUE(extras::DecodeMap(damaged.data(), damaged.size(), extras::PlainSeals(), read));
        ASSERT_GE(read.entries.size(), 3u);
        for (int i = 0; i < 3; ++i) {
            EXPECT_EQ(i != c.slotLost, read.whole[static_cast<std::size_t>(i)]) << i;
            if (i == c.slotLost)
                continue;
            if (i == c.outlineLost) {
                EXPECT_FALSE(read.entries[static_cast<std::size_t>(i)].hasOutline);
                EXPECT_EQ(map.entries[static_cast<std::size_t>(i)].captured, read.entries[static_cast<std::size_t>(i)].captured);
            } else {
                ExpectSame(map.entries[static_cast<std::size_t>(i)], read.entries[static_cast<std::size_t>(i)]);
            }
        }
        // One damaged byte never adds slots past the records.
        EXPECT_EQ(3u, read.entries.size());
    }
}

TEST(ExtrasMap, AFormatsFileIsReadForItsOwnEntryAndOnlyWhenEveryFormatChecksOut)
{
    const extras::Outline outline = SampleMap().entries[0].outline;
    Bytes file = extras::FormatsFileHead(0x42);
    for (const char* bytes : {"<b>x<", "abc"})
        file.insert(file.end(), bytes, bytes + std::char_traits<char>::length(bytes));
    std::vector<extras::Format> kept;
    ASSERT_TRUE(extras::DecodeFormatsFile(file.data(), file.size(), 0x42, outline, kept));
    ASSERT_EQ(2u, kept.size());
    EXPECT_EQ((Bytes{'<', 'b', '>', 'x', '<'}), kept[0].bytes);
    EXPECT_FALSE(extras::DecodeFormatsFile(file.data(), file.size(), 0x43, outline, kept));
    for (std::size_t at = 0; at < file.size(); ++at) {
        Bytes damaged = file;
        damaged[at] ^= 0x01;
        EXPECT_FALSE(extras::DecodeFormatsFile(damaged.data(), damaged.size(), 0x42, outline, kept)) << at;
    }
    EXPECT_FALSE(extras::DecodeFormatsFile(file.data(), file.size() - 1, 0x42, outline, kept));
}

TEST(ExtrasMap, FormatsFileNamesStandForTheirIds)
{
    std::uint64_t id = 0;
    EXPECT_EQ(L"00000000000000ff.fmt", extras::FormatsFileName(0xFF, false));
    EXPECT_EQ(L"8000000000000001.qfmt", extras::FormatsFileName(0x8000000000000001ull, true));
    ASSERT_TRUE(extras::IdOfFormatsFile(L"8000000000000001.qfmt", id));
    EXPECT_EQ(0x8000000000000001ull, id);
    for (const wchar_t* name : {L"00000000000000FF.fmt", L"ff.fmt", L"00000000000000ff.dat", L"000000000000000g.fmt"})
        EXPECT_FALSE(extras::IdOfFormatsFile(name, id)) << name;
}

}  // namespace
