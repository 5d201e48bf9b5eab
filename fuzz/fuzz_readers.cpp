// SPDX-License-Identifier: GPL-3.0-or-later
// Feeds arbitrary bytes to the answer readers and the codec's conversions. The first byte picks
// where the input is cut into reads, so the readers also see answers split anywhere. Checks the
// readers' promises: a shown frequency lies in its family's range, a kept tail stays bounded.

#include "FuzzCheck.h"
#include "cat/AnswerReaders.h"
#include "cat/FrameCodec.h"
#include "cat/FrequencyDisplay.h"

#include <QByteArray>
#include <QString>

#include <cstddef>
#include <cstdint>
#include <cstdlib>

namespace cat = veltrane::cat;

using veltrane::fuzz::check;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size == 0)
        return 0;
    const int step = 1 + data[0] % 16;
    const QByteArrayView input(reinterpret_cast<const char *>(data) + 1, qsizetype(size - 1));

    const cat::Framing civ = cat::civFraming(0x74, 0xE0);
    cat::TextAnswerReader text;
    cat::CivAnswerReader civReader;
    cat::Ft897AnswerReader ft897;
    ft897.requestSent();
    for (qsizetype at = 0; at < input.size(); at += step) {
        const QByteArrayView read = input.sliced(at, qMin<qsizetype>(step, input.size() - at));
        if (const auto hz = text.take(read)) {
            check(*hz > 3'500'000 && *hz < 54'000'000);
            check(cat::displayText(*hz).size() >= 8);
        }
        if (const auto hz = civReader.take(read, civ)) {
            check(*hz >= 3'500'000 && *hz <= 51'000'000);
            (void)cat::recogniseBand(double(*hz) / 1e6);
        }
        check(text.pendingTail().size() <= cat::kMaxTail);
        check(civReader.pendingTail().size() <= cat::kMaxTail);
        check(!ft897.take(read, civ));
    }
    // The FT-897 reader accepts only a frequency that some five bytes of the input say.
    if (const auto hz = ft897.answerAtQuiet()) {
        bool said = false;
        for (qsizetype at = 0; at + 5 <= input.size() && !said; ++at)
            said = cat::ft897Answer(input.sliced(at, 5)).value_or(cat::Ft897Reading{-1, 0}).hz == *hz;
        check(said && *hz % 10 == 0 && input.size() <= cat::Ft897AnswerReader::kMaxCollected);
    }

    // The conversions on the same bytes taken as text.
    const QString asText = QString::fromLatin1(input);
    QByteArray bytes;
    const bool ok = cat::Bdata(asText, bytes);
    check(bytes.size() == asText.size() / 2);
    if (ok)
        check(cat::BytesToHex(bytes).compare(asText, Qt::CaseInsensitive) == 0);
    (void)cat::SetFrequency(asText, int(data[0]));
    check(cat::Frequency_Convert(asText).size() == qMin<qsizetype>(asText.size(), 10));
    return 0;
}
