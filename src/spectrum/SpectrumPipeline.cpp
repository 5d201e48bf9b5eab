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

void binPowers(float *__restrict power, const fftwf_complex *__restrict bins)
{
    const float *values = &bins[0][0];
    for (int b = 0; b < SpectrumBins; ++b)
        power[b] = values[2 * b] * values[2 * b] + values[2 * b + 1] * values[2 * b + 1];
}

} // namespace

DecibelScale::DecibelScale(float fullScalePower)
{
    // steps[k - 1]: the least power that reads k (k = 1..100), i.e. 10 log10(p / full) >= k - 100.5.
    std::array<float, 100> steps{};
    for (int k = 1; k <= 100; ++k)
        steps[size_t(k - 1)] = float(double(fullScalePower) * std::pow(10.0, (k - 100.5) / 10.0));

    for (int bucket = 0; bucket < Buckets; ++bucket) {
        const float low = std::bit_cast<float>(quint32(bucket) << 19);
        const float high = bucket + 1 < Buckets ? std::bit_cast<float>(quint32(bucket + 1) << 19)
                                                : std::numeric_limits<float>::infinity();
        const bool special = !std::isfinite(low); // infinities and NaN read full scale
        int base = 0;
        float step = std::numeric_limits<float>::infinity();
        for (float s : steps) {
            if (special || s <= low)
                ++base;
            else if (s < high && step == std::numeric_limits<float>::infinity())
                step = s;
        }
        m_base[size_t(bucket)] = quint8(base);
        // No step above the top of the scale (no size reaches 0xffffffff, not even infinity).
        m_step[size_t(bucket)] = base >= 100 || std::isinf(step) ? 0xffffffffu : std::bit_cast<quint32>(step);
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
    m_scale = std::make_unique<DecibelScale>(float(fullScaleMagnitude * fullScaleMagnitude));
    m_history.reserve(size_t(FftSize + Hop));
}

SpectrumPipeline::~SpectrumPipeline() = default;

void SpectrumPipeline::reset()
{
    m_history.clear();
    m_untilNext = FftSize;
}

void SpectrumPipeline::feed(std::span<const float> samples)
{
    Spectrum spectrum;
    while (!samples.empty()) {
        const auto take = std::min<qsizetype>(m_untilNext, qsizetype(samples.size()));
        m_history.insert(m_history.end(), samples.begin(), samples.begin() + take);
        samples = samples.subspan(size_t(take));
        m_untilNext -= take;
        if (m_untilNext > 0)
            break;
        computeSpectrum(m_history.data() + (m_history.size() - FftSize), spectrum);
        m_history.erase(m_history.begin(), m_history.end() - FftSize);
        m_untilNext = Hop;
        ++m_produced;
        if (m_sink)
            m_sink(spectrum);
    }
}

void SpectrumPipeline::computeSpectrum(const float *frame, Spectrum &out)
{
    applyWindow(m_fft->input, frame, m_window.data());
    fftwf_execute(m_fft->plan);
    binPowers(m_power.data(), m_fft->output);
    const DecibelScale &scale = *m_scale;
    for (int b = 0; b < SpectrumBins; ++b)
        out[size_t(b)] = scale(m_power[size_t(b)]);
}

} // namespace veltrane::spectrum
