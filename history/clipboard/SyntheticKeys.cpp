#include "history/clipboard/SyntheticKeys.h"

#include <algorithm>

namespace {

constexpr WORD kModifiers[] = {VK_LSHIFT, VK_RSHIFT, VK_LCONTROL, VK_RCONTROL, VK_LMENU, VK_RMENU, VK_LWIN, VK_RWIN};
constexpr DWORD kPollMs = 10;

bool IsExtended(WORD key)
{
    switch (key) {
    case VK_RCONTROL:
    case VK_RMENU:
    case VK_LWIN:
    case VK_RWIN:
    case VK_INSERT:
    case VK_DELETE:
        return true;
    default:
        return false;
    }
}

INPUT Key(WORD key, bool up)
{
    INPUT input = {};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = key;
    // Terminals and remote desktops read the scan code; Insert without the
    // extended flag would be the keypad's 0.
    input.ki.wScan = static_cast<WORD>(MapVirtualKeyW(key, MAPVK_VK_TO_VSC));
    input.ki.dwFlags = (up ? KEYEVENTF_KEYUP : 0) | (IsExtended(key) ? KEYEVENTF_EXTENDEDKEY : 0);
    return input;
}

INPUT Unicode(wchar_t unit, bool up)
{
    INPUT input = {};
    input.type = INPUT_KEYBOARD;
    input.ki.wScan = unit;
    input.ki.dwFlags = KEYEVENTF_UNICODE | (up ? KEYEVENTF_KEYUP : 0);
    return input;
}

// The modifiers and the key of a paste key.
std::vector<WORD> ChordOf(PasteKey key)
{
    switch (key) {
    case PasteKey::ShiftInsert:
        return {VK_LSHIFT, VK_INSERT};
    case PasteKey::CtrlShiftV:
        return {VK_LCONTROL, VK_LSHIFT, 'V'};
    case PasteKey::CtrlV:
        break;
    }
    return {VK_LCONTROL, 'V'};
}

// Left and right of one modifier are one modifier to a program.
WORD Generic(WORD key)
{
    switch (key) {
    case VK_LSHIFT:
    case VK_RSHIFT:
        return VK_SHIFT;
    case VK_LCONTROL:
    case VK_RCONTROL:
        return VK_CONTROL;
    case VK_LMENU:
    case VK_RMENU:
        return VK_MENU;
    default:
        return key;
    }
}

}  // namespace

std::vector<WORD> SyntheticKeys::HeldModifiers()
{
    std::vector<WORD> held;
    for (WORD key : kModifiers) {
        if (GetAsyncKeyState(key) & 0x8000)
            held.push_back(key);
    }
    return held;
}

std::vector<WORD> SyntheticKeys::WaitForModifiersReleased(DWORD timeoutMs)
{
    const ULONGLONG start = GetTickCount64();
    std::vector<WORD> held = HeldModifiers();
    while (!held.empty() && GetTickCount64() - start < timeoutMs) {
        Sleep(kPollMs);
        held = HeldModifiers();
    }
    return held;
}

std::vector<INPUT> SyntheticKeys::PasteKeyInputs(PasteKey key, const std::vector<WORD>& held)
{
    const std::vector<WORD> chord = ChordOf(key);
    const std::vector<WORD> modifiers(chord.begin(), chord.end() - 1);
    std::vector<INPUT> inputs;
    for (WORD modifier : modifiers)
        inputs.push_back(Key(modifier, false));
    // A held modifier that the chord presses itself goes up with the chord.
    for (WORD down : held) {
        if (std::find(modifiers.begin(), modifiers.end(), down) == modifiers.end())
            inputs.push_back(Key(down, true));
    }
    inputs.push_back(Key(chord.back(), false));
    inputs.push_back(Key(chord.back(), true));
    for (auto modifier = modifiers.rbegin(); modifier != modifiers.rend(); ++modifier)
        inputs.push_back(Key(*modifier, true));
    return inputs;
}

bool SyntheticKeys::SendPasteKey(PasteKey key)
{
    const std::vector<WORD> held = WaitForModifiersReleased();
    if (Send(PasteKeyInputs(key, held)))
        return true;
    // Part of the run may have gone through: no modifier may stay down.
    std::vector<INPUT> release;
    for (WORD modifier : kModifiers)
        release.push_back(Key(modifier, true));
    Send(release);
    return false;
}

std::vector<INPUT> SyntheticKeys::ReleaseInputs(const std::vector<WORD>& held)
{
    std::vector<INPUT> inputs;
    const bool mask = std::any_of(held.begin(), held.end(), [](WORD key) {
        return Generic(key) == VK_MENU || key == VK_LWIN || key == VK_RWIN;
    });
    if (mask)
        inputs.push_back(Key(VK_LCONTROL, false));
    for (WORD key : held) {
        if (!(mask && key == VK_LCONTROL))
            inputs.push_back(Key(key, true));
    }
    if (mask)
        inputs.push_back(Key(VK_LCONTROL, true));
    return inputs;
}

std::vector<INPUT> SyntheticKeys::CharacterInputs(const std::wstring& text, size_t at, size_t& used)
{
    const wchar_t first = text[at];
    if (first == L'\r' || first == L'\n') {
        used = first == L'\r' && at + 1 < text.size() && text[at + 1] == L'\n' ? 2 : 1;
        return {Key(VK_RETURN, false), Key(VK_RETURN, true)};
    }
    const bool pair = first >= 0xD800 && first <= 0xDBFF && at + 1 < text.size() && text[at + 1] >= 0xDC00 &&
                      text[at + 1] <= 0xDFFF;
    used = pair ? 2 : 1;
    std::vector<INPUT> inputs;
    for (size_t i = 0; i < used; ++i) {
        inputs.push_back(Unicode(text[at + i], false));
        inputs.push_back(Unicode(text[at + i], true));
    }
    return inputs;
}

bool SyntheticKeys::Send(std::vector<INPUT> inputs)
{
    if (inputs.empty())
        return true;
    const UINT count = static_cast<UINT>(inputs.size());
    return SendInput(count, inputs.data(), sizeof(INPUT)) == count;
}
