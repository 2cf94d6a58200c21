#include "history/store/saveset/FullSave.h"

#include <algorithm>
#include <string>

#include "framework/CArchive.h"
#include "framework/CMemFile.h"
#include "history/store/formats/Crc32.h"
#include "history/store/extras/ExtrasFormat.h"
#include "history/store/extras/ExtrasPlace.h"
#include "history/store/formats/FileNames.h"
#include "history/store/extras/FormatsRecord.h"
#include "history/store/formats/HistoryFormat.h"
#include "history/store/formats/OptionsRecord.h"
#include "history/store/formats/PictureFiles.h"
#include "history/store/sealed/SealedExtras.h"

namespace {

// Records written between two looks at the journal's queue.
constexpr size_t kRecordsPerStep = 64;
// Beyond this a text's 8-bit form could pass the 32-bit length prefix.
constexpr size_t kLongestText = 0x7FFFFFFF;
// The extras go to the file in pieces of about this.
constexpr size_t kExtrasPiece = size_t{1} << 20;

}  // namespace

FullSave::FullSave(std::wstring folder, const SaveSnapshot& snapshot, disk::FileSystem& files)
    : m_folder(std::move(folder)), m_files(files), m_snapshot(snapshot), m_form(snapshot.form), m_set(m_folder, files)
{
}

bool FullSave::AddStored(const std::wstring& name, SealKind kind, std::uint64_t id,
                         const std::function<void(CFile&)>& body, SaveSet::Written* written)
{
    if (!m_form.Sealed())
        return m_set.AddFile(name, body, written);
    CMemFile plain;
    body(plain);
    if (written)
        *written = {plain.Bytes().size(), Crc32::Of(plain.Bytes().data(), plain.Bytes().size())};
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
    SaveSet::Written written;
    const bool ok = AddStored(
        m_form.HistoryName(), SealKind::History, 0,
        [this, &between](CFile& file) {
            CArchive archive(&file, CArchive::store);
            for (size_t i = 0; i < m_kept.size(); ++i) {
                const HistoryEntry& entry = m_snapshot.history.entries[m_kept[i]];
                if (entry.IsPicture()) {
                    WriteBitmapRecord(archive);
                } else {
                    const std::wstring& text = *entry.text;
                    WriteTextRecord(archive,
                                    std::u16string_view(reinterpret_cast<const char16_t*>(text.data()), text.size()),
                                    archive.Codec());
                }
                if ((i + 1) % kRecordsPerStep == 0)
                    between(m_tail);
            }
            archive.Close();
        },
        &written);
    m_base.historySize = written.size;
    m_base.historyCrc = written.crc;
    m_base.entryCount = static_cast<std::int32_t>(m_kept.size());
    m_base.recordIds.clear();
    for (size_t index : m_kept)
        m_base.recordIds.push_back(m_snapshot.history.entries[index].id);
    return ok;
}

bool FullSave::WriteExtras()
{
    const std::uint32_t historyCrc = m_base.historyCrc;
    const std::wstring name = m_form.ExtrasName();
    auto paths = std::make_shared<std::vector<std::wstring>>();
    paths->push_back(m_folder + name);
    paths->push_back(m_set.TemporaryPath(name));
    // A record at a time: formats read from disk are never all in memory at once.
    return m_set.AddFile(name, [&](CFile& out) {
        std::vector<std::uint8_t> bytes = m_form.Sealed()
                                              ? sealed_extras::EncodeHeader(m_form, m_base.historySize, historyCrc)
                                              : extras::EncodeHeader(m_base.historySize, historyCrc);
        if (bytes.empty())
            throw CFileWriteError(ERROR_ENCRYPTION_FAILED);
        std::uint64_t offset = 0;
        for (size_t i = 0; i <= m_kept.size(); ++i) {
            if (i < m_kept.size()) {
                const HistoryEntry& entry = m_snapshot.history.entries[m_kept[i]];
                extras::Record record;
                record.captured = entry.captured;
                record.formats = StoredOf(entry.formats);
                const auto position = static_cast<std::uint32_t>(i);
                extras::Span span;
                if (!m_form.Sealed())
                    span = extras::EncodeRecord(position, record, bytes);
                else if (!sealed_extras::EncodeRecord(m_form, historyCrc, position, record, KeptInOutline, bytes, span))
                    throw CFileWriteError(ERROR_ENCRYPTION_FAILED);
                span.offset += offset;
                if (entry.formats && entry.formats->shelf && !record.formats.kept.empty())
                    m_places.emplace_back(entry.formats->shelf,
                                          m_form.Sealed() ? std::make_shared<ExtrasPlace>(
                                                                m_files, paths, span, m_form,
                                                                sealed_extras::SealId(historyCrc, position))
                                                          : std::make_shared<ExtrasPlace>(m_files, paths, span));
            }
            // Written in pieces, so that a long history's formats pass through a small buffer.
            if (bytes.size() >= kExtrasPiece || i == m_kept.size()) {
                out.Write(bytes.data(), static_cast<UINT>(bytes.size()));
                offset += bytes.size();
                bytes.clear();
            }
        }
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
        const auto write = [this, &file](const std::vector<std::uint8_t>& plain) {
            const std::vector<std::uint8_t> bytes = m_form.JournalBytesAt(plain, m_journalBytes);
            if (bytes.empty())
                throw CFileWriteError(ERROR_ENCRYPTION_FAILED);
            file.Write(bytes.data(), static_cast<UINT>(bytes.size()));
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
    // The key goes with the files it opens.
    if (m_form.Sealed() && !m_set.AddFile(g_strKeyFileName, [this](CFile& out) {
            const std::vector<std::uint8_t> key = m_form.Key()->FileBytes();
            out.Write(key.data(), static_cast<UINT>(key.size()));
        }))
        return false;
    // The last look at the queue: whatever arrived goes into the new journal.
    between(m_tail);
    // The new journal belongs to the set even when it holds no change yet: should
    // a move be blocked, later changes go on into it, and it moves with the rest.
    if (!WriteJournal(m_tail))
        return false;
    if (!AddStaleFiles())
        return false;
    const std::wstring newJournal = m_set.TemporaryPath(m_form.JournalName());
    // No read of formats meets the extras file between its replacement and the shelves' move into it.
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
