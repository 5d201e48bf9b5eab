#include "cat/NetAddress.h"

#include <QHostAddress>

using namespace Qt::StringLiterals;

namespace veltrane::cat {

namespace {

constexpr QStringView kScheme = u"tcp://";

bool isHostNameChar(QChar c)
{
    return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9') || c == u'-' ||
           c == u'.' || c == u'_';
}

AddressParse refuse(const QString &why)
{
    return {std::nullopt, why};
}

// "HOST[:PORT]" after any scheme; defaultPort 0 makes the port required.
AddressParse parseHostPort(QStringView text, quint16 defaultPort)
{
    if (text.isEmpty())
        return refuse(u"No host is given."_s);

    QStringView host;
    QStringView rest; // ":PORT" or empty
    if (text.startsWith(u'[')) {
        const qsizetype close = text.indexOf(u']');
        if (close < 0)
            return refuse(u"An IPv6 address lacks its closing bracket: "_s + text.toString());
        host = text.sliced(1, close - 1);
        rest = text.sliced(close + 1);
        if (!rest.isEmpty() && !rest.startsWith(u':'))
            return refuse(u"Only \":PORT\" may follow the bracketed address: "_s + text.toString());
        if (QHostAddress(host.toString()).protocol() != QAbstractSocket::IPv6Protocol)
            return refuse(u"Not an IPv6 address between the brackets: "_s + host.toString());
    } else {
        const qsizetype colon = text.indexOf(u':');
        if (colon >= 0 && text.indexOf(u':', colon + 1) >= 0)
            return refuse(u"An IPv6 address needs brackets, as in [::1]:4532."_s);
        host = colon < 0 ? text : text.first(colon);
        rest = colon < 0 ? QStringView() : text.sliced(colon);
        if (host.isEmpty())
            return refuse(u"No host is given before the port."_s);
        for (const QChar c : host) {
            if (!isHostNameChar(c))
                return refuse(u"The host name holds a character that no host name has: \""_s + QString(c) +
                              u"\"."_s);
        }
    }

    NetAddress address{host.toString(), defaultPort};
    if (rest.isEmpty()) {
        if (defaultPort == 0)
            return refuse(u"No port is given: write HOST:PORT."_s);
        return {address, {}};
    }
    const QStringView portText = rest.sliced(1);
    bool allDigits = !portText.isEmpty() && portText.size() <= 5;
    for (const QChar c : portText)
        allDigits = allDigits && c >= u'0' && c <= u'9';
    const int port = allDigits ? portText.toInt() : 0;
    if (port < 1 || port > 65535)
        return refuse(u"The port must be a number from 1 to 65535, not \""_s + portText.toString() +
                      u"\"."_s);
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
        return refuse(u"A network port is written tcp://HOST:PORT."_s);
    return parseHostPort(t.sliced(kScheme.size()), 0);
}

AddressParse parseRigctldAddress(QStringView text)
{
    QStringView t = text.trimmed();
    if (isTcpUrl(t))
        t = t.sliced(kScheme.size());
    else if (t.contains(u"://"))
        return refuse(u"rigctld is reached over tcp:// only."_s);
    return parseHostPort(t, kRigctldDefaultPort);
}

} // namespace veltrane::cat
