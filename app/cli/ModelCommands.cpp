// f2tp-cli sections, set, pollutant, delete: the form's sections on a program
// folder, edited through the data module's rules as the main window edits them.
#include <climits>

#include <QTextStream>

#include "CliArgs.h"
#include "CliCommand.h"
#include "CliText.h"
#include "Errors.h"
#include "FormatSettings.h"
#include "MDM.h"
#include "ObFunc.h"
#include "ReportSections.h"
#include "ozField.h"

namespace {

// An edit the program refuses (a row or column the user may not change, a
// deletion or insertion the section does not allow): exit status 2.
class EditRefused
{
public:
    explicit EditRefused(QString text)
        : m_text(std::move(text))
    {
    }
    const QString& text() const { return m_text; }

private:
    QString m_text;
};

constexpr int kRefused = 2;

// The positional arguments after "--decimal-separator X", which wins over the
// environment variable F2TP_DECIMAL_SEPARATOR, both over the locale.
QStringList applyDecimalSeparator(const QStringList& rawArgs)
{
    CliArgs args(rawArgs);
    const QString separator = args.value(QStringLiteral("--decimal-separator"))
                                  .value_or(qEnvironmentVariable("F2TP_DECIMAL_SEPARATOR"));
    if (!separator.isEmpty()) {
        if (separator.size() != 1)
            throw CliUsageError(QStringLiteral("The decimal separator must be one character"));
        FormatSettings::setDecimalSeparator(separator.at(0));
    }
    return args.positional();
}

int toInteger(const QString& text, const char* what)
{
    const std::optional<qint64> value = TextToInteger(text);
    if (!value || *value < INT_MIN || *value > INT_MAX)
        throw CliUsageError(QString::fromLatin1(what) + QStringLiteral(" is not a number: ") +
                            text);
    return int(*value);
}

int toSection(const QString& text)
{
    const int section = toInteger(text, "SECTION");
    if (section < 1 || section > 5)
        throw CliUsageError(QStringLiteral("SECTION must be 1 to 5"));
    return section;
}

// Runs a table operation whose permission switch may refuse it silently.
template <class Operation> void refusable(Operation&& operation, const QString& message)
{
    try {
        operation();
    } catch (const EAbort&) {
        throw EditRefused(message);
    }
}

// The data module on a program folder with the sections loaded, as the main
// window has them after start-up.
class ModelSession
{
public:
    // dir empty: the user's report.
    explicit ModelSession(const QString& dir)
        : m_dm(cliReportFolders(dir))
        , m_logic(m_dm)
    {
        m_logic.ReadSettings();
        m_logic.LoadSections();
    }

    TDM& dm() { return m_dm; }
    TReportSections& logic() { return m_logic; }

    // Drops an edit left pending by a failed or refused entry, then saves.
    void finish()
    {
        for (int section = 1; section <= 5; ++section) {
            TozMemoryData& table = m_dm.sectionTable(section);
            if (table.state() == TDataSetState::dsEdit || table.state() == TDataSetState::dsInsert)
                table.cancel();
        }
        m_logic.SaveSections();
    }

