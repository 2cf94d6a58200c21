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

void FormatWriter::PlaceAll(const EntryFormats& formats)
{
    for (const KeptFormat& kept : formats.kept) {
        const UINT id = kept.format.name.empty() ? kept.format.number
                                                 : RegisterClipboardFormatW(kept.format.name.c_str());
        Place(id, kept.bytes.data(), kept.bytes.size());
    }
    if (formats.Files()) {
        const DWORD effect = DROPEFFECT_COPY;
        Place(RegisterClipboardFormatW(CFSTR_PREFERREDDROPEFFECT), &effect, sizeof(effect));
    }
}
