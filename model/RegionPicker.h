#pragma once

#include <optional>

#include <QString>
#include <QtGlobal>

#include "ozMemoryData.h"

// A territory as the pickers return it: its classifier code, the short name
// the region row shows and its ОКАТО code.
struct TTerritory
{
    QString code;
    QString shortName;
    QString okato;
};

// The logic of the district and city pickers: the region classifier
// "klreg.xml" of one federal subject, sorted by name, showing either the
// subject's districts (with the cities listed among them) or the cities of
// one district. The windows show RnDS in a grid; f2tp-cli finds a code.
class TRegionPicker final
{
public:
    // Opens the classifier of the resource folder on the subject's districts;
    // a missing file gives an empty list.
    TRegionPicker(const QString& resourceDir, const QString& kobl);
    Q_DISABLE_COPY_MOVE(TRegionPicker)

    TozMemoryData& RnDS() { return m_rnDS; }
    const QString& kobl() const { return m_kobl; }

    // A district row: the code begins with the subject's code and it is a
    // district (kind 4) or a city listed with the districts (kind 7 with "00"
    // as the third and fourth characters of the code).
    static bool RnDSFilterRecord(const QString& kod, int tip, const QString& kobl);
    // A city of the district: the code begins with the district's code and
    // the kind is greater than 4.
    static bool CITYFilterRecord(const QString& kod, int tip, const QString& districtKod);
    // In the district list: "<name> район" for a district, "г.<name>" otherwise.
    static QString ShortName(const QString& name, int tip);
    // In the city list: "г. <name>".
    static QString CityShortName(const QString& name);

    // The city list of the current district ("Города"); false on an empty list.
    bool ShowCities();
    // Back from the city list: the district filter again, the cursor on the district.
    void ShowDistricts();
    bool showingCities() const { return !m_districtKod.isEmpty(); }

    // "Выбор" on the current row of the list shown; nullopt on an empty list.
    std::optional<TTerritory> Choose();

    // The territory with the code as a person would choose it: in the
    // district list, else in the city list of the district it belongs to.
    // nullopt when neither list holds it.
    std::optional<TTerritory> Find(const QString& kod);

private:
    void setDistrictFilter();
    void setCityFilter(const QString& districtKod);

    QString m_kobl;
    QString m_districtKod; // the district whose cities are shown; empty: the districts
    TozMemoryData m_rnDS{QStringLiteral("RnDS")};
};
