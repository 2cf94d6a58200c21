#include "bench/HostedHistory.h"

#include <commctrl.h>

#include "bench/Stopwatch.h"
#include "history/model/ClipOptions.h"
#include "history/store/formats/FileNames.h"
#include "history/store/HistoryStore.h"

HostedHistory::HostedHistory()
    : m_host(ListHost::Kind::OwnerData), m_view(m_host.Control(), m_model)
{
    m_host.SetDisplayInfo([this](LVITEMW& item) { m_view.FillDisplayInfo(item); });
}

HostedHistory::~HostedHistory()
{
    // The rows are gone before the view that answers for them.
    m_host.SetDisplayInfo(nullptr);
    m_model.Release();
    ListHost::Pump();
}

int HostedHistory::ListCount() const
{
    return ListView_GetItemCount(m_host.List());
}

bool HostedHistory::Load(const std::wstring& dataFolder, int entries, LoadSteps& steps)
{
    ClipOptions options;
    options.m_nEntryCount = entries;
    HistoryStore store(m_model, options);
    const std::wstring path = dataFolder + g_strHistoryFileName;
    Stopwatch watch;
    {
        HistoryListView::RedrawHold hold(m_view);
        m_model.BeginLoad();
        store.LoadHistory(path.c_str());
        steps.readMs = watch.ElapsedMs();
        m_model.Loaded();
    }
    steps.refreshMs = watch.ElapsedMs() - steps.readMs;
    return m_model.Count() == entries && ListCount() == entries;
}

void HostedHistory::Fill(const SampleHistory& sample)
{
    HistoryListView::RedrawHold hold(m_view);
    m_model.BeginLoad();
    for (int i = 0; i < sample.Entries(); ++i) {
        const std::u16string text = sample.Text(i);
        HistoryEntry entry;
        entry.id = m_model.NewId();
        entry.text = std::make_shared<const std::wstring>(text.begin(), text.end());
        m_model.Append(std::move(entry));
    }
    m_model.Loaded();
}
