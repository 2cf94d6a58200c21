#include "Timeline.h"

#include <algorithm>
#include <cstdio>

#include "history/model/FormatsShelf.h"
#include "history/store/formats/BitmapFileWriter.h"
#include "history/store/formats/Crc32.h"
#include "Program.h"
#include "Workloads.h"

namespace crash {

namespace {

std::string Hex(std::uint32_t value)
{
    char text[12];
    snprintf(text, sizeof text, "%08x", value);
    return text;
}

std::wstring ContentOf(const HistoryEntry& entry)
{
    if (entry.IsPicture())
        return L"picture #" + std::to_wstring(ColourOf(entry.picture->Bitmap()));
    return entry.text ? L"\"" + *entry.text + L"\"" : L"?";
}

void AddText(std::vector<Needle>& needles, const std::string& what, const std::wstring& text)
{
    Needle narrow{what, {}}, wide{what + " (UTF-16)", {}};
    for (wchar_t unit : text) {
        narrow.bytes.push_back(static_cast<std::uint8_t>(unit));
        wide.bytes.push_back(static_cast<std::uint8_t>(unit & 0xFF));
        wide.bytes.push_back(static_cast<std::uint8_t>(unit >> 8));
    }
    needles.push_back(std::move(narrow));
    needles.push_back(std::move(wide));
}

}  // namespace

std::string Narrow(const std::wstring& text)
{
    std::string out;
    for (wchar_t unit : text)
        out.push_back(unit < 0x80 ? static_cast<char>(unit) : '?');
    return out;
}

// A history as the checks compare it: each row's content and formats, the top zone.

std::wstring TagOf(const std::shared_ptr<const EntryFormats>& formats)
{
    if (!formats)
        return L"";
    const FormatsShelf::Kept kept = KeptBytes(formats);
    // Formats a damaged byte costs read as none: the checks of damage judge those.
    if (!kept)
        return L"";
    std::wstring tag = L" [";
    for (const KeptFormat& format : *kept) {
        tag += (format.format.name.empty() ? L"#" + std::to_wstring(format.format.number) : format.format.name) + L":";
        const std::string crc = Hex(Crc32::Of(format.bytes.data(), format.bytes.size()));
        tag += std::wstring(crc.begin(), crc.end()) + L" ";
    }
    return tag + L"]";
}


State Describe(const HistoryModel& model, const Tagger& tag)
{
    State state;
    for (int row = 0; row < model.Count(); ++row)
        state.rows.push_back(ContentOf(model.At(row)) + tag(model.At(row)));
    state.top = model.TopCount();
    return state;
}

State FromDisk(const HistoryModel& model)
{
    return Describe(model, [](const HistoryEntry& entry) { return TagOf(entry.formats); });
}


// The byte patterns a file holding the entry would hold: its text, its formats' bytes, its pixels.
std::vector<Needle> NeedlesOf(const HistoryEntry& entry)
{
    std::vector<Needle> needles;
    if (entry.text)
        AddText(needles, "text \"" + Narrow(*entry.text) + "\"", *entry.text);
    if (const FormatsShelf::Kept kept = entry.formats ? KeptBytes(entry.formats) : nullptr) {
        for (const KeptFormat& format : *kept) {
            if (format.bytes.size() >= 8)
                needles.push_back({"formats of \"" + Narrow(entry.text ? *entry.text : L"") + "\"", format.bytes});
        }
    }
    std::vector<BYTE> file;
    if (entry.IsPicture() && EncodeBitmapFile(entry.picture->Bitmap(), ScreenColorDepth(), file) && file.size() > 72) {
        const std::vector<std::uint8_t> row(file.begin() + 54, file.begin() + 72);
        needles.push_back({"pixels of " + Narrow(ContentOf(entry)), row});
    }
    return needles;
}

bool Holds(const std::vector<std::uint8_t>& bytes, const Needle& needle)
{
    return std::search(bytes.begin(), bytes.end(), needle.bytes.begin(), needle.bytes.end()) != bytes.end();
}

std::string FilesOf(const Image& image)
{
    std::string files;
    for (const auto& entry : image.nodes) {
        if (entry.second.folder)
            continue;
        const std::wstring& path = entry.second.path;
        files += Narrow(path.substr(std::wstring(kFolder).size() <= path.size() ? std::wstring(kFolder).size() : 0)) +
                 " " + std::to_string(entry.second.bytes.size()) + ", ";
    }
    return files.empty() ? "no files" : files.substr(0, files.size() - 2);
}

std::uint64_t BytesOf(const Image& image)
{
    std::uint64_t total = 0;
    for (const auto& entry : image.nodes)
        total += entry.second.bytes.size();
    return total;
}

// What the program went through: its history after the start and after each
// change, with the byte patterns of what was copied and removed.

}  // namespace crash
