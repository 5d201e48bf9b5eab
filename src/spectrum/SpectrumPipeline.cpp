// SPDX-License-Identifier: GPL-3.0-or-later
#include "spectrum/SpectrumPipeline.h"

#include <fftw3.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <limits>
#include <mutex>
#include <numbers>

namespace veltrane::spectrum {

namespace {

// FFTW's planner is not thread-safe (only fftwf_execute is); plans are made and destroyed
// under this lock, whichever thread builds a pipeline.
std::mutex &plannerMutex()
{
    static std::mutex mutex;
    return mutex;
}

// Separate plain loops over unaliased arrays, so the compiler can vectorise them.
void applyWindow(float *__restrict input, const float *__restrict frame, const float *__restrict window)
{
    for (int n = 0; n < SpectrumPipeline::FftSize; ++n)
        input[n] = frame[n] * window[n];
}

// The transform's bin powers (from its interleaved real and imaginary parts) into `power`, or
// added to it.
void binPowers(float *__restrict power, const float *__restrict values, bool add)
{
    const float keep = add ? 1.0f : 0.0f;
    for (int b = 0; b < SpectrumBins; ++b)
        power[b] = keep * power[b] + values[2 * b] * values[2 * b] + values[2 * b + 1] * values[2 * b + 1];
}

// The mean of the pairs' powers, which hold `count` transforms in all.
void meanPowers(float *__restrict mean, const std::array<std::array<float, SpectrumBins>, 4> &pairs,
                int count)
{
    const float *__restrict a = pairs[0].data();
    const float *__restrict b = pairs[1].data();
    const float *__restrict c = pairs[2].data();
    const float *__restrict d = pairs[3].data();
    const float scale = 1.0f / float(count);
    for (int i = 0; i < SpectrumBins; ++i)
        mean[i] = ((a[i] + b[i]) + (c[i] + d[i])) * scale;
}

// The median of non-negative powers. Their bit patterns order like the values (a NaN above
// infinity), so the selection runs on integers, where every pattern has its place.
float medianPower(const float *power, int count)
{
    std::array<quint32, SpectrumBins> bits;
    for (int i = 0; i < count; ++i)
        bits[size_t(i)] = std::bit_cast<quint32>(power[i]) & 0x7fffffffu;
    auto middle = bits.begin() + count / 2;
    std::nth_element(bits.begin(), middle, bits.begin() + count);
    return std::bit_cast<float>(*middle);
}

// log2 of a positive power, without a libm call: the exponent from the float's bits, the
// mantissa m (1 <= m < 2) through ln m = 2 atanh(s), s = (m - 1) / (m + 1) < 1/3, to s^7 (error
// below 4e-5, 0.0001 dB). Infinity and NaN give about 128 and 129, above any finite power.
inline float fastLog2(float v)
{
    const quint32 bits = std::bit_cast<quint32>(v) & 0x7fffffffu;
    const float exponent = float(int(bits >> 23) - 127);
    const float m = std::bit_cast<float>((bits & 0x007fffffu) | 0x3f800000u);
    const float s = (m - 1.0f) / (m + 1.0f);
    const float s2 = s * s;
    const float series = 1.0f + s2 * (1.0f / 3 + s2 * (1.0f / 5 + s2 * (1.0f / 7)));
    return exponent + float(2.0 / std::numbers::ln2) * s * series;
}

} // namespace

MagnitudeScale::MagnitudeScale(float fullScalePower) : m_fullScalePower(fullScalePower) {}

void MagnitudeScale::apply(const std::array<float, SpectrumBins> &power, float noiseReference,
                           Spectrum &out) const
{
    const double full = m_fullScalePower;
    const double floorPower = full * std::pow(10.0, FloorDb / 10.0);
    const double threshold =
        std::max(double(noiseReference) * std::pow(10.0, ThresholdDb / 10.0), floorPower);
    const double top = 10.0 * std::log10(full / threshold); // dB from T up to full scale

    // The magnitude is the lower of two lines in x (dB above T): the steep one from 1 at T and
    // the one that ends at 100 at full scale; when full scale is near, one line from 1 to 100.
    const double knee = 1.0 + SteepPerDb * KneeDb;
    double steep = 99.0 / std::max(top, 1e-6); // full scale near: one line
    double upper = steep;
    double upperAtT = 1.0;
    if (top >= KneeDb + (100.0 - knee) / SteepPerDb) {
        steep = SteepPerDb;
        upper = (100.0 - knee) / (top - KneeDb);
        upperAtT = knee - upper * KneeDb;
    }
    const float log2Threshold = float(std::log2(threshold));
    const float dbPerOctave = float(10.0 * std::numbers::ln2 / std::numbers::ln10);
    const float steepF = float(steep), upperF = float(upper), upperAtTF = float(upperAtT);
    const float floorF = float(floorPower);
    for (int b = 0; b < SpectrumBins; ++b) { // a fixed count: the compiler vectorises it
        const float p = power[size_t(b)];
        const float x = dbPerOctave * (fastLog2(p) - log2Threshold);
        const float steepLine = 1.0f + steepF * x;
        const float upperLine = upperAtTF + upperF * x;
        float m = steepLine < upperLine ? steepLine : upperLine;
        m = m < 100.0f ? m : 100.0f;
        m = m > 1.0f ? m : 1.0f;
        const qint32 rounded = qint32(m + 0.5f); // m + 0.5 >= 1.5: truncation rounds
        out[size_t(b)] = p <= floorF ? 0 : rounded;
    }
}

struct SpectrumPipeline::Fft
{
    float *input = nullptr;
    fftwf_complex *output = nullptr;
    fftwf_plan plan = nullptr;

