#pragma once

#include <QString>

#include "ReportLayout.h"

struct lxw_worksheet;

// The sheet's footer in Excel's codes: its alignment's section, its font and
// size, the text with the variables filled in, {PAGE} and {PAGES} as &P and
// &N, a literal "&" doubled. Empty when the sheet has no footer.
QString XlsxFooter(const TvxPage& page, const TReportVariables& variables);

// Gives the worksheet the page setup's paper, orientation, margins, print
// scale and footer, and fits it to the paper's width (which the spreadsheet
// then uses in place of the scale). The footer stands in the bottom margin and
// the sheet's body ends above it, as in print. Fails with F2tpError (CheckXlsx).
void SetXlsxPageSetup(lxw_worksheet* worksheet, const TvxPage& page,
                      const TReportVariables& variables);
