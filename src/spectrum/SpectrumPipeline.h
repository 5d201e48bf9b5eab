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
#include <bit>
#include <functional>
#include <memory>
#include <span>
#include <vector>

namespace veltrane::spectrum {

using Spectrum = std::array<qint32, SpectrumBins>;

// The 0..100 dB scale of a bin's power: round(10 x log10(power / fullScalePower)) + 100,
// clamped to 0..100 (halves round up). No logarithm per bin: the float's exponent and top four
// mantissa bits index a table of 1/16-octave buckets (0.19 dB each, so at most one step
// between integer values falls inside a bucket); one comparison against that step finishes.
//   fullScalePower 1.0: power 1.0 -> 100; 0.01 -> 80; 1e-10 -> 0; 0 -> 0; 4.0 -> 100 (clamped)
class DecibelScale
{
public:
    explicit DecibelScale(float fullScalePower);

    // For floats of the same sign the bit patterns order like the values, so the comparison
    // runs on integers.
    qint32 operator()(float power) const
    {
        const quint32 bits = std::bit_cast<quint32>(power) & 0x7fffffffu; // the size, not the sign
        const quint32 bucket = bits >> 19;
        return qint32(m_base[bucket]) + (bits >= m_step[bucket] ? 1 : 0);
    }

private:
    static constexpr int Buckets = 1 << 12; // 8 exponent bits + 4 mantissa bits
    std::array<quint32, Buckets> m_step{};  // bits of the power at which the value goes up by one
    std::array<quint8, Buckets> m_base{};   // value at the bucket's lower edge
};

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
    std::vector<float> m_window;
    std::array<float, SpectrumBins> m_power{};
    std::unique_ptr<DecibelScale> m_scale;
    std::unique_ptr<Fft> m_fft;
    std::vector<float> m_history; // newest samples, at most FftSize - 1 + Hop
    qsizetype m_untilNext = FftSize;
    qint64 m_produced = 0;
};

} // namespace veltrane::spectrum
