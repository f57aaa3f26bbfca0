#include "Export.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QTemporaryDir>

#include "Cp1251.h"
#include "DSToXML.h"
#include "Errors.h"
#include "MDM.h"
#include "MDMGuard.h"
#include "ReportFiles.h"
#include "UserInterface.h"
#include "ZLIBArchive.h"
#include "ozField.h"

namespace {

const QString kManifestName = QStringLiteral("TableList.inf");

QString cannotCreate(const QString& fileName)
{
    return QStringLiteral("Не удается создать файл ") + QDir::toNativeSeparators(fileName);
}

// The Windows-1251 codes an archive name keeps: the blank, # $ % & ( ) + -,
// the digits, =, the codes 65 to 123 except the backslash, }, and the Cyrillic
// letters. A folder separator never passes, so no name leaves the folder.
bool keptInArchiveName(unsigned char code)
{
    if (code >= '0' && code <= '9')
        return true;
    if (code >= 65 && code <= 123)
        return code != '\\';
    if (code >= 192)
        return true;
    switch (code) {
    case ' ':
    case '#':
    case '$':
    case '%':
    case '&':
    case '(':
    case ')':
    case '+':
    case '-':
    case '=':
    case '}':
        return true;
    default:
        return false;
    }
}

QString runningProgramName()
{
    return QFileInfo(QCoreApplication::applicationFilePath()).completeBaseName();
}

void writeManifest(const QString& fileName, const QStringList& lines)
{
    QByteArray bytes;
    for (const QString& line : lines)
        bytes += Cp1251::encode(line) + "\r\n";
    QSaveFile file(fileName);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit())
        throw F2tpError(cannotCreate(fileName));
}

// Copies the file to target through a file written aside, so that target is
// either the complete copy or what it was before.
void copyInPlace(const QString& source, const QString& target)
{
    QFile in(source);
    if (!in.open(QIODevice::ReadOnly))
        throw EZLBArchiveError(QStringLiteral("Unable to open file (%1)").arg(source));
    QSaveFile out(target);
    if (!out.open(QIODevice::WriteOnly))
        throw F2tpError(cannotCreate(target));
    char buffer[64 * 1024];
    for (qint64 got; (got = in.read(buffer, sizeof buffer)) > 0;) {
        if (out.write(buffer, got) != got)
            throw F2tpError(cannotCreate(target));
    }
    if (in.error() != QFileDevice::NoError || !out.commit())
        throw F2tpError(cannotCreate(target));
}

// A file AddFiles could not read is left out without an error; an archive
// short of a table must not pass for a complete export.
void requireEntries(const TZLBArchive& archive, const QStringList& files)
{
    for (const QString& file : files) {
        if (archive.FindEntry(QFileInfo(file).fileName()) < 0)
            throw EZLBArchiveError(QStringLiteral("Unable to open file (%1)").arg(file));
    }
}

} // namespace

const std::vector<TExportTable>& ExportTables()
{
    using enum TImportTarget;
    static const std::vector<TExportTable> tables = {
        {"b0002.xml", &TDM::PrTable, "1,KOD", Replaced},
        {"spisokkr.xml", &TDM::spisokkr, "1,KODP,NGDU", Replaced},
        {"F2TPR1.xml", &TDM::R1Table, "2,KODP,YEAR_,REG", ByRule},
        {"F2TPR2.xml", &TDM::R2Table, "2,KODP,YEAR_,REG", ByRule},
        {"F2TPR3.xml", &TDM::R3Table, "2,KODP,YEAR_,REG", ByRule},
        {"F2TPR4.xml", &TDM::R4Table, "2,KODP,YEAR_,REG", ByRule},
        {"F2TPR5.xml", &TDM::R5Table, "2,KODP,YEAR_,REG", ByRule},
        {"F2TPR1NO.xml", &TDM::NOR1Table, "2,KODP,YEAR_,REG", ByRule},
        {"F2TPR3NO.xml", &TDM::NOR3Table, "2,KODP,YEAR_,REG", ByRule},
        {"F2TPR5NO.xml", &TDM::NOR5Table, "2,KODP,YEAR_,REG", ByRule},
        {"SPRDOLJ.xml", &TDM::sprdolj, "1,KODP,KODD", Skipped},
    };
    return tables;
}

bool ExportAllowed(const TDM& dm)
{
    return !dm.CurrentKodp().isEmpty() && dm.CurrentYear() > 0;
}

TExport::TExport(TDM& dm, QString formTitle)
    : m_dm(dm)
    , m_formTitle(std::move(formTitle))
{
}

QString TExport::caption() const
{
    if (m_formTitle.isEmpty())
        return QStringLiteral("Выгрузка данных ");
    return QStringLiteral("Экспорт - ") + m_formTitle;
}

bool TExport::canExport() const
{
    return !m_folder.trimmed().isEmpty();
}

QString TExport::Header(const QString& kodp, const QString& organisation, int year)
{
    return kodp + QStringLiteral("    ") + organisation + QStringLiteral("    Данные за ") +
           QString::number(year) + QStringLiteral(" год");
}

QString TExport::ArchiveFileName(const QString& formTitle, const QString& header)
{
    const QByteArray joined = Cp1251::encode(formTitle + QLatin1Char(' ') + header);
    QByteArray kept;
    kept.reserve(joined.size());
    for (const char c : joined) {
        if (keptInArchiveName(static_cast<unsigned char>(c)))
            kept.append(c);
    }
    return Cp1251::decode(kept) + QStringLiteral(".vlt");
}

