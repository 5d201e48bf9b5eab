// The spectrum painter: colours, grid, trace, waterfall with its decimation and history, mode
// switching, and pixel identity with the plain one-line-at-a-time reference painter.

#include "NaiveSpectrumPainter.h"
#include "spectrum/SpectrumPainter.h"

#include <QTest>

#include <cmath>
#include <random>

using namespace veltrane::spectrum;
using veltrane::bench::NaiveSpectrumPainter;

namespace {

using Fft = std::array<qint32, SpectrumBins>;

constexpr int LowBin = 69;
constexpr int HighBin = 581;

Fft constantSpectrum(qint32 value)
{
    Fft fft;
    fft.fill(value);
    return fft;
}

QRgb rgb(int r, int g, int b)
{
    return qRgb(r, g, b);
}

QString describe(QRgb c)
{
    return QStringLiteral("RGB(%1, %2, %3)").arg(qRed(c)).arg(qGreen(c)).arg(qBlue(c));
}

// Pixel column of bin line e at the designed size (603 pixels for 512 bins).
int columnOf(int e)
{
    return int(std::floor(e * 603.0 / 512.0));
}

// First pixel row of display row k at the designed size (2.1 pixels a row).
int pixelRowOf(int k)
{
    return int(std::floor(k * 31.5 / 15.0));
}

int countColour(const QImage &image, QRgb colour, QRect area = {})
{
    if (area.isNull())
        area = image.rect();
    int count = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            count += image.pixel(x, y) == colour ? 1 : 0;
    return count;
}

QString firstDifference(const QImage &a, const QImage &b)
{
    if (a.size() != b.size())
        return QStringLiteral("sizes differ");
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x)
            if (a.pixel(x, y) != b.pixel(x, y))
                return QStringLiteral("(%1, %2): %3 vs %4")
                    .arg(x)
                    .arg(y)
                    .arg(describe(a.pixel(x, y)), describe(b.pixel(x, y)));
    return {};
}

struct RecordingSource : SpectrumSource
{
    Fft spectrum{};
    int calls = 0;
    int first = -1;
    int last = -1;
    bool arrayWasZero = false;

    int fnGetFFTData(qint32 *data, int firstBin, int lastBin) override
    {
        ++calls;
        first = firstBin;
        last = lastBin;
        arrayWasZero = std::all_of(data, data + SpectrumBins, [](qint32 v) { return v == 0; });
        for (int b = firstBin; b < lastBin; ++b)
            data[b] = spectrum[size_t(b)];
        return lastBin - firstBin;
    }
};

} // namespace

class TestSpectrumPainter : public QObject
{
    Q_OBJECT

private slots:
    void waterfallLevels_data()
    {
        QTest::addColumn<double>("value");
        QTest::addColumn<double>("averageAbove");
        QTest::addColumn<int>("level");

        QTest::newRow("constant 50, top row") << 0.09765625 << 0.0 << 1;
        QTest::newRow("constant 50, lower rows") << 0.09765625 << 49.90234375 << 2;
        QTest::newRow("at the average") << 0.0 << 30.0 << 0;
        QTest::newRow("below the average") << -12.5 << 0.0 << 0;
        QTest::newRow("limited to 255") << 100.0 << 0.0 << 255;
        QTest::newRow("just under the limit") << 20.0 << 0.0 << 255;
        QTest::newRow("exact half rounds to even (2.5)") << 1.0 << -410.0 << 2;
        QTest::newRow("exact half rounds to even (7.5)") << 3.0 << -410.0 << 8;
        QTest::newRow("exact half rounds to even (0.5)") << 1.0 << -2450.0 << 0;
        QTest::newRow("average 100: full brightness") << 0.5 << 100.0 << 255;
        QTest::newRow("average above 100: full brightness") << 49.5 << 150.5 << 255;
        QTest::newRow("average above 100, cell at its average") << 0.0 << 150.5 << 0;
    }
    void waterfallLevels()
    {
        QFETCH(double, value);
        QFETCH(double, averageAbove);
        QFETCH(int, level);
        QCOMPARE(waterfallLevel(value, averageAbove), level);
    }

