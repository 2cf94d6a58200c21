#include "tests/e2e/Clipboard.h"

#include "framework/Handles.h"
#include "tests/e2e/RemoteListView.h"
#include "tests/e2e/Wait.h"

#include <cstring>
#include <vector>

namespace e2e {

namespace {

// A movable block holding a copy of the bytes, as the clipboard takes them; empty when out of memory.
UniqueGlobal NewBlock(const void* bytes, size_t size)
{
    UniqueGlobal block(GlobalAlloc(GMEM_MOVEABLE, size));
    if (!block)
        return block;
    GlobalLockGuard lock(block.Get());
    if (!lock.Data())
        return UniqueGlobal();
    std::memcpy(lock.Data(), bytes, size);
    return block;
}

// Empties the clipboard and hands it the block in the given format. Retries while
// another program holds the clipboard open.
::testing::AssertionResult PlaceOnClipboard(UINT format, UniqueGlobal block)
{
    if (!block)
        return ::testing::AssertionFailure() << "out of memory for the clipboard";
    if (!WaitUntil([] { return OpenClipboard(nullptr) != FALSE; }))
        return ::testing::AssertionFailure() << "the clipboard stays open in another program";
    const bool placed = EmptyClipboard() && SetClipboardData(format, block.Get()) != nullptr;
    const DWORD error = GetLastError();
    if (placed)
        block.Release();  // the clipboard owns it now
    CloseClipboard();
    if (!placed)
        return ::testing::AssertionFailure() << "cannot put format " << format << " on the clipboard, error " << error;
    return ::testing::AssertionSuccess();
}

}  // namespace

::testing::AssertionResult PutOnClipboard(UINT format, const std::string& bytes)
{
    return PlaceOnClipboard(format, NewBlock(bytes.data(), bytes.size()));
}

std::optional<std::string> ReadClipboard(UINT format)
{
    if (!WaitUntil([] { return OpenClipboard(nullptr) != FALSE; }))
        return std::nullopt;
    std::optional<std::string> bytes;
    if (HANDLE block = GetClipboardData(format)) {
        GlobalLockGuard lock(block);
        if (lock.Data())
            bytes = std::string(static_cast<const char*>(lock.Data()), lock.Size());
    }
    CloseClipboard();
    return bytes;
}

::testing::AssertionResult PutTextOnClipboard(const std::wstring& text)
{
    return PlaceOnClipboard(CF_UNICODETEXT, NewBlock(text.c_str(), (text.size() + 1) * sizeof(wchar_t)));
}

::testing::AssertionResult PutPictureOnClipboard(const Picture& picture)
{
    const size_t stride = (static_cast<size_t>(picture.width) * 3 + 3) / 4 * 4;
    BITMAPINFOHEADER header = {};
    header.biSize = sizeof(header);
    header.biWidth = picture.width;
    header.biHeight = picture.height;
    header.biPlanes = 1;
    header.biBitCount = 24;
    header.biCompression = BI_RGB;
    header.biSizeImage = static_cast<DWORD>(stride * static_cast<size_t>(picture.height));
    std::vector<BYTE> dib(sizeof(header) + header.biSizeImage, 0);
    std::memcpy(dib.data(), &header, sizeof(header));
    for (int y = 0; y < picture.height; ++y) {
        // The bottom row comes first.
        BYTE* row = dib.data() + sizeof(header) + stride * static_cast<size_t>(picture.height - 1 - y);
        for (int x = 0; x < picture.width; ++x) {
            const uint32_t pixel = picture.pixels[static_cast<size_t>(y) * picture.width + x];
            row[3 * x] = static_cast<BYTE>(pixel);
            row[3 * x + 1] = static_cast<BYTE>(pixel >> 8);
            row[3 * x + 2] = static_cast<BYTE>(pixel >> 16);
        }
    }
    return PlaceOnClipboard(CF_DIB, NewBlock(dib.data(), dib.size()));
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
