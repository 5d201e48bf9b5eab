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
