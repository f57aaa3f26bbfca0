#pragma once

#include <QByteArray>

#include "ReportIntf.h"

class TReport;
struct TvxRow;

// A sheet of a TReport as IRepSheet. It lives as long as its report and
// counts references on the report's count.
class TReportSheet final : public IRepSheet
{
public:
    TReportSheet(TReport& report, int index);
    ~TReportSheet() override = default;
    Q_DISABLE_COPY_MOVE(TReportSheet)

    bool QueryInterface(const QUuid& iid, void** object) override;
    long AddRef() override;
    long Release() override;

    const char* GetCellText(int column, int row) override;
    void SetCellText(int column, int row, const char* text) override;
    int CopyRow(int destination, int source) override;
    int GetRowValue(int row) override;
    void SetRowValue(int row, int value) override;
    void SetRowFlag(int row, bool flag) override;
    void Refresh() override;

private:
    // The row of the number (-1: the last); fails with F2tpError "Нет строки N".
    TvxRow& row(int number);
    int rowIndex(int number);

    TReport& m_report;
    int m_index;
    QByteArray m_text;
};
