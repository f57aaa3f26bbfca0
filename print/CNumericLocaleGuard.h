#pragma once

#include <string>

#include <QtGlobal>

// Puts the C library's numeric locale to "C" for its own lifetime and then
// back. libxlsxwriter formats the numbers of a workbook (values, widths,
// heights, margins) with printf, which under a locale with a decimal comma
// writes "0,5" and breaks the file. The program has one thread, so the
// process-wide switch is seen by nothing else.
class CNumericLocaleGuard
{
public:
    CNumericLocaleGuard();
    ~CNumericLocaleGuard();

private:
    Q_DISABLE_COPY_MOVE(CNumericLocaleGuard)
    std::string m_previous;
};
