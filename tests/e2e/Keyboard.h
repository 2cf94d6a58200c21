#pragma once
#include <windows.h>

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <string>
#include <vector>

namespace e2e {

// Presses keys as a user at the keyboard would: xdotool types them on the test's X display,
// and Wine's virtual desktop turns them into hotkeys and keystrokes for the foreground window.
// The keys use xdotool's names, for example "ctrl+shift+f", "Escape", "alt+F4"; several
// combinations separated by blanks are pressed one after the other.
// Succeeds once xdotool has sent them; their effect arrives asynchronously.
::testing::AssertionResult PressKeys(const std::string& keys);

// Holds the key `held` (an xdotool name: "ctrl") down, presses the keys, and lets go of `held`
// only after `holdFor`, as a user slow to lift a finger would. Returns once it is let go.
::testing::AssertionResult PressKeysHolding(const std::string& held, const std::string& keys,
                                            std::chrono::milliseconds holdFor);

// Presses the keys and waits until `done` holds. Wine now and then drops keys typed just
// after a window came to the front: when `done` does not hold within 1.5 s and `untouched`
// still does (not one key arrived), the keys are pressed once more.
::testing::AssertionResult PressKeysUntil(const std::string& keys, const std::function<bool()>& done,
                                          const std::function<bool()>& untouched);

// Presses the keys, then a combination that the driver holds as its own hotkey, and waits
// until that one arrives: the system has then handed out every key before it as well
// (hotkeys posted to their windows, keystrokes queued), so a key that should have had no
// effect has had its chance.
::testing::AssertionResult PressKeysAndWaitDelivered(const std::string& keys);

// Presses the keys (virtual-key codes) one after the other and lets them go in reverse
// order, as the keyboard driver hands them to the foreground window: {VK_CONTROL, VK_CANCEL}
// is Ctrl+Break. Under load Wine's X keyboard focus can stay with the window that had it
// before a summons, and keys from the X server (PressKeys) then reach that window instead.
::testing::AssertionResult TypeToForeground(const std::vector<WORD>& keys);

}  // namespace e2e
