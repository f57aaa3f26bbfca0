#include "ObFunc.h"

#include <cfloat>
#include <charconv>
#include <cmath>
#include <cstring>
#include <limits>

#include "Errors.h"
#include "UserInterface.h"
#include "ozLocateKeys.h"

namespace {

// Decimal digits and exponent of |value| rounded to `digits` significant
// digits: value = 0.d1d2d3... * 10^(exponent + 1).
struct Decimal
{
    QByteArray digits;
    int exponent = 0;
};

Decimal toDecimal(double value, int digits)
{
    // std::to_chars is exactly rounded and ignores the C library's locale, which
    // the application sets from the environment ("," under ru_RU).
    char buffer[64];
    const auto written = std::to_chars(buffer, buffer + sizeof buffer, std::fabs(value),
                                       std::chars_format::scientific, digits - 1);
    Decimal result;
    const char* p = buffer;
    for (; p != written.ptr && *p != 'e'; ++p)
        if (*p >= '0' && *p <= '9')
            result.digits.append(*p);
    if (p != written.ptr) {
        ++p;
        if (*p == '+')
            ++p;
        std::from_chars(p, written.ptr, result.exponent);
    }
    return result;
}

// Whether an out-of-range decimal text is too small rather than too large:
// the power of ten of its first significant digit is negative.
bool isUnderflow(const QByteArray& c)
{
    const qsizetype e = c.indexOf('e');
    const QByteArray mantissa = e < 0 ? c : c.left(e);
    long long exponent = 0;
    if (e >= 0) {
        const char* const digits = c.constData() + e + 1;
        if (std::from_chars(digits, c.constData() + c.size(), exponent).ec != std::errc())
            exponent = *digits == '-' ? -(1LL << 40) : 1LL << 40;
    }
    const qsizetype point = mantissa.indexOf('.');
    const QByteArray integer = point < 0 ? mantissa : mantissa.left(point);
    for (qsizetype i = 0; i < integer.size(); ++i)
        if (integer.at(i) >= '1' && integer.at(i) <= '9')
            return exponent + (integer.size() - i) <= 0;
    qsizetype zeros = 0;
    for (qsizetype i = point + 1; point >= 0 && i < mantissa.size() && mantissa.at(i) == '0'; ++i)
        ++zeros;
    return exponent - zeros <= 0;
}

// Text of the form [-]digits[.digits][e[-]digits] to a double, whatever the C
// library's locale. Underflow gives a signed zero; overflow nullopt.
std::optional<double> parseDecimal(const QByteArray& c)
{
    double result = 0;
    const char* const begin = c.constData();
    const char* const end = begin + c.size();
    const auto [ptr, error] = std::from_chars(begin, end, result);
    if (ptr != end)
        return std::nullopt;
    if (error == std::errc::result_out_of_range) {
        if (!isUnderflow(c))
            return std::nullopt;
        return c.startsWith('-') ? -0.0 : 0.0;
    }
    if (error != std::errc() || !std::isfinite(result))
        return std::nullopt;
    return result;
}

bool isBlank(QChar c)
{
    return c == QLatin1Char(' ');
}

bool isDigit(QChar c)
{
    return c >= QLatin1Char('0') && c <= QLatin1Char('9');
}

} // namespace

double RoundDecimals(double value, qint16 digits)
{
    long double factor = 1.0L;
    for (int i = 0; i < digits; ++i)
        factor *= 10.0L;
    const long double product = static_cast<long double>(value) * factor;
    if (!std::isfinite(product))
        return value;
    const long double below = std::floor(product);
    const long double fraction = product - below;
    long double rounded;
    // A product within the input's own representation error of a half is a half.
    const long double tolerance = std::fabs(product) * static_cast<long double>(DBL_EPSILON);
    if (std::fabs(fraction - 0.5L) <= tolerance)
        rounded = std::fmod(below, 2.0L) == 0.0L ? below : below + 1.0L;
    else
        rounded = std::nearbyint(product);
    return static_cast<double>(rounded / factor);
}

void ShowErrorBox(const QString& text)
{
    userInterface().showError(text);
}

