#include "history/store/formats/CBitmapFile.h"

#include <malloc.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "framework/Handles.h"
#include "history/model/BmpFormat.h"
#include "history/store/disk/DiskFile.h"
#include "history/store/disk/FileSteps.h"

namespace {

struct FreeBlock {
    void operator()(void* block) const { std::free(block); }
};
using Block = std::unique_ptr<void, FreeBlock>;

// Puts the file position back where it was, whatever the reads did.
class PositionKeeper {
public:
    explicit PositionKeeper(CFile& file) : m_file(file), m_position(file.GetPosition()) {}
    ~PositionKeeper() { m_file.Seek(static_cast<LONGLONG>(m_position), CFile::begin); }
    PositionKeeper(const PositionKeeper&) = delete;
    PositionKeeper& operator=(const PositionKeeper&) = delete;

private:
    CFile& m_file;
    ULONGLONG m_position;
};

// Reads count bytes at offset; returns how many came.
ULONGLONG ReadAt(CFile& file, ULONGLONG offset, void* buffer, ULONGLONG count)
{
    PositionKeeper keeper(file);
    if (file.Seek(static_cast<LONGLONG>(offset), CFile::begin) != offset)
        return 0;
    auto* bytes = static_cast<BYTE*>(buffer);
    ULONGLONG total = 0;
    while (total < count) {
        const UINT chunk = static_cast<UINT>(std::min<ULONGLONG>(count - total, 1u << 30));
        const UINT got = file.Read(bytes + total, chunk);
        total += got;
        if (got < chunk)
            break;
    }
    return total;
}

bool ReadFileHeader(CFile& file, BmpFileHeader& header)
{
    BYTE bytes[kBmpFileHeaderBytes];
    if (ReadAt(file, 0, bytes, sizeof bytes) != sizeof bytes)
        return false;
    header = ParseBmpFileHeader(bytes);
    return true;
}

BmpInfoHeader ToPortable(const BITMAPINFOHEADER& info)
{
    BYTE bytes[kBmpInfoHeaderBytes];
    static_assert(sizeof(BITMAPINFOHEADER) == kBmpInfoHeaderBytes, "the info header is 40 bytes");
    std::memcpy(bytes, &info, sizeof bytes);
    return ParseBmpInfoHeader(bytes);
}

}  // namespace

WORD CBitmapFile::ColorTableEntries(const BITMAPINFOHEADER& info) { return ::ColorTableEntries(ToPortable(info)); }

WORD CBitmapFile::ColorTableBytes(const BITMAPINFOHEADER& info) { return ::ColorTableBytes(ToPortable(info)); }

void* CBitmapFile::DuplicateBlock(const void* block, size_t size)
{
    if (!block) {
        if (size == 0)
            return nullptr;
        return std::calloc(1, size);
    }
    const size_t oldSize = _msize(const_cast<void*>(block));
    if (size == 0)
        size = oldSize;
    if (size == 0)
        return nullptr;
    void* copy = std::calloc(1, size);
    if (copy)
        std::memcpy(copy, block, std::min(size, oldSize));
    return copy;
}

BOOL CBitmapFile::CheckBmpHeaders(CFile& file)
{
    const ULONGLONG length = file.GetLength();
    if (length < kBmpHeadersBytes)
        return FALSE;
    BYTE head[kBmpHeadersBytes] = {};
    size_t fileRead = 0;
    size_t infoRead = 0;
    {
        PositionKeeper keeper(file);
        file.SeekToBegin();
        fileRead = file.Read(head, kBmpFileHeaderBytes);
        infoRead = file.Read(head + kBmpFileHeaderBytes, kBmpInfoHeaderBytes);
    }
    return CheckBmpHeaderBytes(length, head, fileRead, head + kBmpFileHeaderBytes, infoRead) ? TRUE : FALSE;
}

void* CBitmapFile::ReadBmpInfo(CFile& file)
{
    BmpFileHeader header;
    if (!ReadFileHeader(file, header) || header.pixelOffset < kBmpHeadersBytes)
        return nullptr;
    const size_t infoBytes = BmpInfoBlockBytes(header.pixelOffset);
    Block block(DuplicateBlock(nullptr, std::max(infoBytes, kBmpInfoBlockMinimum)));
    if (!block || ReadAt(file, kBmpFileHeaderBytes, block.get(), infoBytes) != infoBytes)
        return nullptr;
    return block.release();
}

