#pragma once
#include "history/model/ClipOptions.h"
#include "history/model/FormatsShelf.h"
#include "history/model/HistoryEntry.h"

#include <functional>
#include <string>
#include <vector>

// Puts the selected entries on the clipboard for the paste target and
// synthesises Ctrl+V into it: the texts joined into one paste (each wrapped in
// the before and after strings when compound paste is on), each bitmap on its
// own. One entry alone goes back with the formats it kept, unless the user
// asked for its text alone: the richest first, then the text. Everything it
// puts there carries Quillary's own mark, so capture leaves it be.
class PasteBack {
public:
    enum class Content { AsCopied, TextOnly };

    struct State {
        HWND& pasteTarget;
        const ClipOptions& options;
    };
    using FocusRestorer = std::function<void(HWND)>;
    using KeystrokeSender = std::function<void()>;

    PasteBack(State state, FocusRestorer restoreFocus)
        : m_state(state), m_restoreFocus(std::move(restoreFocus)), m_sendKeys(SendPasteKeystroke) {}

    // Everything of a paste of these entries (top first) after the popup has
    // hidden. With nothing to place the user's clipboard is left as it is.
    void Paste(const std::vector<HistoryEntry>& entries, Content content = Content::AsCopied);
    // The text one paste of these entries gives (compound wrapping included).
    static void AppendText(std::wstring& joined, const wchar_t* text, const ClipOptions& options);

    bool PutBitmapOnClipboard(HBITMAP bitmap);
    static HBITMAP CopyBitmap(HBITMAP bitmap);
    static void SendPasteKeystroke();
    // Tests watch the keystroke moments instead of sending keys.
    void SetKeystrokeSender(KeystrokeSender sender) { m_sendKeys = std::move(sender); }

private:
    FormatsShelf::Kept FormatsToPaste(const std::vector<HistoryEntry>& entries, Content content) const;
    bool NothingToPlace(const std::vector<HistoryEntry>& entries, const FormatsShelf::Kept& formats) const;
    bool PlaceText(const std::wstring& text);

    State m_state;
    FocusRestorer m_restoreFocus;
    KeystrokeSender m_sendKeys;
};
