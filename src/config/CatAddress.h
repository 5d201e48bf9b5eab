// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The port the CAT= value names: a serial port by number or by device path, a raw TCP port
// ("tcp://HOST:PORT", a serial port served over the network) or a rigctld daemon
// ("HOST", "HOST:PORT" or "tcp://HOST[:PORT]"). Parsing only; no look-up, no device, no socket.

#include "cat/RigFamily.h"

#include <QString>
#include <QStringView>

#include <optional>

namespace veltrane::config {

// The port rigctld listens on unless told otherwise.
inline constexpr quint16 kRigctldDefaultPort = 4532;

struct NetAddress
{
    QString host; // a name or an address; an IPv6 address without its brackets: "::1"
    quint16 port = 0;

    // The port name a TCP port opens:
    //   {"localhost", 4532} -> "tcp://localhost:4532", {"::1", 4532} -> "tcp://[::1]:4532"
    QString url() const;

    friend bool operator==(const NetAddress &, const NetAddress &) = default;
};

// A parsed address, or the reason the text is not one (a sentence for the operator).
struct AddressParse
{
    std::optional<NetAddress> address;
    QString error;
};

// True when a CAT= value names a raw TCP port rather than a serial device: it begins with
// "tcp://" in any case, blanks before it allowed.
//   "tcp://rigpi:7000" yes, "TCP://10.0.0.2:4000" yes, "3" no, "/dev/ttyUSB0" no
bool isTcpUrl(QStringView catValue);

// A raw TCP port: "tcp://HOST:PORT", the port 1 to 65535 and required.
//   "tcp://rigpi:7000" -> {"rigpi", 7000}; "tcp://[::1]:7000" -> {"::1", 7000}
//   "tcp://rigpi" -> error (no port), "rigpi:7000" -> error (no tcp://)
AddressParse parseTcpUrl(QStringView text);

// A rigctld daemon: "HOST", "HOST:PORT", "tcp://HOST" or "tcp://HOST:PORT"; port 4532 when
// omitted. Blanks around the text are ignored.
//   "localhost" -> {"localhost", 4532}, "192.168.1.5:4533" -> {"192.168.1.5", 4533},
//   "[::1]" -> {"::1", 4532}, "host:" / "host:0" / "host:65536" / "a b:4532" / "::1:4532" -> error
AddressParse parseRigctldAddress(QStringView text);

// The port a CAT= value names, as the link opens it.
struct CatAddress
{
    enum class Kind { Serial, Tcp };
    Kind kind = Kind::Serial;
    QString device; // "/dev/ttyS2", "/dev/ttyUSB0", "COM3"; for Tcp the url: "tcp://rigpi:7000"
    NetAddress net; // Tcp only
};

struct CatAddressParse
{
    std::optional<CatAddress> address;
    QString error; // why there is none, as a start-up reason
};

// The device a CAT= value names: a number n is the platform's n-th port (COMn on Windows,
// /dev/ttyS(n-1) on Linux); any other text is the device's own name, used as given.
//   devicePathFor(u"3") == "/dev/ttyS2" on Linux; devicePathFor(u"/dev/ttyUSB0") == "/dev/ttyUSB0"
// A number below 1 names no port (empty result).
QString devicePathFor(const QString &catValue);

// The port of a CAT= value for a family that takes `kind` of address:
//   (" 3", Device) -> Serial "/dev/ttyS2"        ("tcp://rigpi:7000", Device) -> Tcp rigpi:7000
//   ("localhost", RigctldAddress) -> Tcp localhost:4532
//   ("", Device) -> "No serial port is configured (CAT=)."   ("0", Device) -> "CAT= names no serial port: 0"
//   ("host:99999", RigctldAddress) -> "CAT= holds no usable network address (host:99999): The port ..."
CatAddressParse parseCatAddress(const QString &catValue, cat::PortKind kind);

} // namespace veltrane::config
