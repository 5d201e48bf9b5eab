// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Sample-rate conversion of captured audio to the pipeline's 8000 samples/s, for devices that
// only offer their own rate (44 100 or 48 000 samples/s and the like).
//
// A polyphase windowed-sinc filter (Kaiser window, about 80 dB stop band) runs at the common
// multiple of both rates: its pass band reaches 3300 Hz and everything from 4000 Hz up (what
// would fold back into 0..4000 Hz after the rate change) is suppressed. Samples are never
// simply dropped. 48 000 -> 8000 keeps one output per six inputs; 44 100 -> 8000 interpolates
// by 80 and keeps one per 441. At 8000 samples/s in, samples pass through unchanged.
//
// Keeps its filter state between calls, so a stream may arrive in pieces of any size.

#include <span>
#include <vector>

namespace veltrane::spectrum {

class Resampler
{
public:
    explicit Resampler(int inputRate, int outputRate = 8000);

    // Appends the output samples that `in` completes to `out`.
    void process(std::span<const float> in, std::vector<float> &out);

    int inputRate() const { return m_inputRate; }
    int outputRate() const { return m_outputRate; }
    int upFactor() const { return m_up; }
    int downFactor() const { return m_down; }
    bool isPassThrough() const { return m_up == 1 && m_down == 1; }

private:
    int m_inputRate;
    int m_outputRate;
    int m_up = 1;
    int m_down = 1;
    int m_tapsPerPhase = 1;
    std::vector<float> m_phases;      // m_up phases x m_tapsPerPhase taps, newest input first
    std::vector<float> m_history;     // last inputs, oldest first
    long long m_phaseAccumulator = 0; // position of the next output on the up-sampled grid
};

} // namespace veltrane::spectrum
