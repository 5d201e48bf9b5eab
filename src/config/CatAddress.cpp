// SPDX-License-Identifier: GPL-3.0-or-later
#include "config/CatAddress.h"

#include <QCoreApplication>

#include <cmath>

using namespace Qt::StringLiterals;

namespace veltrane::config {

namespace {

constexpr QStringView kScheme = u"tcp://";

bool isHostNameChar(QChar c)
{
    return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9') || c == u'-' ||
           c == u'.' || c == u'_';
}

// An IPv6 address in text form: hexadecimal groups of up to four digits between colons, at most
// eight groups, "::" at most once (standing for the zero groups it leaves out), and an IPv4
// address in place of the last two groups. "::1", "fe80::1", "::ffff:10.0.0.1" yes; ":::", "1::2::3" no.
bool isIpv6Address(QStringView text)
{
    if (text.count(u"::") > 1 || text.contains(u":::") || !text.contains(u':'))
        return false;
    // A colon at either end belongs to the "::".
    if ((text.startsWith(u':') && !text.startsWith(u"::")) || (text.endsWith(u':') && !text.endsWith(u"::")))
        return false;
    const bool elided = text.contains(u"::");
    int groups = 0;
    const auto parts = text.split(u':');
    for (qsizetype i = 0; i < parts.size(); ++i) {
        const QStringView part = parts[i];
        if (part.isEmpty())
            continue;                                       // the groups "::" stands for
        if (i + 1 == parts.size() && part.contains(u'.')) { // a trailing IPv4 address
            const auto bytes = part.split(u'.');
            if (bytes.size() != 4)
                return false;
            for (const QStringView b : bytes) {
                bool ok = false;
                if (b.isEmpty() || b.size() > 3 || b.toUInt(&ok) > 255 || !ok)
                    return false;
            }
            groups += 2;
            continue;
        }
        if (part.size() > 4)
            return false;
        for (const QChar c : part) {
            if (!(c >= u'0' && c <= u'9') && !(c >= u'a' && c <= u'f') && !(c >= u'A' && c <= u'F'))
                return false;
        }
        ++groups;
    }
    return elided ? groups < 8 : groups == 8;
}

AddressParse refuse(const QString &why)
{
    return {std::nullopt, why};
}

// "HOST[:PORT]" after any scheme; defaultPort 0 makes the port required.
AddressParse parseHostPort(QStringView text, quint16 defaultPort)
{
    if (text.isEmpty())
        return refuse(QCoreApplication::translate("CatAddress", "No host is given."));

    QStringView host;
    QStringView rest; // ":PORT" or empty
    if (text.startsWith(u'[')) {
        const qsizetype close = text.indexOf(u']');
        if (close < 0)
            return refuse(
                QCoreApplication::translate("CatAddress", "An IPv6 address lacks its closing bracket: %1")
                    .arg(text));
        host = text.sliced(1, close - 1);
        rest = text.sliced(close + 1);
        if (!rest.isEmpty() && !rest.startsWith(u':'))
            return refuse(QCoreApplication::translate("CatAddress",
                                                      "Only \":PORT\" may follow the bracketed address: %1")
                              .arg(text));
        if (!isIpv6Address(host))
            return refuse(
                QCoreApplication::translate("CatAddress", "Not an IPv6 address between the brackets: %1")
                    .arg(host));
    } else {
        const qsizetype colon = text.indexOf(u':');
        if (colon >= 0 && text.indexOf(u':', colon + 1) >= 0)
            return refuse(QCoreApplication::translate("CatAddress",
                                                      "An IPv6 address needs brackets, as in [::1]:4532."));
        host = colon < 0 ? text : text.first(colon);
        rest = colon < 0 ? QStringView() : text.sliced(colon);
        if (host.isEmpty())
            return refuse(QCoreApplication::translate("CatAddress", "No host is given before the port."));
        for (const QChar c : host) {
            if (!isHostNameChar(c))
                return refuse(
                    QCoreApplication::translate(
                        "CatAddress", "The host name holds a character that no host name has: \"%1\".")
                        .arg(c));
        }
    }

    NetAddress address{host.toString(), defaultPort};
    if (rest.isEmpty()) {
        if (defaultPort == 0)
            return refuse(QCoreApplication::translate("CatAddress", "No port is given: write HOST:PORT."));
        return {address, {}};
    }
    const QStringView portText = rest.sliced(1);
    bool allDigits = !portText.isEmpty() && portText.size() <= 5;
    for (const QChar c : portText)
        allDigits = allDigits && c >= u'0' && c <= u'9';
    const int port = allDigits ? portText.toInt() : 0;
    if (port < 1 || port > 65535)
        return refuse(QCoreApplication::translate("CatAddress",
                                                  "The port must be a number from 1 to 65535, not \"%1\".")
                          .arg(portText));
    address.port = quint16(port);
    return {address, {}};
}

} // namespace

QString NetAddress::url() const
{
    const QString shownHost = host.contains(u':') ? u'[' + host + u']' : host;
    return kScheme.toString() + shownHost + u':' + QString::number(port);
}

bool isTcpUrl(QStringView catValue)
{
    return catValue.trimmed().startsWith(kScheme, Qt::CaseInsensitive);
}

AddressParse parseTcpUrl(QStringView text)
{
    const QStringView t = text.trimmed();
    if (!isTcpUrl(t))
        return refuse(
            QCoreApplication::translate("CatAddress", "A network port is written tcp://HOST:PORT."));
    return parseHostPort(t.sliced(kScheme.size()), 0);
}

AddressParse parseRigctldAddress(QStringView text)
{
    QStringView t = text.trimmed();
    if (isTcpUrl(t))
        t = t.sliced(kScheme.size());
    else if (t.contains(u"://"))
        return refuse(QCoreApplication::translate("CatAddress", "rigctld is reached over tcp:// only."));
    return parseHostPort(t, kRigctldDefaultPort);
}

} // namespace veltrane::config

namespace veltrane::config {

QString devicePathFor(const QString &catValue)
{
    const QString value = catValue.trimmed();
    bool isNumber = false;
    const double n = value.toDouble(&isNumber);
    if (!isNumber)
        return value;
    const long port = std::lround(n);
    if (port < 1 || port > 32767)
        return {};
#ifdef Q_OS_WIN
    return u"COM"_s + QString::number(port);
#else
    return u"/dev/ttyS"_s + QString::number(port - 1);
#endif
}

CatAddressParse parseCatAddress(const QString &catValue, cat::PortKind kind)
{
    const auto network = [&](const AddressParse &parsed) -> CatAddressParse {
        if (!parsed.address)
            return {std::nullopt,
                    QCoreApplication::translate("CatAddress", "CAT= holds no usable network address (%1): %2")
                        .arg(catValue, parsed.error)};
        return {CatAddress{CatAddress::Kind::Tcp, parsed.address->url(), *parsed.address}, {}};
    };
    if (kind == cat::PortKind::RigctldAddress)
        return network(parseRigctldAddress(catValue));
    if (isTcpUrl(catValue))
        return network(parseTcpUrl(catValue));
    const QString device = devicePathFor(catValue);
    if (device.isEmpty()) {
        return {
            std::nullopt,
            catValue.trimmed().isEmpty()
                ? QCoreApplication::translate("CatAddress", "No serial port is configured (CAT=).")
                : QCoreApplication::translate("CatAddress", "CAT= names no serial port: %1").arg(catValue)};
    }
    return {CatAddress{CatAddress::Kind::Serial, device, {}}, {}};
}

} // namespace veltrane::config
