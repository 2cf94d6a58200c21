#pragma once
#include <windows.h>

#include <cstdint>
#include <vector>

// Zeroes a buffer of secret bytes when the scope ends, on every path, so a key
// does not linger in freed memory. The buffer must not grow while guarded: a
// reallocation would leave the old copy behind.
class WipeGuard {
public:
    explicit WipeGuard(std::vector<std::uint8_t>& bytes) : m_bytes(bytes) {}
    ~WipeGuard()
    {
        if (!m_bytes.empty())
            SecureZeroMemory(m_bytes.data(), m_bytes.size());
    }
    WipeGuard(const WipeGuard&) = delete;
    WipeGuard& operator=(const WipeGuard&) = delete;

private:
    std::vector<std::uint8_t>& m_bytes;
};
