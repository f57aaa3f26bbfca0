#include <gtest/gtest.h>

#include <QDate>

#include "StoreTestSupport.h"
#include "ozMemoryData.h"

using namespace storetest;

namespace {

class Fields : public ::testing::Test
{
protected:
    Fields()
        : table(QStringLiteral("R1Table"))
    {
        ca = &table.addField<TSmallintField>(QStringLiteral("CA"));
        n = &table.addField<TIntegerField>(QStringLiteral("N"));
        cb = &table.addField<TStringField>(QStringLiteral("CB"), 5);
        c1 = &table.addField<TFloatField>(QStringLiteral("C1"));
        table.open();
        table.append();
    }

    TozMemoryData table;
    TField* ca;
    TField* n;
    TField* cb;
    TField* c1;
};

} // namespace

TEST_F(Fields, EmptyTextClearsNumbersAndBadTextKeepsTheValue)
{
    DecimalSeparator sep(QLatin1Char(','));
    c1->setAsString(QStringLiteral("2,5"));
    EXPECT_EQ(c1->asFloat(), 2.5);
    EXPECT_EQ(errorOf([&] { c1->setAsString(QStringLiteral("abc")); }),
              QStringLiteral("'abc' is not a valid floating point value for field 'C1'"));
    EXPECT_EQ(c1->asFloat(), 2.5);
    c1->setAsString(QString());
    EXPECT_TRUE(c1->isNull());
    EXPECT_EQ(c1->asString(), QString());
    EXPECT_EQ(c1->asFloat(), 0.0);
    EXPECT_FALSE(c1->value().isValid());

    n->setAsString(QStringLiteral("12"));
    EXPECT_EQ(errorOf([&] { n->setAsString(QStringLiteral("1.5")); }),
              QStringLiteral("'1.5' is not a valid integer value for field 'N'"));
    EXPECT_EQ(n->asInteger(), 12);
    n->setAsString(QString());
    EXPECT_TRUE(n->isNull());
    EXPECT_EQ(n->asInteger(), 0);
}

TEST_F(Fields, IntegerTextForms)
{
    struct Case
    {
        const char* text;
        int value;
    };
    const Case cases[] = {{"  42", 42}, {"-7", -7},   {"+3", 3},    {"$1F", 31},
                          {"x10", 16},  {"0x10", 16}, {"-$10", -16}};
    for (const Case& c : cases) {
        n->setAsString(QString::fromLatin1(c.text));
        EXPECT_EQ(n->asInteger(), c.value) << c.text;
    }
    for (const char* bad : {"12 ", "1e3", "--1", "$", "0x", "2147483648", " "}) {
        EXPECT_EQ(errorOf([&] { n->setAsString(QString::fromLatin1(bad)); }),
                  QStringLiteral("'%1' is not a valid integer value for field 'N'")
                      .arg(QString::fromLatin1(bad)))
            << bad;
    }
    n->setAsInteger(-5);
    EXPECT_EQ(n->asString(), QStringLiteral("-5"));
    EXPECT_EQ(n->asFloat(), -5.0);
}

TEST_F(Fields, SmallintRangeMessage)
{
    n->setDisplayLabel(QStringLiteral("unused"));
    EXPECT_EQ(errorOf([&] { ca->setAsString(QStringLiteral("40000")); }),
              QStringLiteral("40000 is not a valid value for field 'CA'. The allowed range is "
                             "-32768 to 32767"));
    EXPECT_EQ(errorOf([&] { ca->setAsInteger(-32769); }),
              QStringLiteral("-32769 is not a valid value for field 'CA'. The allowed range is "
                             "-32768 to 32767"));
    ca->setAsInteger(-32768);
    EXPECT_EQ(ca->asInteger(), -32768);
}

TEST_F(Fields, FloatTextForm)
{
    DecimalSeparator sep(QLatin1Char(','));
    struct Case
    {
        double value;
        const char* text;
    };
    const Case cases[] = {
        {0.000001, "1E-6"},
        {2.5e20, "2,5E20"},
        {0.00001, "0,00001"},
        {123456789012345.0, "123456789012345"},
        {1e15, "1E15"},
        {0.1 + 0.2, "0,3"},
        {-1.5, "-1,5"},
        {1.0 / 3.0, "0,333333333333333"},
        {100.0, "100"},
        {-0.000012345, "-0,000012345"},
        {0.0000012345, "1,2345E-6"},
        {12.5, "12,5"},
    };
    for (const Case& c : cases) {
        c1->setAsFloat(c.value);
        EXPECT_EQ(c1->asString(), QString::fromLatin1(c.text)) << c.text;
    }
    c1->setAsString(QStringLiteral(" -2,5E-3 "));
    EXPECT_EQ(c1->asFloat(), -0.0025);
    EXPECT_EQ(errorOf([&] { c1->setAsString(QStringLiteral("2.5")); }),
              QStringLiteral("'2.5' is not a valid floating point value for field 'C1'"));
}

TEST_F(Fields, FloatAsIntegerRoundsToTheNearest)
{
    c1->setAsFloat(2.5);
    EXPECT_EQ(c1->asInteger(), 2);
    c1->setAsFloat(3.5);
    EXPECT_EQ(c1->asInteger(), 4);
    c1->setAsFloat(-1.6);
    EXPECT_EQ(c1->asInteger(), -2);
    n->setAsFloat(7.6);
    EXPECT_EQ(n->asInteger(), 8);
}

