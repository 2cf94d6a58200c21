#pragma once
#include <windows.h>

namespace e2e {

// What a user and other programs can rely on, written down here independently of the
// product's own sources so that a slip there shows up as a failure.
inline constexpr wchar_t kPopupTitle[] = L"Quillary(Press 'CTRL+ SHIFT + F' call me!)";
inline constexpr wchar_t kDialogClass[] = L"#32770";
inline constexpr int kOptionsButtonId = 1004;
inline constexpr int kSearchFieldId = 1010;
inline constexpr int kHistoryListId = 1005;
inline constexpr WORD kOptionCommand = 32771;
inline constexpr WORD kExitCommand = 32773;
inline constexpr WORD kClearAllCommand = 32777;
inline constexpr wchar_t kOptionTitle[] = L"Option";
inline constexpr wchar_t kDataFolderName[] = L"data";
inline constexpr wchar_t kOptionsFileName[] = L"imgOption.data";
inline constexpr wchar_t kHistoryFileName[] = L"data.data";
// Where the popup opens when no settings were saved: left, top, right, bottom.
inline constexpr RECT kDefaultPopupRect = {10, 10, 200, 300};
// The popup's font, from its dialog template.
inline constexpr wchar_t kPopupFontFace[] = L"MS Shell Dlg";
inline constexpr int kPopupFontPoints = 9;

}  // namespace e2e
