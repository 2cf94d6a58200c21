#include "history/clipboard/FormatWriter.h"

#include "framework/Handles.h"

#include <shlobj.h>

#include <algorithm>
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

int FormatWriter::Richness(const FormatName& format)
{
    if (EntryFormats::IsFileList(format))
        return 0;
    if (format.name == EntryFormats::kRtfName)
        return 1;
    if (format.name == EntryFormats::kHtmlName)
        return 2;
    return 3;
}

bool FormatWriter::PlaceAll(const std::vector<KeptFormat>& kept)
{
    std::vector<const KeptFormat*> order;
    for (const KeptFormat& format : kept)
        order.push_back(&format);
    std::stable_sort(order.begin(), order.end(), [](const KeptFormat* a, const KeptFormat* b) {
        return Richness(a->format) < Richness(b->format);
    });
    bool placed = false;
    for (const KeptFormat* format : order) {
        const UINT id = format->format.name.empty() ? format->format.number
                                                    : RegisterClipboardFormatW(format->format.name.c_str());
        placed = Place(id, format->bytes.data(), format->bytes.size()) || placed;
        if (EntryFormats::IsFileList(format->format)) {
            const DWORD effect = DROPEFFECT_COPY;
            Place(RegisterClipboardFormatW(CFSTR_PREFERREDDROPEFFECT), &effect, sizeof(effect));
        }
    }
    return placed;
}
