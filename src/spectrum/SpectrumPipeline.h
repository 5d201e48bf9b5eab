#pragma once
// The engine's signal processing, free of any audio device: mono samples at 8000 samples/s
// in, one magnitude spectrum per 2000 new samples out (four per second).
//
// Each spectrum is a 2048-point real transform (FFTW, single precision) of the newest 2048
// samples under a Hann window. Bin b (0..1023) is b x 3.90625 Hz. Its magnitude is given in
// dB above a floor 100 dB below full scale, clamped to 0..100: a full-scale sine (amplitude
// 1.0) centred on a bin reads 100, a sine 20 dB weaker reads 80, silence reads 0.
//
// Owns its FFTW plan and buffers; not thread-safe (one pipeline per capture thread).

#include "spectrum/SpectrumSource.h"

#include <array>
#include <functional>
#include <span>
#include <vector>

namespace veltrane::spectrum {

using Spectrum = std::array<qint32, SpectrumBins>;

class SpectrumPipeline
{
public:
    static constexpr int SampleRate = 8000;
    static constexpr int FftSize = 2048;
    static constexpr int Hop = 2000;

    using Sink = std::function<void(const Spectrum &)>;

    explicit SpectrumPipeline(Sink sink);
    ~SpectrumPipeline();
    SpectrumPipeline(const SpectrumPipeline &) = delete;
    SpectrumPipeline &operator=(const SpectrumPipeline &) = delete;

    // Takes samples (full scale +-1.0). The first spectrum comes once 2048 samples are in,
    // then one after every further 2000; each goes to the sink before feed() returns.
    void feed(std::span<const float> samples);

    // Drops the samples held so far; the next spectrum again needs 2048 samples.
    void reset();

    // One transform of exactly FftSize samples into `out` (what feed() does per spectrum).
    void computeSpectrum(const float *frame, Spectrum &out);

    qint64 spectraProduced() const { return m_produced; }

private:
    struct Fft;

    Sink m_sink;
    std::unique_ptr<Fft> m_fft;
    std::vector<float> m_history;  // newest samples, at most FftSize - 1 + Hop
    qsizetype m_untilNext = FftSize;
    qint64 m_produced = 0;
};

// dB value of a power ratio for the 0..100 scale: 10 x log10(power / fullScalePower) + 100,
// clamped to 0..100 and rounded to the nearest integer. Uses a fast log2 (error well under
// 0.01 dB). Worked example: power == fullScalePower -> 100; a hundredth of it -> 80; 0 -> 0.
qint32 scaledMagnitude(float power, float fullScalePower);

}  // namespace veltrane::spectrum
