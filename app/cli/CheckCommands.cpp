// f2tp-cli check, protocol: the form check and the control protocol on the
// report of a program folder, as the main window's commands run them. The
// check lists every finding with its place, as text or as JSON; the protocol
// is written as a PDF file, an Excel workbook or both.
#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTextStream>

#include "CheckForm.h"
#include "CliCommand.h"
#include "CliSession.h"
#include "ControlProtocol.h"
#include "FormFindings.h"
#include "RepProcExt.h"
#include "Report.h"
#include "ReportPaint.h"
#include "ReportXlsx.h"

namespace {

// Shows a report by writing it as a PDF file and/or an Excel workbook (an
// empty name writes none of that kind).
class FilePresenter final : public IReportPresenter
{
public:
    FilePresenter(QString pdf, QString xlsx)
        : m_pdf(std::move(pdf))
        , m_xlsx(std::move(xlsx))
    {
        setReportPresenter(this);
    }
    ~FilePresenter() override { setReportPresenter(nullptr); }
    Q_DISABLE_COPY_MOVE(FilePresenter)

    void present(const TPreparedReport& report) override
    {
        if (!m_pdf.isEmpty())
            WritePdf(report.pages, m_pdf, report.title);
        if (!m_xlsx.isEmpty())
            SaveReportAsXlsx(report, m_xlsx);
    }

private:
    QString m_pdf;
    QString m_xlsx;
};

// Removes "option VALUE" from the arguments and gives the value as an
// absolute file name; empty when the option is not there.
QString takeFileOption(QStringList& args, const QString& option, const QString& usage)
{
    const qsizetype at = args.indexOf(option);
    if (at < 0)
        return QString();
    if (at + 1 >= args.size())
        throw CliUsageError(usage);
    const QString value = args.at(at + 1);
    args.remove(at, 2);
    return QDir::current().absoluteFilePath(value);
}

QString kindName(TFindingKind kind)
{
    switch (kind) {
    case TFindingKind::Error:
        return QStringLiteral("error");
    case TFindingKind::Tolerated:
        return QStringLiteral("tolerated");
    case TFindingKind::Advisory:
        return QStringLiteral("advisory");
    }
    return QString();
}

// "раздел 1, строка 104, графа 3: <message> (предупреждение)".
QString findingLine(const TFinding& finding)
{
    return FindingPlace(finding) + QStringLiteral(": ") + finding.message + QStringLiteral(" (") +
           FindingKindText(finding.kind).toLower() + QLatin1Char(')');
}

QJsonObject cellObject(const TFindingCell& cell)
{
    QJsonObject object;
    if (cell.section == 0) {
        object.insert(QStringLiteral("card"), cell.field);
    } else {
        object.insert(QStringLiteral("section"), cell.section);
        if (cell.pollutant != 0)
            object.insert(QStringLiteral("pollutant"), cell.pollutant);
        else if (cell.row != 0)
            object.insert(QStringLiteral("row"), cell.row);
        object.insert(QStringLiteral("field"), cell.field);
        object.insert(QStringLiteral("column"), FormRules::ColumnTitle(cell.section, cell.field));
    }
    object.insert(QStringLiteral("place"), CellPlace(cell));
    return object;
}

QByteArray findingsJson(const QList<TFinding>& findings)
{
    QJsonArray list;
    for (const TFinding& finding : findings) {
        QJsonArray cells;
        for (const TFindingCell& cell : finding.cells)
            cells.append(cellObject(cell));
        list.append(QJsonObject{{QStringLiteral("kind"), kindName(finding.kind)},
                                {QStringLiteral("message"), finding.message},
                                {QStringLiteral("place"), FindingPlace(finding)},
                                {QStringLiteral("cells"), cells}});
    }
    const QJsonObject root{{QStringLiteral("passed"), !HasErrors(findings)},
                           {QStringLiteral("findings"), list}};
    return QJsonDocument(root).toJson(QJsonDocument::Indented);
}

// Every finding on standard output, one a line or as JSON; what the program
// would show (the warning of a tolerated difference, the check's error) goes
// to standard error as before, and the status is the check's.
int checkCommand(const QStringList& args, CliContext& ctx)
{
    QStringList rest = args;
    const bool json = rest.removeAll(QStringLiteral("--json")) > 0;
    const QString xlsx = takeFileOption(rest, QStringLiteral("--xlsx"),
                                        QStringLiteral("check needs a file after --xlsx"));
    if (rest.size() != 1)
        throw CliUsageError(QStringLiteral("check needs the program folder"));
    TCliSession session(rest.at(0));
    ctx.err.flush();
    int status = 0;
    try {
        CheckForm(session.dm());
    } catch (const T2tpException& e) {
        ctx.err << e.message() << '\n';
        ctx.err.flush();
        status = 1;
    }
    const QList<TFinding> findings = FindFormFindings(session.dm());
    if (json) {
        ctx.out << QString::fromUtf8(findingsJson(findings));
    } else {
        for (const TFinding& finding : findings)
            ctx.out << findingLine(finding) << '\n';
    }
    ctx.out.flush();
    // The control protocol of the checks, passed or not.
    if (!xlsx.isEmpty()) {
        FilePresenter presenter(QString(), xlsx);
        ShowControlProtocol(session.dm());
    }
    return status;
}

int protocolCommand(const QStringList& args, CliContext& ctx)
{
    QStringList rest = args;
    const QString usage = QStringLiteral("protocol needs --pdf OUT or --xlsx OUT");
    const QString pdf = takeFileOption(rest, QStringLiteral("--pdf"), usage);
    const QString xlsx = takeFileOption(rest, QStringLiteral("--xlsx"), usage);
    if (pdf.isEmpty() && xlsx.isEmpty())
        throw CliUsageError(usage);
    if (rest.removeAll(QStringLiteral("--no-engine")) > 0)
        UnloadReportEngine();
    if (rest.size() != 1)
        throw CliUsageError(QStringLiteral("protocol needs the program folder"));
    TCliSession session(rest.at(0));
    FilePresenter presenter(pdf, xlsx);
    ctx.err.flush();
    ShowControlProtocol(session.dm());
    return 0;
}

const CliRegistration checkRegistration("check", "check DIR [--json] [--xlsx OUT]", checkCommand);
const CliRegistration protocolRegistration("protocol",
                                           "protocol DIR [--pdf OUT] [--xlsx OUT] [--no-engine]",
                                           protocolCommand);

} // namespace