namespace {

// The significant digits of |value| (no trailing zeros) rounded to 15, and the
// power of ten of the first. The shortest text that reads back as the value is
// that rounding whenever it has at most 15 digits: the double's own error is
// below half a unit of the 15th digit. Only longer ones need the exact rounding,
// and denormals, whose error is larger.
int significantDigits(double value, char* digits, int& exponent)
{
    char buffer[64];
    const double magnitude = std::fabs(value);
    // Above the largest fifteen-digit decimal below DBL_MAX the rounding would
    // leave the double range, and the text could not be read back: that decimal.
    constexpr double largestHeld = 1.79769313486231e308;
    if (magnitude > largestHeld) {
        std::memcpy(digits, "179769313486231", 15);
        exponent = 308;
        return 15;
    }
    auto written =
        std::to_chars(buffer, buffer + sizeof buffer, magnitude, std::chars_format::scientific);
    int count = 0;
    const char* p = buffer;
    for (; p != written.ptr && *p != 'e'; ++p)
        if (*p != '.')
            ++count;
    if (count > 15 || magnitude < DBL_MIN)
        written = std::to_chars(buffer, buffer + sizeof buffer, magnitude,
                                std::chars_format::scientific, 14);
    p = buffer;
    count = 0;
    for (; p != written.ptr && *p != 'e'; ++p)
        if (*p != '.')
            digits[count++] = *p;
    while (count > 1 && digits[count - 1] == '0')
        --count;
    ++p;
    const bool negative = *p == '-';
    if (*p == '-' || *p == '+')
        ++p;
    int e = 0;
    for (; p != written.ptr; ++p)
        e = e * 10 + (*p - '0');
    exponent = negative ? -e : e;
    return count;
}

char* copyChars(char* out, const char* from, int count)
{
    std::memcpy(out, from, std::size_t(count));
    return out + count;
}

char* fillZeros(char* out, int count)
{
    for (int i = 0; i < count; ++i)
        *out++ = '0';
    return out;
}

} // namespace

char* FloatToChars(double value, char decimalSeparator, char* out)
{
    if (std::isnan(value))
        return copyChars(out, "NAN", 3);
    if (std::isinf(value))
        return value < 0 ? copyChars(out, "-INF", 4) : copyChars(out, "INF", 3);
    if (value == 0.0) {
        *out = '0';
        return out + 1;
    }
    char digits[32];
    int exponent = 0;
    const int count = significantDigits(value, digits, exponent);
    if (value < 0)
        *out++ = '-';
    if (exponent >= 15 || exponent < -5) {
        *out++ = digits[0];
        if (count > 1) {
            *out++ = decimalSeparator;
            out = copyChars(out, digits + 1, count - 1);
        }
        *out++ = 'E';
        return std::to_chars(out, out + 8, exponent).ptr;
    }
    if (exponent >= 0) {
        const int intDigits = exponent + 1;
        if (count <= intDigits)
            return fillZeros(copyChars(out, digits, count), intDigits - count);
        out = copyChars(out, digits, intDigits);
        *out++ = decimalSeparator;
        return copyChars(out, digits + intDigits, count - intDigits);
    }
    *out++ = '0';
    *out++ = decimalSeparator;
    return copyChars(fillZeros(out, -exponent - 1), digits, count);
}

QString FloatToText(double value, QChar decimalSeparator)
{
    // Any separator other than "." or "," is written as one character and replaced.
    char buffer[FloatTextCapacity];
    const char marker =
        decimalSeparator.unicode() < 0x80 ? char(decimalSeparator.unicode()) : '\x01';
    const char* end = FloatToChars(value, marker, buffer);
    QString text = QString::fromLatin1(buffer, end - buffer);
    if (marker == '\x01')
        text.replace(QChar(u'\x01'), decimalSeparator);
    return text;
}

