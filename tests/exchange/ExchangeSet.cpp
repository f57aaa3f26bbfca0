#include "ExchangeSet.h"

#include <QDir>
#include <QFile>
#include <QProcess>

#include "Cp1251.h"
#include "ProgramFolder.h"
#include "ZLIBArchive.h"
#include "ozMemoryData.h"

namespace {

QStringList columns(const char* text)
{
    return QString::fromUtf8(text).split(QLatin1Char(' '));
}

std::vector<QStringList> rows(std::initializer_list<const char*> lines)
{
    std::vector<QStringList> result;
    for (const char* line : lines)
        result.push_back(QString::fromUtf8(line).split(QLatin1Char('|')));
    return result;
}

} // namespace

QByteArray packet(const char* columnList, std::initializer_list<const char*> rowList)
{
    return dataPacket(columns(columnList), rows(rowList));
}

ExchangeSet::ExchangeSet()
{
    files[QStringLiteral("b0002.xml")] = dataPacket(
        columns("KOD:string:20 PNAZ:string:100 INN:string:12 OKOH1:string:8 ADR:string:250 "
                "FIOR:string:45 OWNERID:string:20 SNAZ:string:50"),
        rows({"770123456701|ООО &quot;Заря&quot;|7701234567|0111|ул. Мира, 1|Иванов И.И.||"
              "ООО &quot;Заря&quot;"}));
    files[QStringLiteral("spisokkr.xml")] =
        dataPacket(columns("KODP:string:20 NGDU:string:18 NAME:string:30 FULLNAME:string:100"),
                   rows({"770123456701|03221||Республика Бурятия"}));
    files[QStringLiteral("F2TPR1.xml")] = dataPacket(
        columns("CA:i2 C2:r8 C3:r8 C4:r8 C5:r8 C7:r8 C9:r8 KODP:string:20 YEAR_:i2 "
                "REG:string:18"),
        rows({"101|16.5|1|8|2|22.5||770123456701|2024|03221", "102|1.5", "103|15|1|8|2|21",
              "104|4.125|1|8|2|10.125|4.5", "105|5.25", "106|5.625", "107", "108", "109"}));
    files[QStringLiteral("F2TPR2.xml")] =
        dataPacket(columns("CA:i2 C1:i2 C2:r8 C3:r8 C4:r8 C5:r8"),
                   rows({"201|703|0.75", "202|322|1.125||2", "203|410", "204|2902|3.5|||4"}));
    files[QStringLiteral("F2TPR3.xml")] =
        dataPacket(columns("CA:i2 C1:i4 C2:i4 C3:r8 C4:r8"),
                   rows({"301|12|10|5.5|4.25", "302|7|7|2|1.5", "303|5|3|3.5|2.75"}));
    files[QStringLiteral("F2TPR4.xml")] =
        dataPacket(columns("CA:i2 CB:string:250 CC:string:250 C1:r8 C2:i2 C3:r8 C4:r8 C5:r8 C6:r8"),
                   rows({"401|Котельная|Замена горелок|1|1|120.5|80|-0.5|-0.25", "402", "403",
                         "404", "405", "406|Цех окраски|Фильтры|2|0|10||-1|-1"}));
    files[QStringLiteral("F2TPR5.xml")] = dataPacket(
        columns("CA:i2 C3:r8 C4:r8"), rows({"501|3.25|1", "502", "503|0.5", "504", "505"}));
    files[QStringLiteral("F2TPR1NO.xml")] =
        dataPacket(columns("C2:r8 C3:r8 C4:r8 C5:r8 C6:r8 C7:r8 C8:r8 C9:r8 C10:r8"),
                   rows({"4.125|1|8|2|1|10.125|9|4.5|"}));
    files[QStringLiteral("F2TPR3NO.xml")] = dataPacket(
        columns("CA:i2 C3:r8 C4:r8"), rows({"301|1.5|1.25", "302|0.5|0.25", "303|1|0.75"}));
    files[QStringLiteral("F2TPR5NO.xml")] = dataPacket(columns("C3:r8 C4:r8"), rows({"2|0.5"}));
    files[QStringLiteral("SPRDOLJ.xml")] = dataPacket(
        columns("KODP:string:20 KODD:i4 FIO:string:150"), rows({"770123456701|1|Иванов И.И."}));

    const QString header = QStringLiteral("770123456701    ООО \"Заря\"    Данные за 2024 год");
    manifest =
        QStringList{QStringLiteral("Caption=") + header + QStringLiteral(" Форма 2-тп (воздух)"),
                    QStringLiteral("Label=") + header,
                    QStringLiteral("Code=35"),
                    QStringLiteral("Program=f2tp"),
                    QStringLiteral("Version=6.0.1"),
                    QStringLiteral("YEAR_=2024"),
                    QStringLiteral("REG=03221"),
                    QStringLiteral("KODP=770123456701")};
    const QStringList names = {QStringLiteral("b0002.xml"),    QStringLiteral("spisokkr.xml"),
                               QStringLiteral("F2TPR1.xml"),   QStringLiteral("F2TPR2.xml"),
                               QStringLiteral("F2TPR3.xml"),   QStringLiteral("F2TPR4.xml"),
                               QStringLiteral("F2TPR5.xml"),   QStringLiteral("F2TPR1NO.xml"),
                               QStringLiteral("F2TPR3NO.xml"), QStringLiteral("F2TPR5NO.xml"),
                               QStringLiteral("SPRDOLJ.xml")};
    for (int n = 1; n <= 11; ++n) {
        const QString rule = n == 1    ? QStringLiteral("1,KOD")
                             : n == 2  ? QStringLiteral("1,KODP,NGDU")
                             : n == 11 ? QStringLiteral("1,KODP,KODD")
                                       : QStringLiteral("2,KODP,YEAR_,REG");
        manifest << QStringLiteral("UPDATE%1=%2").arg(n).arg(rule);
    }
    for (int n = 1; n <= 11; ++n)
        manifest << QStringLiteral("Table%1=%2").arg(n).arg(names.at(n - 1));
    manifest << QStringLiteral("Tables=11");
}

