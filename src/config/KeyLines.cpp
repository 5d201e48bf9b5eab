// SPDX-License-Identifier: GPL-3.0-or-later
#include "config/KeyLines.h"

#include <QStringDecoder>
#include <QStringEncoder>

namespace veltrane::config {

QString decodeSystemText(QByteArrayView bytes)
{
    QStringDecoder decoder(QStringConverter::System, QStringConverter::Flag::Stateless);
    return decoder.decode(bytes);
}

QByteArray encodeSystemText(const QString &text)
{
    QStringEncoder encoder(QStringConverter::System, QStringConverter::Flag::Stateless);
    return encoder.encode(text);
}

QByteArray withoutByteOrderMark(const QByteArray &content)
{
    if (content.startsWith("\xEF\xBB\xBF"))
        return encodeSystemText(QString::fromUtf8(content.sliced(3)));
    const bool littleEndian = content.startsWith("\xFF\xFE");
    if (!littleEndian && !content.startsWith("\xFE\xFF"))
        return content;
    QStringDecoder decoder(littleEndian ? QStringConverter::Utf16LE : QStringConverter::Utf16BE);
    return encodeSystemText(decoder.decode(QByteArrayView(content).sliced(2)));
}

std::optional<KeyLine> splitKeyLine(const QString &line)
{
    const qsizetype eq = line.indexOf(u'=');
    if (eq < 0)
        return std::nullopt;
    return KeyLine{line.first(eq).toUpper(), line.sliced(eq + 1)};
}

QString trimBlanks(const QString &text)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && text[begin] == u' ')
        ++begin;
    while (end > begin && text[end - 1] == u' ')
        --end;
    return text.sliced(begin, end - begin);
}

} // namespace veltrane::config