    void bins_data()
    {
        QTest::addColumn<int>("hz");
        QTest::addColumn<int>("bin");
        QTest::newRow("270 Hz") << 270 << 69;
        QTest::newRow("2270 Hz") << 2270 << 581;
        QTest::newRow("1270 Hz") << 1270 << 325;
        QTest::newRow("0 Hz") << 0 << 0;
        QTest::newRow("3 Hz") << 3 << 0;
        QTest::newRow("4 Hz") << 4 << 1;
    }
    void bins()
    {
        QFETCH(int, hz);
        QFETCH(int, bin);
        QCOMPARE(binForHz(hz), bin);
    }

    void geometry_data()
    {
        QTest::addColumn<double>("dpi");
        QTest::addColumn<double>("twipsPerPixel");
        QTest::addColumn<QSize>("pixels");
        QTest::newRow("96 DPI") << 96.0 << 15.0 << QSize(603, 63);
        QTest::newRow("144 DPI") << 144.0 << 10.0 << QSize(905, 95);
        QTest::newRow("120 DPI") << 120.0 << 12.0 << QSize(754, 79);
        QTest::newRow("192 DPI") << 192.0 << 7.5 << QSize(1206, 126);
    }
    void geometry()
    {
        QFETCH(double, dpi);
        QFETCH(double, twipsPerPixel);
        QFETCH(QSize, pixels);
        SpectrumGeometry g;
        g.twipsPerPixel = SpectrumGeometry::twipsPerPixelForDpi(dpi);
        QCOMPARE(g.twipsPerPixel, twipsPerPixel);
        QCOMPARE(g.pixelSize(), pixels);
        const SpectrumPainter painter(g);
        QCOMPARE(painter.image().size(), pixels);
        QCOMPARE(painter.image().format(), QImage::Format_RGB32);
    }

    void startsClearAndBlank()
    {
        const SpectrumPainter painter;
        QCOMPARE(countColour(painter.image(), rgb(0, 0, 192)), 603 * 63);
        for (const auto &row : painter.history())
            QVERIFY(std::all_of(row.begin(), row.end(), [](double v) { return v == 0.0; }));
    }

    void gridLines()
    {
        SpectrumPainter painter;
        painter.drawFrequencyGrid();
        const QImage &image = painter.image();
        // x = i * 452.25 twips = i * 30.15 pixels; the 21st line (x = W) falls just outside.
        const QList<int> columns{0,   30,  60,  90,  120, 150, 180, 211, 241, 271,
                                 301, 331, 361, 391, 422, 452, 482, 512, 542, 572};
        for (int i = 0; i < columns.size(); ++i) {
            const QRgb colour = i == 10 ? rgb(128, 0, 128) : rgb(128, 128, 0);
            const int x = columns[i];
            QCOMPARE(describe(image.pixel(x, 12)), describe(rgb(0, 0, 192))); // top 200 twips free
            QCOMPARE(describe(image.pixel(x, 13)), describe(colour));
            QCOMPARE(describe(image.pixel(x, 62)), describe(colour));
            QCOMPARE(describe(image.pixel(x + 1, 40)), describe(rgb(0, 0, 192)));
        }
        QCOMPARE(countColour(image, rgb(128, 0, 128)), 50);
        QCOMPARE(countColour(image, rgb(128, 128, 0)), 19 * 50);
    }

