#pragma once
#include "history/ClipOptions.h"
#include "history/HistoryModel.h"

// The settings file and the history file (with one BMP file per bitmap entry)
// in the data folder. Every file is written beside the old one first and only
// then moved over it, so a failed save leaves the previous files whole.
class HistoryStore {
public:
    HistoryStore(HistoryModel& history, ClipOptions& options, const CString& dataDir)
        : m_history(history), m_options(options), m_dataDir(dataDir) {}

    BOOL LoadOptions(const wchar_t* path);
    BOOL SaveOptions(const wchar_t* path);
    // Appends the entries of the history file to the model; the caller announces
    // the load (HistoryModel::Loaded) once everything is in.
    BOOL LoadHistory(const wchar_t* path);
    BOOL SaveHistory(const wchar_t* path);
    // The bitmap file of the entry at `row`.
    CString BitmapPath(int row) const;

private:
    void AppendLoadedText(std::u16string& text);
    void AppendLoadedBitmap(int record);

    HistoryModel& m_history;
    ClipOptions& m_options;
    const CString& m_dataDir;
};
