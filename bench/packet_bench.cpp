// Speed and memory of the data packet writer and reader on a large table, beside
// what the same machine needs merely to read the file's bytes and to parse it
// with a general XML parser (pugixml). Every measurement is a process of its
// own on the same file (the bench runs itself with a step argument), so none
// runs in a heap another one has grown; steps alternate over the rounds and
// the medians are printed with the same-round ratios to pugixml.
//
// Usage: packet_bench [ROWS [FOLDER [ROUNDS]]]   (ROWS defaults to 1,000,000;
// FOLDER to a temporary folder that is removed afterwards; ROUNDS to 3)
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <map>
#include <memory>
#include <vector>

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStringList>
#include <QTemporaryDir>

#include <pugixml.hpp>

#include "DSToXML.h"
#include "Errors.h"
#include "ozMemoryData.h"

#if defined(Q_OS_WIN)
#define NOMINMAX
#include <psapi.h>
#include <windows.h>
#elif defined(Q_OS_UNIX)
#include <sys/resource.h>
#endif

namespace {

// Ten columns of the four types the program's tables use.
std::unique_ptr<TozMemoryData> makeTable()
{
    auto table = std::make_unique<TozMemoryData>(QStringLiteral("BenchTable"));
    table->addField<TSmallintField>(QStringLiteral("CA"));
    table->addField<TIntegerField>(QStringLiteral("KODP"));
    table->addField<TStringField>(QStringLiteral("CB"), 250);
    table->addField<TStringField>(QStringLiteral("CC"), 60);
    table->addField<TSmallintField>(QStringLiteral("YEAR_"));
    table->addField<TFloatField>(QStringLiteral("C1"));
    table->addField<TFloatField>(QStringLiteral("C2"));
    table->addField<TIntegerField>(QStringLiteral("REG"));
    table->addField<TFloatField>(QStringLiteral("C3"));
    table->addField<TStringField>(QStringLiteral("UNIT"), 10);
    return table;
}

void fill(TozMemoryData& table, int rows)
{
    const QStringList names = {
        QStringLiteral("Котельная № %1 на газовом топливе"),
        QStringLiteral("Установка очистки \"Циклон-%1\" & фильтр"),
        QStringLiteral("Цех окраски %1, вентиляционная система"),
        QStringLiteral("Склад угля <открытый> участок %1"),
    };
    const QStringList places = {QStringLiteral("Промплощадка"), QStringLiteral("Основная"),
                                QStringLiteral("Участок Ёлкино"), QStringLiteral("Цех №4")};
    const QStringList units = {QStringLiteral("т/год"), QStringLiteral("г/с"),
                               QStringLiteral("м³")};
    quint32 seed = 12345;
    const auto next = [&seed] {
        seed = seed * 1664525u + 1013904223u;
        return seed >> 8;
    };
    TControlsDisabler controls(table);
    for (int i = 0; i < rows; ++i) {
        table.append();
        table.field(0).setAsInteger(100 + i % 900);
        table.field(1).setAsInteger(int(next() % 100000000));
        table.field(2).setAsString(names.at(i % names.size()).arg(i));
        table.field(3).setAsString(places.at(int(next() % places.size())));
        table.field(4).setAsInteger(2024);
        table.field(5).setAsFloat(double(next() % 1000000) / 1000.0);
        table.field(6).setAsFloat(double(next() % 1000) / 7.0);
        table.field(7).setAsInteger(int(next() % 100));
        if (i % 3 != 0)
            table.field(8).setAsFloat(double(next() % 100000) * 1e-6);
        table.field(9).setAsString(units.at(i % units.size()));
        table.post();
    }
}

// The peak resident memory of this process in MiB; 0 where the system does not tell.
double peakMemoryMiB()
{
#if defined(Q_OS_WIN)
    PROCESS_MEMORY_COUNTERS counters{};
    if (K32GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters))
        return double(counters.PeakWorkingSetSize) / (1024.0 * 1024.0);
    return 0;
#elif defined(Q_OS_UNIX)
    rusage usage{};
    if (getrusage(RUSAGE_SELF, &usage) != 0)
        return 0;
#if defined(Q_OS_DARWIN)
    return double(usage.ru_maxrss) / (1024.0 * 1024.0); // bytes there
#else
    return double(usage.ru_maxrss) / 1024.0; // KiB
#endif
#else
    return 0;
#endif
}

// One step in this process; prints "<seconds of the step> <peak MiB>".
int runStep(const QString& step, const QStringList& args)
{
    const QString fileName = args.value(0);
    QElapsedTimer timer;
    if (step == QStringLiteral("write")) {
        auto table = makeTable();
        table->open();
        fill(*table, args.value(1).toInt());
        timer.start();
        WriteDataPacket(*table, fileName);
    } else if (step == QStringLiteral("bytes")) {
        timer.start();
        QFile file(fileName);
        if (!file.open(QIODevice::ReadOnly))
            throw F2tpError(QStringLiteral("cannot read ") + fileName);
        QByteArray chunk(TDataPacket::ChunkSize, Qt::Uninitialized);
        while (file.read(chunk.data(), chunk.size()) > 0) {
        }
    } else if (step == QStringLiteral("reader")) {
        timer.start();
        TDataPacket reader(nullptr, fileName);
        reader.OpenPacket();
        QStringList names;
        for (const TDPTag& field : reader.fieldsTag().children())
            names << field.value(u"attrname");
        qint64 characters = 0;
        while (reader.NextRow()) {
            for (const QString& name : names)
                characters += reader.ReadValue(name).size();
        }
        if (characters < 0)
            return 1;
    } else if (step == QStringLiteral("load") || step == QStringLiteral("copy")) {
        timer.start();
        auto table = makeTable();
        TDataPacket reader(nullptr, fileName);
        reader.OpenPacket();
        reader.LoadInto(*table);
        if (step == QStringLiteral("copy"))
            WriteDataPacket(*table, args.value(1));
    } else if (step == QStringLiteral("pugixml")) {
        timer.start();
        pugi::xml_document document;
        if (!document.load_file(QFile::encodeName(fileName).constData()))
            throw F2tpError(QStringLiteral("pugixml cannot parse ") + fileName);
        std::size_t attributes = 0;
        for (const pugi::xml_node row :
             document.child("DATAPACKET").child("ROWDATA").children("ROW")) {
            for (const pugi::xml_attribute a : row.attributes())
                attributes += std::strlen(a.value()) > 0 ? 1 : 0;
        }
        if (attributes == 0)
            return 1;
    } else {
        return 2;
    }
    std::printf("%.6f %.1f\n", double(timer.nsecsElapsed()) / 1e9, peakMemoryMiB());
    return 0;
}

