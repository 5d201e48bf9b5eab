// SPDX-License-Identifier: GPL-3.0-or-later
#include "spectrum/SpectrumPainter.h"

#include "spectrum/LineRaster.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

namespace veltrane::spectrum {

namespace {

// Pixels that QPainter's one-pixel aliased line from (x, y1) down to (x, y2) covers, y1 < y2:
// column floor(x), rows floor(y1) to floor(y2) inclusive (clipped by the caller). Checked
// against QPainter in the tests.
struct VerticalSpan
{
    int column;
    int firstRow;
    int lastRow;
};

VerticalSpan verticalSpan(double x, double y1, double y2)
{
    return {int(std::floor(x)), int(std::floor(y1)), int(std::floor(y2))};
}

void drawVertical(QImage &image, const VerticalSpan &span, QRgb colour)
{
    if (span.column < 0 || span.column >= image.width())
        return;
    const int first = std::max(span.firstRow, 0);
    const int last = std::min(span.lastRow, image.height() - 1);
    for (int row = first; row <= last; ++row)
        reinterpret_cast<QRgb *>(image.scanLine(row))[span.column] = colour;
}

constexpr std::array<QRgb, 256> makeWaterfallTable()
{
    std::array<QRgb, 256> table{};
    for (int level = 0; level < 256; ++level)
        table[level] = 0xff000000u | (QRgb(level) << 16) | (QRgb(level) << 8) | 120u;
    return table;
}

constexpr std::array<QRgb, 256> WaterfallTable = makeWaterfallTable();

// Rounds 0..255 to the nearest integer, halves to even, as the default floating-point rounding
// mode does: adding and removing 1.5 x 2^52 leaves no fraction bits. Cheaper than a libm call.
inline int roundHalfEven(double v)
{
    constexpr double Shifter = 6755399441055744.0; // 1.5 x 2^52
    return int((v + Shifter) - Shifter);
}

inline int cellLevel(double value, double averageAbove)
{
    if (!(value > 0.0))
        return 0;
    const double divisor = 100.0 - averageAbove;
    if (!(divisor > 0.0))
        return 255; // an average of 100 or more: the strongest colour, never a division by 0
    const double level = std::min(5.0 * 255.0 * value / divisor, 255.0);
    return roundHalfEven(level);
}

} // namespace

QSize SpectrumGeometry::pixelSize() const
{
    return {std::max(1, qRound(toPixels(widthTwips))), std::max(1, qRound(toPixels(heightTwips)))};
}

int binForHz(int hz)
{
    return int(std::floor(double(hz) / BinWidthHz));
}

int waterfallLevel(double value, double averageAbove)
{
    return cellLevel(value, averageAbove);
}

SpectrumPainter::SpectrumPainter(SpectrumGeometry geometry)
    : m_geometry(geometry), m_image(geometry.pixelSize(), QImage::Format_RGB32),
      m_history(std::make_unique<History>()), m_levels(size_t(ShownRows) * SpectrumBins, 0)
{
    for (auto &row : *m_history)
        row.fill(0.0);
    rebuildGridCache();
    clear();
}

SpectrumPainter::~SpectrumPainter() = default;

void SpectrumPainter::clear()
{
    m_image.fill(BackgroundColour);
}

void SpectrumPainter::drawFrequencyGrid()
{
    // The grid's x runs in single precision, as the picture's own coordinates do.
    const float width = float(m_geometry.widthTwips);
    const float step = width / 20.0f;
    const double top = m_geometry.toPixels(200.0);
    const double bottom = m_geometry.toPixels(m_geometry.heightTwips);
    int gridCount = 0;
    for (float x = 0.0f; x <= width; x += step) {
        const QRgb colour = gridCount == 10 ? GridCentreColour : GridColour;
        drawVertical(m_image, verticalSpan(m_geometry.toPixels(double(x)), top, bottom), colour);
        ++gridCount;
        if (step <= 0.0f)
            break;
    }
}

void SpectrumPainter::rebuildGridCache()
{
    clear();
    drawFrequencyGrid();
    m_gridCache = m_image.copy();
}

void SpectrumPainter::selectMode(int index)
{
    clear();
    if (index == int(DisplayMode::Trace))
        drawFrequencyGrid();
}

void SpectrumPainter::paint(DisplayMode mode, const qint32 *fftData, int lowBin, int highBin)
{
    lowBin = std::clamp(lowBin, 0, SpectrumBins);
    highBin = std::clamp(highBin, lowBin, SpectrumBins);
    if (mode == DisplayMode::Trace)
        drawTrace(fftData, lowBin, highBin);
    else
        waterfallStep(fftData, lowBin, highBin);
}

void SpectrumPainter::drawTrace(const qint32 *fftData, int lowBin, int highBin)
{
    // Clear and grid in one copy of the cached grid picture.
    std::memcpy(m_image.bits(), m_gridCache.constBits(), size_t(m_image.sizeInBytes()));

    const int span = highBin - lowBin;
    if (span < 2)
        return;
    const double width = m_geometry.widthTwips;
    const double height = m_geometry.heightTwips;
    const double yScale = height / 100.0;
    for (int e = 1; e < span; ++e) {
        const double x1 = double(e) * width / span;
        const double x2 = double(e + 1) * width / span;
        const double y1 = height - yScale * fftData[lowBin + e - 1];
        const double y2 = height - yScale * fftData[lowBin + e];
        rasterLine(m_image,
                   QLineF(m_geometry.toPixels(x1), m_geometry.toPixels(y1), m_geometry.toPixels(x2),
                          m_geometry.toPixels(y2)),
                   TraceColour);
    }
}

void SpectrumPainter::startShowing(int lowHz, int highHz)
{
    m_lowHz = lowHz;
    m_highHz = highHz;
    m_paintPhase = 0;
}

void SpectrumPainter::waterfallStep(const qint32 *fftData, int lowBin, int highBin)
{
    if (m_paintPhase == 1) {
        m_paintPhase = 2;
        return;
    }
    if (m_paintPhase == 2) {
        m_paintPhase = 3;
        return;
    }
    if (m_paintPhase != 0) {
        m_paintPhase = 0;
        return;
    }

    History &history = *m_history;
    const int span = highBin - lowBin;
    const int first = lowBin + 1; // bins lowBin+1 .. highBin-1 are kept
    const int count = std::max(0, highBin - 1 - first + 1);

    // Scroll rows 1..29 down to 2..30, averages (element 0) with them.
    for (int r = ShownRows; r >= 2; --r) {
        if (count > 0)
            std::memcpy(&history[r][first], &history[r - 1][first], sizeof(double) * size_t(count));
        history[r][0] = history[r - 1][0];
    }

    double sum = 0.0;
    for (int b = first; b < highBin; ++b)
        sum += fftData[b];
    history[1][0] = sum;
    if (span > 0)
        history[1][0] = sum / span;
    for (int b = first; b < highBin; ++b)
        history[1][b] = fftData[b] - history[1][0];

    drawWaterfall(lowBin, highBin);
    m_paintPhase = 1;
}

void SpectrumPainter::drawWaterfall(int lowBin, int highBin)
{
    const int span = highBin - lowBin;
    if (span < 2) {
        m_levelsLow = m_levelsHigh = -1; // the history moved on without the cached colours
        return;
    }
    const History &history = *m_history;
    const double width = m_geometry.widthTwips;
    const double rowHeight = m_geometry.heightTwips / ShownRows;
    const int imageWidth = m_image.width();
    const int imageHeight = m_image.height();

    // For each pixel row the last display row whose line covers it (lines are drawn top down,
    // so where two rows' lines meet, the lower one wins); -1 for pixel rows no line reaches.
    std::vector<int> owner(size_t(imageHeight), -1);
    for (int k = 0; k < ShownRows; ++k) {
        const VerticalSpan rows =
            verticalSpan(0.0, m_geometry.toPixels(k * rowHeight), m_geometry.toPixels((k + 1) * rowHeight));
        for (int r = std::max(rows.firstRow, 0); r <= std::min(rows.lastRow, imageHeight - 1); ++r)
            owner[size_t(r)] = k;
    }

    // Brightness of every cell: row k shows history row k+1 against the average of row k.
    // Both move down one row per update, so rows 2..29 are last update's rows 1..28 and only
    // the top two need computing (unless the shown range changed).
    int fresh = ShownRows;
    if (m_levelsLow == lowBin && m_levelsHigh == highBin) {
        std::memmove(&m_levels[2 * SpectrumBins], &m_levels[1 * SpectrumBins],
                     size_t(ShownRows - 2) * SpectrumBins);
        fresh = 2;
    }
    for (int k = 0; k < fresh; ++k) {
        const HistoryRow &row = history[size_t(k + 1)];
        const double averageAbove = history[size_t(k)][0];
        quint8 *levels = &m_levels[size_t(k) * SpectrumBins];
        for (int e = 1; e < span; ++e)
            levels[e] = quint8(cellLevel(row[size_t(lowBin + e)], averageAbove));
    }
    m_levelsLow = lowBin;
    m_levelsHigh = highBin;

    // The bin each pixel column shows. A bin's line is as wide as the step to the next bin's line,
    // so every column is painted: a column without a line of its own shows the bin whose line is
    // nearest on its left (the first bin also fills the columns left of its line). Where two bins'
    // lines fall in one column the later one wins, as it would when drawn later.
    std::vector<int> columnBin(size_t(imageWidth), -1);
    for (int e = 1; e < span; ++e) {
        const int column = verticalSpan(m_geometry.toPixels(double(e) * width / span), 0.0, 0.0).column;
        if (column >= 0 && column < imageWidth)
            columnBin[size_t(column)] = e;
    }
    int previous = 1;
    for (int &e : columnBin)
        previous = e = e < 0 ? previous : e;

    uchar *bits = m_image.bits();
    const qsizetype bytesPerLine = m_image.bytesPerLine();
    int coloured = -1; // display row whose colours are in the first pixel row written for it
    const QRgb *colours = nullptr;
    for (int r = 0; r < imageHeight; ++r) {
        const int k = owner[size_t(r)];
        if (k < 0)
            continue;
        auto *line = reinterpret_cast<QRgb *>(bits + r * bytesPerLine);
        if (k == coloured) {
            std::memcpy(line, colours, sizeof(QRgb) * size_t(imageWidth));
            continue;
        }
        const quint8 *cells = &m_levels[size_t(k) * SpectrumBins];
        for (int c = 0; c < imageWidth; ++c)
            line[c] = WaterfallTable[cells[columnBin[size_t(c)]]];
        coloured = k;
        colours = line;
    }
}

void PaintSpectrum(SpectrumSource &source, SpectrumPainter &painter, DisplayMode mode)
{
    const int lowBin = std::clamp(binForHz(painter.lowHz()), 0, SpectrumBins);
    const int highBin = std::clamp(binForHz(painter.highHz()), 0, SpectrumBins);
    std::array<qint32, SpectrumBins> fftData{};
    source.fnGetFFTData(fftData.data(), lowBin, highBin);
    painter.paint(mode, fftData.data(), lowBin, highBin);
}

} // namespace veltrane::spectrum
