// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The newest complete spectrum, handed from the capture thread to the window's thread.
// publish() replaces it whole under a lock; copy() never sees a half-written spectrum.

#include "spectrum/SpectrumPipeline.h"

#include <QMutex>
#include <QObject>

#include <memory>

namespace veltrane::spectrum {

class SpectrumStore
{
public:
    void publish(const Spectrum &spectrum);

    // Copies bins firstBin <= b < lastBin (clipped to 0..SpectrumBins) into data[b]; zeros
    // before the first publish. Returns the number of bins written.
    int copy(qint32 *data, int firstBin, int lastBin) const;

    // How many spectra have been published.
    quint64 generation() const;

    void clear();

private:
    mutable QMutex m_mutex;
    Spectrum m_newest{};
    quint64 m_generation = 0;
};

// The hand-over of each new spectrum: store it, then post an event of type 2024 to the window
// (from any thread; the window's thread receives it). A null window only stores.
class SpectrumDelivery
{
public:
    SpectrumDelivery(std::shared_ptr<SpectrumStore> store, QObject *window);
    void operator()(const Spectrum &spectrum) const;

private:
    std::shared_ptr<SpectrumStore> m_store;
    QObject *m_window;
};

} // namespace veltrane::spectrum