std::optional<double> TextToFloat(const QString& text, QChar decimalSeparator)
{
    qsizetype i = 0;
    const qsizetype n = text.size();
    while (i < n && isBlank(text.at(i)))
        ++i;
    QByteArray c;
    if (i < n && (text.at(i) == QLatin1Char('+') || text.at(i) == QLatin1Char('-'))) {
        if (text.at(i) == QLatin1Char('-'))
            c.append('-');
        ++i;
    }
    int mantissaDigits = 0;
    while (i < n && isDigit(text.at(i))) {
        c.append(char(text.at(i++).unicode()));
        ++mantissaDigits;
    }
    if (i < n && text.at(i) == decimalSeparator) {
        c.append('.');
        ++i;
        while (i < n && isDigit(text.at(i))) {
            c.append(char(text.at(i++).unicode()));
            ++mantissaDigits;
        }
    }
    if (mantissaDigits == 0)
        return std::nullopt;
    if (i < n && (text.at(i) == QLatin1Char('E') || text.at(i) == QLatin1Char('e'))) {
        c.append('e');
        ++i;
        if (i < n && (text.at(i) == QLatin1Char('+') || text.at(i) == QLatin1Char('-'))) {
            if (text.at(i) == QLatin1Char('-'))
                c.append('-');
            ++i;
        }
        int expDigits = 0;
        while (i < n && isDigit(text.at(i))) {
            c.append(char(text.at(i++).unicode()));
            ++expDigits;
        }
        if (expDigits == 0)
            return std::nullopt;
    }
    while (i < n && isBlank(text.at(i)))
        ++i;
    if (i != n)
        return std::nullopt;
    return parseDecimal(c);
}

std::optional<qint64> TextToInteger(const QString& text)
{
    qsizetype i = 0;
    const qsizetype n = text.size();
    while (i < n && isBlank(text.at(i)))
        ++i;
    bool negative = false;
    if (i < n && (text.at(i) == QLatin1Char('+') || text.at(i) == QLatin1Char('-')))
        negative = text.at(i++) == QLatin1Char('-');
    int base = 10;
    if (i < n && (text.at(i) == QLatin1Char('$') || text.at(i) == QLatin1Char('x') ||
                  text.at(i) == QLatin1Char('X'))) {
        base = 16;
        ++i;
    } else if (i + 1 < n && text.at(i) == QLatin1Char('0') &&
               (text.at(i + 1) == QLatin1Char('x') || text.at(i + 1) == QLatin1Char('X'))) {
        base = 16;
        i += 2;
    }
    if (i >= n)
        return std::nullopt;
    quint64 magnitude = 0;
    const quint64 limit = negative ? quint64(1) << 63 : (quint64(1) << 63) - 1;
    for (; i < n; ++i) {
        const int digit = QChar::isDigit(text.at(i).unicode()) && text.at(i).unicode() < 128
                              ? text.at(i).unicode() - '0'
                          : base == 16 && text.at(i).toLower() >= QLatin1Char('a') &&
                                  text.at(i).toLower() <= QLatin1Char('f')
                              ? text.at(i).toLower().unicode() - 'a' + 10
                              : -1;
        if (digit < 0)
            return std::nullopt;
        if (magnitude > (limit - quint64(digit)) / quint64(base))
            return std::nullopt;
        magnitude = magnitude * quint64(base) + quint64(digit);
    }
    if (negative)
        return magnitude == (quint64(1) << 63) ? std::numeric_limits<qint64>::min()
                                               : -qint64(magnitude);
    return qint64(magnitude);
}