struct Sample
{
    double process = 0; // wall seconds of the whole child process
    double step = 0;    // wall seconds of the step inside it
    double peakMiB = 0;
};

Sample runChild(const QStringList& args)
{
    QProcess child;
    QElapsedTimer timer;
    timer.start();
    child.start(QCoreApplication::applicationFilePath(),
                QStringList{QStringLiteral("--step")} + args);
    if (!child.waitForFinished(-1) || child.exitStatus() != QProcess::NormalExit ||
        child.exitCode() != 0)
        throw F2tpError(QStringLiteral("step failed: ") + args.join(u' ') + u'\n' +
                        QString::fromLocal8Bit(child.readAllStandardError()));
    Sample sample;
    sample.process = double(timer.nsecsElapsed()) / 1e9;
    const QList<QByteArray> figures = child.readAllStandardOutput().trimmed().split(' ');
    sample.step = figures.value(0).toDouble();
    sample.peakMiB = figures.value(1).toDouble();
    return sample;
}

double median(std::vector<double> values)
{
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

int runBench(const QStringList& args)
{
    bool ok = true;
    const int rows = args.size() > 1 ? args.at(1).toInt(&ok) : 1000000;
    const int rounds = args.size() > 3 ? args.at(3).toInt() : 3;
    if (!ok || rows < 0 || rounds < 1) {
        std::fprintf(stderr, "Usage: packet_bench [ROWS [FOLDER [ROUNDS]]]\n");
        return 1;
    }
    QTemporaryDir temporary;
    const QString folder = args.size() > 2 ? args.at(2) : temporary.path();
    const QString file = QDir(folder).filePath(QStringLiteral("packet_bench.xml"));
    const QString copy = QDir(folder).filePath(QStringLiteral("packet_bench_copy.xml"));

    const Sample written = runChild({QStringLiteral("write"), file, QString::number(rows)});
    const double mb = double(QFileInfo(file).size()) / 1e6;
    const QStringList steps = {QStringLiteral("bytes"), QStringLiteral("pugixml"),
                               QStringLiteral("reader"), QStringLiteral("load"),
                               QStringLiteral("copy")};
    std::map<QString, std::vector<Sample>> samples;
    for (int round = 0; round <= rounds; ++round) { // round 0 warms the page cache
        for (qsizetype s = 0; s < steps.size(); ++s) {
            const QString& step = steps.at((s + round) % steps.size());
            const QStringList stepArgs = step == QStringLiteral("copy")
                                             ? QStringList{step, file, copy}
                                             : QStringList{step, file};
            const Sample sample = runChild(stepArgs);
            if (round > 0)
                samples[step].push_back(sample);
        }
    }

    const auto column = [&](const QString& step, auto member) {
        std::vector<double> values;
        for (const Sample& s : samples[step])
            values.push_back(s.*member);
        return values;
    };
    // Ratios to pugixml of the same round, so drift between rounds cancels.
    const auto ratio = [&](const QString& step, auto member) {
        std::vector<double> values;
        const auto& base = samples[QStringLiteral("pugixml")];
        for (std::size_t r = 0; r < samples[step].size(); ++r)
            values.push_back(samples[step][r].*member / base[r].*member);
        return median(values);
    };
    std::printf("%d rows, file %.1f MB, %d rounds, each step a process of its own; "
                "medians, ratios of the same round to pugixml\n",
                rows, mb, rounds);
    std::printf(
        "write (WriteDataPacket of a filled table, inside its process): %.3f s, %.0f MB/s\n",
        written.step, written.step > 0 ? mb / written.step : 0.0);
    std::printf("%-10s %10s %8s %10s %10s %10s\n", "step", "process s", "MB/s", "x pugixml",
                "peak MiB", "x pugixml");
    for (const QString& step : steps) {
        const double seconds = median(column(step, &Sample::process));
        std::printf("%-10s %10.3f %8.0f %10.2f %10.1f %10.2f\n", qPrintable(step), seconds,
                    seconds > 0 ? mb / seconds : 0.0, ratio(step, &Sample::process),
                    median(column(step, &Sample::peakMiB)), ratio(step, &Sample::peakMiB));
    }
    std::vector<double> writer;
    for (std::size_t r = 0; r < samples[QStringLiteral("copy")].size(); ++r)
        writer.push_back((samples[QStringLiteral("copy")][r].process -
                          samples[QStringLiteral("load")][r].process) /
                         samples[QStringLiteral("pugixml")][r].process);
    std::printf("writer (copy - load) %.2f x pugixml\n", median(writer));
    return 0;
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    try {
        if (args.size() > 2 && args.at(1) == QStringLiteral("--step"))
            return runStep(args.at(2), args.mid(3));
        return runBench(args);
    } catch (const F2tpError& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
}
