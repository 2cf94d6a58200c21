#include "tests/e2e/Clipboard.h"

#include "framework/Handles.h"
#include "tests/e2e/RemoteListView.h"
#include "tests/e2e/Wait.h"

#include <cstring>

namespace e2e {

::testing::AssertionResult PutTextOnClipboard(const std::wstring& text)
{
    if (!WaitUntil([] { return OpenClipboard(nullptr) != FALSE; }))
        return ::testing::AssertionFailure() << "the clipboard stays open in another program";
    bool placed = false;
    if (EmptyClipboard()) {
        const size_t bytes = (text.size() + 1) * sizeof(wchar_t);
        UniqueGlobal block(GlobalAlloc(GMEM_MOVEABLE, bytes));
        if (block) {
            if (void* data = GlobalLock(block.Get())) {
                std::memcpy(data, text.c_str(), bytes);
                GlobalUnlock(block.Get());
                // The clipboard owns the block once it takes it.
                placed = SetClipboardData(CF_UNICODETEXT, block.Get()) != nullptr;
                if (placed)
                    block.Release();
            }
        }
    }
    CloseClipboard();
    if (!placed)
        return ::testing::AssertionFailure() << "cannot put text on the clipboard, error " << GetLastError();
    return ::testing::AssertionSuccess();
}

::testing::AssertionResult CopyAndWaitForNewRow(HWND list, const std::wstring& text)
{
    const RemoteListView listView(list);
    const int before = listView.ItemCount();
    if (auto put = PutTextOnClipboard(text); !put)
        return put;
    if (!WaitUntil([&] { return listView.ItemCount() == before + 1; }))
        return ::testing::AssertionFailure() << "the list did not grow from " << before << " rows after a copy";
    return ::testing::AssertionSuccess();
}

}  // namespace e2e
