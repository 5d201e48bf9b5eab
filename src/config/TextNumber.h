// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Reading numbers out of texts the way the station's texts are read everywhere: the leading
// number of a text, so "14076.520" reads 14076.52, "1200abc" reads 1200 and "No Data" reads 0.

#include <QString>
#include <QStringView>

#include <optional>

namespace veltrane::config {

// Leading number of a text: blanks skipped, an optional sign, decimal digits with at most one
// decimal point (always a full stop, whatever the locale); reading stops at the first character
// that cannot continue the number. No digit gives 0.
//   leadingNumber(u" 1200") == 1200, leadingNumber(u"-15x") == -15, leadingNumber(u"abc") == 0
double leadingNumber(QStringView text);

// The whole text as a number (blanks around it allowed), or nothing when any other character
// stands in it or it is empty: wholeNumber(u" -523 ") == -523, wholeNumber(u"52a") == nullopt.
std::optional<double> wholeNumber(QStringView text);

// A number in the signed-number text form: one leading blank for zero or a positive value, a
// minus sign for a negative one, no decimals for a whole number, a full stop before a fraction.
//   signedNumberText(1200) == " 1200", signedNumberText(-15) == "-15", signedNumberText(0.5) == " 0.5"
QString signedNumberText(double value);

} // namespace veltrane::config
