// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The picture box of the spectrum display: shows the painter's backing image as it is (the
// painter does all drawing) and reports mouse presses. It owns neither the image nor the
// painter; the window sets the painter and calls update() after each paint. The caller names
// the widget ("Picture1").

#include <QWidget>

namespace veltrane::spectrum {

class SpectrumPainter;

class SpectrumPicture : public QWidget
{
    Q_OBJECT
public:
    explicit SpectrumPicture(QWidget *parent = nullptr);

    // The painter whose image is shown; the widget takes the image's size. Null shows nothing
    // but the background colour.
    void setPainter(const SpectrumPainter *painter);
    const SpectrumPainter *painter() const { return m_painter; }

    QSize sizeHint() const override;

signals:
    // Any mouse button pressed at x (in twips from the left edge, 0..widthTwips).
    void clicked(double xTwips, double widthTwips);

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;

private:
    const SpectrumPainter *m_painter = nullptr;
};

} // namespace veltrane::spectrum
