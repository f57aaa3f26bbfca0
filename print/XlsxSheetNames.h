#pragma once

#include <vector>

#include <QString>

// Worksheet names Excel accepts for the sheets' names, in order: the
// characters []:*?/\ become "_", apostrophes at either end are dropped, at
// most 31 characters, never empty ("Лист" and its number) or "History", and
// no two alike regardless of letter case (a later one gets " (2)", " (3)"...).
std::vector<QString> XlsxSheetNames(const std::vector<QString>& names);
