// f2tp-cli check, protocol: the form check and the control protocol on the
// report of a program folder, as the main window's commands run them. The
// protocol is written as a PDF file, an Excel workbook or both.
#include <QDir>
#include <QTextStream>

#include "CheckForm.h"
#include "CliCommand.h"
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

int checkCommand(const QStringList& args, CliContext& ctx)
{
    QStringList rest = args;
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

const CliRegistration checkRegistration("check", "check DIR [--xlsx OUT]", checkCommand);
const CliRegistration protocolRegistration("protocol",
                                           "protocol DIR [--pdf OUT] [--xlsx OUT] [--no-engine]",
                                           protocolCommand);

} // namespace
