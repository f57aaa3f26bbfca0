#include "ObFunc.h"

#include <cfloat>
#include <charconv>
#include <cmath>
#include <cstring>
#include <string>

#include <gtest/gtest.h>

#include "ScopedCLocale.h"
#include "StoreTestSupport.h"
#include "ozMemoryData.h"

using namespace storetest;

TEST(RoundDecimals, HalvesGoToTheEvenNeighbour)
{
    struct Case
    {
        double value;
        int digits;
        double expected;
    };
    const Case cases[] = {
        {2.5, 0, 2.0},         {3.5, 0, 4.0},        {-2.5, 0, -2.0},      {-3.5, 0, -4.0},
        {0.5, 0, 0.0},         {1.5, 0, 2.0},        {12.3456, 3, 12.346}, {0.0125, 3, 0.012},
        {0.0135, 3, 0.014},    {1.0005, 3, 1.0},     {1.0015, 3, 1.002},   {2.675, 2, 2.68},
        {123.4567, 2, 123.46}, {-0.0125, 3, -0.012}, {7.45, 1, 7.4},       {2.5, -1, 2.0},
        {1234.5, -3, 1234.0},  {0.0, 3, 0.0},        {1e-9, 3, 0.0},       {0.3334999, 3, 0.333},
    };
    for (const Case& c : cases)
        EXPECT_EQ(RoundDecimals(c.value, qint16(c.digits)), c.expected)
            << c.value << " at " << c.digits;
}

TEST(TextHelpers, FloatParsing)
{
    const QChar comma = QLatin1Char(',');
    EXPECT_EQ(TextToFloat(QStringLiteral("1,5"), comma), 1.5);
    EXPECT_EQ(TextToFloat(QStringLiteral("  -1,5e2"), comma), -150.0);
    EXPECT_EQ(TextToFloat(QStringLiteral(",5"), comma), 0.5);
    EXPECT_EQ(TextToFloat(QStringLiteral("5,"), comma), 5.0);
    EXPECT_EQ(TextToFloat(QStringLiteral("1E-6"), comma), 0.000001);
    for (const char* bad : {"", " ", "1.5", "1,5,", "e5", "1e", "1 5", "--1", "inf", "nan", ","})
        EXPECT_FALSE(TextToFloat(QString::fromLatin1(bad), comma).has_value()) << bad;
    EXPECT_EQ(TextToFloat(QStringLiteral("1.5"), QLatin1Char('.')), 1.5);
}

TEST(TextHelpers, FloatTextRoundTripsThroughTheParser)
{
    for (double v :
         {0.001, 1e-6, 123.456, 2.5e20, 1e300, -4.9406564584124654e-324 * 1e10, 0.1, 98765.4321}) {
        const QString text = FloatToText(v, QLatin1Char('.'));
        const auto back = TextToFloat(text, QLatin1Char('.'));
        ASSERT_TRUE(back.has_value()) << text.toStdString();
        EXPECT_NEAR(*back, v, std::abs(v) * 1e-14) << text.toStdString();
    }
    // Near the top of the double range the fifteen-digit rounding would go beyond
    // it: such values are written as the largest fifteen-digit decimal below.
    for (double v : {DBL_MAX, -DBL_MAX, std::nextafter(1.79769313486231e308, DBL_MAX)}) {
        const QString text = FloatToText(v, QLatin1Char('.'));
        EXPECT_EQ(text, QLatin1String(v < 0 ? "-1.79769313486231E308" : "1.79769313486231E308"));
        const auto back = TextToFloat(text, QLatin1Char('.'));
        ASSERT_TRUE(back.has_value()) << text.toStdString();
        EXPECT_NEAR(*back, v, std::abs(v) * 1e-14) << text.toStdString();
    }
}

