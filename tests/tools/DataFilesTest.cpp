// The generated data files, read back the way the program reads them.
#include <functional>
#include <map>
#include <memory>

#include <gtest/gtest.h>

#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QSet>
#include <QTemporaryDir>

#include "DSToXML.h"
#include "ozField.h"
#include "ozMemoryData.h"

namespace {

QString dataFile(const QString& name)
{
    return QStringLiteral(F2TP_DATA_DIR) + u'/' + name;
}

using Columns = std::function<void(TozMemoryData&)>;

// A memory table with the columns of the program's table, filled from the file.
std::unique_ptr<TozMemoryData> readTable(const QString& name, const Columns& columns)
{
    auto table = std::make_unique<TozMemoryData>(name);
    columns(*table);
    table->open();
    table->ReadFromFile(dataFile(name));
    table->first();
    return table;
}

void templateColumns(TozMemoryData& t)
{
    t.addField<TStringField>(QStringLiteral("NAME"), 100);
    t.addField<TStringField>(QStringLiteral("KDZV"), 4);
    t.addField<TSmallintField>(QStringLiteral("NROW"));
}

void klzavColumns(TozMemoryData& t)
{
    t.addField<TSmallintField>(QStringLiteral("KDZV"));
    t.addField<TStringField>(QStringLiteral("NAMEK"), 50);
}

void sprKlzavColumns(TozMemoryData& t)
{
    klzavColumns(t);
    t.addField<TSmallintField>(QStringLiteral("PRIZN"));
    t.addField<TStringField>(QStringLiteral("STAT"), 1);
}

void oblColumns(TozMemoryData& t)
{
    t.addField<TStringField>(QStringLiteral("KOBL"), 2);
    t.addField<TStringField>(QStringLiteral("NAME"), 30);
}

void regColumns(TozMemoryData& t)
{
    t.addField<TStringField>(QStringLiteral("KOD"), 18);
    t.addField<TStringField>(QStringLiteral("NAME"), 50);
    t.addField<TSmallintField>(QStringLiteral("TIP"));
    t.addField<TStringField>(QStringLiteral("OKATO"), 11);
}

QString text(const TozMemoryData& t, const char16_t* field)
{
    return t.fieldByName(QString::fromUtf16(field)).asString();
}

int number(const TozMemoryData& t, const char16_t* field)
{
    return t.fieldByName(QString::fromUtf16(field)).asInteger();
}

TEST(TemplateFile, HoldsTheFixedRowsWithTheirCodes)
{
    auto t = readTable(QStringLiteral("TEMPLR.xml"), templateColumns);
    std::map<int, std::pair<QString, QString>> rows;
    QList<int> order;
    for (; !t->eof(); t->next()) {
        order.append(number(*t, u"NROW"));
        rows[number(*t, u"NROW")] = {text(*t, u"KDZV"), text(*t, u"NAME")};
        EXPECT_FALSE(text(*t, u"NAME").isEmpty()) << number(*t, u"NROW");
    }
    EXPECT_EQ(order, (QList<int>{101, 102, 103, 104, 105, 106, 107, 108, 109, 301, 302, 303, 501,
                                 502, 503, 504, 505}));
    const std::map<int, QString> codes = {
        {101, QStringLiteral("0001")}, {102, QStringLiteral("0002")},
        {103, QStringLiteral("0004")}, {104, QStringLiteral("0330")},
        {105, QStringLiteral("0337")}, {106, QStringLiteral("0301")},
        {107, QStringLiteral("0401")}, {108, QStringLiteral("0006")},
        {109, QStringLiteral("0005")}, {501, QStringLiteral("0002")},
        {502, QStringLiteral("0330")}, {503, QStringLiteral("0337")},
        {504, QStringLiteral("0301")}, {505, QString()},
    };
    for (const auto& [row, code] : codes)
        EXPECT_EQ(rows[row].first, code) << row;
    EXPECT_EQ(rows[101].second, QStringLiteral("Всего (102 + 103)"));
    EXPECT_EQ(rows[103].second, QStringLiteral("газообразные и жидкие (104 - 109)"));
    EXPECT_EQ(rows[106].second, QStringLiteral("оксиды азота (в пересчете на NO2)"));
    EXPECT_EQ(rows[301].first, QString());
}

TEST(PollutantFile, HoldsEveryCodeOnceInOrder)
{
    auto t = readTable(QStringLiteral("KLZAV.xml"), klzavColumns);
    EXPECT_EQ(t->recordCount(), 895);
    int previous = 0;
    for (; !t->eof(); t->next()) {
        const int code = number(*t, u"KDZV");
        EXPECT_GT(code, previous);
        previous = code;
        const QString name = text(*t, u"NAMEK");
        EXPECT_FALSE(name.isEmpty()) << code;
        EXPECT_LE(name.size(), 50) << code;
        EXPECT_EQ(name, name.trimmed()) << code;
    }
}

TEST(PollutantFile, GivesWellKnownCodesTheirNames)
{
    auto t = readTable(QStringLiteral("KLZAV.xml"), klzavColumns);
    const std::map<int, QString> expected = {
        {301, QStringLiteral("Азота диоксид (двуокись азота; пероксид азота)")},
        {304, QStringLiteral("Азота оксид (азот (II) оксид; азот монооксид)")},
        {330, QStringLiteral("Серы диоксид")},
        // The column holds the first 50 characters of the name.
        {337, QStringLiteral("Углерода оксид (углерод окись; углерод моноокись;")},
        {703, QStringLiteral("Бенз(а)пирен")},
        {410, QStringLiteral("Метан")},
        {2908, QStringLiteral("Пыль неорганическая: 70-20% SiO2")},
        // The statistics print's summary row, which no source names.
        {8888, QStringLiteral("прочие загрязняющие вещества")},
    };
    for (const auto& [code, name] : expected) {
        ASSERT_TRUE(t->locate(QStringLiteral("KDZV"), code)) << code;
        EXPECT_EQ(text(*t, u"NAMEK"), name) << code;
    }
}

TEST(PollutantFile, MarksTheRegulatedSubstancesForStatistics)
{
    auto t = readTable(QStringLiteral("KLZAV.xml"), sprKlzavColumns);
    int marked = 0;
    int unmarked = 0;
    for (; !t->eof(); t->next()) {
        EXPECT_EQ(number(*t, u"PRIZN"), 0);
        const QString stat = text(*t, u"STAT");
        ASSERT_TRUE(stat == QStringLiteral("1") || stat == QStringLiteral("0"));
        (stat == QStringLiteral("1") ? marked : unmarked) += 1;
    }
    EXPECT_EQ(marked, 201);
    EXPECT_EQ(unmarked, 694);
    ASSERT_TRUE(t->locate(QStringLiteral("KDZV"), 301));
    EXPECT_EQ(text(*t, u"STAT"), QStringLiteral("1"));
    ASSERT_TRUE(t->locate(QStringLiteral("KDZV"), 402));
    EXPECT_EQ(text(*t, u"STAT"), QStringLiteral("0"));
}

TEST(SubjectFile, HoldsTheFederalSubjects)
{
    auto t = readTable(QStringLiteral("klobl.xml"), oblColumns);
    EXPECT_EQ(t->recordCount(), 85);
    QSet<QString> kobls;
    static const QRegularExpression twoDigits(QStringLiteral("^[0-9]{2}$"));
    for (; !t->eof(); t->next()) {
        const QString kobl = text(*t, u"KOBL");
        EXPECT_TRUE(twoDigits.match(kobl).hasMatch()) << kobl.toStdString();
        kobls.insert(kobl);
        EXPECT_FALSE(text(*t, u"NAME").isEmpty());
        EXPECT_LE(text(*t, u"NAME").size(), 30);
    }
    EXPECT_EQ(kobls.size(), 85);
    ASSERT_TRUE(t->locate(QStringLiteral("KOBL"), QStringLiteral("86")));
    EXPECT_EQ(text(*t, u"NAME"), QStringLiteral("Ханты-Мансийский АО - Югра"));
}

struct Territory
{
    QString kod;
    QString name;
    int tip;
    QString okato;
};

class TerritoryFile : public testing::Test
{
protected:
    void SetUp() override
    {
        auto obl = readTable(QStringLiteral("klobl.xml"), oblColumns);
        for (; !obl->eof(); obl->next())
            m_kobls.insert(text(*obl, u"KOBL"));
        auto reg = readTable(QStringLiteral("klreg.xml"), regColumns);
        for (; !reg->eof(); reg->next())
            m_rows.append({text(*reg, u"KOD"), text(*reg, u"NAME"), number(*reg, u"TIP"),
                           text(*reg, u"OKATO")});
    }

