#pragma once

#include <QByteArray>
#include <QJsonObject>
#include <QString>
#include <QStringList>

#include "Report.h"
#include "TvxTemplate.h"

// A template from a sheet body (columns and rows) in UTF-8, wrapped in the
// document element with a declaration of Windows-1251 and encoded so.
QByteArray tvx(const QString& body);
TvxTemplate readTvxText(const QString& body);

// The text of every laid-out line on the page, in painting order.
QStringList pageTexts(const TLaidPage& page);

// Keeps every report ShowReport presents.
class RecordingPresenter final : public IReportPresenter
{
public:
    RecordingPresenter();
    ~RecordingPresenter() override;
    void present(const TPreparedReport& report) override { reports.push_back(report); }

    std::vector<TPreparedReport> reports;
};

// Runs a program and gives its standard output; empty when it cannot run.
QString runTool(const QString& program, const QStringList& arguments);

// Whether workbooks can be read back: a python3 with openpyxl was found.
bool canReadXlsx();
// What the workbook holds as openpyxl reads it (tests/print/xlsx_dump.py);
// empty, with a test failure, when it cannot be read.
QJsonObject readXlsx(const QString& fileName);
