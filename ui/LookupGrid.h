#pragma once

#include <functional>

#include <QPointer>

#include "DBLocateGrid.h"

#include "LookupList.h"

// A grid that can drop down a pick list supplied by its owner through
// OnSelectedList. The owner decides when (a key, a command) and calls
// ShowLookupList.
class TLookupGrid : public TDBLocateGrid
{
    Q_OBJECT
public:
    // The handler returns a prepared pick list, or leaves List empty to refuse.
    using TSelectedListEvent = std::function<void(TLookupGrid& sender, TLookupList*& list)>;

    explicit TLookupGrid(QWidget* parent = nullptr);
    ~TLookupGrid() override;
    Q_DISABLE_COPY_MOVE(TLookupGrid)

    TSelectedListEvent OnSelectedList;

    // Opens the pick list for the current cell; nothing happens while the list
    // from the previous call is still visible. An error while the list is
    // obtained or shown is reported and the remembered list is forgotten.
    void ShowLookupList();
    TLookupList* lookupList() const { return m_lookupList; }

private:
    QPointer<TLookupList> m_lookupList;
};