namespace {

// The text form by its definition: the value rounded to 15 significant digits
// (std::to_chars is exactly rounded), trailing zeros dropped, laid out by exponent.
std::string referenceFloatText(double value)
{
    if (value == 0.0)
        return "0";
    if (std::fabs(value) > 1.79769313486231e308)
        return value < 0 ? "-1.79769313486231E308" : "1.79769313486231E308";
    char buffer[64];
    const auto end = std::to_chars(buffer, buffer + sizeof buffer, std::fabs(value),
                                   std::chars_format::scientific, 14)
                         .ptr;
    const std::string all(buffer, end);
    const std::size_t e = all.find('e');
    std::string digits = all.substr(0, 1) + all.substr(2, e - 2);
    while (digits.size() > 1 && digits.back() == '0')
        digits.pop_back();
    const int exponent = std::stoi(all.substr(e + 1));
    std::string text = value < 0 ? "-" : "";
    if (exponent >= 15 || exponent < -5) {
        text += digits.substr(0, 1);
        if (digits.size() > 1)
            text += "." + digits.substr(1);
        return text + "E" + std::to_string(exponent);
    }
    if (exponent >= 0) {
        const std::size_t intDigits = std::size_t(exponent) + 1;
        if (digits.size() <= intDigits)
            return text + digits + std::string(intDigits - digits.size(), '0');
        return text + digits.substr(0, intDigits) + "." + digits.substr(intDigits);
    }
    return text + "0." + std::string(std::size_t(-exponent - 1), '0') + digits;
}

} // namespace

// The writer's number text equals the 15-digit rounding for values whose
// shortest form is short and for those that need all 17 digits alike.
TEST(TextHelpers, FloatTextIsTheFifteenDigitRoundingAtEveryMagnitude)
{
    const double edges[] = {4.9406564584124654e-324,
                            2.2250738585072009e-308,
                            2.2250738585072014e-308,
                            1e308,
                            DBL_MAX,
                            -0.0,
                            0.1 + 0.2,
                            1.0 / 3.0,
                            123456789012345.0,
                            1234567890123456.0,
                            999999999999999.4,
                            999999999999999.6,
                            0.000099999999999999995,
                            0.00001,
                            1e15,
                            1e-5,
                            9.9999999999999995e-6,
                            0.30000000000000004,
                            2.0 / 7.0 * 1e10,
                            5e-324 * 3};
    for (const double v : edges) {
        char buffer[FloatTextCapacity];
        const char* end = FloatToChars(v, '.', buffer);
        EXPECT_EQ(std::string(buffer, std::size_t(end - buffer)), referenceFloatText(v)) << v;
    }
    EXPECT_EQ(FloatToText(-0.0, QLatin1Char(',')), QStringLiteral("0"));
    EXPECT_EQ(FloatToText(999999999999999.6, QLatin1Char(',')), QStringLiteral("1E15"));
    EXPECT_EQ(FloatToText(123456.789, QChar(u'\u066B')),
              QStringView(u"123456\u066B789").toString());
    // Random bit patterns cover every exponent, and values of few decimals the usual data.
    quint64 seed = 0x9E3779B97F4A7C15ull;
    for (int i = 0; i < 200000; ++i) {
        seed = seed * 6364136223846793005ull + 1442695040888963407ull;
        double v = 0;
        if (i % 2 == 0) {
            std::memcpy(&v, &seed, sizeof v);
            if (!std::isfinite(v))
                continue;
        } else {
            v = double(qint64(seed >> 20) % 100000000) / 1000.0;
        }
        char buffer[FloatTextCapacity];
        const char* end = FloatToChars(v, '.', buffer);
        ASSERT_EQ(std::string(buffer, std::size_t(end - buffer)), referenceFloatText(v)) << v;
    }
}

