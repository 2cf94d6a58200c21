#include "history/store/saveset/FullSave.h"

#include <algorithm>
#include <optional>
#include <string>

#include "framework/CArchive.h"
#include "framework/CMemFile.h"
#include "history/store/extras/ExtrasPlace.h"
#include "history/store/extras/FormatsFilePlace.h"
#include "history/store/extras/FormatsRecord.h"
#include "history/store/formats/Crc32.h"
#include "history/store/formats/FileNames.h"
#include "history/store/formats/HistoryFormat.h"
#include "history/store/formats/OptionsRecord.h"
#include "history/store/formats/PictureFiles.h"
#include "history/store/sealed/SealedExtras.h"
#include "history/store/sealed/SealedHistory.h"

namespace {

// Records written between two looks at the journal's queue.
constexpr size_t kRecordsPerStep = 64;
// Beyond this a text's 8-bit form could pass the 32-bit length prefix.
constexpr size_t kLongestText = 0x7FFFFFFF;

void WriteRecord(CArchive& archive, const HistoryEntry& entry)
{
    if (entry.IsPicture()) {
        WriteBitmapRecord(archive);
        return;
    }
    const std::wstring& text = *entry.text;
    WriteTextRecord(archive, std::u16string_view(reinterpret_cast<const char16_t*>(text.data()), text.size()),
                    archive.Codec());
}

// One record of the history file as its bytes.
std::vector<std::uint8_t> RecordBytes(const HistoryEntry& entry)
{
    CMemFile memory;
    {
        CArchive archive(&memory, CArchive::store, 1 << 16);
        WriteRecord(archive, entry);
        archive.Close();
    }
    return memory.Bytes();
}

// The history file as an archive writes it, each record summed up as it passes.
class RecordSums : public CFile {
public:
    explicit RecordSums(CFile& out) : m_out(out) {}
    void Write(const void* data, UINT count) override
    {
        m_out.Write(data, count);
        m_crc.Update(data, count);
        m_size += count;
    }
    // The record written since the last one was taken.
    journal::RecordCheck Take()
    {
        const journal::RecordCheck check{static_cast<std::uint32_t>(m_size), m_crc.Value()};
        m_crc = Crc32();
        m_size = 0;
        return check;
    }

private:
    CFile& m_out;
    Crc32 m_crc;
    std::uint64_t m_size = 0;
};

}  // namespace

FullSave::FullSave(std::wstring folder, const SaveSnapshot& snapshot, disk::FileSystem& files)
    : m_folder(std::move(folder)), m_files(files), m_snapshot(snapshot), m_form(snapshot.form.NextSet()),
      m_set(m_folder, files)
{
}

bool FullSave::AddStored(const std::wstring& name, SealKind kind, std::uint64_t id,
                         const std::function<void(CFile&)>& body)
{
    if (!m_form.Sealed())
        return m_set.AddFile(name, body);
    CMemFile plain;
    body(plain);
    const std::vector<std::uint8_t> sealed = m_form.Seal(kind, id, plain.Bytes());
    return m_set.AddFile(name, [&sealed](CFile& out) {
        if (sealed.empty())
            throw CFileWriteError(ERROR_ENCRYPTION_FAILED);
        out.Write(sealed.data(), static_cast<UINT>(sealed.size()));
    });
}

bool FullSave::WritePictures(const Between& between)
{
    const std::vector<HistoryEntry>& entries = m_snapshot.history.entries;
    for (size_t index = 0; index < entries.size(); ++index) {
        if (!entries[index].IsPicture()) {
            if (entries[index].text && entries[index].text->size() <= kLongestText)
                m_kept.push_back(index);
            else
                ++m_skipped;
            continue;
        }
        if (index >= m_snapshot.pictureFiles.size() || m_snapshot.pictureFiles[index].empty()) {
            ++m_skipped;
            continue;
        }
        const std::vector<BYTE>& file = m_snapshot.pictureFiles[index];
        // The file is named by the record's position in data.data.
        const int record = static_cast<int>(m_kept.size());
        if (!AddStored(m_form.PictureName(record), SealKind::Picture, static_cast<std::uint64_t>(record),
                       [&file](CFile& out) { out.Write(file.data(), static_cast<UINT>(file.size())); }))
            return false;
        m_kept.push_back(index);
        between(m_tail);
    }
    return true;
}

