// SPDX-License-Identifier: GPL-3.0-or-later
#include "aids/DecodeLine.h"

#include <QRegularExpression>

namespace veltrane::aids {

namespace {

constexpr qsizetype kOffsetStart = 17; // position 18, counted from 0
constexpr qsizetype kOffsetLength = 8; // positions 18 to 25

// The text without blanks (spaces only) at either end.
QString trimBlanks(QStringView text)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && text[begin] == u' ')
        ++begin;
    while (end > begin && text[end - 1] == u' ')
        --end;
    return text.sliced(begin, end - begin).toString();
}

// Time, SNR, DT, audio frequency, mode marker, message (with whatever the decoder appends).
const QRegularExpression &decoderLayout()
{
    static const QRegularExpression layout(
        uR"(^\s*(?:\d{4}|\d{6})\s+[-+]?\d{1,3}\s+[-+]?\d{1,2}\.\d\s+(\d{1,5})\s+[#@~+:`&]\s+(\S.*?)\s*$)"_qs);
    return layout;
}

// A call sign, possibly with a prefix or suffix of its own: K1ABC, 3DA0XYZ, KH6/K1ABC,
// JA1ABC/P. Its base ends in a letter, so grids (FN42) and reports (RR73, R-15) are none.
bool isCall(QStringView word)
{
    static const QRegularExpression call(
        uR"(^(?:[A-Z0-9]{1,4}/)?[A-Z0-9]{0,3}[0-9][A-Z0-9]{0,3}[A-Z](?:/[A-Z0-9]{1,4})?$)"_qs,
        QRegularExpression::CaseInsensitiveOption);
    return call.match(word).hasMatch();
}

QStringView withoutBrackets(QStringView word)
{
    return word.size() > 2 && word.startsWith(u'<') && word.endsWith(u'>') ? word.sliced(1, word.size() - 2)
                                                                           : word;
}

std::optional<DecodeImport> parsePlainLine(const QString &clipboardText)
{
    const qsizetype lastBlank = clipboardText.lastIndexOf(u' ');
    if (lastBlank <= 0)
        return std::nullopt;
    const qsizetype prevBlank = clipboardText.lastIndexOf(u' ', lastBlank - 1);
    if (prevBlank < 0)
        return std::nullopt;

    const QStringView text(clipboardText);
    DecodeImport import;
    import.call = trimBlanks(text.sliced(prevBlank, lastBlank - prevBlank));
    import.offset = trimBlanks(text.mid(kOffsetStart, kOffsetLength));
    return import;
}

} // namespace

std::optional<QString> messageSender(QStringView message)
{
    const QList<QStringView> words = message.split(u' ', Qt::SkipEmptyParts);
    QStringView sender;
    if (!words.isEmpty() && words[0] == u"CQ") {
        // One word may name whom the call is for (DX, NA, a number) before the caller.
        for (qsizetype i = 1; i < qMin<qsizetype>(3, words.size()) && sender.isNull(); ++i) {
            if (isCall(withoutBrackets(words[i])))
                sender = withoutBrackets(words[i]);
        }
    } else if (words.size() >= 2 && isCall(withoutBrackets(words[0])) && isCall(withoutBrackets(words[1]))) {
        sender = withoutBrackets(words[1]);
    }
    if (sender.isNull())
        return std::nullopt;
    return sender.toString();
}

std::optional<DecodeImport> parseDecodeLine(const QString &clipboardText)
{
    const QRegularExpressionMatch line = decoderLayout().match(clipboardText);
    if (!line.hasMatch())
        return parsePlainLine(clipboardText);
    const std::optional<QString> call = messageSender(line.capturedView(2));
    if (!call)
        return std::nullopt; // free text: nothing to take
    const int audioHz = line.capturedView(1).toInt();
    return DecodeImport{*call, QString::number(audioHz - kCentreAudioHz)};
}

} // namespace veltrane::aids
