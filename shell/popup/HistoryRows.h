#pragma once
#include "framework/AccessibleListView.h"
#include "history/model/HistoryModel.h"
#include "shell/popup/HistoryListView.h"

#include <functional>

// The popup's rows as a screen reader reads them: a row's name is its label
// as the list shows it, its description what else matters (RowDescription),
// its default action a paste of that row alone. Position in the list comes
// from the list: row i of n is child i + 1 of n.
class HistoryRows : public AccessibleListView {
public:
    HistoryRows(CListCtrl& list, const HistoryListView& rows, const HistoryModel& model,
                std::function<void(int row)> paste);

    int Count() const override { return m_rows.View().Count(); }
    std::wstring Name(int item) const override;
    std::wstring Description(int item) const override;
    std::wstring DefaultAction(int item) const override;
    bool DoDefault(int item) override;

private:
    const HistoryListView& m_rows;
    const HistoryModel& m_model;
    std::function<void(int row)> m_paste;
};
