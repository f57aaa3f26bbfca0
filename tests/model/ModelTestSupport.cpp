#include "ModelTestSupport.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>

#include "Cp1251.h"
#include "FormatSettings.h"
#include "MDM.h"
#include "ReportSections.h"
#include "ozField.h"

void ModelTest::SetUp()
{
    FormatSettings::setDecimalSeparator(QLatin1Char('.'));
    folder = std::make_unique<ProgramFolder>();
    ui = std::make_unique<RecordingUserInterface>();
}

void ModelTest::TearDown()
{
    logic.reset();
    dm.reset();
    ui.reset();
}

void ModelTest::load()
{
    logic.reset();
    dm.reset();
    dm = std::make_unique<TDM>(folder->path());
    logic = std::make_unique<TReportSections>(*dm);
    logic->ReadSettings();
    logic->LoadSections();
}

TozMemoryData& ModelTest::section(int number)
{
    return dm->sectionTable(number);
}

void ModelTest::go(int sectionNumber, int row)
{
    ASSERT_TRUE(section(sectionNumber).locate(QStringLiteral("CA"), row)) << "row " << row;
}

void ModelTest::enter(int sectionNumber, int row, const char* column, const QString& text)
{
    go(sectionNumber, row);
    TozMemoryData& table = section(sectionNumber);
    table.edit();
    table.fieldByName(QString::fromLatin1(column)).setText(text);
    if (table.state() == TDataSetState::dsEdit || table.state() == TDataSetState::dsInsert)
        table.post();
}

double ModelTest::value(int sectionNumber, int row, const char* column)
{
    go(sectionNumber, row);
    return section(sectionNumber).fieldByName(QString::fromLatin1(column)).asFloat();
}

bool ModelTest::isNull(int sectionNumber, int row, const char* column)
{
    go(sectionNumber, row);
    return section(sectionNumber).fieldByName(QString::fromLatin1(column)).isNull();
}

QString ModelTest::shown(int sectionNumber, int row, const char* column)
{
    go(sectionNumber, row);
    return section(sectionNumber).fieldByName(QString::fromLatin1(column)).displayText();
}

std::vector<int> ModelTest::rows(int sectionNumber)
{
    std::vector<int> result;
    TozMemoryData& table = section(sectionNumber);
    table.first();
    while (!table.eof()) {
        result.push_back(table.fieldByName(QStringLiteral("CA")).asInteger());
        table.next();
    }
    return result;
}

std::vector<int> ModelTest::offered()
{
    std::vector<int> result;
    TozMemoryData& list = dm->SprKlzav();
    list.first();
    while (!list.eof()) {
        result.push_back(list.fieldByName(QStringLiteral("KDZV")).asInteger());
        list.next();
    }
    return result;
}
