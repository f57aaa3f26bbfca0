#include "PrintJobTestSupport.h"

#include <QDir>
#include <QFile>

#include "Cp1251.h"
#include "RepProcExt.h"

void VariableRecorder::SetVariable(const char* name, const char* value)
{
    set.emplace_back(Cp1251::decode(QByteArray(name)), Cp1251::decode(QByteArray(value)));
}

QStringList VariableRecorder::names() const
{
    QStringList result;
    for (const auto& [name, value] : set)
        result.append(name);
    return result;
}

QString VariableRecorder::value(const QString& name) const
{
    QString result;
    for (const auto& [setName, value] : set)
        if (setName == name)
            result = value.isNull() ? QStringLiteral("") : value;
    return result;
}

int VariableRecorder::count(const QString& name) const
{
    return int(names().count(name));
}

void PrintJobTest::SetUp()
{
    FormTest::SetUp();
    QDir(folder->path()).mkdir(QStringLiteral("шаблоны"));
    for (const char* name : {"2TPV.TVX", "2TPVst.TVX", "2TP441.TVX"}) {
        const QString file = QString::fromLatin1(name);
        ASSERT_TRUE(QFile::copy(QStringLiteral(F2TP_PRINT_TEST_DATA "/") + file,
                                folder->path() + QStringLiteral("шаблоны/") + file));
    }
    LoadReportEngine();
    jobs = std::make_unique<TPrintJobs>(*dm);
}

void PrintJobTest::TearDown()
{
    jobs.reset();
    FormTest::TearDown();
}

void PrintJobTest::addPollutant(int row, int code, double amount)
{
    TozMemoryData& table = dm->R2Table();
    TControlsDisabler quiet(table);
    table.append();
    table.fieldByName(QStringLiteral("CA")).setAsInteger(row);
    table.fieldByName(QStringLiteral("C1")).setAsInteger(code);
    if (amount != 0)
        table.fieldByName(QStringLiteral("C2")).setAsFloat(amount);
    table.post();
}

void PrintJobTest::addOtherPollutants(int count)
{
    for (int i = 0; i < count; ++i)
        addPollutant(204 + i, 1001 + i, i + 1);
}

VariableRecorder PrintJobTest::fill()
{
    VariableRecorder recorder;
    jobs->FillReportVariables(recorder);
    return recorder;
}

const TvxSheet& PrintJobTest::shownSheet() const
{
    return presenter.reports.back().sheets.at(0);
}

QStringList PrintJobTest::sheetRow(int row) const
{
    QStringList texts;
    for (const TvxCell& cell : shownSheet().rows.at(std::size_t(row - 1)).cells)
        texts.append(cell.text);
    return texts;
}

void PrintJobTest::saveAll()
{
    logic->SaveSections();
    dm->PrTable().SaveIfModified();
}
