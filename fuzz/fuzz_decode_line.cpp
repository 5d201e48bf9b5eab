// SPDX-License-Identifier: GPL-3.0-or-later
// Feeds arbitrary text to the decode-line import, the offset and click tuning and the lookup
// address. None may crash; an import's offset is at most eight characters and a lookup address
// keeps the call inside its one path segment.

#include "FuzzCheck.h"
#include "aids/CallLookup.h"
#include "aids/DecodeLine.h"
#include "aids/OffsetTune.h"
#include "cat/RigFamily.h"

#include <QString>
#include <QUrl>

#include <cstddef>
#include <cstdint>
#include <cstdlib>

namespace aids = veltrane::aids;
namespace cat = veltrane::cat;

using veltrane::fuzz::check;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString line = QString::fromUtf8(reinterpret_cast<const char *>(data), qsizetype(size));

    const auto import = aids::parseDecodeLine(line);
    if (!import)
        return 0;
    check(import->offset.size() <= 8);
    check(!import->call.contains(u' '));

    // The imported offset against a few dial frequencies, and a click at a position taken from
    // the input; every family builds a frame for what results when it fits the family's range,
    // and nothing when it does not.
    const cat::Framing civ = cat::civFraming(0x74, 0xE0);
    for (const qint64 dial : {qint64(14'076'000), qint64(1), qint64(7'026'000)}) {
        if (const auto hz = aids::offsetTargetHz(dial, import->offset)) {
            check(*hz >= 0);
            for (const cat::RigCaps &rig : cat::allRigCaps())
                check(rig.setFrequencyWrites(*hz, civ).isEmpty() != rig.fits(*hz, civ));
        }
        const double x = size > 0 ? double(data[0]) : 0.0;
        if (const auto hz = aids::clickTargetHz(dial, x, 255.0, size % 2 == 0))
            check(*hz >= 0);
    }

    const QUrl url = aids::lookupUrl(import->call);
    check(url.isValid());
    const QString path = url.path(QUrl::FullyEncoded);
    check(path.startsWith(QStringLiteral("/db/")));
    check(!path.mid(4).contains(u'/'));
    check(!url.hasQuery() && !url.hasFragment());
    return 0;
}