QString TExport::destinationFolder() const
{
    const QString typed = QDir::fromNativeSeparators(m_folder.trimmed());
    return QDir::cleanPath(QFileInfo(typed).absoluteFilePath());
}

void TExport::fillOfficials()
{
    // The row has no stored column: its computed columns give the
    // organisation code, position 1 and the head of the organisation.
    TozMemoryData& officials = m_dm.sprdolj();
    officials.close();
    officials.open();
    officials.ClearRecords();
    officials.append();
    officials.post();
}

QStringList TExport::manifestHead() const
{
    QStringList lines{
        QStringLiteral("Caption=") + m_header + QLatin1Char(' ') + m_formTitle,
        QStringLiteral("Label=") + m_header,
        QStringLiteral("Code=35"),
        QStringLiteral("Program=") +
            (m_programName.isEmpty() ? runningProgramName() : m_programName),
        QStringLiteral("Version=" F2TP_EXCHANGE_VERSION),
        QStringLiteral("YEAR_=") + QString::number(m_dm.CurrentYear()),
        QStringLiteral("REG=") + m_dm.CurrentReg(),
        QStringLiteral("KODP=") + m_dm.CurrentKodp(),
    };
    int number = 0;
    for (const TExportTable& table : ExportTables())
        lines << QStringLiteral("UPDATE%1=").arg(++number) + QString::fromLatin1(table.rule);
    return lines;
}

void TExport::writeTable(const TExportTable& entry, int number, const QString& workDir,
                         QStringList& written, QStringList& manifest)
{
    const QString fileName = QString::fromLatin1(entry.fileName);
    IUserInterface& ui = userInterface();
    try {
        TozMemoryData& table = (m_dm.*entry.table)();
        for (const char* key : {"KODP", "YEAR_", "REG"}) {
            if (TField* field = table.findField(QString::fromLatin1(key)))
                field->setTag(SavedFieldTag);
        }
        ui.setProgressStatus(fileName);
        // Setting the position again handles the window events, so the new
        // status text is painted before the table is written.
        ui.setProgressPosition(number - 1);
        table.open();
        const QString path = workDir + QLatin1Char('/') + fileName;
        runThenRestore([&] { WriteReportTable(m_dm, table, path); }, [&] { table.first(); });
        written << path;
        manifest << QStringLiteral("Table%1=").arg(number) + fileName;
    } catch (const EAbort&) {
        throw;
    } catch (...) {
        throw F2tpError(QStringLiteral("Таблица ") + fileName + QStringLiteral(" \r\n") +
                        ErrorText(std::current_exception()));
    }
    ui.setProgressPosition(number);
}

QString TExport::writeSet(const QString& workDir, QStringList& written)
{
    fillOfficials();
    TozMemoryData& card = m_dm.PrTable();
    m_dm.setCurrentKodp(card.fieldByName(QStringLiteral("KOD")).asString());
    m_header = Header(m_dm.CurrentKodp(), card.fieldByName(QStringLiteral("PNAZ")).asString(),
                      m_dm.CurrentYear());
    QStringList manifest = manifestHead();
    const std::vector<TExportTable>& tables = ExportTables();
    userInterface().setProgressMaximum(int(tables.size()));
    int number = 0;
    for (const TExportTable& table : tables)
        writeTable(table, ++number, workDir, written, manifest);
    manifest << QStringLiteral("Tables=%1").arg(tables.size());
    const QString path = workDir + QLatin1Char('/') + kManifestName;
    writeManifest(path, manifest);
    written << path;
    return path;
}

QString TExport::run()
{
    const QString destination = destinationFolder();
    QStringList written;
    if (!m_pack)
        return writeSet(destination, written);
    // A folder of this run alone, removed with whatever is in it however the
    // export ends.
    QTemporaryDir scratch(QDir::tempPath() + QStringLiteral("/f2tp-export-XXXXXX"));
    if (!scratch.isValid())
        throw F2tpError(QStringLiteral("Не удается создать временную папку: ") +
                        scratch.errorString());
    writeSet(scratch.path(), written);
    return PackExport(destination, written);
}

QString TExport::ExportData()
{
    QString result;
    {
        BusyCursorGuard busy;
        result = run();
    }
    IUserInterface& ui = userInterface();
    ui.showInformation(QString(), QStringLiteral("Экспорт закончен"));
    ui.setProgressPosition(0);
    ui.setProgressStatus(QString());
    return result;
}

QString TExport::PackExport(const QString& destination, const QStringList& writtenFiles)
{
    const QString target = QDir(destination).filePath(ArchiveFileName(m_formTitle, m_header));
    QTemporaryDir scratch(QDir::tempPath() + QStringLiteral("/f2tp-pack-XXXXXX"));
    if (!scratch.isValid())
        throw F2tpError(QStringLiteral("Не удается создать временную папку: ") +
                        scratch.errorString());
    const QString packed = scratch.filePath(QStringLiteral("export.vlt"));
    {
        TZLBArchive archive;
        archive.CreateArchive(packed);
        QStringList files = writtenFiles; // AddFiles empties the list it is given
        archive.AddFiles(files);
        requireEntries(archive, writtenFiles);
        archive.CloseArchive();
    }
    copyInPlace(packed, target);
    for (const QString& file : writtenFiles)
        QFile::remove(file);
    return target;
}
