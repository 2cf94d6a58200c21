#include "Program.h"

#include "history/model/AgeLimit.h"
#include "history/model/FormatsShelf.h"
#include "history/store/formats/BitmapFileWriter.h"

namespace crash {

namespace {

UniqueBitmap Filled(COLORREF colour)
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

}  // namespace

COLORREF ColourOf(HBITMAP bitmap)
{
    WindowDC screen(nullptr);
    UniqueDC memory(CreateCompatibleDC(screen.Get()));
    ScopedSelect select(memory.Get(), bitmap);
    return GetPixel(memory.Get(), 2, 2);
}

Program::Program(MemoryFiles& files, const std::wstring& folder)
    : m_files(files), m_folder(folder), m_durable(std::make_unique<DurableHistory>(m_model, m_options, files)),
      m_now(std::chrono::steady_clock::time_point() + std::chrono::hours(1))
{
}

Program::~Program()
{
    if (!m_exited)
        m_durable->Abandon();
}

void Program::StartUp()
{
    m_durable->SetFolder(DataFolder{m_folder, m_folder, false});
    m_durable->LoadOptions();
    m_model.SetMaxEntries(m_options.m_nHistorySize);
    m_durable->LoadHistory();
    JournalWriter::Driver driver;
    driver.ownThread = false;
    driver.now = [this] { return m_now; };
    m_durable->Start([this](UINT message) { m_messages.push_back(message); }, ScreenColorDepth(), driver);
    if (!m_durable->SetAsideFolder().empty())
        m_told.push_back(L"set aside: " + m_durable->SetAsideFolder());
    Handle();
}

void Program::Answer(UINT message)
{
    if (message == DurableHistory::kFullSaveMessage) {
        m_durable->SaveFull();
        return;
    }
    for (const JournalWriter::Report& report : m_durable->TakeReports()) {
        const wchar_t* kinds[] = {L"save failed: ", L"saved again", L"read failed: "};
        m_told.push_back(kinds[static_cast<int>(report.kind)] + report.file);
    }
}

void Program::Handle()
{
    // What the popup's loop would do with the messages, until none come.
    for (int round = 0; round < 8; ++round) {
        m_durable->Pump();
        if (m_messages.empty())
            return;
        std::vector<UINT> messages;
        messages.swap(m_messages);
        for (UINT message : messages)
            Answer(message);
    }
}

void Program::Pass(std::chrono::milliseconds time)
{
    // In steps of a tenth of a second, as a flush or a retry falls due.
    for (auto passed = std::chrono::milliseconds(0); passed < time; passed += std::chrono::milliseconds(100)) {
        m_now += std::chrono::milliseconds(100);
        // The popup's timer for a history that could not be read at the start.
        if (m_durable->WaitingToRead() && m_now >= m_readAgain) {
            m_durable->ReadAgain();
            m_readAgain = m_now + std::chrono::milliseconds(DurableHistory::kReadAgainMs);
        }
        Handle();
    }
}

void Program::CopyText(const std::wstring& text, const EntryFormats* formats)
{
    for (int row = 0; row < m_model.Count(); ++row) {
        const HistoryEntry& entry = m_model.At(row);
        if (entry.text && *entry.text == text) {
            m_model.Recopy(entry.id, formats ? Shelved(*formats) : nullptr);
            Handle();
            return;
        }
    }
    m_model.TrimForInsert();
    m_model.InsertText(text, formats ? Shelved(*formats) : nullptr);
    Handle();
}

void Program::CopyPicture(COLORREF colour)
{
    m_model.TrimForInsert();
    m_model.InsertPicture(Filled(colour), L"Picture");
    Handle();
}

void Program::Delete(int row)
{
    if (row < m_model.Count())
        m_model.Remove({m_model.At(row).id});
    Handle();
}

void Program::SetTop(int row)
{
    if (row < m_model.Count())
        m_model.SetTop({m_model.At(row).id});
    Handle();
}

void Program::ClearAll()
{
    m_model.Clear();
    Handle();
}

void Program::ForgetOld()
{
    // Everything captured before tomorrow is older than a day the day after.
    AgeLimit::Forget(m_model, 1, UtcNow() + 2 * AgeLimit::kDay);
    Handle();
}

void Program::ClearAtLock()
{
    std::vector<EntryId> ids;
    for (int row = m_model.TopCount(); row < m_model.Count(); ++row)
        ids.push_back(m_model.At(row).id);
    if (!ids.empty())
        m_model.Remove(ids);
    Handle();
}

void Program::SetEncrypted(bool encrypted)
{
    m_options.m_bEncrypt = encrypted ? 1 : 0;
    m_durable->SaveOptions();
    if (!m_durable->SetEncrypted(encrypted)) {
        m_options.m_bEncrypt = 0;
        m_told.push_back(L"encryption unavailable");
    }
    Handle();
}

bool Program::Exit()
{
    m_exited = true;
    return m_durable->SaveAtExit();
}

}  // namespace crash
