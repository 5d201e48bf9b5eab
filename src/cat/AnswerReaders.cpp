// SPDX-License-Identifier: GPL-3.0-or-later
#include "cat/AnswerReaders.h"

#include <array>
#include <cmath>

namespace veltrane::cat {

namespace {

constexpr qsizetype kMaxTextDigits = 11;    // the longest text answer: "FA" + 11 digits + ";"
constexpr qsizetype kCivFrequencyBytes = 5; // f0 .. f4
constexpr qint64 kTextLowHz = 3'500'000;    // text answers: 3.5 < MHz < 54
constexpr qint64 kTextHighHz = 54'000'000;
constexpr qint64 kCivLowHz = 3'500'000; // CI-V answers: 3500 <= kHz <= 51000
constexpr qint64 kCivHighHz = 51'000'000;

constexpr bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

// The reader's input: the kept tail followed by the new bytes. Copies only when a tail waits.
class Joined
{
public:
    Joined(QByteArray &tail, QByteArrayView received)
    {
        if (tail.isEmpty()) {
            m_view = received;
        } else {
            m_storage = tail;
            m_storage.append(received);
            m_view = m_storage;
        }
        tail.clear();
    }
    Joined(const Joined &) = delete; // the view may point into m_storage
    Joined &operator=(const Joined &) = delete;
    QByteArrayView view() const { return m_view; }

private:
    QByteArray m_storage;
    QByteArrayView m_view;
};

void keepTail(QByteArray &tail, QByteArrayView rest)
{
    if (!rest.isEmpty() && rest.size() <= kMaxTail)
        tail = rest.toByteArray();
}

} // namespace

bool isBcd(QByteArrayView bytes)
{
    for (const char b : bytes) {
        const auto v = quint8(b);
        if ((v >> 4) > 9 || (v & 0x0F) > 9)
            return false;
    }
    return true;
}

std::optional<qint64> TextAnswerReader::take(QByteArrayView received, const Framing &)
{
    const Joined joined(m_tail, received);
    const QByteArrayView buf = joined.view();
    const qsizetype n = buf.size();

    std::optional<qint64> result;
    qsizetype i = 0;
    while (i < n) {
        const qsizetype p = buf.indexOf('F', i);
        if (p < 0)
            break;
        if (p + 1 == n) { // "F" at the very end: maybe the start of an answer
            keepTail(m_tail, buf.sliced(p));
            break;
        }
        if (buf[p + 1] != 'A') {
            i = p + 1;
            continue;
        }
        const qsizetype first = p + 2;
        qsizetype j = first;
        qint64 hz = 0;
        while (j < n && j - first <= kMaxTextDigits && isDigit(buf[j])) {
            hz = hz * 10 + (buf[j] - '0');
            ++j;
        }
        const qsizetype digits = j - first;
        if (digits > kMaxTextDigits) { // too long for an answer: noise
            i = j;
            continue;
        }
        if (j == n) { // "FA" and digits so far: the rest comes with the next read
            keepTail(m_tail, buf.sliced(p));
            break;
        }
        if (buf[j] == ';' && digits > 0 && !result && hz > kTextLowHz && hz < kTextHighHz) {
            result = hz;
            m_digits = int(digits);
        }
        // A complete answer, the echo "FA;" or "FA" followed by noise: go on after it.
        i = j;
    }
    return result;
}

std::optional<qint64> CivAnswerReader::take(QByteArrayView received, const Framing &civ)
{
    const Joined joined(m_tail, received);
    if (civ.preamble.isEmpty() || civ.rigAddress.isEmpty() || civ.controllerAddress.isEmpty())
        return std::nullopt; // no framing: nothing can be recognised, nothing is kept

    // The rig's answer runs from the rig to the controller: the addresses in that order.
    QByteArray header = civ.preamble;
    header += civ.controllerAddress;
    header += civ.rigAddress;
    header += '\x03';

    const QByteArrayView buf = joined.view();
    const qsizetype n = buf.size();
    std::optional<qint64> result;
    qsizetype tailStart = -1;
    for (qsizetype from = 0;;) {
        const qsizetype p = buf.indexOf(header, from);
        if (p < 0)
            break;
        const qsizetype at = p + header.size();
        // Older rigs answer with four frequency bytes (up to 99.999999 MHz), the others with five.
        const qsizetype count = at + 4 < n && buf.sliced(at + 4, 1) == civ.end ? 4 : kCivFrequencyBytes;
        if (at + count > n) { // header with fewer bytes after it than an answer has
            tailStart = p;
            break;
        }
        const QByteArrayView data = buf.sliced(at, count);
        if (!result && isBcd(data)) {
            qint64 hz = 0;
            for (qsizetype k = count - 1; k >= 0; --k) // least significant pair first
                hz = hz * 100 + (quint8(data[k]) >> 4) * 10 + (quint8(data[k]) & 0x0F);
            if (hz >= kCivLowHz && hz <= kCivHighHz)
                result = hz;
        }
        from = p + 1;
    }
    if (tailStart < 0) {
        // The read may end inside a header: keep the longest end that starts one.
        for (qsizetype len = qMin(header.size() - 1, n); len > 0; --len) {
            if (buf.last(len) == QByteArrayView(header).first(len)) {
                tailStart = n - len;
                break;
            }
        }
    }
    if (tailStart >= 0)
        keepTail(m_tail, buf.sliced(tailStart));
    return result;
}

namespace {

constexpr qsizetype kMaxRigctldDigits = 11;

// One complete rigctld line without its newline: the frequency in Hz, or nothing.
//   "14076000" -> 14 076 000, " 7026000\r" -> 7 026 000, "RPRT -1" -> nothing, "0" -> nothing
std::optional<qint64> rigctldFrequency(QByteArrayView line)
{
    const QByteArrayView number = line.trimmed();
    if (number.isEmpty() || number.size() > kMaxRigctldDigits)
        return std::nullopt;
    qint64 hz = 0;
    for (const char c : number) {
        if (!isDigit(c))
            return std::nullopt;
        hz = hz * 10 + (c - '0');
    }
    if (hz <= 0)
        return std::nullopt;
    return hz;
}

} // namespace

std::optional<qint64> RigctldLineReader::take(QByteArrayView received, const Framing &)
{
    std::optional<qint64> result;
    QByteArrayView rest = received;
    while (!rest.isEmpty()) {
        const qsizetype end = rest.indexOf('\n');
        const QByteArrayView piece = end < 0 ? rest : rest.first(end);
        if (!m_skipping) {
            if (m_line.size() + piece.size() > kMaxLine) {
                m_line.clear();
                m_skipping = true;
            } else {
                m_line += piece;
            }
        }
        if (end < 0)
            break;
        if (!m_skipping) {
            if (const auto khz = rigctldFrequency(m_line))
                result = khz;
        }
        m_line.clear();
        m_skipping = false;
        rest = rest.sliced(end + 1);
    }
    return result;
}

namespace {

bool isFt897Mode(quint8 code)
{
    switch (code & 0x7F) {
    case 0x00:
    case 0x01:
    case 0x02:
    case 0x03:
    case 0x04:
    case 0x06:
    case 0x08:
    case 0x0A:
    case 0x0C:
        return true;
    default:
        return false;
    }
}

} // namespace

std::optional<Ft897Reading> ft897Answer(QByteArrayView received)
{
    if (received.size() != 5)
        return std::nullopt;
    const QByteArrayView digits = received.first(4);
    const auto mode = quint8(received[4]);
    if (!isBcd(digits) || !isFt897Mode(mode))
        return std::nullopt;
    qint64 tensOfHz = 0;
    for (const char b : digits) {
        const auto v = quint8(b);
        tensOfHz = tensOfHz * 100 + (v >> 4) * 10 + (v & 0x0F);
    }
    return Ft897Reading{tensOfHz * 10, mode};
}

std::optional<qint64> Ft897AnswerReader::take(QByteArrayView received, const Framing &)
{
    if (!m_collecting)
        return std::nullopt; // no request outstanding: acknowledges and noise
    if (m_collected.size() + received.size() > kMaxCollected) {
        reset(); // far more than an answer: the line is noise until the next request
        return std::nullopt;
    }
    m_collected += received;
    return std::nullopt;
}

void Ft897AnswerReader::reset()
{
    m_collected.clear();
    m_collecting = false;
}

void Ft897AnswerReader::requestSent()
{
    m_collected.clear();
    m_collecting = true;
}

bool Ft897AnswerReader::waitsForQuiet() const
{
    return m_collecting && m_collected.size() >= 5;
}

std::optional<qint64> Ft897AnswerReader::answerAtQuiet()
{
    if (!waitsForQuiet())
        return std::nullopt;
    std::optional<Ft897Reading> agreed;
    bool conflict = false;
    for (qsizetype at = 0; at + 5 <= m_collected.size(); ++at) {
        const auto reading = ft897Answer(QByteArrayView(m_collected).sliced(at, 5));
        if (!reading)
            continue;
        if (agreed && (agreed->hz != reading->hz || agreed->mode != reading->mode))
            conflict = true;
        agreed = reading;
    }
    reset();
    if (!agreed || conflict)
        return std::nullopt;
    m_lowerSideband = (agreed->mode & 0x7F) == 0x00;
    return agreed->hz;
}

} // namespace veltrane::cat
