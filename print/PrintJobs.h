#pragma once

#include <array>
#include <functional>

#include <QString>

class IRepReport;
class IRepSheet;
class TDM;
class TozMemoryData;

// The three printed forms.
enum class TPrintVariant
{
    Form = 0,       // "2TPV.TVX"
    Statistics = 1, // "2TPVst.TVX", with the nitrogen oxide dialog and the statistics copy
    Order441 = 2    // "2TP441.TVX"
};

// How a print command ended.
enum class TPrintOutcome
{
    Done,       // the job ran (without a report engine it does nothing)
    FormFailed, // the form check failed: its message and the protocol were shown
    Cancelled   // the user did not confirm the nitrogen oxide dialog
};

// The print commands of the main window, without the window: the form check,
// the nitrogen oxide dialog and the statistics copy of section 2 for the
// statistics variant, the report variables from the card and the sections,
// the variant's template from the template folder, supplement sheets for the
// pollutants of section 2 the form has no rows for, and the report shown
// through the installed presenter.
//
// The job reads section n from the table of its source n (the window's
// R<n>Source), normally R<n>Table; the statistics print points source 2 at
// R2TableStat for the job's length. OnSourceChanged tells the window.
class TPrintJobs final
{
public:
    explicit TPrintJobs(TDM& dm);
    Q_DISABLE_COPY_MOVE(TPrintJobs)

    static QString TemplateFileName(TPrintVariant variant);

    // The print command: CheckForm (a failure shows its message in a warning
    // box captioned "Ошибка заполнения формы", then the control protocol),
    // then PrintCheckedForm. Errors other than the form check's and the silent
    // abort reach the caller.
    TPrintOutcome PrintCommand(TPrintVariant variant);
    // The print command once the form has passed its check, for a caller that
    // checked it itself (the check's warnings are shown once): for the
    // statistics variant PrepareNitrogenOxide, then RunPrintJob.
    TPrintOutcome PrintCheckedForm(TPrintVariant variant);
    // Saves the five sections, then, when a report engine is loaded, fills the
    // variant's template under the wait message and shows the report. The
    // sections are left on their first rows, section 2 on its last without
    // supplements. After the statistics variant source 2 is R2Table again and
    // sections 1, 3 and 5 are reread from their files, also after an error.
    void RunPrintJob(TPrintVariant variant);
    // Sets every report variable; true when section 2 has more pollutants than
    // the form's rows 204 to 220, with the first of them current.
    bool FillReportVariables(IRepReport& report);
    // Appends blocks of 30 rows for section 2 from its current row to its end.
    void AddSupplementSheets(IRepSheet& sheet, TPrintVariant variant);

    // Before a statistics print: when section 2 reports nitrogen oxide (304)
    // with an amount, prefills the nitrogen oxide tables and shows their
    // dialog; anything but "Принять" raises the silent abort. Confirmed, the
    // three tables are saved and NOxApplied becomes true.
    void PrepareNitrogenOxide();
    // Inside a statistics print: fills R2TableStat, points source 2 at it and,
    // when NOxApplied, converts the nitrogen oxide of sections 1, 3 and 5 into
    // nitrogen dioxide in memory. A missing fixed row fails with "Ошибка
    // формирования данных по оксидам азота".
    void PrepareStatistics();
    bool NOxApplied() const { return m_noxApplied; }

    TozMemoryData& source(int section) const;
    void setSource(int section, TozMemoryData& table);
    std::function<void(int section, TozMemoryData& table)> OnSourceChanged;

private:
    void setVariable(IRepReport& report, const QString& name, const QString& value);
    void fillCardVariables(IRepReport& report);
    bool fillSection2(IRepReport& report);
    void fillSupplementBlock(IRepSheet& sheet, TPrintVariant variant, int first);
    void copyStatisticsRows();
    void convertSection1();
    void convertSection3();
    void convertSection5();
    // Sets source 2 back to R2Table and rereads sections 1, 3 and 5.
    void restoreStatisticsSections();

    TDM& m_dm;
    std::array<TozMemoryData*, 5> m_sources{};
    bool m_noxApplied = false;
};
