#include "history/clipboard/OwnWriteMark.h"

#include "history/clipboard/FormatWriter.h"

#include <string>

UINT OwnWriteMark::Format()
{
    // The process id in the name: another Quillary's pastes are not this one's.
    static const UINT format =
        RegisterClipboardFormatW((L"Quillary own paste " + std::to_wstring(GetCurrentProcessId())).c_str());
    return format;
}

bool OwnWriteMark::Place()
{
    const BYTE none = 0;
    return FormatWriter::Place(Format(), &none, sizeof(none));
}
