#pragma once
// The keys that paste, and the programs known to need another key than
// Ctrl+V. Plain data, so that the settings file's format and the options
// share them.
#include <cstdint>

// Stored as these numbers; a number a later version adds is skipped on reading.
enum class PasteKey : std::int32_t {
    CtrlV = 0,
    ShiftInsert = 1,
    CtrlShiftV = 2,
};

constexpr bool IsKnownPasteKey(std::int32_t value)
{
    return value >= static_cast<std::int32_t>(PasteKey::CtrlV) &&
           value <= static_cast<std::int32_t>(PasteKey::CtrlShiftV);
}

// No one lists that many programs; a larger count in a file is damage.
constexpr std::int32_t kMaxPasteKeyPrograms = 1000;

struct KnownPasteKey {
    const char16_t* program;
    PasteKey key;
};

// Terminals that show ^V for Ctrl+V or take their paste on Shift+Insert: the
// Cygwin and MSYS2 terminal, PuTTY and its relatives, and the consoles.
constexpr KnownPasteKey kKnownPasteKeys[] = {
    {u"mintty.exe", PasteKey::ShiftInsert},   {u"putty.exe", PasteKey::ShiftInsert},
    {u"puttytel.exe", PasteKey::ShiftInsert}, {u"kitty.exe", PasteKey::ShiftInsert},
    {u"mobaxterm.exe", PasteKey::ShiftInsert}, {u"rxvt.exe", PasteKey::ShiftInsert},
    {u"conhost.exe", PasteKey::ShiftInsert},  {u"cmd.exe", PasteKey::ShiftInsert},
    {u"powershell.exe", PasteKey::ShiftInsert},
};
