// The trace's line writer against QPainter's own aliased one-pixel lines: the same pixels for
// lines in every direction, short and long, on and off the image.

#include "spectrum/LineRaster.h"

#include <QPainter>
#include <QTest>

#include <random>

using namespace veltrane::spectrum;

namespace {

QImage blank()
{
    QImage image(40, 24, QImage::Format_RGB32);
    image.fill(qRgb(0, 0, 192));
    return image;
}

QImage byPainter(const QLineF &line)
{
    QImage image = blank();
    QPainter painter(&image);
    painter.setPen(QPen(QColor(0, 255, 255), 1));
    painter.drawLine(line);
    return image;
}

QImage byRaster(const QLineF &line)
{
    QImage image = blank();
    rasterLine(image, line, qRgb(0, 255, 255));
    return image;
}

QString pixels(const QImage &image)
{
    QString text;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixel(x, y) != qRgb(0, 0, 192))
                text += QStringLiteral("(%1,%2)").arg(x).arg(y);
    return text;
}

} // namespace

class TestLineRaster : public QObject
{
    Q_OBJECT

private slots:
    void knownLines_data()
    {
        QTest::addColumn<QLineF>("line");
        QTest::addColumn<QString>("expected");

        QTest::newRow("flat, half-pixel ends")
            << QLineF(1.5, 2.0, 5.5, 2.0) << QStringLiteral("(1,2)(2,2)(3,2)(4,2)(5,2)");
        QTest::newRow("steep, fraction at the end")
            << QLineF(3.0, 1.0, 3.0, 3.1) << QStringLiteral("(3,1)(3,2)(3,3)");
        QTest::newRow("point") << QLineF(6.4, 7.6, 6.4, 7.6) << QStringLiteral("(6,8)");
        QTest::newRow("diagonal") << QLineF(0.0, 0.0, 3.0, 3.0) << QStringLiteral("(0,0)(1,1)(2,2)(3,3)");
        QTest::newRow("wholly outside") << QLineF(-9.0, -3.0, -2.0, -8.0) << QString();
    }
    void knownLines()
    {
        QFETCH(QLineF, line);
        QFETCH(QString, expected);
        QCOMPARE(pixels(byRaster(line)), expected);
        QCOMPARE(pixels(byPainter(line)), expected);
    }

    void randomLinesMatchPainter_data()
    {
        QTest::addColumn<double>("low");
        QTest::addColumn<double>("high");
        QTest::addColumn<double>("quantum"); // 0: any value; else multiples of it
        QTest::addColumn<unsigned>("seed");

        QTest::newRow("inside, any") << 0.0 << 24.0 << 0.0 << 1u;
        QTest::newRow("inside, quarter pixels") << 0.0 << 24.0 << 0.25 << 2u;
        QTest::newRow("inside, whole pixels") << 0.0 << 24.0 << 1.0 << 3u;
        QTest::newRow("across the edges") << -15.0 << 55.0 << 0.0 << 4u;
        QTest::newRow("far outside") << -400.0 << 400.0 << 0.0 << 5u;
        QTest::newRow("short lines") << 10.0 << 12.0 << 0.0 << 6u;
        QTest::newRow("1/64 pixel grid") << 0.0 << 24.0 << 1.0 / 64.0 << 7u;
    }
    void randomLinesMatchPainter()
    {
        QFETCH(double, low);
        QFETCH(double, high);
        QFETCH(double, quantum);
        QFETCH(unsigned, seed);

        std::mt19937 random(seed);
        std::uniform_real_distribution<double> coordinate(low, high);
        auto pick = [&] {
            const double v = coordinate(random);
            return quantum > 0.0 ? std::round(v / quantum) * quantum : v;
        };
        for (int i = 0; i < 3000; ++i) {
            const QLineF line(pick(), pick(), pick(), pick());
            const QImage expected = byPainter(line);
            const QImage actual = byRaster(line);
            if (actual != expected) {
                QFAIL(qPrintable(QStringLiteral("line (%1, %2) -> (%3, %4): %5 instead of %6")
                                     .arg(line.x1(), 0, 'g', 17)
                                     .arg(line.y1(), 0, 'g', 17)
                                     .arg(line.x2(), 0, 'g', 17)
                                     .arg(line.y2(), 0, 'g', 17)
                                     .arg(pixels(actual), pixels(expected))));
            }
        }
    }
};

QTEST_MAIN(TestLineRaster)
#include "tst_LineRaster.moc"
