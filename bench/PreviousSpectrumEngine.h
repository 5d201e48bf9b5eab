// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The engine's signal path as it was before spectra were averaged, kept as the reference of the
// weak-signal benchmark: one 2048-point Hann transform of the newest 2048 samples per 2000 new
// samples (the first once 2048 are in), each bin's power in dB above a floor 100 dB below a
// full-scale sine, rounded (halves up) and limited to 0..100. Plain and slow: a logarithm per
// bin. Same call shape as SpectrumPipeline, so the benchmark feeds both the same way.

#include "spectrum/SpectrumPipeline.h"

#include <fftw3.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <numbers>
#include <span>
#include <vector>

namespace veltrane::bench {

class PreviousSpectrumEngine
{
public:
    static constexpr int FftSize = 2048;
    static constexpr int Hop = 2000;
    using Sink = std::function<void(const spectrum::Spectrum &)>;

    explicit PreviousSpectrumEngine(Sink sink)
        : m_sink(std::move(sink)), m_window(FftSize), m_input(fftwf_alloc_real(FftSize)),
          m_output(fftwf_alloc_complex(FftSize / 2 + 1)),
          m_plan(fftwf_plan_dft_r2c_1d(FftSize, m_input, m_output, FFTW_ESTIMATE))
    {
        double sum = 0.0;
        for (int n = 0; n < FftSize; ++n) {
            m_window[size_t(n)] = float(0.5 - 0.5 * std::cos(2.0 * std::numbers::pi * n / FftSize));
            sum += m_window[size_t(n)];
        }
        m_fullScalePower = (sum / 2.0) * (sum / 2.0);
    }
    ~PreviousSpectrumEngine()
    {
        fftwf_destroy_plan(m_plan);
        fftwf_free(m_output);
        fftwf_free(m_input);
    }
    PreviousSpectrumEngine(const PreviousSpectrumEngine &) = delete;
    PreviousSpectrumEngine &operator=(const PreviousSpectrumEngine &) = delete;

    void feed(std::span<const float> samples)
    {
        for (float sample : samples) {
            m_history.push_back(sample);
            if (--m_untilNext > 0)
                continue;
            m_history.erase(m_history.begin(), m_history.end() - FftSize);
            for (int n = 0; n < FftSize; ++n)
                m_input[n] = m_history[size_t(n)] * m_window[size_t(n)];
            fftwf_execute(m_plan);
            spectrum::Spectrum out;
            for (int b = 0; b < spectrum::SpectrumBins; ++b) {
                const double power =
                    double(m_output[b][0]) * m_output[b][0] + double(m_output[b][1]) * m_output[b][1];
                const double db = power > 0.0 ? 10.0 * std::log10(power / m_fullScalePower) : -1000.0;
                out[size_t(b)] = std::clamp(int(std::floor(db + 0.5)) + 100, 0, 100);
            }
            m_untilNext = Hop;
            m_sink(out);
        }
    }

private:
    Sink m_sink;
    std::vector<float> m_window;
    std::vector<float> m_history;
    int m_untilNext = FftSize;
    double m_fullScalePower = 1.0;
    float *m_input;
    fftwf_complex *m_output;
    fftwf_plan m_plan;
};

} // namespace veltrane::bench
