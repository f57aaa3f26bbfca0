#pragma once

#include <memory>

#include <QDialog>
#include <QString>

#include "ozMemoryData.h"

class QAction;
class TDataSource;
class TOZGrid;

// The district picker: the districts and the cities listed with them of one
// federal subject, from the region classifier "klreg.xml" sorted by name.
// "Выбор" returns the current row's code, short name and ОКАТО code;
// "Города" lets the user pick a city of the current district instead.
class TRnForm final : public QDialog
{
    Q_OBJECT
public:
    // Opens the classifier of the program folder for the subject's code; a
    // missing file gives an empty list.
    TRnForm(const QString& programDir, const QString& kobl, QWidget* parent = nullptr);
    ~TRnForm() override;
    Q_DISABLE_COPY_MOVE(TRnForm)

    // The result of "Выбор" or of the city picker; empty until then.
    const QString& code() const { return m_code; }
    const QString& shortName() const { return m_shortName; }
    const QString& okato() const { return m_okato; }

    TozMemoryData& RnDS() { return m_rnDS; }
    QAction* chooseAction() const { return m_chooseAct; }
    QAction* citiesAction() const { return m_citiesAct; }
    QAction* backAction() const { return m_backAct; }
    TOZGrid* grid() const { return m_grid; }

    // A row is shown when its code begins with the subject's code and it is a
    // district (kind 4) or a city listed with the districts (kind 7 with "00"
    // as the third and fourth characters of the code).
    static bool RnDSFilterRecord(const QString& kod, int tip, const QString& kobl);
    // "<name> район" for a district, "г.<name>" otherwise.
    static QString ShortName(const QString& name, int tip);

private:
    void chooseExecute();
    void citiesExecute();
    void setDistrictFilter();

    QString m_kobl;
    // The table goes after the data source that points at it.
    TozMemoryData m_rnDS{QStringLiteral("RnDS")};
    std::unique_ptr<TDataSource> m_source;
    QWidget* m_content = nullptr;
    TOZGrid* m_grid = nullptr;
    QAction* m_chooseAct = nullptr;
    QAction* m_citiesAct = nullptr;
    QAction* m_backAct = nullptr;
    QString m_code;
    QString m_shortName;
    QString m_okato;
};
