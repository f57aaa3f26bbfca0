// Speed of the data packet writer and reader on a large table, with what the
// same machine needs merely to read the file's bytes and to parse it with a
// general XML parser (pugixml), measured in the same run on the same file.
//
// Usage: packet_bench [ROWS [FOLDER]]   (ROWS defaults to 1,000,000; FOLDER
// to a temporary folder that is removed afterwards)
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <memory>

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QStringList>
#include <QTemporaryDir>

#include <pugixml.hpp>

#include "DSToXML.h"
#include "Errors.h"
#include "ozMemoryData.h"

namespace {

constexpr int ColumnCount = 10;

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

// Wall-clock and processor time of one step; on a shared machine the
// processor time is the steadier figure.
class Stopwatch
{
public:
    void start()
    {
        m_wall.start();
        m_cpu = std::clock();
    }
    double wall() const { return double(m_wall.nsecsElapsed()) / 1e9; }
    double cpu() const { return double(std::clock() - m_cpu) / CLOCKS_PER_SEC; }

private:
    QElapsedTimer m_wall;
    std::clock_t m_cpu = 0;
};

struct Timing
{
    const char* what;
    double wall;
    double cpu;
};

double mbPerSecond(qint64 bytes, double seconds)
{
    return seconds > 0 ? double(bytes) / (1024.0 * 1024.0) / seconds : 0.0;
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    bool ok = true;
    const int rows = args.size() > 1 ? args.at(1).toInt(&ok) : 1000000;
    if (!ok || rows < 0) {
        std::fprintf(stderr, "Usage: packet_bench [ROWS [FOLDER]]\n");
        return 1;
    }
    QTemporaryDir temporary;
    const QString folder = args.size() > 2 ? args.at(2) : temporary.path();
    const QString fileName = QDir(folder).filePath(QStringLiteral("packet_bench.xml"));

    try {
        Stopwatch timer;
        auto table = makeTable();
        table->open();
        timer.start();
        fill(*table, rows);
        const Timing fillTime{"", timer.wall(), timer.cpu()};

        timer.start();
        WriteDataPacket(*table, fileName);
        const Timing writeTime{"", timer.wall(), timer.cpu()};
        table.reset();
        const qint64 size = QFileInfo(fileName).size();

        // Merely the bytes, in the reader's chunks.
        timer.start();
        {
            QFile file(fileName);
            if (!file.open(QIODevice::ReadOnly))
                throw F2tpError(QStringLiteral("cannot read ") + fileName);
            QByteArray chunk(TDataPacket::ChunkSize, Qt::Uninitialized);
            quint64 sum = 0;
            qint64 n = 0;
            while ((n = file.read(chunk.data(), chunk.size())) > 0)
                sum += quint8(chunk.at(n - 1));
            if (sum == 1)
                std::puts("");
        }
        const Timing rawTime{"", timer.wall(), timer.cpu()};

        // The reader alone: every row, every value converted by its column's type.
        timer.start();
        qint64 values = 0;
        {
            TDataPacket reader(nullptr, fileName);
            reader.OpenPacket();
            QStringList names;
            for (const TDPTag& field : reader.fieldsTag().children())
                names << field.value(u"attrname");
            while (reader.NextRow()) {
                for (const QString& name : names)
                    values += reader.ReadValue(name).size();
            }
        }
        const Timing readerTime{"", timer.wall(), timer.cpu()};

        // What the program does at open: the file into a memory table.
        auto loaded = makeTable();
        timer.start();
        {
            TDataPacket reader(nullptr, fileName);
            reader.OpenPacket();
            reader.LoadInto(*loaded);
        }
        const Timing loadTime{"", timer.wall(), timer.cpu()};
        const int loadedRows = loaded->recordCount();
        loaded.reset();

        // A general XML parser on the same file: the whole file in memory, then every row's
        // attributes.
        timer.start();
        pugi::xml_document document;
        const pugi::xml_parse_result parsed =
            document.load_file(QFile::encodeName(fileName).constData());
        const Timing pugiParseTime{"", timer.wall(), timer.cpu()};
        std::size_t attributes = 0;
        for (const pugi::xml_node row :
             document.child("DATAPACKET").child("ROWDATA").children("ROW")) {
            for (const pugi::xml_attribute a : row.attributes())
                attributes += std::strlen(a.value()) > 0 ? 1 : 0;
        }
        const Timing pugiTime{"", timer.wall(), timer.cpu()};
        if (!parsed) {
            std::fprintf(stderr, "pugixml: %s\n", parsed.description());
            return 1;
        }

        std::printf("rows %d (loaded %d), columns %d, file %.1f MB, values read %lld, "
                    "attributes seen by pugixml %zu\n",
                    rows, loadedRows, ColumnCount, double(size) / (1024.0 * 1024.0),
                    static_cast<long long>(values), attributes);
        std::printf("filling the table (not part of the format): %.2f s wall, %.2f s processor\n",
                    fillTime.wall, fillTime.cpu);
        const Timing timings[] = {
            {"write (WriteDataPacket)", writeTime.wall, writeTime.cpu},
            {"read into a table (OpenPacket+LoadInto)", loadTime.wall, loadTime.cpu},
            {"reader alone (NextRow+ReadValue)", readerTime.wall, readerTime.cpu},
            {"reading the bytes only", rawTime.wall, rawTime.cpu},
            {"pugixml parse", pugiParseTime.wall, pugiParseTime.cpu},
            {"pugixml parse and walk rows", pugiTime.wall, pugiTime.cpu},
        };
        std::printf("%-42s %10s %10s %12s\n", "", "wall s", "proc. s", "MB/s (proc.)");
        for (const Timing& t : timings) {
            std::printf("%-42s %10.3f %10.3f %12.1f\n", t.what, t.wall, t.cpu,
                        mbPerSecond(size, t.cpu));
        }
        std::printf("ratios of processor time: read into a table / bytes only %.1f, "
                    "read into a table / pugixml %.1f, reader alone / pugixml %.2f, "
                    "write / read into a table %.2f\n",
                    loadTime.cpu / rawTime.cpu, loadTime.cpu / pugiTime.cpu,
                    readerTime.cpu / pugiTime.cpu, writeTime.cpu / loadTime.cpu);
    } catch (const F2tpError& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
    return 0;
}
