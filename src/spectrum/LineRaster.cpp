// SPDX-License-Identifier: GPL-3.0-or-later
#include "spectrum/LineRaster.h"

#include <cmath>
#include <cstdlib>
#include <utility>

namespace veltrane::spectrum {

namespace {

// 1/64-pixel units, truncated towards zero (the raster engine's conversion).
int toSixtyFourths(double v)
{
    return int(v * 64.0);
}

// (numerator / denominator) in 16.16 fixed point, truncated towards zero.
int fixedRatio(int numerator, int denominator)
{
    return int((static_cast<long long>(numerator) * 65536) / denominator);
}

struct Bounds
{
    double min;
    double maxX;
    double maxY;
};

// Cuts the line to the area [min, maxX] x [min, maxY]; false when nothing is left.
bool clipToBounds(double &x1, double &y1, double &x2, double &y2, const Bounds &b)
{
    if (x1 < b.min) {
        if (x2 <= b.min)
            return false;
        y1 += (y2 - y1) / (x2 - x1) * (b.min - x1);
        x1 = b.min;
    } else if (x1 > b.maxX) {
        if (x2 >= b.maxX)
            return false;
        y1 += (y2 - y1) / (x2 - x1) * (b.maxX - x1);
        x1 = b.maxX;
    }
    if (x2 < b.min) {
        y2 += (y2 - y1) / (x2 - x1) * (b.min - x2);
        x2 = b.min;
    } else if (x2 > b.maxX) {
        y2 += (y2 - y1) / (x2 - x1) * (b.maxX - x2);
        x2 = b.maxX;
    }
    if (y1 < b.min) {
        if (y2 <= b.min)
            return false;
        x1 += (x2 - x1) / (y2 - y1) * (b.min - y1);
        y1 = b.min;
    } else if (y1 > b.maxY) {
        if (y2 >= b.maxY)
            return false;
        x1 += (x2 - x1) / (y2 - y1) * (b.maxY - y1);
        y1 = b.maxY;
    }
    if (y2 < b.min) {
        x2 += (x2 - x1) / (y2 - y1) * (b.min - y2);
        y2 = b.min;
    } else if (y2 > b.maxY) {
        x2 += (x2 - x1) / (y2 - y1) * (b.maxY - y2);
        y2 = b.maxY;
    }
    return true;
}

struct Target
{
    QRgb *pixels;
    qsizetype stride; // pixels per line
    int width;
    int height;

    void put(int x, int y, QRgb colour) const
    {
        if (x >= 0 && x < width && y >= 0 && y < height)
            pixels[y * stride + x] = colour;
    }
};

// Steps the major axis from `from` to `to` (1/64 units, from < to) and the minor coordinate
// `minor` (1/64 units at `from`) by `slope` (16.16 per major pixel). `put(major, minor)`.
template <typename Put> void stepLine(int from, int to, int minor, int slope, Put put)
{
    int position = minor * 1024; // 16.16
    from -= 32;                  // half-pixel caps at both ends
    position -= slope >> 1;
    to += 32;
    int major = (from + 32) >> 6;
    const int end = (to + 32) >> 6;
    if (major == end)
        return;
    const int round = slope > 0 ? 32 : 0;
    position += (((major * 64) + round - from) * slope) >> 6;
    do {
        put(major, position >> 16);
        position += slope;
    } while (++major < end);
}

} // namespace

void rasterLine(QImage &image, const QLineF &line, QRgb colour)
{
    const Target target{reinterpret_cast<QRgb *>(image.bits()), image.bytesPerLine() / 4, image.width(),
                        image.height()};
    double x1 = line.x1();
    double y1 = line.y1();
    double x2 = line.x2();
    double y2 = line.y2();
    if (x1 == x2 && y1 == y2) {
        target.put(qRound(x1), qRound(y1), colour);
        return;
    }
    if (!clipToBounds(x1, y1, x2, y2, Bounds{-1.0, image.width() + 1.0, image.height() + 1.0}))
        return;

    int fx1 = toSixtyFourths(x1);
    int fy1 = toSixtyFourths(y1);
    int fx2 = toSixtyFourths(x2);
    int fy2 = toSixtyFourths(y2);
    const int dx = std::abs(fx2 - fx1);
    const int dy = std::abs(fy2 - fy1);

    if (dx < dy) { // steep: one pixel per row
        if (fy1 > fy2) {
            std::swap(fy1, fy2);
            std::swap(fx1, fx2);
        }
        stepLine(fy1, fy2, fx1, fixedRatio(fx2 - fx1, fy2 - fy1),
                 [&](int y, int x) { target.put(x, y, colour); });
    } else { // flat: one pixel per column
        if (dx == 0)
            return;
        if (fx1 > fx2) {
            std::swap(fx1, fx2);
            std::swap(fy1, fy2);
        }
        stepLine(fx1, fx2, fy1, fixedRatio(fy2 - fy1, fx2 - fx1),
                 [&](int x, int y) { target.put(x, y, colour); });
    }
}

} // namespace veltrane::spectrum
