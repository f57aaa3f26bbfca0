#pragma once

#include <QString>

// A value on one line of tab-separated output: tab, line feed, carriage
// return and backslash become \t, \n, \r and \\.
QString cliEscaped(const QString& text);
