#include "history/HistoryList.h"

#include <cwchar>
#include <new>

namespace {

long g_liveTextBlocks = 0;

bool IsHighSurrogate(wchar_t ch)
{
    return ch >= 0xD800 && ch <= 0xDBFF;
}

size_t BoundedLength(const wchar_t* text, size_t limit)
{
    size_t length = 0;
    while (length < limit && text[length] != L'\0')
        ++length;
    return length;
}

}  // namespace

void HistoryList::HoldDrawing()
{
    if (m_drawingHolds++ == 0)
        m_list.SendMessage(WM_SETREDRAW, FALSE);
}

void HistoryList::ResumeDrawing()
{
    if (m_drawingHolds == 0 || --m_drawingHolds > 0)
        return;
    m_list.SendMessage(WM_SETREDRAW, TRUE);
    m_list.Invalidate();
}

long HistoryList::LiveTextBlocks()
{
    return g_liveTextBlocks;
}

wchar_t* HistoryList::NewTextBlock(const wchar_t* text, size_t length)
{
    if (!text)
        return nullptr;
    length = BoundedLength(text, length);
    wchar_t* block = new (std::nothrow) wchar_t[length + 1];
    if (!block)
        return nullptr;
    std::wmemcpy(block, text, length);
    block[length] = L'\0';
    ++g_liveTextBlocks;
    return block;
}

CString HistoryList::MakeLabel(const wchar_t* text)
{
    size_t length = BoundedLength(text, kLabelLength + 1);
    if (length <= kLabelLength)
        return CString(text, length);
    size_t cut = kLabelLength;
    if (IsHighSurrogate(text[cut - 1]))
        --cut;
    return CString(text, cut);
}

bool HistoryList::IsBitmapEntry(LPARAM data)
{
    if (!data)
        return false;
    BITMAP bm;
    return GetObjectW(reinterpret_cast<HGDIOBJ>(data), sizeof(bm), &bm) != 0;
}

void HistoryList::FreeEntryData(LPARAM data)
{
    if (!data)
        return;
    if (IsBitmapEntry(data)) {
        DeleteObject(reinterpret_cast<HGDIOBJ>(data));
        return;
    }
    delete[] reinterpret_cast<wchar_t*>(data);
    --g_liveTextBlocks;
}

int HistoryList::InsertEntry(int row, const wchar_t* label, int image, LPARAM data)
{
    // The data goes in with the insertion: a separate set would cost the list
    // another message and the parent two change notices per entry.
    return m_list.InsertItem(LVIF_TEXT | LVIF_IMAGE | LVIF_PARAM, row, label, 0, 0, image, data);
}

bool HistoryList::InsertTextEntry(const wchar_t* text, size_t length)
{
    wchar_t* block = NewTextBlock(text, length);
    if (!block)
        return false;
    if (InsertEntry(m_topCount, MakeLabel(block), kImageText, reinterpret_cast<LPARAM>(block)) < 0) {
        FreeEntryData(reinterpret_cast<LPARAM>(block));
        return false;
    }
    return true;
}

void HistoryList::TrimHistory()
{
    const int lastRow = kMaxEntries - 1;
    if (m_list.GetItemCount() < kMaxEntries)
        return;
    FreeEntryData(m_list.GetItemData(lastRow));
    m_list.DeleteItem(lastRow);
    if (lastRow < m_topCount)
        --m_topCount;
}

void HistoryList::DeleteSelectedEntries()
{
    RedrawHold hold(*this);
    int row = m_list.GetNextItem(-1, LVNI_SELECTED);
    while (row >= 0) {
        FreeEntryData(m_list.GetItemData(row));
        m_list.DeleteItem(row);
        if (row < m_topCount)
            --m_topCount;
        // The row that moved up into this position is looked at next.
        row = m_list.GetNextItem(row - 1, LVNI_SELECTED);
    }
}

void HistoryList::SetSelectedToTop()
{
    RedrawHold hold(*this);
    int row = m_list.GetNextItem(-1, LVNI_SELECTED);
    while (row >= 0) {
        if (row >= m_topCount) {
            LPARAM data = m_list.GetItemData(row);
            CString label = m_list.GetItemText(row, 0);
            m_list.DeleteItem(row);
            int image = IsBitmapEntry(data) ? kImageBitmapTop : kImageTextTop;
            if (InsertEntry(m_topCount, label, image, data) >= 0)
                ++m_topCount;
            else
                FreeEntryData(data);
        }
        // Removing row i and inserting at or above it leaves the rows below i in place.
        row = m_list.GetNextItem(row, LVNI_SELECTED);
    }
}

void HistoryList::ClearHistory()
{
    FreeAllEntryData();
    m_list.DeleteAllItems();
    m_topCount = 0;
}

void HistoryList::FreeAllEntryData()
{
    for (int row = m_list.GetItemCount() - 1; row >= 0; --row)
        FreeEntryData(m_list.GetItemData(row));
}

void HistoryList::ClampTopCount()
{
    int count = m_list.GetItemCount();
    if (m_topCount < 0)
        m_topCount = 0;
    if (m_topCount > count)
        m_topCount = count;
}
