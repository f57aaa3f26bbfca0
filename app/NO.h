#pragma once

#include <memory>

#include <QDialog>

#include "UserInterface.h"

class QPushButton;
class TDataSource;
class TOZDBEdit;
class TOZGrid;

// The nitrogen oxide dialog: the three nitrogen oxide tables, prefilled by
// the statistics print, for the user to distribute the amounts over the
// columns of sections 1, 3 and 5. "Принять" posts what is being edited and
// closes with OK; "Отмена" closes the tables, which drops every unsaved
// change, and closes with a cancel result; the window's close button cancels
// too but leaves the tables as they are. Saving is the print's.
class TNOForm final : public QDialog
{
    Q_OBJECT
public:
    explicit TNOForm(const TNitrogenOxideTables& tables, QWidget* parent = nullptr);
    ~TNOForm() override;
    Q_DISABLE_COPY_MOVE(TNOForm)

    // Shows the dialog modally over the parent; true when it closed with OK.
    static bool Execute(const TNitrogenOxideTables& tables, QWidget* parent);

    TOZGrid* section1Grid() const { return m_grid1; }
    TOZGrid* section3Grid() const { return m_grid3; }
    TOZDBEdit* fuelEdit() const { return m_fuelEdit; }
    TOZDBEdit* processEdit() const { return m_processEdit; }
    QPushButton* acceptButton() const { return m_acceptButton; }
    QPushButton* cancelButton() const { return m_cancelButton; }

private:
    QWidget* createSection1();
    QWidget* createSection3();
    QWidget* createSection5();
    QWidget* createButtons();
    void AcceptClick();
    void CancelClick();

    TNitrogenOxideTables m_tables;
    std::unique_ptr<TDataSource> m_source1;
    std::unique_ptr<TDataSource> m_source3;
    std::unique_ptr<TDataSource> m_source5;
    TOZGrid* m_grid1 = nullptr;
    TOZGrid* m_grid3 = nullptr;
    TOZDBEdit* m_fuelEdit = nullptr;
    TOZDBEdit* m_processEdit = nullptr;
    QPushButton* m_acceptButton = nullptr;
    QPushButton* m_cancelButton = nullptr;
};
