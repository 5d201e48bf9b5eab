#pragma once
// The new dial frequency of the two retuning aids: the frequency set from an imported audio
// offset, and click-to-tune on the spectrum picture. Both read the dial frequency back from the
// frequency display's text (kHz). The frame for the result comes from cat::setFrequencyWrites;
// this file only computes the frequency and says when there is none to send.

#include <QString>

#include <optional>

namespace veltrane::aids {

// Dial text (kHz) plus offset text (Hz), the sum's fraction dropped (rounded towards minus
// infinity):
//   ("14076.000", "523") -> 14 076 523     ("7026.000", "-523") -> 7 025 477
//   ("14076.000", "523.9") -> 14 076 523   ("14076.000", "0") -> 14 076 000
// Nothing when either text is not wholly a number (blanks around it allowed; "No Data", "",
// "12abc"), when the dial is not above 0, or when the sum falls below 0 Hz.
std::optional<qint64> offsetTargetHz(const QString &dialText, const QString &offsetText);

// The audio offset of a click on the spectrum picture: its full width spans 2000 Hz, centred
// on 0, so x = 0 is -1000 Hz, x = width/2 is 0 and x = width is +1000 Hz.
double clickOffsetHz(double x, double width);

// The dial frequency for a click at x on a picture `width` wide: dial (kHz) x 1000 plus the
// click's offset, rounded towards minus infinity. The FT-897 family (3) below 10 MHz (dial under
// 10000 kHz) subtracts the offset instead.
//   ("14076.000", 3W/4, W, 0) -> 14 076 500   ("7076.000", 3W/4, W, 3) -> 7 075 500
// Nothing when the dial text is not wholly a number or not above 0 ("No Data"), the width is
// not above 0, x is not finite, the family is outside 0..4, or the result is below 0 Hz.
std::optional<qint64> clickTargetHz(const QString &dialText, double x, double width, int family);

} // namespace veltrane::aids