// Both directions give the same texts and numbers whatever the C library's
// locale, at the edges of the double range too.
TEST(TextHelpers, ConversionsIgnoreTheCLocale)
{
    const ScopedCLocale russian("ru_RU.UTF-8");
    F2TP_REQUIRE_RUSSIAN_LOCALE(russian);
    const QChar point = QLatin1Char('.');
    const QChar comma = QLatin1Char(',');
    EXPECT_EQ(TextToFloat(QStringLiteral("12.5"), point), 12.5);
    EXPECT_EQ(TextToFloat(QStringLiteral("12,5"), comma), 12.5);
    EXPECT_EQ(TextToFloat(QStringLiteral("+1.5e+2"), point), 150.0);
    EXPECT_EQ(TextToFloat(QStringLiteral("1.7976931348623157e308"), point), DBL_MAX);
    EXPECT_EQ(TextToFloat(QStringLiteral("4.9406564584124654e-324"), point), DBL_TRUE_MIN);
    EXPECT_FALSE(TextToFloat(QStringLiteral("1e309"), point).has_value());
    EXPECT_FALSE(TextToFloat(QStringLiteral("123.4e99999999999999999999"), point).has_value());
    // Below the smallest denormal the value is a zero of its sign, as it always was.
    EXPECT_EQ(TextToFloat(QStringLiteral("1e-400"), point), 0.0);
    EXPECT_TRUE(std::signbit(*TextToFloat(QStringLiteral("-0.0001e-400"), point)));
    EXPECT_EQ(TextToFloat(QStringLiteral("0.000001e-99999999999999999999"), point), 0.0);
    EXPECT_EQ(FloatToText(12.5, point), QStringLiteral("12.5"));
    EXPECT_EQ(FloatToText(12.5, comma), QStringLiteral("12,5"));
    EXPECT_EQ(FloatToText(-2.5e20, point), QStringLiteral("-2.5E20"));
    EXPECT_EQ(FloatToText(1e-6, point), QStringLiteral("1E-6"));
    EXPECT_EQ(FloatToText(DBL_MAX, point), QStringLiteral("1.79769313486231E308"));
    EXPECT_EQ(FloatToText(0.1 + 0.2, point), QStringLiteral("0.3"));
    EXPECT_EQ(FormatFloat(QStringLiteral("0.000"), 1234.5675, comma), QStringLiteral("1234,568"));
}

TEST(TextHelpers, FormatPatterns)
{
    const QChar comma = QLatin1Char(',');
    EXPECT_EQ(FormatFloat(QStringLiteral("0.000"), 1.5, comma), QStringLiteral("1,500"));
    EXPECT_EQ(FormatFloat(QStringLiteral("0.000"), 0.0005, comma), QStringLiteral("0,001"));
    EXPECT_EQ(FormatFloat(QStringLiteral("0.000"), -0.0005, comma), QStringLiteral("-0,001"));
    EXPECT_EQ(FormatFloat(QStringLiteral("0.0"), 9.96, comma), QStringLiteral("10,0"));
    EXPECT_EQ(FormatFloat(QStringLiteral("0.0"), 0.0, comma), QStringLiteral("0,0"));
    EXPECT_EQ(FormatFloat(QStringLiteral("0.0"), 123456789.0, comma),
              QStringLiteral("123456789,0"));
    EXPECT_EQ(FormatFloat(QStringLiteral("0.##"), 2.5, comma), QStringLiteral("2,5"));
    EXPECT_EQ(FormatFloat(QStringLiteral("0"), 2.5, comma), QStringLiteral("3"));
    EXPECT_EQ(FormatFloat(QString(), 2.5, comma), QStringLiteral("2,5"));
}

TEST(ApplicationErrorDisplay, FullStopIsAddedAfterCharactersSortingAfterIt)
{
    EXPECT_EQ(ApplicationErrorText(QStringLiteral("Ошибка")), QStringLiteral("Ошибка."));
    EXPECT_EQ(ApplicationErrorText(QStringLiteral("Done.")), QStringLiteral("Done."));
    EXPECT_EQ(ApplicationErrorText(QStringLiteral("Why?")), QStringLiteral("Why?."));
    EXPECT_EQ(ApplicationErrorText(QStringLiteral("Stop!")), QStringLiteral("Stop!"));
    EXPECT_EQ(ApplicationErrorText(QStringLiteral("a - ")), QStringLiteral("a - "));
    EXPECT_EQ(ApplicationErrorText(QString()), QString());

    RecordingUi ui;
    ShowApplicationError(std::make_exception_ptr(EAbort()));
    EXPECT_TRUE(ui.applicationErrors.isEmpty());
    ShowApplicationError(std::make_exception_ptr(F2tpError(QStringLiteral("Сбой"))));
    EXPECT_EQ(ui.applicationErrors, QStringList{QStringLiteral("Сбой.")});
    ShowErrorBox(QStringLiteral("Текст"));
    EXPECT_EQ(ui.errors, QStringList{QStringLiteral("Текст")});
}

