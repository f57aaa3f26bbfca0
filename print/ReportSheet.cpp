#include "ReportSheet.h"

#include "Cp1251.h"
#include "Errors.h"
#include "Report.h"

TReportSheet::TReportSheet(TReport& report, int index)
    : m_report(report)
    , m_index(index)
{
}

bool TReportSheet::QueryInterface(const QUuid& iid, void** object)
{
    if (iid == IRepSheet::iid()) {
        *object = static_cast<IRepSheet*>(this);
        AddRef();
        return true;
    }
    return m_report.QueryInterface(iid, object);
}

long TReportSheet::AddRef()
{
    return m_report.AddRef();
}

long TReportSheet::Release()
{
    return m_report.Release();
}

int TReportSheet::rowIndex(int number)
{
    const int count = int(m_report.sheet(m_index).rows.size());
    const int index = number == -1 ? count - 1 : number - 1;
    if (index < 0 || index >= count)
        throw F2tpError(QStringLiteral("Нет строки ") + QString::number(number));
    return index;
}

TvxRow& TReportSheet::row(int number)
{
    return m_report.sheet(m_index).rows[std::size_t(rowIndex(number))];
}

const char* TReportSheet::GetCellText(int column, int row)
{
    const TvxRow& r = this->row(row);
    if (column < 1 || column > int(r.cells.size()))
        throw F2tpError(QStringLiteral("Нет столбца ") + QString::number(column));
    m_text = Cp1251::encode(r.cells[std::size_t(column - 1)].text);
    return m_text.constData();
}

void TReportSheet::SetCellText(int column, int row, const char* text)
{
    TvxRow& r = this->row(row);
    if (column < 1 || column > int(r.cells.size()))
        throw F2tpError(QStringLiteral("Нет столбца ") + QString::number(column));
    r.cells[std::size_t(column - 1)].text = Cp1251::decode(QByteArray(text));
    m_report.changed();
}

int TReportSheet::CopyRow(int destination, int source)
{
    TvxSheet& sheet = m_report.sheet(m_index);
    TvxRow copy = row(source);
    copy.model = false;
    const int count = int(sheet.rows.size());
    int at = destination == -1 ? count + 1 : destination;
    if (at < 1 || at > count + 1)
        throw F2tpError(QStringLiteral("Нет строки ") + QString::number(destination));
    sheet.rows.insert(sheet.rows.begin() + (at - 1), std::move(copy));
    m_report.changed();
    return at;
}

int TReportSheet::GetRowValue(int row)
{
    return int(std::lround(this->row(row).height * kLayoutUnitsPerMm));
}

void TReportSheet::SetRowValue(int row, int value)
{
    if (value <= 0)
        throw F2tpError(QStringLiteral("Неверная высота строки: ") + QString::number(value));
    this->row(row).height = value / double(kLayoutUnitsPerMm);
    m_report.changed();
}

void TReportSheet::SetRowFlag(int row, bool flag)
{
    this->row(row).pageBreak = flag;
    m_report.changed();
}

void TReportSheet::Refresh()
{
    m_report.changed();
}
