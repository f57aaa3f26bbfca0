#pragma once

#include <QDockWidget>
#include <QList>

#include "FormFindings.h"

class QTreeWidget;
class QTreeWidgetItem;

// The pane "Результаты контроля" of the main window: every finding of the
// last check with its kind, text and place. A finding with several cells
// lists them under it. Double click or Enter on a line asks for its cell
// through cellActivated; the window goes there.
class TFindingsPane final : public QDockWidget
{
    Q_OBJECT
public:
    explicit TFindingsPane(QWidget* parent = nullptr);
    Q_DISABLE_COPY_MOVE(TFindingsPane)

    // Replaces the list with these findings and shows the pane.
    void setFindings(const QList<TFinding>& findings);
    QTreeWidget* list() const { return m_list; }
    // The cell of a line of the list; null for the line of an empty list.
    const TFindingCell* cellOf(const QTreeWidgetItem* item) const;

Q_SIGNALS:
    void cellActivated(const TFindingCell& cell);

private:
    QTreeWidgetItem* addCellLine(QTreeWidgetItem* item, const TFindingCell& cell);

    QTreeWidget* m_list;
    QList<TFindingCell> m_cells;
};
