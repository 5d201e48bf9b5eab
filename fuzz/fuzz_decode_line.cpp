// Feeds arbitrary text to the decode-line import, the offset and click tuning and the lookup
// address. None may crash; an import's offset is at most eight characters and a lookup address
// keeps the call inside its one path segment.

#include "aids/CallLookup.h"
#include "aids/DecodeLine.h"
#include "aids/OffsetTune.h"
#include "cat/FrameCodec.h"

#include <QString>
#include <QUrl>

#include <cstddef>
#include <cstdint>
#include <cstdlib>

namespace aids = veltrane::aids;
namespace cat = veltrane::cat;

namespace {

void check(bool condition)
{
    if (!condition)
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString line = QString::fromUtf8(reinterpret_cast<const char *>(data), qsizetype(size));

    const auto import = aids::parseDecodeLine(line);
    if (!import)
        return 0;
    check(import->offset.size() <= 8);
    check(!import->call.contains(u' '));

    // The imported offset against a few dial texts, and a click at a position taken from the input.
    const QString dials[] = {QStringLiteral("14076.000"), QStringLiteral("No Data"), import->call};
    const cat::CivFraming civ = cat::civFraming(0x74, 0xE0);
    for (const QString &dial : dials) {
        if (const auto hz = aids::offsetTargetHz(dial, import->offset)) {
            check(*hz >= 0);
            for (int family = 0; family <= 3; ++family)
                check(!cat::setFrequencyWrites(family, *hz, civ).isEmpty());
        }
        const double x = size > 0 ? double(data[0]) : 0.0;
        if (const auto hz = aids::clickTargetHz(dial, x, 255.0, int(size % 6) - 1))
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
