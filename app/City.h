#pragma once

#include <QDialog>
#include <QString>

class QAction;
class TDataSource;
class TOZGrid;
class TozMemoryData;

// The city picker: the cities of one district, taken from the district
// picker's own region classifier, whose filter it replaces. "Выбор" returns
// the current city's code, its short name "г. <name>" and its ОКАТО code.
class TCityForm final : public QDialog
{
    Q_OBJECT
public:
    // regions: the district picker's classifier (open); districtKod: the
    // district whose cities are shown.
    TCityForm(TozMemoryData& regions, const QString& districtKod, QWidget* parent = nullptr);
    ~TCityForm() override;
    Q_DISABLE_COPY_MOVE(TCityForm)

    // The result of "Выбор"; empty until then.
    const QString& code() const { return m_code; }
    const QString& shortName() const { return m_shortName; }
    const QString& okato() const { return m_okato; }

    QAction* chooseAction() const { return m_chooseAct; }
    QAction* backAction() const { return m_backAct; }
    TOZGrid* grid() const { return m_grid; }

    // A row is shown when its code begins with the district's code and it is a
    // city (kind greater than 4).
    static bool CITYFilterRecord(const QString& kod, int tip, const QString& districtKod);

private:
    void chooseExecute();

    TozMemoryData& m_regions;
    QString m_districtKod;
    TDataSource* m_source = nullptr;
    QWidget* m_content = nullptr;
    TOZGrid* m_grid = nullptr;
    QAction* m_chooseAct = nullptr;
    QAction* m_backAct = nullptr;
    QString m_code;
    QString m_shortName;
    QString m_okato;
};
