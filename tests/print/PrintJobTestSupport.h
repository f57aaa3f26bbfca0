#pragma once

#include <memory>
#include <utility>
#include <vector>

#include "FormTestSupport.h"
#include "PrintJobs.h"
#include "PrintTestSupport.h"
#include "ReportIntf.h"

// Stands in for the engine's report object: records the variables in the
// order they are set.
class VariableRecorder final : public IRepReport
{
public:
    bool QueryInterface(const QUuid&, void**) override { return false; }
    long AddRef() override { return 1; }
    long Release() override { return 1; }
    void Prepare() override {}
    void LoadTemplate(const QString&, int) override {}
    void GetSheet(int, IRepSheet** sheet) override { *sheet = nullptr; }
    void SetVariable(const char* name, const char* value) override;
    void ShowReport() override {}
    void AddDataSet(IRepDataSet*) override {}

    QStringList names() const;
    // The last value set for the name; null when it was never set.
    QString value(const QString& name) const;
    int count(const QString& name) const;

    std::vector<std::pair<QString, QString>> set;
};

// A passing report in a program folder with the test templates of the three
// variants, the report engine loaded and the shown reports recorded.
class PrintJobTest : public FormTest
{
protected:
    void SetUp() override;
    void TearDown() override;

    // Appends a section 2 row as a file read would: no row rules run.
    void addPollutant(int row, int code, double amount = 0);
    // Pollutants 1001, 1002, ... in rows 204 onward.
    void addOtherPollutants(int count);
    // The variables FillReportVariables sets, recorded.
    VariableRecorder fill();
    // The texts of a sheet row of the last shown report (1-based), by column.
    QStringList sheetRow(int row) const;
    const TvxSheet& shownSheet() const;
    void saveAll();

    std::unique_ptr<TPrintJobs> jobs;
    RecordingPresenter presenter;
};
