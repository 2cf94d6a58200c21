// The shared folder's byte format and the merge rules, fed with bytes and
// operations directly: what a sync service can do to a file, and operations
// arriving in every order.
#include <gtest/gtest.h>

#include <algorithm>

#include "history/share/ShareBook.h"
#include "history/share/ShareNames.h"
#include "history/model/FormatsShelf.h"
#include "history/share/OpCodec.h"
#include "history/share/SegmentFormat.h"

namespace {

std::unique_ptr<ShareKey> KeyOf(std::uint8_t fill)
{
    return ShareKey::FromRaw(std::vector<std::uint8_t>(32, fill));
}

ShareId IdOf(std::uint8_t n)
{
    ShareId id;
    id.bytes[15] = n;
    return id;
}

ShareOp Copy(std::uint64_t time, std::uint8_t entry, const wchar_t* text, std::uint8_t pc = 1)
{
    return {OpKind::Copy, {time, 0, IdOf(pc)}, IdOf(entry), time * 10000, std::make_shared<const std::wstring>(text)};
}

ShareOp Op(OpKind kind, std::uint64_t time, std::uint8_t entry, std::uint8_t pc = 1)
{
    return {kind, {time, 0, IdOf(pc)}, entry ? IdOf(entry) : ShareId(), 0, nullptr};
}

struct Segment {
    segment::Header header{segment::Kind::Segment, IdOf(7), 3, L"laptop"};
    std::vector<std::uint8_t> bytes;
    std::vector<std::size_t> frameEnds;
};

Segment ThreeFrames(const ShareKey& key)
{
    Segment made;
    made.bytes = segment::HeaderBytes(made.header);
    for (std::uint32_t frame = 0; frame < 3; ++frame) {
        const std::vector<ShareOp> ops{Copy(100 + frame, static_cast<std::uint8_t>(frame + 1), L"secret text"),
                                       Op(OpKind::Pin, 200 + frame, static_cast<std::uint8_t>(frame + 1))};
        std::vector<std::uint8_t> encoded;
        opcodec::Encode(ops, encoded);
        const std::vector<std::uint8_t> bytes = segment::FrameBytes(key, made.header, frame, encoded, false);
        made.bytes.insert(made.bytes.end(), bytes.begin(), bytes.end());
        made.frameEnds.push_back(made.bytes.size());
    }
    return made;
}

segment::Progress Read(const ShareKey& key, const std::vector<std::uint8_t>& bytes, std::size_t length,
                       std::vector<ShareOp>& ops)
{
    segment::Header header;
    segment::Progress from;
    if (!segment::ParseHeader(bytes.data(), length, header, from.offset))
        return from;
    return segment::ReadFrames(key, header, bytes.data(), length, from, ops);
}

TEST(SegmentFormat, AFileCutAtAnyByteGivesItsWholeFramesOnlyAndReadsOnWhenCompleted)
{
    const auto key = KeyOf(1);
    const Segment made = ThreeFrames(*key);
    for (std::size_t length = 0; length <= made.bytes.size(); ++length) {
        std::vector<ShareOp> ops;
        const segment::Progress read = Read(*key, made.bytes, length, ops);
        const auto whole = static_cast<std::uint32_t>(
            std::count_if(made.frameEnds.begin(), made.frameEnds.end(), [&](std::size_t end) { return end <= length; }));
        ASSERT_EQ(read.frames, whole) << "cut at " << length;
        ASSERT_EQ(ops.size(), 2u * whole);
        if (read.offset == 0)
            continue;  // the header itself is not whole yet
        const bool atBoundary = length == read.offset;
        EXPECT_EQ(read.stop, atBoundary ? segment::Stop::End : segment::Stop::Cut) << "cut at " << length;
        // The rest arrives: reading goes on from where it stopped, and nothing comes twice.
        std::vector<ShareOp> rest;
        segment::Header header;
        std::size_t headerSize = 0;
        ASSERT_TRUE(segment::ParseHeader(made.bytes.data(), made.bytes.size(), header, headerSize));
        const segment::Progress more = segment::ReadFrames(*key, header, made.bytes.data(), made.bytes.size(), read, rest);
        EXPECT_EQ(more.frames, 3u);
        EXPECT_EQ(ops.size() + rest.size(), 6u);
    }
}

TEST(SegmentFormat, AFrameChangedMovedOrSealedWithAnotherKeyIsRefusedAndNothingAfterItIsTaken)
{
    const auto key = KeyOf(1);
    const Segment made = ThreeFrames(*key);
    std::vector<ShareOp> ops;
    EXPECT_EQ(Read(*key, made.bytes, made.bytes.size(), ops).frames, 3u);
    EXPECT_EQ(*ops.front().text, L"secret text");

    struct Case {
        const char* what;
        std::vector<std::uint8_t> bytes;
        const ShareKey* key;
        std::uint32_t frames;
    };
    std::vector<Case> cases;
    std::vector<std::uint8_t> flipped = made.bytes;
    flipped[made.frameEnds[0] + 20] ^= 1;
    cases.push_back({"a byte changed in the second frame", flipped, key.get(), 1});
    const auto other = KeyOf(2);
    cases.push_back({"another key", made.bytes, other.get(), 0});
    // The same frames under another file number (a file renamed, or spliced from another).
    Segment renamed = made;
    renamed.header.number = 4;
    std::vector<std::uint8_t> moved = segment::HeaderBytes(renamed.header);
    moved.insert(moved.end(), made.bytes.begin() + static_cast<std::ptrdiff_t>(segment::HeaderBytes(made.header).size()),
                 made.bytes.end());
    cases.push_back({"frames of another file", moved, key.get(), 0});
    // The second and third frames swapped.
    std::vector<std::uint8_t> swapped(made.bytes.begin(), made.bytes.begin() + static_cast<std::ptrdiff_t>(made.frameEnds[0]));
    swapped.insert(swapped.end(), made.bytes.begin() + static_cast<std::ptrdiff_t>(made.frameEnds[1]), made.bytes.end());
    swapped.insert(swapped.end(), made.bytes.begin() + static_cast<std::ptrdiff_t>(made.frameEnds[0]),
                   made.bytes.begin() + static_cast<std::ptrdiff_t>(made.frameEnds[1]));
    cases.push_back({"frames swapped", swapped, key.get(), 1});
    for (const Case& test : cases) {
        std::vector<ShareOp> taken;
        const segment::Progress read = Read(*test.key, test.bytes, test.bytes.size(), taken);
        EXPECT_EQ(read.stop, segment::Stop::Damaged) << test.what;
        EXPECT_EQ(read.frames, test.frames) << test.what;
        EXPECT_EQ(taken.size(), 2u * test.frames) << test.what;
    }
}

// Formats and pictures as copies carry them: within the limit, named when left out, never in the state.
TEST(OpCodec, CopiesCarryFormatsWithinTheLimitAndPicturesWithTheirBytes)
{
    EntryFormats whole;
    whole.kept.push_back({{EntryFormats::kHtmlName, 0}, std::vector<std::uint8_t>(100, 'h')});
    whole.kept.push_back({{EntryFormats::kRtfName, 0}, std::vector<std::uint8_t>(300, 'r')});
    ShareOp rich = Copy(10, 1, L"rich");
    rich.formats = Shelved(whole);
    ShareOp picture = Copy(20, 2, L"");
    picture.text = nullptr;
    picture.picture = std::make_shared<const SharedPicture>(SharedPicture{L"Picture 4x4", {'B', 'M', 1, 2, 3}});
    opcodec::Content sent;
    sent.formatLimit = 250;
    sent.pc = rich.stamp.pc;
    opcodec::Content kept;
    kept.bytes = false;
    for (const opcodec::Content& content : {sent, kept}) {
        std::vector<std::uint8_t> bytes;
        opcodec::Encode({rich, picture}, bytes, content);
        std::vector<ShareOp> ops;
        ASSERT_TRUE(opcodec::Decode(bytes.data(), bytes.size(), ops));
        ASSERT_EQ(ops.size(), 2u);
        EXPECT_EQ(*ops[0].text, L"rich");
        EXPECT_EQ(ops[0].formats != nullptr, content.bytes) << "the state keeps no formats";
        if (content.bytes) {
            const FormatsShelf::Kept back = KeptBytes(ops[0].formats);
            ASSERT_TRUE(back && back->size() == 1u);
            EXPECT_EQ(back->front().bytes, whole.kept[0].bytes);
            EXPECT_EQ(ops[0].formats->leftOut, std::vector<FormatName>{whole.kept[1].format}) << "over the limit";
        }
        ASSERT_TRUE(ops[1].picture && !ops[1].text);
        EXPECT_EQ(ops[1].picture->label, L"Picture 4x4");
        EXPECT_EQ(ops[1].picture->bmp, content.bytes ? picture.picture->bmp : std::vector<std::uint8_t>());
        for (std::size_t cut = 0; cut < bytes.size(); ++cut)
            ASSERT_FALSE(opcodec::Decode(bytes.data(), cut, ops)) << "cut at " << cut;
    }
}

TEST(ShareNames, OnlyTheNamesQuillaryWritesAreRead)
{
    const struct {
        const wchar_t* name;
        bool read;
    } names[] = {{L"12.qseg", true},
                 {L"3.qsnap", true},
                 {L"12 (1).qseg", false},
                 {L"12.sync-conflict-20260101-120000-ABCDEFG.qseg", false},
                 {L"12 (Laptop's conflicted copy 2026-01-01).qseg", false},
                 {L"12-PC-2.qseg", false},
                 {L"012.qseg", false},
                 {L"12.qseg.tmp", false},
                 {L".qseg", false},
                 {L"12.QSEG", false}};
    for (const auto& item : names) {
        segment::Kind kind;
        std::uint32_t number = 0;
        EXPECT_EQ(sharenames::Parse(item.name, kind, number), item.read)
            << std::string(item.name, item.name + wcslen(item.name));
    }
}

std::vector<std::wstring> TextsOf(const ShareBook& book, bool noRepeats = false)
{
    std::vector<std::wstring> texts;
    for (const BookEntry* entry : book.View(noRepeats))
        texts.push_back((entry->pinned.IsZero() ? L"" : L"^") + *entry->text);
    return texts;
}

TEST(ShareBook, OperationsInEveryOrderGiveTheSameHistory)
{
    const struct {
        const char* what;
        std::vector<ShareOp> ops;
        std::vector<std::wstring> history;  // "^": in the top zone
    } cases[] = {
        {"the latest copy first",
         {Copy(10, 1, L"a"), Copy(20, 2, L"b", 2), Copy(30, 3, L"c")},
         {L"c", L"b", L"a"}},
        {"a copy again moves the entry up",
         {Copy(10, 1, L"a"), Copy(20, 2, L"b", 2), Copy(30, 1, L"a", 2)},
         {L"a", L"b"}},
        {"a removal beats any copy of the entry, even a later one",
         {Copy(10, 1, L"a"), Copy(20, 2, L"b"), Op(OpKind::Remove, 30, 1, 2), Copy(40, 1, L"a")},
         {L"b"}},
        {"pins keep their order at the top",
         {Copy(10, 1, L"a"), Copy(20, 2, L"b"), Copy(30, 3, L"c"), Op(OpKind::Pin, 40, 1, 2), Op(OpKind::Pin, 50, 3)},
         {L"^a", L"^c", L"b"}},
        {"Clear All takes what was copied before it, a later copy stays",
         {Copy(10, 1, L"a"), Copy(20, 2, L"b"), Op(OpKind::ClearBefore, 30, 0, 2), Copy(40, 3, L"c"), Copy(35, 2, L"b")},
         {L"c", L"b"}},
        {"Clear All empties the top zone of older pins, a later pin stays",
         {Copy(10, 1, L"a"), Op(OpKind::Pin, 15, 1), Copy(20, 2, L"b"), Op(OpKind::Pin, 40, 2, 2),
          Op(OpKind::ClearBefore, 30, 0), Copy(50, 1, L"a"), Copy(60, 2, L"b")},
         {L"^b", L"a"}},
        {"a pin before its copy arrives is kept for it",
         {Op(OpKind::Pin, 30, 1, 2), Copy(10, 1, L"a"), Copy(20, 2, L"b")},
         {L"^a", L"b"}},
    };
    for (const auto& test : cases) {
        std::vector<size_t> order(test.ops.size());
        for (size_t i = 0; i < order.size(); ++i)
            order[i] = i;
        do {
            ShareBook book;
            for (size_t i : order)
                book.Apply(test.ops[i]);
            ASSERT_EQ(TextsOf(book), test.history) << test.what;
            // The book as operations (a snapshot) makes the same book elsewhere.
            ShareBook rebuilt;
            for (const ShareOp& op : book.SharedOps())
                rebuilt.Apply(op);
            ASSERT_EQ(TextsOf(rebuilt), test.history) << test.what << ", rebuilt";
        } while (std::next_permutation(order.begin(), order.end()));
    }
}

TEST(ShareBook, UnderNoRepeatsTheSameTextCopiedOnTwoPcsIsOneEntry)
{
    ShareBook book;
    book.Apply(Copy(10, 1, L"same", 1));
    book.Apply(Copy(20, 2, L"other", 1));
    book.Apply(Copy(30, 3, L"same", 2));
    EXPECT_EQ(TextsOf(book, true), (std::vector<std::wstring>{L"same", L"other"}));
    EXPECT_EQ(TextsOf(book, false), (std::vector<std::wstring>{L"same", L"other", L"same"}));
    EXPECT_EQ(book.SameText(*book.Find(IdOf(3))), std::vector<ShareId>{IdOf(1)});
}

}  // namespace