bool FullSave::AddStaleFiles()
{
    DWORD listed = ERROR_SUCCESS;
    for (const std::wstring& name : picture_files::In(m_files, m_folder, &listed)) {
        const long long record = picture_files::RecordOf(name);
        const bool used = name == m_form.PictureName(static_cast<int>(record)) &&
                          record < static_cast<long long>(m_kept.size()) &&
                          m_snapshot.history.entries[m_kept[static_cast<size_t>(record)]].IsPicture();
        const bool sealed = name.size() > 5 && name.compare(name.size() - 5, 5, L".qdat") == 0;
        if (!used && !(sealed && m_snapshot.keepSealed))
            m_set.AddStale(name);
    }
    if (listed == ERROR_SUCCESS) {
        std::vector<disk::Found> found;
        listed = disk::ListFolder(m_files, m_folder, found);
        for (const disk::Found& entry : found) {
            std::uint64_t id = 0;
            if (entry.folder || !extras::IdOfFormatsFile(entry.name, id) || m_formatsFiles.count(entry.name))
                continue;
            const bool sealed = entry.name.size() > 5 && entry.name.compare(entry.name.size() - 5, 5, L".qfmt") == 0;
            if (!(sealed && m_snapshot.keepSealed))
                m_set.AddStale(entry.name);
        }
    }
    if (listed != ERROR_SUCCESS) {
        m_failure = {m_form.HistoryName(), listed};
        return false;
    }
    if (!(m_snapshot.keepSealed && !m_form.Sealed())) {
        for (const std::wstring& name : StoreForm::FixedNames(!m_form.Sealed()))
            m_set.AddStale(name);
    }
    return true;
}

bool FullSave::WriteHistory(const Between& between)
{
    m_base = journal::Header();
    // Each record goes out on its own, described by its size and CRC; sealed, each is sealed to its place.
    const auto body = [this, &between](CFile& file) {
        RecordSums sums(file);
        std::optional<CArchive> archive;
        if (m_form.Sealed()) {
            const std::vector<std::uint8_t> start = sealed_history::EncodeStart();
            file.Write(start.data(), static_cast<UINT>(start.size()));
        } else {
            // Plain, the records stream through one archive, each summed as it goes out.
            archive.emplace(&sums, CArchive::store, 1 << 16);
        }
        for (size_t i = 0; i < m_kept.size(); ++i) {
            const HistoryEntry& entry = m_snapshot.history.entries[m_kept[i]];
            journal::RecordCheck check;
            if (archive) {
                WriteRecord(*archive, entry);
                archive->Flush();
                check = sums.Take();
            } else {
                const std::vector<std::uint8_t> record = RecordBytes(entry);
                check = {static_cast<std::uint32_t>(record.size()), Crc32::Of(record.data(), record.size())};
                std::vector<std::uint8_t> sealed;
                if (!sealed_history::EncodeRecord(m_form, static_cast<std::uint32_t>(i), record, sealed))
                    throw CFileWriteError(ERROR_ENCRYPTION_FAILED);
                file.Write(sealed.data(), static_cast<UINT>(sealed.size()));
            }
            m_base.records.push_back(check);
            m_base.recordIds.push_back(entry.id);
            m_base.historySize += check.size;
            if ((i + 1) % kRecordsPerStep == 0)
                between(m_tail);
        }
        if (archive)
            archive->Close();
    };
    bool ok = false;
    try {
        ok = m_set.AddFile(m_form.HistoryName(), body);
    } catch (const ArchiveStringTooLong&) {
        // Left out by WritePictures: a text that long never gets here.
        ok = false;
    }
    m_base.entryCount = static_cast<std::int32_t>(m_kept.size());
    return ok;
}

bool FullSave::MapEntryOf(std::size_t position, extras::MapEntry& mapped)
{
    const HistoryEntry& entry = m_snapshot.history.entries[m_kept[position]];
    mapped.recordSize = m_base.records[position].size;
    mapped.recordCrc = m_base.records[position].crc;
    mapped.id = entry.id;
    mapped.captured = entry.captured;
    if (!entry.formats)
        return true;
    mapped.hasOutline = true;
    const std::wstring name = extras::FormatsFileName(entry.id, m_form.Sealed());
    const std::shared_ptr<FormatsShelf>& shelf = entry.formats->shelf;
    const auto* place = shelf ? dynamic_cast<const FormatsFilePlace*>(shelf->Place().get()) : nullptr;
    if (place && place->Sealed() == m_form.Sealed() && place->Path() == m_folder + name) {
        // Already in its file: it stays there.
        mapped.outline = place->Outline();
        mapped.formatsSet = place->Set();
        m_formatsFiles.insert(name);
        return true;
    }
    FormatsPlace::Outcome outcome = FormatsPlace::Outcome::Read;
    const FormatsShelf::Kept kept = shelf ? shelf->Take(&outcome) : FormatsShelf::Kept(entry.formats, &entry.formats->kept);
    // Formats that could not be read now are not taken for gone: the old files stay, and the save is tried again.
    if (!kept && outcome == FormatsPlace::Outcome::Unreadable) {
        m_failure = {m_form.ExtrasName(), ERROR_READ_FAULT};
        return false;
    }
    // Damaged ones cost this entry its formats, never its names or label.
    mapped.outline = OutlineOf(*entry.formats, kept ? *kept : std::vector<KeptFormat>());
    mapped.formatsSet = m_form.Set();
    if (mapped.outline.kept.empty())
        return true;
    std::vector<std::uint8_t> bytes;
    for (const KeptFormat& format : *kept)
        bytes.insert(bytes.end(), format.bytes.begin(), format.bytes.end());
    const std::vector<std::uint8_t> file = m_form.Sealed() ? sealed_extras::EncodeFormatsFile(m_form, entry.id, bytes)
                                                           : [&] {
                                                                 std::vector<std::uint8_t> plain =
                                                                     extras::FormatsFileHead(entry.id);
                                                                 plain.insert(plain.end(), bytes.begin(), bytes.end());
                                                                 return plain;
                                                             }();
    if (!m_set.AddFile(name, [&file](CFile& out) {
            if (file.empty())
                throw CFileWriteError(ERROR_ENCRYPTION_FAILED);
            out.Write(file.data(), static_cast<UINT>(file.size()));
        }))
        return false;
    m_formatsFiles.insert(name);
    if (shelf)
        m_places.emplace_back(shelf, std::make_shared<FormatsFilePlace>(
                                         m_files, std::vector<std::wstring>{m_folder + name, m_set.TemporaryPath(name)},
                                         entry.id, mapped.outline, m_form, m_form.Set()));
    return true;
}

