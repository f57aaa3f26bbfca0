#include "Base64Coder.h"

#include <gtest/gtest.h>

#include "Cp1251.h"
#include "Errors.h"

namespace {

QString errorOf(const std::function<void()>& action)
{
    try {
        action();
    } catch (const F2tpError& e) {
        return e.message();
    }
    return QStringLiteral("<no error>");
}

QByteArray cp(const char* utf8)
{
    return Cp1251::encode(QString::fromUtf8(utf8));
}

} // namespace

TEST(XmlEscape, ReplacesTheFiveMarkupCharactersAndCopiesTheRest)
{
    struct Case
    {
        const char* text;
        const char* escaped;
    };
    const Case cases[] = {
        {"", ""},
        {"plain", "plain"},
        {"a&b", "a&amp;b"},
        {"<tag>", "&lt;tag&gt;"},
        {"say \"hi\"", "say &quot;hi&quot;"},
        {"it's", "it&apos;s"},
        {"&amp;", "&amp;amp;"},
        {"line\nbreak\ttab\r", "line\nbreak\ttab\r"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(XmlEscape(QString::fromUtf8(c.text), false), QByteArray(c.escaped)) << c.text;
        EXPECT_EQ(XmlEscape(QString::fromUtf8(c.text), true), QByteArray(c.escaped)) << c.text;
    }
}

TEST(XmlEscape, GivesWindows1251BytesOrUtf8)
{
    const QString text = QStringLiteral("Установка \"А\" & фильтр");
    EXPECT_EQ(XmlEscape(text, false), cp("Установка &quot;А&quot; &amp; фильтр"));
    EXPECT_EQ(XmlEscape(text, true), QByteArray("Установка &quot;А&quot; &amp; фильтр"));
}

TEST(XmlEscape, WritesQuestionMarksForCharactersOutsideTheCodePage)
{
    EXPECT_EQ(XmlEscape(QStringLiteral("a\u4E2Db"), false), QByteArray("a?b"));
    EXPECT_EQ(XmlEscape(QString::fromUtf8("x\xF0\x9F\x98\x80y"), false), QByteArray("x?y"));
    EXPECT_EQ(XmlEscape(QStringLiteral("a\u4E2Db"), true), QByteArray("a?b"));
}

TEST(XmlUnescape, ResolvesReferences)
{
    struct Case
    {
        const char* raw;
        const char* text;
    };
    const Case cases[] = {
        {"", ""},
        {"plain", "plain"},
        {"&amp;&lt;&gt;&apos;&quot;", "&<>'\""},
        {"a&amp;b", "a&b"},
        {"&#65;&#x42;&#$43;&#X44;", "ABCD"},
        {"&#321;", "A"}, // 321 modulo 256 is 65
        {"&#192;", "А"}, // byte 0xC0 of the code page
        {"&#xC0;", "А"},
        {"&nbsp;x", "x"},      // unknown references are dropped
        {"&;x", "x"},          // so is the empty one
        {"tail&amp", "tail&"}, // a reference may run to the end
        {"tail&bogus", "tail"},
        {"&AMP;", ""}, // names are exact
        {"a\nb", "a\nb"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(XmlUnescape(c.raw, XmlEncoding::Utf8), QString::fromUtf8(c.text)) << c.raw;
        EXPECT_EQ(XmlUnescape(Cp1251::encode(QString::fromUtf8(c.raw)), XmlEncoding::Windows1251),
                  QString::fromUtf8(c.text))
            << c.raw;
    }
}

TEST(XmlUnescape, ConvertsRunsFromTheFilesEncoding)
{
    const QString expected = QStringLiteral("Установка \"А\" & фильтр");
    EXPECT_EQ(XmlUnescape(cp("Установка &quot;А&quot; &amp; фильтр"), XmlEncoding::Windows1251),
              expected);
    EXPECT_EQ(XmlUnescape("Установка &quot;А&quot; &amp; фильтр", XmlEncoding::Utf8), expected);
}

TEST(XmlUnescape, LimitsUtf8TextToTheCodePage)
{
    // A character the code page lacks and a malformed sequence both become '?'.
    EXPECT_EQ(XmlUnescape("a\xE4\xB8\xAD"
                          "b",
                          XmlEncoding::Utf8),
              QStringLiteral("a?b"));
    EXPECT_EQ(XmlUnescape("a\xC3"
                          "b",
                          XmlEncoding::Utf8),
              QStringLiteral("a?b"));
    EXPECT_EQ(XmlUnescape("\xE2\x84\x96", XmlEncoding::Utf8), QStringLiteral("№"));
}

TEST(XmlUnescape, FailsOnAnUnreadableNumber)
{
    const char* bad[][2] = {
        {"&#;", "''"},
        {"&#12a;", "'12a'"},
        {"&#x;", "'x'"},
        {"&#xZZ;", "'xZZ'"},
        {"&#-5;", "'-5'"},
        {"&#99999999999;", "'99999999999'"},
        {"&#x123456789;", "'x123456789'"},
        {"&#65", nullptr},
    };
    for (const auto& c : bad) {
        if (!c[1]) {
            EXPECT_EQ(XmlUnescape(c[0], XmlEncoding::Utf8), QStringLiteral("A"));
            continue;
        }
        EXPECT_EQ(errorOf([&] { XmlUnescape(c[0], XmlEncoding::Utf8); }),
                  QString::fromUtf8(c[1]) + QStringLiteral(" is not a valid integer value"))
            << c[0];
    }
}

TEST(XmlEscape, WritesTheZeroCharacterAsAReference)
{
    const QString text = QStringLiteral("a") + QChar(0) + QStringLiteral("b");
    EXPECT_EQ(XmlEscape(text, false), QByteArray("a&#0;b"));
    EXPECT_EQ(XmlEscape(text, true), QByteArray("a&#0;b"));
}

TEST(XmlCodecs, RoundTripEveryCharacterOfTheCodePage)
{
    QByteArray all;
    for (int i = 0; i < 256; ++i)
        all.append(char(i));
    const QString text = Cp1251::decode(all);
    EXPECT_EQ(XmlUnescape(XmlEscape(text, false), XmlEncoding::Windows1251), text);
    EXPECT_EQ(XmlUnescape(XmlEscape(text, true), XmlEncoding::Utf8), text);
}

TEST(Base64, EncodesGroupsWithPadding)
{
    struct Case
    {
        QByteArray bytes;
        const char* text;
    };
    const Case cases[] = {
        {"", ""},
        {"f", "Zg=="},
        {"fo", "Zm8="},
        {"foo", "Zm9v"},
        {"foob", "Zm9vYg=="},
        {"fooba", "Zm9vYmE="},
        {"foobar", "Zm9vYmFy"},
        {QByteArray("\x00\xFF\xFE", 3), "AP/+"},
        {QByteArray("\xFB\xEF\xBE", 3), "++++"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Base64Encode(c.bytes), QByteArray(c.text));
        EXPECT_EQ(Base64Decode(c.text), c.bytes) << c.text;
    }
}

TEST(Base64, LongInputHasNoLineBreaksAndExactLength)
{
    for (int n : {0, 1, 2, 3, 57, 58, 76, 1000, 1001}) {
        QByteArray bytes(n, '\0');
        for (int i = 0; i < n; ++i)
            bytes[i] = char(i * 7 + 3);
        const QByteArray text = Base64Encode(bytes);
        EXPECT_EQ(text.size(), 4 * ((n + 2) / 3));
        EXPECT_FALSE(text.contains('\n'));
        EXPECT_FALSE(text.contains('\r'));
        EXPECT_EQ(Base64Decode(text), bytes);
    }
}

TEST(Base64, DecodeRejectsCharactersOutsideTheAlphabetAndBadLengths)
{
    const QString mime = QStringLiteral("Ошибка в MIME кодировке");
    for (const char* text : {"Zm9v\nYmFy", "Zm9v YmFy", "Zm9-", "Zm9", "Zm9vY", "Zg=", "\tZg="})
        EXPECT_EQ(errorOf([&] { Base64Decode(text); }), mime) << text;
}

TEST(Base64, EveryEqualsSignShortensTheResult)
{
    EXPECT_EQ(Base64Decode("QQ==QUJD"), QByteArray("A\0\0A", 4));
    EXPECT_EQ(Base64Decode("===="), QByteArray());
}
