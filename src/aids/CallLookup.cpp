// SPDX-License-Identifier: GPL-3.0-or-later
#include "aids/CallLookup.h"

using namespace Qt::StringLiterals;

namespace veltrane::aids {

namespace {

constexpr auto kLookupBase = "https://www.qrz.com/db/";

} // namespace

QUrl lookupUrl(const QString &call)
{
    // "." and ".." alone would be path steps that a browser resolves out of "/db/", and an
    // address cannot keep their full stops encoded; neither is a call, so they look up nothing.
    if (call == u"."_s || call == u".."_s)
        return QUrl::fromEncoded(QByteArray(kLookupBase), QUrl::StrictMode);
    // Everything but letters, digits, "-", ".", "_" and "~" is percent-encoded, the slash too.
    return QUrl::fromEncoded(QByteArray(kLookupBase) + QUrl::toPercentEncoding(call), QUrl::StrictMode);
}

QString lookupServiceName()
{
    return u"QRZ.com"_s;
}

} // namespace veltrane::aids
