#pragma once
#include <windows.h>

#include <vector>

// The formats a copy offers, asked of the system in one round trip (each
// question to the window server costs one, and capture runs on every copy
// anywhere). Works with the clipboard open or closed.
class OfferedFormats {
public:
    // The formats on the clipboard now.
    static OfferedFormats Now();
    bool Has(UINT format) const;
    // The copy's owner asked monitors not to record it ("Clipboard Viewer
    // Ignore", "ExcludeClipboardContentFromMonitorProcessing", or
    // "CanIncludeInClipboardHistory" holding 0, which is read: the clipboard
    // must be open), or Quillary put it there itself.
    bool Excluded() const;
    // The marks that need no reading: exclusion formats and Quillary's own paste.
    bool MarkedByFormat() const;
    // "CanUploadToCloudClipboard" holding 0: kept, but never shared (the clipboard must be open).
    bool NotForCloud() const;

private:
    // The format is offered and holds the DWORD 0.
    bool HoldsZero(UINT format) const;

    std::vector<UINT> m_formats;
    bool m_listed = true;
};
