#pragma once

#include <QString>

struct TPreparedReport;

// Writes the report's filled sheets as an Excel workbook, one worksheet per
// sheet as print shows it (see WriteXlsxSheet): the same cells, merges,
// borders, fonts, sizes and page setup, so that the form edited in Excel
// prints alike. A text that is wholly a number (with "." or the locale's
// decimal separator) is stored as a number shown with its decimals.
// Atomic: on failure ("Не удается записать файл <name>", with the reason
// when the workbook itself failed) the file is as it was and nothing is left
// behind. Needs a GUI application (texts are measured as print measures them).
void SaveReportAsXlsx(const TPreparedReport& report, const QString& fileName);
