#pragma once
#include "history/clipboard/ProcessRights.h"
#include "history/clipboard/TextTyper.h"
#include "history/model/ClipOptions.h"
#include "history/model/FormatsShelf.h"
#include "history/model/HistoryEntry.h"

#include <functional>
#include <string>
#include <vector>

// Puts the selected entries on the clipboard for the paste target and presses
// the target program's paste key for the user: the texts joined into one
// paste (each wrapped in the before and after strings when compound paste is
// on), each bitmap on its own. One entry alone goes back with the formats it
// kept, unless the user asked for its text alone: the richest first, then the
// text. Everything it puts there carries Quillary's own mark, so capture
// leaves it be. Where no key can land (the target is gone, or runs with more
// rights) the entry still goes on the clipboard, and the outcome says why
// nothing was pressed.
class PasteBack {
public:
    enum class Content { AsCopied, TextOnly };
    enum class Outcome {
        Nothing,         // no target, nothing chosen, or the clipboard could not be had
        Pasted,          // on the clipboard, and the paste key pressed
        Typed,           // being typed into the target
        TargetGone,      // on the clipboard; the target window has closed
        TargetElevated,  // on the clipboard; Windows would drop keys sent to the target
    };

    struct State {
        HWND& pasteTarget;
        const ClipOptions& options;
        // Owns the clipboard's contents when the target window is gone.
        const HWND& popup;
    };
    using FocusRestorer = std::function<void(HWND)>;
    using KeystrokeSender = std::function<void(PasteKey)>;
    using RightsComparer = std::function<TargetRights(HWND)>;

    PasteBack(State state, FocusRestorer restoreFocus)
        : m_state(state), m_restoreFocus(std::move(restoreFocus)), m_sendKeys(SendPasteKeystroke),
          m_compareRights(ProcessRights::Compare)
    {
    }

    // Everything of a paste of these entries (top first) after the popup has
    // hidden. With nothing to place the user's clipboard is left as it is.
    Outcome Paste(const std::vector<HistoryEntry>& entries, Content content = Content::AsCopied);
    // Types the text these entries paste into the target instead of pasting
    // it; where no key can land, pastes it as text instead.
    Outcome Type(const std::vector<HistoryEntry>& entries);
    // The text one paste of these entries gives (compound wrapping included); pictures give none.
    std::wstring JoinedText(const std::vector<HistoryEntry>& entries) const;
    static void AppendText(std::wstring& joined, const wchar_t* text, const ClipOptions& options);
    // Whether the keys can reach the target: it is still there and does not run with more rights.
    static Outcome Landing(bool targetAlive, TargetRights rights);

    // Empties the clipboard, opened for `owner`, and puts a copy of the bitmap there.
    bool PutBitmapOnClipboard(HBITMAP bitmap, HWND owner);
    static HBITMAP CopyBitmap(HBITMAP bitmap);
    static void SendPasteKeystroke(PasteKey key);
    // Tests watch the keystroke moments instead of sending keys, and say what rights the target has.
    void SetKeystrokeSender(KeystrokeSender sender) { m_sendKeys = std::move(sender); }
    void SetRightsComparer(RightsComparer comparer) { m_compareRights = std::move(comparer); }

private:
    FormatsShelf::Kept FormatsToPaste(const std::vector<HistoryEntry>& entries, Content content) const;
    bool NothingToPlace(const std::vector<HistoryEntry>& entries, const FormatsShelf::Kept& formats) const;
    bool PlaceText(const std::wstring& text);
    // Puts the target's focus back and presses its program's paste key, when the keys can land.
    void PressPasteKey(HWND target, Outcome landing);

    State m_state;
    FocusRestorer m_restoreFocus;
    KeystrokeSender m_sendKeys;
    RightsComparer m_compareRights;
    TextTyper m_typer;
};
