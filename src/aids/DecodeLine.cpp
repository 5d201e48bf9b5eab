#include "aids/DecodeLine.h"

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

} // namespace

std::optional<DecodeImport> parseDecodeLine(const QString &clipboardText)
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

} // namespace veltrane::aids
