// SPDX-License-Identifier: GPL-3.0-or-later
// The spectrum display: the painter (pixel identity with the plain reference painter kept with
// the benchmarks, its colour rule), the trace's line writer
// against QPainter, the window hook driving the painter from a fake spectrum source, the
// picture widget, and the clock label's texts.

#include "NaiveSpectrumPainter.h"
#include "SpectrumTestWindow.h"
#include "spectrum/ClockText.h"
#include "spectrum/LineRaster.h"
#include "spectrum/SpectrumPainter.h"
#include "spectrum/SpectrumWindowHook.h"
#include "spectrum/widgets/SpectrumPicture.h"

#include <QPainter>
#include <QSignalSpy>
#include <QTest>

#include <cmath>
#include <ctime>
#include <random>

using namespace veltrane::spectrum;
using namespace Qt::StringLiterals;
using veltrane::bench::NaiveSpectrumPainter;
using veltrane::spectrum::test::SpectrumTestWindow;

namespace {

using Fft = std::array<qint32, SpectrumBins>;

constexpr int LowBin = 69; // 270 .. 2270 Hz
constexpr int HighBin = 581;
constexpr QRgb Background = 0xff0000c0;
constexpr int Painted = 0; // logged by the fake source when painting fetches, amid the window's events

// The colour at bin line e (of 512) and display row k (of 30) at the designed size.
QString cell(const QImage &image, int e, int k)
{
    const QRgb c = image.pixel(int(e * 603.0 / 512.0), int(k * 31.5 / 15.0));
    return QStringLiteral("RGB(%1, %2, %3)").arg(qRed(c)).arg(qGreen(c)).arg(qBlue(c));
}

// Serves 50 in every asked bin. Each call logs Painted in the window's log when it asks for
// the shown bins of 270 .. 2270 Hz (69 .. 581) into a zeroed array, -2 otherwise.
struct FakeSource : SpectrumSource
{
    explicit FakeSource(QList<int> &windowLog) : log(windowLog) {}
    QList<int> &log;

    int fnGetFFTData(qint32 *data, int firstBin, int lastBin) override
    {
        const bool zeroed = std::all_of(data, data + SpectrumBins, [](qint32 v) { return v == 0; });
        log.append(firstBin == 69 && lastBin == 581 && zeroed ? Painted : -2);
        std::fill(data + firstBin, data + lastBin, 50);
        return lastBin - firstBin;
    }
};

} // namespace

class TestSpectrumDisplay : public QObject
{
    Q_OBJECT

private slots:
    void cleanup()
    {
        qunsetenv("TZ");
        tzset();
    }

    void waterfallLevels_data()
    {
        QTest::addColumn<double>("value"); // the bin's magnitude less its spectrum's average
        QTest::addColumn<double>("averageAbove");
        QTest::addColumn<int>("level");

        QTest::newRow("limited to 255") << 20.0 << 0.0 << 255;
        QTest::newRow("exact half rounds to even (2.5)") << 1.0 << -410.0 << 2;
        QTest::newRow("exact half rounds to even (7.5)") << 3.0 << -410.0 << 8;
        QTest::newRow("average 100: full brightness") << 0.5 << 100.0 << 255;
        QTest::newRow("average above 100, cell at its average") << 0.0 << 150.5 << 0;
    }
    void waterfallLevels()
    {
        QFETCH(double, value);
        QFETCH(double, averageAbove);
        QFETCH(int, level);
        QCOMPARE(waterfallLevel(value, averageAbove), level);
    }

    void matchesThePlainPainter_data()
    {
        QTest::addColumn<double>("twipsPerPixel");
        QTest::addColumn<QSize>("pixels");
        QTest::newRow("designed size, 96 DPI")
            << SpectrumGeometry::twipsPerPixelForDpi(96.0) << QSize(603, 63);
        QTest::newRow("144 DPI") << SpectrumGeometry::twipsPerPixelForDpi(144.0) << QSize(905, 95);
        QTest::newRow("crowded: bins share columns") << 40.0 << QSize(226, 24);
    }
    void matchesThePlainPainter()
    {
        QFETCH(double, twipsPerPixel);
        QFETCH(QSize, pixels);
        const SpectrumGeometry geometry{9045.0, 945.0, twipsPerPixel};
        SpectrumPainter painter(geometry);
        NaiveSpectrumPainter naive(geometry);
        QCOMPARE(painter.image().size(), pixels);

        // Runs of messages: mode (0 trace, 1 waterfall), count, shown bins, and a constant level
        // (-1: random). The modes switch back and forth; the waterfall sees averages of 150 and
        // 100, and changes of the shown range.
        const int runs[][5] = {{0, 2, 69, 581, -1},  {1, 8, 69, 581, -1},  {1, 1, 69, 581, 150},
                               {1, 3, 69, 581, -1},  {1, 1, 69, 581, 100}, {1, 3, 69, 581, -1},
                               {0, 3, 100, 400, -1}, {1, 4, 100, 400, -1}, {1, 4, 0, 1024, -1},
                               {1, 4, 300, 302, -1}, {1, 8, 69, 581, -1}};
        std::mt19937 random(20240);
        std::uniform_int_distribution<int> level(0, 100);
        int naivePhase = 0;
        int message = 0;
        int shown = -1;
        for (const auto &[mode, count, low, high, constant] : runs) {
            if (mode != shown) {
                shown = mode;
                painter.selectMode(mode);
                naive.selectMode(mode);
            }
            for (int i = 0; i < count; ++i, ++message) {
                Fft fft;
                fft.fill(constant);
                if (constant < 0)
                    std::generate(fft.begin(), fft.end(), [&] { return level(random); });
                painter.paint(DisplayMode(mode), fft.data(), low, high);
                naive.paint(DisplayMode(mode), fft.data(), low, high, naivePhase);
                QCOMPARE(painter.paintPhase(), naivePhase);
                QVERIFY2(painter.image() == naive.image(),
                         qPrintable(QStringLiteral("message %1").arg(message)));
            }
        }
        QVERIFY(painter.history() == naive.history());
        QVERIFY(painter.history()[9][0] != 0.0); // the comparison covered a filled waterfall
        const auto *drawn = reinterpret_cast<const QRgb *>(painter.image().constBits()); // no blank column:
        QCOMPARE(std::count(drawn, drawn + painter.image().sizeInBytes() / 4, Background), 0);
    }

