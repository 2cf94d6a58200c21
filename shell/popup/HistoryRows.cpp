#include "shell/popup/HistoryRows.h"

#include "shell/popup/RowDescription.h"

HistoryRows::HistoryRows(CListCtrl& list, const HistoryListView& rows, const HistoryModel& model,
                         std::function<void(int row)> paste)
    : AccessibleListView(list), m_rows(rows), m_model(model), m_paste(std::move(paste))
{
}

std::wstring HistoryRows::Name(int item) const
{
    if (item < 0 || item >= Count())
        return std::wstring();
    return std::wstring(m_rows.View().At(item).Label());
}

std::wstring HistoryRows::Description(int item) const
{
    if (item < 0 || item >= Count())
        return std::wstring();
    const HistoryEntry& entry = m_rows.View().At(item);
    RowFacts facts;
    facts.pinned = m_rows.View().ModelRow(item) < m_model.TopCount();
    facts.picture = entry.IsPicture();
    BITMAP bitmap = {};
    if (entry.IsPicture() && GetObjectW(entry.picture->Bitmap(), sizeof(bitmap), &bitmap))
        facts.pictureSize = {bitmap.bmWidth, bitmap.bmHeight};
    facts.formats = entry.formats.get();
    // Ctrl+1 to Ctrl+9 paste the first nine rows shown.
    facts.quickKey = item < 9 ? item + 1 : 0;
    return DescribeRow(facts);
}

std::wstring HistoryRows::DefaultAction(int) const
{
    return L"Paste";
}

bool HistoryRows::DoDefault(int item)
{
    if (item < 0 || item >= Count() || !m_paste)
        return false;
    m_paste(item);
    return true;
}
