#include "tests/e2e/Clipboard.h"

#include "framework/Handles.h"
#include "tests/e2e/RemoteListView.h"
#include "tests/e2e/Wait.h"

#include <cstring>

namespace e2e {

::testing::AssertionResult PutOnClipboard(UINT format, const std::string& bytes)
{
    if (!WaitUntil([] { return OpenClipboard(nullptr) != FALSE; }))
        return ::testing::AssertionFailure() << "the clipboard stays open in another program";
    bool placed = false;
    if (EmptyClipboard()) {
        UniqueGlobal block(GlobalAlloc(GMEM_MOVEABLE, bytes.size()));
        if (block) {
            if (void* data = GlobalLock(block.Get())) {
                std::memcpy(data, bytes.data(), bytes.size());
                GlobalUnlock(block.Get());
                // The clipboard owns the block once it takes it.
                placed = SetClipboardData(format, block.Get()) != nullptr;
                if (placed)
                    block.Release();
            }
        }
    }
    CloseClipboard();
    if (!placed)
        return ::testing::AssertionFailure() << "cannot put format " << format << " on the clipboard, error "
                                             << GetLastError();
    return ::testing::AssertionSuccess();
}

std::optional<std::string> ReadClipboard(UINT format)
{
    if (!WaitUntil([] { return OpenClipboard(nullptr) != FALSE; }))
        return std::nullopt;
    std::optional<std::string> bytes;
    if (HANDLE block = GetClipboardData(format)) {
        if (const void* data = GlobalLock(block)) {
            bytes = std::string(static_cast<const char*>(data), GlobalSize(block));
            GlobalUnlock(block);
        }
    }
    CloseClipboard();
    return bytes;
}

::testing::AssertionResult PutTextOnClipboard(const std::wstring& text)
{
    return PutOnClipboard(CF_UNICODETEXT, std::string(reinterpret_cast<const char*>(text.c_str()),
                                                      (text.size() + 1) * sizeof(wchar_t)));
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
