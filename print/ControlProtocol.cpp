#include "ControlProtocol.h"

#include <optional>

#include "CheckForm.h"
#include "Cp1251.h"
#include "FormatSettings.h"
#include "MDM.h"
#include "ObFunc.h"
#include "RepProcExt.h"
#include "ReportFiles.h"
#include "ReportIntf.h"
#include "UserInterface.h"
#include "ozField.h"

namespace {

// The template's model rows: a rule's values, a missing detail, a heading.
constexpr int kValueRow = 2;
constexpr int kDetailRow = 3;
constexpr int kHeadingRow = 4;

const QString kViolated = QStringLiteral("Условие не выполняется");

QString number(double value)
{
    return FloatToText(value, FormatSettings::decimalSeparator());
}

class ProtocolSheet
{
public:
    explicit ProtocolSheet(IRepSheet& sheet)
        : m_sheet(sheet)
    {
    }

    void heading(const QString& text)
    {
        const int row = m_sheet.CopyRow(-1, kHeadingRow);
        set(1, row, text);
    }

    void values(const QString& left, const QString& relation, const QString& right, bool violated)
    {
        const int row = m_sheet.CopyRow(-1, kValueRow);
        set(2, row, left);
        set(3, row, relation);
        set(4, row, right);
        if (violated)
            set(5, row, kViolated);
    }

    void values(const TRuleValues& v, bool violated)
    {
        values(number(v.left), QStringLiteral("="), number(v.right), violated);
    }

    // Each missing detail goes to row 3, above the ones inserted before it.
    void missingDetail(const QString& message)
    {
        const int row = m_sheet.CopyRow(kDetailRow, kDetailRow);
        set(1, row, message);
    }

private:
    void set(int column, int row, const QString& text)
    {
        m_sheet.SetCellText(column, row, Cp1251::encode(text).constData());
    }

