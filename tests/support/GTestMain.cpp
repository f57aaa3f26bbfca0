#include <clocale>

#include <gtest/gtest.h>

// The program's QCoreApplication sets the C library's locale from the
// environment; the core tests do the same, so running them under
// LANG=ru_RU.UTF-8 tests what users live with (a decimal comma in LC_NUMERIC).
int main(int argc, char** argv)
{
    std::setlocale(LC_ALL, "");
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
