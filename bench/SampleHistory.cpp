#include "bench/SampleHistory.h"

#include <windows.h>

#include "bench/RawFile.h"
#include "framework/AnsiCodePage.h"
#include "history/store/formats/BitmapFileWriter.h"
#include "history/store/formats/Crc32.h"
#include "history/store/DurableHistory.h"
#include "history/store/extras/ExtrasFormat.h"
#include "history/store/formats/FileNames.h"
#include "history/store/formats/HistoryFormat.h"
#include "history/store/journal/JournalFormat.h"
#include "history/store/formats/SettingsFormat.h"

namespace {

class StringSink : public ByteSink {
public:
    void WriteBytes(const void* data, std::size_t count) override
    {
        m_bytes.append(static_cast<const char*>(data), count);
    }
    std::string& Bytes() { return m_bytes; }

private:
    std::string m_bytes;
};

}  // namespace

std::u16string SampleHistory::Text(int index) const
{
    const std::wstring number = std::to_wstring(index);
    std::u16string text = u"Entry " + std::u16string(number.begin(), number.end()) + u":";
    // A small linear congruential generator: the same words every run.
    unsigned state = 2654435761u * static_cast<unsigned>(index + 1);
    while (text.size() < m_textChars) {
        text.push_back(u' ');
        state = state * 1664525u + 1013904223u;
        const unsigned wordLength = 2 + (state >> 28) % 8;
        for (unsigned i = 0; i < wordLength && text.size() < m_textChars; ++i) {
            state = state * 1664525u + 1013904223u;
            text.push_back(static_cast<char16_t>(u'a' + (state >> 24) % 26));
        }
    }
    text.resize(m_textChars);
    return text;
}

std::string SampleHistory::HistoryFileBytes() const
{
    StringSink sink;
    sink.Bytes().reserve(static_cast<size_t>(TextBytes()) + static_cast<size_t>(m_entries) * 12);
    for (int i = 0; i < m_entries; ++i)
        WriteTextRecord(sink, Text(i), AnsiCodePage::System());
    return std::move(sink.Bytes());
}

std::string SampleHistory::SettingsFileBytes(int entries) const
{
    SettingsRecord record;
    record.entryCount = entries < 0 ? m_entries : entries;
    record.encrypt = m_encrypted ? 1 : 0;
    StringSink sink;
    WriteSettings(sink, record, AnsiCodePage::System());
    return std::move(sink.Bytes());
}

std::string SampleHistory::JournalFileBytes() const
{
    journal::Header empty;
    // Each frame chained to the one before, as the writer writes them.
    const std::vector<std::uint8_t> start = journal::Chained(journal::EncodeStart(empty), true, 0);
    std::uint32_t chain = journal::ChainAfter(start, true);
    std::string bytes(start.begin(), start.end());
    bytes.reserve(static_cast<size_t>(TextBytes()) + static_cast<size_t>(m_entries) * 40);
    // Each capture goes in at the top: the last one written is the first entry.
    constexpr std::uint64_t kSomeDay = 134100000000000000ull;  // a FILETIME in 2025
    for (int i = m_entries - 1; i >= 0; --i) {
        const std::vector<std::uint8_t> frame = journal::Chained(
            journal::EncodeTextInsert(kSomeDay + static_cast<std::uint64_t>(m_entries - i),
                                      static_cast<std::uint64_t>(i) + 1, Text(i)),
            false, chain);
        chain = journal::ChainAfter(frame, false);
        bytes.append(frame.begin(), frame.end());
    }
    return bytes;
}

bool SampleHistory::WriteDataFolder(const std::wstring& dataFolder) const
{
    CreateDirectoryW(dataFolder.c_str(), nullptr);
    for (bool sealed : {false, true}) {
        for (const std::wstring& name : StoreForm::FixedNames(sealed))
            DeleteFileW((dataFolder + name).c_str());
    }
    // With the capture times this version keeps, so that a start has nothing to mend.
    const std::string history = HistoryFileBytes();
    extras::File extras;
    extras.historySize = history.size();
    extras.historyCrc = Crc32::Of(history.data(), history.size());
    for (int record = 0; record < m_entries; ++record) {
        extras::Record& kept = extras.records[static_cast<std::uint32_t>(record)];
        kept.captured = UtcNow();
        if (m_htmlBytes > 0)
            kept.formats.kept.push_back({u"HTML Format", 0, std::vector<std::uint8_t>(m_htmlBytes, 'h')});
    }
    const std::vector<std::uint8_t> extrasBytes = extras::Encode(extras);
    if (!RawFile::Write(dataFolder + g_strOptionsFileName, SettingsFileBytes()) ||
        !RawFile::Write(dataFolder + g_strHistoryFileName, history) ||
        !RawFile::Write(dataFolder + g_strExtrasFileName, std::string(extrasBytes.begin(), extrasBytes.end())))
        return false;
    // A start and an exit write the files as this version keeps them (each entry's formats in a file of its
    // own; sealed with the option on), so that a start measured later has nothing to mend.
    HistoryModel model;
    ClipOptions options;
    DurableHistory durable(model, options);
    durable.SetFolder(DataFolder{dataFolder, dataFolder, false});
    durable.LoadOptions();
    durable.LoadHistory();
    durable.Start([](UINT) {}, ScreenColorDepth(), JournalWriter::Driver());
    return durable.SaveAtExit() && durable.Encrypted() == m_encrypted;
}

bool SampleHistory::WriteJournalFolder(const std::wstring& dataFolder) const
{
    CreateDirectoryW(dataFolder.c_str(), nullptr);
    DeleteFileW((dataFolder + g_strHistoryFileName).c_str());
    return RawFile::Write(dataFolder + g_strOptionsFileName, SettingsFileBytes(0)) &&
           RawFile::Write(dataFolder + g_strJournalFileName, JournalFileBytes());
}

std::wstring SampleHistory::DataFolderOf(const std::wstring& folder)
{
    return folder + L"\\" + g_strDataFolderName + L"\\";
}
