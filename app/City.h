#pragma once

#include <QDialog>
#include <QString>

#include "RegionPicker.h"

class QAction;
class TDataSource;
class TOZGrid;

// The city picker's window: the cities of one district, shown by the district
// picker's own TRegionPicker, switched to its city list by the caller.
// "Выбор" returns the current city.
class TCityForm final : public QDialog
{
    Q_OBJECT
public:
    explicit TCityForm(TRegionPicker& picker, QWidget* parent = nullptr);
    ~TCityForm() override;
    Q_DISABLE_COPY_MOVE(TCityForm)

    // The result of "Выбор"; empty until then.
    const TTerritory& territory() const { return m_result; }

    QAction* chooseAction() const { return m_chooseAct; }
    QAction* backAction() const { return m_backAct; }
    TOZGrid* grid() const { return m_grid; }

private:
    void chooseExecute();

    TRegionPicker& m_picker;
    TDataSource* m_source = nullptr;
    QWidget* m_content = nullptr;
    TOZGrid* m_grid = nullptr;
    QAction* m_chooseAct = nullptr;
    QAction* m_backAct = nullptr;
    TTerritory m_result;
};
