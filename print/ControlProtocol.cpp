#include "ControlProtocol.h"

#include "CheckForm.h"
#include "Cp1251.h"
#include "FormatSettings.h"
#include "MDM.h"
#include "ObFunc.h"
#include "RepProcExt.h"
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

// A rule's value as the protocol shows it: the rounded number, or as the
// grid shows it ("-" for 0) where the rule says so.
QString valueText(const TFormRule& rule, double value)
{
    if (rule.gridTexts && value == 0)
        return QStringLiteral("-");
    return number(value);
}

void addRuleBlocks(TDM& dm, ProtocolSheet& sheet)
{
    TFormCheck check(dm);
    for (const TFormRule& rule : FormRules::Rules()) {
        if (rule.headings.isEmpty() || !check.Applies(rule))
            continue;
        for (const QString& heading : rule.headings)
            sheet.heading(heading);
        const TRuleValues values = check.Values(rule);
        sheet.values(valueText(rule, values.left), RelationText(rule.relation),
                     valueText(rule, values.right), TFormCheck::Violated(rule, values));
    }
}

// The advisory findings after the rules, under their own heading, only when
// there are any. Reading them leaves the sections' current rows as the rules
// left them.
void addAdvisoryBlocks(TDM& dm, ProtocolSheet& sheet)
{
    const QList<TFinding> findings = FindAdvisoryFindings(dm);
    if (findings.isEmpty())
        return;
    sheet.heading(FormRules::AdvisoryHeading());
    for (const TFinding& finding : findings) {
        sheet.heading(finding.heading);
        sheet.values(number(finding.values.left), RelationText(finding.relation),
                     number(finding.values.right), true);
    }
}

// Missing details in the protocol's order, each inserted above the ones before.
void addMissingDetails(TDM& dm, ProtocolSheet& sheet)
{
    TozMemoryData& card = dm.PrTable();
    if (!card.active())
        card.open();
    for (const TCardDetail& detail : FormRules::ProtocolCardDetails())
        if (card.fieldByName(detail.column).asString().isEmpty())
            sheet.missingDetail(detail.protocolMessage);
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
    addAdvisoryBlocks(dm, protocol);
    addMissingDetails(dm, protocol);
    sheet->Refresh();
    report.Prepare();
}

} // namespace

void ShowControlProtocol(TDM& dm)
{
    for (int section = 1; section <= 5; ++section)
        dm.sectionTable(section).SaveIfModified();
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
