#include "history/clipboard/PasteBack.h"

#include "framework/Handles.h"
#include "history/clipboard/FormatWriter.h"
#include "history/clipboard/IgnoredPrograms.h"
#include "history/clipboard/OwnWriteMark.h"
#include "history/clipboard/SyntheticKeys.h"
#include "history/model/FormatsShelf.h"

#include <string>
#include <vector>

void PasteBack::AppendText(std::wstring& joined, const wchar_t* text, const ClipOptions& options)
{
    if (options.m_bCompoundPaste)
        joined += options.m_strBefore.Str();
    if (text)
        joined += text;
    if (options.m_bCompoundPaste)
        joined += options.m_strAfter.Str();
}

PasteBack::Outcome PasteBack::Landing(bool targetAlive, TargetRights rights)
{
    if (!targetAlive)
        return Outcome::TargetGone;
    // Rights that cannot be read are tried: most programs run with the user's own.
    return rights == TargetRights::Higher ? Outcome::TargetElevated : Outcome::Pasted;
}

std::wstring PasteBack::JoinedText(const std::vector<HistoryEntry>& entries) const
{
    std::wstring joined;
    for (const HistoryEntry& entry : entries) {
        if (!entry.IsPicture())
            AppendText(joined, entry.text ? entry.text->c_str() : nullptr, m_state.options);
    }
    return joined;
}

PasteBack::Outcome PasteBack::Paste(const std::vector<HistoryEntry>& entries, Content content)
{
    HWND target = m_state.pasteTarget;
    if (!target)
        return Outcome::Nothing;
    // Whatever happens below, the target is used up.
    struct Finish {
        HWND& target;
        ~Finish() { target = nullptr; }
    } finish{m_state.pasteTarget};
    // Read before the clipboard is opened: they may come from disk.
    const FormatsShelf::Kept formats = FormatsToPaste(entries, content);
    // Nothing to place (no entries, an empty text alone): the clipboard keeps what the user had copied.
    if (NothingToPlace(entries, formats))
        return Outcome::Nothing;
    // A window that has closed cannot own what goes on the clipboard; the popup does.
    const bool alive = IsWindow(target) != FALSE;
    HWND owner = alive ? target : m_state.popup;
    ClipboardSession clipboard(owner);
    if (!clipboard.IsOpen())
        return Outcome::Nothing;
    EmptyClipboard();
    OwnWriteMark::Place();

    // Asked once, when the first key is due: the entry is on the clipboard before.
    Outcome landing = Outcome::Nothing;
    const auto press = [&] {
        if (landing == Outcome::Nothing)
            landing = Landing(alive, alive ? m_compareRights(target) : TargetRights::Unknown);
        PressPasteKey(target, landing);
    };
    std::wstring joined;
    for (const HistoryEntry& entry : entries) {
        if (entry.IsPicture()) {
            clipboard.Close();
            PutBitmapOnClipboard(entry.picture->Bitmap(), owner);
            press();
            if (!clipboard.Open(owner))
                break;
        } else {
            AppendText(joined, entry.text ? entry.text->c_str() : nullptr, m_state.options);
        }
    }

    // Texts gathered before a failed reopening are still pasted: the clipboard
    // is opened once more for them.
    const bool formatsToPlace = formats && !formats->empty();
    if ((!joined.empty() || formatsToPlace) && clipboard.Open(owner)) {
        // The richest formats first, the text last: many programs take the first one they know.
        bool placed = formatsToPlace && FormatWriter::PlaceAll(*formats);
        placed = (!joined.empty() && PlaceText(joined)) || placed;
        clipboard.Close();
        if (placed)
            press();
    }
    return landing;
}

PasteBack::Outcome PasteBack::Type(const std::vector<HistoryEntry>& entries)
{
    HWND target = m_state.pasteTarget;
    std::wstring text = JoinedText(entries);
    if (!target || text.empty())
        return Outcome::Nothing;
    const bool alive = IsWindow(target) != FALSE;
    if (Landing(alive, alive ? m_compareRights(target) : TargetRights::Unknown) != Outcome::Pasted) {
        // Where keys cannot land, the text is at least on the clipboard.
        std::vector<HistoryEntry> texts;
        for (const HistoryEntry& entry : entries) {
            if (!entry.IsPicture())
                texts.push_back(entry);
        }
        return Paste(texts, Content::TextOnly);
    }
    m_state.pasteTarget = nullptr;
    m_restoreFocus(target);
    m_typer.Start(target, std::move(text));
    return Outcome::Typed;
}

void PasteBack::PressPasteKey(HWND target, Outcome landing)
{
    if (landing == Outcome::TargetGone)
        return;
    // Back in front for the user to paste there, even where Windows would drop our keys.
    m_restoreFocus(target);
    if (landing == Outcome::Pasted)
        m_sendKeys(PasteKeyList::For(m_state.options.m_pasteKeys, IgnoredPrograms::ProcessImageOf(target)));
}

bool PasteBack::NothingToPlace(const std::vector<HistoryEntry>& entries, const FormatsShelf::Kept& formats) const
{
    if (formats && !formats->empty())
        return false;
    for (const HistoryEntry& entry : entries) {
        if (entry.IsPicture() || m_state.options.m_bCompoundPaste || (entry.text && !entry.text->empty()))
            return false;
    }
    return true;
}

FormatsShelf::Kept PasteBack::FormatsToPaste(const std::vector<HistoryEntry>& entries, Content content) const
{
    // Formats belong to one copy: several entries, or one wrapped in the
    // compound strings, paste their text alone.
    if (content != Content::AsCopied || entries.size() != 1 || m_state.options.m_bCompoundPaste)
        return nullptr;
    // Read from disk now, when the history keeps them there; unreadable ones cost the paste its formats alone.
    return KeptBytes(entries.front().formats);
}

bool PasteBack::PlaceText(const std::wstring& text)
{
    return FormatWriter::Place(CF_UNICODETEXT, text.c_str(), (text.size() + 1) * sizeof(wchar_t));
}

bool PasteBack::PutBitmapOnClipboard(HBITMAP bitmap, HWND owner)
{
    if (!bitmap || !owner)
        return false;
    ClipboardSession clipboard(owner);
    if (!clipboard.IsOpen())
        return false;
    EmptyClipboard();
    OwnWriteMark::Place();
    UniqueBitmap copy(CopyBitmap(bitmap));
    if (copy && SetClipboardData(CF_BITMAP, copy.Get()))
        copy.Release();  // the clipboard owns it now
    return true;
}

HBITMAP PasteBack::CopyBitmap(HBITMAP bitmap)
{
    BITMAP bm;
    if (!GetObjectW(bitmap, sizeof(bm), &bm) || bm.bmWidth <= 0 || bm.bmHeight <= 0)
        return nullptr;
    const size_t stride = ((static_cast<size_t>(bm.bmWidth) * bm.bmBitsPixel + 31) / 32) * 4;
    const size_t size = stride * static_cast<size_t>(bm.bmHeight);
    std::vector<BYTE> buffer(size);
    GetBitmapBits(bitmap, static_cast<LONG>(size), buffer.data());
    return CreateBitmap(bm.bmWidth, bm.bmHeight, 1, bm.bmBitsPixel, buffer.data());
}

void PasteBack::SendPasteKeystroke(PasteKey key)
{
    SyntheticKeys::SendPasteKey(key);
}
