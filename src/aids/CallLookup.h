// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The address of the call-sign lookup page for the other station's call. The caller opens it
// with the desktop's browser; no command line is ever built, so nothing in the call can reach
// a shell or become a program option.

#include <QString>
#include <QUrl>

namespace veltrane::aids {

// The service's page address for one call: the base address ending in "/db/", then the call
// percent-encoded as ONE path segment, unchanged otherwise (no trimming, no upper-casing):
//   "JA1ABC"   -> https://www.qrz.com/db/JA1ABC
//   "JA1 ABC"  -> https://www.qrz.com/db/JA1%20ABC
//   "JA1ABC/P" -> https://www.qrz.com/db/JA1ABC%2FP
//   "../x"     -> https://www.qrz.com/db/..%2Fx      (one segment: never climbs out of /db/)
//   "", "." or ".." -> https://www.qrz.com/db/         (no call: the bare address)
QUrl lookupUrl(const QString &call);

// The lookup button's caption: the service's name, "QRZ.com".
QString lookupServiceName();

} // namespace veltrane::aids
