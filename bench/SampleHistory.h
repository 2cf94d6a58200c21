#pragma once
#include <string>

// A history of `entries` ASCII texts of `textChars` characters each, and the
// product's files that hold it ("data.data" and "imgOption.data"), written
// with the product's own format code.
class SampleHistory {
public:
    // `encrypted`: the files are written sealed, as "Encrypt the history" keeps them.
    // `htmlBytes`: each entry keeps that much "HTML Format" beside its text.
    SampleHistory(int entries, size_t textChars, bool encrypted = false, size_t htmlBytes = 0)
        : m_entries(entries), m_textChars(textChars), m_encrypted(encrypted), m_htmlBytes(htmlBytes)
    {
    }

    int Entries() const { return m_entries; }
    size_t TextChars() const { return m_textChars; }
    // The texts' size: in bytes as ASCII, and in memory as UTF-16.
    double TextBytes() const { return static_cast<double>(m_entries) * static_cast<double>(m_textChars); }
    double TextUtf16Bytes() const { return 2.0 * TextBytes(); }

    // Entry `index`: readable words, different for every index, exactly TextChars() long.
    std::u16string Text(int index) const;

    std::string HistoryFileBytes() const;
    // The settings of a full save of `entries` records (by default the whole history).
    std::string SettingsFileBytes(int entries = -1) const;
    // The whole history as a journal of captures, newest last, over an empty
    // full save; the same order as the history file's.
    std::string JournalFileBytes() const;
    // Creates the data folder when needed and writes the files into it (and no
    // journal), then lets the product's own code write them as this version keeps
    // them (sealed when encrypted).
    bool WriteDataFolder(const std::wstring& dataFolder) const;
    // The same history kept in the journal alone: no data.data, settings of no entries.
    bool WriteJournalFolder(const std::wstring& dataFolder) const;

    // The data folder beside an executable in `folder`, with a trailing backslash.
    static std::wstring DataFolderOf(const std::wstring& folder);

private:
    int m_entries;
    size_t m_textChars;
    bool m_encrypted;
    size_t m_htmlBytes;
};
