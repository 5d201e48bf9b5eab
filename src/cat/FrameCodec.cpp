// SPDX-License-Identifier: GPL-3.0-or-later
#include "cat/FrameCodec.h"

#include <array>

using namespace Qt::StringLiterals;

namespace veltrane::cat {

namespace {

// Value of a hexadecimal digit, or -1.
constexpr int hexValue(char16_t c)
{
    if (c >= u'0' && c <= u'9')
        return c - u'0';
    if (c >= u'A' && c <= u'F')
        return c - u'A' + 10;
    if (c >= u'a' && c <= u'f')
        return c - u'a' + 10;
    return -1;
}

constexpr std::array<char, 16> kHexDigits = {'0', '1', '2', '3', '4', '5', '6', '7',
                                             '8', '9', 'A', 'B', 'C', 'D', 'E', 'F'};

// 10^e for small e, exact for e >= 0 within double's range.
double powerOfTen(int e)
{
    double p = 1.0;
    for (int i = 0; i < (e < 0 ? -e : e); ++i)
        p *= 10.0;
    return p;
}

// The last `width` digits of the decimal text of value, zero-padded on the left to `width`.
//   lastDigits(7026000, 10) == "0007026000", lastDigits(12345678901, 10) == "2345678901"
QString lastDigits(qint64 value, int width)
{
    const QString digits = QString::number(value);
    if (digits.size() >= width)
        return digits.right(width);
    return digits.rightJustified(width, u'0');
}

// The CI-V header towards the rig: preamble, rig address, controller address, command.
QByteArray civHeader(const Framing &civ, char command)
{
    QByteArray frame;
    frame.reserve(civ.preamble.size() + civ.rigAddress.size() + civ.controllerAddress.size() + 1);
    frame += civ.preamble;
    frame += civ.rigAddress;
    frame += civ.controllerAddress;
    frame += command;
    return frame;
}

// Hex digit text of known-good digits to bytes; the callers here only hand it decimal digits.
QByteArray bytesOf(const QString &hex)
{
    QByteArray bytes;
    Bdata(hex, bytes);
    return bytes;
}

} // namespace

Framing civFraming(quint8 rigAddress, quint8 controllerAddress)
{
    return Framing{QByteArray("\xFE\xFE", 2), QByteArray(1, char(rigAddress)),
                   QByteArray(1, char(controllerAddress)), QByteArray(1, '\xFD')};
}

QString Frequency_Convert(const QString &catWork)
{
    // g1 .. g5 are characters 1-2, 3-4, ... 9-10; the result is g5 g4 g3 g2 g1.
    QString out;
    out.reserve(10);
    for (qsizetype start = 8; start >= 0; start -= 2)
        out += catWork.mid(start, 2); // empty past the end of a short text
    return out;
}

bool Bdata(QStringView text, QByteArray &bytes)
{
    const qsizetype n = text.size();
    bytes.fill('\0', n / 2);
    for (qsizetype i = 0; i + 1 < n; i += 2) {
        const int high = hexValue(text[i].unicode());
        const int low = hexValue(text[i + 1].unicode());
        if (high < 0 || low < 0)
            return false;
        bytes[i / 2] = char(high * 16 + low);
    }
    return n % 2 == 0;
}

QString BytesToHex(QByteArrayView bytes)
{
    QString out(bytes.size() * 2, Qt::Uninitialized);
    QChar *d = out.data();
    for (const char b : bytes) {
        const auto v = quint8(b);
        *d++ = QLatin1Char(kHexDigits[v >> 4]);
        *d++ = QLatin1Char(kHexDigits[v & 0x0F]);
    }
    return out;
}

double SetFrequency(QStringView text, int count)
{
    double sum = 0.0;
    for (int i = 0; i < count && i < text.size(); i += 2) {
        // The leading decimal digits of the group of two.
        int group = 0;
        for (qsizetype k = i; k < i + 2 && k < text.size(); ++k) {
            const char16_t c = text[k].unicode();
            if (c < u'0' || c > u'9')
                break;
            group = group * 10 + (c - u'0');
        }
        const int exponent = 4 - i; // group 1 (i = 0) weighs 10^4, group 2 10^2, ...
        // Dividing by an exact power of ten keeps 60 * 10^-2 at the double nearest 0.6.
        sum += exponent >= 0 ? group * powerOfTen(exponent) : group / powerOfTen(exponent);
    }
    return sum;
}

QByteArray textReadRequest(const Framing &)
{
    return QByteArrayLiteral("FA;");
}

QByteArray civReadRequest(const Framing &civ)
{
    return civHeader(civ, '\x03') + civ.end;
}

QByteArray ft897ReadRequest(const Framing &)
{
    return QByteArray("\x00\x00\x00\x00\x03", 5);
}

QByteArray rigctldReadRequest(const Framing &)
{
    return QByteArrayLiteral("f\n");
}

Writes yaesuSetFrequency(qint64 hz, const Framing &framing)
{
    const int width = framing.textDigits == 9 ? 9 : 8;
    return {"FA"_ba + QByteArray::number(hz).rightJustified(width, '0') + ';'};
}

Writes kenwoodSetFrequency(qint64 hz, const Framing &)
{
    const QByteArray digits = QByteArray::number(hz);
    return {"FA"_ba + QByteArray(qMax<qsizetype>(0, 11 - digits.size()), '0') + digits + ';'};
}

Writes civSetFrequency(qint64 hz, const Framing &civ)
{
    return {civHeader(civ, '\x05'), bytesOf(Frequency_Convert(lastDigits(hz, 10))), civ.end};
}

Writes ft897SetFrequency(qint64 hz, const Framing &)
{
    return {bytesOf(lastDigits(hz / 10, 8) + u"01"_s)};
}

Writes rigctldSetFrequency(qint64 hz, const Framing &)
{
    return {"F "_ba + QByteArray::number(hz) + '\n'};
}

Writes yaesuModeUsb(const Framing &)
{
    return {QByteArrayLiteral("MD02;")};
}

Writes kenwoodModeUsb(const Framing &)
{
    return {QByteArrayLiteral("MD2;")};
}

Writes civModeUsb(const Framing &civ)
{
    return {civHeader(civ, '\x06') + '\x01' + civ.end};
}

Writes ft897ModeUsb(const Framing &)
{
    return {QByteArray("\x01\x00\x00\x00\x07", 5)};
}

Writes rigctldModeUsb(const Framing &)
{
    return {QByteArrayLiteral("M USB 0\n")};
}

} // namespace veltrane::cat