    // What the city picker shows for a district: KOD begins with the district's and TIP > 4.
    QList<Territory> citiesOf(const Territory& district) const
    {
        QList<Territory> cities;
        for (const Territory& t : m_rows)
            if (t.kod.startsWith(district.kod) && t.tip > 4)
                cities.append(t);
        return cities;
    }

    QSet<QString> m_kobls;
    QList<Territory> m_rows;
};

bool listedWithDistricts(const Territory& t)
{
    return t.tip == 7 && t.kod.mid(2, 2) == QStringLiteral("00");
}

TEST_F(TerritoryFile, HoldsEveryCityAndTheRevealedDistricts)
{
    qsizetype districts = 0;
    for (const Territory& t : m_rows)
        districts += t.tip == 4 ? 1 : 0;
    EXPECT_EQ(districts, 447);
    EXPECT_EQ(m_rows.size() - districts, 1117);
}

TEST_F(TerritoryFile, CodesBeginWithTheSubjectAndAreUnique)
{
    QSet<QString> kods;
    static const QRegularExpression okato(QStringLiteral("^[0-9]{11}$"));
    for (const Territory& t : m_rows) {
        EXPECT_TRUE(m_kobls.contains(t.kod.left(2))) << t.kod.toStdString();
        EXPECT_LE(t.kod.size(), 18);
        EXPECT_TRUE(okato.match(t.okato).hasMatch()) << t.kod.toStdString();
        EXPECT_FALSE(t.name.isEmpty()) << t.kod.toStdString();
        EXPECT_FALSE(kods.contains(t.kod)) << t.kod.toStdString();
        kods.insert(t.kod);
    }
}

TEST_F(TerritoryFile, EveryCityIsReachableFromTheDistrictPicker)
{
    QSet<QString> reached;
    for (const Territory& t : m_rows) {
        if (t.tip == 4) {
            EXPECT_NE(t.kod.mid(2, 2), QStringLiteral("00")) << t.kod.toStdString();
            const QList<Territory> cities = citiesOf(t);
            EXPECT_FALSE(cities.isEmpty()) << t.kod.toStdString();
            for (const Territory& city : cities) {
                // Only the district's own towns, never a city listed with the districts.
                EXPECT_EQ(city.tip, 5) << city.kod.toStdString();
                EXPECT_EQ(city.okato.left(5), t.okato.left(5)) << city.kod.toStdString();
                reached.insert(city.kod);
            }
        } else if (listedWithDistricts(t)) {
            reached.insert(t.kod);
        } else {
            EXPECT_GT(t.tip, 4) << t.kod.toStdString();
            EXPECT_NE(t.tip, 7) << t.kod.toStdString();
        }
    }
    for (const Territory& t : m_rows) {
        if (t.tip > 4) {
            EXPECT_TRUE(reached.contains(t.kod)) << t.kod.toStdString();
        }
    }
}

TEST(DataFiles, AreTheSameOnEveryRun)
{
    QTemporaryDir out;
    ASSERT_TRUE(out.isValid());
    QProcess mkdata;
    mkdata.start(QStringLiteral(F2TP_MKDATA), {QStringLiteral(F2TP_REFDATA_DIR), out.path()});
    ASSERT_TRUE(mkdata.waitForFinished(60000));
    ASSERT_EQ(mkdata.exitCode(), 0) << mkdata.readAllStandardError().toStdString();
    for (const char16_t* name : {u"TEMPLR.xml", u"KLZAV.xml", u"klobl.xml", u"klreg.xml"}) {
        QFile fresh(out.filePath(QString::fromUtf16(name)));
        QFile built(dataFile(QString::fromUtf16(name)));
        ASSERT_TRUE(fresh.open(QIODevice::ReadOnly));
        ASSERT_TRUE(built.open(QIODevice::ReadOnly));
        EXPECT_TRUE(fresh.readAll() == built.readAll()) << QString::fromUtf16(name).toStdString();
    }
}

TEST(DataFiles, CarryTheirLicenceText)
{
    QFile licence(dataFile(QStringLiteral("LICENSE.txt")));
    ASSERT_TRUE(licence.open(QIODevice::ReadOnly));
    const QString text = QString::fromUtf8(licence.readAll());
    EXPECT_TRUE(text.contains(QStringLiteral("CC BY-SA 4.0")));
    EXPECT_TRUE(text.contains(QStringLiteral("DaData.ru")));
}

TEST(DataFiles, TemplateFileMatchesItsGoldenCopy)
{
    QFile golden(QStringLiteral(F2TP_GOLDEN_DIR "/TEMPLR.xml"));
    QFile built(dataFile(QStringLiteral("TEMPLR.xml")));
    ASSERT_TRUE(golden.open(QIODevice::ReadOnly));
    ASSERT_TRUE(built.open(QIODevice::ReadOnly));
    EXPECT_TRUE(golden.readAll() == built.readAll());
}

TEST(DataFiles, GeneratorReportsAMissingSource)
{
    QTemporaryDir empty;
    ASSERT_TRUE(empty.isValid());
    QProcess mkdata;
    mkdata.start(QStringLiteral(F2TP_MKDATA),
                 {empty.path(), empty.filePath(QStringLiteral("out"))});
    ASSERT_TRUE(mkdata.waitForFinished(60000));
    EXPECT_EQ(mkdata.exitCode(), 1);
    const QString error = QString::fromUtf8(mkdata.readAllStandardError());
    EXPECT_TRUE(error.startsWith(QStringLiteral("f2tp-mkdata: cannot read ") + empty.path()))
        << error.toStdString();
    EXPECT_FALSE(QFile::exists(empty.filePath(QStringLiteral("out/TEMPLR.xml"))));
}

} // namespace
