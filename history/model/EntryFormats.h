#pragma once
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

// A clipboard format as an entry names it: a registered format by its name
// (its number differs between sessions and machines), a standard one by its
// number with an empty name.
struct FormatName {
    std::wstring name;
    std::uint32_t number = 0;

    bool operator==(const FormatName& other) const { return name == other.name && number == other.number; }
};

class FormatsShelf;

struct KeptFormat {
    FormatName format;
    std::vector<std::uint8_t> bytes;
};

// The formats an entry keeps beside its text, as the copy gave them, those it
// left out for their size, and those its program did not give in time. The
// text itself is never here.
struct EntryFormats {
    // Each format alone; a larger one is left out and the entry keeps the rest.
    static constexpr std::size_t kMaxFormatBytes = std::size_t{4} << 20;
    // The standard format of a file list (CF_HDROP).
    static constexpr std::uint32_t kFileListNumber = 15;
    static const wchar_t kHtmlName[];
    static const wchar_t kRtfName[];

    std::vector<KeptFormat> kept;
    std::vector<FormatName> leftOut;
    // What the list shows for copied files ("report.docx (+2 more)"); empty for other entries.
    std::wstring label;
    // Where the bytes of `kept` are when the list holds names alone (Shelved);
    // null when they are all here.
    std::shared_ptr<FormatsShelf> shelf = nullptr;
    // Offered but not given within the copy's time for formats (a program slow
    // to render them, or not answering). Known to this run only: the files
    // keep what is kept and what was too large.
    std::vector<FormatName> late = {};

    const KeptFormat* Find(const FormatName& format) const;
    static bool IsFileList(const FormatName& format) { return format.name.empty() && format.number == kFileListNumber; }
    // One of the kinds Quillary keeps (HTML, RTF, a file list): nothing else is ever put back.
    static bool IsKeptKind(const FormatName& format)
    {
        return IsFileList(format) || (format.number == 0 && (format.name == kHtmlName || format.name == kRtfName));
    }
    // The file list, when the copy was of files.
    const KeptFormat* Files() const { return Find({L"", kFileListNumber}); }
    bool Empty() const { return kept.empty() && leftOut.empty() && late.empty(); }
    bool LeftOutForSize() const { return !leftOut.empty(); }

    // What is kept, for the preview: "HTML, RTF", "3 files"; empty when nothing is.
    std::wstring KeptSummary() const;
    // What was left out, named as KeptSummary names formats: "RTF".
    std::wstring LeftOutSummary() const;
    // What did not come in time, named the same way.
    std::wstring LateSummary() const;
};
