// SPDX-License-Identifier: GPL-3.0-or-later
#include "aids/DecoderMessages.h"

#include <QDataStream>
#include <QIODevice>

namespace veltrane::aids {

namespace {

// Reads the protocol's fields from a datagram; once a read runs past the end (or a length is
// impossible) every later read fails too, and ok() is false.
class FieldReader
{
public:
    explicit FieldReader(const QByteArray &bytes) : m_stream(bytes)
    {
        m_stream.setByteOrder(QDataStream::BigEndian);
        m_stream.setFloatingPointPrecision(QDataStream::DoublePrecision);
    }

    bool ok() const { return m_stream.status() == QDataStream::Ok; }

    template <typename T> T number()
    {
        T value{};
        m_stream >> value;
        return value;
    }

    bool flag() { return number<quint8>() != 0; }

    QString utf8()
    {
        const quint32 length = number<quint32>();
        if (length == 0xffffffffu || !ok())
            return {};
        if (length > quint32(m_stream.device()->bytesAvailable())) {
            m_stream.setStatus(QDataStream::ReadPastEnd);
            return {};
        }
        return QString::fromUtf8(m_stream.device()->read(qint64(length)));
    }

private:
    QDataStream m_stream;
};

} // namespace

std::optional<DecoderMessage> parseDecoderDatagram(const QByteArray &datagram)
{
    FieldReader in(datagram);
    const quint32 magic = in.number<quint32>();
    const quint32 schema = in.number<quint32>();
    const quint32 type = in.number<quint32>();
    DecoderMessage message;
    message.id = in.utf8();
    if (!in.ok() || magic != kDecoderMagic || schema < 2 || schema > 3)
        return std::nullopt;

    switch (type) {
    case quint32(DecoderMessage::Type::Status): {
        DecoderStatus &s = message.status;
        s.dialHz = in.number<quint64>();
        s.mode = in.utf8();
        s.dxCall = in.utf8();
        in.utf8(); // report
        in.utf8(); // Tx mode
        in.flag(); // Tx enabled
        in.flag(); // transmitting
        in.flag(); // decoding
        if (!in.ok())
            return std::nullopt;
        if (const auto rxDf = in.number<quint32>(); in.ok())
            s.rxDf = rxDf;
        break;
    }
    case quint32(DecoderMessage::Type::Decode): {
        DecoderDecode &d = message.decode;
        d.isNew = in.flag();
        d.msSinceMidnight = in.number<quint32>();
        d.snr = in.number<qint32>();
        d.dt = in.number<double>();
        d.audioHz = in.number<quint32>();
        d.mode = in.utf8();
        d.message = in.utf8();
        if (!in.ok())
            return std::nullopt;
        break;
    }
    case quint32(DecoderMessage::Type::Heartbeat):
    case quint32(DecoderMessage::Type::Clear):
    case quint32(DecoderMessage::Type::Close):
        break;
    default:
        return std::nullopt;
    }
    message.type = DecoderMessage::Type(type);
    return message;
}

} // namespace veltrane::aids
