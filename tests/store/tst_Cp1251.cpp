#include "Cp1251.h"

#include <gtest/gtest.h>

#include <QByteArray>
#include <QString>

namespace {

QString u(const char* utf8)
{
    return QString::fromUtf8(utf8);
}

TEST(Cp1251Text, EveryDefinedByteSurvivesDecodeAndEncode)
{
    QByteArray all;
    for (int b = 0; b < 256; ++b)
        all.append(char(b));
    const QString text = Cp1251::decode(all);
    ASSERT_EQ(text.size(), 256);
    const QByteArray back = Cp1251::encode(text);
    for (int b = 0; b < 256; ++b) {
        if (b == 0x98) // the one byte the code page leaves undefined
            continue;
        EXPECT_EQ(static_cast<unsigned char>(back.at(b)), b) << "byte " << b;
    }
}

TEST(Cp1251Text, CyrillicAndTypographyMapToTheirBytes)
{
    EXPECT_EQ(Cp1251::encode(u("Ёжик №5 «тест» — €")),
              QByteArray("\xA8\xE6\xE8\xEA \xB9"
                         "5 \xAB\xF2\xE5\xF1\xF2\xBB \x97 \x88"));
    EXPECT_EQ(Cp1251::decode(QByteArray("\xCF\xF0\xE8\xE2\xE5\xF2")), u("Привет"));
}

TEST(Cp1251Text, CharactersOutsideTheCodePageBecomeQuestionMarks)
{
    EXPECT_EQ(Cp1251::encode(u("a中b")), QByteArray("a?b"));
    // A character outside the basic plane is one character, so one '?'.
    EXPECT_EQ(Cp1251::encode(u("x😀y")), QByteArray("x?y"));
    EXPECT_EQ(Cp1251::restrict(u("Ж中ß")), u("Ж??"));
    EXPECT_EQ(Cp1251::restrict(u("plain")), u("plain"));
}

TEST(Cp1251Text, Utf8AndOemInputIsLimitedToTheCodePage)
{
    EXPECT_EQ(Cp1251::fromUtf8(QByteArray("\xD0\x96\xE4\xB8\xAD")), u("Ж?"));
    // Malformed UTF-8 gives '?' rather than a character the files cannot hold.
    EXPECT_EQ(Cp1251::fromUtf8(QByteArray("a\xFF"
                                          "b")),
              u("a?b"));
    // Code page 866: "Привет" and a box-drawing character with no Windows-1251 place.
    EXPECT_EQ(Cp1251::fromOem(QByteArray("\x8F\xE0\xA8\xA2\xA5\xE2\xC4")), u("Привет?"));
}

} // namespace