    void lineRasterMatchesQPainter_data()
    {
        QTest::addColumn<double>("low");
        QTest::addColumn<double>("high");
        QTest::addColumn<double>("quantum"); // 0: any value; else multiples of it

        QTest::newRow("inside, quarter pixels") << 0.0 << 24.0 << 0.25;
        QTest::newRow("across the edges") << -15.0 << 55.0 << 0.0;
        QTest::newRow("far outside") << -400.0 << 400.0 << 0.0;
    }
    void lineRasterMatchesQPainter()
    {
        QFETCH(double, low);
        QFETCH(double, high);
        QFETCH(double, quantum);

        std::mt19937 random(1);
        std::uniform_real_distribution<double> coordinate(low, high);
        auto pick = [&] {
            const double v = coordinate(random);
            return quantum > 0.0 ? std::round(v / quantum) * quantum : v;
        };
        for (int i = 0; i < 1000; ++i) {
            const QLineF line(pick(), pick(), pick(), pick());
            QImage expected(40, 24, QImage::Format_RGB32);
            expected.fill(Background);
            QImage actual = expected;
            QPainter(&expected).drawLine(line); // the default pen: one pixel, aliased, black
            rasterLine(actual, line, qRgb(0, 0, 0));
            QVERIFY2(actual == expected,
                     qPrintable(QString::asprintf("line (%.17g, %.17g) -> (%.17g, %.17g)", line.x1(),
                                                  line.y1(), line.x2(), line.y2())));
        }
    }

    void windowHook_data()
    {
        QTest::addColumn<QList<int>>("types");
        QTest::addColumn<int>("hooks"); // paint routines installed in turn; the last one counts
        QTest::addColumn<bool>("unhook");
        QTest::addColumn<QList<int>>("windowLog");

        QTest::newRow("one spectrum: paint, then the window")
            << QList<int>{2024} << 1 << false << QList<int>{Painted, 2024};
        QTest::newRow("mixed") << QList<int>{2023, 2024, 3000, 2024} << 1 << false
                               << QList<int>{2023, Painted, 2024, 3000, Painted, 2024};
        QTest::newRow("unhooked") << QList<int>{2024} << 1 << true << QList<int>{2024};
        QTest::newRow("unhooked without a hook") << QList<int>{2024} << 0 << true << QList<int>{2024};
    }
    void windowHook()
    {
        QFETCH(QList<int>, types);
        QFETCH(int, hooks);
        QFETCH(bool, unhook);
        QFETCH(QList<int>, windowLog);

        SpectrumTestWindow window;
        FakeSource source(window.received);
        SpectrumPainter painter;
        painter.startShowing(270, 2270);
        for (int h = hooks; h > 1; --h) // replaced before any event
            HookSpectrumWindow(&window, [&] { window.received.append(-1); });
        if (hooks > 0)
            HookSpectrumWindow(&window, [&] { PaintSpectrum(source, painter, DisplayMode::Waterfall); });
        if (unhook) {
            UnhookSpectrumWindow(&window);
            UnhookSpectrumWindow(&window); // twice, and with no window, is harmless
            UnhookSpectrumWindow(nullptr);
            QVERIFY(window.children().isEmpty());
        }
        QCOMPARE(isSpectrumWindowHooked(&window), hooks > 0 && !unhook);
        for (int type : types)
            QCoreApplication::postEvent(&window, new QEvent(QEvent::Type(type)));
        QCoreApplication::processEvents();
        QCOMPARE(window.received, windowLog);
        // Every paint went through to the painter: the first drew, the next only moved the phase.
        QCOMPARE(painter.paintPhase(), int(windowLog.count(Painted)));
        QCOMPARE(cell(painter.image(), 1, 0),
                 windowLog.contains(Painted) ? u"RGB(1, 1, 120)"_s : u"RGB(0, 0, 192)"_s);
    }

