#pragma once
// The text of the rig frequency display and the band it names. The display shows the dial
// frequency in kilohertz; it is the station's only record of it, read back as its leading
// number by the band recognition here and by the operating aids.

#include <QString>
#include <QStringView>

#include <optional>

namespace veltrane::cat {

// Text of the display before the first accepted answer.
QString noDataText(); // "No Data"

// kHz as the display shows it: the integer part without leading zeros or group separators,
// a full stop, three decimals (rounded half away from zero); below 1 kHz no digit before the
// point.
//   14076.52 -> "14076.520", 50313.25 -> "50313.250", 7026 -> "7026.000", 0.5 -> ".500"
// A value that is not finite gives the empty text.
QString formatKhz(double khz);

// The band list text of the segment that holds the display's frequency, tried in order with
// both limits included (megahertz, double precision):
//   7-7.2 "7MHz", 14-14.35 "14MHz", 18.068-18.168 "18MHz", 21-21.45 "21MHz",
//   24.89-24.99 "24MHz", 28-29 "28MHz"
// "7200.000" -> "7MHz", "7200.001" -> nothing, "50313.000" -> nothing (no 50 MHz segment),
// "No Data" or any text whose leading number is 0 -> nothing.
std::optional<QString> recogniseBand(QStringView displayText);

} // namespace veltrane::cat
