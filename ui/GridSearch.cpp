#include "GridSearch.h"

#include "CursorGuard.h"
#include "DBLocateGrid.h"
#include "Find.h"
#include "ManyFind.h"
#include "ObFunc.h"

QList<TField*> VisibleColumnFields(const TDBLocateGrid& grid)
{
    QList<TField*> fields;
    for (int c = 0; c < grid.columnsCount(); ++c)
        if (TField* field = grid.dataModel()->columnField(c); field && !grid.isColumnHidden(c))
            fields.append(field);
    return fields;
}

bool GridFind(TDBLocateGrid& grid, TField* searchField, const TFindRequest& request)
{
    TDataSet* table = grid.dataSet();
    if (!table || !table->active())
        return false;
    const TLocateOptions options =
        request.caseSensitive ? TLocateOptions(TLocateOption::loPartialKey)
                              : (TLocateOption::loCaseInsensitive | TLocateOption::loPartialKey);
    QList<TField*> fields = VisibleColumnFields(grid);
    if (!request.allFields)
        fields = searchField ? QList<TField*>{searchField} : QList<TField*>();
    if (!request.allRecords)
        return FindInFields(*table, fields, request.text, options, request.forward,
                            request.fromCurrent);
    return FindAllMatches(*table, fields, options, request.text,
                          [&grid](const QList<TBookmark>& matches) {
                              // The user picks with the normal cursor, whatever the search shows.
                              const TCursorGuard normal(Qt::ArrowCursor);
                              TManyFindForm results(grid.window(), matches, grid);
                              if (results.exec() != QDialog::Accepted)
                                  return TBookmark();
                              return results.chosenBookmark();
                          });
}
