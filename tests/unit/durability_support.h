#pragma once
// One run of the program over a data folder without its window, and the
// fixture of the tests of the history on disk.
#include <gtest/gtest.h>

#include "history/store/BitmapFileWriter.h"
#include "history/store/DataFolder.h"
#include "history/store/DurableHistory.h"
#include "history/store/FileNames.h"
#include "history/store/FullSave.h"
#include "file_test_support.h"

#include <chrono>
#include <string>
#include <thread>
#include <vector>

namespace durability {

using namespace file_test;

inline UniqueBitmap Filled(COLORREF colour)
{
    WindowDC screen(nullptr);
    UniqueBitmap bitmap(CreateCompatibleBitmap(screen.Get(), 6, 4));
    UniqueDC memory(CreateCompatibleDC(screen.Get()));
    ScopedSelect select(memory.Get(), bitmap.Get());
    const RECT all = {0, 0, 6, 4};
    UniqueBrush brush(CreateSolidBrush(colour));
    FillRect(memory.Get(), &all, brush.Get());
    return bitmap;
}

inline COLORREF ColourOf(HBITMAP bitmap)
{
    WindowDC screen(nullptr);
    UniqueDC memory(CreateCompatibleDC(screen.Get()));
    ScopedSelect select(memory.Get(), bitmap);
    return GetPixel(memory.Get(), 2, 2);
}

// One run of the program over a data folder, without its window.
struct Program {
    explicit Program(const std::wstring& folder, bool encrypt = false)
        : Program(DataFolder{folder, folder, false}, encrypt)
    {
    }
    explicit Program(const DataFolder& folder, bool encrypt = false)
    {
        durable.SetFolder(folder);
        durable.LoadOptions();
        options.m_bEncrypt = options.m_bEncrypt || encrypt;
        durable.LoadHistory();
        durable.Start(nullptr, ScreenColorDepth());
    }
    // The history as the list shows it: labels (a picture by its colour), the top zone marked.
    std::wstring Shown() const
    {
        std::wstring shown;
        for (int row = 0; row < model.Count(); ++row) {
            const HistoryEntry& entry = model.At(row);
            shown += row == model.TopCount() ? L"|" : L" ";
            if (entry.IsPicture())
                shown += L"#" + std::to_wstring(ColourOf(entry.picture->Bitmap()));
            else
                shown += *entry.text;
        }
        return shown;
    }
    // Waits for the writer's reports (it works beside the test).
    std::vector<JournalWriter::Report> ReportsWithin(int milliseconds)
    {
        std::vector<JournalWriter::Report> all;
        const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
        while (all.empty() && std::chrono::steady_clock::now() < end) {
            all = durable.TakeReports();
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        return all;
    }

    HistoryModel model;
    ClipOptions options;
    DurableHistory durable{model, options};
};

class DurabilityTest : public testing::Test {
protected:
    void TearDown() override
    {
        SaveSet::SetInterruptionForTesting(nullptr);
        JournalFile::SetFlushObserverForTesting(nullptr);
    }
    void Clean()
    {
        for (const std::wstring& name : Names())
            DeleteFileW((folder + name).c_str());
    }
    std::vector<std::wstring> Names() const { return temp.Names(); }

    TempFolder temp{L"durable"};
    const std::wstring folder = temp.Path();
};

}  // namespace durability