bool FullSave::WriteExtras()
{
    extras::Map map;
    map.historySize = m_base.historySize;
    map.historyCrc = m_base.historyCrc;
    map.entries.resize(m_kept.size());
    for (size_t i = 0; i < m_kept.size(); ++i) {
        if (!MapEntryOf(i, map.entries[i]))
            return false;
    }
    const std::vector<std::uint8_t> bytes =
        extras::EncodeMap(map, m_form.Sealed() ? sealed_extras::MapSeals(m_form) : extras::PlainSeals());
    return m_set.AddFile(m_form.ExtrasName(), [&bytes](CFile& out) {
        if (bytes.empty())
            throw CFileWriteError(ERROR_ENCRYPTION_FAILED);
        out.Write(bytes.data(), static_cast<UINT>(bytes.size()));
    });
}

void FullSave::ShelveFormats()
{
    for (auto& place : m_places)
        place.first->MoveTo(std::move(place.second));
    m_places.clear();
}

bool FullSave::WriteOptions()
{
    SettingsRecord record = ToRecord(m_snapshot.history.options);
    record.entryCount = static_cast<std::int32_t>(m_kept.size());
    // Entries left out of the top zone lower it by as many.
    m_topCount = static_cast<int>(std::count_if(m_kept.begin(), m_kept.end(), [this](size_t index) {
        return static_cast<int>(index) < m_snapshot.history.topCount;
    }));
    record.topCount = m_topCount;
    return m_set.AddFile(g_strOptionsFileName, [&record](CFile& file) {
        CArchive archive(&file, CArchive::store);
        WriteSettings(archive, record, archive.Codec());
        archive.Close();
    });
}

bool FullSave::WriteJournal(const std::vector<std::vector<std::uint8_t>>& tail)
{
    return m_set.AddFile(m_form.JournalName(), [this, &tail](CFile& file) {
        m_journalBytes = 0;
        m_journalChain = 0;
        const auto write = [this, &file](const std::vector<std::uint8_t>& plain) {
            const std::vector<std::uint8_t> bytes = m_form.JournalBytesAt(plain, m_journalBytes, m_journalChain);
            if (bytes.empty())
                throw CFileWriteError(ERROR_ENCRYPTION_FAILED);
            file.Write(bytes.data(), static_cast<UINT>(bytes.size()));
            m_journalChain = journal::ChainAfter(bytes, m_journalBytes == 0);
            m_journalBytes += bytes.size();
        };
        write(journal::EncodeStart(m_base));
        for (const std::vector<std::uint8_t>& frame : tail)
            write(frame);
    });
}

bool FullSave::Run(const Between& between, const Committing& committing, disk::MoveWait wait)
{
    if (!WritePictures(between) || !WriteHistory(between) || !WriteExtras() || !WriteOptions())
        return false;
    // The key goes with the files it opens, with this set's number under it.
    if (m_form.Sealed() && !m_set.AddFile(g_strKeyFileName, [this](CFile& out) {
            const std::vector<std::uint8_t> key = m_form.KeyFileBytes();
            if (key.empty())
                throw CFileWriteError(ERROR_ENCRYPTION_FAILED);
            out.Write(key.data(), static_cast<UINT>(key.size()));
        }))
        return false;
    // The last look at the queue: whatever arrived goes into the new journal.
    between(m_tail);
    // The new journal belongs to the set even when it holds no change yet: should
    // a move be blocked, later changes go on into it, and it moves with the rest.
    if (!WriteJournal(m_tail) || !AddStaleFiles())
        return false;
    const std::wstring newJournal = m_set.TemporaryPath(m_form.JournalName());
    // No read of formats from an earlier version's extras file meets it between its replacement and the
    // shelves' move into their own files.
    std::lock_guard<std::mutex> lock(ExtrasPlace::FilesLock());
    bool bound = false;
    const bool done = m_set.Commit(
        [&] {
            bound = true;
            committing(newJournal);
        },
        wait);
    // Once bound the set stands (or will, when a blocked move goes through): the formats are read from it.
    if (bound)
        ShelveFormats();
    return done;
}
