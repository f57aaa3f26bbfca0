// Locate and Lookup on a table nothing watches search the stored rows (and,
// on a longer table, an index of the key) instead of walking the cursor. The
// cursor, the flags and the notifications must end as the walk leaves them,
// and the answers must stay right after every kind of change of the records.
#include <functional>

#include <gtest/gtest.h>

#include <QTemporaryDir>

#include "StoreTestSupport.h"
#include "ozMemoryData.h"

using namespace storetest;

namespace {

// KOD integer, NAME string(40), C1 float, with rows enough for an index.
class Catalogue
{
public:
    Catalogue()
        : table(QStringLiteral("Catalogue"))
    {
        kod = &table.addField<TIntegerField>(QStringLiteral("KOD"));
        name = &table.addField<TStringField>(QStringLiteral("NAME"), 40);
        c1 = &table.addField<TFloatField>(QStringLiteral("C1"));
        table.open();
        const QStringList names = {QStringLiteral("Азота диоксид"), QStringLiteral("азота оксид"),
                                   QStringLiteral("Метан"),         QStringLiteral("Сажа"),
                                   QStringLiteral("ab?c"),          QStringLiteral("Abc")};
        for (int i = 0; i < 40; ++i) {
            table.append();
            kod->setAsInteger(i % 30 * 10);
            if (i % 7 != 3)
                name->setAsString(names.at(i % names.size()) + QString::number(i % 4));
            if (i % 5 != 0)
                c1->setAsFloat(i * 0.5);
            table.post();
        }
        table.first();
    }

    int position() const { return table.recNo(); }

    TozMemoryData table;
    TField* kod;
    TField* name;
    TField* c1;
};

// What a search leaves behind: its answer, where the cursor is, the flags and
// what bound controls were told.
struct Outcome
{
    QString answer;
    int recNo = 0;
    bool bof = false;
    bool eof = false;
    QStringList notified;

    bool operator==(const Outcome& other) const = default;
};

std::ostream& operator<<(std::ostream& out, const Outcome& o)
{
    return out << o.answer.toStdString() << " at " << o.recNo << " bof " << o.bof << " eof "
               << o.eof << " told " << o.notified.join(QLatin1Char(',')).toStdString();
}

using Search = std::function<QString(TozMemoryData&)>;

// The search on one table with a scroll handler (the walk of the cursor) and on
// one without (the stored rows), both starting from the same record.
std::pair<Outcome, Outcome> bothWays(int startRecNo, const Search& search)
{
    std::pair<Outcome, Outcome> result;
    for (const bool watched : {true, false}) {
        Catalogue c;
        int scrolls = 0;
        if (watched)
            c.table.AfterScroll = [&scrolls](TDataSet&) {
                ++scrolls;
            };
        c.table.setRecNo(startRecNo);
        LinkRecorder links;
        links.attach(c.table);
        Outcome& o = watched ? result.first : result.second;
        try {
            o.answer = search(c.table);
        } catch (const F2tpError& e) {
            o.answer = QStringLiteral("error: ") + e.message();
        }
        o.recNo = c.table.recNo();
        o.bof = c.table.bof();
        o.eof = c.table.eof();
        o.notified = links.take();
    }
    return result;
}

QString located(TozMemoryData& t, const QString& fields, const QVariant& keys,
                TLocateOptions options = {})
{
    if (!t.locate(fields, keys, options))
        return QStringLiteral("none");
    return t.fieldByName(QStringLiteral("KOD")).asString() + QLatin1Char('/') +
           t.fieldByName(QStringLiteral("NAME")).asString();
}

QString lookedUp(TozMemoryData& t, const QString& fields, const QVariant& keys,
                 const QString& results)
{
    const QVariant v = t.lookup(fields, keys, results);
    if (v.typeId() == QMetaType::QVariantList) {
        QStringList parts;
        for (const QVariant& part : v.toList())
            parts << (part.isNull() ? QStringLiteral("null") : part.toString());
        return parts.join(QLatin1Char('/'));
    }
    return v.isNull() ? QStringLiteral("null") : v.toString();
}

} // namespace

