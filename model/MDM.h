#pragma once

#include <QString>

#include "ProgramFolders.h"
#include "ozMemoryData.h"

class TField;

// The data module: owns every table of the report, its classifiers and
// reference lists for the whole run, and the handlers that compute and guard
// their values. Constructing it is the program's DataModuleCreate: the file
// names are completed with the resource folder (classifiers, row templates)
// or the report folder (working files, the user's own pollutants) and KLZAV, spisokkr and PrTable
// are opened. The section tables and SprKlzav are opened by the section logic
// (TReportSections::LoadSections).
//
// The report context (CurrentKodp, CurrentReg, CurrentYear) lives here: one
// data module serves one report, and every computed key column repeats it.
class TDM final
{
public:
    // programDir: one folder for resources and report (a program folder the
    // user owns). Empty: the folders of the running program
    // (LocateProgramFolders). A missing trailing "/" is added.
    explicit TDM(const QString& programDir = QString());
    explicit TDM(const TProgramFolders& folders);
    ~TDM();
    Q_DISABLE_COPY_MOVE(TDM)

    // The program's own read-only files, with a trailing "/": classifiers and
    // row templates in "data/", help in "help/".
    const QString& ResourceDir() const { return m_folders.resources; }
    // The folder of the report templates ("шаблоны/" of the resources, as a rule).
    QString TemplateDir() const;
    // Where the report's working files ("data/" below it) and "2tp.ini" live,
    // with a trailing "/": the program folder when the user owns it, the
    // user's data folder of an installed program.
    const QString& ReportDir() const { return m_folders.report; }

    // Report context; set only by the section logic's RefreshContext.
    const QString& CurrentKodp() const { return m_currentKodp; }
    void setCurrentKodp(const QString& value) { m_currentKodp = value; }
    const QString& CurrentReg() const { return m_currentReg; }
    void setCurrentReg(const QString& value) { m_currentReg = value; }
    int CurrentYear() const { return m_currentYear; }
    void setCurrentYear(int value) { m_currentYear = value; }

    // The pollutant a section 2 row had when its pick list was last opened, and
    // that row. Set through setPrevPollutant on the current row of R2Table (the
    // row being inserted counts as well); it counts only for that row.
    int PrevPollutant() const { return m_prevPollutant; }
    void setPrevPollutant(int code);
    // The rows of section 2 were replaced (reread) or the row is gone: the
    // remembered pick list belongs to no row any more.
    void forgetPrevPollutantRow();

    // Re-sorts the table by the fields (";"-separated), ascending, letter case ignored.
    void SortTable(TozMemoryData& table, const QString& fieldNames);

    // The columns of the classifier tables the dialogs own, for a closed table
    // without fields: the region classifier "klreg.xml" (KOD, NAME, TIP, OKATO)
    // and the federal subjects "klobl.xml" (KOBL, NAME).
    static void declareRegionColumns(TozMemoryData& table);
    static void declareSubjectColumns(TozMemoryData& table);

    // Tables, by their component names.
    TozMemoryData& TemplTable() { return m_templTable; }
    TozMemoryData& KLZAV() { return m_klzav; }
    TozMemoryData& SprKlzav() { return m_sprKlzav; }
    // The user's own pollutants (TOwnPollutants), read from the report folder
    // at start and merged into KLZAV and SprKlzav each time they are read.
    TozMemoryData& OwnKlzav() { return m_ownKlzav; }
    TozMemoryData& R1Table() { return m_r1Table; }
    TozMemoryData& R2Table() { return m_r2Table; }
    TozMemoryData& R3Table() { return m_r3Table; }
    TozMemoryData& R4Table() { return m_r4Table; }
    TozMemoryData& R5Table() { return m_r5Table; }
    TozMemoryData& R2TableStat() { return m_r2TableStat; }
    TozMemoryData& PrTable() { return m_prTable; }
    TozMemoryData& spisokkr() { return m_spisokkr; }
    TozMemoryData& RnDS() { return m_rnDS; }
    TozMemoryData& NOR1Table() { return m_nor1Table; }
    TozMemoryData& NOR3Table() { return m_nor3Table; }
    TozMemoryData& NOR5Table() { return m_nor5Table; }
    TozMemoryData& sprdolj() { return m_sprdolj; }
    // R1Table to R5Table for section 1 to 5; fails with F2tpError for another number.
    TozMemoryData& sectionTable(int section);

    // Computed columns.
    void R1TableCalcFields(TDataSet& dataSet);
    void R2TableCalcFields(TDataSet& dataSet);
    void spisokkrCalcFields(TDataSet& dataSet);
    void PrTableCalcFields(TDataSet& dataSet);
    void sprdoljCalcFields(TDataSet& dataSet);

