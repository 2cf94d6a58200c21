#include "history/clipboard/OfferedFormats.h"

#include "framework/Handles.h"
#include "history/clipboard/OwnWriteMark.h"

#include <algorithm>

namespace {

// Registered once: each registration is a round trip to the window server.
struct ExclusionFormats {
    UINT exclude = RegisterClipboardFormatW(L"ExcludeClipboardContentFromMonitorProcessing");
    UINT viewerIgnore = RegisterClipboardFormatW(L"Clipboard Viewer Ignore");
    UINT history = RegisterClipboardFormatW(L"CanIncludeInClipboardHistory");
    UINT cloud = RegisterClipboardFormatW(L"CanUploadToCloudClipboard");
};

const ExclusionFormats& Exclusions()
{
    static const ExclusionFormats formats;
    return formats;
}

}  // namespace

OfferedFormats OfferedFormats::Now()
{
    OfferedFormats offered;
    UINT count = 0;
    offered.m_formats.resize(64);
    while (!GetUpdatedClipboardFormats(offered.m_formats.data(), static_cast<UINT>(offered.m_formats.size()),
                                       &count)) {
        // More formats than the list holds: the count says how many there are.
        if (GetLastError() != ERROR_INSUFFICIENT_BUFFER || count <= offered.m_formats.size() ||
            offered.m_formats.size() >= 0x10000) {
            // No list: each format is asked for when it matters.
            count = 0;
            offered.m_listed = false;
            break;
        }
        offered.m_formats.resize(count);
    }
    offered.m_formats.resize(count);
    return offered;
}

bool OfferedFormats::Has(UINT format) const
{
    if (!m_listed)
        return format != 0 && IsClipboardFormatAvailable(format);
    return format != 0 && std::find(m_formats.begin(), m_formats.end(), format) != m_formats.end();
}

bool OfferedFormats::MarkedByFormat() const
{
    const ExclusionFormats& formats = Exclusions();
    return Has(formats.exclude) || Has(formats.viewerIgnore) || Has(OwnWriteMark::Format());
}

bool OfferedFormats::HoldsZero(UINT format) const
{
    if (!Has(format))
        return false;
    GlobalLockGuard lock(GetClipboardData(format));
    return lock.Data() && lock.Size() >= sizeof(DWORD) && *static_cast<const DWORD*>(lock.Data()) == 0;
}

bool OfferedFormats::Excluded() const
{
    return MarkedByFormat() || HoldsZero(Exclusions().history);
}

bool OfferedFormats::NotForCloud() const
{
    return HoldsZero(Exclusions().cloud);
}
