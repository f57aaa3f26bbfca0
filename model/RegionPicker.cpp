#include "RegionPicker.h"

#include "MDM.h"
#include "ozField.h"

namespace {

const QString kKod = QStringLiteral("KOD");
const QString kTip = QStringLiteral("TIP");

} // namespace

TRegionPicker::TRegionPicker(const QString& resourceDir, const QString& kobl)
    : m_kobl(kobl)
{
    TDM::declareRegionColumns(m_rnDS);
    m_rnDS.setFileName(resourceDir + QStringLiteral("data/klreg.xml"));
    m_rnDS.setSortFields(QStringLiteral("NAME"));
    m_rnDS.setCanEdit(false);
    m_rnDS.setCanInsert(false);
    m_rnDS.setCanDelete(false);
    setDistrictFilter();
    m_rnDS.open();
}

bool TRegionPicker::RnDSFilterRecord(const QString& kod, int tip, const QString& kobl)
{
    return kod.startsWith(kobl) && (tip == 4 || (tip == 7 && kod.mid(2, 2) == QLatin1String("00")));
}

bool TRegionPicker::CITYFilterRecord(const QString& kod, int tip, const QString& districtKod)
{
    return kod.startsWith(districtKod) && tip > 4;
}

QString TRegionPicker::ShortName(const QString& name, int tip)
{
    return tip == 4 ? name + QStringLiteral(" район") : QStringLiteral("г.") + name;
}

QString TRegionPicker::CityShortName(const QString& name)
{
    return QStringLiteral("г. ") + name;
}

void TRegionPicker::setDistrictFilter()
{
    m_districtKod.clear();
    m_rnDS.setOnFilterRecord([kobl = m_kobl](TDataSet& dataSet, bool& accept) {
        accept = RnDSFilterRecord(dataSet.fieldByName(kKod).asString(),
                                  dataSet.fieldByName(kTip).asInteger(), kobl);
    });
    m_rnDS.setFiltered(true);
}

void TRegionPicker::setCityFilter(const QString& districtKod)
{
    m_districtKod = districtKod;
    m_rnDS.setOnFilterRecord([districtKod](TDataSet& dataSet, bool& accept) {
        accept = CITYFilterRecord(dataSet.fieldByName(kKod).asString(),
                                  dataSet.fieldByName(kTip).asInteger(), districtKod);
    });
    m_rnDS.setFiltered(true);
    m_rnDS.first();
}

bool TRegionPicker::ShowCities()
{
    if (m_rnDS.isEmpty())
        return false;
    setCityFilter(m_rnDS.fieldByName(kKod).asString());
    return true;
}

void TRegionPicker::ShowDistricts()
{
    const QString district = m_districtKod;
    setDistrictFilter();
    if (!district.isEmpty())
        m_rnDS.locate(kKod, district);
}

std::optional<TTerritory> TRegionPicker::Choose()
{
    if (m_rnDS.isEmpty())
        return std::nullopt;
    const QString name = m_rnDS.fieldByName(QStringLiteral("NAME")).asString();
    return TTerritory{m_rnDS.fieldByName(kKod).asString(),
                      showingCities() ? CityShortName(name)
                                      : ShortName(name, m_rnDS.fieldByName(kTip).asInteger()),
                      m_rnDS.fieldByName(QStringLiteral("OKATO")).asString()};
}

std::optional<TTerritory> TRegionPicker::Find(const QString& kod)
{
    ShowDistricts();
    if (m_rnDS.locate(kKod, kod))
        return Choose();
    // The district a city belongs to is the district row whose code begins it.
    for (m_rnDS.first(); !m_rnDS.eof(); m_rnDS.next()) {
        const QString district = m_rnDS.fieldByName(kKod).asString();
        if (!kod.startsWith(district))
            continue;
        setCityFilter(district);
        if (m_rnDS.locate(kKod, kod))
            return Choose();
        ShowDistricts();
    }
    return std::nullopt;
}
