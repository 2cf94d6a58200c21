#pragma once
// Secrets wrapped by the system (DPAPI) for the current user only: another
// user, or the same files on another machine, cannot unwrap them.
#include <cstdint>
#include <vector>

// Wraps `secret` for the current user, bound to `entropy` (may be empty).
// Never asks the user anything; false when the system refuses.
bool ProtectForUser(const std::vector<std::uint8_t>& secret, const std::vector<std::uint8_t>& entropy,
                    std::vector<std::uint8_t>& blob);

// Unwraps a blob of ProtectForUser with the same entropy; false when the
// system refuses. Some systems (Wine) return wrong bytes for a damaged blob
// instead of failing, so a caller checks what it gets.
bool UnprotectForUser(const std::vector<std::uint8_t>& blob, const std::vector<std::uint8_t>& entropy,
                      std::vector<std::uint8_t>& secret);
