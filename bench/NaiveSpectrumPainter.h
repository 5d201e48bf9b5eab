// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The reference for the spectrum painter: the display drawn the plain way, one setPen and one
// drawLine per segment on a QPainter, exactly as the picture box's line drawing describes it
// (grid lines, trace segments, one vertical line per waterfall cell, as wide as the step to the
// next cell, in that order). Slow by design. The benchmark measures the real painter against it
// and a test checks that both give the same pixels. Coordinates are worked out in twips and
// turned into pixels by the same geometry as the real painter.

#include "spectrum/SpectrumPainter.h"

#include <QImage>
#include <QPainter>

#include <algorithm>
#include <cmath>
#include <memory>

namespace veltrane::bench {

class NaiveSpectrumPainter
{
public:
    using History = spectrum::SpectrumPainter::History;

    explicit NaiveSpectrumPainter(spectrum::SpectrumGeometry geometry = {})
        : m_geometry(geometry), m_image(geometry.pixelSize(), QImage::Format_RGB32),
          m_history(std::make_unique<History>())
    {
        for (auto &row : *m_history)
            row.fill(0.0);
        clear();
    }

    const QImage &image() const { return m_image; }
    const History &history() const { return *m_history; }

    void clear() { m_image.fill(QColor(0, 0, 192)); }

    void drawFrequencyGrid()
    {
        QPainter painter(&m_image);
        const float width = float(m_geometry.widthTwips);
        const float height = float(m_geometry.heightTwips);
        int gridCount = 0;
        for (float x = 0.0f; x <= width; x += width / 20.0f) {
            painter.setPen(gridCount == 10 ? QColor(128, 0, 128) : QColor(128, 128, 0));
            line(painter, x, 200.0, x, height);
            ++gridCount;
        }
    }

    void selectMode(int index)
    {
        clear();
        if (index == 0)
            drawFrequencyGrid();
    }

    void paint(spectrum::DisplayMode mode, const qint32 *fftData, int lowBin, int highBin, int &paintPhase)
    {
        if (mode == spectrum::DisplayMode::Trace)
            drawTrace(fftData, lowBin, highBin);
        else
            waterfallStep(fftData, lowBin, highBin, paintPhase);
    }

    void drawTrace(const qint32 *fftData, int lowBin, int highBin)
    {
        clear();
        drawFrequencyGrid();
        const int binSpan = highBin - lowBin;
        const double w = m_geometry.widthTwips;
        const double h = m_geometry.heightTwips;
        const double yScale = h / 100.0;
        QPainter painter(&m_image);
        for (int e = 1; e <= binSpan - 1; ++e) {
            painter.setPen(QColor(0, 255, 255));
            line(painter, double(e) * w / binSpan, h - yScale * fftData[lowBin + e - 1],
                 double(e + 1) * w / binSpan, h - yScale * fftData[lowBin + e]);
        }
    }

    void waterfallStep(const qint32 *fftData, int lowBin, int highBin, int &paintPhase)
    {
        if (paintPhase == 1) {
            paintPhase = 2;
            return;
        }
        if (paintPhase == 2) {
            paintPhase = 3;
            return;
        }
        if (paintPhase != 0) {
            paintPhase = 0;
            return;
        }
        History &history = *m_history;
        const int binSpan = highBin - lowBin;
        for (int b = lowBin + 1; b <= highBin - 1; ++b)
            for (int r = 30; r >= 2; --r)
                history[r][b] = history[r - 1][b];
        for (int r = 30; r >= 2; --r)
            history[r][0] = history[r - 1][0];

        double sum = 0.0;
        for (int b = lowBin + 1; b <= highBin - 1; ++b)
            sum += fftData[b];
        history[1][0] = sum;
        if (binSpan > 0)
            history[1][0] = sum / binSpan;
        for (int b = lowBin + 1; b <= highBin - 1; ++b)
            history[1][b] = fftData[b] - history[1][0];

        const double w = m_geometry.widthTwips;
        const double rowHeight = m_geometry.heightTwips / 30.0;
        QPainter painter(&m_image);
        for (int e = 1; e <= binSpan - 1; ++e) {
            const int b = lowBin + e;
            // The cell's line is as wide as the step to the next bin's line: one-pixel lines in
            // every column from its own line's column to the one before the next line's (at least
            // its own), from the left edge for the first bin and to the right edge for the last.
            const int first = e == 1 ? 0 : int(std::floor(m_geometry.toPixels(double(e) * w / binSpan)));
            const int next = e == binSpan - 1
                                 ? m_image.width()
                                 : int(std::floor(m_geometry.toPixels(double(e + 1) * w / binSpan)));
            for (int k = 0; k <= 29; ++k) {
                const double v = history[k + 1][b];
                const double a = history[k][0];
                double red = 0.0;
                if (v > 0) {
                    // An average of 100 or more has no divisor left: full brightness.
                    red = 100.0 - a > 0 ? std::min(5.0 * 255.0 * v / (100.0 - a), 255.0) : 255.0;
                }
                const int level = int(std::nearbyint(red));
                painter.setPen(QColor(level, level, 120));
                for (int column = first; column <= std::max(first, next - 1); ++column)
                    painter.drawLine(QLineF(column, m_geometry.toPixels(k * rowHeight), column,
                                            m_geometry.toPixels((k + 1) * rowHeight)));
            }
        }
        paintPhase = 1;
    }

private:
    void line(QPainter &painter, double x1, double y1, double x2, double y2) const
    {
        painter.drawLine(QLineF(m_geometry.toPixels(x1), m_geometry.toPixels(y1), m_geometry.toPixels(x2),
                                m_geometry.toPixels(y2)));
    }

    spectrum::SpectrumGeometry m_geometry;
    QImage m_image;
    std::unique_ptr<History> m_history;
};

} // namespace veltrane::bench
