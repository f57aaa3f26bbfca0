// A large report against an empty one: f2tp-cli's commands on a report whose
// section 2 lists 2,600 pollutants (each code of a complete classifier once)
// and on the same report with section 2 empty, then with 26,000 rows (codes
// repeated), each a whole process timed in interleaved rounds; then the
// operations behind the desktop program's keys on the 2,600-row report, in
// this process: Ctrl+End in section 2, typing a value into its last row and
// Ctrl+F for a pollutant's name.
//
// The classifier is the shipped one completed to 2,600 codes with made-up
// names, written into scratch program folders; every report uses it.
//
// Usage: report_bench [CLI [ROUNDS [FOLDER]]]   (CLI defaults to f2tp-cli
// beside this program, ROUNDS to 3; the reports are built in FOLDER and kept
// there for a profiler when it is given, else in a temporary folder)
#include <algorithm>
#include <cstdio>
#include <functional>
#include <map>
#include <set>
#include <vector>

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include "FormatSettings.h"
#include "MDM.h"
#include "ObFunc.h"
#include "ReportSections.h"
#include "SectionLayout.h"
#include "UserInterface.h"
#include "ozField.h"
#include "ozMemoryData.h"

#if defined(Q_OS_UNIX)
#include <sys/resource.h>
#endif

