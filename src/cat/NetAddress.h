#pragma once
// Network addresses of the CAT link, as the CAT= value holds them: a raw TCP port
// ("tcp://HOST:PORT", a serial port served over the network) or a rigctld daemon
// ("HOST", "HOST:PORT" or "tcp://HOST[:PORT]"). Parsing only; no look-up, no socket.

#include <QString>
#include <QStringView>

#include <optional>

namespace veltrane::cat {

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

} // namespace veltrane::cat
