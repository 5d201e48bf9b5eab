// SPDX-License-Identifier: GPL-3.0-or-later
#include "spectrum/SpectrumStore.h"

#include <QCoreApplication>
#include <QEvent>
#include <QMutexLocker>

#include <algorithm>
#include <cstring>

namespace veltrane::spectrum {

void SpectrumStore::publish(const Spectrum &spectrum)
{
    QMutexLocker lock(&m_mutex);
    m_newest = spectrum;
    ++m_generation;
}

int SpectrumStore::copy(qint32 *data, int firstBin, int lastBin) const
{
    const int first = std::clamp(firstBin, 0, SpectrumBins);
    const int last = std::clamp(lastBin, first, SpectrumBins);
    if (last == first || data == nullptr)
        return 0;
    QMutexLocker lock(&m_mutex);
    std::memcpy(data + first, m_newest.data() + first, sizeof(qint32) * size_t(last - first));
    return last - first;
}

quint64 SpectrumStore::generation() const
{
    QMutexLocker lock(&m_mutex);
    return m_generation;
}

void SpectrumStore::clear()
{
    QMutexLocker lock(&m_mutex);
    m_newest.fill(0);
}

SpectrumDelivery::SpectrumDelivery(std::shared_ptr<SpectrumStore> store, QObject *window)
    : m_store(std::move(store)), m_window(window)
{
}

void SpectrumDelivery::operator()(const Spectrum &spectrum) const
{
    m_store->publish(spectrum);
    if (m_window)
        QCoreApplication::postEvent(m_window, new QEvent(QEvent::Type(SpectrumDataEventType)));
}

} // namespace veltrane::spectrum
