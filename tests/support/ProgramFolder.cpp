#include "ProgramFolder.h"

#include <stdexcept>

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QSaveFile>

#include "Cp1251.h"

ProgramFolder::ProgramFolder(bool withTestClassifiers)
{
    QDir(m_dir.path()).mkdir(QStringLiteral("data"));
    if (!withTestClassifiers)
        return;
    for (const char* name : {"TEMPLR.xml", "KLZAV.xml"}) {
        const QString file = QString::fromLatin1(name);
        copy(QStringLiteral(F2TP_SUPPORT_TEST_CLASSIFIERS "/") + file, dataFile(file));
    }
}

void ProgramFolder::writeData(const QString& name, const QByteArray& bytes) const
{
    QSaveFile f(dataFile(name));
    if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size() || !f.commit())
        throw std::runtime_error("cannot write " + dataFile(name).toStdString());
}

void ProgramFolder::copyProgramData(const QStringList& names)
{
    for (const QString& name : names)
        copy(QStringLiteral(F2TP_SUPPORT_PROGRAM_DATA "/") + name, dataFile(name));
}

std::unique_ptr<ProgramFolder> ProgramFolder::withProgramData()
{
    auto folder = std::make_unique<ProgramFolder>(false);
    folder->copyProgramData({QStringLiteral("TEMPLR.xml"), QStringLiteral("KLZAV.xml"),
                             QStringLiteral("klreg.xml"), QStringLiteral("klobl.xml")});
    return folder;
}

void ProgramFolder::copyTemplate(const QString& name, const QString& fromFolder)
{
    QDir(m_dir.path()).mkdir(QStringLiteral("шаблоны"));
    const QString source =
        fromFolder.isEmpty() ? QStringLiteral(F2TP_SUPPORT_TEMPLATES) : fromFolder;
    copy(source + QLatin1Char('/') + name, path() + QStringLiteral("шаблоны/") + name);
}

void ProgramFolder::copy(const QString& source, const QString& target)
{
    QFile::remove(target);
    if (!QFile::copy(source, target))
        m_complete = false;
}

QByteArray ProgramFolder::readData(const QString& name) const
{
    QFile f(dataFile(name));
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return f.readAll();
}

bool ProgramFolder::hasData(const QString& name) const
{
    return QFile::exists(dataFile(name));
}

QByteArray dataPacket(const QStringList& columns, const std::vector<QStringList>& rows)
{
    QString text = QStringLiteral("<?xml version=\"1.0\" encoding=\"windows-1251\" "
                                  "standalone=\"yes\"?><DATAPACKET Version=\"2.0\"><METADATA>"
                                  "<FIELDS>");
    QStringList names;
    for (const QString& column : columns) {
        const QStringList parts = column.split(QLatin1Char(':'));
        names.append(parts.at(0));
        text += QStringLiteral("<FIELD attrname=\"") + parts.at(0) +
                QStringLiteral("\" fieldtype=\"") + parts.at(1) + QLatin1Char('"');
        if (parts.size() > 2)
            text += QStringLiteral(" WIDTH=\"") + parts.at(2) + QLatin1Char('"');
        text += QStringLiteral("></FIELD>");
    }
    text += QStringLiteral("</FIELDS><PARAMS/></METADATA><ROWDATA>");
    for (const QStringList& row : rows) {
        text += QStringLiteral("<ROW");
        for (qsizetype i = 0; i < row.size() && i < names.size(); ++i) {
            if (!row.at(i).isEmpty())
                text += QLatin1Char(' ') + names.at(i) + QStringLiteral("=\"") + row.at(i) +
                        QLatin1Char('"');
        }
        text += QStringLiteral(" />");
    }
    text += QStringLiteral("</ROWDATA></DATAPACKET>");
    return Cp1251::encode(text);
}

void writeTerritories(const ProgramFolder& folder)
{
    folder.writeData(QStringLiteral("klobl.xml"),
                     dataPacket({QStringLiteral("KOBL:string:2"), QStringLiteral("NAME:string:30")},
                                {{QStringLiteral("04"), QStringLiteral("Республика Алтай")},
                                 {QStringLiteral("03"), QStringLiteral("Республика Бурятия")}}));
    folder.writeData(QStringLiteral("klreg.xml"),
                     dataPacket({QStringLiteral("KOD:string:18"), QStringLiteral("NAME:string:50"),
                                 QStringLiteral("TIP:i2"), QStringLiteral("OKATO:string:11")},
                                {{QStringLiteral("03221"), QStringLiteral("Закаменский"),
                                  QStringLiteral("4"), QStringLiteral("81221000000")},
                                 {QStringLiteral("03221501000"), QStringLiteral("Закаменск"),
                                  QStringLiteral("5"), QStringLiteral("81221501000")},
                                 {QStringLiteral("0300401000000"), QStringLiteral("Улан-Удэ"),
                                  QStringLiteral("7"), QStringLiteral("81401000000")},
                                 {QStringLiteral("03224"), QStringLiteral("Кабанский"),
                                  QStringLiteral("4"), QStringLiteral("81224000000")},
                                 {QStringLiteral("04201"), QStringLiteral("Майминский"),
                                  QStringLiteral("4"), QStringLiteral("84201000000")}}));
}

QStringList packetColumns(const QByteArray& packet)
{
    QStringList names;
    static const QRegularExpression field(QStringLiteral("<FIELD attrname=\"([^\"]*)\""));
    auto it = field.globalMatch(Cp1251::decode(packet));
    while (it.hasNext())
        names.append(it.next().captured(1));
    return names;
}