TEST_F(Fields, StringsAreCutToSizeAndLimitedToTheCodePage)
{
    cb->setAsString(QStringLiteral("abcdefgh"));
    EXPECT_EQ(cb->asString(), QStringLiteral("abcde"));
    cb->setAsString(QStringLiteral("Ж日本"));
    EXPECT_EQ(cb->asString(), QStringLiteral("Ж??"));
    cb->setAsString(QString());
    EXPECT_TRUE(cb->isNull());
    cb->setAsString(QStringLiteral("12"));
    EXPECT_EQ(cb->asInteger(), 12);
}

TEST_F(Fields, DisplayAndEditFormats)
{
    DecimalSeparator sep(QLatin1Char(','));
    c1->setDisplayFormat(QStringLiteral("0.000"));
    c1->setAsFloat(1.5);
    EXPECT_EQ(c1->displayText(), QStringLiteral("1,500"));
    EXPECT_EQ(c1->editText(), QStringLiteral("1,500"));
    EXPECT_EQ(c1->asString(), QStringLiteral("1,5"));
    c1->setEditFormat(QStringLiteral("0.0"));
    c1->setAsFloat(0.25);
    EXPECT_EQ(c1->displayText(), QStringLiteral("0,250"));
    EXPECT_EQ(c1->editText(), QStringLiteral("0,3"));
    c1->setAsFloat(-0.25);
    EXPECT_EQ(c1->editText(), QStringLiteral("-0,3"));
    c1->setAsFloat(-0.01);
    EXPECT_EQ(c1->editText(), QStringLiteral("0,0"));
    c1->setAsFloat(0.0125);
    EXPECT_EQ(c1->displayText(), QStringLiteral("0,013"));
    c1->setAsFloat(1234567.25);
    EXPECT_EQ(c1->displayText(), QStringLiteral("1234567,250"));
    c1->clear();
    EXPECT_EQ(c1->displayText(), QString());
}

TEST_F(Fields, GetTextHandlerDecidesAlsoForEmptyFieldsAndSetTextReceivesTheText)
{
    QList<bool> calls;
    c1->OnGetText = [&](TField& f, QString& text, bool display) {
        calls << display;
        text = f.isNull() ? QStringLiteral("пусто") : QStringLiteral("v");
    };
    EXPECT_EQ(c1->displayText(), QStringLiteral("пусто"));
    EXPECT_EQ(c1->editText(), QStringLiteral("пусто"));
    EXPECT_EQ(calls, (QList<bool>{true, false}));

    QString received;
    cb->OnSetText = [&](TField&, const QString& text) {
        received = text;
    };
    cb->setText(QStringLiteral("typed"));
    EXPECT_EQ(received, QStringLiteral("typed"));
    EXPECT_TRUE(cb->isNull()) << "the handler alone decides what is stored";
}

TEST_F(Fields, VariantValues)
{
    c1->setValue(QVariant(3));
    EXPECT_EQ(c1->asFloat(), 3.0);
    c1->setValue(QVariant());
    EXPECT_TRUE(c1->isNull());
    EXPECT_EQ(errorOf([&] { c1->setValue(QVariant(QStringLiteral("x"))); }),
              QStringLiteral("Неправильное значени для поля 'C1'"));
    c1->setDisplayLabel(QStringLiteral("Выброс"));
    EXPECT_EQ(errorOf([&] { c1->setValue(QVariant(QStringList{})); }),
              QStringLiteral("Неправильное значени для поля 'Выброс'"));
    ca->setValue(QVariant(2.6));
    EXPECT_EQ(ca->value(), QVariant(3));
    cb->setValue(QVariant(17));
    EXPECT_EQ(cb->asString(), QStringLiteral("17"));
}

TEST_F(Fields, ReadOnlyFieldsAndWritesOutsideEditing)
{
    cb->setReadOnly(true);
    cb->setDisplayLabel(QStringLiteral("Код"));
    EXPECT_EQ(errorOf([&] { cb->setAsString(QStringLiteral("x")); }),
              QStringLiteral("Поле 'Код' не может изменяться"));
    cb->setReadOnly(false);
    ca->setAsInteger(1);
    table.post();
    EXPECT_EQ(errorOf([&] { ca->setAsInteger(2); }),
              QStringLiteral("Таблица не в режиме редактирования"));
    EXPECT_EQ(ca->asInteger(), 1);
}

TEST(FieldTypes, FurtherValueDomainsStoreAndConvert)
{
    TozMemoryData t(QStringLiteral("T"));
    auto& b = t.addField<TBooleanField>(QStringLiteral("B"));
    auto& d =
        t.addField<TDateTimeField>(QStringLiteral("D"), TFieldKind::fkData, TFieldType::ftDate);
    auto& big = t.addField<TLargeintField>(QStringLiteral("L"));
    auto& w = t.addField<TWordField>(QStringLiteral("W"));
    auto& blob = t.addField<TBlobField>(QStringLiteral("M"), TFieldType::ftMemo);
    t.open();
    t.append();
    b.setAsString(QStringLiteral("true"));
    d.setAsString(QStringLiteral("31.01.2024"));
    big.setAsString(QStringLiteral("9000000000"));
    w.setAsInteger(65535);
    blob.setAsString(QStringLiteral("Длинный текст"));
    t.post();
    EXPECT_EQ(b.asString(), QStringLiteral("True"));
    EXPECT_EQ(d.value(), QVariant(QDate(2024, 1, 31)));
    EXPECT_EQ(big.value(), QVariant(qint64(9000000000)));
    EXPECT_EQ(blob.asString(), QStringLiteral("Длинный текст"));
    t.edit();
    EXPECT_EQ(
        errorOf([&] { w.setAsInteger(-1); }),
        QStringLiteral("-1 is not a valid value for field 'W'. The allowed range is 0 to 65535"));
}
