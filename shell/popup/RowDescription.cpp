#include "shell/popup/RowDescription.h"

#include "history/model/EntryFormats.h"

namespace {

void Append(std::wstring& description, const std::wstring& part)
{
    if (part.empty())
        return;
    if (!description.empty())
        description += L"; ";
    description += part;
}

std::wstring PicturePart(SIZE size)
{
    if (size.cx <= 0 || size.cy <= 0)
        return L"picture";
    return L"picture, " + std::to_wstring(size.cx) + L" by " + std::to_wstring(size.cy) + L" pixels";
}

}  // namespace

std::wstring DescribeRow(const RowFacts& row)
{
    std::wstring description;
    if (row.pinned)
        Append(description, L"pinned");
    if (row.picture)
        Append(description, PicturePart(row.pictureSize));
    if (row.formats) {
        const std::wstring kept = row.formats->KeptSummary();
        // A file list's summary counts its files ("3 files"), and names what else was kept.
        if (!kept.empty())
            Append(description, (row.formats->Files() ? L"file list, " : L"with ") + kept);
        if (row.formats->LeftOutForSize())
            Append(description, L"formatting not kept: " + row.formats->LeftOutSummary());
    }
    if (row.quickKey >= 1 && row.quickKey <= 9)
        Append(description, L"Ctrl+" + std::to_wstring(row.quickKey));
    return description;
}
