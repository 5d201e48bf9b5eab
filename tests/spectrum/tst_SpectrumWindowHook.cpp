// The window hook: new-spectrum events (type 2024) reach the paint routine synchronously and
// still reach the window; other events do not paint; unhooking is safe at any time.

#include "spectrum/SpectrumPainter.h"
#include "spectrum/SpectrumWindowHook.h"

#include <QCoreApplication>
#include <QEvent>
#include <QTest>

using namespace veltrane::spectrum;

namespace {

class FakeWindow : public QObject
{
public:
    QList<int> received; // event types the window itself saw, in order
    int paintsSeenBeforeMe = -1;
    const int *paints = nullptr;

protected:
    bool event(QEvent *e) override
    {
        if (e->type() >= QEvent::User) {
            received.append(int(e->type()));
            if (paints)
                paintsSeenBeforeMe = *paints;
        }
        return QObject::event(e);
    }
};

struct FakeSource : SpectrumSource
{
    int calls = 0;
    int fnGetFFTData(qint32 *data, int firstBin, int lastBin) override
    {
        ++calls;
        for (int b = firstBin; b < lastBin; ++b)
            data[b] = 50;
        return lastBin - firstBin;
    }
};

void post(QObject *window, int type)
{
    QCoreApplication::postEvent(window, new QEvent(QEvent::Type(type)));
}

} // namespace

class TestSpectrumWindowHook : public QObject
{
    Q_OBJECT

private slots:
    void eventsByType_data()
    {
        QTest::addColumn<QList<int>>("types");
        QTest::addColumn<int>("paints");

        QTest::newRow("one spectrum") << QList<int>{2024} << 1;
        QTest::newRow("three spectra") << QList<int>{2024, 2024, 2024} << 3;
        QTest::newRow("other user events") << QList<int>{2023, 2025, 1024} << 0;
        QTest::newRow("mixed") << QList<int>{2023, 2024, 3000, 2024} << 2;
    }
    void eventsByType()
    {
        QFETCH(QList<int>, types);
        QFETCH(int, paints);

        FakeWindow window;
        int painted = 0;
        HookSpectrumWindow(&window, [&] { ++painted; });
        for (int type : types)
            post(&window, type);
        QCoreApplication::processEvents();
        QCOMPARE(painted, paints);
        QCOMPARE(window.received, types); // every event goes on to the window
    }

    void paintRunsBeforeTheWindowSeesTheEvent()
    {
        FakeWindow window;
        int painted = 0;
        window.paints = &painted;
        HookSpectrumWindow(&window, [&] { ++painted; });
        QCoreApplication::sendEvent(&window, std::make_unique<QEvent>(QEvent::Type(2024)).get());
        QCOMPARE(window.paintsSeenBeforeMe, 1);
    }

    void reachesThePainterWithAFakeSource()
    {
        FakeWindow window;
        FakeSource source;
        SpectrumPainter painter;
        veltrane::config::StationState state;
        state.spectrumLowHz = 270;
        state.spectrumHighHz = 2270;
        state.paintPhase = 0;
        DisplayMode mode = DisplayMode::Waterfall;
        painter.selectMode(1);
        HookSpectrumWindow(&window, [&] { PaintSpectrum(source, painter, state, mode); });

        post(&window, 2024);
        QCoreApplication::processEvents();
        QCOMPARE(source.calls, 1);
        QCOMPARE(state.paintPhase, 1);
        QCOMPARE(painter.history()[1][0], 49.90234375);
        QCOMPARE(painter.image().pixel(1, 0), qRgb(1, 1, 120));

        mode = DisplayMode::Trace;
        post(&window, 2024);
        QCoreApplication::processEvents();
        QCOMPARE(source.calls, 2);
        QCOMPARE(state.paintPhase, 1);
        QCOMPARE(painter.image().pixel(301, 40), qRgb(128, 0, 128));
    }

    void unhookStopsPainting()
    {
        FakeWindow window;
        int painted = 0;
        HookSpectrumWindow(&window, [&] { ++painted; });
        QVERIFY(isSpectrumWindowHooked(&window));
        UnhookSpectrumWindow(&window);
        QVERIFY(!isSpectrumWindowHooked(&window));
        post(&window, 2024);
        QCoreApplication::processEvents();
        QCOMPARE(painted, 0);
        QCOMPARE(window.received, QList<int>{2024});
        QVERIFY(window.children().isEmpty());
    }

    void unhookWithoutHookDoesNothing()
    {
        FakeWindow window;
        QObject child(&window);
        UnhookSpectrumWindow(&window);
        UnhookSpectrumWindow(nullptr);
        QCOMPARE(window.children().size(), 1);
        HookSpectrumWindow(&window, [] {});
        UnhookSpectrumWindow(&window);
        UnhookSpectrumWindow(&window); // a second unhook is harmless too
        QCOMPARE(window.children().size(), 1);
    }

    void secondHookReplacesTheFirst()
    {
        FakeWindow window;
        int first = 0;
        int second = 0;
        HookSpectrumWindow(&window, [&] { ++first; });
        HookSpectrumWindow(&window, [&] { ++second; });
        post(&window, 2024);
        QCoreApplication::processEvents();
        QCOMPARE(first, 0);
        QCOMPARE(second, 1);
    }

    void windowsAreHookedSeparately()
    {
        FakeWindow a;
        FakeWindow b;
        int paintedA = 0;
        int paintedB = 0;
        HookSpectrumWindow(&a, [&] { ++paintedA; });
        HookSpectrumWindow(&b, [&] { ++paintedB; });
        UnhookSpectrumWindow(&b);
        post(&a, 2024);
        post(&b, 2024);
        QCoreApplication::processEvents();
        QCOMPARE(paintedA, 1);
        QCOMPARE(paintedB, 0);
    }

    void eventsForChildrenDoNotPaint()
    {
        FakeWindow window;
        FakeWindow child;
        child.setParent(&window);
        int painted = 0;
        HookSpectrumWindow(&window, [&] { ++painted; });
        post(&child, 2024);
        QCoreApplication::processEvents();
        QCOMPARE(painted, 0);
        QCOMPARE(child.received, QList<int>{2024});
        child.setParent(nullptr);
    }
};

QTEST_GUILESS_MAIN(TestSpectrumWindowHook)
#include "tst_SpectrumWindowHook.moc"
