#include "tests/e2e/RemoteListView.h"

#include "tests/e2e/RemoteMemory.h"

#include <commctrl.h>

#include <vector>

namespace e2e {

namespace {

constexpr UINT kAnswerMilliseconds = 5000;
// Labels hold at most 500 characters; room to spare shows a longer one whole.
constexpr int kTextCapacity = 4096;

}  // namespace

std::optional<LRESULT> RemoteListView::Send(UINT message, WPARAM wParam, LPARAM lParam) const
{
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutW(m_list, message, wParam, lParam, SMTO_ABORTIFHUNG, kAnswerMilliseconds, &result))
        return std::nullopt;
    return static_cast<LRESULT>(result);
}

int RemoteListView::ItemCount() const
{
    return static_cast<int>(Send(LVM_GETITEMCOUNT, 0, 0).value_or(-1));
}

int RemoteListView::ColumnWidth(int column) const
{
    return static_cast<int>(Send(LVM_GETCOLUMNWIDTH, static_cast<WPARAM>(column), 0).value_or(-1));
}

HWND RemoteListView::Header() const
{
    return reinterpret_cast<HWND>(Send(LVM_GETHEADER, 0, 0).value_or(0));
}

std::optional<RECT> RemoteListView::ItemRect(int index, int part) const
{
    DWORD processId = 0;
    GetWindowThreadProcessId(m_list, &processId);
    RemoteMemory remote(processId, sizeof(RECT));
    RECT rect = {part, 0, 0, 0};
    if (!remote || !remote.Write(0, &rect, sizeof(rect)))
        return std::nullopt;
    const std::optional<LRESULT> got =
        Send(LVM_GETITEMRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(remote.Address()));
    if (!got || !*got || !remote.Read(0, &rect, sizeof(rect)))
        return std::nullopt;
    return rect;
}

std::optional<ListItem> RemoteListView::Item(int index) const
{
    DWORD processId = 0;
    GetWindowThreadProcessId(m_list, &processId);
    const size_t textOffset = sizeof(LVITEMW);
    RemoteMemory remote(processId, textOffset + kTextCapacity * sizeof(wchar_t));
    if (!remote)
        return std::nullopt;
    wchar_t* remoteText = reinterpret_cast<wchar_t*>(static_cast<char*>(remote.Address()) + textOffset);

    // The text first: LVM_GETITEMTEXT always copies it into the buffer given.
    LVITEMW item = {};
    item.iSubItem = 0;
    item.pszText = remoteText;
    item.cchTextMax = kTextCapacity;
    if (!remote.Write(0, &item, sizeof(item)))
        return std::nullopt;
    const std::optional<LRESULT> length =
        Send(LVM_GETITEMTEXTW, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(remote.Address()));
    if (!length || *length < 0 || *length >= kTextCapacity)
        return std::nullopt;
    std::vector<wchar_t> text(static_cast<size_t>(*length) + 1);
    if (!remote.Read(textOffset, text.data(), text.size() * sizeof(wchar_t)))
        return std::nullopt;

    item = {};
    item.mask = LVIF_IMAGE | LVIF_STATE;
    item.iItem = index;
    item.stateMask = static_cast<UINT>(-1);
    if (!remote.Write(0, &item, sizeof(item)))
        return std::nullopt;
    const std::optional<LRESULT> got = Send(LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(remote.Address()));
    if (!got || !*got || !remote.Read(0, &item, sizeof(item)))
        return std::nullopt;

    ListItem result;
    result.text.assign(text.data(), static_cast<size_t>(*length));
    result.image = item.iImage;
    result.state = item.state;
    return result;
}

std::vector<ListItem> RemoteListView::Rows() const
{
    std::vector<ListItem> rows;
    const int count = ItemCount();
    for (int index = 0; index < count; ++index)
        rows.push_back(Item(index).value_or(ListItem{L"(unreadable)", -1, 0}));
    return rows;
}

}  // namespace e2e
