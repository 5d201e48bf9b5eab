// SPDX-License-Identifier: GPL-3.0-or-later
// How weak signals show in the waterfall: steady tones at -15, -20, -24 and -27 dB signal to
// noise in 2500 Hz (the JT65 decoders' scale) in white noise go through the engine's pipeline,
// the spectrum store and PaintSpectrum into the painter in waterfall mode, for 30 drawn rows; the
// same audio goes through the previous engine (bench/PreviousSpectrumEngine.h) into a second
// painter. From the pictures, per tone:
//   contrast: (mean level of the tone's column - mean of the noise columns' means) / the noise
//             columns' standard deviation, each column's level averaged over its 30 rows;
//   cell:     the same difference over the noise cells' standard deviation (one cell's view, what
//             the eye meets in a single row);
//   lit:      the share of noise cells brighter than navy, among the noise columns within 200 Hz.
// Noise columns lie more than 40 Hz from every tone. The tone's column is the one of the line of
// the bin nearest to it. Targets: contrast >= 10 at -20 dB and >= 5 at -24 dB, and at most
// 20 % of all noise cells lit. Exits 1 when this engine misses one.

#include "PreviousSpectrumEngine.h"
#include "spectrum/SpectrumPainter.h"
#include "spectrum/SpectrumPipeline.h"
#include "spectrum/SpectrumStore.h"

#include <QGuiApplication>

#include <cmath>
#include <cstdio>
#include <iterator>
#include <memory>
#include <numbers>
#include <random>
#include <vector>

using namespace veltrane;

