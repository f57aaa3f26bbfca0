#pragma once

#include <vector>

#include <QString>
#include <QStringList>
#include <QtGlobal>

class TDM;
class TozMemoryData;

// What the import does with a table of the set.
enum class TImportTarget
{
    Skipped,  // the file is skipped without a message
    Replaced, // the table is emptied before its rows are read
    ByRule,   // the merge rule decides
};

// One table of the exchange set: its file, its table in the data module, the
// merge rule the export writes for it ("mode,key,key...") and what the import
// does with it.
struct TExportTable
{
    const char* fileName;
    TozMemoryData& (TDM::*table)();
    const char* rule;
    TImportTarget import;
};

// The eleven tables of the exchange set, in manifest order: what the export
// writes, what the import merges, keeps for its rollback and saves.
const std::vector<TExportTable>& ExportTables();

// The export command is offered only for a report with an organisation code
// and a year.
bool ExportAllowed(const TDM& dm);

// The export of the report being edited, the export window's logic: the
// organisation card, the region row, the five sections, the nitrogen oxide
// rows and one officials row as data packet files with the manifest
// "TableList.inf", packed into one ZLB archive "<title> <header>.vlt" in the
// chosen folder. The window binds its controls to one and calls ExportData;
// f2tp-cli does the same without a window.
class TExport final
{
public:
    TExport(TDM& dm, QString formTitle);
    Q_DISABLE_COPY_MOVE(TExport)

    const QString& formTitle() const { return m_formTitle; }
    // "Экспорт - " and the form title; "Выгрузка данных " without a title.
    QString caption() const;

    // The destination folder as typed.
    const QString& folder() const { return m_folder; }
    void setFolder(const QString& text) { m_folder = text; }
    // Packing on: the files are written into a private scratch folder and
    // packed into the archive; off: they are written into the folder itself.
    bool pack() const { return m_pack; }
    void setPack(bool on) { m_pack = on; }
    // "Экспорт" may run: the folder, trimmed of blanks, is not empty.
    bool canExport() const;

    // The program named in the manifest; empty (the default): the running program's file name.
    const QString& programName() const { return m_programName; }
    void setProgramName(const QString& name) { m_programName = name; }

    // Writes the set and, with packing on, the archive, which replaces one of
    // the same name; returns the archive's path (without packing: the
    // manifest's). Shows its progress (one step per table, the file being
    // written as status text) and "Экспорт закончен" through the installed
    // user interface. Marks KODP, YEAR_ and REG of the tables for saving for
    // the rest of the run and sets CurrentKodp from the card.
    //
    // Fails with F2tpError; an error while a table is written carries
    // "Таблица <file> " and CR LF in front of its text. After a failure with
    // packing on there is no new archive (one of the same name stays as it
    // was) and no scratch file is left.
    QString ExportData();

    // Packs the written files of the scratch folder into the archive in the
    // destination folder and returns its path. The archive is complete before
    // it takes the place of an older one.
    QString PackExport(const QString& destination, const QStringList& writtenFiles);

    // "<kodp>    <name>    Данные за <year> год".
    static QString Header(const QString& kodp, const QString& organisation, int year);
    // The archive's file name: title, a blank and the header, without the
    // characters a file name must not or need not hold, then ".vlt".
    static QString ArchiveFileName(const QString& formTitle, const QString& header);

private:
    QString destinationFolder() const;
    void fillOfficials();
    QStringList manifestHead() const;
    void writeTable(const TExportTable& table, int number, const QString& workDir,
                    QStringList& written, QStringList& manifest);
    QString writeSet(const QString& workDir, QStringList& written);
    QString run();

    TDM& m_dm;
    QString m_formTitle;
    QString m_folder;
    bool m_pack = true;
    QString m_programName;
    QString m_header;
};
