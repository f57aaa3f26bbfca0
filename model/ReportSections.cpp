#include "ReportSections.h"

#include <limits>

#include <QDate>

#include "IniFile.h"
#include "MDM.h"
#include "MDMGuard.h"
#include "ObFunc.h"
#include "ReportFiles.h"
#include "SectionLayout.h"
#include "UserInterface.h"
#include "ozField.h"

namespace {

const QString kParams = QStringLiteral("PARAMS");
const QString kYear = QStringLiteral("YEAR");
const QString kPath = QStringLiteral("PATH");
const QString kCA = QStringLiteral("CA");
const QString kC1 = QStringLiteral("C1");

int textToInt(const QString& text, int fallback)
{
    const std::optional<qint64> value = TextToInteger(text);
    if (!value || *value < std::numeric_limits<int>::min() ||
        *value > std::numeric_limits<int>::max())
        return fallback;
    return int(*value);
}

} // namespace

TReportSections::TReportSections(TDM& dm)
    : m_dm(dm)
{
}

QString TReportSections::settingsFileName() const
{
    return m_dm.ReportDir() + QStringLiteral("2tp.ini");
}

void TReportSections::ReadSettings()
{
    const IniFile ini(settingsFileName());
    m_dm.setCurrentYear(ini.readInteger(kParams, kYear, 2000));
    m_path = ini.readString(kParams, kPath, QString());
    m_yearText = QString::number(m_dm.CurrentYear());
    m_yearChanged = false;
}

void TReportSections::WriteSettings()
{
    IniFile ini(settingsFileName());
    ini.writeInteger(kParams, kYear, m_dm.CurrentYear());
    ini.writeString(kParams, kPath, m_path);
    ini.save();
}

void TReportSections::setYearText(const QString& text)
{
    if (text != m_yearText)
        m_yearChanged = true;
    m_yearText = text;
}

std::optional<int> TReportSections::AcceptYear(const QString& text, int todayYear)
{
    const int upper = todayYear <= 2000 ? 2001 : todayYear;
    const std::optional<qint64> year = TextToInteger(text);
    if (!year || *year < 2000 || *year > upper)
        return std::nullopt;
    return int(*year);
}

bool TReportSections::YearFieldExit()
{
    return YearFieldExit(QDate::currentDate().year());
}

bool TReportSections::YearFieldExit(int todayYear)
{
    if (!m_yearChanged)
        return true;
    const std::optional<int> year = AcceptYear(m_yearText, todayYear);
    if (!year) {
        ShowErrorBox(QStringLiteral("Неверный год"));
        return false;
    }
    m_dm.setCurrentYear(*year);
    m_yearChanged = false;
    RefreshContext();
    return true;
}

void TReportSections::RefreshContext()
{
    m_dm.setCurrentKodp(m_dm.PrTable().fieldByName(QStringLiteral("KOD")).asString());
    m_dm.setCurrentReg(m_dm.spisokkr().fieldByName(QStringLiteral("NGDU")).asString());
    m_dm.setCurrentYear(textToInt(m_yearText, 0));
    // The key columns are computed when a row is read; bound controls reread theirs.
    for (int section = 1; section <= 5; ++section) {
        TozMemoryData& table = m_dm.sectionTable(section);
        if (table.active())
            table.refreshControls();
    }
}

void TReportSections::LoadSections()
{
    RefreshContext();
    // Reopening the classifier resets every use mark to the file's value.
    m_dm.SprKlzav().close();
    m_dm.SprKlzav().open();
    OpenSection(m_dm.R1Table(), 1, SectionLayout::FixedRowCount(1));
    // Bookmarks start anew with the reread rows; a pick list opened on a row
    // shown before must not match whichever row now has its bookmark.
    m_dm.forgetPrevPollutantRow();
    OpenSection(m_dm.R2Table(), 2, SectionLayout::FixedRowCount(2));
    m_dm.R2Table().setCanInsert(true);
    m_dm.MarkSection2Pollutants();
    OpenSection(m_dm.R3Table(), 3, SectionLayout::FixedRowCount(3));
    OpenSection(m_dm.R4Table(), 4, SectionLayout::FixedRowCount(4));
    m_dm.R4Table().setCanInsert(m_dm.R4Table().recordCount() < SectionLayout::R4MaxRows);
    OpenSection(m_dm.R5Table(), 5, SectionLayout::FixedRowCount(5));
}

void TReportSections::OpenSection(TozMemoryData& table, int section, int count)
{
    table.disableControls();
    runThenRestore(
        [&] {
            table.close();
            // Row rules switch columns to read-only per row; the file is read
            // with every column writable, whichever row was current before.
            for (int i = 0; i < table.fieldCount(); ++i)
                table.field(i).setReadOnly(false);
            table.setCanInsert(true);
            table.open();
            table.first();
            if (table.recordCount() != 0)
                return;
            for (int k = 1; k <= count; ++k) {
                table.append();
                table.fieldByName(kCA).setAsInteger(SectionLayout::FirstRow(section) + k - 1);
                if (section == 2)
                    table.fieldByName(kC1).setAsInteger(SectionLayout::FixedPollutants[k - 1]);
                table.post();
            }
        },
        [&] {
            if (table.active())
                table.first();
            table.enableControls();
            table.setCanInsert(false);
        });
}

void TReportSections::SaveSections()
{
    SaveReportSections(m_dm);
}

bool TReportSections::ColumnEditable(int section, const QString& fieldName)
{
    return SectionLayout::ColumnEditable(section, fieldName);
}

bool TReportSections::OpenPickList()
{
    if (m_dm.CurrentKodp().isEmpty() || m_dm.CurrentYear() <= 0)
        return false;
    m_dm.setPrevPollutant(m_dm.R2Table().fieldByName(kC1).asInteger());
    return true;
}

bool TReportSections::PickListOffers(int code)
{
    TozMemoryData& list = m_dm.SprKlzav();
    return list.active() && list.locate(QStringLiteral("KDZV"), code);
}

bool TReportSections::ChoosePollutant(int code)
{
    if (!PickListOffers(code))
        return false;
    TozMemoryData& r2 = m_dm.R2Table();
    r2.edit();
    r2.fieldByName(kC1).setAsString(m_dm.SprKlzav().fieldByName(QStringLiteral("KDZV")).asString());
    r2.post();
    return true;
}

bool TReportSections::Section2DeleteEnabled()
{
    TozMemoryData& r2 = m_dm.R2Table();
    if (!r2.active() || r2.isEmpty())
        return false;
    const int code = r2.fieldByName(kC1).asInteger();
    for (const int fixed : SectionLayout::FixedPollutants) {
        if (code == fixed)
            return false;
    }
    return true;
}

bool TReportSections::DeleteSection2Row()
{
    if (!Section2DeleteEnabled())
        return false;
    if (userInterface().ask(QString(), QStringLiteral("Удалить запись?"),
                            TQuestionButtons::YesNoCancel) != TAnswer::Yes)
        return false;
    m_dm.R2Table().deleteRecord();
    return true;
}
