#pragma once

#include <exception>
#include <utility>

// Runs work, then restore, also when work throws. An error of restore after a
// failed work is dropped so that the first error is the one that travels on.
template <class Work, class Restore> void runThenRestore(Work&& work, Restore&& restore)
{
    try {
        std::forward<Work>(work)();
    } catch (...) {
        try {
            restore();
        } catch (...) {
        }
        throw;
    }
    std::forward<Restore>(restore)();
}
