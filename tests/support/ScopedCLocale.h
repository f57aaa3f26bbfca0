#pragma once

#include <string>

// Sets the C library's locale (all categories) for one scope and restores the
// previous one. available() is false when the system lacks that locale.
class ScopedCLocale
{
public:
    explicit ScopedCLocale(const char* name);
    ~ScopedCLocale();
    ScopedCLocale(const ScopedCLocale&) = delete;
    ScopedCLocale& operator=(const ScopedCLocale&) = delete;

    bool available() const { return m_available; }
    static bool underCi();

private:
    std::string m_previous;
    bool m_available = false;
};

// Skips the test when ru_RU.UTF-8 is missing, except under CI, where the setup
// script generates it and its absence is a failure.
#define F2TP_REQUIRE_RUSSIAN_LOCALE(guard)                                                         \
    do {                                                                                           \
        if (!(guard).available()) {                                                                \
            if (ScopedCLocale::underCi())                                                          \
                FAIL() << "the locale ru_RU.UTF-8 is missing";                                     \
            GTEST_SKIP() << "the locale ru_RU.UTF-8 is missing";                                   \
        }                                                                                          \
    } while (false)
