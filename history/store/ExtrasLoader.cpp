#include "history/store/ExtrasLoader.h"

#include <unordered_map>

#include "history/store/disk/FileSteps.h"
#include "history/store/extras/ExtrasPlace.h"
#include "history/store/extras/FormatsFilePlace.h"
#include "history/store/extras/FormatsRecord.h"
#include "history/store/sealed/SealedExtras.h"

namespace {

// A map is one slot per record with a short outline: far below this.
constexpr std::uint64_t kLargestMap = std::uint64_t{64} << 20;

// The row of each record's entry; -1 for a record that yielded none.
std::vector<int> RowsOfRecords(const HistoryModel& model, const HistoryStore& store)
{
    std::unordered_map<EntryId, int> rows;
    for (int row = 0; row < model.Count(); ++row)
        rows.emplace(model.At(row).id, row);
    std::vector<int> out;
    for (EntryId id : store.RecordIds()) {
        auto row = rows.find(id);
        out.push_back(row == rows.end() ? -1 : row->second);
    }
    return out;
}

}  // namespace

ExtrasLoader::ExtrasLoader(disk::FileSystem& files, StoreForm form, Resolve resolve, std::wstring folder)
    : m_files(files), m_form(std::move(form)), m_resolve(std::move(resolve)), m_folder(std::move(folder))
{
}

DWORD ExtrasLoader::Read()
{
    m_path = m_resolve(m_form.ExtrasName());
    ExtrasFileSource source(m_files, m_path);
    if (!source.IsOpen())
        return disk::IsMissing(source.Error()) ? ERROR_SUCCESS : source.Error();
    std::uint8_t start[8];
    if (source.Size() < sizeof start || !source.ReadAt(0, start, sizeof start) ||
        extras::Get(start + 4, 4) != extras::kMapVersion)
        return ERROR_SUCCESS;
    if (source.Size() > kLargestMap)
        return ERROR_SUCCESS;
    std::vector<std::uint8_t> bytes(static_cast<size_t>(source.Size()));
    if (!source.ReadAt(0, bytes.data(), bytes.size()))
        return source.Error() != ERROR_SUCCESS ? source.Error() : ERROR_READ_FAULT;
    const extras::Seals seals = m_form.Sealed() ? sealed_extras::MapSeals(m_form) : extras::PlainSeals();
    m_isMap = extras::DecodeMap(bytes.data(), bytes.size(), seals, m_map);
    if (!m_isMap)
        return ERROR_SUCCESS;
    m_description.historySize = m_map.historySize;
    m_description.historyCrc = m_map.historyCrc;
    m_description.entryCount = static_cast<std::int32_t>(m_map.entries.size());
    for (const extras::MapEntry& entry : m_map.entries) {
        m_description.recordIds.push_back(entry.id);
        m_description.records.push_back({entry.recordSize, entry.recordCrc});
    }
    return ERROR_SUCCESS;
}

bool ExtrasLoader::MapBelongs(const HistoryStore& store) const
{
    // The same records, but those a damaged byte changed (in the history file or in the map).
    const std::vector<journal::RecordCheck>& records = store.Records();
    if (records.size() != m_description.records.size())
        return false;
    int differing = store.DamagedRecords();
    for (size_t i = 0; i < records.size(); ++i)
        differing += m_map.whole[i] && !(records[i] == m_description.records[i]) ? 1 : 0;
    return differing * 10 <= static_cast<int>(records.size()) + 9;
}

bool ExtrasLoader::Belongs(std::uint64_t size, std::uint32_t crc, HistoryStore& store) const
{
    return size == store.FileSize() && crc == store.WholeCrc();
}

void ExtrasLoader::Apply(HistoryModel& model, HistoryStore& store)
{
    if (m_isMap)
        ApplyMap(model, store);
    else if (!m_path.empty())
        ApplyRecords(model, store);
}

