// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// One-pixel solid lines written straight into an RGB32 image, pixel for pixel as QPainter's
// raster engine draws an aliased line with a one-pixel pen and square caps (its default pen),
// but without its per-call set-up. The spectrum trace draws 511 such lines per spectrum.
//
// The rule: end points are clipped to the image grown by one pixel on each side, then
// truncated to 1/64 pixel. Along the longer axis the line covers the pixels floor(start) to
// floor(end) inclusive (the square caps add half a pixel at each end); the other coordinate
// follows in 16.16 fixed point, sampled at pixel centres. A line whose ends coincide is one
// pixel at the rounded point. Pixels outside the image are skipped. Checked against QPainter
// on random lines in the tests.
//   (1.5, 2.0) -> (5.5, 2.0): pixels (1..5, 2);  (3.0, 1.0) -> (3.0, 3.1): pixels (3, 1..3)

#include <QImage>
#include <QLineF>

namespace veltrane::spectrum {

void rasterLine(QImage &image, const QLineF &line, QRgb colour);

} // namespace veltrane::spectrum
