// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The new dial frequency of the two retuning aids: the frequency set from an imported audio
// offset, and click-to-tune on the spectrum picture. Both start from the dial frequency the
// station last read from the rig (in Hz). The frame for the result comes from the rig family's
// set-frequency builder; this file only computes the frequency and says when there is none.

#include <QStringView>

#include <optional>

namespace veltrane::aids {

// The dial plus the offset text (Hz), the sum's fraction dropped (rounded towards minus
// infinity):
//   (14 076 000, "523") -> 14 076 523     (7 026 000, "-523") -> 7 025 477
//   (14 076 000, "523.9") -> 14 076 523   (14 076 000, "0") -> 14 076 000
// Nothing when the offset is not wholly a number (blanks around it allowed; "", "CQ", "12abc"),
// or when the sum falls below 0 Hz.
std::optional<qint64> offsetTargetHz(qint64 dialHz, QStringView offsetText);

// The audio offset of a click on the spectrum picture: its full width spans 2000 Hz, centred
// on 0, so x = 0 is -1000 Hz, x = width/2 is 0 and x = width is +1000 Hz.
double clickOffsetHz(double x, double width);

// The dial frequency for a click at x on a picture `width` wide: the dial plus the click's
// offset, rounded towards minus infinity; `mirrored` subtracts the offset instead (the FT-897
// below 10 MHz).
//   (14 076 000, 3W/4, W, false) -> 14 076 500   (7 076 000, 3W/4, W, true) -> 7 075 500
// Nothing when the width is not above 0, x is not finite, or the result is below 0 Hz.
std::optional<qint64> clickTargetHz(qint64 dialHz, double x, double width, bool mirrored);

} // namespace veltrane::aids
