#pragma once

// Shared by the fuzz targets: a broken promise names itself and aborts, which libFuzzer reports as
// a crash with the input that made it.
#include "tempdir.h"

#include <cstdio>
#include <cstdlib>

inline void check(bool ok, const char *what)
{
    if (!ok) {
        std::fprintf(stderr, "broken: %s\n", what);
        std::abort();
    }
}

// One scratch folder for a whole run, removed at exit.
inline const TempFolder &scratch()
{
    static const TempFolder folder("tamberlo-fuzz");
    return folder;
}
