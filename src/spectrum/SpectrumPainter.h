// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Draws the receiver spectrum into a persistent backing image (the picture box's content):
// either a trace over the 21-line frequency grid or a scrolling 30-row waterfall. The window
// shows the image (SpectrumPicture) and forwards the display-mode clicks; the painter holds
// the waterfall history, which lives for the whole run.
//
// Geometry is worked out in twips, the picture's designed units (9045 x 945), and scaled to
// the image's pixels by the twips-per-pixel of the screen (15 at 96 DPI: 603 x 63 pixels).
// All drawing matches what plain QPainter line drawing of the same segments gives, pixel for
// pixel; a waterfall cell's line is as wide as the step to the next bin's line, so every
// picture column is painted. The waterfall is written straight into the image's scan lines
// through a colour table, and the trace is drawn over a cached copy of the grid.
//
// Not a widget and not thread-safe: it runs on the window's thread, inside the event that
// announces a new spectrum.

#include "spectrum/SpectrumSource.h"

#include <QImage>
#include <QRgb>

#include <array>
#include <memory>
#include <vector>

namespace veltrane::spectrum {

// The two display modes, numbered as the option pair numbers them ("FFT" 0, "WF" 1).
enum class DisplayMode { Trace = 0, Waterfall = 1 };

struct SpectrumGeometry
{
    double widthTwips = 9045.0;
    double heightTwips = 945.0;
    double twipsPerPixel = 15.0;

    // 1440 twips per logical inch: 96 DPI -> 15, 144 DPI -> 10.
    static double twipsPerPixelForDpi(double logicalDpi) { return 1440.0 / logicalDpi; }

    // Image size: 9045 x 945 twips at 15 twips per pixel -> 603 x 63.
    QSize pixelSize() const;
    double toPixels(double twips) const { return twips / twipsPerPixel; }
};

// Shown bin range of an audio range: Int(hz / 3.90625). 270 Hz -> 69, 2270 Hz -> 581.
int binForHz(int hz);

// Brightness (0..255) of one waterfall cell: `value` is the bin's magnitude minus its
// spectrum's average, `averageAbove` the average stored one history row above (0 for the top
// row). level = 5 x 255 x value / (100 - averageAbove), limited to 255, rounded half to even;
// 0 when value <= 0; 255 when value > 0 and the divisor is 0 or negative.
//   waterfallLevel(0.09765625, 0) == 1   (1.2451171875 rounded)
//   waterfallLevel(0.5, 99.5)     == 255 (1275 limited)
int waterfallLevel(double value, double averageAbove);

// A cell's colour: RGB(level, level, 120).
inline QRgb waterfallColour(int level)
{
    return qRgb(level, level, 120);
}

inline constexpr QRgb BackgroundColour = 0xff0000c0; // RGB(0, 0, 192)
inline constexpr QRgb GridColour = 0xff808000;       // olive RGB(128, 128, 0)
inline constexpr QRgb GridCentreColour = 0xff800080; // magenta RGB(128, 0, 128)
inline constexpr QRgb TraceColour = 0xff00ffff;      // cyan RGB(0, 255, 255)

class SpectrumPainter
{
public:
    static constexpr int HistoryRows = 51;
    static constexpr int ShownRows = 30;
    using HistoryRow = std::array<double, SpectrumBins>;
    using History = std::array<HistoryRow, HistoryRows>;

    explicit SpectrumPainter(SpectrumGeometry geometry = {});
    ~SpectrumPainter();

    const QImage &image() const { return m_image; }
    const SpectrumGeometry &geometry() const { return m_geometry; }

    // Fills the image with the background colour.
    void clear();

    // 21 vertical lines from y = 200 twips to the bottom, W/20 apart (single-precision steps),
    // the centre one magenta, the others olive. Does not clear first.
    void drawFrequencyGrid();

    // The shown audio range and the waterfall's phase, set when sound starts: 270 to 2270 Hz,
    // phase 0. Until then the range is empty.
    void startShowing(int lowHz, int highHz);
    int lowHz() const { return m_lowHz; }
    int highHz() const { return m_highHz; }
    int paintPhase() const { return m_paintPhase; }

    // One new spectrum (fftData[b] for lowBin <= b < highBin): in trace mode clear, grid and
    // trace; in waterfall mode the decimated waterfall step, which advances the phase.
    void paint(DisplayMode mode, const qint32 *fftData, int lowBin, int highBin);

    // Clear, grid, then the cyan trace: segment e (1 .. span-1) joins bin lowBin+e-1 at
    // x = e W/span to bin lowBin+e at x = (e+1) W/span; y = H - H/100 x magnitude.
    void drawTrace(const qint32 *fftData, int lowBin, int highBin);

    // Phase 0: scroll the history, store the new row and redraw all 30 rows; phase 1, 2, 3
    // (or any other value): only advance the phase (1 -> 2 -> 3 -> 0). Bin e's cells fill the
    // columns from x = e W/span up to the next bin's line (the first bin from the left edge,
    // the last to the right edge): 603 columns at the designed size, none left blank.
    void waterfallStep(const qint32 *fftData, int lowBin, int highBin);

    // The display-mode option was clicked: clear, and draw the grid for index 0 ("FFT").
    void selectMode(int index);

    const History &history() const { return *m_history; }

private:
    void drawWaterfall(int lowBin, int highBin);
    void rebuildGridCache();

    SpectrumGeometry m_geometry;
    QImage m_image;
    QImage m_gridCache; // background plus grid, for the trace
    std::unique_ptr<History> m_history;
    std::vector<quint8> m_levels; // brightness of the shown cells, 30 rows x SpectrumBins
    int m_levelsLow = -1;         // bin range m_levels was worked out for
    int m_levelsHigh = -1;
    int m_lowHz = 0;
    int m_highHz = 0;
    int m_paintPhase = 0;
};

// The handler of each new-spectrum event: the painter's shown range, one fnGetFFTData call
// into a fresh zeroed 1024-element array, then paint() in `mode`.
void PaintSpectrum(SpectrumSource &source, SpectrumPainter &painter, DisplayMode mode);

} // namespace veltrane::spectrum