void ExchangeSet::setEntry(const QString& key, const QString& value)
{
    for (QString& line : manifest) {
        if (line.startsWith(key + QLatin1Char('='), Qt::CaseInsensitive)) {
            line = key + QLatin1Char('=') + value;
            return;
        }
    }
    manifest << key + QLatin1Char('=') + value;
}

void ExchangeSet::listOnly(const std::vector<std::pair<QString, QString>>& tablesAndRules)
{
    manifest = manifest.mid(0, 8);
    int n = 0;
    for (const auto& [table, rule] : tablesAndRules) {
        ++n;
        manifest << QStringLiteral("UPDATE%1=").arg(n) + rule;
        manifest << QStringLiteral("Table%1=").arg(n) + table;
    }
    manifest << QStringLiteral("Tables=%1").arg(n);
}

void ExchangeSet::write() const
{
    for (const auto& [name, bytes] : files) {
        QFile f(folder() + name);
        if (f.open(QIODevice::WriteOnly))
            f.write(bytes);
    }
    QFile f(manifestPath());
    if (f.open(QIODevice::WriteOnly))
        f.write(Cp1251::encode(manifest.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n")));
}

QString ExchangeSet::packZlb(const QString& archiveName) const
{
    const QString path = m_archives.path() + QLatin1Char('/') + archiveName;
    QFile::remove(path);
    TZLBArchive archive;
    archive.CreateArchive(path);
    QStringList list;
    for (const auto& [name, bytes] : files)
        list << folder() + name;
    list << manifestPath();
    archive.AddFiles(list);
    archive.CloseArchive();
    return path;
}

QString ExchangeSet::packZip(const QString& archiveName) const
{
    const QString path = m_archives.path() + QLatin1Char('/') + archiveName;
    QFile::remove(path);
    QStringList args{QStringLiteral("-q"), QStringLiteral("-j"), path};
    for (const auto& [name, bytes] : files)
        args << folder() + name;
    args << manifestPath();
    QProcess zip;
    zip.start(QStringLiteral("zip"), args);
    if (!zip.waitForFinished(30000) || zip.exitCode() != 0)
        return QString();
    return path;
}

QString tableDump(const TozMemoryData& table)
{
    if (!table.active())
        return table.name() + QStringLiteral(" closed");
    QString text = table.name() + QStringLiteral(" changed=%1 at=%2 CanEdit=%3 CanInsert=%4\n")
                                      .arg(table.changed())
                                      .arg(table.recNo())
                                      .arg(table.CanEdit())
                                      .arg(table.CanInsert());
    for (int i = 0; i < table.recordCount(); ++i) {
        QStringList values;
        for (const QVariant& value : table.record(i).values())
            values << (value.isNull() ? QStringLiteral("null") : value.toString());
        text += values.join(QLatin1Char('|')) + QLatin1Char('\n');
    }
    return text;
}
