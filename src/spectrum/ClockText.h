// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The clock label's text for a given moment (the caller passes the current time, so tests
// choose it).
//   clockMode 0 (local, marked "J"): the locale's short date, two spaces, its long time
//     without the time-zone name, "J". C locale, 2010-05-03 14:30:25 local ->
//     "3 May 2010  14:30:25J" (the form follows the locale: ja_JP gives "2010/05/03  14時30分25秒J").
//   clockMode 1 (UTC, marked "U"): the true UTC date "yyyy/MM/dd", two spaces, UTC time
//     "h:mm:ss" (no leading zero on the hour), "U". 2010-05-03 09:05:07 JST ->
//     "2010/05/03  0:05:07U". Any other mode is treated as 1.

#include <QDateTime>
#include <QLocale>
#include <QString>

namespace veltrane::spectrum {

QString clockText(const QDateTime &now, int clockMode, const QLocale &locale);

// The locale's long time format with time-zone fields (t) and the blanks before them removed:
// "HH:mm:ss t" -> "HH:mm:ss".
QString longTimeFormatWithoutZone(const QLocale &locale);

} // namespace veltrane::spectrum
