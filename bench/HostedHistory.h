#pragma once
#include <string>

#include "bench/ListHost.h"
#include "bench/SampleHistory.h"
#include "shell/popup/HistoryListView.h"
#include "history/model/HistoryModel.h"

// The history as the popup holds it: a model and its owner-data list view on a
// shown list like the popup's, whose rows are answered from the view.
class HostedHistory {
public:
    HostedHistory();
    ~HostedHistory();
    HostedHistory(const HostedHistory&) = delete;
    HostedHistory& operator=(const HostedHistory&) = delete;

    bool Created() const { return m_host.Created(); }
    HistoryModel& Model() { return m_model; }
    HistoryListView& View() { return m_view; }
    HWND List() const { return m_host.List(); }
    int ListCount() const;
    void SelectAll() { m_host.SelectAll(); }
    void Hide() { m_host.Hide(); }

    // What start-up does with the history file of `dataFolder`: the records
    // into the model with the list's drawing held, then the list refreshed.
    // Start-up loads before the popup is first shown: Hide() first to time that.
    // True when the model and the list hold `entries` entries.
    struct LoadSteps {
        double readMs = 0;     // HistoryStore::LoadHistory
        double refreshMs = 0;  // the list brought up to date, its drawing resumed
    };
    bool Load(const std::wstring& dataFolder, int entries, LoadSteps& steps);
    // The same history put in without its file, for figures that do not time loading.
    void Fill(const SampleHistory& sample);

private:
    ListHost m_host;
    HistoryModel m_model;
    HistoryListView m_view;
};