TEST(StoredSearch, LocateEndsAsTheWalkOfTheCursorDoes)
{
    const TLocateOptions ci(TLocateOption::loCaseInsensitive);
    const TLocateOptions partial(TLocateOption::loPartialKey);
    struct Case
    {
        const char* fields;
        QVariant keys;
        TLocateOptions options;
    };
    const Case cases[] = {
        {"KOD", 120, {}},
        {"KOD", 0, {}},
        {"KOD", 290, {}},
        {"KOD", 125, {}},
        {"KOD", QStringLiteral("120"), {}},
        {"KOD", QStringLiteral("x"), {}},
        {"KOD", 120.0, {}},
        {"C1", 3.5, {}},
        {"C1", QVariant(), {}},
        {"NAME", QVariant(), {}},
        {"NAME", QStringLiteral("Метан2"), {}},
        {"NAME", QStringLiteral("метан2"), {}},
        {"NAME", QStringLiteral("метан2"), ci},
        {"NAME", QStringLiteral("метан2  "), ci},
        {"NAME", QStringLiteral("АЗОТА"), ci | partial},
        {"NAME", QStringLiteral("азота"), partial},
        {"NAME", QStringLiteral("ab?"), partial},
        {"NAME", QStringLiteral("ABC1"), ci},
        {"NAME", QStringLiteral(""), {}},
        {"NAME", QStringLiteral("Сажа"), {}},
        {"KOD;NAME", QVariantList{210, QStringLiteral("Метан3")}, {}},
        {"KOD;NAME", QVariantList{210, QStringLiteral("метан1")}, ci},
        {"KOD;C1", QVariantList{60}, {}},
        {"NOPE", 1, {}},
    };
    for (const Case& c : cases)
        for (const int start : {1, 13, 40}) {
            const auto [walk, stored] = bothWays(start, [&](TozMemoryData& t) {
                return located(t, QString::fromLatin1(c.fields), c.keys, c.options);
            });
            EXPECT_EQ(stored, walk)
                << c.fields << " " << c.keys.toString().toStdString() << " from " << start;
        }
}

TEST(StoredSearch, LookupEndsAsTheWalkOfTheCursorDoes)
{
    struct Case
    {
        const char* fields;
        QVariant keys;
        const char* results;
    };
    const Case cases[] = {
        {"KOD", 120, "NAME"},        {"KOD", 120, "NAME;C1"},
        {"KOD", 125, "NAME"},        {"KOD", 0, "C1"},
        {"KOD", 30, "C1"},           {"NAME", QStringLiteral("Сажа1"), "KOD"},
        {"NAME", QVariant(), "KOD"}, {"KOD", 120, ""},
        {"KOD", 120, "NOPE"},        {"NOPE", 120, "KOD"},
    };
    for (const Case& c : cases)
        for (const int start : {1, 25, 40}) {
            const auto [walk, stored] = bothWays(start, [&](TozMemoryData& t) {
                return lookedUp(t, QString::fromLatin1(c.fields), c.keys,
                                QString::fromLatin1(c.results));
            });
            EXPECT_EQ(stored, walk) << c.fields << " " << c.keys.toString().toStdString() << " "
                                    << c.results << " from " << start;
        }
}

