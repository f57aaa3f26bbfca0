#pragma once

#include <optional>

#include <QString>
#include <QtGlobal>

class TDM;
class TozMemoryData;

// The main window's logic that needs no window: the settings file "2tp.ini",
// the year field and its check, the report context, opening the five section
// tables with their fixed rows, and the section commands (pick list, delete).
// The window owns one, binds its controls to the data module's tables and
// calls these operations from its handlers; f2tp-cli does the same without a window.
class TReportSections final
{
public:
    explicit TReportSections(TDM& dm);
    Q_DISABLE_COPY_MOVE(TReportSections)

    // "2tp.ini" in the program directory, section "PARAMS": "YEAR" (default
    // 2000) into CurrentYear and the year field, "PATH" (default empty) kept
    // to be written back unchanged.
    void ReadSettings();
    // Writes "YEAR" and "PATH"; fails with F2tpError when the file cannot be
    // written (the window ignores that at close).
    void WriteSettings();
    const QString& path() const { return m_path; }
    QString settingsFileName() const;

    // The year field: its text, and whether it was changed since the last accepted value.
    const QString& yearText() const { return m_yearText; }
    void setYearText(const QString& text);
    bool yearChanged() const { return m_yearChanged; }
    // The focus leaves the year field. A changed text is checked: accepted, it
    // becomes CurrentYear and the context is refreshed; rejected, the error box
    // shows "Неверный год", the field stays changed and CurrentYear keeps its
    // value. Returns false only when the text was rejected.
    bool YearFieldExit();
    bool YearFieldExit(int todayYear);
    // The year the text gives when it is a number from 2000 to the current
    // year (at least 2001); nullopt otherwise.
    static std::optional<int> AcceptYear(const QString& text, int todayYear);

    // CurrentKodp from the card, CurrentReg from the region row, CurrentYear
    // from the year field's text (0 when it is no integer).
    void RefreshContext();
    // Refreshes the context, rebuilds the use marks and rereads the five
    // sections from their files; an empty section gets its fixed rows.
    void LoadSections();
    // Reopens the table; when it has no rows, appends rows section*100+1 to
    // section*100+count (section 2 with the pollutants 703, 322 and 410).
    void OpenSection(TozMemoryData& table, int section, int count);
    // Saves the changed sections as one change (SaveReportSections).
    void SaveSections();

    // Whether the grid lets the user type into the column of the section (the
    // table's own row rules come on top of this).
    static bool ColumnEditable(int section, const QString& fieldName);

    // Pick list of section 2. Opening it on the current row is refused (false)
    // without an organisation code or with a year of 0; otherwise PrevPollutant
    // takes the row's pollutant.
    bool OpenPickList();
    // The open list offers the pollutant (it is in the classifier and not used).
    bool PickListOffers(int code);
    // Chooses an offered pollutant for the current row and posts the row, as
    // choosing it in the list does; false when the list does not offer it.
    bool ChoosePollutant(int code);

    // The delete command of section 2 is enabled on the current row: its
    // pollutant is none of 703, 322 and 410.
    bool Section2DeleteEnabled();
    // The delete command of section 2: when enabled, asks "Удалить запись?"
    // (empty caption, Yes/No/Cancel) through the user interface and deletes the
    // current row on Yes. Returns whether a row was deleted.
    bool DeleteSection2Row();

private:
    TDM& m_dm;
    QString m_path;
    QString m_yearText;
    bool m_yearChanged = false;
};
