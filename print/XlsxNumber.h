#pragma once

#include <optional>

#include <QString>

// A cell text that a workbook stores as a number, with the decimals it shows.
struct TXlsxNumber
{
    double value = 0;
    int decimals = 0;
};

// The number a cell's whole text is in the program's text form: an optional
// minus, digits without a leading zero and, after "." or the locale's decimal
// separator, more digits. Anything else stays text: codes with leading zeros
// ("0012"), more than 15 significant digits (a double would change them),
// blanks, signs or exponents.
std::optional<TXlsxNumber> XlsxNumberOf(const QString& text);