namespace {

constexpr int ClassifierCodes = 2600;

[[noreturn]] void fail(const QString& message)
{
    std::fprintf(stderr, "report_bench: %s\n", qPrintable(message));
    std::exit(1);
}

// The classifier's table over its file.
void readClassifier(TozMemoryData& table, const QString& fileName)
{
    table.addField<TSmallintField>(QStringLiteral("KDZV"));
    table.addField<TStringField>(QStringLiteral("NAMEK"), 50);
    table.addField<TStringField>(QStringLiteral("STAT"), 1);
    table.setFileName(fileName);
    table.open();
}

// The shipped classifier with codes added until it holds ClassifierCodes.
void writeClassifier(const QString& shipped, const QString& target)
{
    TozMemoryData klzav(QStringLiteral("KLZAV"));
    readClassifier(klzav, shipped);
    std::set<int> codes;
    for (klzav.first(); !klzav.eof(); klzav.next())
        codes.insert(klzav.fieldByName(QStringLiteral("KDZV")).asInteger());
    TControlsDisabler quiet(klzav);
    for (int code = 1; int(codes.size()) < ClassifierCodes; ++code) {
        if (codes.count(code))
            continue;
        codes.insert(code);
        klzav.append();
        klzav.fieldByName(QStringLiteral("KDZV")).setAsInteger(code);
        klzav.fieldByName(QStringLiteral("NAMEK"))
            .setAsString(QStringLiteral("Вещество № %1").arg(code));
        klzav.post();
    }
    klzav.WriteToFile(target);
}

std::vector<int> classifierCodes(const QString& fileName)
{
    TozMemoryData klzav(QStringLiteral("KLZAV"));
    readClassifier(klzav, fileName);
    std::vector<int> codes;
    for (klzav.first(); !klzav.eof(); klzav.next())
        codes.push_back(klzav.fieldByName(QStringLiteral("KDZV")).asInteger());
    return codes;
}

// A program folder with the classifiers, the control protocol's template and
// a report as the program saves it: the card, values in sections 1 to 5 and
// section 2 with its fixed rows only.
void makeReport(const QString& dir, const QString& runtimeDir, const QString& classifier)
{
    QDir().mkpath(dir + QStringLiteral("/data"));
    QDir().mkpath(dir + QStringLiteral("/шаблоны"));
    const auto copy = [](const QString& from, const QString& to) {
        QFile::remove(to);
        if (!QFile::copy(from, to))
            fail(QStringLiteral("cannot copy ") + from);
    };
    copy(runtimeDir + QStringLiteral("/data/TEMPLR.xml"), dir + QStringLiteral("/data/TEMPLR.xml"));
    copy(classifier, dir + QStringLiteral("/data/KLZAV.xml"));
    copy(runtimeDir + QStringLiteral("/шаблоны/Contr2TPV.tvx"),
         dir + QStringLiteral("/шаблоны/Contr2TPV.tvx"));

    TDM dm(dir);
    TReportSections logic(dm);
    logic.ReadSettings();
    logic.LoadSections();
    TozMemoryData& card = dm.PrTable();
    {
        TControlsDisabler quiet(card);
        if (card.isEmpty())
            card.append();
        else
            card.edit();
        const std::pair<const char*, const char*> details[] = {
            {"KOD", "7701"}, {"PNAZ", "Завод"}, {"OKPO", "12345678"}, {"OKOH1", "20.11"},
            {"KFS", "16"},   {"KOPF", "12267"}, {"OKCM", "45286"},    {"ADR", "Москва"},
        };
        for (const auto& [column, text] : details)
            card.fieldByName(QString::fromLatin1(column)).setAsString(QString::fromUtf8(text));
        card.post();
    }
    const auto enter = [&](int section, int row, const char* column, const QString& text) {
        TozMemoryData& table = dm.sectionTable(section);
        if (!table.locate(QStringLiteral("CA"), row))
            fail(QStringLiteral("no row %1").arg(row));
        table.edit();
        table.fieldByName(QString::fromLatin1(column)).setText(text);
        if (table.state() != TDataSetState::dsBrowse)
            table.post();
    };
    const QString ten = FloatToText(10, FormatSettings::decimalSeparator());
    enter(1, 102, "C2", ten);
    enter(1, 102, "C3", ten);
    enter(2, 201, "C2", ten);
    enter(3, 301, "C4", ten);
    enter(5, 501, "C3", ten);
    logic.SaveSections();
    logic.WriteSettings();
    card.SaveIfModified();
}

// Section 2 of the report extended to the rows: the codes in classifier
// order, repeated as often as the rows need, after the fixed rows. Rows are
// added with the controls suspended, as a file is read: no renumbering.
void fillSection2(const QString& dir, const std::vector<int>& codes, int rows)
{
    TDM dm(dir);
    TReportSections logic(dm);
    logic.ReadSettings();
    logic.LoadSections();
    TozMemoryData& r2 = dm.R2Table();
    std::set<int> fixed(std::begin(SectionLayout::FixedPollutants),
                        std::end(SectionLayout::FixedPollutants));
    std::vector<int> rest;
    for (const int code : codes)
        if (!fixed.count(code))
            rest.push_back(code);
    {
        TControlsDisabler quiet(r2);
        r2.setCanInsert(true);
        for (int i = r2.recordCount(); i < rows; ++i) {
            r2.append();
            r2.fieldByName(QStringLiteral("CA")).setAsInteger(201 + i);
            r2.fieldByName(QStringLiteral("C1")).setAsInteger(rest[std::size_t(i) % rest.size()]);
            // Emissions of the added rows are zero, so the section 1 totals still hold.
            r2.fieldByName(QStringLiteral("C2")).setAsFloat(0);
            r2.post();
        }
    }
    logic.SaveSections();
}

double childCpuSeconds()
{
#if defined(Q_OS_UNIX)
    rusage usage{};
    getrusage(RUSAGE_CHILDREN, &usage);
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
#else
    return 0;
#endif
}

struct Times
{
    double cpu = 0;
    double wall = 0;
};

Times runCli(const QString& cli, const QStringList& args)
{
    QProcess process;
    process.setStandardOutputFile(QProcess::nullDevice());
    process.setStandardErrorFile(QProcess::nullDevice());
    const double before = childCpuSeconds();
    QElapsedTimer timer;
    timer.start();
    process.start(cli, args);
    if (!process.waitForFinished(-1) || process.exitStatus() != QProcess::NormalExit)
        fail(QStringLiteral("f2tp-cli %1 did not finish").arg(args.join(QLatin1Char(' '))));
    Times times;
    times.wall = double(timer.nsecsElapsed()) / 1e9;
    times.cpu = childCpuSeconds() - before;
    return times;
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values.empty() ? 0 : values[values.size() / 2];
}

// Milliseconds of one call, the median of several.
double timeMs(const std::function<void()>& operation, int repeats = 5)
{
    std::vector<double> times;
    for (int i = 0; i < repeats; ++i) {
        QElapsedTimer timer;
        timer.start();
        operation();
        times.push_back(double(timer.nsecsElapsed()) / 1e6);
    }
    return median(times);
}

// Reads the rows a grid shows around the current row, as after a jump.
void showRows(TDataSet& table, int visible)
{
    const int current = table.currentVisibleRow();
    const int first = std::max(0, current - visible + 1);
    TRecordBuffer buffer;
    for (int row = first; row <= current; ++row) {
        if (!table.readVisibleRow(row, buffer))
            break;
        for (int f = 0; f < table.fieldCount(); ++f)
            (void)table.fieldText(table.field(f), buffer);
    }
}

void modelOperations(const QString& dir)
{
    TDM dm(dir);
    TReportSections logic(dm);
    logic.ReadSettings();
    QElapsedTimer timer;
    timer.start();
    logic.LoadSections();
    const double load = double(timer.nsecsElapsed()) / 1e6;
    TozMemoryData& r2 = dm.R2Table();
    const double ctrlEnd = timeMs([&] {
        r2.first();
        r2.last();
        showRows(r2, 30);
    });
    int typed = 0;
    const double typing = timeMs([&] {
        r2.last();
        r2.edit();
        r2.fieldByName(QStringLiteral("C3"))
            .setText(FloatToText(++typed, FormatSettings::decimalSeparator()));
        r2.post();
        showRows(r2, 30);
    });
    r2.last();
    const QString name = r2.fieldByName(QStringLiteral("CB")).asString();
    TField* cb = &r2.fieldByName(QStringLiteral("CB"));
    const double find = timeMs([&] {
        r2.first();
        if (!FindInFields(r2, {cb}, name,
                          TLocateOptions(TLocateOption::loCaseInsensitive) |
                              TLocateOption::loPartialKey,
                          true, false))
            fail(QStringLiteral("Ctrl+F found nothing"));
        showRows(r2, 30);
    });
    std::printf("\nModel operations on the %d-row report (ms, median of 5):\n", r2.recordCount());
    std::printf("| operation | ms |\n|---|---|\n");
    std::printf("| sections loaded (start-up's share) | %.1f |\n", load);
    std::printf("| Ctrl+End in section 2 | %.2f |\n", ctrlEnd);
    std::printf("| a value typed into its last row | %.2f |\n", typing);
    std::printf("| Ctrl+F for the last row's name | %.2f |\n", find);
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    const QString runtimeDir = QCoreApplication::applicationDirPath();
    const QString cli =
        argc > 1 ? QString::fromLocal8Bit(argv[1]) : runtimeDir + QStringLiteral("/f2tp-cli");
    // ROUNDS 0 only builds the reports (with FOLDER, for a profiler).
    const int rounds = argc > 2 ? std::max(0, std::atoi(argv[2])) : 3;
    if (!QFile::exists(cli))
        fail(QStringLiteral("no f2tp-cli at ") + cli);
    QTemporaryDir temporary;
    if (!temporary.isValid())
        fail(QStringLiteral("no scratch folder"));
    const QDir scratch(argc > 3 ? QString::fromLocal8Bit(argv[3]) : temporary.path());
    QDir().mkpath(scratch.path());
    // The numbers the bench types use the point, whatever the locale.
    FormatSettings::setDecimalSeparator(QLatin1Char('.'));

    const QString classifier = scratch.filePath(QStringLiteral("KLZAV.xml"));
    writeClassifier(runtimeDir + QStringLiteral("/data/KLZAV.xml"), classifier);
    const std::vector<int> codes = classifierCodes(classifier);
    const std::vector<std::pair<QString, int>> reports = {{QStringLiteral("empty"), 0},
                                                          {QStringLiteral("2600"), 2600},
                                                          {QStringLiteral("26000"), 26000}};
    std::map<QString, QString> dirs;
    for (const auto& [name, rows] : reports) {
        const QString dir = scratch.filePath(name);
        makeReport(dir, runtimeDir, classifier);
        if (rows > 0)
            fillSection2(dir, codes, rows);
        dirs[name] = dir;
    }

    const std::vector<std::pair<QString, QStringList>> commands = {
        {QStringLiteral("sections"), {QStringLiteral("sections"), QStringLiteral("DIR")}},
        {QStringLiteral("set"),
         {QStringLiteral("set"), QStringLiteral("DIR"), QStringLiteral("1"), QStringLiteral("102"),
          QStringLiteral("C2"), QStringLiteral("1")}},
        {QStringLiteral("check"), {QStringLiteral("check"), QStringLiteral("DIR")}},
        {QStringLiteral("protocol --pdf"),
         {QStringLiteral("protocol"), QStringLiteral("DIR"), QStringLiteral("--pdf"),
          QStringLiteral("OUT")}},
    };
    // command -> report -> CPU seconds of each round
    std::map<QString, std::map<QString, std::vector<double>>> cpu;
    for (int round = 0; round < rounds; ++round)
        for (const auto& [label, pattern] : commands)
            for (std::size_t r = 0; r < reports.size(); ++r) {
                // Rotating order, so no report always runs first.
                const QString& name = reports[(r + std::size_t(round)) % reports.size()].first;
                QStringList args = pattern;
                args.replaceInStrings(QStringLiteral("DIR"), dirs[name]);
                args.replaceInStrings(QStringLiteral("OUT"),
                                      scratch.filePath(name + QStringLiteral(".pdf")));
                cpu[label][name].push_back(runCli(cli, args).cpu);
            }

    if (rounds == 0)
        return 0;
    std::printf("f2tp-cli, CPU seconds (median of %d interleaved rounds) and same-run ratios:\n",
                rounds);
    std::printf(
        "| command | empty section 2 | 2,600 rows | ratio | 26,000 rows | 26,000 / 2,600 |\n");
    std::printf("|---|---|---|---|---|---|\n");
    for (const auto& [label, pattern] : commands) {
        const double empty = median(cpu[label][QStringLiteral("empty")]);
        const double small = median(cpu[label][QStringLiteral("2600")]);
        const double large = median(cpu[label][QStringLiteral("26000")]);
        std::printf("| `%s` | %.3f | %.3f | %.2f | %.3f | %.2f |\n", qPrintable(label), empty,
                    small, empty > 0 ? small / empty : 0.0, large, small > 0 ? large / small : 0.0);
    }
    std::fflush(stdout);
    modelOperations(dirs[QStringLiteral("2600")]);
    return 0;
}
