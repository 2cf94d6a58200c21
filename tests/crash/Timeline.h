#pragma once
// What a run of the explorer went through, as the checks compare it: the
// history after the start and after each change (each row's content and
// formats, the top zone), with the byte patterns of what was copied and
// removed, so that the files can be searched for them.
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "history/model/HistoryModel.h"
#include "MemoryFiles.h"

namespace crash {

std::string Narrow(const std::wstring& text);

struct State {
    std::vector<std::wstring> rows;
    int top = 0;
    bool operator==(const State& other) const { return rows == other.rows && top == other.top; }
    std::string Text() const
    {
        std::string text;
        for (size_t row = 0; row < rows.size(); ++row)
            text += (static_cast<int>(row) == top ? "| " : "") + Narrow(rows[row]) + "; ";
        return text + (top == static_cast<int>(rows.size()) ? "|" : "");
    }
};

struct Needle {
    std::string what;
    std::vector<std::uint8_t> bytes;
};

using Tagger = std::function<std::wstring(const HistoryEntry&)>;
// A row's formats as the checks compare them: each kept format's name and CRC.
std::wstring TagOf(const std::shared_ptr<const EntryFormats>& formats);
State Describe(const HistoryModel& model, const Tagger& tag);
// The history with its formats read where they lie.
State FromDisk(const HistoryModel& model);
// The byte patterns a file holding the entry would hold: its text, its formats' bytes, its pixels.
std::vector<Needle> NeedlesOf(const HistoryEntry& entry);
bool Holds(const std::vector<std::uint8_t>& bytes, const Needle& needle);
// The files' names and sizes, for a violation's report.
std::string FilesOf(const Image& image);
std::uint64_t BytesOf(const Image& image);

struct Timeline {
    std::vector<State> states;
    size_t acked = 0;  // states before this one are gone for good once a cut comes
    std::map<EntryId, std::wstring> tags;
    std::map<EntryId, std::vector<Needle>> needles;
    std::set<EntryId> present;
    std::vector<Needle> removing;  // removed by the user, the fold not yet known to be done
    std::vector<Needle> removed;   // removed, the fold done: in no file
    std::vector<Needle> copied;
    bool sealed = false;  // encryption went on: no copied byte in plain form from now on

    State Now(const HistoryModel& model) const
    {
        return Describe(model, [this](const HistoryEntry& entry) {
            auto found = tags.find(entry.id);
            return found == tags.end() ? std::wstring() : found->second;
        });
    }
    void Learn(const HistoryEntry& entry)
    {
        tags[entry.id] = TagOf(entry.formats);
        needles[entry.id] = NeedlesOf(entry);
        copied.insert(copied.end(), needles[entry.id].begin(), needles[entry.id].end());
    }
    void Loaded(const HistoryModel& model)
    {
        for (int row = 0; row < model.Count(); ++row) {
            Learn(model.At(row));
            present.insert(model.At(row).id);
        }
        states.push_back(Now(model));
    }
    void Changed(const HistoryModel& model, const HistoryChange& change)
    {
        if (change.kind == HistoryChange::Kind::Reset) {
            // A history read late joined what was copied meanwhile.
            for (int row = 0; row < model.Count(); ++row) {
                if (present.insert(model.At(row).id).second)
                    Learn(model.At(row));
            }
            states.push_back(Now(model));
            return;
        }
        if ((change.kind == HistoryChange::Kind::Insert || change.kind == HistoryChange::Kind::MoveBelowTop) &&
            change.entry)
            Learn(*change.entry);
        std::set<EntryId> now;
        for (int row = 0; row < model.Count(); ++row)
            now.insert(model.At(row).id);
        for (EntryId id : present) {
            if (!now.count(id) && !change.capped)
                removing.insert(removing.end(), needles[id].begin(), needles[id].end());
        }
        present = std::move(now);
        states.push_back(Now(model));
    }
    void Folded()
    {
        removed.insert(removed.end(), removing.begin(), removing.end());
        removing.clear();
    }
};

}  // namespace crash
