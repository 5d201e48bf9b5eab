// SPDX-License-Identifier: GPL-3.0-or-later
#include "spectrum/SpectrumWindowHook.h"

#include "spectrum/SpectrumSource.h"

#include <QEvent>

namespace veltrane::spectrum {

namespace {

// The event filter that the hook installs; a child of the hooked window.
class SpectrumWindowFilter : public QObject
{
public:
    SpectrumWindowFilter(QObject *window, std::function<void()> paint)
        : QObject(window), m_paint(std::move(paint))
    {
        setObjectName(QStringLiteral("SpectrumWindowHook"));
    }

    void setPaint(std::function<void()> paint) { m_paint = std::move(paint); }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (watched == parent() && event->type() == QEvent::Type(SpectrumDataEventType) && m_paint)
            m_paint();
        return false; // the window still gets every event
    }

private:
    std::function<void()> m_paint;
};

SpectrumWindowFilter *filterOf(const QObject *window)
{
    if (window == nullptr)
        return nullptr;
    for (QObject *child : window->children()) {
        if (auto *filter = dynamic_cast<SpectrumWindowFilter *>(child))
            return filter;
    }
    return nullptr;
}

} // namespace

void HookSpectrumWindow(QObject *window, std::function<void()> paint)
{
    if (window == nullptr)
        return;
    if (SpectrumWindowFilter *existing = filterOf(window)) {
        existing->setPaint(std::move(paint));
        return;
    }
    window->installEventFilter(new SpectrumWindowFilter(window, std::move(paint)));
}

void UnhookSpectrumWindow(QObject *window)
{
    if (SpectrumWindowFilter *filter = filterOf(window)) {
        window->removeEventFilter(filter);
        delete filter;
    }
}

bool isSpectrumWindowHooked(const QObject *window)
{
    return filterOf(window) != nullptr;
}

} // namespace veltrane::spectrum
