#pragma once

#include <QString>

#include "ProgramFolders.h"

class QTextStream;
class TozMemoryData;

// A value on one line of tab-separated output: tab, line feed, carriage
// return and backslash become \t, \n, \r and \\.
QString cliEscaped(const QString& text);

// The table as tab-separated text: the column names, then one line per row
// with the texts the program shows. Moves the table's cursor.
void cliPrintTable(TozMemoryData& table, QTextStream& out);

// The folders f2tp-cli works on. dir empty: the report of the desktop program
// of the same user, with the program's resources. Otherwise dir is the report
// folder, taking its classifiers and templates from there when it holds them
// and from the program's resources when not; a folder that does not exist
// fails with "No such program folder: DIR".
TProgramFolders cliReportFolders(const QString& dir);
