#pragma once
#include <chrono>
#include <functional>

namespace e2e {

// Long enough for a busy machine under Wine; every wait returns as soon as its condition holds.
constexpr std::chrono::milliseconds kWaitTimeout{10000};

// Polls the condition with short pauses until it holds (true) or the time runs out (false).
// Messages sent to this thread are handled meanwhile, so other processes never block on us.
bool WaitUntil(const std::function<bool()>& condition, std::chrono::milliseconds timeout = kWaitTimeout);

}  // namespace e2e
