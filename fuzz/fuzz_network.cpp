// SPDX-License-Identifier: GPL-3.0-or-later
// Feeds arbitrary bytes to the rigctld line reader, cut into reads where the first byte says,
// and takes the same bytes as a CAT= network address. Checks the promises: a shown frequency
// is whole hertz above 0 with at most 11 digits, the kept line stays bounded, and a parsed
// address has a port from 1 to 65535 and a port name that parses back to the same address.

#include "FuzzCheck.h"
#include "cat/AnswerReaders.h"
#include "config/CatAddress.h"

#include <QByteArray>
#include <QString>

#include <cstddef>
#include <cstdint>
#include <cstdlib>

namespace cat = veltrane::cat;
namespace config = veltrane::config;

using veltrane::fuzz::check;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size == 0)
        return 0;
    const int step = 1 + data[0] % 16;
    const QByteArrayView input(reinterpret_cast<const char *>(data) + 1, qsizetype(size - 1));

    cat::RigctldLineReader reader;
    for (qsizetype at = 0; at < input.size(); at += step) {
        const QByteArrayView read = input.sliced(at, qMin<qsizetype>(step, input.size() - at));
        if (const auto hz = reader.take(read))
            check(*hz >= 1 && *hz <= 99'999'999'999);
        check(reader.pendingLine().size() <= cat::RigctldLineReader::kMaxLine);
        check(!reader.pendingLine().contains('\n'));
    }

    const QString text = QString::fromUtf8(input);
    for (const config::AddressParse &parsed :
         {config::parseRigctldAddress(text), config::parseTcpUrl(text)}) {
        check(parsed.address.has_value() != !parsed.error.isEmpty());
        if (!parsed.address)
            continue;
        check(parsed.address->port >= 1);
        check(!parsed.address->host.isEmpty());
        const QString url = parsed.address->url();
        check(config::isTcpUrl(url));
        check(config::parseTcpUrl(url).address == parsed.address);
    }
    return 0;
}
