#pragma once

#include <memory>

#include <QDialog>
#include <QString>

#include "RegionPicker.h"

class QAction;
class TDataSource;
class TOZGrid;
class TozMemoryData;

// The district picker's window over TRegionPicker: the districts and the
// cities listed with them of one federal subject, by name. "Выбор" returns
// the current row's territory; "Города" lets the user pick a city of the
// current district instead.
class TRnForm final : public QDialog
{
    Q_OBJECT
public:
    // Opens the classifier of the program folder for the subject's code; a
    // missing file gives an empty list.
    TRnForm(const QString& resourceDir, const QString& kobl, QWidget* parent = nullptr);
    ~TRnForm() override;
    Q_DISABLE_COPY_MOVE(TRnForm)

    // The result of "Выбор" or of the city picker; empty until then.
    const TTerritory& territory() const { return m_result; }
    const QString& code() const { return m_result.code; }
    const QString& shortName() const { return m_result.shortName; }
    const QString& okato() const { return m_result.okato; }

    TozMemoryData& RnDS() { return m_picker.RnDS(); }
    QAction* chooseAction() const { return m_chooseAct; }
    QAction* citiesAction() const { return m_citiesAct; }
    QAction* backAction() const { return m_backAct; }
    TOZGrid* grid() const { return m_grid; }

private:
    void chooseExecute();
    void citiesExecute();

    // The picker goes after the data source that shows its table.
    TRegionPicker m_picker;
    std::unique_ptr<TDataSource> m_source;
    QWidget* m_content = nullptr;
    TOZGrid* m_grid = nullptr;
    QAction* m_chooseAct = nullptr;
    QAction* m_citiesAct = nullptr;
    QAction* m_backAct = nullptr;
    TTerritory m_result;
};
