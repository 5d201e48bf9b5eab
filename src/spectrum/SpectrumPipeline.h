// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The engine's signal processing, free of any audio device: mono samples at 8000 samples/s
// in, one magnitude spectrum per 2000 new samples out (four per second).
//
// A 2048-point real transform (FFTW, single precision) of the newest 2048 samples under a Hann
// window runs every 1000 samples, so neighbouring windows overlap by half and every sample
// counts about the same. Each spectrum is the mean of the power spectra of the last eight
// transforms: the last second of audio, about four hops. The waterfall draws one spectrum in
// four, so the spectra it draws follow each other without a gap and no audio is lost to its
// decimation; the mean of eight narrows a white-noise bin's spread from a standard deviation of
// 5.6 dB to 1.6 dB. Bin b (0..1023) is b x 3.90625 Hz. The mean powers become 0..100 magnitudes
// through MagnitudeScale, against the median power of the bins of 270 to 2270 Hz, the receive
// band around 1270 Hz: noise reads 1, a full-scale sine 100, silence 0.
//
// Owns its FFTW plan and buffers; not thread-safe (one pipeline per capture thread).

#include "spectrum/SpectrumSource.h"

#include <array>
#include <functional>
#include <memory>
#include <span>
#include <vector>

namespace veltrane::spectrum {

using Spectrum = std::array<qint32, SpectrumBins>;

// The 0..100 magnitudes, made for the waterfall's colour rule, which lights a cell by how far it
// stands above its spectrum's average (about 13 brightness levels a unit): noise reads 1, so
// noise cells stay at or below the average and dark; weak signals climb steeply; full scale
// reads 100. Against a noise reference N (a power), the threshold is T = N x 10^0.2 (2 dB up),
// but at least the floor F, 100 dB below a full-scale sine (power P100). A bin of power p reads
//   0 when p <= F (silence), 1 when F < p <= T, and above T, with x = 10 log10(p / T) dB,
//   1 + 5 x up to x = 10 (51), then a straight line on to 100 at full scale (10 log10(P100 / T)),
// rounded, halves up, at most 100. When full scale lies less than 19.8 dB above T (where the
// line on would be the steeper), one straight line runs from 1 at T to 100 at full scale.
//   P100 1, N 6.31e-7 (T 1e-6, 60 dB below full scale): 1e-7 -> 1; 1e-5 (10 dB over T) -> 51;
//   0.1 (50 dB over T) -> 51 + 40 x 49/50 = 90; 1 -> 100; 1e-10 (the floor) -> 0
class MagnitudeScale
{
public:
    static constexpr double ThresholdDb = 2.0; // T above the noise reference
    static constexpr double FloorDb = -100.0;  // F against full scale
    static constexpr double SteepPerDb = 5.0;  // magnitude units per dB just above T
    static constexpr double KneeDb = 10.0;     // where the steep part ends (magnitude 51)

    explicit MagnitudeScale(float fullScalePower);

    // The magnitudes of a spectrum's powers against `noiseReference`.
    void apply(const std::array<float, SpectrumBins> &power, float noiseReference, Spectrum &out) const;

private:
    float m_fullScalePower;
};

class SpectrumPipeline
{
public:
    static constexpr int SampleRate = 8000;
    static constexpr int FftSize = 2048;
    static constexpr int Hop = 2000;          // samples per spectrum
    static constexpr int TransformHop = 1000; // samples per transform
    static constexpr int TransformsAveraged = 8;
    static constexpr int NoiseFirstBin = 69; // 270 Hz
    static constexpr int NoiseLastBin = 581; // 2270 Hz, not included

    using Sink = std::function<void(const Spectrum &)>;

    explicit SpectrumPipeline(Sink sink);
    ~SpectrumPipeline();
    SpectrumPipeline(const SpectrumPipeline &) = delete;
    SpectrumPipeline &operator=(const SpectrumPipeline &) = delete;

    // Takes samples (full scale +-1.0). The first spectrum comes once 2048 samples are in (the
    // mean of that one transform), then one after every further 2000 (of up to eight); each
    // goes to the sink before feed() returns.
    void feed(std::span<const float> samples);

    // Drops the samples and transforms held so far; the next spectrum again needs 2048 samples.
    void reset();

    qint64 spectraProduced() const { return m_produced; }

private:
    struct Fft;
    using Powers = std::array<float, SpectrumBins>;

    void transform();
    void deliver();

    Sink m_sink;
    std::vector<float> m_window;
    std::unique_ptr<MagnitudeScale> m_scale;
    std::unique_ptr<Fft> m_fft;
    static constexpr int HistoryLimit = 4 * FftSize; // trimmed to the newest FftSize from here
    std::vector<float> m_history;                    // newest samples, fewer than HistoryLimit + TransformHop
    static constexpr int PairsAveraged = TransformsAveraged / 2;
    std::array<Powers, PairsAveraged> m_pairs{}; // summed powers of the last hops' transforms, a ring
    int m_transforms = 0;                        // transforms since the start or reset
    qsizetype m_untilNext = FftSize;             // samples until the next transform
    qint64 m_produced = 0;
};

} // namespace veltrane::spectrum
