#include "history/clipboard/FormatReader.h"

#include "framework/Handles.h"
#include "history/clipboard/IgnoredPrograms.h"

#include <windows.h>

#include <cstring>
#include <mutex>

namespace {

static_assert(CF_HDROP == EntryFormats::kFileListNumber, "a file list is kept by its standard number");

// The allowed formats: registered ones by name, standard ones by number. Plain
// data: a capture thread left to a stuck program may still read it at exit.
struct AllowedFormat {
    const wchar_t* name;
    UINT number;
};
constexpr AllowedFormat kAllowed[] = {{EntryFormats::kHtmlName, 0}, {EntryFormats::kRtfName, 0}, {L"", CF_HDROP}};
constexpr size_t kAllowedCount = sizeof(kAllowed) / sizeof(kAllowed[0]);

// Registered once: each registration is a round trip to the window server.
UINT IdOf(size_t index)
{
    static UINT ids[kAllowedCount] = {};
    static std::once_flag registered;
    std::call_once(registered, [] {
        for (size_t i = 0; i < kAllowedCount; ++i)
            ids[i] = kAllowed[i].number ? kAllowed[i].number : RegisterClipboardFormatW(kAllowed[i].name);
    });
    return ids[index];
}

// The program that owns the clipboard: its executable's file name, and its window.
Renderer OwnerOfClipboard()
{
    Renderer renderer;
    renderer.window = GetClipboardOwner();
    if (renderer.window) {
        const CString image = IgnoredPrograms::ProcessImageOf(renderer.window);
        if (!image.IsEmpty())
            renderer.program = IgnoredPrograms::FileNameOf(image);
    }
    return renderer;
}

}  // namespace

bool FormatReader::FilesOffered(const OfferedFormats& offered)
{
    return offered.Has(CF_HDROP);
}

bool FormatReader::ReadFileList(std::vector<std::uint8_t>& bytes)
{
    GlobalLockGuard lock(GetClipboardData(CF_HDROP));
    if (!lock.Data())
        return false;
    const auto* start = static_cast<const std::uint8_t*>(lock.Data());
    bytes.assign(start, start + lock.Size());
    return true;
}

std::optional<CopyInFlight::Finished> FormatReader::Read(const OfferedFormats& offered, CopyDraft draft,
                                                         bool filesRead, CaptureExchange& exchange,
                                                         CopyInFlight& inFlight)
{
    std::vector<size_t> wanted;
    std::vector<FormatName> names;
    for (size_t i = 0; i < kAllowedCount; ++i) {
        if (offered.Has(IdOf(i)) && !(filesRead && kAllowed[i].number == CF_HDROP)) {
            wanted.push_back(i);
            names.push_back({kAllowed[i].name, kAllowed[i].number});
        }
    }
    if (wanted.empty()) {
        CopyInFlight::Finished finished;
        finished.copy = CapturedCopy::Settle(std::move(draft));
        return finished;
    }
    // Asked of the system only when some format is offered.
    const Renderer renderer = OwnerOfClipboard();
    inFlight.Start(std::move(draft), renderer, names);
    exchange.WatchFormats();
    for (size_t n = 0; n < wanted.size(); ++n) {
        // A program that does not answer now would hold the clipboard shut for everyone.
        if (!exchange.MayAsk(renderer, names[n]) || (renderer.window && IsHungAppWindow(renderer.window))) {
            inFlight.Skipped(names[n]);
            continue;
        }
        if (!inFlight.MayAsk(names[n]))
            break;
        ReadOne(IdOf(wanted[n]), names[n], inFlight);
    }
    std::optional<CopyInFlight::Finished> finished = inFlight.Finish();
    if (finished)
        exchange.NoteCosts(finished->renderer, finished->timings);
    return finished;
}

void FormatReader::ReadOne(UINT id, const FormatName& name, CopyInFlight& inFlight)
{
    HANDLE data = GetClipboardData(id);
    // Sized before it is locked: a block over the limit is never copied.
    if (data && GlobalSize(data) > EntryFormats::kMaxFormatBytes) {
        inFlight.GivenTooLarge(name);
        return;
    }
    GlobalLockGuard lock(data);
    if (!lock.Data()) {
        inFlight.GivenNothing(name);
        return;
    }
    const auto* bytes = static_cast<const std::uint8_t*>(lock.Data());
    inFlight.Given({name, std::vector<std::uint8_t>(bytes, bytes + lock.Size())});
}
