// f2tp-cli: the program's capabilities that need no window, for batch use.
#include "CliCommand.h"

#include <cstdio>
#include <map>
#include <string>

#include <QGuiApplication>
#include <QTextStream>

#include "CliArgs.h"
#include "CliUserInterface.h"
#include "Errors.h"
#include "RepProcExt.h"

namespace {

struct Group
{
    QString usage;
    CliHandler handler;
};

std::map<QString, Group>& groups()
{
    static std::map<QString, Group> all;
    return all;
}

void printUsage(QTextStream& err)
{
    err << "Usage: f2tp-cli COMMAND ARGS...\n";
    for (const auto& [name, group] : groups())
        err << "  f2tp-cli " << group.usage << '\n';
}

// Standard error carries the program's messages only; Qt's own notes about
// the platform (a missing runtime folder, font fallbacks) are dropped.
void dropQtNotes(QtMsgType type, const QMessageLogContext&, const QString& message)
{
    if (type == QtCriticalMsg || type == QtFatalMsg)
        std::fprintf(stderr, "%s\n", message.toLocal8Bit().constData());
}

} // namespace

CliRegistration::CliRegistration(const char* group, const char* usage, CliHandler handler)
{
    groups()[QString::fromUtf8(group)] = Group{QString::fromUtf8(usage), handler};
}

int main(int argc, char* argv[])
{
    // The protocol lays out text and writes PDFs, which needs fonts but never
    // a window: the offscreen platform serves wherever no other is asked for.
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    qInstallMessageHandler(dropQtNotes);
    QGuiApplication app(argc, argv);
    // The name of the user's report folder, shared with the desktop program.
    QCoreApplication::setApplicationName(QStringLiteral("f2tp"));
    LoadReportEngine();
    QTextStream out(stdout);
    QTextStream err(stderr);
    out.setEncoding(QStringConverter::Utf8);
    err.setEncoding(QStringConverter::Utf8);
    CliContext ctx{out, err};
    TCliUserInterface ui(err);
    const UserInterfaceGuard installed(ui);

    QStringList args = QCoreApplication::arguments().mid(1);
    if (args.isEmpty() || args.first() == QLatin1String("--help")) {
        printUsage(args.isEmpty() ? err : out);
        return args.isEmpty() ? 1 : 0;
    }
    const auto it = groups().find(args.first());
    if (it == groups().end()) {
        err << "Unknown command: " << args.first() << '\n';
        printUsage(err);
        return 1;
    }
    args.removeFirst();
    try {
        // The options every command takes; the command parses the rest.
        CliArgs common(args);
        ui.takeOptions(common);
        const int status = it->second.handler(common.remaining(), ctx);
        out.flush();
        return status;
    } catch (const CliUsageError& e) {
        out.flush();
        err << e.text() << "\nUsage: f2tp-cli " << it->second.usage << '\n';
    } catch (const EAbort&) {
        out.flush();
        err << "Operation aborted\n";
    } catch (const F2tpError& e) {
        out.flush();
        err << e.message() << '\n';
    } catch (const std::exception& e) {
        out.flush();
        err << QString::fromLocal8Bit(e.what()) << '\n';
    }
    return 1;
}
