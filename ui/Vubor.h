#pragma once

#include <QDialog>
#include <QPointer>

#include "ozDataSet.h"

class QAction;
class QFrame;
class QToolBar;
class TDataSource;
class TLookupList;

// The window in which a pick list is shown: no border or caption, always on
// top, height kept between 100 and 300 pixels. It owns the data source through
// which its list grid sees the list data set of the current use.
class TLookupForm : public QDialog
{
    Q_OBJECT
public:
    explicit TLookupForm(QWidget* parent = nullptr);
    ~TLookupForm() override;
    Q_DISABLE_COPY_MOVE(TLookupForm)

    TDataSource* dataSource() const { return m_source; }
    TLookupList* lookupList() const { return m_list; }
    // The height the window needs besides its list grid.
    virtual int chromeHeight() const { return 0; }

protected:
    TDataSource* m_source;
    TLookupList* m_list;
};

// The list picker: the pick-list grid over a tool bar with "Выбор", "Отмена"
// and a record navigator. Clicking a column title sorts the list by that
// column and keeps the highlighted row. One instance serves the program; its
// columns stay from one use to the next, while the list data set is let go
// whenever the window hides (every use binds it anew), so that a hidden
// picker does not follow every lookup made in the list table.
class TListForm final : public TLookupForm
{
    Q_OBJECT
public:
    explicit TListForm(QWidget* parent = nullptr);
    ~TListForm() override;
    Q_DISABLE_COPY_MOVE(TListForm)

    QAction* chooseAction() const { return m_choose; }
    QAction* cancelAction() const { return m_cancel; }
    QToolBar* toolBar() const { return m_toolBar; }
    int chromeHeight() const override;

    // Sorts the list data set by the column's field, keeping the current row.
    void sortByColumn(int column);
    // Enables the choose action and the navigator by the list data set.
    void updateActions();
    // Commands of the current use: all in the list's context menu, the tool
    // bar ones also after "Отмена". PrepareListPicker clears them for every
    // use. The window does not own them; one destroyed by its owner leaves
    // the window by itself.
    void setUseActions(const QList<QAction*>& toolBarActions, const QList<QAction*>& menuActions);

protected:
    void hideEvent(QHideEvent* event) override;

private:
    void choose();
    void cancelChoice();

    QFrame* m_panel;
    QToolBar* m_toolBar;
    QAction* m_choose;
    QAction* m_cancel;
    QAction* m_first;
    QAction* m_prior;
    QAction* m_next;
    QAction* m_last;
    QAction* m_useSeparator;
    QAction* m_navigatorSeparator;
    QList<QPointer<QAction>> m_useActions;
    class Watcher;
    Watcher* m_watcher;
};

// The program's list picker window (null until created).
TListForm* ListForm();
// Creates the list picker window when there is none; the owner, when given,
// owns it (the main window at start-up).
TListForm* CreateListForm(QWidget* owner = nullptr);

// Makes the list picker ready for one use and returns its pick list: binds it
// to ListDataSet (opened here), sets its columns and titles, the target source
// and link, and BeginFind. The window is not shown: the grid or edit box that
// asked for the list drops it down. Editable, Text and BeforePost are accepted
// for the callers' sake: the program passes false, "" and no handler.
TLookupList* PrepareListPicker(TDataSource* source, TDataSet* listDataSet,
                               const QString& lookupLink, const QString& listFields,
                               const QString& listTitles, bool editable = false,
                               const QString& text = QString(),
                               TDataSet::TDataSetNotifyEvent beforePost = {});
