#pragma once

#include <xlsxwriter.h>

// Fails with F2tpError saying in Russian what the workbook library refused
// (a text longer than Excel allows, no memory, no temporary file...).
void CheckXlsx(lxw_error error);