namespace {

struct Cities
{
    Cities()
        : table(QStringLiteral("City"))
    {
        code = &table.addField<TIntegerField>(QStringLiteral("KOD"));
        name = &table.addField<TStringField>(QStringLiteral("NAME"), 30);
        table.open();
        int k = 0;
        for (const char* n : {"Москва", "Минск", "Омск", "мурманск"}) {
            table.append();
            code->setAsInteger(++k);
            name->setAsString(QString::fromUtf8(n));
            table.post();
        }
        table.AfterScroll = [this](TDataSet&) {
            ++afterScroll;
        };
        table.first();
        afterScroll = 0;
    }
    TozMemoryData table;
    TField* code;
    TField* name;
    int afterScroll = 0;
};

const TLocateOptions both =
    TLocateOptions(TLocateOption::loCaseInsensitive) | TLocateOption::loPartialKey;

} // namespace

TEST(LocateFieldText, StepsThroughPrefixMatchesAndReturnsWhenNoneIsLeft)
{
    Cities c;
    c.table.last();
    c.afterScroll = 0;
    EXPECT_TRUE(LocateFieldText(c.table, c.name, QStringLiteral("м"), both, true, false, true));
    EXPECT_EQ(c.code->asInteger(), 1);
    EXPECT_EQ(c.afterScroll, 1);
    EXPECT_TRUE(LocateFieldText(c.table, c.name, QStringLiteral("м"), both, true, true, false));
    EXPECT_EQ(c.code->asInteger(), 2);
    EXPECT_TRUE(LocateFieldText(c.table, c.name, QStringLiteral("м"), both, true, true, false));
    EXPECT_EQ(c.code->asInteger(), 4);
    c.afterScroll = 0;
    EXPECT_FALSE(LocateFieldText(c.table, c.name, QStringLiteral("мо"), both, true, true, false));
    EXPECT_EQ(c.code->asInteger(), 4);
    EXPECT_EQ(c.afterScroll, 0);
    EXPECT_TRUE(LocateFieldText(c.table, c.name, QStringLiteral("М"), TLocateOption::loPartialKey,
                                false, true, false));
    EXPECT_EQ(c.code->asInteger(), 2);
    EXPECT_FALSE(LocateFieldText(c.table, c.name, QStringLiteral("минс"),
                                 TLocateOption::loCaseInsensitive, true, false, true));
    EXPECT_FALSE(LocateFieldText(c.table, nullptr, QStringLiteral("М"), both, true, false, true));
    EXPECT_EQ(c.code->asInteger(), 2);
}

TEST(FindInFields, AnyFieldContainingTheTextFromCurrentOrFromTheStart)
{
    Cities c;
    const QList<TField*> fields{c.code, c.name};
    EXPECT_TRUE(FindInFields(c.table, fields, QStringLiteral("СК"), both, true, true));
    EXPECT_EQ(c.code->asInteger(), 2) << "the current record itself is not examined";
    EXPECT_TRUE(FindInFields(c.table, fields, QStringLiteral("4"), both, true, false));
    EXPECT_EQ(c.code->asInteger(), 4);
    EXPECT_FALSE(FindInFields(c.table, fields, QStringLiteral("СК"), TLocateOption::loPartialKey,
                              false, true));
    EXPECT_EQ(c.code->asInteger(), 4);
    EXPECT_TRUE(FindInFields(c.table, fields, QStringLiteral("Омск"), {}, false, false));
    EXPECT_EQ(c.code->asInteger(), 3);
}

