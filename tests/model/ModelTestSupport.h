#pragma once

#include <memory>
#include <vector>

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "MDM.h"
#include "ReportSections.h"
#include "ScriptedUserInterface.h"
#include "UserInterface.h"

// A scratch program folder with a "data" folder; by default the test
// classifiers (row templates and pollutants) are copied into it.
class ProgramFolder
{
public:
    explicit ProgramFolder(bool withClassifiers = true);

    QString path() const { return m_dir.path() + QLatin1Char('/'); }
    QString dataFile(const QString& name) const { return path() + QStringLiteral("data/") + name; }
    void writeData(const QString& name, const QByteArray& bytes) const;
    QByteArray readData(const QString& name) const;
    bool hasData(const QString& name) const;

private:
    QTemporaryDir m_dir;
};

// Remembers what the program would have shown in its error boxes.
using RecordingUserInterface = TScriptedUserInterface;

// A data packet file as the program writes it, from columns "NAME:type[:width]"
// and rows of attribute texts (already escaped), in Windows-1251.
QByteArray dataPacket(const QStringList& columns, const std::vector<QStringList>& rows);

// Writes small territory classifiers into the folder: subjects 03 "Республика
// Бурятия" and 04 "Республика Алтай"; in 03 the district 03221 "Закаменский"
// with its city 03221501000 "Закаменск", the city 0300401000000 "Улан-Удэ"
// listed with the districts, and the district 03224 "Кабанский".
void writeTerritories(const ProgramFolder& folder);

// The attribute names of the FIELD elements of a data packet, in file order.
QStringList packetColumns(const QByteArray& packet);

// A data module on a scratch program folder, with its section logic, after
// ReadSettings and LoadSections as the main window does at start.
class ModelTest : public ::testing::Test
{
protected:
    void SetUp() override;
    void TearDown() override;

    // Creates the data module and loads the sections (again, after a previous load).
    void load();

    TozMemoryData& section(int number);
    // Moves section's cursor to the row with CA = row; fails the test when missing.
    void go(int sectionNumber, int row);
    // Enters the text into the column of the row as the grid does: edit, enter, post.
    void enter(int sectionNumber, int row, const char* column, const QString& text);
    double value(int sectionNumber, int row, const char* column);
    bool isNull(int sectionNumber, int row, const char* column);
    QString shown(int sectionNumber, int row, const char* column);
    // The CA values of the section's rows in order.
    std::vector<int> rows(int sectionNumber);
    // The pollutant codes the pick list offers, in its order.
    std::vector<int> offered();

    std::unique_ptr<ProgramFolder> folder;
    std::unique_ptr<RecordingUserInterface> ui;
    std::unique_ptr<TDM> dm;
    std::unique_ptr<TReportSections> logic;
};
