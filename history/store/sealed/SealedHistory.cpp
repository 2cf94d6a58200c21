#include "history/store/sealed/SealedHistory.h"

#include <algorithm>
#include <cstring>

namespace sealed_history {

namespace {

constexpr std::uint8_t kMagic[4] = {'Q', 'H', 'S', 'T'};
constexpr std::uint8_t kMarker[4] = {'Q', 'H', 'R', 'C'};
constexpr std::uint32_t kVersion = 2;
constexpr std::size_t kStart = 8;
constexpr std::size_t kHead = 8;

void Put32(std::vector<std::uint8_t>& out, std::uint32_t value)
{
    for (int shift = 0; shift < 32; shift += 8)
        out.push_back(static_cast<std::uint8_t>(value >> shift));
}

std::uint32_t Get32(const std::uint8_t* at)
{
    return static_cast<std::uint32_t>(at[0]) | static_cast<std::uint32_t>(at[1]) << 8 |
           static_cast<std::uint32_t>(at[2]) << 16 | static_cast<std::uint32_t>(at[3]) << 24;
}

// The record at `at` when it opens as `position`: its plain bytes, and where the next one starts.
bool OpenAt(const StoreForm& form, const std::vector<std::uint8_t>& bytes, std::size_t at, std::uint32_t position,
            std::vector<std::uint8_t>& plain, std::size_t& next)
{
    if (bytes.size() - at < kHead || std::memcmp(bytes.data() + at, kMarker, sizeof kMarker) != 0)
        return false;
    const std::uint32_t length = Get32(bytes.data() + at + 4);
    if (length > bytes.size() - at - kHead)
        return false;
    plain.assign(bytes.begin() + static_cast<std::ptrdiff_t>(at + kHead),
                 bytes.begin() + static_cast<std::ptrdiff_t>(at + kHead + length));
    if (!form.Open(SealKind::HistoryRecord, position, plain))
        return false;
    next = at + kHead + length;
    return true;
}

}  // namespace

std::vector<std::uint8_t> EncodeStart()
{
    std::vector<std::uint8_t> out(std::begin(kMagic), std::end(kMagic));
    Put32(out, kVersion);
    return out;
}

bool EncodeRecord(const StoreForm& form, std::uint32_t position, const std::vector<std::uint8_t>& record,
                  std::vector<std::uint8_t>& out)
{
    const std::vector<std::uint8_t> sealed = form.Seal(SealKind::HistoryRecord, position, record);
    if (sealed.empty())
        return false;
    out.insert(out.end(), std::begin(kMarker), std::end(kMarker));
    Put32(out, static_cast<std::uint32_t>(sealed.size()));
    out.insert(out.end(), sealed.begin(), sealed.end());
    return true;
}

bool Decode(const StoreForm& form, const std::vector<std::uint8_t>& bytes, std::vector<std::vector<std::uint8_t>>& records,
            std::vector<bool>& opened)
{
    records.clear();
    opened.clear();
    if (bytes.size() < kStart || std::memcmp(bytes.data(), kMagic, sizeof kMagic) != 0 ||
        Get32(bytes.data() + 4) != kVersion)
        return false;
    std::size_t at = kStart;
    std::vector<std::uint8_t> plain;
    while (at < bytes.size()) {
        const auto position = static_cast<std::uint32_t>(records.size());
        std::size_t next = 0;
        if (OpenAt(form, bytes, at, position, plain, next)) {
            records.push_back(plain);
            opened.push_back(true);
            at = next;
            continue;
        }
        // Damaged: the next marker whose record opens as this position or the next one.
        bool found = false;
        for (std::size_t candidate = at + 1; !found && candidate + kHead <= bytes.size(); ++candidate) {
            candidate = static_cast<std::size_t>(
                std::search(bytes.begin() + static_cast<std::ptrdiff_t>(candidate), bytes.end(), std::begin(kMarker),
                            std::end(kMarker)) -
                bytes.begin());
            if (candidate + kHead > bytes.size())
                break;
            for (std::uint32_t tried : {position, position + 1}) {
                if (OpenAt(form, bytes, candidate, tried, plain, next)) {
                    if (tried != position) {
                        records.emplace_back();
                        opened.push_back(false);
                    }
                    records.push_back(plain);
                    opened.push_back(true);
                    at = next;
                    found = true;
                    break;
                }
            }
        }
        if (!found) {
            // Nothing opens after the damage: the record it hit is gone, and nothing follows.
            records.emplace_back();
            opened.push_back(false);
            break;
        }
    }
    return true;
}

}  // namespace sealed_history
