#pragma once

#include <atomic>
#include <memory>
#include <vector>

#include <QString>

#include "ReportIntf.h"
#include "ReportLayout.h"
#include "TvxTemplate.h"

// What a report shows: its sheets as filled, the variables, and the pages
// laid out from them. The preview may lay the sheets out again with another
// page setup.
struct TPreparedReport
{
    QString title;
    std::vector<TvxSheet> sheets;
    TReportVariables variables;
    std::vector<TLaidPage> pages;
};

// The pages of every sheet in order.
std::vector<TLaidPage> LayoutReport(const std::vector<TvxSheet>& sheets,
                                    const TReportVariables& variables);

// Where ShowReport sends the report: the desktop program's preview window,
// f2tp-cli's PDF file, a test's recorder. Without one ShowReport shows nothing.
class IReportPresenter
{
public:
    virtual ~IReportPresenter() = default;
    virtual void present(const TPreparedReport& report) = 0;
};

// Installs the presenter (not owned; must outlive its use); nullptr removes it.
void setReportPresenter(IReportPresenter* presenter);
IReportPresenter* reportPresenter();

class TReportSheet;

// The engine's report object. Created with no reference; the first AddRef
// comes from whoever receives it, the last Release destroys it. Its sheets
// share its count.
class TReport final : public IRepReport
{
public:
    TReport();
    Q_DISABLE_COPY_MOVE(TReport)

    bool QueryInterface(const QUuid& iid, void** object) override;
    long AddRef() override;
    long Release() override;

    void Prepare() override;
    void LoadTemplate(const QString& path, int mode) override;
    void GetSheet(int index, IRepSheet** sheet) override;
    void SetVariable(const char* name, const char* value) override;
    void ShowReport() override;
    void AddDataSet(IRepDataSet* dataSet) override;

    // The sheets and the variables as they stand, for the presenter and tests.
    const std::vector<TvxSheet>& sheets() const { return m_sheets; }
    TvxSheet& sheet(int index);
    const TReportVariables& variables() const { return m_variables; }
    const std::vector<TLaidPage>& pages() const { return m_pages; }
    void changed() { m_prepared = false; }

private:
    ~TReport() override;

    std::atomic<long> m_count{0};
    QString m_templateName;
    std::vector<TvxSheet> m_sheets;
    std::vector<std::unique_ptr<TReportSheet>> m_sheetObjects;
    TReportVariables m_variables;
    std::vector<TLaidPage> m_pages;
    bool m_prepared = false;
    std::vector<TRepRef<IRepDataSet>> m_dataSets;
};