    IRepSheet& m_sheet;
};

QString latinK(const char* before, const char* after)
{
    return QString::fromUtf8(before) + QLatin1Char('K') + QString::fromUtf8(after);
}

void addRuleBlocks(TDM& dm, ProtocolSheet& sheet)
{
    TFormRules rules(dm);
    if (rules.AllSourcesOrganised()) {
        sheet.heading(QStringLiteral("Если на предприятии все источники организованные"));
        sheet.heading(QStringLiteral("Графа 2 строка 101 раздел 1 = Графа 3 строка 101 раздел 1"));
        TozMemoryData& r1 = dm.R1Table();
        r1.first();
        const TField& c2 = r1.fieldByName(QStringLiteral("C2"));
        const TField& c3 = r1.fieldByName(QStringLiteral("C3"));
        const auto rounded = [](const TField& f) {
            return RoundDecimals(f.isNull() ? 0 : f.asFloat(), 3);
        };
        const bool violated = !r1.eof() && rounded(c2) != rounded(c3);
        sheet.values(r1.eof() ? QString() : c2.editText(), QStringLiteral("="),
                     r1.eof() ? QString() : c3.editText(), violated);
        sheet.heading(QStringLiteral("Графа 1 строка 301 раздел 3 = Графа 2 строка 301 раздел 3"));
        const TRuleValues row301 = rules.Row301Columns1And2();
        sheet.values(row301, !row301.equal());
    }
    sheet.heading(QStringLiteral("Графа 7 строка 101 раздел 1 = Графа 4 строка 301 раздел 3"));
    const TRuleValues rule3 = rules.Rule3();
    sheet.values(rule3, !rule3.equal());
    sheet.heading(QStringLiteral(
        "Графа 7 сумма строк 102,107,108,109 раздел 1 = Сумме всех строк графы 2 раздела 2"));
    const TRuleValues rule4 = rules.Rule4();
    sheet.values(rule4, !rule4.equal());
    const std::pair<int, int> section5Rows[] = {{102, 501}, {104, 502}, {105, 503}, {106, 504}};
    for (const auto& [row1, row5] : section5Rows) {
        sheet.heading(QStringLiteral("Графа 7 строка ") + QString::number(row1) +
                      QStringLiteral(" раздел 1 = Суммы граф 3,4 строки ") + QString::number(row5) +
                      QStringLiteral(" раздела 5"));
        const TRuleValues values = rules.Section5Rule(row1, row5);
        sheet.values(values, !values.equal());
    }
    sheet.heading(QStringLiteral(
        "Графа 7 сумма строк 107,108 раздел 1 >= Суммы графы 3,4 строки 505 раздела 5"));
    const TRuleValues rule9 = rules.Rule9();
    sheet.values(number(rule9.left), QStringLiteral(">="), number(rule9.right),
                 rule9.left < rule9.right);
    sheet.heading(
        QStringLiteral("Графа 7 сумма строк 107,108 раздел 1 >= Графа 2 строка 203 раздела 2"));
    const TRuleValues rule10 = rules.Rule10();
    sheet.values(number(rule10.left), QStringLiteral(">="), number(rule10.right),
                 rule10.left < rule10.right);
}

// The protocol's own list of the card's details: another order than the
// check's, and ОКПО spelt all Cyrillic.
void addMissingDetails(TDM& dm, ProtocolSheet& sheet)
{
    const std::pair<const char*, QString> details[] = {
        {"OKPO", QStringLiteral("Не заполнен код ОКПО")},
        {"KFS", QStringLiteral("Не заполнен код ОКФС")},
        {"KOPF", latinK("Не заполнен код О", "ОПФ")},
        {"OKCM", latinK("Не заполнен код О", "АТО")},
        {"OKOH1", latinK("Не заполнен код О", "ВЭД")},
        {"ADR", QStringLiteral("Не заполнен адрес предприятия")},
        {"PNAZ", QStringLiteral("Не заполнено наименование предприятия")},
    };
    TozMemoryData& card = dm.PrTable();
    if (!card.active())
        card.open();
    for (const auto& [column, message] : details)
        if (card.fieldByName(QString::fromLatin1(column)).asString().isEmpty())
            sheet.missingDetail(message);
}

void buildProtocol(TDM& dm, IRepReport& report)
{
    AddReportDataSet(report, dm.R1Table(), 0, false);
    const QString path = dm.TemplateDir() + QStringLiteral("Contr2TPV.tvx");
    report.LoadTemplate(Cp1251::encode(path).constData(), -1);
    TRepRef<IRepSheet> sheet;
    report.GetSheet(0, sheet.put());
    if (!sheet)
        throw F2tpError(QStringLiteral("В шаблоне ") + path + QStringLiteral(" нет листа"));
    ProtocolSheet protocol(*sheet.get());
    addRuleBlocks(dm, protocol);
    addMissingDetails(dm, protocol);
    sheet->Refresh();
    report.Prepare();
}

} // namespace

void ShowControlProtocol(TDM& dm)
{
    SaveReportSections(dm);
    if (!ReportEngineLoaded())
        return;
    TRepRef<IRepReport> report;
    CreateReportIntf(report.put(), 0);
    if (!report)
        return;
    {
        WaitMessageGuard wait(WaitMessageText());
        TControlsDisabler r1(dm.R1Table()), r2(dm.R2Table()), r3(dm.R3Table()), r4(dm.R4Table()),
            r5(dm.R5Table());
        try {
            buildProtocol(dm, *report.get());
        } catch (const EAbort&) {
        } catch (const F2tpError& e) {
            ShowErrorBox(e.message());
        } catch (const std::exception& e) {
            ShowErrorBox(QString::fromUtf8(e.what()));
        }
    }
    report->ShowReport();
}

bool CheckFormOrShowProtocol(TDM& dm)
{
    try {
        CheckForm(dm);
        return true;
    } catch (const T2tpException& e) {
        userInterface().showWarning(QStringLiteral("Ошибка заполнения формы"), e.message());
    }
    ShowControlProtocol(dm);
    return false;
}
