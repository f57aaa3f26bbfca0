#pragma once

#include <QList>

class TDBLocateGrid;
class TField;
struct TFindRequest;

// The fields of the grid's visible columns that have one, in column order.
QList<TField*> VisibleColumnFields(const TDBLocateGrid& grid);

// The grid's search behind its search dialog: a part of the text, with or
// without regard to case, in the visible columns' fields (AllFields) or in
// SearchField alone. AllRecords collects every match from the first record and
// lets the user pick one of several in the results window (its cancel throws
// EAbort); otherwise the next match in the direction. Returns whether the
// grid's data set moved to a match.
bool GridFind(TDBLocateGrid& grid, TField* searchField, const TFindRequest& request);
