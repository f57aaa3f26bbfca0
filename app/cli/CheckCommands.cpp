// f2tp-cli check, protocol: the form check and the control protocol on the
// report of a program folder, as the main window's commands run them.
#include <QDir>
#include <QTextStream>

#include "CheckForm.h"
#include "CliCommand.h"
#include "ControlProtocol.h"
#include "Errors.h"
#include "MDM.h"
#include "RepProcExt.h"
#include "Report.h"
#include "ReportPaint.h"
#include "ReportSections.h"

namespace {

// The data module on the folder with the sections loaded, as after start-up.
class CheckSession
{
public:
    explicit CheckSession(const QString& dir)
        : m_dm(checkedFolder(dir))
        , m_logic(m_dm)
    {
        m_logic.ReadSettings();
        m_logic.LoadSections();
    }

    TDM& dm() { return m_dm; }

private:
    static QString checkedFolder(const QString& dir)
    {
        if (dir.isEmpty() || !QDir(dir).exists())
            throw F2tpError(QStringLiteral("No such program folder: ") + dir);
        return QDir(dir).absolutePath();
    }

    TDM m_dm;
    TReportSections m_logic;
};

// Shows a report by writing it as a PDF file.
class PdfPresenter final : public IReportPresenter
{
public:
    explicit PdfPresenter(QString fileName)
        : m_fileName(std::move(fileName))
    {
        setReportPresenter(this);
    }
    ~PdfPresenter() override { setReportPresenter(nullptr); }
    Q_DISABLE_COPY_MOVE(PdfPresenter)

    void present(const TPreparedReport& report) override
    {
        WritePdf(report.pages, m_fileName, report.title);
    }

private:
    QString m_fileName;
};

int checkCommand(const QStringList& args, CliContext& ctx)
{
    if (args.size() != 1)
        throw CliUsageError(QStringLiteral("check needs the program folder"));
    CheckSession session(args.at(0));
    ctx.err.flush();
    try {
        CheckForm(session.dm());
    } catch (const T2tpException& e) {
        ctx.err << e.message() << '\n';
        return 1;
    }
    return 0;
}

int protocolCommand(const QStringList& args, CliContext& ctx)
{
    QStringList rest = args;
    const qsizetype at = rest.indexOf(QStringLiteral("--pdf"));
    if (at < 0 || at + 1 >= rest.size())
        throw CliUsageError(QStringLiteral("protocol needs --pdf OUT"));
    const QString pdf = rest.at(at + 1);
    rest.remove(at, 2);
    if (rest.removeAll(QStringLiteral("--no-engine")) > 0)
        UnloadReportEngine();
    if (rest.size() != 1)
        throw CliUsageError(QStringLiteral("protocol needs the program folder"));
    CheckSession session(rest.at(0));
    PdfPresenter presenter(QDir::current().absoluteFilePath(pdf));
    ctx.err.flush();
    ShowControlProtocol(session.dm());
    return 0;
}

const CliRegistration checkRegistration("check", "check DIR", checkCommand);
const CliRegistration protocolRegistration("protocol", "protocol DIR --pdf OUT [--no-engine]",
                                           protocolCommand);

} // namespace
