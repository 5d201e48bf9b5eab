// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Stands in for the main window in the spectrum tests: logs the type of every user event it
// receives (the engine's new-spectrum events are type 2024), in order.

#include "spectrum/SpectrumSource.h"

#include <QEvent>
#include <QList>
#include <QObject>

namespace veltrane::spectrum::test {

class SpectrumTestWindow : public QObject
{
public:
    QList<int> received;

    int spectrumEvents() const { return int(received.count(SpectrumDataEventType)); }

protected:
    bool event(QEvent *e) override
    {
        if (e->type() >= QEvent::User)
            received.append(int(e->type()));
        return QObject::event(e);
    }
};

} // namespace veltrane::spectrum::test
