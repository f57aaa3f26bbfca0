#include "IniFile.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "Cp1251.h"
#include "Errors.h"

namespace {

QString writeFile(const QTemporaryDir& dir, const QByteArray& bytes)
{
    const QString name = dir.filePath(QStringLiteral("2tp.ini"));
    QFile f(name);
    EXPECT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
    return name;
}

QByteArray readFile(const QString& name)
{
    QFile f(name);
    EXPECT_TRUE(f.open(QIODevice::ReadOnly));
    return f.readAll();
}

} // namespace

TEST(IniFile, MissingFileReadsDefaults)
{
    QTemporaryDir dir;
    IniFile ini(dir.filePath(QStringLiteral("none.ini")));
    EXPECT_EQ(ini.readInteger(QStringLiteral("PARAMS"), QStringLiteral("YEAR"), 2000), 2000);
    EXPECT_EQ(ini.readString(QStringLiteral("PARAMS"), QStringLiteral("PATH"), QString()),
              QString());
    EXPECT_FALSE(ini.hasKey(QStringLiteral("PARAMS"), QStringLiteral("YEAR")));
}

TEST(IniFile, NamesIgnoreCaseAndValuesAreTrimmed)
{
    QTemporaryDir dir;
    const QString name = writeFile(
        dir,
        "; comment\r\n[Other]\r\nYEAR=1\r\n[params]\r\n year = 2024 \r\nPath=  \"C:\\x y\"\r\n");
    IniFile ini(name);
    EXPECT_EQ(ini.readInteger(QStringLiteral("PARAMS"), QStringLiteral("YEAR"), 0), 2024);
    EXPECT_EQ(ini.readString(QStringLiteral("PARAMS"), QStringLiteral("PATH"), QString()),
              QStringLiteral("C:\\x y"));
}

TEST(IniFile, IntegerFormsAndBadIntegers)
{
    struct Case
    {
        const char* text;
        int expected;
    };
    const Case cases[] = {{"2024", 2024}, {"-5", -5}, {"$10", 16},       {"0x1F", 31},
                          {"20a1", 7},    {"", 7},    {"99999999999", 7}};
    QTemporaryDir dir;
    for (const Case& c : cases) {
        const QString name = writeFile(dir, QByteArray("[PARAMS]\nYEAR=") + c.text + "\n");
        IniFile ini(name);
        EXPECT_EQ(ini.readInteger(QStringLiteral("PARAMS"), QStringLiteral("YEAR"), 7), c.expected)
            << c.text;
    }
}

TEST(IniFile, CyrillicTextIsWindows1251OnDisk)
{
    QTemporaryDir dir;
    const QString path = QStringLiteral("D:\\Отчёты\\2тп");
    const QString name = writeFile(dir, "[PARAMS]\r\nPATH=" + Cp1251::encode(path) + "\r\n");
    IniFile ini(name);
    EXPECT_EQ(ini.readString(QStringLiteral("PARAMS"), QStringLiteral("PATH"), QString()), path);

    IniFile out(dir.filePath(QStringLiteral("new.ini")));
    out.writeString(QStringLiteral("PARAMS"), QStringLiteral("PATH"), path);
    out.save();
    EXPECT_EQ(readFile(out.fileName()), "[PARAMS]\r\nPATH=" + Cp1251::encode(path) + "\r\n");
}

TEST(IniFile, WritingKeepsOtherLinesAndReplacesTheKey)
{
    QTemporaryDir dir;
    const QString name =
        writeFile(dir, "; settings\r\n[PARAMS]\r\nYEAR=2019\r\nOTHER=x\r\n\r\n[MORE]\r\nA=1\r\n");
    IniFile ini(name);
    ini.writeInteger(QStringLiteral("PARAMS"), QStringLiteral("YEAR"), 2024);
    ini.writeString(QStringLiteral("PARAMS"), QStringLiteral("PATH"), QStringLiteral("p"));
    ini.writeString(QStringLiteral("NEW"), QStringLiteral("K"), QStringLiteral("v"));
    ini.save();
    EXPECT_EQ(readFile(name),
              QByteArray("; settings\r\n[PARAMS]\r\nYEAR=2024\r\nOTHER=x\r\nPATH=p\r\n"
                         "\r\n[MORE]\r\nA=1\r\n\r\n[NEW]\r\nK=v\r\n"));
}

TEST(IniFile, SaveIntoMissingFolderFailsAndLeavesNothing)
{
    QTemporaryDir dir;
    const QString name = dir.filePath(QStringLiteral("no/such/2tp.ini"));
    IniFile ini(name);
    ini.writeInteger(QStringLiteral("PARAMS"), QStringLiteral("YEAR"), 2024);
    try {
        ini.save();
        FAIL() << "save succeeded";
    } catch (const F2tpError& e) {
        EXPECT_EQ(e.message(), QStringLiteral("Не удается создать файл ") + name);
    }
    EXPECT_FALSE(QFile::exists(name));
}
