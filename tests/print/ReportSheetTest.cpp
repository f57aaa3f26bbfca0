// The report object and its sheet as the program drives them: row copies,
// the row height and page break, variables across template loads, reference
// counting, and the engine switch.
#include <gtest/gtest.h>

#include <QTemporaryDir>

#include "Cp1251.h"
#include "Errors.h"
#include "PrintTestSupport.h"
#include "RepProcExt.h"
#include "Report.h"
#include "ReportIntf.h"

namespace {

class ReportSheetTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        LoadReportEngine();
        QFile file(m_dir.filePath(QStringLiteral("шаблон.tvx")));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(tvx(QStringLiteral(
            "<sheet name=\"Лист\"><columns><column/><column/></columns>"
            "<row><cell>Заголовок {ORG}</cell></row>"
            "<row model=\"yes\" height=\"7.5\"><cell>модель</cell><cell>2</cell></row>"
            "<row><cell>Итог</cell></row></sheet>")));
        file.close();
        CreateReportIntf(report.put(), 0);
        ASSERT_TRUE(report);
        report->SetVariable("ORG", Cp1251::encode(QStringLiteral("Завод")).constData());
        report->LoadTemplate(file.fileName(), -1);
        report->GetSheet(0, sheet.put());
        ASSERT_TRUE(sheet);
    }

    QString text(int column, int row)
    {
        return Cp1251::decode(QByteArray(sheet->GetCellText(column, row)));
    }

    TReport& engine() { return *static_cast<TReport*>(report.get()); }

    QTemporaryDir m_dir;
    TRepRef<IRepReport> report;
    TRepRef<IRepSheet> sheet;
};

} // namespace

TEST_F(ReportSheetTest, CopyRowAppendsOrInsertsAndReturnsTheNewRow)
{
    EXPECT_EQ(sheet->CopyRow(-1, 2), 4);
    EXPECT_EQ(text(1, 4), QStringLiteral("модель"));
    EXPECT_EQ(text(1, -1), QStringLiteral("модель"));
    // Inserted at row 2, the copy pushes the model row down to 3.
    EXPECT_EQ(sheet->CopyRow(2, 2), 2);
    EXPECT_EQ(text(1, 2), QStringLiteral("модель"));
    EXPECT_EQ(text(1, 3), QStringLiteral("модель"));
    EXPECT_EQ(text(1, 4), QStringLiteral("Итог"));
    const auto& rows = engine().sheets()[0].rows;
    ASSERT_EQ(rows.size(), 5u);
    // Copies are printed even when their source is a model row.
    EXPECT_FALSE(rows[1].model);
    EXPECT_TRUE(rows[2].model);
    EXPECT_FALSE(rows[4].model);
    EXPECT_EQ(rows[4].height, 7.5);
}

TEST_F(ReportSheetTest, CellsRowValuesAndFlags)
{
    sheet->SetCellText(2, 3, Cp1251::encode(QStringLiteral("итого 5,5")).constData());
    EXPECT_EQ(text(2, 3), QStringLiteral("итого 5,5"));
    EXPECT_EQ(sheet->GetRowValue(2), 750);
    sheet->SetRowValue(-1, 1234);
    EXPECT_EQ(sheet->GetRowValue(3), 1234);
    sheet->SetRowFlag(1, true);
    EXPECT_TRUE(engine().sheets()[0].rows[0].pageBreak);
    const std::function<void()> bad[] = {
        [&] { sheet->GetCellText(1, 4); }, [&] { sheet->GetCellText(3, 1); },
        [&] { sheet->CopyRow(5, 1); },     [&] { sheet->CopyRow(1, 0); },
        [&] { sheet->SetRowValue(1, 0); },
    };
    for (const auto& call : bad)
        EXPECT_THROW(call(), F2tpError);
}

TEST_F(ReportSheetTest, VariablesSetBeforeLoadingStayAndFillCells)
{
    report->Prepare();
    const std::vector<TLaidPage>& pages = engine().pages();
    ASSERT_EQ(pages.size(), 1u);
    EXPECT_EQ(pageTexts(pages[0]),
              (QStringList{QStringLiteral("Заголовок Завод"), QStringLiteral("Итог")}));
    // The sheet keeps the variable's name; only the printed page shows the value.
    EXPECT_EQ(text(1, 1), QStringLiteral("Заголовок {ORG}"));
}

TEST_F(ReportSheetTest, ShowReportPresentsThePreparedPages)
{
    RecordingPresenter presenter;
    sheet->CopyRow(-1, 2);
    report->ShowReport();
    ASSERT_EQ(presenter.reports.size(), 1u);
    EXPECT_EQ(presenter.reports[0].title, QStringLiteral("Лист"));
    EXPECT_EQ(pageTexts(presenter.reports[0].pages[0]).size(), 4);
}

TEST_F(ReportSheetTest, SheetReferenceKeepsTheReportAlive)
{
    // The caller's reference and the sheet's: releasing the report first
    // leaves the sheet usable.
    IRepSheet* raw = sheet.get();
    raw->AddRef();
    report.reset();
    sheet.reset();
    EXPECT_EQ(Cp1251::decode(QByteArray(raw->GetCellText(1, 3))), QStringLiteral("Итог"));
    void* asReport = nullptr;
    EXPECT_TRUE(raw->QueryInterface(IRepReport::iid(), &asReport));
    static_cast<IRepReport*>(asReport)->Release();
    EXPECT_EQ(raw->Release(), 0);
}

TEST(ReportEngineTest, WithoutEngineNoReportIsCreated)
{
    UnloadReportEngine();
    EXPECT_FALSE(ReportEngineLoaded());
    IRepReport* report = reinterpret_cast<IRepReport*>(1);
    CreateReportIntf(&report, 0);
    EXPECT_EQ(report, nullptr);
    LoadReportEngine();
    EXPECT_TRUE(ReportEngineLoaded());
    CreateReportIntf(&report, 0);
    ASSERT_NE(report, nullptr);
    void* other = nullptr;
    EXPECT_FALSE(report->QueryInterface(IRepSheet::iid(), &other));
    EXPECT_EQ(other, nullptr);
    EXPECT_EQ(report->Release(), 0);
}
