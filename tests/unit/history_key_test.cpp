// The data folder's key: a sealed record opens only whole, unchanged, and as
// the kind and id it was sealed to; a key file opens only when its wrapped key
// passes its own check record.
#include <gtest/gtest.h>

#include "history/store/sealed/HistoryKey.h"

#include <cstdint>
#include <memory>
#include <vector>

namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes Pattern(std::size_t size)
{
    Bytes bytes(size);
    for (std::size_t i = 0; i < size; ++i)
        bytes[i] = static_cast<std::uint8_t>(i * 31 + 7);
    return bytes;
}

// A key file's parts, read independently of the product: "QKEY", version, wrapped key, check.
struct KeyFileParts {
    Bytes wrapped;
    Bytes check;
};

// Empty parts when the lengths do not fit the file.
KeyFileParts Split(const Bytes& file)
{
    auto u32 = [&](std::size_t at) {
        return std::uint32_t(file[at]) | std::uint32_t(file[at + 1]) << 8 | std::uint32_t(file[at + 2]) << 16 |
               std::uint32_t(file[at + 3]) << 24;
    };
    if (file.size() < 16 || file.size() - 16 < u32(8))
        return {};
    const std::size_t wrappedEnd = 12 + u32(8);
    return {Bytes(file.begin() + 12, file.begin() + wrappedEnd), Bytes(file.begin() + wrappedEnd + 4, file.end())};
}

Bytes Join(const Bytes& wrapped, const Bytes& check)
{
    Bytes file = {'Q', 'K', 'E', 'Y', 2, 0, 0, 0};
    for (const Bytes* part : {&wrapped, &check}) {
        const auto size = static_cast<std::uint32_t>(part->size());
        for (int shift = 0; shift < 32; shift += 8)
            file.push_back(static_cast<std::uint8_t>(size >> shift));
        file.insert(file.end(), part->begin(), part->end());
    }
    return file;
}

TEST(HistoryKeyTest, AChangedMovedOrTruncatedRecordIsRefused)
{
    const auto key = HistoryKey::Create();
    ASSERT_TRUE(key);
    const Bytes plain = Pattern(100);
    const Bytes sealed = key->Seal(SealKind::JournalFrame, 7, 40, plain.data(), plain.size());
    ASSERT_EQ(128u, sealed.size());
    // A fresh nonce each time: the same text never seals to the same bytes.
    EXPECT_NE(sealed, key->Seal(SealKind::JournalFrame, 7, 40, plain.data(), plain.size()));
    Bytes whole;
    ASSERT_TRUE(key->Open(SealKind::JournalFrame, 7, 40, sealed.data(), sealed.size(), whole));
    EXPECT_EQ(plain, whole);
    const struct {
        const char* what;
        SealKind kind;
        std::uint64_t id;
        std::uint64_t set;
        std::size_t flipByte;  // sealed.size() for none
        std::size_t length;
    } cases[] = {
        {"a bit of the nonce", SealKind::JournalFrame, 7, 40, 3, 128},
        {"a bit of the ciphertext", SealKind::JournalFrame, 7, 40, 60, 128},
        {"a bit of the tag", SealKind::JournalFrame, 7, 40, 127, 128},
        {"another kind", SealKind::JournalStart, 7, 40, 128, 128},
        {"another id", SealKind::JournalFrame, 8, 40, 128, 128},
        {"an id differing in its top byte", SealKind::JournalFrame, 7 | 1ull << 56, 40, 128, 128},
        {"an earlier set (rolled back)", SealKind::JournalFrame, 7, 39, 128, 128},
        {"a later set", SealKind::JournalFrame, 7, 41, 128, 128},
        {"the last byte cut", SealKind::JournalFrame, 7, 40, 128, 127},
        {"shorter than nonce and tag", SealKind::JournalFrame, 7, 40, 128, 27},
        {"nothing", SealKind::JournalFrame, 7, 40, 128, 0},
    };
    for (const auto& c : cases) {
        Bytes changed = sealed;
        if (c.flipByte < changed.size())
            changed[c.flipByte] ^= 0x10;
        Bytes opened = {9};
        EXPECT_FALSE(key->Open(c.kind, c.id, c.set, changed.data(), c.length, opened)) << c.what;
        EXPECT_TRUE(opened.empty()) << c.what;
    }
    // Sealed before sets were counted, it opens only as that.
    Bytes opened;
    EXPECT_FALSE(key->Open(SealKind::JournalFrame, 7, sealed.data(), sealed.size(), opened));
}

