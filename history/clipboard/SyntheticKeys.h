#pragma once
#include "history/model/KnownPasteKeys.h"

#include <windows.h>

#include <string>
#include <vector>

// Keys pressed for the user, into whatever program has the keyboard focus.
// The user's own modifier keys may still be down from the key that asked for
// the paste: they would turn Ctrl+V into another shortcut, so the keys wait
// for them, let go of those still held, and leave none of them down.
class SyntheticKeys {
public:
    // How long the user's modifiers are given to come up.
    static constexpr DWORD kModifierWaitMs = 1000;

    // The modifier keys (left and right apart) down now.
    static std::vector<WORD> HeldModifiers();
    // Waits until the user has let go of every modifier, at most `timeoutMs`;
    // returns those still down.
    static std::vector<WORD> WaitForModifiersReleased(DWORD timeoutMs = kModifierWaitMs);

    // The paste key as one run of events: its modifiers down, the held
    // modifiers it does not use let go (after a key is down, so that a lone
    // Alt or Windows key opens no menu), the key down and up, its modifiers up.
    static std::vector<INPUT> PasteKeyInputs(PasteKey key, const std::vector<WORD>& held);
    // Waits for the modifiers, then presses the paste key. False when Windows
    // took fewer events than sent; every modifier is let go then too.
    static bool SendPasteKey(PasteKey key);

    // Lets go of modifiers, masked by a Ctrl press when Alt or a Windows key is among them.
    static std::vector<INPUT> ReleaseInputs(const std::vector<WORD>& held);
    // One character typed as Unicode input (both halves of a surrogate pair
    // when `text` starts with one); a line break (CR LF, CR or LF) is Enter.
    // `used` tells how many UTF-16 units of `text` it took.
    static std::vector<INPUT> CharacterInputs(const std::wstring& text, size_t at, size_t& used);
    // Sends the events; false when Windows took fewer than all.
    static bool Send(std::vector<INPUT> inputs);
};
