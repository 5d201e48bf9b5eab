// SPDX-License-Identifier: GPL-3.0-or-later
// Feeds arbitrary datagrams to the reader of the decoders' network messages. None may crash or
// read past the datagram: what it reads starts with the protocol's magic number, its texts fit
// in the datagram, and bytes after a message that is not a Status change nothing of it.

#include "FuzzCheck.h"
#include "aids/DecoderMessages.h"

#include <QtEndian>

#include <cstddef>
#include <cstdint>

namespace aids = veltrane::aids;
using veltrane::fuzz::check;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray datagram(reinterpret_cast<const char *>(data), qsizetype(size));
    const auto message = aids::parseDecoderDatagram(datagram);
    if (!message)
        return 0;
    check(size >= 16 && qFromBigEndian<quint32>(data) == aids::kDecoderMagic);
    // Each byte of a text gives at most one UTF-16 unit.
    const qsizetype texts = message->id.size() + message->status.mode.size() + message->status.dxCall.size() +
                            message->decode.mode.size() + message->decode.message.size();
    check(texts <= qsizetype(size) - 16);
    if (message->type != aids::DecoderMessage::Type::Status) {
        const auto longer = aids::parseDecoderDatagram(datagram + QByteArray(8, '\x01'));
        check(longer && longer->type == message->type && longer->id == message->id &&
              longer->decode.message == message->decode.message);
    }
    return 0;
}
