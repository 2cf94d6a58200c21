#pragma once
// SHA-256 over the system's CNG (BCrypt): content hashes, key fingerprints,
// and keys derived from a passphrase.
#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

using Sha256Digest = std::array<std::uint8_t, 32>;

// False only when the system refuses (the digest is then all zero).
bool Sha256(const void* data, std::size_t len, Sha256Digest& digest);

// PBKDF2 with HMAC-SHA256: `keyLen` bytes from the passphrase's bytes and the
// salt after `rounds` rounds. False when the system refuses; `key` is then empty.
bool Pbkdf2Sha256(const std::vector<std::uint8_t>& passphrase, const std::vector<std::uint8_t>& salt,
                  std::uint64_t rounds, std::size_t keyLen, std::vector<std::uint8_t>& key);
