// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Taking the other station's call and audio offset out of a decode line that the operator
// copied in the decoder program.
//
// Two layouts are read. A line of today's decoders (time, SNR, DT, audio frequency in Hz, a
// mode marker, the message: "2133 -12  0.3 1234 # CQ K1ABC FN42", padding blanks and the
// decoder's annotations after it) gives the sender of the message and the audio frequency's
// distance from the 1270 Hz centre. Any other line is read by its shape alone: the offset
// stands at character positions 18 to 25 (counted from 1), the call is the word between the
// last two blanks; nothing checks that the text really is a decode line.

#include <QString>

#include <optional>

namespace veltrane::aids {

struct DecodeImport
{
    QString call;   // the word between the last two blanks (may be empty)
    QString offset; // positions 18-25 with blanks trimmed, as text (may be empty or not a number)

    // The frequency-set button is enabled by an import only when it brought an offset.
    bool enablesFrequencySet() const { return !offset.isEmpty(); }
    friend bool operator==(const DecodeImport &, const DecodeImport &) = default;
};

// The audio frequency the decoders' picture centre stands for: offsets are counted from it.
constexpr int kCentreAudioHz = 1270;

// Lines of today's decoders ("hhmm" or "hhmmss", SNR, DT with one decimal, audio Hz, one of
// # @ ~ + : ` &, the message):
//   "2133 -12  0.3 1234 # CQ K1ABC FN42"      -> {"K1ABC", "-36"}
//   "213315  5 -0.1 1900 ~ JA1XYZ <PJ4/K1ABC> RR73   a1" -> {"PJ4/K1ABC", "630"}
//   a free-text message ("TNX BOB 73 GL")      -> nothing: the import changes nothing.
// Other lines:
//   "0123456789ABCDEFG    -523 CQ CALL1 GRID"  -> {"CALL1", "-523"}
//   "0123456789ABCDEFG    -523 CQ CALL1 GRID " -> {"GRID", "-523"}   (trailing blank)
//   "CQ CALL1  GRID" -> {"", ""}, "short a b" -> {"a", ""}
//   Fewer than two blanks ("CALL1 GRID", "") -> nothing.
//   Only the blank (space) separates words and is trimmed; tabs and line breaks are ordinary
//   characters.
std::optional<DecodeImport> parseDecodeLine(const QString &clipboardText);

// The sender of a message of today's decoders: "CQ [DX|NA|290|...] CALL [GRID]" gives CALL,
// "CALL1 CALL2 [...]" gives CALL2 (angle brackets removed, compound calls kept whole); a
// free-text message gives nothing.
std::optional<QString> messageSender(QStringView message);

} // namespace veltrane::aids
