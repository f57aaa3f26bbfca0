#include "FormTestSupport.h"

#include "CheckForm.h"
#include "FormatSettings.h"
#include "ObFunc.h"
#include "ozField.h"

void FormTest::SetUp()
{
    ModelTest::SetUp();
    load();
    fillCard();
    setNumber(1, 102, "C2", 10);
    setNumber(1, 102, "C3", 10);
    setNumber(2, 201, "C2", 10);
    setNumber(3, 301, "C4", 10);
    setNumber(5, 501, "C3", 10);
}

void FormTest::fillCard(const QStringList& emptyColumns)
{
    TozMemoryData& card = dm->PrTable();
    // Suspended controls skip the required-field check, so the name may stay empty.
    TControlsDisabler quiet(card);
    if (card.isEmpty())
        card.append();
    else
        card.edit();
    const std::pair<const char*, const char*> details[] = {
        {"KOD", "7701"}, {"PNAZ", "Завод"}, {"OKPO", "12345678"}, {"OKOH1", "20.11"},
        {"KFS", "16"},   {"KOPF", "12267"}, {"OKCM", "45286"},    {"ADR", "Москва"},
    };
    for (const auto& [column, text] : details) {
        const QString name = QString::fromLatin1(column);
        card.fieldByName(name).setAsString(emptyColumns.contains(name) ? QString()
                                                                       : QString::fromUtf8(text));
    }
    card.post();
}

void FormTest::setNumber(int sectionNumber, int row, const char* column, double value)
{
    enter(sectionNumber, row, column, FloatToText(value, FormatSettings::decimalSeparator()));
}

QString FormTest::checkMessage()
{
    try {
        CheckForm(*dm);
    } catch (const T2tpException& e) {
        return e.message();
    }
    return QString();
}

QStringList FormTest::warnings() const
{
    QStringList result;
    for (const QString& call : ui->calls)
        if (call.startsWith(QStringLiteral("warning: ")))
            result.append(call.mid(9));
    return result;
}

QStringList FormTest::waitCalls() const
{
    QStringList result;
    for (const QString& call : ui->calls)
        if (call.startsWith(QStringLiteral("wait")))
            result.append(call);
    return result;
}
