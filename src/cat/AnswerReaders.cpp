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

std::optional<qint64> TextAnswerReader::take(QByteArrayView received, const CivFraming &)
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
        if (buf[j] == ';' && digits > 0 && !result && hz > kTextLowHz && hz < kTextHighHz)
            result = hz;
        // A complete answer, the echo "FA;" or "FA" followed by noise: go on after it.
        i = j;
    }
    return result;
}

std::optional<qint64> CivAnswerReader::take(QByteArrayView received, const CivFraming &civ)
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
    const qsizetype frameSize = header.size() + kCivFrequencyBytes;

    std::optional<qint64> result;
    qsizetype tailStart = -1;
    for (qsizetype from = 0;;) {
        const qsizetype p = buf.indexOf(header, from);
        if (p < 0)
            break;
        if (p + frameSize > n) { // header with fewer than five bytes after it
            tailStart = p;
            break;
        }
        const QByteArrayView data = buf.sliced(p + header.size(), kCivFrequencyBytes);
        if (!result && isBcd(data)) {
            std::array<char, kCivFrequencyBytes> reversed{};
            for (qsizetype k = 0; k < kCivFrequencyBytes; ++k)
                reversed[size_t(k)] = data[kCivFrequencyBytes - 1 - k];
            // f4 .. f0 as ten digits is the frequency in Hz; SetFrequency gives Hz / 10 000.
            const qint64 hz = std::llround(SetFrequency(BytesToHex(QByteArrayView(reversed)), 10) * 10'000.0);
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

std::optional<qint64> RigctldLineReader::take(QByteArrayView received, const CivFraming &)
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

std::optional<qint64> ft897Answer(QByteArrayView received)
{
    if (received.size() != 5)
        return std::nullopt;
    const QByteArrayView digits = received.first(4);
    if (!isBcd(digits))
        return std::nullopt;
    qint64 tensOfHz = 0;
    for (const char b : digits) {
        const auto v = quint8(b);
        tensOfHz = tensOfHz * 100 + (v >> 4) * 10 + (v & 0x0F);
    }
    return tensOfHz * 10;
}

} // namespace veltrane::cat
