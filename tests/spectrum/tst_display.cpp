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

constexpr QRgb Background = 0xff0000c0;
constexpr int Painted = 0; // logged by the fake source when painting fetches, amid the window's events

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
    void cleanup() { qunsetenv("TZ"), tzset(); }

    // A bin's magnitude less its spectrum's average and the average above it: an exact half
    // rounds to even (2.5, 7.5). The rest of the level rule is the plain painter's to check.
    void waterfallLevels()
    {
        QCOMPARE(waterfallLevel(1.0, -410.0), 2);
        QCOMPARE(waterfallLevel(3.0, -410.0), 8);
    }

    void matchesThePlainPainter()
    {
        // Runs of messages: mode (0 trace, 1 waterfall), count, shown bins, and a constant level
        // (-1: random). The modes switch back and forth; the waterfall sees averages of 150 and
        // 100, and changes of the shown range.
        const int runs[][5] = {{0, 2, 69, 581, -1},  {1, 8, 69, 581, -1},  {1, 1, 69, 581, 150},
                               {1, 3, 69, 581, -1},  {1, 1, 69, 581, 100}, {1, 3, 69, 581, -1},
                               {0, 3, 100, 400, -1}, {1, 4, 100, 400, -1}, {1, 4, 0, 1024, -1},
                               {1, 4, 300, 302, -1}, {1, 8, 69, 581, -1}};
        // The designed size (96 DPI), 144 DPI, and crowded: bins share columns.
        const std::pair<double, QSize> sizes[] = {
            {SpectrumGeometry::twipsPerPixelForDpi(96.0), QSize(603, 63)},
            {SpectrumGeometry::twipsPerPixelForDpi(144.0), QSize(905, 95)},
            {40.0, QSize(226, 24)}};
        for (const auto &[twipsPerPixel, pixels] : sizes) {
            const SpectrumGeometry geometry{9045.0, 945.0, twipsPerPixel};
            SpectrumPainter painter(geometry);
            NaiveSpectrumPainter naive(geometry);
            QCOMPARE(painter.image().size(), pixels);
            std::mt19937 random(20240);
            std::uniform_int_distribution<int> level(0, 100);
            int naivePhase = 0;
            int message = 0;
            int shown = -1;
            for (const auto &[mode, count, low, high, constant] : runs) {
                if (mode != shown) { // selecting a mode clears the picture
                    shown = mode;
                    painter.selectMode(mode);
                    naive.selectMode(mode);
                }
                for (int i = 0; i < count; ++i, ++message) {
                    Fft fft;
                    std::ranges::generate(fft, [&] { return constant < 0 ? level(random) : constant; });
                    painter.paint(DisplayMode(mode), fft.data(), low, high);
                    naive.paint(DisplayMode(mode), fft.data(), low, high, naivePhase);
                    QCOMPARE(painter.paintPhase(), naivePhase);
                    QVERIFY2(painter.image() == naive.image(),
                             qPrintable(u"%1 twips/pixel, message %2"_s.arg(twipsPerPixel).arg(message)));
                }
            }
            QVERIFY(painter.history() == naive.history());
            QVERIFY(painter.history()[9][0] != 0.0); // the comparison covered a filled waterfall
            // No column left blank:
            const auto *drawn = reinterpret_cast<const QRgb *>(painter.image().constBits());
            QCOMPARE(std::count(drawn, drawn + painter.image().sizeInBytes() / 4, Background), 0);
        }
    }

    // Random lines against QPainter's default pen (one pixel, aliased) on a 40 x 24 image: inside
    // it on quarter pixels, across its edges, and far outside.
    void lineRasterMatchesQPainter()
    {
        const std::tuple<double, double, double> ranges[] = {
            {0.0, 24.0, 0.25}, {-15.0, 55.0, 0.0}, {-400.0, 400.0, 0.0}};
        for (const auto &[low, high, quantum] : ranges) {
            std::mt19937 random(1);
            std::uniform_real_distribution<double> coordinate(low, high);
            auto pick = [&] {
                const double v = coordinate(random);
                return quantum > 0.0 ? std::round(v / quantum) * quantum : v; // 0: any value
            };
            for (int i = 0; i < 1000; ++i) {
                const QLineF line(pick(), pick(), pick(), pick());
                QImage expected(40, 24, QImage::Format_RGB32);
                expected.fill(Background);
                QImage actual = expected;
                QPainter(&expected).drawLine(line);
                rasterLine(actual, line, qRgb(0, 0, 0));
                QVERIFY2(actual == expected,
                         qPrintable(QString::asprintf("line (%.17g, %.17g) -> (%.17g, %.17g)", line.x1(),
                                                      line.y1(), line.x2(), line.y2())));
            }
        }
    }

    // Events posted to a window hooked twice (the second replaces the first), whether it is
    // unhooked before they come, and the window's log.
    void windowHook()
    {
        const std::tuple<QList<int>, bool, QList<int>> rows[] = {
            {{2023, 2024, 3000, 2024}, false, {2023, Painted, 2024, 3000, Painted, 2024}},
            {{2024}, true, {2024}}};
        for (const auto &[types, unhook, windowLog] : rows) {
            SpectrumTestWindow window;
            FakeSource source(window.received);
            SpectrumPainter painter;
            painter.startShowing(270, 2270);
            HookSpectrumWindow(&window, [&] { window.received.append(-1); }); // replaced by the next hook
            HookSpectrumWindow(&window, [&] { PaintSpectrum(source, painter, DisplayMode::Waterfall); });
            if (unhook) {
                UnhookSpectrumWindow(&window);
                UnhookSpectrumWindow(&window); // twice, and with no window, is harmless
                UnhookSpectrumWindow(nullptr);
                QVERIFY(window.children().isEmpty());
            }
            QCOMPARE(isSpectrumWindowHooked(&window), !unhook);
            for (int type : types)
                QCoreApplication::postEvent(&window, new QEvent(QEvent::Type(type)));
            QCoreApplication::processEvents();
            QCOMPARE(window.received, windowLog);
            // Every paint went through to the painter: the first drew, the next only moved the phase.
            QCOMPARE(painter.paintPhase(), int(windowLog.count(Painted)));
            QCOMPARE(painter.image().pixel(1, 0), windowLog.contains(Painted) ? qRgb(1, 1, 120) : Background);
        }
    }

    void picture()
    {
        SpectrumPicture picture;
        const auto shot = [&](QRect area) {
            return picture.grab(area).toImage().convertToFormat(QImage::Format_RGB32);
        };
        QCOMPARE(shot(QRect(602, 62, 1, 1)).pixel(0, 0), Background); // no painter yet

        SpectrumPainter painter(SpectrumGeometry{9045.0, 945.0, 15.0});
        picture.setPainter(&painter);
        picture.show();
        Fft fft;
        std::ranges::generate(fft, [b = 0]() mutable { return (b++ * 37) % 100; });
        painter.paint(DisplayMode::Waterfall, fft.data(), 69, 581); // 270 .. 2270 Hz
        QCOMPARE(shot(QRect(0, 0, -1, -1)), painter.image());       // shown as it is, in whole or in part
        QCOMPARE(shot(QRect(250, 10, 80, 30)), painter.image().copy(250, 10, 80, 30));
        painter.drawTrace(fft.data(), 69, 581); // drawn later: shows after the next paint
        QCOMPARE(shot(QRect(0, 0, -1, -1)), painter.image());

        // A press of either button reports its place and the width, in twips; a release nothing.
        QSignalSpy clicks(&picture, &SpectrumPicture::clicked);
        for (const auto &[x, button] : {std::pair(0, Qt::LeftButton), std::pair(301, Qt::RightButton)}) {
            QTest::mousePress(&picture, button, Qt::ShiftModifier, QPoint(x, 20));
            QTest::mouseRelease(&picture, button, Qt::ShiftModifier, QPoint(x, 20));
        }
        QCOMPARE(QList<QVariantList>(clicks), (QList<QVariantList>{{0.0, 9045.0}, {4515.0, 9045.0}}));
    }

    // The clock label's text of an instant (UTC) under a time zone, in a mode (0 local, 1 UTC)
    // and a locale. The UTC text is true UTC, not the local time less nine hours.
    void clockTexts()
    {
        const std::tuple<const char *, const char16_t *, int, const char16_t *, const char16_t *> rows[] = {
            // 21:02:03 on 2 May in New York is 3 May in UTC: UTC's date and a one-digit hour,
            // whatever the locale.
            {"America/New_York", u"2010-05-03T01:02:03Z", 1, u"ja_JP", u"2010/05/03  1:02:03U"},
            // Japan's own layout of the local time, a day ahead of UTC: a one-digit hour too.
            {"Asia/Tokyo", u"2010-05-02T23:30:25Z", 0, u"ja_JP", u"2010/05/03  8:30:25J"},
            // US English in Berlin: the locale's short date and long time, without the zone name.
            {"Europe/Berlin", u"2010-05-03T05:30:25Z", 0, u"en_US", u"5/3/10  7:30:25 AMJ"}};
        for (const auto &[zone, instantUtc, mode, locale, expected] : rows) {
            qputenv("TZ", zone);
            tzset();
            const QDateTime now =
                QDateTime::fromString(QString::fromUtf16(instantUtc), Qt::ISODate).toLocalTime();
            QCOMPARE(clockText(now, mode, QLocale(QString::fromUtf16(locale))), QString::fromUtf16(expected));
        }
    }
};

QTEST_MAIN(TestSpectrumDisplay)
#include "tst_display.moc"
