#include "CsvReader.h"

#include <gtest/gtest.h>

#include "Errors.h"

namespace {

struct RecordsCase
{
    const char* label;
    const char16_t* text;
    QList<QStringList> records;
};

QString q(const char16_t* text)
{
    return QString::fromUtf16(text);
}

QStringList row(std::initializer_list<const char16_t*> cells)
{
    QStringList list;
    for (const char16_t* cell : cells)
        list.append(q(cell));
    return list;
}

class CsvRecords : public testing::TestWithParam<RecordsCase>
{
};

TEST_P(CsvRecords, SplitsIntoFields)
{
    const RecordsCase& c = GetParam();
    EXPECT_EQ(parseCsvRecords(q(c.text), QStringLiteral("t")), c.records) << c.label;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CsvRecords,
    testing::Values(
        RecordsCase{"plain", u"a,b\n1,2\n", {row({u"a", u"b"}), row({u"1", u"2"})}},
        RecordsCase{"no final line break", u"a,b\n1,2", {row({u"a", u"b"}), row({u"1", u"2"})}},
        RecordsCase{"CR LF", u"a,b\r\n1,2\r\n", {row({u"a", u"b"}), row({u"1", u"2"})}},
        RecordsCase{
            "comma in quotes", u"\"Респ Крым, г Ялта\",2\n", {row({u"Респ Крым, г Ялта", u"2"})}},
        RecordsCase{"doubled quote", u"\"СМС \"\"Лоск\"\"\",x\n", {row({u"СМС \"Лоск\"", u"x"})}},
        RecordsCase{"line break in quotes", u"\"a\nb\",c\n", {row({u"a\nb", u"c"})}},
        RecordsCase{"empty fields", u",,\n", {row({u"", u"", u""})}},
        RecordsCase{"empty quoted field", u"\"\",1\n", {row({u"", u"1"})}},
        RecordsCase{"byte order mark", u"\uFEFFname,x\n", {row({u"name", u"x"})}},
        RecordsCase{"blank lines", u"a\n\n\nb\n", {row({u"a"}), row({u"b"})}},
        RecordsCase{"nothing", u"", {}}));

struct ErrorCase
{
    const char* label;
    const char16_t* text;
    const char16_t* message;
};

class CsvErrors : public testing::TestWithParam<ErrorCase>
{
};

TEST_P(CsvErrors, NameTheLine)
{
    const ErrorCase& c = GetParam();
    try {
        CsvTable::parse(q(c.text), QStringLiteral("cities"));
        FAIL() << c.label << ": no error";
    } catch (const F2tpError& error) {
        EXPECT_EQ(error.message(), q(c.message)) << c.label;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CsvErrors,
    testing::Values(ErrorCase{"unterminated quote", u"a,b\n1,\"2\n3\n",
                              u"cities, line 2: unterminated quoted field"},
                    ErrorCase{"text after closing quote", u"a,b\n\"1\"x,2\n",
                              u"cities, line 2: text after the closing quote of a field"},
                    ErrorCase{"quote inside a field", u"a,b\n\n1,2\"\n",
                              u"cities, line 3: quote inside an unquoted field"},
                    ErrorCase{"too few fields", u"a,b\n1,2\n3\n",
                              u"cities: record 2 has 1 fields, the header has 2"},
                    ErrorCase{"no header", u"", u"cities: no header row"}));

TEST(CsvTable, FindsColumnsByHeaderName)
{
    const CsvTable table =
        CsvTable::parse(QStringLiteral("name,okato\nБарнаул,01401000000\n"), QStringLiteral("t"));
    ASSERT_EQ(table.rowCount(), 1);
    EXPECT_EQ(table.row(0).at(table.column(QStringLiteral("okato"))),
              QStringLiteral("01401000000"));
    try {
        table.column(QStringLiteral("oktmo"));
        FAIL() << "no error";
    } catch (const F2tpError& error) {
        EXPECT_EQ(error.message(), QStringLiteral("t: no column oktmo"));
    }
}

} // namespace
