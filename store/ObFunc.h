#pragma once

#include <functional>
#include <optional>

#include <QChar>
#include <QString>
#include <QVariant>
#include <QtGlobal>

#include "ozDataSet.h"

// Value rounded to Digits decimals (Digits <= 0: to an integer), halves to the
// even neighbour. The product is taken in long double; a product that lies on
// a half within the error of the double input counts as a half, so 0.0125 at
// three digits gives 0.012 as its decimal text says.
double RoundDecimals(double value, qint16 digits);

// The generic record search behind Locate: ends a pending edit, tests the
// current record, else walks the visible records from the first with
// first/next under suspended controls; returns to the remembered record when
// none matches. KeyValues is one value per key field (QVariantList) or one
// value for every field. Unknown field names fail as fieldByName does.
bool LocateRecord(TDataSet& dataSet, const QString& keyFields, const QVariant& keyValues,
                  TLocateOptions options);

// Shows Text in the modal error box captioned "Ошибка" (through IUserInterface).
void ShowErrorBox(const QString& text);

// The float text form: shortest general form with at most 15 significant
// digits; fixed notation for 0 and magnitudes from 0.00001 with at most 15
// integer digits, else scientific ("1E-6", "2,5E20"); no trailing zeros.
QString FloatToText(double value, QChar decimalSeparator);

// FloatToText written at out, which has room for FloatTextCapacity characters;
// returns the end. No allocation: the data packet writer formats every number so.
inline constexpr int FloatTextCapacity = 32;
char* FloatToChars(double value, char decimalSeparator, char* out);

// Parses optional blanks, optional sign, digits with the separator and an
// optional exponent ("E" or "e", optional sign, digits), optional trailing
// blanks. Empty or anything else: nullopt.
std::optional<double> TextToFloat(const QString& text, QChar decimalSeparator);

// Parses optional leading blanks, optional sign, then decimal digits or a
// hexadecimal number after "$", "x" or "0x". Anything else or a value
// outside 64 bits: nullopt.
std::optional<qint64> TextToInteger(const QString& text);

// Formats Value with a numeric pattern of "0", "#", "." and ",": the number of
// "0"/"#" after "." gives the decimals (halves away from zero), "0"s the
// digits always shown, "," before "." groups thousands. Used with "0.000" and
// "0.0" by the program. An empty pattern gives FloatToText.
QString FormatFloat(const QString& pattern, double value, QChar decimalSeparator);

// The incremental search of a grid column: compares the field's edit text
// with Text (upper-cased when loCaseInsensitive; a prefix with loPartialKey,
// else the whole text; empty texts never match), record by record in the
// direction. FromStart begins at the first (forward) or last record; Next
// steps once before comparing and never compares the current record (at that
// end, nothing is left to compare). Bound controls are
// suspended and AfterScroll is held back during the search; on a match the
// record stays current and AfterScroll fires once, otherwise the cursor
// returns. No field: false, nothing moves.
bool LocateFieldText(TDataSet& dataSet, TField* field, const QString& text, TLocateOptions options,
                     bool forward, bool next, bool fromStart);

// The search of the search dialog over several fields: a record matches when
// the edit text of any listed field contains Text (loPartialKey) or equals it,
// upper-cased with loCaseInsensitive. Without FromCurrent the scan starts at
// the first (forward) or last record; with it, one step away from the current
// record. Otherwise as LocateFieldText.
bool FindInFields(TDataSet& dataSet, const QList<TField*>& fields, const QString& text,
                  TLocateOptions options, bool forward, bool fromCurrent);

// Picks one of several matches, given in data set order; an empty bookmark
// means the user chose none.
using TChooseMatchEvent = std::function<TBookmark(const QList<TBookmark>& matches)>;

// Every record from the first that matches as in FindInFields. None: false,
// the cursor returns. One: it becomes current. Several: Choose picks one; it
// runs while controls are still suspended and may move the cursor. No choice
// returns the cursor and throws EAbort. AfterScroll fires once on success.
bool FindAllMatches(TDataSet& dataSet, const QList<TField*>& fields, TLocateOptions options,
                    const QString& text, const TChooseMatchEvent& choose);