TEST(HistoryKeyTest, ADamagedOrMixedKeyFileIsUnopenable)
{
    const auto mine = HistoryKey::Create();
    const auto theirs = HistoryKey::Create();
    ASSERT_TRUE(mine && theirs);
    const Bytes file = mine->FileBytes(7);
    const KeyFileParts a = Split(file);
    const KeyFileParts b = Split(theirs->FileBytes(7));
    ASSERT_EQ(file, Join(a.wrapped, a.check));  // the test's reading of the layout is the product's
    // The set number is kept under the key: the file says which set it belongs to.
    std::unique_ptr<HistoryKey> read;
    std::uint64_t set = 0;
    bool counted = false;
    ASSERT_EQ(HistoryKey::OpenResult::Opened, HistoryKey::FromFileBytes(file, read, &set, &counted));
    EXPECT_EQ(7u, set);
    EXPECT_TRUE(counted);

    auto flipped = [](Bytes bytes, std::size_t at) { bytes[at] ^= 0x01; return bytes; };
    const struct {
        const char* what;
        Bytes bytes;
    } cases[] = {
        {"another key's wrapped key with this check", Join(b.wrapped, a.check)},
        {"this wrapped key with another key's check", Join(a.wrapped, b.check)},
        {"this key with its check as version 1, which holds no set", [&] {
             Bytes first = Join(a.wrapped, a.check);
             first[4] = 1;
             return first;
         }()},

        {"a bit of the check record", Join(a.wrapped, flipped(a.check, a.check.size() - 1))},
        {"the last byte cut", Bytes(file.begin(), file.end() - 1)},
        {"a byte after the end", [&] { Bytes longer = file; longer.push_back(0); return longer; }()},
        {"the magic alone", Bytes(file.begin(), file.begin() + 4)},
        {"another magic", flipped(file, 0)},
        {"another version", flipped(file, 5)},
        {"a wrapped key longer than the file", [&] { Bytes huge = file; huge[11] = 0xFF; return huge; }()},
        {"garbage", Pattern(200)},
        {"nothing", Bytes()},
    };
    for (const auto& c : cases) {
        std::unique_ptr<HistoryKey> key = HistoryKey::Create();
        EXPECT_EQ(HistoryKey::OpenResult::Unopenable, HistoryKey::FromFileBytes(c.bytes, key)) << c.what;
        EXPECT_FALSE(key) << c.what;
    }

    // A changed wrapped key: Windows refuses it, Wine may unwrap it to wrong
    // bytes (then the check refuses it) or, where the change misses the key, to
    // the right ones. It never opens as a different key.
    const Bytes plain = Pattern(20);
    const Bytes sealed = mine->Seal(SealKind::History, 1, 7, plain.data(), plain.size());
    int refused = 0;
    for (std::size_t at = 0; at < a.wrapped.size(); ++at) {
        std::unique_ptr<HistoryKey> key;
        const Bytes changed = Join(flipped(a.wrapped, at), a.check);
        if (HistoryKey::FromFileBytes(changed, key) == HistoryKey::OpenResult::Unopenable) {
            ++refused;
            continue;
        }
        Bytes opened;
        EXPECT_TRUE(key->Open(SealKind::History, 1, 7, sealed.data(), sealed.size(), opened)) << "byte " << at;
    }
    EXPECT_GT(refused, 0);
}

}  // namespace
