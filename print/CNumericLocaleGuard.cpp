#include "CNumericLocaleGuard.h"

#include <clocale>

CNumericLocaleGuard::CNumericLocaleGuard()
{
    if (const char* current = std::setlocale(LC_NUMERIC, nullptr))
        m_previous = current;
    std::setlocale(LC_NUMERIC, "C");
}

CNumericLocaleGuard::~CNumericLocaleGuard()
{
    if (!m_previous.empty())
        std::setlocale(LC_NUMERIC, m_previous.c_str());
}
