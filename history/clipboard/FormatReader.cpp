#include "history/clipboard/FormatReader.h"

#include "framework/Handles.h"
#include "history/clipboard/IgnoredPrograms.h"

#include <windows.h>

#include <array>

namespace {

static_assert(CF_HDROP == EntryFormats::kFileListNumber, "a file list is kept by its standard number");

struct AllowedFormat {
    FormatName name;
    UINT id;
};

// Registered once: each registration is a round trip to the window server.
const std::array<AllowedFormat, 3>& AllowedFormats()
{
    static const std::array<AllowedFormat, 3> formats = {{
        {{EntryFormats::kHtmlName, 0}, RegisterClipboardFormatW(EntryFormats::kHtmlName)},
        {{EntryFormats::kRtfName, 0}, RegisterClipboardFormatW(EntryFormats::kRtfName)},
        {{L"", CF_HDROP}, CF_HDROP},
    }};
    return formats;
}

// The executable file name of the program that owns the clipboard, or empty.
std::wstring OwnerProgram()
{
    HWND owner = GetClipboardOwner();
    if (!owner)
        return {};
    const CString image = IgnoredPrograms::ProcessImageOf(owner);
    return image.IsEmpty() ? std::wstring() : std::wstring(IgnoredPrograms::FileNameOf(image));
}

void Keep(HANDLE data, const FormatName& name, EntryFormats& formats)
{
    if (!data)
        return;
    // Sized before it is locked: a block over the limit is never copied.
    if (GlobalSize(data) > EntryFormats::kMaxFormatBytes) {
        formats.leftOut.push_back(name);
        return;
    }
    GlobalLockGuard lock(data);
    if (!lock.Data())
        return;
    const auto* bytes = static_cast<const std::uint8_t*>(lock.Data());
    formats.kept.push_back({name, std::vector<std::uint8_t>(bytes, bytes + lock.Size())});
}

}  // namespace

bool FormatReader::FilesOffered()
{
    return IsClipboardFormatAvailable(CF_HDROP) != FALSE;
}

EntryFormats FormatReader::Read()
{
    EntryFormats formats;
    std::wstring program;
    bool programKnown = false;
    for (const AllowedFormat& format : AllowedFormats()) {
        if (!format.id || !IsClipboardFormatAvailable(format.id))
            continue;
        // Asked of the system only when some format is offered.
        if (!programKnown) {
            program = OwnerProgram();
            programKnown = true;
        }
        if (!m_slow.MayAsk(program, format.name))
            continue;
        const ULONGLONG asked = GetTickCount64();
        HANDLE data = GetClipboardData(format.id);
        m_slow.Note(program, format.name, GetTickCount64() - asked);
        Keep(data, format.name, formats);
    }
    return formats;
}
