#pragma once

#include <memory>
#include <vector>

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

// A scratch program folder with a "data" folder, removed with the object. By
// default the small test classifiers (row templates and pollutants) are copied
// into it; the program's own built data files and templates on request.
class ProgramFolder
{
public:
    explicit ProgramFolder(bool withTestClassifiers = true);
    // A folder with the classifier files the program ships: TEMPLR.xml,
    // KLZAV.xml, klreg.xml and klobl.xml.
    static std::unique_ptr<ProgramFolder> withProgramData();

    // The folder exists and every file asked for so far was copied.
    bool valid() const { return m_dir.isValid() && m_complete; }
    QString path() const { return m_dir.path() + QLatin1Char('/'); }
    QString dataFile(const QString& name) const { return path() + QStringLiteral("data/") + name; }
    QString file(const QString& relative) const { return path() + relative; }

    // Writes the file into "data"; throws std::runtime_error when it cannot.
    void writeData(const QString& name, const QByteArray& bytes) const;
    QByteArray readData(const QString& name) const;
    bool hasData(const QString& name) const;

    // Copies data files as the program ships them (TEMPLR.xml, KLZAV.xml,
    // klreg.xml, klobl.xml, ...) from the build into "data".
    void copyProgramData(const QStringList& names);
    // Copies a template into "шаблоны": a shipped one, or one from the folder.
    void copyTemplate(const QString& name, const QString& fromFolder = QString());

private:
    void copy(const QString& source, const QString& target);

    QTemporaryDir m_dir;
    bool m_complete = true;
};

// A data packet file as the program writes it, from columns "NAME:type[:width]"
// and rows of attribute texts (already escaped), in Windows-1251.
QByteArray dataPacket(const QStringList& columns, const std::vector<QStringList>& rows);

// The attribute names of the FIELD elements of a data packet, in file order.
QStringList packetColumns(const QByteArray& packet);

// Writes small territory classifiers into the folder: subjects 03 "Республика
// Бурятия" and 04 "Республика Алтай"; in 03 the district 03221 "Закаменский"
// with its city 03221501000 "Закаменск", the city 0300401000000 "Улан-Удэ"
// listed with the districts, and the district 03224 "Кабанский".
void writeTerritories(const ProgramFolder& folder);
