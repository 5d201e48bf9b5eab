// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Settings beyond the nine lines of Init.cfg: key lines after them, read with the same grammar
// (KEY=value, key in either case) and written only when they differ from their defaults, so a
// station that changes none of them keeps exactly the nine lines. Each setting is one row of
// the key table in ExtensionSettings.cpp; a later setting is a field here and a row there.
//   DTR=ON|OFF        the DTR line after the port opens (default ON)
//   RTS=ON|OFF        the RTS line after the port opens (default OFF; RTS/CTS flow takes it over)
//   FLOW=NONE|XONXOFF|RTSCTS|BOTH   the port's flow control (default NONE)
//   BANDMODE=USB|KEEP a band pick puts the rig in USB first, or leaves its mode (default USB)
//   DECODER=OFF|ON    listen for the decoder's datagrams (default OFF)
//   DECODERHOST=ADDRESS  where: this computer's address or a multicast group (default 127.0.0.1)
//   DECODERPORT=N     the UDP port, 1..65535 (default 2237)

#include <QString>
#include <QStringList>

namespace veltrane::config {

enum class FlowControl { None, XonXoff, RtsCts, Both };

struct ExtensionSettings
{
    bool dtrOn = true;
    bool rtsOn = false;
    FlowControl flow = FlowControl::None;
    bool bandPickSetsUsb = true;
    bool decoderLink = false;
    QString decoderHost = QStringLiteral("127.0.0.1");
    quint16 decoderPort = 2237;
    friend bool operator==(const ExtensionSettings &, const ExtensionSettings &) = default;
};

// Stores a key line's value when key (as the key-line reader gives it, upper-cased) is an extension key and
// value one of its words (in either case, blanks around it allowed) or a value of its kind (an IP address,
// a port number, a host without blanks); false for any other key. A key with a value it does not take keeps
// the setting as it was.
bool storeExtensionSetting(QStringView key, QStringView value, ExtensionSettings &settings);

// The key lines for the settings that differ from their defaults, in table order, without
// line ends: {"DTR=OFF", "FLOW=RTSCTS"}.
QStringList extensionLines(const ExtensionSettings &settings);

} // namespace veltrane::config
