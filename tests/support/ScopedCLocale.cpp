#include "ScopedCLocale.h"

#include <clocale>
#include <cstdlib>
#include <cstring>

ScopedCLocale::ScopedCLocale(const char* name)
{
    const char* previous = std::setlocale(LC_ALL, nullptr);
    m_previous = previous ? previous : "C";
    m_available = std::setlocale(LC_ALL, name) != nullptr;
}

ScopedCLocale::~ScopedCLocale()
{
    std::setlocale(LC_ALL, m_previous.c_str());
}

bool ScopedCLocale::underCi()
{
    const char* ci = std::getenv("CI");
    return ci && std::strcmp(ci, "true") == 0;
}