    Fft()
    {
        std::lock_guard lock(plannerMutex());
        input = fftwf_alloc_real(FftSize);
        output = fftwf_alloc_complex(FftSize / 2 + 1);
        plan = fftwf_plan_dft_r2c_1d(FftSize, input, output, FFTW_ESTIMATE);
    }
    ~Fft()
    {
        std::lock_guard lock(plannerMutex());
        fftwf_destroy_plan(plan);
        fftwf_free(output);
        fftwf_free(input);
    }
    Fft(const Fft &) = delete;
    Fft &operator=(const Fft &) = delete;
};

SpectrumPipeline::SpectrumPipeline(Sink sink)
    : m_sink(std::move(sink)), m_window(FftSize), m_fft(std::make_unique<Fft>())
{
    // Periodic Hann window; a full-scale sine centred on a bin gives |X| = sum(w) / 2.
    double sum = 0.0;
    for (int n = 0; n < FftSize; ++n) {
        m_window[size_t(n)] = float(0.5 - 0.5 * std::cos(2.0 * std::numbers::pi * n / FftSize));
        sum += m_window[size_t(n)];
    }
    const double fullScaleMagnitude = sum / 2.0;
    m_scale = std::make_unique<MagnitudeScale>(float(fullScaleMagnitude * fullScaleMagnitude));
    m_history.reserve(size_t(HistoryLimit + TransformHop));
}

SpectrumPipeline::~SpectrumPipeline() = default;

void SpectrumPipeline::reset()
{
    m_history.clear();
    for (Powers &pair : m_pairs)
        pair.fill(0.0f);
    m_transforms = 0;
    m_untilNext = FftSize;
}

void SpectrumPipeline::feed(std::span<const float> samples)
{
    while (!samples.empty()) {
        const auto take = std::min<qsizetype>(m_untilNext, qsizetype(samples.size()));
        m_history.insert(m_history.end(), samples.begin(), samples.begin() + take);
        samples = samples.subspan(size_t(take));
        m_untilNext -= take;
        if (m_untilNext > 0)
            break;
        transform();
        if (m_history.size() >= size_t(HistoryLimit)) // the samples no transform needs again
            m_history.erase(m_history.begin(), m_history.end() - FftSize);
        m_untilNext = TransformHop;
        // Spectra after the first transform, then after every second one.
        if ((m_transforms - 1) % (Hop / TransformHop) == 0)
            deliver();
    }
}

void SpectrumPipeline::transform()
{
    applyWindow(m_fft->input, m_history.data() + (m_history.size() - FftSize), m_window.data());
    fftwf_execute(m_fft->plan);
    // Transform j goes to pair (j + 1) / 2: the first alone, then two by two, each pair the two
    // transforms of one hop; the oldest pair is overwritten.
    const int j = m_transforms++;
    binPowers(m_pairs[size_t((j + 1) / 2 % PairsAveraged)].data(), &m_fft->output[0][0], j > 0 && j % 2 == 0);
}

void SpectrumPipeline::deliver()
{
    Powers mean;
    meanPowers(mean.data(), m_pairs, std::min(m_transforms, TransformsAveraged));
    const float noise = medianPower(mean.data() + NoiseFirstBin, NoiseLastBin - NoiseFirstBin);
    Spectrum spectrum;
    m_scale->apply(mean, noise, spectrum);
    ++m_produced;
    if (m_sink)
        m_sink(spectrum);
}

} // namespace veltrane::spectrum
