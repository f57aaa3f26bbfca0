// The control protocol read back from the engine's sheet: its blocks and
// headings, the values and relations, the marks, the missing details in
// their order; and the callers' handling of a failed check.
#include <QDir>
#include <QFile>

#include "CheckForm.h"
#include "ControlProtocol.h"
#include "FormTestSupport.h"
#include "FormatSettings.h"
#include "PrintTestSupport.h"
#include "RepProcExt.h"
#include "ozField.h"

namespace {

// The printed rows after the template's own five, as "c1|c2|c3|c4|c5".
QStringList protocolRows(const TPreparedReport& report, int from = 6)
{
    QStringList rows;
    const auto& sheetRows = report.sheets.at(0).rows;
    for (std::size_t r = std::size_t(from - 1); r < sheetRows.size(); ++r) {
        QStringList cells;
        for (const TvxCell& cell : sheetRows[r].cells)
            cells.append(cell.text);
        rows.append(cells.join(QLatin1Char('|')));
    }
    return rows;
}

QString heading(const char* text)
{
    return QString::fromUtf8(text) + QStringLiteral("||||");
}

QString values(const char* left, const char* relation, const char* right, bool violated = false)
{
    return QStringLiteral("|") + QString::fromUtf8(left) + QLatin1Char('|') +
           QString::fromUtf8(relation) + QLatin1Char('|') + QString::fromUtf8(right) +
           QLatin1Char('|') + (violated ? QStringLiteral("Условие не выполняется") : QString());
}

class ControlProtocolTest : public FormTest
{
protected:
    void SetUp() override
    {
        FormTest::SetUp();
        QDir(folder->path()).mkdir(QStringLiteral("шаблоны"));
        QFile::copy(QStringLiteral(F2TP_TEMPLATES "/Contr2TPV.tvx"),
                    folder->path() + QStringLiteral("шаблоны/Contr2TPV.tvx"));
        LoadReportEngine();
    }

    const TPreparedReport& protocol()
    {
        ShowControlProtocol(*dm);
        EXPECT_EQ(presenter.reports.size(), 1u);
        return presenter.reports.back();
    }

    RecordingPresenter presenter;
};

} // namespace

TEST_F(ControlProtocolTest, ConsistentFormShowsEveryBlockUnmarked)
{
    const TPreparedReport& report = protocol();
    EXPECT_TRUE(ui->errors.isEmpty());
    EXPECT_EQ(protocolRows(report),
              (QStringList{
                  heading("Если на предприятии все источники организованные"),
                  heading("Графа 2 строка 101 раздел 1 = Графа 3 строка 101 раздел 1"),
                  values("10", "=", "10"),
                  heading("Графа 1 строка 301 раздел 3 = Графа 2 строка 301 раздел 3"),
                  values("0", "=", "0"),
                  heading("Графа 7 строка 101 раздел 1 = Графа 4 строка 301 раздел 3"),
                  values("10", "=", "10"),
                  heading("Графа 7 сумма строк 102,107,108,109 раздел 1 = Сумме всех строк "
                          "графы 2 раздела 2"),
                  values("10", "=", "10"),
                  heading("Графа 7 строка 102 раздел 1 = Суммы граф 3,4 строки 501 раздела 5"),
                  values("10", "=", "10"),
                  heading("Графа 7 строка 104 раздел 1 = Суммы граф 3,4 строки 502 раздела 5"),
                  values("0", "=", "0"),
                  heading("Графа 7 строка 105 раздел 1 = Суммы граф 3,4 строки 503 раздела 5"),
                  values("0", "=", "0"),
                  heading("Графа 7 строка 106 раздел 1 = Суммы граф 3,4 строки 504 раздела 5"),
                  values("0", "=", "0"),
                  heading("Графа 7 сумма строк 107,108 раздел 1 >= Суммы графы 3,4 строки 505 "
                          "раздела 5"),
                  values("0", ">=", "0"),
                  heading("Графа 7 сумма строк 107,108 раздел 1 >= Графа 2 строка 203 раздела 2"),
                  values("0", ">=", "0"),
              }));
    // Built under the wait message, with the sections' controls resumed.
    EXPECT_EQ(waitCalls(), (QStringList{QStringLiteral("wait: Подождите, идет обработка данных..."),
                                        QStringLiteral("wait hidden")}));
    for (int s = 1; s <= 5; ++s)
        EXPECT_FALSE(dm->sectionTable(s).controlsDisabled());
    EXPECT_GE(report.pages.size(), 1u);
}

TEST_F(ControlProtocolTest, ViolatedRulesAreMarkedWithoutTolerance)
{
    FormatSettings::setDecimalSeparator(QLatin1Char(','));
    setNumber(1, 102, "C3", 0);
    setNumber(2, 201, "C2", 9.999);
    setNumber(3, 301, "C4", 10.5);
    setNumber(5, 504, "C3", 1.25);
    setNumber(5, 505, "C4", 0.001);
    setNumber(2, 203, "C2", 2);
    const QStringList rows = protocolRows(protocol());
    ASSERT_EQ(rows.size(), 21);
    // Block 1 shows the edit texts, "-" for an empty column 3.
    EXPECT_EQ(rows[2], values("10", "=", "-", true));
    EXPECT_EQ(rows[6], values("10", "=", "10,5", true));
    // Within the check's tolerance, but the protocol marks every difference.
    EXPECT_EQ(rows[8], values("10", "=", "11,999", true));
    EXPECT_EQ(rows[10], values("10", "=", "10"));
    EXPECT_EQ(rows[16], values("0", "=", "1,25", true));
    EXPECT_EQ(rows[18], values("0", ">=", "0,001", true));
    EXPECT_EQ(rows[20], values("0", ">=", "2", true));
}