namespace {

constexpr int Rate = 8000;
constexpr double NoiseRms = 0.02; // -34 dB below a full-scale sine's peak
constexpr int WarmUpSpectra = 4;  // one second, before the first drawn row
constexpr int DrawnRows = 30;

struct Tone
{
    double snrDb;
    double hz;
};
// Two tones between bins (0.4 of a bin off), one on a bin, one 0.2 off.
constexpr Tone Tones[] = {{-15.0, 1500.0}, {-20.0, 1100.0}, {-24.0, 1900.0}, {-27.0, 700.0}};

std::vector<float> audio(int samples)
{
    std::mt19937 random(2024);
    std::normal_distribution<double> noise(0.0, NoiseRms);
    // Signal power over the noise power in 2500 Hz of the 4000 Hz the noise spreads over.
    const double noiseIn2500 = NoiseRms * NoiseRms * 2500.0 / 4000.0;
    std::vector<float> out(static_cast<size_t>(samples));
    for (int n = 0; n < samples; ++n) {
        double v = noise(random);
        for (const Tone &t : Tones)
            v += std::sqrt(2.0 * noiseIn2500 * std::pow(10.0, t.snrDb / 10.0)) *
                 std::sin(2.0 * std::numbers::pi * t.hz * n / Rate);
        out[size_t(n)] = float(v);
    }
    return out;
}

class StoreSource final : public spectrum::SpectrumSource
{
public:
    int fnGetFFTData(qint32 *data, int firstBin, int lastBin) override
    {
        return store.copy(data, firstBin, lastBin);
    }
    spectrum::SpectrumStore store;
};

// A painter fed through the store and PaintSpectrum, as the window does with each new spectrum.
struct Picture
{
    Picture()
    {
        painter.selectMode(int(spectrum::DisplayMode::Waterfall));
        painter.startShowing(270, 2270);
    }
    void operator()(const spectrum::Spectrum &s)
    {
        if (++spectra <= WarmUpSpectra)
            return;
        source.store.publish(s);
        spectrum::PaintSpectrum(source, painter, spectrum::DisplayMode::Waterfall);
    }
    StoreSource source;
    spectrum::SpectrumPainter painter;
    int spectra = 0;
};

struct Figures
{
    double contrast[std::size(Tones)];
    double cell[std::size(Tones)];
    double lit[std::size(Tones)];
    double litAll;
};

Figures measure(const QImage &image)
{
    const int width = image.width();
    const double rowPixels = double(image.height()) / DrawnRows;
    auto hzOf = [&](double column) { return 270.0 + (column + 0.5) * 2000.0 / width; };
    std::vector<double> columnMean(size_t(width), 0.0);
    std::vector<double> columnSquares(size_t(width), 0.0);
    std::vector<int> columnLit(size_t(width), 0);
    for (int c = 0; c < width; ++c)
        for (int k = 0; k < DrawnRows; ++k) {
            const int level = qRed(image.pixel(c, int((k + 0.5) * rowPixels)));
            columnMean[size_t(c)] += double(level) / DrawnRows;
            columnSquares[size_t(c)] += double(level) * level;
            columnLit[size_t(c)] += level > 0 ? 1 : 0;
        }
    auto isNoise = [&](int c) {
        for (const Tone &t : Tones)
            if (std::abs(hzOf(c) - t.hz) <= 40.0)
                return false;
        return true;
    };
    double sum = 0.0, squares = 0.0, cellSquares = 0.0;
    int noise = 0, lit = 0;
    for (int c = 0; c < width; ++c)
        if (isNoise(c)) {
            sum += columnMean[size_t(c)];
            squares += columnMean[size_t(c)] * columnMean[size_t(c)];
            cellSquares += columnSquares[size_t(c)];
            lit += columnLit[size_t(c)];
            ++noise;
        }
    const double mean = sum / noise;
    const double sd = std::sqrt(std::max(0.0, (squares - noise * mean * mean) / (noise - 1)));
    const int cells = noise * DrawnRows;
    const double cellSd = std::sqrt(std::max(0.0, (cellSquares - cells * mean * mean) / (cells - 1)));

    Figures f{};
    f.litAll = 100.0 * lit / (noise * DrawnRows);
    for (size_t i = 0; i < std::size(Tones); ++i) {
        const double hz = Tones[i].hz;
        // The column of the line of the bin nearest to the tone (bin 69 at the left edge, 512
        // bins across the picture).
        const int bin = int(std::lround(hz / spectrum::BinWidthHz));
        const double toneMean = columnMean[size_t(std::floor((bin - 69) * double(width) / 512.0))];
        int near = 0, nearLit = 0;
        for (int c = 0; c < width; ++c) {
            if (isNoise(c) && std::abs(hzOf(c) - hz) <= 200.0) {
                near += DrawnRows;
                nearLit += columnLit[size_t(c)];
            }
        }
        f.contrast[i] = sd > 0.0 ? (toneMean - mean) / sd : INFINITY;
        f.cell[i] = cellSd > 0.0 ? (toneMean - mean) / cellSd : INFINITY;
        f.lit[i] = 100.0 * nearLit / near;
    }
    return f;
}

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);

    // Enough audio for the warm-up and 30 drawn rows (one in four spectra is drawn).
    const int spectra = WarmUpSpectra + 4 * DrawnRows;
    const std::vector<float> samples = audio(2048 + (spectra - 1) * 2000);

    auto current = std::make_unique<Picture>();
    auto previous = std::make_unique<Picture>();
    spectrum::SpectrumPipeline pipeline([&](const spectrum::Spectrum &s) { (*current)(s); });
    bench::PreviousSpectrumEngine reference([&](const spectrum::Spectrum &s) { (*previous)(s); });
    for (size_t i = 0; i < samples.size(); i += 1000) { // pieces as a sound card hands them over
        const std::span<const float> piece(samples.data() + i, std::min<size_t>(1000, samples.size() - i));
        pipeline.feed(piece);
        reference.feed(piece);
    }
    const Figures now = measure(current->painter.image());
    const Figures before = measure(previous->painter.image());

    std::printf("%d waterfall rows of steady tones in white noise (%.2f rms); levels 0..255 of the "
                "picture's columns\n",
                DrawnRows, NoiseRms);
    std::printf("%-20s %-25s %-25s %-16s %s\n", "", "previous engine", "this engine", "target", "ok");
    std::printf("%-20s %8s %7s %8s %8s %7s %8s\n", "tone", "contrast", "cell", "lit", "contrast", "cell",
                "lit");
    bool ok = true;
    for (size_t i = 0; i < std::size(Tones); ++i) {
        const double target = Tones[i].snrDb == -20.0 ? 10.0 : Tones[i].snrDb == -24.0 ? 5.0 : 0.0;
        const bool met = now.contrast[i] >= target;
        ok = ok && met;
        char label[32], goal[32];
        std::snprintf(label, sizeof label, "%+.0f dB at %.0f Hz", Tones[i].snrDb, Tones[i].hz);
        std::snprintf(goal, sizeof goal, target > 0.0 ? "contrast >= %.0f" : "-", target);
        std::printf("%-20s %8.1f %7.2f %7.1f%% %8.1f %7.2f %7.1f%%  %-16s %s\n", label, before.contrast[i],
                    before.cell[i], before.lit[i], now.contrast[i], now.cell[i], now.lit[i], goal,
                    target > 0.0 ? (met ? "yes" : "NO") : "");
    }
    const bool dark = now.litAll <= 20.0;
    ok = ok && dark;
    std::printf("%-20s %8s %7s %7.1f%% %8s %7s %7.1f%%  %-16s %s\n", "all noise cells", "", "", before.litAll,
                "", "", now.litAll, "lit <= 20 %", dark ? "yes" : "NO");
    return ok ? 0 : 1;
}