    void firstWaterfallUpdateAfterChoosingWaterfall()
    {
        SpectrumPainter painter;
        painter.selectMode(0);
        painter.drawTrace(constantSpectrum(40).data(), LowBin, HighBin);
        painter.selectMode(1);
        QCOMPARE(countColour(painter.image(), rgb(0, 0, 192)), 603 * 63);

        int phase = 0;
        const Fft fft = constantSpectrum(50);
        painter.paint(DisplayMode::Waterfall, fft.data(), LowBin, HighBin, phase);
        QCOMPARE(phase, 1);

        const auto &history = painter.history();
        QCOMPARE(history[1][0], 49.90234375);
        QCOMPARE(history[1][70], 0.09765625);
        QCOMPARE(history[1][580], 0.09765625);
        QCOMPARE(history[1][69], 0.0); // the edge bins are not kept
        QCOMPARE(history[1][581], 0.0);
        QCOMPARE(history[2][0], 0.0);

        const QImage &image = painter.image();
        for (int e = 1; e <= 511; ++e) {
            const int x = columnOf(e);
            QCOMPARE(describe(image.pixel(x, 0)), describe(rgb(1, 1, 120)));
            QCOMPARE(describe(image.pixel(x, 1)), describe(rgb(1, 1, 120)));
            for (int y = 2; y < 63; ++y)
                QCOMPARE(describe(image.pixel(x, y)), describe(rgb(0, 0, 120)));
        }
        // 511 lines on 603 columns: the others keep the background.
        QCOMPARE(describe(image.pixel(0, 30)), describe(rgb(0, 0, 192)));
        QCOMPARE(describe(image.pixel(602, 30)), describe(rgb(0, 0, 192)));
        QCOMPARE(countColour(image, rgb(0, 0, 192)), (603 - 511) * 63);
    }

    void rowsFillFromTheTop_data()
    {
        QTest::addColumn<int>("updates");
        QTest::newRow("1") << 1;
        QTest::newRow("2") << 2;
        QTest::newRow("7") << 7;
        QTest::newRow("30") << 30;
        QTest::newRow("31 (oldest row drops out)") << 31;
    }
    void rowsFillFromTheTop()
    {
        QFETCH(int, updates);
        SpectrumPainter painter;
        painter.selectMode(1);
        int phase = 0;
        const Fft fft = constantSpectrum(50);
        for (int message = 0; message < 4 * updates - 3; ++message)
            painter.paint(DisplayMode::Waterfall, fft.data(), LowBin, HighBin, phase);
        QCOMPARE(phase, 1);
        const QImage &image = painter.image();
        const int x = columnOf(256);
        for (int k = 0; k < 30; ++k) {
            const QRgb expected = k == 0 ? rgb(1, 1, 120) : k < updates ? rgb(2, 2, 120) : rgb(0, 0, 120);
            QCOMPARE(describe(image.pixel(x, pixelRowOf(k))), describe(expected));
        }
    }

    void decimation_data()
    {
        QTest::addColumn<int>("startPhase");
        QTest::addColumn<int>("messages");
        QTest::addColumn<int>("endPhase");
        QTest::addColumn<int>("updates");

        QTest::newRow("phase 0 draws") << 0 << 1 << 1 << 1;
        QTest::newRow("phase 1 waits") << 1 << 1 << 2 << 0;
        QTest::newRow("phase 2 waits") << 2 << 1 << 3 << 0;
        QTest::newRow("phase 3 waits") << 3 << 1 << 0 << 0;
        QTest::newRow("odd phase resets") << 7 << 1 << 0 << 0;
        QTest::newRow("negative phase resets") << -2 << 1 << 0 << 0;
        QTest::newRow("four messages, one update") << 0 << 4 << 0 << 1;
        QTest::newRow("five messages, two updates") << 0 << 5 << 1 << 2;
        QTest::newRow("eight messages, two updates") << 0 << 8 << 0 << 2;
        QTest::newRow("from phase 3, two messages") << 3 << 2 << 1 << 1;
        QTest::newRow("forty messages, ten updates") << 0 << 40 << 0 << 10;
    }
    void decimation()
    {
        QFETCH(int, startPhase);
        QFETCH(int, messages);
        QFETCH(int, endPhase);
        QFETCH(int, updates);

        SpectrumPainter painter;
        painter.selectMode(1);
        int phase = startPhase;
        for (int m = 0; m < messages; ++m) {
            const Fft fft = constantSpectrum(20 + m);
            painter.paint(DisplayMode::Waterfall, fft.data(), LowBin, HighBin, phase);
        }
        QCOMPARE(phase, endPhase);
        int rows = 0;
        for (int r = 1; r <= 30; ++r)
            rows += painter.history()[size_t(r)][0] != 0.0 ? 1 : 0;
        QCOMPARE(rows, updates);
        if (updates == 0)
            QCOMPARE(countColour(painter.image(), rgb(0, 0, 192)), 603 * 63);
    }

