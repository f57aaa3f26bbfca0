#include "XlsxNumber.h"

#include <QLocale>

#include "FormatSettings.h"

namespace {

constexpr int kMaxDigits = 15;

bool isDigit(QChar ch)
{
    return ch >= QLatin1Char('0') && ch <= QLatin1Char('9');
}

bool isSeparator(QChar ch)
{
    return ch == QLatin1Char('.') || ch == FormatSettings::decimalSeparator();
}

} // namespace

std::optional<TXlsxNumber> XlsxNumberOf(const QString& text)
{
    const bool negative = text.startsWith(QLatin1Char('-'));
    qsizetype i = negative ? 1 : 0;
    const qsizetype intStart = i;
    while (i < text.size() && isDigit(text.at(i)))
        ++i;
    const QString whole = text.mid(intStart, i - intStart);
    if (whole.isEmpty() || (whole.size() > 1 && whole.startsWith(QLatin1Char('0'))))
        return std::nullopt;
    QString fraction;
    if (i < text.size() && isSeparator(text.at(i))) {
        const qsizetype fracStart = ++i;
        while (i < text.size() && isDigit(text.at(i)))
            ++i;
        fraction = text.mid(fracStart, i - fracStart);
        if (fraction.isEmpty())
            return std::nullopt;
    }
    if (i != text.size())
        return std::nullopt;
    QString significant = whole + fraction;
    while (significant.size() > 1 && significant.startsWith(QLatin1Char('0')))
        significant.remove(0, 1);
    if (significant.size() > kMaxDigits)
        return std::nullopt;
    // The C locale reads "." whatever the user's locale is.
    const QString canonical = (negative ? QStringLiteral("-") : QString()) + whole +
                              (fraction.isEmpty() ? QString() : QLatin1Char('.') + fraction);
    bool ok = false;
    const double value = QLocale::c().toDouble(canonical, &ok);
    if (!ok)
        return std::nullopt;
    // "-0" is written as 0.
    return TXlsxNumber{value + 0.0, int(fraction.size())};
}
