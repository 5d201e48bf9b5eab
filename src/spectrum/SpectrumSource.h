// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Where the painter fetches the newest spectrum: the sound-card engine in the program, a
// scripted fake in tests. One call copies bins firstBin..lastBin-1 of the newest complete
// spectrum into data[firstBin..lastBin-1]; the rest of the array is left alone.

#include <QtGlobal>

namespace veltrane::spectrum {

// Bins per spectrum as callers see them (a 2048-point transform gives 1024 useful bins).
inline constexpr int SpectrumBins = 1024;

// Width of one bin in hertz: 8000 samples/s over 2048 points.
inline constexpr double BinWidthHz = 3.90625;

// Posted to the window given at engine start each time a new spectrum is ready.
inline constexpr int SpectrumDataEventType = 2024;

class SpectrumSource
{
public:
    virtual ~SpectrumSource() = default;

    // Copies the newest complete spectrum's bins firstBin <= b < lastBin into data[b] (0 = silence,
    // 1 = noise, 100 = a full-scale sine; MagnitudeScale in SpectrumPipeline.h). Before the first
    // spectrum the bins read 0. The range is clipped to 0..SpectrumBins. Returns the number of
    // bins written.
    virtual int fnGetFFTData(qint32 *data, int firstBin, int lastBin) = 0;
};

} // namespace veltrane::spectrum
