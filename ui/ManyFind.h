#pragma once

#include <memory>

#include <QDialog>
#include <QList>

#include "ozMemoryData.h"

class QPushButton;
class TDBLocateGrid;
class TDataSource;
class TOZGrid;

// The results window "Результаты поиска" (648 x 365, sizeable, centred): a
// read-only grid over a table of its own that holds a copy of each matching
// record of the source grid's data set, in the columns the source grid shows.
// Filling it moves the source data set through the matches, so it is built
// while the caller holds that data set's controls and scroll events back.
// "Выбор", Enter or a double click closes it accepted; "Отмена" or Esc rejected.
class TManyFindForm final : public QDialog
{
    Q_OBJECT
public:
    TManyFindForm(QWidget* owner, const QList<TBookmark>& bookmarks, TDBLocateGrid& source);
    ~TManyFindForm() override;
    Q_DISABLE_COPY_MOVE(TManyFindForm)

    // The match of the current result; empty when the window was not accepted.
    TBookmark chosenBookmark() const { return m_chosen; }

    TozMemoryData& resultTable() { return m_results; }
    TOZGrid* grid() const { return m_grid; }
    QPushButton* chooseButton() const { return m_choose; }
    QPushButton* cancelButton() const { return m_cancel; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void buildControls();
    void fill(TDBLocateGrid& source);
    void choose();

    QList<TBookmark> m_bookmarks;
    TBookmark m_chosen;
    // The table goes after the data source that points at it.
    TozMemoryData m_results{QStringLiteral("ManyFindTable")};
    std::unique_ptr<TDataSource> m_source;
    TOZGrid* m_grid = nullptr;
    QPushButton* m_choose = nullptr;
    QPushButton* m_cancel = nullptr;
};