// Every code and name of the table, and one of neither, looked up as the
// records in list order say.
void expectLookupsMatchTheRecords(TozMemoryData& t, const char* when)
{
    QList<QVariant> codes{QVariant(-1)};
    QStringList names{QStringLiteral("Нет такого")};
    for (int i = 0; i < t.recordCount(); ++i) {
        codes << t.record(i).value(0);
        names << t.record(i).value(1).toString();
    }
    const auto firstWith = [&](int column, const QVariant& key, bool ci) {
        for (int i = 0; i < t.recordCount(); ++i) {
            const QVariant v = t.record(i).value(column);
            if (v.isNull())
                continue;
            const bool equal = ci ? v.toString().toUpper() == key.toString().toUpper()
                                  : v.toString() == key.toString();
            if (equal)
                return i;
        }
        return -1;
    };
    const auto nameAt = [&](int i) {
        return i < 0 || t.record(i).value(1).isNull() ? QStringLiteral("null")
                                                      : t.record(i).value(1).toString();
    };
    for (const QVariant& code : std::as_const(codes)) {
        if (code.isNull())
            continue;
        EXPECT_EQ(lookedUp(t, QStringLiteral("KOD"), code, QStringLiteral("NAME")),
                  nameAt(firstWith(0, code, false)))
            << when << ": code " << code.toInt();
    }
    // No value is a key as well.
    for (const int column : {1, 2}) {
        int at = -1;
        for (int i = 0; i < t.recordCount() && at < 0; ++i)
            if (t.record(i).value(column).isNull())
                at = i;
        EXPECT_EQ(lookedUp(t, column == 1 ? QStringLiteral("NAME") : QStringLiteral("C1"),
                           QVariant(), QStringLiteral("KOD")),
                  at < 0 ? QStringLiteral("null") : t.record(at).value(0).toString())
            << when << ": no value in column " << column;
    }
    for (const QString& name : std::as_const(names)) {
        if (name.isEmpty())
            continue;
        const int at = firstWith(1, name, false);
        EXPECT_EQ(lookedUp(t, QStringLiteral("NAME"), name, QStringLiteral("KOD")),
                  at < 0 ? QStringLiteral("null") : t.record(at).value(0).toString())
            << when << ": name " << name.toStdString();
        const int atCi = firstWith(1, name, true);
        t.first();
        EXPECT_EQ(
            located(t, QStringLiteral("NAME"), name.toLower(), TLocateOption::loCaseInsensitive),
            atCi < 0 ? QStringLiteral("none")
                     : t.record(atCi).value(0).toString() + QLatin1Char('/') + nameAt(atCi))
            << when << ": name " << name.toStdString() << " in any case";
    }
}

TEST(StoredSearch, LookupsFollowEditsInsertsDeletesSortsAndReloads)
{
    Catalogue c;
    TozMemoryData& t = c.table;
    expectLookupsMatchTheRecords(t, "opened");
    EXPECT_EQ(lookedUp(t, QStringLiteral("KOD"), 120, QStringLiteral("NAME")),
              QStringLiteral("Азота диоксид0"));

    // An edit of the key field and one of another field.
    ASSERT_TRUE(t.locate(QStringLiteral("KOD"), 120));
    t.edit();
    c.kod->setAsInteger(1200);
    c.name->setAsString(QStringLiteral("Озон"));
    t.post();
    expectLookupsMatchTheRecords(t, "key edited");
    ASSERT_TRUE(t.locate(QStringLiteral("KOD"), 80));
    t.edit();
    c.c1->setAsFloat(99);
    t.post();
    expectLookupsMatchTheRecords(t, "other field edited");
    EXPECT_EQ(lookedUp(t, QStringLiteral("KOD"), 1200, QStringLiteral("NAME")),
              QStringLiteral("Озон"));

    // An insert before the first record of a code takes its place.
    t.first();
    t.insert();
    c.kod->setAsInteger(60);
    c.name->setAsString(QStringLiteral("Новый"));
    t.post();
    expectLookupsMatchTheRecords(t, "inserted");
    EXPECT_EQ(lookedUp(t, QStringLiteral("KOD"), 60, QStringLiteral("NAME")),
              QStringLiteral("Новый"));

    // A delete: the next record of the code is found.
    ASSERT_TRUE(t.locate(QStringLiteral("NAME"), QStringLiteral("Новый")));
    t.deleteRecord();
    expectLookupsMatchTheRecords(t, "deleted");
    EXPECT_EQ(lookedUp(t, QStringLiteral("KOD"), 60, QStringLiteral("NAME")),
              QStringLiteral("Азота диоксид2"));

    // Sorting changes which of equal codes comes first.
    t.SortByFields(QStringLiteral("KOD;NAME"), true, true);
    expectLookupsMatchTheRecords(t, "sorted");
    EXPECT_EQ(lookedUp(t, QStringLiteral("KOD"), 60, QStringLiteral("NAME")),
              QStringLiteral("Азота диоксид2"));
    EXPECT_EQ(lookedUp(t, QStringLiteral("KOD"), 0, QStringLiteral("NAME")),
              QStringLiteral("Азота диоксид2"));

    // A record moved by hand.
    const_cast<TozMemoryRecord&>(t.record(t.recordCount() - 1)).setIndex(0);
    expectLookupsMatchTheRecords(t, "moved");

    // Written, emptied and read again, reopened, then rows appended and edited.
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("catalogue.xml"));
    t.WriteToFile(file);
    t.ClearRecords();
    expectLookupsMatchTheRecords(t, "cleared");
    t.ReadFromFile(file);
    expectLookupsMatchTheRecords(t, "read again");
    t.close();
    t.setFileName(file);
    t.open();
    expectLookupsMatchTheRecords(t, "reopened");
    t.ReadFromFile(file);
    expectLookupsMatchTheRecords(t, "appended");
    t.last();
    t.edit();
    c.kod->setAsInteger(-1);
    t.post();
    expectLookupsMatchTheRecords(t, "appended and edited");
    EXPECT_EQ(lookedUp(t, QStringLiteral("KOD"), -1, QStringLiteral("NAME")),
              c.name->isNull() ? QStringLiteral("null") : c.name->asString());
}

