// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Datagrams as a decoder publishes them (big-endian QDataStream fields after the magic number,
// the schema and the type), built field by field: the tests' decoder.

#include <QByteArray>
#include <QDataStream>
#include <QIODevice>

#include <variant>

namespace veltrane::testing {

// A field: a UTF-8 string (nullptr: a null one), a bool, or a number of its exact width.
using Field = std::variant<const char *, bool, quint8, quint32, qint32, quint64, double>;

inline QByteArray decoderDatagram(quint32 type, std::initializer_list<Field> fields, quint32 schema = 2,
                                  quint32 magic = 0xadbccbda)
{
    QByteArray bytes;
    QDataStream out(&bytes, QIODevice::WriteOnly);
    out.setByteOrder(QDataStream::BigEndian);
    out << magic << schema << type;
    for (const Field &field : fields) {
        std::visit(
            [&out](auto v) {
                using T = decltype(v);
                if constexpr (std::is_same_v<T, const char *>) // a null string is length 0xffffffff
                    v ? out.writeBytes(v, uint(qstrlen(v))) : out << quint32(0xffffffff);
                else // a bool goes as one byte
                    out << std::conditional_t<std::is_same_v<T, bool>, quint8, T>(v);
            },
            field);
    }
    return bytes;
}

// A Status: id, dial, mode, DX call, report, Tx mode, three flags, Rx DF, Tx DF.
inline QByteArray statusDatagram(const char *id, quint64 dialHz, const char *dxCall, quint32 rxDf)
{
    return decoderDatagram(
        1, {id, dialHz, "JT65", dxCall, "", "JT65", false, false, false, rxDf, quint32(1500)});
}

} // namespace veltrane::testing
