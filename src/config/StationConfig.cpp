// SPDX-License-Identifier: GPL-3.0-or-later
#include "config/StationConfig.h"

#include "config/TextNumber.h"

namespace veltrane::config {

RigChoice parseRigCode(const std::optional<QString> &rigCode)
{
    if (!rigCode)
        return {};
    const std::optional<double> v = wholeNumber(*rigCode);
    if (!v)
        return {false, nullptr};
    if (!(*v >= 0 && *v <= 1000))
        return {true, nullptr};
    const auto code = int(*v);
    return {true, double(code) == *v ? cat::rigCapsForCode(code) : nullptr};
}

} // namespace veltrane::config
