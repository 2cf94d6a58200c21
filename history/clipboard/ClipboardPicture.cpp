#include "history/clipboard/ClipboardPicture.h"

#include "history/model/BmpFormat.h"
#include "history/model/PackedDibFormat.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace {

// The system reads up to three masks and 256 colours after any info header,
// whatever the header says.
constexpr size_t kInfoTailMinimum = kBmpInfoBlockMinimum - kBmpInfoHeaderBytes;

}  // namespace

ClipboardPicture::Outcome ClipboardPicture::Read()
{
    if (HANDLE dib = GetClipboardData(CF_DIB))
        return ReadDib(static_cast<HGLOBAL>(dib));
    if (HANDLE bitmap = GetClipboardData(CF_BITMAP))
        return ReadBitmap(static_cast<HBITMAP>(bitmap));
    return Outcome::NoPicture;
}

ClipboardPicture::Outcome ClipboardPicture::ReadDib(HGLOBAL block)
{
    GlobalLockGuard lock(block);
    if (!lock.Data())
        return Outcome::Failed;
    const auto* bytes = static_cast<const BYTE*>(lock.Data());
    PackedDibLayout layout;
    switch (CheckPackedDib(bytes, lock.Size(), layout)) {
    case PackedDibCheck::TooLarge:
        return Outcome::TooLarge;
    case PackedDibCheck::Malformed:
        return Outcome::Malformed;
    case PackedDibCheck::Ok:
        break;
    }
    // The header and colours go to a block long enough for what the system
    // reads after them, so a short colour table is never read past.
    const size_t headerSize = *reinterpret_cast<const DWORD*>(bytes);
    std::vector<BYTE> info(std::max(layout.pixelOffset, headerSize + kInfoTailMinimum), 0);
    std::memcpy(info.data(), bytes, layout.pixelOffset);
    const auto* header = reinterpret_cast<const BITMAPINFO*>(info.data());
    WindowDC screen(nullptr);
    if (!screen)
        return Outcome::Failed;
    HBITMAP bitmap =
        CreateDIBitmap(screen.Get(), &header->bmiHeader, CBM_INIT, bytes + layout.pixelOffset, header, DIB_RGB_COLORS);
    return Keep(bitmap, layout.width, layout.height);
}

ClipboardPicture::Outcome ClipboardPicture::ReadBitmap(HBITMAP source)
{
    BITMAP bm = {};
    if (!source || !GetObjectW(source, sizeof(bm), &bm) || bm.bmWidth <= 0 || bm.bmHeight <= 0)
        return Outcome::Malformed;
    if (static_cast<ULONGLONG>(bm.bmWidth) * static_cast<ULONGLONG>(bm.bmHeight) * 4 > kMaxPicturePixelBytes)
        return Outcome::TooLarge;
    WindowDC screen(nullptr);
    UniqueDC from(CreateCompatibleDC(screen.Get()));
    UniqueDC to(CreateCompatibleDC(screen.Get()));
    UniqueBitmap copy(CreateCompatibleBitmap(screen.Get(), bm.bmWidth, bm.bmHeight));
    if (!from || !to || !copy)
        return Outcome::Failed;
    {
        ScopedSelect readFrom(from.Get(), source);
        ScopedSelect drawTo(to.Get(), copy.Get());
        // A bitmap that another device context holds cannot be read here.
        if (GetCurrentObject(from.Get(), OBJ_BITMAP) != source ||
            !BitBlt(to.Get(), 0, 0, bm.bmWidth, bm.bmHeight, from.Get(), 0, 0, SRCCOPY))
            return Outcome::Failed;
    }
    return Keep(copy.Release(), bm.bmWidth, bm.bmHeight);
}

ClipboardPicture::Outcome ClipboardPicture::Keep(HBITMAP bitmap, int width, int height)
{
    if (!bitmap)
        return Outcome::Failed;
    m_bitmap.Reset(bitmap);
    m_label.Format(L"Picture %d x %d", width, height);
    return Outcome::Read;
}