void ExtrasLoader::ApplyMap(HistoryModel& model, const HistoryStore& store)
{
    if (!MapBelongs(store))
        return;
    const std::vector<int> rows = RowsOfRecords(model, store);
    for (size_t position = 0; position < rows.size() && position < m_map.entries.size(); ++position) {
        const extras::MapEntry& entry = m_map.entries[position];
        if (rows[position] < 0 || !m_map.whole[position] || entry.id != store.RecordIds()[position])
            continue;
        model.SetCaptureTime(rows[position], entry.captured);
        if (!entry.hasOutline)
            continue;
        // The formats' bytes stay in their file until the entry is pasted.
        const std::wstring name = extras::FormatsFileName(entry.id, m_form.Sealed());
        std::vector<std::wstring> paths = {m_folder + name};
        const std::wstring resolved = m_resolve(name);
        if (!resolved.empty() && resolved != paths.front())
            paths.insert(paths.begin(), resolved);
        auto place = std::make_shared<FormatsFilePlace>(m_files, std::move(paths), entry.id, entry.outline, m_form,
                                                        entry.formatsSet);
        model.SetLoadedFormats(rows[position], FromOutline(entry.outline, std::make_shared<FormatsShelf>(place)));
    }
}

void ExtrasLoader::ApplyRecords(HistoryModel& model, HistoryStore& store)
{
    const ExtrasFileSource source(m_files, m_path);
    extras::Index index;
    const bool indexed = m_form.Sealed() ? sealed_extras::IndexRecords(source, m_form, index)
                                         : extras::IndexRecords(source, KeptInOutline, index);
    if (!indexed && m_form.Sealed() && m_form.Legacy()) {
        ApplyWholeSealed(model, store);
        return;
    }
    if (!indexed || !Belongs(index.historySize, index.historyCrc, store))
        return;
    const std::vector<int> rows = RowsOfRecords(model, store);
    // The formats' bytes stay in the file until an entry is pasted, or the next save moves them to files of their own.
    auto paths = std::make_shared<std::vector<std::wstring>>(1, m_path);
    if (m_path != m_folder + m_form.ExtrasName())
        paths->push_back(m_folder + m_form.ExtrasName());
    for (const auto& record : index.records) {
        const int row = record.first < rows.size() ? rows[record.first] : -1;
        if (row < 0)
            continue;
        model.SetCaptureTime(row, record.second.captured);
        const extras::Formats& outline = record.second.outline;
        std::shared_ptr<FormatsShelf> shelf;
        if (!outline.kept.empty()) {
            const extras::Span& span = record.second.span;
            shelf = std::make_shared<FormatsShelf>(
                m_form.Sealed() ? std::make_shared<ExtrasPlace>(m_files, paths, span, m_form,
                                                                sealed_extras::SealId(index.historyCrc, record.first))
                                : std::make_shared<ExtrasPlace>(m_files, paths, span));
        }
        model.SetLoadedFormats(row, OutlineOf(outline, std::move(shelf)));
    }
}

void ExtrasLoader::ApplyWholeSealed(HistoryModel& model, HistoryStore& store)
{
    // The first sealed form sealed the file whole: its formats are held in memory until the next save.
    // Not read at all when it is larger than this build can hold.
    constexpr std::uint64_t kLargestWhole = std::uint64_t{256} << 20;
    extras::File file;
    std::vector<BYTE> bytes;
    if (disk::ReadWhole(m_files, m_path, bytes, kLargestWhole) != ERROR_SUCCESS ||
        !m_form.Open(SealKind::Extras, 0, bytes) || !extras::Decode(bytes.data(), bytes.size(), file) ||
        !Belongs(file.historySize, file.historyCrc, store))
        return;
    const std::vector<int> rows = RowsOfRecords(model, store);
    for (const auto& record : file.records) {
        const int row = record.first < rows.size() ? rows[record.first] : -1;
        if (row >= 0) {
            model.SetCaptureTime(row, record.second.captured);
            model.SetLoadedFormats(row, FromStored(record.second.formats));
        }
    }
}
