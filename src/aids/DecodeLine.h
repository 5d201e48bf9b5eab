#pragma once
// Taking the other station's call and audio offset out of a decode line that the operator
// copied in the decoder program. Only the line's shape is relied on: the offset stands at
// character positions 18 to 25 (counted from 1), the call is the word between the last two
// blanks. Nothing checks that the text really is a decode line.

#include <QString>

#include <optional>

namespace veltrane::aids {

struct DecodeImport
{
    QString call;   // the word between the last two blanks (may be empty)
    QString offset; // positions 18-25 with blanks trimmed, as text (may be empty or not a number)

    // The frequency-set button is enabled by an import only when it brought an offset.
    bool enablesFrequencySet() const { return !offset.isEmpty(); }
};

// "0123456789ABCDEFG    -523 CQ CALL1 GRID"  -> {"CALL1", "-523"}
// "0123456789ABCDEFG    -523 CQ CALL1 GRID " -> {"GRID", "-523"}   (trailing blank)
// "CQ CALL1  GRID" -> {"", ""}, "short a b" -> {"a", ""}
// Fewer than two blanks ("CALL1 GRID", "") -> nothing: the import changes nothing.
// Only the blank (space) separates words and is trimmed; tabs and line breaks are ordinary
// characters.
std::optional<DecodeImport> parseDecodeLine(const QString &clipboardText);

} // namespace veltrane::aids
