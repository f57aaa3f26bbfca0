#pragma once

#include <QString>

#include "ozDataSet.h"

class TField;

// Kept in its own namespace so that it can stand beside the record store's
// own helpers without a clash of names.
namespace GridLocate {

// The search behind every incremental locate step: walks the data set from
// the current record (or from its first/last with fromStart; one step further
// first with next) until the field's edit text equals Text, or begins with it
// under loPartialKey; loCaseInsensitive compares upper-cased texts (Cyrillic
// too). Empty texts never match. Bound controls are suspended and AfterScroll
// is detached while it searches; on a match the record stays current and
// AfterScroll fires once afterwards, otherwise the previous record is current
// again. Without a field it returns false and touches nothing. Errors of the
// data set's navigation pass through, with controls and AfterScroll restored.
bool LocateFieldText(TDataSet& dataSet, TField* field, const QString& text, TLocateOptions options,
                     bool forward, bool next, bool fromStart);

} // namespace GridLocate