    // Goes to the row of the section whose CA is row; false when there is none.
    bool go(int section, int row)
    {
        return m_dm.sectionTable(section).locate(QStringLiteral("CA"), row);
    }

private:
    TDM m_dm;
    TReportSections m_logic;
};

// Runs an edit on a session and saves what changed, also when the edit was
// refused or failed. Returns the exit status.
template <class Edit> int runEdit(const QString& dir, CliContext& ctx, Edit&& edit)
{
    ModelSession session(dir);
    try {
        edit(session);
    } catch (const EditRefused& refused) {
        session.finish();
        ctx.err << refused.text() << '\n';
        return kRefused;
    } catch (...) {
        try {
            session.finish();
        } catch (...) {
        }
        throw;
    }
    session.finish();
    return 0;
}

QString rowMissing(int section, int row)
{
    return QStringLiteral("Section %1 has no row %2").arg(section).arg(row);
}

int sectionsCommand(const QStringList& rawArgs, CliContext& ctx)
{
    const CliReportArgs args = CliReportArgs::split(applyDecimalSeparator(rawArgs), 0, 0);
    if (!args.rest.isEmpty())
        throw CliUsageError(QStringLiteral("sections takes the report folder only"));
    ModelSession session(args.dir);
    // Saved first: printing walks the rows and changes nothing.
    session.finish();
    for (int section = 1; section <= 5; ++section) {
        TozMemoryData& table = session.dm().sectionTable(section);
        ctx.out << table.name() << '\n';
        cliPrintTable(table, ctx.out);
        ctx.out << '\n';
    }
    return 0;
}

int setCommand(const QStringList& rawArgs, CliContext& ctx)
{
    const CliReportArgs args = CliReportArgs::split(applyDecimalSeparator(rawArgs), 4, 4);
    if (args.rest.size() != 4)
        throw CliUsageError(QStringLiteral("set needs [DIR] SECTION ROW COLUMN TEXT"));
    const int section = toSection(args.rest.at(0));
    const int row = toInteger(args.rest.at(1), "ROW");
    const QString& column = args.rest.at(2);
    const QString& text = args.rest.at(3);
    return runEdit(args.dir, ctx, [&](ModelSession& session) {
        TozMemoryData& table = session.dm().sectionTable(section);
        TField& field = table.fieldByName(column);
        if (!TReportSections::ColumnEditable(section, field.fieldName()))
            throw EditRefused(QStringLiteral("Column %1 of section %2 cannot be changed")
                                  .arg(field.fieldName())
                                  .arg(section));
        if (session.go(section, row)) {
            refusable(
                [&] { table.edit(); },
                QStringLiteral("Row %1 of section %2 cannot be changed").arg(row).arg(section));
        } else if (section == 4 && row == 406) {
            // The one row section 4 may add, as inserting a row in the grid adds it.
            refusable([&] { table.append(); }, QStringLiteral("Section 4 cannot take another row"));
        } else {
            throw F2tpError(rowMissing(section, row));
        }
        if (field.readOnly())
            throw EditRefused(QStringLiteral("Column %1 of row %2 cannot be changed")
                                  .arg(field.fieldName())
                                  .arg(row));
        field.setText(text);
        if (table.state() == TDataSetState::dsEdit || table.state() == TDataSetState::dsInsert)
            table.post();
    });
}

int pollutantCommand(const QStringList& rawArgs, CliContext& ctx)
{
    const CliReportArgs args = CliReportArgs::split(applyDecimalSeparator(rawArgs), 1, 2);
    if (args.rest.size() != 1 && args.rest.size() != 2)
        throw CliUsageError(QStringLiteral("pollutant needs [DIR] CODE [ROW]"));
    const int code = toInteger(args.rest.at(0), "CODE");
    const std::optional<int> row = args.rest.size() == 2
                                       ? std::optional<int>(toInteger(args.rest.at(1), "ROW"))
                                       : std::nullopt;
    return runEdit(args.dir, ctx, [&](ModelSession& session) {
        TozMemoryData& table = session.dm().R2Table();
        if (row) {
            if (!session.go(2, *row))
                throw F2tpError(rowMissing(2, *row));
        } else {
            refusable([&] { table.append(); }, QStringLiteral("Section 2 cannot take another row"));
        }
        if (!session.logic().OpenPickList())
            throw EditRefused(
                QStringLiteral("No pick list: the organisation has no code or the year is 0"));
        if (!session.logic().ChoosePollutant(code))
            throw F2tpError(QStringLiteral("The pick list does not offer pollutant ") +
                            QString::number(code));
    });
}

int deleteCommand(const QStringList& rawArgs, CliContext& ctx)
{
    const CliReportArgs args = CliReportArgs::split(applyDecimalSeparator(rawArgs), 2, 2);
    if (args.rest.size() != 2)
        throw CliUsageError(QStringLiteral("delete needs [DIR] SECTION ROW"));
    const int section = toSection(args.rest.at(0));
    const int row = toInteger(args.rest.at(1), "ROW");
    return runEdit(args.dir, ctx, [&](ModelSession& session) {
        if (!session.go(section, row))
            throw F2tpError(rowMissing(section, row));
        const QString refused =
            QStringLiteral("Row %1 of section %2 cannot be deleted").arg(row).arg(section);
        // Section 2 rows go only through the delete command, which is disabled
        // on the rows of the three fixed pollutants and asks its question
        // (answered by --answer, yes by default).
        if (section == 2) {
            if (!session.logic().Section2DeleteEnabled())
                throw EditRefused(refused);
            if (!session.logic().DeleteSection2Row())
                throw EditRefused(QStringLiteral("Row %1 of section 2 was not deleted").arg(row));
            return;
        }
        refusable([&] { session.dm().sectionTable(section).deleteRecord(); }, refused);
    });
}

const CliRegistration sectionsRegistration("sections", "sections [DIR] [--decimal-separator C]",
                                           sectionsCommand);
const CliRegistration
    setRegistration("set", "set [DIR] SECTION ROW COLUMN TEXT [--decimal-separator C]", setCommand);
const CliRegistration pollutantRegistration("pollutant", "pollutant [DIR] CODE [ROW]",
                                            pollutantCommand);
const CliRegistration deleteRegistration("delete", "delete [DIR] SECTION ROW [--answer yes|no]",
                                         deleteCommand);

} // namespace