TEST(StoredSearch, LetterCaseAndPartialKeysOnTheStoredRows)
{
    Catalogue c;
    TozMemoryData& t = c.table;
    const TLocateOptions ci(TLocateOption::loCaseInsensitive);
    EXPECT_EQ(located(t, QStringLiteral("NAME"), QStringLiteral("азота диоксид0")),
              QStringLiteral("none"));
    EXPECT_EQ(located(t, QStringLiteral("NAME"), QStringLiteral("азота диоксид0"), ci),
              QStringLiteral("0/Азота диоксид0"));
    // Blanks after the key do not count; blanks before it do.
    EXPECT_EQ(located(t, QStringLiteral("NAME"), QStringLiteral("Сажа1   ")),
              QStringLiteral("90/Сажа1"));
    EXPECT_EQ(located(t, QStringLiteral("NAME"), QStringLiteral(" Сажа1")), QStringLiteral("none"));
    // A prefix; with the letter case ignored as well.
    EXPECT_EQ(
        located(t, QStringLiteral("NAME"), QStringLiteral("азота"), TLocateOption::loPartialKey),
        QStringLiteral("10/азота оксид1"));
    // The current record is tested before the others.
    EXPECT_EQ(located(t, QStringLiteral("NAME"), QStringLiteral("АЗОТА"),
                      ci | TLocateOption::loPartialKey),
              QStringLiteral("10/азота оксид1"));
    t.last();
    EXPECT_EQ(located(t, QStringLiteral("NAME"), QStringLiteral("АЗОТА"),
                      ci | TLocateOption::loPartialKey),
              QStringLiteral("0/Азота диоксид0"));
    EXPECT_EQ(located(t, QStringLiteral("NAME"), QStringLiteral("азота диоксид0 и"),
                      TLocateOption::loPartialKey),
              QStringLiteral("none"));
    // A question mark is a character like any other.
    EXPECT_EQ(located(t, QStringLiteral("NAME"), QStringLiteral("AB?C0"), ci),
              QStringLiteral("40/ab?c0"));
    EXPECT_EQ(lookedUp(t, QStringLiteral("KOD"), QStringLiteral("40"), QStringLiteral("NAME")),
              QStringLiteral("ab?c0"));
}
