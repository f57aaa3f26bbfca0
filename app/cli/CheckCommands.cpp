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
#include "CliArgs.h"
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

// The value of "option FILE" as an absolute file name; empty when not given.
QString takeFileOption(CliArgs& args, const QString& option)
{
    const std::optional<QString> value = args.value(option);
    return value ? QDir::current().absoluteFilePath(*value) : QString();
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

// The report folder DIR when given, alone on the line.
QString onlyReportFolder(const CliArgs& args, const char* command)
{
    const CliReportArgs split = CliReportArgs::split(args.positional(), 0, 0);
    if (!split.rest.isEmpty())
        throw CliUsageError(QString::fromLatin1(command) +
                            QStringLiteral(" takes the report folder only"));
    return split.dir;
}

// Every finding on standard output, one a line or as JSON; what the program
// would show (the warning of a tolerated difference, the check's error) goes
// to standard error as before, and the status is the check's.
int checkCommand(const QStringList& rawArgs, CliContext& ctx)
{
    CliArgs args(rawArgs);
    const bool json = args.flag(QStringLiteral("--json"));
    const QString xlsx = takeFileOption(args, QStringLiteral("--xlsx"));
    TCliSession session(onlyReportFolder(args, "check"));
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

int protocolCommand(const QStringList& rawArgs, CliContext& ctx)
{
    CliArgs args(rawArgs);
    const QString pdf = takeFileOption(args, QStringLiteral("--pdf"));
    const QString xlsx = takeFileOption(args, QStringLiteral("--xlsx"));
    if (pdf.isEmpty() && xlsx.isEmpty())
        throw CliUsageError(QStringLiteral("protocol needs --pdf OUT or --xlsx OUT"));
    const bool noEngine = args.flag(QStringLiteral("--no-engine"));
    const QString dir = onlyReportFolder(args, "protocol");
    if (noEngine)
        UnloadReportEngine();
    TCliSession session(dir);
    FilePresenter presenter(pdf, xlsx);
    ctx.err.flush();
    ShowControlProtocol(session.dm());
    return 0;
}

const CliRegistration checkRegistration("check", "check [DIR] [--json] [--xlsx OUT]", checkCommand);
const CliRegistration protocolRegistration("protocol",
                                           "protocol [DIR] [--pdf OUT] [--xlsx OUT] [--no-engine]",
                                           protocolCommand);

} // namespace