QString FormatFloat(const QString& pattern, double value, QChar decimalSeparator)
{
    if (pattern.isEmpty())
        return FloatToText(value, decimalSeparator);
    if (!std::isfinite(value))
        return FloatToText(value, decimalSeparator);
    const qsizetype point = pattern.indexOf(QLatin1Char('.'));
    const QString intPart = point < 0 ? pattern : pattern.left(point);
    const QString fracPart = point < 0 ? QString() : pattern.mid(point + 1);
    const int minInt = int(intPart.count(QLatin1Char('0')));
    const bool grouping = intPart.contains(QLatin1Char(','));
    const int minFrac = int(fracPart.count(QLatin1Char('0')));
    const int maxFrac = minFrac + int(fracPart.count(QLatin1Char('#')));

    // 18 significant digits, then rounding of the decimal digits with halves
    // away from zero, as the decimal text of the value says.
    QByteArray digits;
    int intDigits = 0;
    if (value != 0.0) {
        const Decimal d = toDecimal(value, 18);
        digits = d.digits;
        intDigits = d.exponent + 1;
    }
    const int keep = intDigits + maxFrac;
    if (keep < 0) {
        digits.clear();
        intDigits = 0;
    } else if (keep < digits.size()) {
        const bool up = digits.at(keep) >= '5';
        digits.truncate(keep);
        if (up) {
            int k = keep - 1;
            while (k >= 0 && digits.at(k) == '9') {
                digits[k] = '0';
                --k;
            }
            if (k >= 0) {
                digits[k] = char(digits.at(k) + 1);
            } else {
                digits.prepend('1');
                ++intDigits;
            }
        }
    }
    // Integer and fraction digit strings.
    QString integer;
    QString fraction;
    for (int k = 0; k < intDigits; ++k)
        integer += QLatin1Char(k < digits.size() ? digits.at(k) : '0');
    for (int k = 0; k < maxFrac; ++k) {
        const int at = intDigits + k;
        fraction += QLatin1Char(at >= 0 && at < digits.size() ? digits.at(at) : '0');
    }
    while (fraction.size() > minFrac && fraction.endsWith(QLatin1Char('0')))
        fraction.chop(1);
    while (integer.size() > 1 && integer.startsWith(QLatin1Char('0')))
        integer.remove(0, 1);
    if (integer == QStringLiteral("0"))
        integer.clear();
    if (integer.size() < minInt)
        integer = QString(minInt - integer.size(), QLatin1Char('0')) + integer;
    if (grouping && integer.size() > 3) {
        QString grouped;
        for (qsizetype k = 0; k < integer.size(); ++k) {
            if (k > 0 && (integer.size() - k) % 3 == 0)
                grouped += QLatin1Char(' ');
            grouped += integer.at(k);
        }
        integer = grouped;
    }
    bool zero = true;
    for (const QChar c : std::as_const(integer))
        if (c != QLatin1Char('0') && c != QLatin1Char(' '))
            zero = false;
    for (const QChar c : std::as_const(fraction))
        if (c != QLatin1Char('0'))
            zero = false;
    QString result;
    if (value < 0 && !zero)
        result += QLatin1Char('-');
    result += integer;
    if (!fraction.isEmpty())
        result += decimalSeparator + fraction;
    if (result.isEmpty() || result == QStringLiteral("-"))
        result = QStringLiteral("0");
    return result;
}

bool LocateRecord(TDataSet& dataSet, const QString& keyFields, const QVariant& keyValues,
                  TLocateOptions options)
{
    dataSet.checkBrowseMode();
    if (dataSet.isEmpty())
        return false;
    const TLocateKeys keys(dataSet, keyFields, keyValues, options);
    const auto matches = [&] {
        return keys.matchesCurrent();
    };

    if (matches())
        return true;

    TControlsDisabler disabler(dataSet);
    const TBookmark remembered = dataSet.bookmark();
    bool found = false;
    dataSet.first();
    while (!dataSet.eof()) {
        if (matches()) {
            found = true;
            break;
        }
        dataSet.next();
    }
    if (!found && remembered && dataSet.bookmarkValid(remembered))
        dataSet.gotoBookmark(remembered);
    return found;
}

namespace {

// Holds back a table's AfterScroll handler and its bound controls for a scan.
class ScanGuard
{
public:
    explicit ScanGuard(TDataSet& dataSet)
        : m_dataSet(dataSet)
        , m_afterScroll(std::move(dataSet.AfterScroll))
    {
        m_dataSet.AfterScroll = nullptr;
        m_dataSet.disableControls();
    }
    ~ScanGuard()
    {
        m_dataSet.AfterScroll = std::move(m_afterScroll);
        m_dataSet.enableControls();
    }
    Q_DISABLE_COPY_MOVE(ScanGuard)

private:
    TDataSet& m_dataSet;
    TDataSet::TDataSetNotifyEvent m_afterScroll;
};

bool stepOnce(TDataSet& dataSet, bool forward)
{
    return dataSet.moveBy(forward ? 1 : -1) != 0;
}

bool atEnd(const TDataSet& dataSet, bool forward)
{
    return forward ? dataSet.eof() : dataSet.bof();
}

template <typename Matches>
bool scan(TDataSet& dataSet, bool forward, bool fromStart, bool stepFirst, Matches matches)
{
    bool found = false;
    {
        ScanGuard guard(dataSet);
        const TBookmark remembered = dataSet.bookmark();
        try {
            if (fromStart) {
                if (forward)
                    dataSet.first();
                else
                    dataSet.last();
            }
            // Stepping first never examines the current record: standing at
            // the end in that direction (after first() or last()), none is left.
            bool more = true;
            if (stepFirst)
                more = !atEnd(dataSet, forward) && stepOnce(dataSet, forward);
            while (more && !dataSet.isEmpty()) {
                if (matches()) {
                    found = true;
                    break;
                }
                more = stepOnce(dataSet, forward);
            }
            if (!found && remembered)
                dataSet.gotoBookmark(remembered);
        } catch (...) {
            if (remembered && dataSet.bookmarkValid(remembered))
                dataSet.gotoBookmark(remembered);
            throw;
        }
    }
    if (found && dataSet.AfterScroll)
        dataSet.AfterScroll(dataSet);
    return found;
}

} // namespace

