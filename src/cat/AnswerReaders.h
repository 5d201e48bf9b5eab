// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Readers of the rig's answers to the read-frequency request. Each takes the bytes that a read
// of the port returned and gives the dial frequency in hertz when they hold a complete, valid
// answer, or nothing. A reader never writes the display and never touches the port; the
// rig link calls it with whatever arrived and writes the display itself.
//
// Reads do not line up with answers: a read may catch half an answer, two answers, the echo
// of the request or noise. The text and CI-V readers therefore keep the unfinished tail of a
// read (at most kMaxTail bytes) and complete it with the next one; the FT-897 reader judges
// each read on its own, as its receive event fires on the fifth byte.

#include "cat/FrameCodec.h"

#include <QByteArray>
#include <QByteArrayView>

#include <optional>

namespace veltrane::cat {

// What every family's reader offers the link. civ is the framing the answers are addressed
// with (used by the CI-V reader only).
class AnswerReader
{
public:
    virtual ~AnswerReader() = default;
    // Hz of the answer the bytes complete, or nothing.
    virtual std::optional<qint64> take(QByteArrayView received, const Framing &civ) = 0;
    // Forgets any unfinished answer kept from earlier reads (port reopened).
    virtual void reset() {}

    // For answers without an end mark (the FT-897's): the link says when it wrote the read
    // request, and when the line has been quiet for a moment after the answer's bytes came.
    // take() then only collects; answerAtQuiet() judges what was collected.
    virtual void requestSent() {}
    virtual bool waitsForQuiet() const { return false; }
    virtual std::optional<qint64> answerAtQuiet() { return std::nullopt; }
    // What the last accepted answer told besides the frequency: the digits of the Yaesu text
    // answer's field (8 or 9), and whether the rig is in lower sideband (FT-897).
    virtual int answerDigits() const { return 0; }
    virtual std::optional<bool> lowerSideband() const { return std::nullopt; }
};

// Longest unfinished tail a reader keeps between reads; longer than any answer, so a longer
// tail is noise and is dropped.
inline constexpr qsizetype kMaxTail = 32;

// Families 0 and 1: the answer is "FA", 1 to 11 decimal digits of the frequency in Hz, ";".
//   "FA07026000;" -> 7 026 000, "FA00014076000;" -> 14 076 000, "FA014076000;" -> 14 076 000
// Accepted only when 3.5 MHz < frequency < 54 MHz (both bounds excluded). Echoes of "FA;",
// "?;" and other noise are skipped; of several complete answers the first valid one counts.
class TextAnswerReader final : public AnswerReader
{
public:
    // Hz of the first complete valid answer in the kept tail followed by received.
    std::optional<qint64> take(QByteArrayView received, const Framing &civ = {}) override;
    void reset() override { m_tail.clear(); }
    // The unfinished answer kept for the next read (for tests and diagnostics).
    QByteArray pendingTail() const { return m_tail; }
    int answerDigits() const override { return m_digits; }

private:
    QByteArray m_tail;
    int m_digits = 0;
};

// Family 2: the answer is FE FE, controller address, rig address, 03, five BCD bytes (least
// significant pair first), FD. With the rig at 74 and the controller at E0:
//   FE FE 74 E0 03 FD  FE FE E0 74 03 00 60 02 07 00 FD -> 7 026 000 (the echo does not match)
// Only bytes whose two nibbles are both 0-9 count, and 3500 <= kHz <= 51000 (bounds included).
class CivAnswerReader final : public AnswerReader
{
public:
    std::optional<qint64> take(QByteArrayView received, const Framing &civ) override;
    void reset() override { m_tail.clear(); }
    QByteArray pendingTail() const { return m_tail; }

private:
    QByteArray m_tail;
};

// Family 4: rigctld answers "f" with the dial frequency in whole hertz on a line of its own.
//   "14076000\n" -> 14 076 000, "145000000\r\n" -> 145 000 000
//   "RPRT -1\n" (an error), "RPRT 0\n" (the answer to a set), "14076000.5\n", "abc\n" -> nothing
// A line counts only once its newline has come: the unfinished last line is kept for the next
// read (at most kMaxLine bytes; a longer line is noise and is dropped up to its newline). Of
// several complete lines the last valid one counts, as it is the newest reading. Blanks around
// the number are allowed; it must have 1 to 11 digits and be above 0 Hz.
class RigctldLineReader final : public AnswerReader
{
public:
    std::optional<qint64> take(QByteArrayView received, const Framing &civ = {}) override;
    void reset() override
    {
        m_line.clear();
        m_skipping = false;
    }
    QByteArray pendingLine() const { return m_line; }

    static constexpr qsizetype kMaxLine = 64;

private:
    QByteArray m_line;       // the unfinished line so far
    bool m_skipping = false; // inside an overlong line: drop up to its newline
};

// Family 3: five bytes, the first four the frequency in 10 Hz units as eight BCD digits, most
// significant first, the fifth the rig's mode (00 LSB, 01 USB, 02 CW, 03 CW-R, 04 AM, 06 WFM,
// 08 FM, 0A DIG, 0C PKT; with 80 added for the narrow filter). No range test.
//   01 40 76 52 01 -> 14 076 520 in USB; four or six bytes, a nibble above 9, mode 05 -> nothing
struct Ft897Reading
{
    qint64 hz;
    quint8 mode;
};
std::optional<Ft897Reading> ft897Answer(QByteArrayView received);

// The FT-897 answers its read request with five bytes and every set command with one
// acknowledge byte, and a USB adapter may hand the five over in pieces; nothing marks where an
// answer begins. So the reader takes only what arrives after a read request (the link discards
// what waited before it), and judges it once the line has gone quiet: exactly one answer's
// worth that reads as an answer counts; a longer run counts only when every five-byte window in
// it that reads as an answer says the same (an acknowledge or a stray byte before or after the
// answer); anything else is dropped, and the next request starts afresh.
class Ft897AnswerReader final : public AnswerReader
{
public:
    std::optional<qint64> take(QByteArrayView received, const Framing &) override;
    void reset() override;
    void requestSent() override;
    bool waitsForQuiet() const override;
    std::optional<qint64> answerAtQuiet() override;
    std::optional<bool> lowerSideband() const override { return m_lowerSideband; }
    static constexpr qsizetype kMaxCollected = 16;

private:
    QByteArray m_collected;
    bool m_collecting = false;
    std::optional<bool> m_lowerSideband;
};

// True when both nibbles of every byte are decimal digits: 00 60 02 07 00 yes, 0A no.
bool isBcd(QByteArrayView bytes);

} // namespace veltrane::cat