void* CBitmapFile::ReadBmpBits(CFile& file)
{
    BmpFileHeader header;
    if (!ReadFileHeader(file, header))
        return nullptr;
    const ULONGLONG length = file.GetLength();
    if (length <= header.pixelOffset || length - header.pixelOffset > SIZE_MAX)
        return nullptr;
    const ULONGLONG pixelBytes = length - header.pixelOffset;
    Block block(DuplicateBlock(nullptr, static_cast<size_t>(pixelBytes)));
    if (!block || ReadAt(file, header.pixelOffset, block.get(), pixelBytes) != pixelBytes)
        return nullptr;
    return block.release();
}

HBITMAP CBitmapFile::LoadFromFile(const wchar_t* path, DWORD* readError, disk::FileSystem& files)
{
    DWORD ignored = 0;
    DWORD& error = readError ? *readError : ignored;
    DiskFile file(files);
    if (!file.Open(path, CFile::modeRead | CFile::shareDenyNone)) {
        if (!disk::IsMissing(file.Error()))
            error = file.Error();
        return nullptr;
    }
    if (!CheckBmpHeaders(file))
        return nullptr;
    Block info(ReadBmpInfo(file));
    if (!info)
        return nullptr;
    const auto* bitmapInfo = static_cast<const BITMAPINFO*>(info.get());
    const BmpInfoHeader header = ToPortable(bitmapInfo->bmiHeader);
    if (IsRleCompressed(header))
        return nullptr;

    BmpFileHeader fileHeader;
    if (!ReadFileHeader(file, fileHeader))
        return nullptr;
    const ULONGLONG length = file.GetLength();
    const ULONGLONG pixelBytes = length > fileHeader.pixelOffset ? length - fileHeader.pixelOffset : 0;
    // Refused before the pixels are read: the conversion must never run past them.
    if (!BmpPixelBlockLongEnough(header, pixelBytes))
        return nullptr;
    Block pixels(ReadBmpBits(file));
    if (!pixels)
        return nullptr;

    WindowDC screen(GetDesktopWindow());
    HBITMAP bitmap = screen ? CreateDIBitmap(screen.Get(), &bitmapInfo->bmiHeader, CBM_INIT, pixels.get(),
                                             bitmapInfo, DIB_RGB_COLORS)
                            : nullptr;
    // The headers passed: a bitmap that cannot be made is short of resources, not a bad file.
    if (!bitmap)
        error = GetLastError() ? GetLastError() : ERROR_NOT_ENOUGH_MEMORY;
    return bitmap;
}

HBITMAP CBitmapFile::LoadFromMemory(const BYTE* bytes, size_t size)
{
    if (!bytes || size < kBmpHeadersBytes ||
        !CheckBmpHeaderBytes(size, bytes, kBmpFileHeaderBytes, bytes + kBmpFileHeaderBytes, kBmpInfoHeaderBytes))
        return nullptr;
    const BmpFileHeader fileHeader = ParseBmpFileHeader(bytes);
    const size_t infoBytes = BmpInfoBlockBytes(fileHeader.pixelOffset);
    if (fileHeader.pixelOffset >= size || kBmpFileHeaderBytes + infoBytes > size)
        return nullptr;
    Block info(DuplicateBlock(nullptr, std::max(infoBytes, kBmpInfoBlockMinimum)));
    if (!info)
        return nullptr;
    std::memcpy(info.get(), bytes + kBmpFileHeaderBytes, infoBytes);
    const auto* bitmapInfo = static_cast<const BITMAPINFO*>(info.get());
    const BmpInfoHeader header = ToPortable(bitmapInfo->bmiHeader);
    if (IsRleCompressed(header) || !BmpPixelBlockLongEnough(header, size - fileHeader.pixelOffset))
        return nullptr;
    WindowDC screen(GetDesktopWindow());
    if (!screen)
        return nullptr;
    return CreateDIBitmap(screen.Get(), &bitmapInfo->bmiHeader, CBM_INIT, bytes + fileHeader.pixelOffset, bitmapInfo,
                          DIB_RGB_COLORS);
}
