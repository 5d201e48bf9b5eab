// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The text of the rig frequency display and the band its frequency lies in. The display shows
// the dial frequency in kilohertz; the station keeps the frequency itself as a number.

#include <QString>

#include <optional>

namespace veltrane::cat {

// Text of the display before the first accepted answer.
QString noDataText(); // "No Data"

// A dial frequency in Hz as the display shows it, in kHz: the integer part without leading
// zeros or group separators, a full stop, three decimals; below 1 kHz no digit before the point.
//   14 076 520 -> "14076.520", 50 313 250 -> "50313.250", 7 026 000 -> "7026.000", 500 -> ".500"
QString displayText(qint64 hz);

// The band list text of the segment that holds a frequency in MHz, tried in order with both
// limits included (double precision):
//   7-7.2 "7MHz", 14-14.35 "14MHz", 18.068-18.168 "18MHz", 21-21.45 "21MHz",
//   24.89-24.99 "24MHz", 28-29 "28MHz"
// 7.2 -> "7MHz", 7.200001 -> nothing, 50.313 -> nothing (no 50 MHz segment), 0 -> nothing.
std::optional<QString> recogniseBand(double mhz);

} // namespace veltrane::cat
