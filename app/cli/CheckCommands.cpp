// f2tp-cli check, protocol: the form check and the control protocol on the
// report of a program folder, as the main window's commands run them. The
// protocol is written as a PDF file, an Excel workbook or both.
#include <QDir>
#include <QTextStream>

#include "CheckForm.h"
#include "CliArgs.h"
#include "CliSession.h"
#include "ControlProtocol.h"
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

// The report folder DIR when given, alone on the line.
QString onlyReportFolder(const CliArgs& args, const char* command)
{
    const CliReportArgs split = CliReportArgs::split(args.positional(), 0, 0);
    if (!split.rest.isEmpty())
        throw CliUsageError(QString::fromLatin1(command) +
                            QStringLiteral(" takes the report folder only"));
    return split.dir;
}

int checkCommand(const QStringList& rawArgs, CliContext& ctx)
{
    CliArgs args(rawArgs);
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

const CliRegistration checkRegistration("check", "check [DIR] [--xlsx OUT]", checkCommand);
const CliRegistration protocolRegistration("protocol",
                                           "protocol [DIR] [--pdf OUT] [--xlsx OUT] [--no-engine]",
                                           protocolCommand);

} // namespace
