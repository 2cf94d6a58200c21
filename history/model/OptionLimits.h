#pragma once
// The defaults and ranges of the options the history runs by. Plain constants,
// so that the settings file's format and the options dialog share them.
#include <cstdint>

// A hotkey as a hot-key control gives it: the virtual key in the low byte,
// these modifier flags (the control's own values) in the high byte.
constexpr std::int32_t kHotkeyShift = 0x01;
constexpr std::int32_t kHotkeyControl = 0x02;
constexpr std::int32_t kHotkeyAlt = 0x04;
constexpr std::int32_t kHotkeyExtended = 0x08;
constexpr std::int32_t kDefaultSummonHotkey = ((kHotkeyControl | kHotkeyShift) << 8) | 'F';

constexpr std::int32_t kMinHistorySize = 10;
constexpr std::int32_t kMaxHistorySize = 10000;
constexpr std::int32_t kDefaultHistorySize = 1000;

// Entries older than this many days are forgotten; 0 keeps them.
constexpr std::int32_t kMinForgetDays = 1;
constexpr std::int32_t kMaxForgetDays = 365;
// What the options dialog offers when the user turns forgetting on.
constexpr std::int32_t kDefaultForgetDays = 30;

// How much of an entry's kept formats is shared with the other PCs, in KB (1024 bytes); 0 shares the text alone.
constexpr std::int32_t kMinShareFormatsKB = 0;
constexpr std::int32_t kMaxShareFormatsKB = 16384;
constexpr std::int32_t kDefaultShareFormatsKB = 1024;