TEST(FindInFields, FromCurrentAtEitherEndFindsNothingWhereOnlyTheCurrentRecordMatches)
{
    Cities c;
    const QList<TField*> fields{c.name};
    // The first record, as after opening or first(): backwards there is nothing left.
    EXPECT_FALSE(FindInFields(c.table, fields, QStringLiteral("москва"), both, false, true));
    EXPECT_EQ(c.code->asInteger(), 1);
    // The last record, as after last(): forwards there is nothing left either.
    c.table.last();
    EXPECT_FALSE(FindInFields(c.table, fields, QStringLiteral("мурманск"), both, true, true));
    EXPECT_EQ(c.code->asInteger(), 4);
    // A search from the start that stopped on the first record, then one from there.
    EXPECT_TRUE(FindInFields(c.table, fields, QStringLiteral("М"), TLocateOption::loPartialKey,
                             true, false));
    EXPECT_EQ(c.code->asInteger(), 1);
    EXPECT_FALSE(FindInFields(c.table, fields, QStringLiteral("Москва"), both, false, true));
    EXPECT_EQ(c.code->asInteger(), 1);
    c.afterScroll = 0;
    EXPECT_FALSE(LocateFieldText(c.table, c.name, QStringLiteral("Мо"), both, false, true, false));
    EXPECT_EQ(c.afterScroll, 0);
}

TEST(FindAllMatches, OneMatchMovesThereSeveralAskWhichNoneOrNoChoiceReturns)
{
    Cities c;
    const QList<TField*> fields{c.name};
    c.table.next();
    c.afterScroll = 0;
    int asked = 0;
    QList<TBookmark> offered;
    const auto chooseThird = [&](const QList<TBookmark>& matches) {
        ++asked;
        offered = matches;
        c.table.first(); // the results window reads the records itself
        return matches.at(2);
    };
    EXPECT_TRUE(FindAllMatches(c.table, fields, both, QStringLiteral("омск"), chooseThird));
    EXPECT_EQ(c.code->asInteger(), 3);
    EXPECT_EQ(asked, 0) << "a single match is taken without asking";
    EXPECT_EQ(c.afterScroll, 1);

    c.afterScroll = 0;
    EXPECT_TRUE(FindAllMatches(c.table, fields, both, QStringLiteral("ск"), chooseThird));
    EXPECT_EQ(c.code->asInteger(), 3);
    EXPECT_EQ(c.afterScroll, 1);
    ASSERT_EQ(offered.size(), 4);
    for (int i = 0; i < 4; ++i) {
        c.table.gotoBookmark(offered.at(i));
        EXPECT_EQ(c.code->asInteger(), i + 1) << "matches come in data set order";
    }

    c.table.first();
    c.afterScroll = 0;
    EXPECT_FALSE(FindAllMatches(c.table, fields, TLocateOption::loPartialKey, QStringLiteral("СК"),
                                chooseThird))
        << "case-sensitive: capitals do not find lower-case letters";
    EXPECT_EQ(c.code->asInteger(), 1);
    EXPECT_EQ(c.afterScroll, 0);
}

TEST(FindAllMatches, NoChoiceOrAFailingChoiceReturnsToTheRecordItStartedOn)
{
    Cities c;
    const QList<TField*> fields{c.code, c.name};
    c.table.next();
    c.afterScroll = 0;
    EXPECT_THROW(FindAllMatches(c.table, fields, both, QStringLiteral("м"),
                                [&](const QList<TBookmark>&) {
                                    c.table.last();
                                    return TBookmark();
                                }),
                 EAbort);
    EXPECT_EQ(c.code->asInteger(), 2);
    EXPECT_THROW(FindAllMatches(c.table, fields, both, QStringLiteral("м"),
                                [&](const QList<TBookmark>&) -> TBookmark {
                                    c.table.last();
                                    throw F2tpError(QStringLiteral("Сбой"));
                                }),
                 F2tpError);
    EXPECT_EQ(c.code->asInteger(), 2);
    EXPECT_EQ(c.afterScroll, 0);
    EXPECT_FALSE(c.table.controlsDisabled());
    ASSERT_TRUE(c.table.AfterScroll);
}
