// SPDX-License-Identifier: GPL-3.0-or-later
#include "spectrum/Resampler.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <numeric>

namespace veltrane::spectrum {

namespace {

constexpr double PassBandEdgeHz = 3300.0;
constexpr double StopBandEdgeHz = 4000.0;
constexpr double StopBandAttenuationDb = 80.0;

// Modified Bessel function of the first kind, order 0 (power series; converges fast for the
// Kaiser window's arguments).
double besselI0(double x)
{
    double sum = 1.0;
    double term = 1.0;
    const double quarterSquare = x * x / 4.0;
    for (int k = 1; k < 50; ++k) {
        term *= quarterSquare / (double(k) * k);
        sum += term;
        if (term < sum * 1e-12)
            break;
    }
    return sum;
}

} // namespace

Resampler::Resampler(int inputRate, int outputRate) : m_inputRate(inputRate), m_outputRate(outputRate)
{
    if (inputRate <= 0 || outputRate <= 0 || inputRate == outputRate) {
        m_history.clear();
        return;
    }
    const int divisor = std::gcd(inputRate, outputRate);
    m_up = outputRate / divisor;
    m_down = inputRate / divisor;

    // Low-pass at the up-sampled rate: cut between the pass-band edge and the lower of the two
    // Nyquist limits (4000 Hz for 8000 samples/s out).
    const double upRate = double(inputRate) * m_up;
    const double nyquist = std::min(inputRate, outputRate) / 2.0;
    const double stopEdge = std::min(StopBandEdgeHz, nyquist);
    const double passEdge = std::min(PassBandEdgeHz, stopEdge * 0.825);
    const double cutoff = (passEdge + stopEdge) / 2.0 / upRate; // cycles per up-sampled sample
    const double transition = 2.0 * std::numbers::pi * (stopEdge - passEdge) / upRate;
    const double beta = 0.1102 * (StopBandAttenuationDb - 8.7);
    const int minimumLength = int(std::ceil((StopBandAttenuationDb - 7.95) / (2.285 * transition))) + 1;
    m_tapsPerPhase = std::max(1, (minimumLength + m_up - 1) / m_up);
    const int length = m_tapsPerPhase * m_up;

    std::vector<double> prototype(static_cast<size_t>(length));
    const double centre = (length - 1) / 2.0;
    const double i0Beta = besselI0(beta);
    double sum = 0.0;
    for (int n = 0; n < length; ++n) {
        const double t = n - centre;
        const double sinc =
            t == 0.0 ? 2.0 * cutoff : std::sin(2.0 * std::numbers::pi * cutoff * t) / (std::numbers::pi * t);
        const double ratio = t / centre;
        const double window =
            centre > 0.0 ? besselI0(beta * std::sqrt(std::max(0.0, 1.0 - ratio * ratio))) / i0Beta : 1.0;
        prototype[size_t(n)] = sinc * window;
        sum += prototype[size_t(n)];
    }
    // Each phase sees every m_up-th tap: scale so that a constant input comes out unchanged.
    const double gain = m_up / sum;

    // Phase p's taps in input order (oldest input first): output at up-sampled position t with
    // t mod m_up == p uses inputs x[t/m_up - q] with taps h[p + q m_up], q = 0..taps-1.
    m_phases.assign(size_t(length), 0.0f);
    for (int p = 0; p < m_up; ++p) {
        float *taps = &m_phases[size_t(p) * size_t(m_tapsPerPhase)];
        for (int q = 0; q < m_tapsPerPhase; ++q)
            taps[m_tapsPerPhase - 1 - q] = float(prototype[size_t(p + q * m_up)] * gain);
    }
    m_history.assign(size_t(m_tapsPerPhase - 1), 0.0f);
    m_phaseAccumulator = 0;
}

void Resampler::process(std::span<const float> in, std::vector<float> &out)
{
    if (isPassThrough()) {
        out.insert(out.end(), in.begin(), in.end());
        return;
    }
    m_history.insert(m_history.end(), in.begin(), in.end());

    // m_phaseAccumulator is the next output's position on the up-sampled grid, counted from
    // the up-sampled position of m_history[m_tapsPerPhase - 1].
    const long long available = static_cast<long long>(m_history.size()) - (m_tapsPerPhase - 1);
    while (m_phaseAccumulator / m_up < available) {
        const long long newest = m_phaseAccumulator / m_up + (m_tapsPerPhase - 1);
        const int phase = int(m_phaseAccumulator % m_up);
        const float *taps = &m_phases[size_t(phase) * size_t(m_tapsPerPhase)];
        const float *samples = &m_history[size_t(newest - (m_tapsPerPhase - 1))];
        float acc = 0.0f;
        for (int q = 0; q < m_tapsPerPhase; ++q)
            acc += taps[q] * samples[q];
        out.push_back(acc);
        m_phaseAccumulator += m_down;
    }

    // Keep only the inputs that later outputs still reach.
    const long long consumed = std::min<long long>(m_phaseAccumulator / m_up, available);
    if (consumed > 0) {
        m_history.erase(m_history.begin(), m_history.begin() + consumed);
        m_phaseAccumulator -= consumed * m_up;
    }
}

} // namespace veltrane::spectrum
