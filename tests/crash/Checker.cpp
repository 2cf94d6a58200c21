#include "Checker.h"

#include <algorithm>
#include <iterator>
#include <set>

namespace crash {

void Checker::Add(const std::string& invariant, const std::string& detail, const Image& image)
{
    m_out.push_back({invariant, detail, FilesOf(image)});
}

void Checker::Add(const std::string& invariant, const std::string& detail, MemoryFiles& files)
{
    MemoryFiles::Quiet quiet(files);
    Add(invariant, detail, files.Now());
}

void Checker::Residue(const Image& image, const Timeline& line)
{
    for (const auto& entry : image.nodes) {
        for (const Needle& needle : line.removed) {
            if (Holds(entry.second.bytes, needle)) {
                Add("I2", "the removed " + needle.what + " is still in " + Narrow(entry.second.path), image);
                return;
            }
        }
        if (!line.sealed)
            continue;
        for (const Needle& needle : line.copied) {
            if (Holds(entry.second.bytes, needle)) {
                Add("I3", "the " + needle.what + " lies in plain form in " + Narrow(entry.second.path), image);
                return;
            }
        }
    }
}

void Checker::KeptWhole(const Image& prepared, const Image& image)
{
    for (const auto& entry : prepared.nodes) {
        const std::wstring& path = entry.second.path;
        const bool sealed = path.find(L".q") != std::wstring::npos || path.find(L"history.key") != std::wstring::npos;
        if (!sealed || entry.second.folder)
            continue;
        const bool kept = std::any_of(image.nodes.begin(), image.nodes.end(),
                                      [&](const auto& other) { return other.second.bytes == entry.second.bytes; });
        if (!kept) {
            Add("I4", Narrow(path) + ", sealed with a key that does not open it, is no longer kept whole", image);
            return;
        }
    }
}

void Checker::Compare(const State& got, const Timeline& line, bool exact, const Image& image)
{
    const auto first = line.states.begin() + static_cast<std::ptrdiff_t>(exact ? line.states.size() - 1 : line.acked);
    if (std::find(first, line.states.end(), got) != line.states.end())
        return;
    const State& expected = line.states.back();
    const State& oldest = *first;
    // Which promise it broke: a row every candidate has is gone (I1), a row none has came back
    // (I2), the same rows with other formats (I5), or an order the program never had.
    std::string invariant = "I1";
    std::set<std::wstring> gotRows(got.rows.begin(), got.rows.end());
    std::set<std::wstring> inAny, inAll(expected.rows.begin(), expected.rows.end());
    for (auto state = first; state != line.states.end(); ++state) {
        std::set<std::wstring> rows(state->rows.begin(), state->rows.end());
        inAny.insert(rows.begin(), rows.end());
        std::set<std::wstring> both;
        std::set_intersection(inAll.begin(), inAll.end(), rows.begin(), rows.end(), std::inserter(both, both.end()));
        inAll.swap(both);
    }
    const auto content = [](const std::wstring& row) { return row.substr(0, row.find(L" [")); };
    std::set<std::wstring> gotContent, expectedContent;
    for (const std::wstring& row : got.rows)
        gotContent.insert(content(row));
    for (const std::wstring& row : expected.rows)
        expectedContent.insert(content(row));
    if (std::any_of(got.rows.begin(), got.rows.end(), [&](const std::wstring& row) { return !inAny.count(row); }))
        invariant = "I2";
    if (gotContent == expectedContent && got.rows.size() == expected.rows.size() && !(got == expected))
        invariant = "I5";
    if (std::any_of(inAll.begin(), inAll.end(), [&](const std::wstring& row) { return !gotRows.count(row); }))
        invariant = m_case.fault.mode == Fault::Mode::Fail ? "I7" : "I1";
    Add(invariant,
        "after the restart the history is " + got.Text() + " but the program went through " +
            (exact ? expected.Text() : oldest.Text() + " ... " + expected.Text()),
        image);
}

}  // namespace crash