    void traceLeavesWaterfallAlone()
    {
        SpectrumPainter painter;
        int phase = 2;
        const Fft fft = constantSpectrum(60);
        for (int m = 0; m < 5; ++m)
            painter.paint(DisplayMode::Trace, fft.data(), LowBin, HighBin, phase);
        QCOMPARE(phase, 2);
        QCOMPARE(painter.history()[1][0], 0.0);
        // A flat trace at 60: one horizontal cyan run at y = 945 - 9.45 x 60 = 378 twips (row 25).
        QVERIFY(countColour(painter.image(), rgb(0, 255, 255), QRect(0, 25, 603, 1)) > 590);
        QCOMPARE(countColour(painter.image(), rgb(0, 255, 255)),
                 countColour(painter.image(), rgb(0, 255, 255), QRect(0, 25, 603, 1)));
    }

    void traceEndPoints()
    {
        Fft fft{};
        fft[69] = 100; // first segment starts at the top edge, x = W/512
        fft[580] = 50; // last segment ends half way up, x = W
        fft[68] = 100; // outside the shown range: never drawn
        fft[581] = 100;
        SpectrumPainter painter;
        painter.drawTrace(fft.data(), LowBin, HighBin);
        const QImage &image = painter.image();
        QCOMPARE(describe(image.pixel(1, 0)), describe(rgb(0, 255, 255)));
        QCOMPARE(describe(image.pixel(0, 0)), describe(rgb(0, 0, 192)));
        bool endReached = false;
        for (int y = 30; y <= 32; ++y)
            endReached = endReached || image.pixel(602, y) == rgb(0, 255, 255);
        QVERIFY(endReached);
        // Nothing above half height near the right edge (bin 581 would have reached the top).
        QCOMPARE(countColour(image, rgb(0, 255, 255), QRect(590, 0, 13, 30)), 0);

        Fft inside = fft;
        inside[68] = 0;
        inside[581] = 0;
        SpectrumPainter reference;
        reference.drawTrace(inside.data(), LowBin, HighBin);
        QCOMPARE(image, reference.image());
    }

    void traceOfSilenceLiesOnTheBottomEdge()
    {
        SpectrumPainter painter;
        painter.drawTrace(constantSpectrum(0).data(), LowBin, HighBin);
        QCOMPARE(countColour(painter.image(), rgb(0, 255, 255)), 0);
        QCOMPARE(countColour(painter.image(), rgb(128, 0, 128)), 50); // the grid is there
    }

    void switchingKeepsTheHistory()
    {
        SpectrumPainter painter;
        painter.selectMode(1);
        int phase = 0;
        for (int m = 0; m < 9; ++m) { // three updates
            const Fft fft = constantSpectrum(30 + m);
            painter.paint(DisplayMode::Waterfall, fft.data(), LowBin, HighBin, phase);
        }
        QCOMPARE(phase, 1);
        const auto before = painter.history();

        painter.selectMode(0);
        QCOMPARE(countColour(painter.image(), rgb(128, 0, 128)), 50);
        QCOMPARE(countColour(painter.image(), rgb(0, 0, 120)), 0);
        for (int m = 0; m < 6; ++m)
            painter.paint(DisplayMode::Trace, constantSpectrum(70).data(), LowBin, HighBin, phase);
        QCOMPARE(phase, 1);
        QVERIFY(painter.history() == before);

        painter.selectMode(1);
        QCOMPARE(countColour(painter.image(), rgb(0, 0, 192)), 603 * 63);
        // Phases 1, 2, 3 wait; the fourth message draws all rows again with one new row on top.
        for (int m = 0; m < 3; ++m)
            painter.paint(DisplayMode::Waterfall, constantSpectrum(90).data(), LowBin, HighBin, phase);
        QCOMPARE(countColour(painter.image(), rgb(0, 0, 192)), 603 * 63);
        painter.paint(DisplayMode::Waterfall, constantSpectrum(90).data(), LowBin, HighBin, phase);
        QCOMPARE(painter.history()[2][0], before[1][0]);
        QCOMPARE(painter.history()[4][0], before[3][0]);
        QCOMPARE(painter.history()[5][0], 0.0);
        QCOMPARE(countColour(painter.image(), rgb(0, 0, 192)), (603 - 511) * 63);
    }