bool LocateFieldText(TDataSet& dataSet, TField* field, const QString& text, TLocateOptions options,
                     bool forward, bool next, bool fromStart)
{
    if (!field)
        return false;
    const bool caseInsensitive = options.testFlag(TLocateOption::loCaseInsensitive);
    const bool partial = options.testFlag(TLocateOption::loPartialKey);
    const QString key = caseInsensitive ? text.toUpper() : text;
    return scan(dataSet, forward, fromStart, next, [&] {
        QString value = field->editText();
        if (caseInsensitive)
            value = value.toUpper();
        if (value.isEmpty() || key.isEmpty())
            return false;
        return partial ? value.startsWith(key) : value == key;
    });
}

namespace {

// The record test of the search dialog: any listed field whose edit text
// contains the text (loPartialKey) or equals it, both upper-cased with
// loCaseInsensitive; empty texts never match.
class FieldsMatch
{
public:
    FieldsMatch(const QList<TField*>& fields, const QString& text, TLocateOptions options)
        : m_fields(fields)
        , m_caseInsensitive(options.testFlag(TLocateOption::loCaseInsensitive))
        , m_partial(options.testFlag(TLocateOption::loPartialKey))
        , m_key(m_caseInsensitive ? text.toUpper() : text)
    {
    }

    bool operator()() const
    {
        if (m_key.isEmpty())
            return false;
        for (TField* field : m_fields) {
            QString value = field->editText();
            if (m_caseInsensitive)
                value = value.toUpper();
            if (!value.isEmpty() && (m_partial ? value.contains(m_key) : value == m_key))
                return true;
        }
        return false;
    }

private:
    const QList<TField*>& m_fields;
    bool m_caseInsensitive;
    bool m_partial;
    QString m_key;
};

void returnTo(TDataSet& dataSet, const TBookmark& remembered)
{
    if (remembered && dataSet.bookmarkValid(remembered))
        dataSet.gotoBookmark(remembered);
}

} // namespace

bool FindInFields(TDataSet& dataSet, const QList<TField*>& fields, const QString& text,
                  TLocateOptions options, bool forward, bool fromCurrent)
{
    return scan(dataSet, forward, !fromCurrent, fromCurrent, FieldsMatch(fields, text, options));
}

bool FindAllMatches(TDataSet& dataSet, const QList<TField*>& fields, TLocateOptions options,
                    const QString& text, const TChooseMatchEvent& choose)
{
    const FieldsMatch matches(fields, text, options);
    bool cancelled = false;
    TBookmark target;
    {
        ScanGuard guard(dataSet);
        const TBookmark remembered = dataSet.bookmark();
        try {
            QList<TBookmark> found;
            for (dataSet.first(); !dataSet.eof(); dataSet.next())
                if (matches())
                    found.append(dataSet.bookmark());
            if (found.size() == 1)
                target = found.front();
            else if (found.size() > 1)
                target = choose ? choose(found) : TBookmark();
            cancelled = found.size() > 1 && !target;
            if (target)
                dataSet.gotoBookmark(target);
            else
                returnTo(dataSet, remembered);
        } catch (...) {
            returnTo(dataSet, remembered);
            throw;
        }
    }
    if (cancelled)
        throw EAbort();
    if (target && dataSet.AfterScroll)
        dataSet.AfterScroll(dataSet);
    return bool(target);
}
