#pragma once

#include "ReportLayout.h"

class TXlsxFormats;
struct lxw_worksheet;

// Writes a filled sheet as the worksheet, as print shows it: the printed rows
// one after another (model rows left out) with the heights their texts grew
// them to, the columns' widths, every cell's text with the variables filled
// in (a number as a number), merged cells for the spans, each edge's border
// resolved as in print, the page setup, the page-break rows as manual breaks
// and the first run of repeated rows as print titles. Fails with F2tpError.
void WriteXlsxSheet(lxw_worksheet* worksheet, TXlsxFormats& formats, const TvxSheet& sheet,
                    const TReportVariables& variables);
