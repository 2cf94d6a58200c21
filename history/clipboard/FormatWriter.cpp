#include "history/clipboard/FormatWriter.h"

#include "framework/Handles.h"

#include <shlobj.h>

#include <cstring>

bool FormatWriter::Place(UINT format, const void* bytes, std::size_t size)
{
    if (!format)
        return false;
    UniqueGlobal block(GlobalAlloc(GMEM_MOVEABLE, size));
    if (!block)
        return false;
    {
        GlobalLockGuard lock(block.Get());
        if (!lock.Data())
            return false;
        std::memcpy(lock.Data(), bytes, size);
    }
    if (!SetClipboardData(format, block.Get()))
        return false;
    block.Release();  // the clipboard owns it now
    return true;
}

void FormatWriter::PlaceAll(const std::vector<KeptFormat>& kept)
{
    bool files = false;
    for (const KeptFormat& format : kept) {
        const UINT id = format.format.name.empty() ? format.format.number
                                                   : RegisterClipboardFormatW(format.format.name.c_str());
        Place(id, format.bytes.data(), format.bytes.size());
        files = files || EntryFormats::IsFileList(format.format);
    }
    if (files) {
        const DWORD effect = DROPEFFECT_COPY;
        Place(RegisterClipboardFormatW(CFSTR_PREFERREDDROPEFFECT), &effect, sizeof(effect));
    }
}