    void averageOfHundredOrMoreGivesFullBrightness()
    {
        // Display row 1 shows history row 2 against the average of history row 1. With a
        // spectrum averaging about 150 on top, that divisor (100 - 150) is negative: cells
        // above their own average are drawn at full brightness, nothing divides by zero.
        SpectrumPainter painter;
        painter.selectMode(1);
        int phase = 0;
        Fft quiet = constantSpectrum(10);
        quiet[300] = 90;
        painter.paint(DisplayMode::Waterfall, quiet.data(), LowBin, HighBin, phase);
        phase = 0;
        Fft loud = constantSpectrum(150);
        loud[250] = 200;
        painter.paint(DisplayMode::Waterfall, loud.data(), LowBin, HighBin, phase);
        QVERIFY(painter.history()[1][0] > 100.0);

        const QImage &image = painter.image();
        QCOMPARE(describe(image.pixel(columnOf(300 - LowBin), pixelRowOf(1))), describe(rgb(255, 255, 120)));
        QCOMPARE(describe(image.pixel(columnOf(200 - LowBin), pixelRowOf(1))), describe(rgb(0, 0, 120)));
        // Top row: the loud spectrum against 0 above it; bin 250 is 50 over, limited to 255.
        QCOMPARE(describe(image.pixel(columnOf(250 - LowBin), pixelRowOf(0))), describe(rgb(255, 255, 120)));
        // Its other bins sit 150 - 76700/512 = 0.1953125 over the average: 2.49 -> 2.
        QCOMPARE(describe(image.pixel(columnOf(300 - LowBin), pixelRowOf(0))), describe(rgb(2, 2, 120)));

        // A spectrum exactly at 100 everywhere but one bin: divisor 100 - 100 x 511/512 > 0.
        SpectrumPainter edge;
        edge.selectMode(1);
        phase = 0;
        edge.paint(DisplayMode::Waterfall, quiet.data(), LowBin, HighBin, phase);
        phase = 0;
        edge.paint(DisplayMode::Waterfall, constantSpectrum(100).data(), LowBin, HighBin, phase);
        QCOMPARE(describe(edge.image().pixel(columnOf(300 - LowBin), pixelRowOf(1))),
                 describe(rgb(255, 255, 120)));
    }

