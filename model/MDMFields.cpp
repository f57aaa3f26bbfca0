// Computed columns, the text values show and the parsing of typed values.
#include "MDM.h"

#include <limits>

#include "Errors.h"
#include "FormatSettings.h"
#include "ObFunc.h"
#include "SectionLayout.h"
#include "ozField.h"

namespace {

const QString kDash = QStringLiteral("-");
// The mark of a cell without a norm in section 1: four blanks, a Latin X, four blanks.
const QString kNoNorm = QStringLiteral("    X    ");

// Leading and trailing characters up to the blank, control characters included.
QString trimBlanks(const QString& text)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && text.at(begin).unicode() <= 32)
        ++begin;
    while (end > begin && text.at(end - 1).unicode() <= 32)
        --end;
    return text.mid(begin, end - begin);
}

// A typed decimal number with the user's decimal separator.
double readTypedFloat(const QString& text)
{
    const std::optional<double> value = TextToFloat(text, FormatSettings::decimalSeparator());
    if (!value)
        throw EDatabaseError(QStringLiteral("'%1' is not a valid floating point value").arg(text));
    return *value;
}

} // namespace

void TDM::setContextKeys(TDataSet& dataSet)
{
    dataSet.fieldByName(QStringLiteral("KODP")).setAsString(m_currentKodp);
    dataSet.fieldByName(QStringLiteral("REG")).setAsString(m_currentReg);
    // The key column holds a 16-bit year; a year outside it (only a hand-edited
    // settings file gives one) leaves the column empty instead of failing every read.
    TField& year = dataSet.fieldByName(QStringLiteral("YEAR_"));
    if (m_currentYear >= std::numeric_limits<qint16>::min() &&
        m_currentYear <= std::numeric_limits<qint16>::max())
        year.setAsInteger(m_currentYear);
}

void TDM::R1TableCalcFields(TDataSet& dataSet)
{
    const double c2 = dataSet.fieldByName(QStringLiteral("C2")).asFloat();
    const double c4 = dataSet.fieldByName(QStringLiteral("C4")).asFloat();
    const double c5 = dataSet.fieldByName(QStringLiteral("C5")).asFloat();
    dataSet.fieldByName(QStringLiteral("C7")).setAsFloat(RoundDecimals(c2 + (c4 - c5), 3));
    setContextKeys(dataSet);
}

void TDM::R2TableCalcFields(TDataSet& dataSet)
{
    setContextKeys(dataSet);
}

void TDM::spisokkrCalcFields(TDataSet& dataSet)
{
    dataSet.fieldByName(QStringLiteral("KODP")).setAsString(m_currentKodp);
}

void TDM::PrTableCalcFields(TDataSet& dataSet)
{
    const QString owner = trimBlanks(dataSet.fieldByName(QStringLiteral("NGDU1")).asString()) +
                          trimBlanks(dataSet.fieldByName(QStringLiteral("NGDU2")).asString());
    dataSet.fieldByName(QStringLiteral("OWNERID")).setAsString(owner);
    dataSet.fieldByName(QStringLiteral("SNAZ"))
        .setAsString(dataSet.fieldByName(QStringLiteral("PNAZ")).asString().left(50));
}

void TDM::sprdoljCalcFields(TDataSet& dataSet)
{
    dataSet.fieldByName(QStringLiteral("KODP")).setAsString(m_currentKodp);
    dataSet.fieldByName(QStringLiteral("KODD")).setAsInteger(1);
    dataSet.fieldByName(QStringLiteral("FIO"))
        .setAsString(m_prTable.fieldByName(QStringLiteral("FIOR")).asString());
}

void TDM::R1TableC2GetText(TField& sender, QString& text, bool displayText)
{
    Q_UNUSED(displayText)
    text = sender.asFloat() != 0 ? sender.asString() : kDash;
}

void TDM::R1TableC9GetText(TField& sender, QString& text, bool displayText)
{
    const int row = sender.dataSet().fieldByName(QStringLiteral("CA")).asInteger();
    using namespace SectionLayout;
    if ((row >= R1Total && row < R1FirstNormed) || (row > R1LastNormed && row <= R1LastRow))
        text = kNoNorm;
    else
        R1TableC2GetText(sender, text, displayText);
}

void TDM::R2TableC2GetText(TField& sender, QString& text, bool displayText)
{
    Q_UNUSED(displayText)
    text = sender.asFloat() != 0 ? sender.asString() : QString();
}

void TDM::R1TableC2SetText(TField& sender, const QString& text)
{
    if (text.isEmpty()) {
        sender.clear();
    } else {
        const double value = RoundDecimals(readTypedFloat(text), 3);
        CheckSection1Value(sender, value, text);
        sender.setAsFloat(value);
    }
    UpdateSection1Totals(sender);
}

void TDM::R3TableC1SetText(TField& sender, const QString& text)
{
    sender.setAsString(text);
}

void TDM::R4TableC5SetText(TField& sender, const QString& text)
{
    // Reductions are stored as negative numbers; an empty entry stores 0.
    double value = text.isEmpty() ? 0.0 : readTypedFloat(text);
    if (value > 0)
        value = -value;
    // "-0" typed stores a plain 0, so the file never holds a negative zero.
    sender.setAsFloat(value == 0 ? 0.0 : value);
}

void TDM::B0002INNSetText(TField& sender, const QString& text)
{
    sender.setAsString(trimBlanks(text));
}
