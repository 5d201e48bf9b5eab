// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// How the settings dialog reads the serial control's settings text into its option choices.
// The text is read by position from the first comma, with one-character parity, data-bit and
// stop-bit fields, as in "9600,N,8,1":
//   speed     = leading number of the text before the first comma
//   parity    = the character right after it, upper-cased
//   data bits = the character three places after it, as a number
//   stop bits = the character five places after it, as a number
// "9600,n,7,2" -> {"9600", 'N', 7, 2}; "38400,E,8,1" -> {"38400", 'E', 8, 1};
// a text without a comma gives its leading number as speed and nothing else.

#include <QChar>
#include <QString>

#include <optional>

namespace veltrane::config {

struct SerialSettingsFields
{
    QString speed;    // digits of the rate, empty when there is none ("0", "abc")
    QChar parity;     // upper-cased letter, null when there is no such character
    int dataBits = 0; // 0 when the character is missing or not a digit
    int stopBits = 0;
};

SerialSettingsFields readSerialSettingsFields(const QString &settings);

} // namespace veltrane::config
