#pragma once

// The popup's caption. A top-level window bearing exactly this title marks a
// running copy, so start-up and the popup must use this one constant.
inline constexpr const wchar_t* kSingleInstanceTitle = L"Quillary(Press 'CTRL+ SHIFT + F' call me!)";
