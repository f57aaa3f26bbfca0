#include "Report.h"

#include <QFileInfo>

#include "Cp1251.h"
#include "Errors.h"
#include "RepDSIntf.h"
#include "ReportSheet.h"
#include "TvxReader.h"

namespace {

IReportPresenter* g_presenter = nullptr;

} // namespace

void setReportPresenter(IReportPresenter* presenter)
{
    g_presenter = presenter;
}

IReportPresenter* reportPresenter()
{
    return g_presenter;
}

std::vector<TLaidPage> LayoutReport(const std::vector<TvxSheet>& sheets,
                                    const TReportVariables& variables)
{
    std::vector<TLaidPage> pages;
    for (const TvxSheet& sheet : sheets) {
        std::vector<TLaidPage> more = LayoutSheet(sheet, variables);
        std::move(more.begin(), more.end(), std::back_inserter(pages));
    }
    return pages;
}

TReport::TReport() = default;

TReport::~TReport() = default;

bool TReport::QueryInterface(const QUuid& iid, void** object)
{
    if (iid == IRepReport::iid()) {
        *object = static_cast<IRepReport*>(this);
        AddRef();
        return true;
    }
    *object = nullptr;
    return false;
}

long TReport::AddRef()
{
    return ++m_count;
}

long TReport::Release()
{
    const long count = --m_count;
    if (count == 0)
        delete this;
    return count;
}

void TReport::Prepare()
{
    m_pages = LayoutReport(m_sheets, m_variables);
    m_prepared = true;
}

void TReport::LoadTemplate(const QString& path, int mode)
{
    Q_UNUSED(mode)
    TvxTemplate loaded = ReadTvxFile(path);
    m_templateName = QFileInfo(path).completeBaseName();
    m_sheets = std::move(loaded.sheets);
    while (m_sheetObjects.size() < m_sheets.size())
        m_sheetObjects.push_back(std::make_unique<TReportSheet>(*this, int(m_sheetObjects.size())));
    changed();
}

void TReport::GetSheet(int index, IRepSheet** sheet)
{
    *sheet = nullptr;
    if (index < 0 || index >= int(m_sheets.size()))
        return;
    *sheet = m_sheetObjects[std::size_t(index)].get();
    (*sheet)->AddRef();
}

TvxSheet& TReport::sheet(int index)
{
    if (index < 0 || index >= int(m_sheets.size()))
        throw F2tpError(QStringLiteral("Нет листа ") + QString::number(index));
    return m_sheets[std::size_t(index)];
}

void TReport::SetVariable(const char* name, const char* value)
{
    m_variables[Cp1251::decode(QByteArray(name))] = Cp1251::decode(QByteArray(value));
    changed();
}

void TReport::ShowReport()
{
    if (!m_prepared)
        Prepare();
    if (!g_presenter)
        return;
    TPreparedReport report;
    report.title = m_sheets.empty() || m_sheets.front().name.isEmpty() ? m_templateName
                                                                       : m_sheets.front().name;
    report.sheets = m_sheets;
    report.variables = m_variables;
    report.pages = m_pages;
    g_presenter->present(report);
}

void TReport::AddDataSet(IRepDataSet* dataSet)
{
    m_dataSets.emplace_back(dataSet);
}
