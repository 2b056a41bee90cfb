// tests/fuzz/check.h
// The fuzz targets' assertion: a check that fails aborts, and libFuzzer keeps the input.
#ifndef ZAPFILE_FUZZ_CHECK_H
#define ZAPFILE_FUZZ_CHECK_H

#include <cstdlib>

inline void Check(bool condition) {
    if (!condition)
        abort();
}

#endif
