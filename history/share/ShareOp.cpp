#include "history/share/ShareOp.h"

#include <windows.h>

#include <algorithm>
#include <tuple>

#include "framework/AesGcm.h"

namespace {

// Random bytes drawn a batch at a time: one call to the system per 256 ids.
bool TakeRandom(ShareId& id)
{
    thread_local std::array<std::uint8_t, 16 * 256> batch;
    thread_local size_t used = batch.size();
    if (used == batch.size()) {
        if (!RandomBytes(batch.data(), batch.size()))
            return false;
        used = 0;
    }
    std::copy_n(batch.begin() + static_cast<std::ptrdiff_t>(used), 16, id.bytes.begin());
    SecureZeroMemory(batch.data() + used, 16);
    used += 16;
    return true;
}

}  // namespace

ShareId ShareId::Random()
{
    ShareId id;
    // A failed random source must not hand out the same id twice: the clock's bits stand in.
    while (!TakeRandom(id) || id.IsZero()) {
        const auto tick = static_cast<std::uint64_t>(GetTickCount64()) ^ reinterpret_cast<std::uintptr_t>(&id);
        for (int i = 0; i < 8; ++i)
            id.bytes[static_cast<size_t>(i)] ^= static_cast<std::uint8_t>(tick >> (8 * i));
        if (!id.IsZero())
            break;
    }
    return id;
}

bool ShareId::IsZero() const
{
    for (std::uint8_t b : bytes)
        if (b)
            return false;
    return true;
}

std::wstring ShareId::Hex() const
{
    static const wchar_t kDigits[] = L"0123456789abcdef";
    std::wstring hex;
    hex.reserve(32);
    for (std::uint8_t b : bytes) {
        hex.push_back(kDigits[b >> 4]);
        hex.push_back(kDigits[b & 15]);
    }
    return hex;
}

bool ShareId::FromHex(const std::wstring& hex, ShareId& id)
{
    if (hex.size() != 32)
        return false;
    for (size_t i = 0; i < 32; ++i) {
        const wchar_t c = hex[i];
        int v = -1;
        if (c >= L'0' && c <= L'9')
            v = c - L'0';
        else if (c >= L'a' && c <= L'f')
            v = c - L'a' + 10;
        if (v < 0)
            return false;
        auto& b = id.bytes[i / 2];
        b = static_cast<std::uint8_t>(i % 2 ? (b & 0xF0) | v : v << 4);
    }
    return true;
}

bool Stamp::operator<(const Stamp& other) const
{
    return std::tie(time, count, pc) < std::tie(other.time, other.count, other.pc);
}
