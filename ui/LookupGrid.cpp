#include "LookupGrid.h"

#include "Errors.h"
#include "LookupList.h"
#include "UserInterface.h"

TLookupGrid::TLookupGrid(QWidget* parent)
    : TDBLocateGrid(parent)
{
}

TLookupGrid::~TLookupGrid() = default;

void TLookupGrid::ShowLookupList()
{
    if (m_lookupList && m_lookupList->window()->isVisible())
        return;
    try {
        TLookupList* list = nullptr;
        if (OnSelectedList)
            OnSelectedList(*this, list);
        m_lookupList = list;
        if (!list)
            return;
        openCellEditor();
        const QModelIndex cell = currentIndex();
        QRect anchor;
        if (cell.isValid()) {
            const QRect r = visualRect(cell);
            anchor = QRect(viewport()->mapToGlobal(r.topLeft()), r.size());
        } else {
            anchor = QRect(mapToGlobal(QPoint(0, 0)), size());
        }
        list->DropDown(cellEditor(), selectedField(), anchor);
        // The chosen value came through the record; the editor's old text must not go back.
        closeCellEditor();
        setFocus();
    } catch (...) {
        m_lookupList = nullptr;
        ShowApplicationError(std::current_exception());
    }
}
