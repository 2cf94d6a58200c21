#pragma once
#include "framework/CListCtrl.h"

// The history: the items of the popup's list view are the one store of
// entries. Each item's data is either a heap text block (new wchar_t[], owned
// by the list) or a bitmap handle (owned by the list). The first `topCount`
// rows form the top zone; new entries go directly below it.
class HistoryList {
public:
    static constexpr int kMaxEntries = 1000;
    static constexpr size_t kLabelLength = 500;
    enum Image { kImageText = 0, kImageBitmap = 1, kImageTextTop = 2, kImageBitmapTop = 3 };

    HistoryList(CListCtrl& list, int& topCount) : m_list(list), m_topCount(topCount) {}

    // Holds the list view's drawing while rows change: a list view that draws
    // repaints on every row added or removed. Holds nest; the list repaints once
    // when the last one ends.
    void HoldDrawing();
    void ResumeDrawing();

    // One hold for a scope of many changes.
    class RedrawHold {
    public:
        explicit RedrawHold(HistoryList& history) : m_history(history) { m_history.HoldDrawing(); }
        ~RedrawHold() { m_history.ResumeDrawing(); }
        RedrawHold(const RedrawHold&) = delete;
        RedrawHold& operator=(const RedrawHold&) = delete;

    private:
        HistoryList& m_history;
    };

    // Copies the text (up to its first NUL, never past `length`) into a new entry
    // directly below the top zone. False when nothing was inserted.
    bool InsertTextEntry(const wchar_t* text, size_t length);
    void TrimHistory();
    void DeleteSelectedEntries();
    void SetSelectedToTop();
    void ClearHistory();
    // Frees every entry's data. The items stay with data that is no longer valid:
    // the caller removes them next (ClearHistory, the exit save).
    void FreeAllEntryData();

    // Inserts an item with the given label and image at `row` and attaches the
    // data to the item the insertion made. Returns its index, or -1 (the data
    // then still belongs to the caller).
    int InsertEntry(int row, const wchar_t* label, int image, LPARAM data);

    int Count() const { return m_list.GetItemCount(); }
    LPARAM DataAt(int row) const { return m_list.GetItemData(row); }
    int TopCount() const { return m_topCount; }
    // Brings a stored top count within 0..entries.
    void ClampTopCount();

    static bool IsBitmapEntry(LPARAM data);
    static void FreeEntryData(LPARAM data);
    // A NUL-terminated heap copy of the first `length` characters (stopping at a NUL); null when out of memory.
    static wchar_t* NewTextBlock(const wchar_t* text, size_t length);
    // The first 500 characters of a text, never ending inside a surrogate pair.
    static CString MakeLabel(const wchar_t* text);
    // Text blocks made and not yet freed; lets tests prove each is freed exactly once.
    static long LiveTextBlocks();

private:
    CListCtrl& m_list;
    int& m_topCount;
    int m_drawingHolds = 0;
};
