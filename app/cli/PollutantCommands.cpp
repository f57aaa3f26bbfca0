// f2tp-cli pollutants: the pollutant classifier of a program folder, the
// shipped entries and the user's own, and the own entries added or removed as
// the pick list's commands do it. A refused change exits with status 2.
#include <QTextStream>

#include "CliCommand.h"
#include "CliSession.h"
#include "CliText.h"
#include "OwnPollutants.h"

namespace {

constexpr int kRefused = 2;

const char kUsage[] = "pollutants needs [DIR] [--add CODE NAME [--stat]] [--remove CODE]";

void printList(const TOwnPollutants& pollutants, QTextStream& out)
{
    out << "KDZV\tNAMEK\tSTAT\tOWN\tUSED\n";
    for (const TOwnPollutants::Entry& entry : pollutants.List()) {
        out << entry.code << '\t' << cliEscaped(entry.name) << '\t' << (entry.stat ? '1' : '0')
            << '\t' << (entry.own ? "own" : "shipped") << '\t' << (entry.used ? '1' : '0') << '\n';
    }
}

// The changes are options in sequence ("--add" takes two values and an
// optional "--stat"), repeatable and done in the order given, so they are read
// here rather than by the options parser; DIR, when given, comes first.
int pollutantsCommand(const QStringList& args, CliContext& ctx)
{
    const bool withDir = !args.isEmpty() && !args.first().startsWith(QLatin1String("--"));
    // The changes in the order given; each is checked before it is made.
    struct Change
    {
        bool add;
        QString code;
        QString name;
        bool stat;
    };
    std::vector<Change> changes;
    for (qsizetype i = withDir ? 1 : 0; i < args.size(); ++i) {
        const QString& option = args.at(i);
        if (option == QLatin1String("--add") && i + 2 < args.size()) {
            Change change{true, args.at(i + 1), args.at(i + 2), false};
            i += 2;
            if (i + 1 < args.size() && args.at(i + 1) == QLatin1String("--stat")) {
                change.stat = true;
                ++i;
            }
            changes.push_back(change);
        } else if (option == QLatin1String("--remove") && i + 1 < args.size()) {
            changes.push_back({false, args.at(i + 1), QString(), false});
            ++i;
        } else {
            throw CliUsageError(QString::fromLatin1(kUsage));
        }
    }

    TCliSession session(withDir ? args.at(0) : QString());
    TOwnPollutants pollutants(session.dm());
    if (changes.empty()) {
        printList(pollutants, ctx.out);
        return 0;
    }
    try {
        for (const Change& change : changes) {
            const int code = TOwnPollutants::ParseCode(change.code);
            if (change.add)
                pollutants.Add(code, change.name, change.stat);
            else
                pollutants.Remove(code);
        }
    } catch (const TPollutantRefused& refused) {
        ctx.err << refused.message() << '\n';
        return kRefused;
    }
    return 0;
}

const CliRegistration pollutantsRegistration(
    "pollutants", "pollutants [DIR] [--add CODE NAME [--stat]] [--remove CODE]", pollutantsCommand);

} // namespace
