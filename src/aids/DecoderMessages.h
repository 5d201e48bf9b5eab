// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The datagrams today's decoders publish (the WSJT-X network protocol): big-endian, a magic
// number and a schema (2 or 3), the message type, the decoder's id, then the type's fields,
// strings as UTF-8 byte arrays behind a 32-bit length (0xffffffff: null). Heartbeat, Status,
// Decode, Clear and Close are read; any other type, and fields after those read, are ignored.
// A datagram that is short, malformed or of another magic gives nothing.

#include <QByteArray>
#include <QString>

#include <optional>

namespace veltrane::aids {

struct DecoderStatus
{
    quint64 dialHz = 0;
    QString mode;
    QString dxCall;              // the station the operator chose in the decoder; may be empty
    std::optional<quint32> rxDf; // the receive audio frequency, Hz
};

struct DecoderDecode
{
    bool isNew = false;
    quint32 msSinceMidnight = 0;
    qint32 snr = 0;
    double dt = 0;
    quint32 audioHz = 0;
    QString mode;
    QString message;
};

struct DecoderMessage
{
    enum class Type : quint32 { Heartbeat = 0, Status = 1, Decode = 2, Clear = 3, Close = 6 };
    Type type = Type::Heartbeat;
    QString id;           // the decoder instance ("WSJT-X", "JTDX", a configuration's name)
    DecoderStatus status; // for Status
    DecoderDecode decode; // for Decode
};

constexpr quint32 kDecoderMagic = 0xadbccbda;

std::optional<DecoderMessage> parseDecoderDatagram(const QByteArray &datagram);

} // namespace veltrane::aids