    // Text of values.
    void R1TableC2GetText(TField& sender, QString& text, bool displayText);
    void R1TableC9GetText(TField& sender, QString& text, bool displayText);
    void R2TableC2GetText(TField& sender, QString& text, bool displayText);

    // Input of values. A text that is no number fails with
    // "'%s' is not a valid floating point value" and leaves the field as it was.
    void R1TableC2SetText(TField& sender, const QString& text);
    void R3TableC1SetText(TField& sender, const QString& text);
    void R4TableC5SetText(TField& sender, const QString& text);
    void B0002INNSetText(TField& sender, const QString& text);

    // Row events.
    void R1TableBeforeClose(TDataSet& dataSet);
    void R1TableAfterScroll(TDataSet& dataSet);
    void R2TableAfterPost(TDataSet& dataSet);
    void R2TableBeforeDelete(TDataSet& dataSet);
    void R2TableAfterDelete(TDataSet& dataSet);
    void R4TableBeforePost(TDataSet& dataSet);
    void R4TableAfterPost(TDataSet& dataSet);
    void R4TableAfterDelete(TDataSet& dataSet);
    void R4TableAfterScroll(TDataSet& dataSet);
    void SprKlzavFilterRecord(TDataSet& dataSet, bool& accept);

    // Nitrogen oxide tables.
    void NOR1TableC2SetText(TField& sender, const QString& text);
    void NOR1TableC3SetText(TField& sender, const QString& text);
    void NOR1TableC6SetText(TField& sender, const QString& text);
    void NOR5TableC3SetText(TField& sender, const QString& text);
    void NOR5TableC4SetText(TField& sender, const QString& text);
    void NOR3TableAfterScroll(TDataSet& dataSet);

    // Operations the handlers and the section logic share.
    // Rows 101 and 103 of section 1 from rows 102 and 104 to 109, for the field's column.
    void UpdateSection1Totals(TField& field);
    // Fails with EDatabaseError naming the typed text, nothing changed, when the value entered into
    // the field's column of the current section 1 row would make a total of
    // rows 101 and 103 or column 7 of any row not finite (such a report could
    // be neither checked, printed nor read back from its file), or when the
    // file would not hold it to three decimals.
    void CheckSection1Value(TField& field, double value, const QString& typed);
    // CA := 201, 202, ... in row order.
    void RenumberSection2(TozMemoryData& table);
    // PRIZN := value on the visible SprKlzav row of the pollutant; nothing for code <= 0.
    void MarkPollutant(int code, int value);
    // Marks every pollutant of section 2 as used.
    void MarkSection2Pollutants();

private:
    void DataModuleCreate();
    // Columns, settings and handlers of every table, in declared order (MDMTables.cpp).
    void declareTables();
    void declareSections();
    void declareClassifiers();
    void declareCard();
    void declareNitrogenOxide();
    void setContextKeys(TDataSet& dataSet);

    TProgramFolders m_folders;
    QString m_currentKodp;
    QString m_currentReg;
    int m_currentYear = 0;
    int m_prevPollutant = 0;
    // The row PrevPollutant belongs to: a record's bookmark, or the row that was
    // being inserted (m_prevPollutantNewRow) until it is posted.
    TBookmark m_prevPollutantRow;
    bool m_prevPollutantNewRow = false;

    // Lookup sources come first so that they are destroyed last.
    TozMemoryData m_templTable{QStringLiteral("TemplTable")};
    TozMemoryData m_ownKlzav{QStringLiteral("OwnKlzav")};
    TozMemoryData m_klzav{QStringLiteral("KLZAV")};
    TozMemoryData m_sprKlzav{QStringLiteral("SprKlzav")};
    TozMemoryData m_r1Table{QStringLiteral("R1Table")};
    TozMemoryData m_r2Table{QStringLiteral("R2Table")};
    TozMemoryData m_r3Table{QStringLiteral("R3Table")};
    TozMemoryData m_r4Table{QStringLiteral("R4Table")};
    TozMemoryData m_r5Table{QStringLiteral("R5Table")};
    TozMemoryData m_r2TableStat{QStringLiteral("R2TableStat")};
    TozMemoryData m_prTable{QStringLiteral("PrTable")};
    TozMemoryData m_spisokkr{QStringLiteral("spisokkr")};
    TozMemoryData m_rnDS{QStringLiteral("RnDS")};
    TozMemoryData m_nor1Table{QStringLiteral("NOR1Table")};
    TozMemoryData m_nor3Table{QStringLiteral("NOR3Table")};
    TozMemoryData m_nor5Table{QStringLiteral("NOR5Table")};
    TozMemoryData m_sprdolj{QStringLiteral("sprdolj")};
};
