// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The fuzz targets' one assertion: a property that does not hold ends the run, so libFuzzer
// keeps the input that broke it.

#include <cstdlib>

namespace veltrane::fuzz {

inline void check(bool condition)
{
    if (!condition)
        std::abort();
}

} // namespace veltrane::fuzz
