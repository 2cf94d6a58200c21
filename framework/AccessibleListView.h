#pragma once
#include "framework/AccessibleFacts.h"
#include "framework/CListCtrl.h"

// A list view's rows as the items of its accessible object: their state,
// place, focus, selection and hit-testing come from the control; what a row
// is called, how it is described and what its default action does are the
// owner's.
class AccessibleListView : public AccessibleItems {
public:
    explicit AccessibleListView(CListCtrl& list) : m_list(list) {}

    int Count() const override { return m_list.GetItemCount(); }
    long Role() const override;
    long State(int item) const override;
    bool Location(int item, RECT& screen) const override;
    int Focused() const override;
    std::vector<int> Selected() const override;
    int HitTest(POINT screen) const override;
    bool Select(int item, long flags) override;

protected:
    const CListCtrl& List() const { return m_list; }

private:
    bool ItemRect(int item, RECT& client) const;

    CListCtrl& m_list;
};