    void picture_data()
    {
        QTest::addColumn<double>("twipsPerPixel");
        QTest::addColumn<int>("x");
        QTest::addColumn<Qt::MouseButton>("button");
        QTest::addColumn<double>("xTwips");

        QTest::newRow("left edge") << 15.0 << 0 << Qt::LeftButton << 0.0;
        QTest::newRow("centre, right button") << 15.0 << 301 << Qt::RightButton << 4515.0;
    }
    void picture()
    {
        QFETCH(double, twipsPerPixel);
        QFETCH(int, x);
        QFETCH(Qt::MouseButton, button);
        QFETCH(double, xTwips);

        SpectrumPicture picture;
        const auto shot = [&](QRect area) {
            return picture.grab(area).toImage().convertToFormat(QImage::Format_RGB32);
        };
        QCOMPARE(shot(QRect(602, 62, 1, 1)).pixel(0, 0), Background); // no painter yet

        SpectrumPainter painter(SpectrumGeometry{9045.0, 945.0, twipsPerPixel});
        picture.setPainter(&painter);
        picture.show();
        Fft fft;
        for (int b = 0; b < SpectrumBins; ++b)
            fft[size_t(b)] = (b * 37) % 100;
        painter.paint(DisplayMode::Waterfall, fft.data(), LowBin, HighBin);
        QCOMPARE(shot(QRect(0, 0, -1, -1)), painter.image()); // shown as it is, in whole or in part
        QCOMPARE(shot(QRect(250, 10, 80, 30)), painter.image().copy(250, 10, 80, 30));
        painter.drawTrace(fft.data(), LowBin, HighBin); // drawn later: shows after the next paint
        QCOMPARE(shot(QRect(0, 0, -1, -1)), painter.image());

        QSignalSpy clicks(&picture, &SpectrumPicture::clicked);
        QTest::mousePress(&picture, button, Qt::ShiftModifier, QPoint(x, 20));
        QTest::mouseRelease(&picture, button, Qt::ShiftModifier, QPoint(x, 20)); // reports nothing
        QCOMPARE(clicks.size(), 1);
        QCOMPARE(clicks.at(0).at(0).toDouble(), xTwips);
        QCOMPARE(clicks.at(0).at(1).toDouble(), 9045.0);
    }

    void clockTexts_data()
    {
        QTest::addColumn<QByteArray>("zone");
        QTest::addColumn<QString>("instantUtc"); // ISO, UTC
        QTest::addColumn<int>("mode");
        QTest::addColumn<QString>("locale");
        QTest::addColumn<QString>("expected");

        // Local (Japan) 08:59:59 on 3 May is 23:59:59 UTC on 2 May.
        QTest::newRow("UTC: one second before 09:00 JST is the previous date")
            << "Asia/Tokyo"_ba << u"2010-05-02T23:59:59Z"_s << 1 << u"C"_s << u"2010/05/02  23:59:59U"_s;
        QTest::newRow("UTC: 09:00 JST is midnight, one-digit hour, whatever the locale")
            << "Asia/Tokyo"_ba << u"2010-05-03T00:00:00Z"_s << 1 << u"ja_JP"_s << u"2010/05/03  0:00:00U"_s;
        // Outside Japan the UTC text is still true UTC (local minus nine hours would be wrong).
        QTest::newRow("local, Japanese locale, 08:59:59 JST")
            << "Asia/Tokyo"_ba << u"2010-05-02T23:59:59Z"_s << 0 << u"ja_JP"_s << u"2010/05/03  8:59:59J"_s;
        QTest::newRow("local, Japanese locale, afternoon")
            << "Asia/Tokyo"_ba << u"2010-05-03T05:30:25Z"_s << 0 << u"ja_JP"_s << u"2010/05/03  14:30:25J"_s;
        QTest::newRow("local, US English in Berlin: no zone name")
            << "Europe/Berlin"_ba << u"2010-05-03T05:30:25Z"_s << 0 << u"en_US"_s << u"5/3/10  7:30:25 AMJ"_s;
    }
    void clockTexts()
    {
        QFETCH(QByteArray, zone);
        QFETCH(QString, instantUtc);
        QFETCH(int, mode);
        QFETCH(QString, locale);
        QFETCH(QString, expected);

        qputenv("TZ", zone);
        tzset();
        const QDateTime now = QDateTime::fromString(instantUtc, Qt::ISODate).toLocalTime();
        QVERIFY(now.isValid());
        QCOMPARE(clockText(now, mode, QLocale(locale)), expected);
    }
};

QTEST_MAIN(TestSpectrumDisplay)
#include "tst_display.moc"