    void matchesThePlainPainter_data()
    {
        QTest::addColumn<double>("twipsPerPixel");
        QTest::addColumn<double>("widthTwips");
        QTest::addColumn<double>("heightTwips");
        QTest::newRow("designed size, 96 DPI") << 15.0 << 9045.0 << 945.0;
        QTest::newRow("144 DPI") << 10.0 << 9045.0 << 945.0;
        QTest::newRow("120 DPI") << 12.0 << 9045.0 << 945.0;
        QTest::newRow("crowded: bins share columns") << 40.0 << 9045.0 << 945.0;
        QTest::newRow("odd width") << 15.0 << 7001.0 << 733.0;
    }
    void matchesThePlainPainter()
    {
        QFETCH(double, twipsPerPixel);
        QFETCH(double, widthTwips);
        QFETCH(double, heightTwips);
        const SpectrumGeometry geometry{widthTwips, heightTwips, twipsPerPixel};
        SpectrumPainter painter(geometry);
        NaiveSpectrumPainter naive(geometry);
        QCOMPARE(painter.image(), naive.image());

        std::mt19937 random(20240);
        std::uniform_int_distribution<int> level(0, 100);
        int phase = 0;
        int naivePhase = 0;
        // Modes per message: trace, then the waterfall, trace again, and the waterfall again.
        const QList<int> modes{0, 0, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 0, 0, 0, 1, 1, 1, 1, 1, 1, 1, 1, 1};
        int previous = -1;
        for (int m = 0; m < modes.size(); ++m) {
            if (modes[m] != previous) {
                painter.selectMode(modes[m]);
                naive.selectMode(modes[m]);
                previous = modes[m];
            }
            Fft fft;
            for (auto &v : fft)
                v = level(random);
            if (m == 8)
                fft.fill(150); // an average above 100
            if (m == 9)
                fft.fill(100);
            const auto mode = DisplayMode(modes[m]);
            painter.paint(mode, fft.data(), LowBin, HighBin, phase);
            naive.paint(mode, fft.data(), LowBin, HighBin, naivePhase);
            QCOMPARE(phase, naivePhase);
            QVERIFY2(painter.image() == naive.image(),
                     qPrintable(QStringLiteral("message %1: ").arg(m) +
                                firstDifference(painter.image(), naive.image())));
        }
        QVERIFY(painter.history() == naive.history());
        QVERIFY(painter.history()[5][0] != 0.0); // the comparison covered a filled waterfall
    }

    void rangeChangesMatchThePlainPainter()
    {
        // The shown range can change between updates (another audio range): the colours of all
        // rows are then worked out afresh, exactly as the plain painter draws them.
        SpectrumPainter painter;
        NaiveSpectrumPainter naive;
        painter.selectMode(1);
        naive.selectMode(1);
        std::mt19937 random(99);
        std::uniform_int_distribution<int> level(0, 100);
        const QList<QPair<int, int>> ranges{{69, 581}, {69, 581}, {100, 400}, {100, 400},
                                            {69, 581}, {0, 1024}, {300, 302}, {69, 581}};
        for (int u = 0; u < ranges.size(); ++u) {
            Fft fft;
            for (auto &v : fft)
                v = level(random);
            int phase = 0;
            int naivePhase = 0;
            painter.paint(DisplayMode::Waterfall, fft.data(), ranges[u].first, ranges[u].second, phase);
            naive.paint(DisplayMode::Waterfall, fft.data(), ranges[u].first, ranges[u].second, naivePhase);
            QVERIFY2(painter.image() == naive.image(),
                     qPrintable(QStringLiteral("update %1: ").arg(u) +
                                firstDifference(painter.image(), naive.image())));
        }
        QVERIFY(painter.history() == naive.history());
    }

    void paintSpectrumFetchesTheShownRange()
    {
        RecordingSource source;
        for (int b = 0; b < SpectrumBins; ++b)
            source.spectrum[size_t(b)] = 50;
        SpectrumPainter painter;
        veltrane::config::StationState state;
        state.spectrumLowHz = 270;
        state.spectrumHighHz = 2270;
        state.paintPhase = 0;

        PaintSpectrum(source, painter, state, DisplayMode::Trace);
        QCOMPARE(source.calls, 1);
        QCOMPARE(source.first, 69);
        QCOMPARE(source.last, 581);
        QVERIFY(source.arrayWasZero);
        QCOMPARE(state.paintPhase, 0);
        QVERIFY(countColour(painter.image(), rgb(0, 255, 255)) > 500);

        painter.selectMode(1);
        PaintSpectrum(source, painter, state, DisplayMode::Waterfall);
        PaintSpectrum(source, painter, state, DisplayMode::Waterfall);
        QCOMPARE(source.calls, 3); // fetched on every message, drawn or not
        QCOMPARE(state.paintPhase, 2);
        QCOMPARE(painter.history()[1][0], 49.90234375);
        QCOMPARE(describe(painter.image().pixel(columnOf(1), 0)), describe(rgb(1, 1, 120)));
    }
};

QTEST_MAIN(TestSpectrumPainter)
#include "tst_SpectrumPainter.moc"
