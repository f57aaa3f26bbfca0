#pragma once

#include <QString>

class QTextStream;
class TozMemoryData;

// A value on one line of tab-separated output: tab, line feed, carriage
// return and backslash become \t, \n, \r and \\.
QString cliEscaped(const QString& text);

// The table as tab-separated text: the column names, then one line per row
// with the texts the program shows. Moves the table's cursor.
void cliPrintTable(TozMemoryData& table, QTextStream& out);

// The absolute path of an existing program folder; fails with
// "No such program folder: DIR".
QString cliProgramFolder(const QString& dir);