TEST_F(ControlProtocolTest, AdvisoryFindingsFollowTheRulesUnderTheirOwnHeading)
{
    FormatSettings::setDecimalSeparator(QLatin1Char(','));
    setNumber(3, 301, "C1", 5);
    setNumber(3, 301, "C2", 4);
    setNumber(1, 104, "C2", 3);
    setNumber(1, 104, "C3", 3.001);
    setNumber(5, 502, "C3", 3);
    setNumber(3, 301, "C4", 13);
    setNumber(5, 503, "C4", -0.5);
    go(1, 105);
    const QStringList rows = protocolRows(protocol());
    ASSERT_EQ(rows.size(), 16 + 9);
    // The ten blocks as always (rule 7 marked by the negative amount), then the advisory block.
    EXPECT_EQ(rows[9], values("0", "=", "-0,5", true));
    EXPECT_EQ(rows.mid(16),
              (QStringList{
                  heading("Соотношения граф и отрицательные значения (предупреждения, не "
                          "препятствуют печати и выгрузке)"),
                  heading("Графа 3 строка 101 раздел 1 <= Графа 2 строка 101 раздел 1"),
                  values("13,001", "<=", "13", true),
                  heading("Графа 3 строка 103 раздел 1 <= Графа 2 строка 103 раздел 1"),
                  values("3,001", "<=", "3", true),
                  heading("Графа 3 строка 104 раздел 1 <= Графа 2 строка 104 раздел 1"),
                  values("3,001", "<=", "3", true),
                  heading("Графа 4 строка 503 раздел 5 >= 0"),
                  values("-0,5", ">=", "0", true),
              }));
    // Reading them left the current rows where the ten rules did.
    EXPECT_EQ(dm->R1Table().fieldByName(QStringLiteral("CA")).asInteger(), 108);
}

TEST_F(ControlProtocolTest, BlocksOneAndTwoOnlyWhenAllSourcesAreOrganised)
{
    setNumber(3, 301, "C1", 5);
    setNumber(3, 301, "C2", 4);
    const QStringList rows = protocolRows(protocol());
    ASSERT_EQ(rows.size(), 16);
    EXPECT_EQ(rows[0], heading("Графа 7 строка 101 раздел 1 = Графа 4 строка 301 раздел 3"));
}

TEST_F(ControlProtocolTest, MissingDetailsStandNearTheTopLatestFirst)
{
    fillCard({QStringLiteral("OKPO"), QStringLiteral("KFS"), QStringLiteral("KOPF"),
              QStringLiteral("OKCM"), QStringLiteral("OKOH1"), QStringLiteral("ADR"),
              QStringLiteral("PNAZ")});
    const TPreparedReport& report = protocol();
    const QStringList rows = protocolRows(report, 3);
    const QString k = QStringLiteral("K");
    const QStringList expected{
        QStringLiteral("Не заполнено наименование предприятия"),
        QStringLiteral("Не заполнен адрес предприятия"),
        QStringLiteral("Не заполнен код О") + k + QStringLiteral("ВЭД"),
        QStringLiteral("Не заполнен код О") + k + QStringLiteral("АТО"),
        QStringLiteral("Не заполнен код О") + k + QStringLiteral("ОПФ"),
        QStringLiteral("Не заполнен код ОКФС"),
        QStringLiteral("Не заполнен код ОКПО"),
    };
    for (int i = 0; i < expected.size(); ++i)
        EXPECT_EQ(rows[i], expected[i] + QStringLiteral("||||")) << i;
    // All Cyrillic in the protocol, unlike the check's message.
    EXPECT_FALSE(expected.last().contains(k));
    // The model rows follow, then the column captions; the title stays first.
    EXPECT_TRUE(report.sheets[0].rows[9].model);
    EXPECT_EQ(report.sheets[0].rows[0].cells[0].text,
              QStringLiteral("Протокол контроля формы №2-тп (воздух)"));
    // On the page the details follow the title directly.
    const QStringList texts = pageTexts(report.pages.at(0));
    EXPECT_EQ(texts.at(1), expected[0]);
}

TEST_F(ControlProtocolTest, WithoutEngineOnlyTheSectionsAreSaved)
{
    UnloadReportEngine();
    setNumber(3, 301, "C4", 3);
    ShowControlProtocol(*dm);
    EXPECT_TRUE(presenter.reports.empty());
    EXPECT_TRUE(waitCalls().isEmpty());
    EXPECT_FALSE(dm->R3Table().changed());
    EXPECT_TRUE(folder->hasData(QStringLiteral("F2TPR3.xml")));
}

TEST_F(ControlProtocolTest, BuildErrorIsShownAndTheReportStillPresented)
{
    QFile::remove(folder->path() + QStringLiteral("шаблоны/Contr2TPV.tvx"));
    ShowControlProtocol(*dm);
    ASSERT_EQ(ui->errors.size(), 1);
    EXPECT_TRUE(ui->errors[0].startsWith(QStringLiteral("Не удается открыть шаблон ")));
    EXPECT_EQ(presenter.reports.size(), 1u);
    EXPECT_EQ(waitCalls().last(), QStringLiteral("wait hidden"));
}

TEST_F(ControlProtocolTest, FailedCheckWarnsThenShowsTheProtocol)
{
    EXPECT_TRUE(CheckFormOrShowProtocol(*dm));
    EXPECT_TRUE(presenter.reports.empty());
    setNumber(3, 301, "C4", 3);
    EXPECT_FALSE(CheckFormOrShowProtocol(*dm));
    EXPECT_EQ(warnings(),
              QStringList{QStringLiteral("Ошибка заполнения формы: Графа 7 строка 101 раздел 1 <> "
                                         "Графа 4 строка 301 раздел 3")});
    EXPECT_EQ(presenter.reports.size(), 1u);
}
