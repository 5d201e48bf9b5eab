// The picture widget: shows the painter's image as it is, repaints any uncovered part, and
// reports presses of any mouse button as an x position in twips.

#include "spectrum/SpectrumPainter.h"
#include "spectrum/widgets/SpectrumPicture.h"

#include <QSignalSpy>
#include <QTest>

using namespace veltrane::spectrum;

class TestSpectrumPicture : public QObject
{
    Q_OBJECT

private slots:
    void showsThePainterImage()
    {
        SpectrumPainter painter;
        painter.drawFrequencyGrid();
        SpectrumPicture picture;
        picture.setObjectName(QStringLiteral("Picture1"));
        picture.setPainter(&painter);
        QCOMPARE(picture.size(), QSize(603, 63));
        QCOMPARE(picture.grab().toImage().convertToFormat(QImage::Format_RGB32), painter.image());

        // A new spectrum drawn later shows after the next paint.
        std::array<qint32, SpectrumBins> fft;
        fft.fill(50);
        painter.drawTrace(fft.data(), 69, 581);
        QCOMPARE(picture.grab().toImage().convertToFormat(QImage::Format_RGB32), painter.image());
    }

    void uncoveredPartsRepaint_data()
    {
        QTest::addColumn<QRect>("area");
        QTest::newRow("left part") << QRect(0, 0, 100, 63);
        QTest::newRow("middle strip") << QRect(250, 10, 80, 30);
        QTest::newRow("bottom right corner") << QRect(590, 50, 13, 13);
    }
    void uncoveredPartsRepaint()
    {
        QFETCH(QRect, area);
        SpectrumPainter painter;
        painter.selectMode(1);
        std::array<qint32, SpectrumBins> fft;
        for (int b = 0; b < SpectrumBins; ++b)
            fft[size_t(b)] = (b * 37) % 100;
        int phase = 0;
        painter.paint(DisplayMode::Waterfall, fft.data(), 69, 581, phase);
        SpectrumPicture picture;
        picture.setPainter(&painter);
        QCOMPARE(picture.grab(area).toImage().convertToFormat(QImage::Format_RGB32),
                 painter.image().copy(area));
    }

    void withoutPainterShowsBackground()
    {
        SpectrumPicture picture;
        const QImage shot = picture.grab().toImage().convertToFormat(QImage::Format_RGB32);
        QCOMPARE(shot.size(), QSize(603, 63));
        QCOMPARE(shot.pixel(10, 10), qRgb(0, 0, 192));
        QCOMPARE(shot.pixel(602, 62), qRgb(0, 0, 192));
    }

    void pressesReportTwips_data()
    {
        QTest::addColumn<double>("twipsPerPixel");
        QTest::addColumn<int>("x");
        QTest::addColumn<Qt::MouseButton>("button");
        QTest::addColumn<Qt::KeyboardModifiers>("modifiers");
        QTest::addColumn<double>("xTwips");

        QTest::newRow("left edge") << 15.0 << 0 << Qt::LeftButton << Qt::KeyboardModifiers() << 0.0;
        QTest::newRow("centre, right button")
            << 15.0 << 301 << Qt::RightButton << Qt::KeyboardModifiers() << 4515.0;
        QTest::newRow("three quarters, middle button, shift")
            << 15.0 << 452 << Qt::MiddleButton << Qt::KeyboardModifiers(Qt::ShiftModifier) << 6780.0;
        QTest::newRow("last pixel") << 15.0 << 602 << Qt::LeftButton << Qt::KeyboardModifiers() << 9030.0;
        QTest::newRow("144 DPI") << 10.0 << 452 << Qt::LeftButton << Qt::KeyboardModifiers() << 4520.0;
    }
    void pressesReportTwips()
    {
        QFETCH(double, twipsPerPixel);
        QFETCH(int, x);
        QFETCH(Qt::MouseButton, button);
        QFETCH(Qt::KeyboardModifiers, modifiers);
        QFETCH(double, xTwips);

        SpectrumPainter painter(SpectrumGeometry{9045.0, 945.0, twipsPerPixel});
        SpectrumPicture picture;
        picture.setPainter(&painter);
        picture.show();
        QSignalSpy clicks(&picture, &SpectrumPicture::clicked);
        QTest::mousePress(&picture, button, modifiers, QPoint(x, 20));
        QCOMPARE(clicks.size(), 1);
        QCOMPARE(clicks.at(0).at(0).toDouble(), xTwips);
        QCOMPARE(clicks.at(0).at(1).toDouble(), 9045.0);
        QTest::mouseRelease(&picture, button, modifiers, QPoint(x, 20));
        QCOMPARE(clicks.size(), 1); // releases report nothing
    }
};

QTEST_MAIN(TestSpectrumPicture)
#include "tst_SpectrumPicture.moc"
