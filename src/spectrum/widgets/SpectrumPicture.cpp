// SPDX-License-Identifier: GPL-3.0-or-later
#include "spectrum/widgets/SpectrumPicture.h"

#include "spectrum/SpectrumPainter.h"

#include <QMouseEvent>
#include <QPainter>
#include <QRegion>

#include <algorithm>

namespace veltrane::spectrum {

SpectrumPicture::SpectrumPicture(QWidget *parent) : QWidget(parent)
{
    // The image covers the whole widget: no background erase before each paint, no flicker.
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFixedSize(SpectrumGeometry{}.pixelSize());
}

void SpectrumPicture::setPainter(const SpectrumPainter *painter)
{
    m_painter = painter;
    if (m_painter)
        setFixedSize(m_painter->image().size());
    update();
}

QSize SpectrumPicture::sizeHint() const
{
    return m_painter ? m_painter->image().size() : SpectrumGeometry{}.pixelSize();
}

void SpectrumPicture::paintEvent(QPaintEvent *event)
{
    QPainter painter(this);
    if (m_painter) {
        const QRect area = event->rect();
        painter.drawImage(area.topLeft(), m_painter->image(), area);
        // Any part of the widget beyond the image keeps the background colour.
        const QRegion beyond = QRegion(area).subtracted(QRegion(m_painter->image().rect()));
        for (const QRect &rect : beyond)
            painter.fillRect(rect, QColor::fromRgb(BackgroundColour));
    } else {
        painter.fillRect(event->rect(), QColor::fromRgb(BackgroundColour));
    }
}

void SpectrumPicture::mousePressEvent(QMouseEvent *event)
{
    const SpectrumGeometry geometry = m_painter ? m_painter->geometry() : SpectrumGeometry{};
    const double xTwips =
        std::clamp(event->position().x() * geometry.twipsPerPixel, 0.0, geometry.widthTwips);
    emit clicked(xTwips, geometry.widthTwips);
    event->accept();
}

} // namespace veltrane::spectrum
