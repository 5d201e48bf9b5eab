// The engine without a sound server: starting finds no device, posts nothing, serves zeros,
// and every call stays harmless, so the program runs on with a blank display.

#include "spectrum/SoundCardEngine.h"

#include <QCoreApplication>
#include <QEvent>
#include <QTemporaryDir>
#include <QTest>

using namespace veltrane::spectrum;

namespace {

class CountingWindow : public QObject
{
public:
    int spectrumEvents = 0;

protected:
    bool event(QEvent *e) override
    {
        if (e->type() == QEvent::Type(SpectrumDataEventType))
            ++spectrumEvents;
        return QObject::event(e);
    }
};

} // namespace

class TestSoundCardEngine : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        // No sound server for this test, whatever else runs beside it: the client library is
        // pointed at a socket that does not exist (and so never starts a server of its own).
        QVERIFY(m_scratch.isValid());
        qputenv("PULSE_SERVER",
                (QStringLiteral("unix:") + m_scratch.filePath(QStringLiteral("no-server"))).toLocal8Bit());
    }

    void noDeviceMeansNoData_data()
    {
        QTest::addColumn<int>("device");
        QTest::newRow("default input") << -1;
        QTest::newRow("first listed input") << 0;
        QTest::newRow("beyond the list") << 7;
        QTest::newRow("negative other than -1") << -3;
    }
    void noDeviceMeansNoData()
    {
        QFETCH(int, device);
        CountingWindow window;
        SoundCardEngine engine;
        // The same calls, in the same order, as the main window's start-up.
        QCOMPARE(engine.fnStartSoundCard(&window, device, 1), 0);
        engine.fnSetRXFrequency(1270, 0, 0);
        engine.fnSetRXPSKMode(0, 0);
        engine.fnSetSquelchThreshold(0, 0, 0);
        engine.fnSetAFCLimit(500, 0);
        engine.fnSetFFTMode(3, 100, 1);
        QVERIFY(!engine.isCapturing());
        QCOMPARE(engine.rxFrequencyHz(), 1270);

        QCoreApplication::processEvents();
        QCOMPARE(window.spectrumEvents, 0);

        std::array<qint32, SpectrumBins> data;
        data.fill(77);
        QCOMPARE(engine.fnGetFFTData(data.data(), 69, 581), 512);
        QCOMPARE(data[68], 77);
        QCOMPARE(data[69], 0);
        QCOMPARE(data[580], 0);
        QCOMPARE(data[581], 77);

        engine.fnStopSoundCard();
        engine.fnStopSoundCard();
        QVERIFY(!engine.isCapturing());
    }

    void stopRemovesQueuedAnnouncements()
    {
        CountingWindow window;
        SoundCardEngine engine;
        engine.fnStartSoundCard(&window, -1, 1);
        QCoreApplication::postEvent(&window, new QEvent(QEvent::Type(SpectrumDataEventType)));
        QCoreApplication::postEvent(&window, new QEvent(QEvent::User));
        engine.fnStopSoundCard();
        QCoreApplication::processEvents();
        // Without a device the engine never took the window, so nothing was removed.
        QCOMPARE(window.spectrumEvents, 1);
    }

    void stopWithoutStart()
    {
        SoundCardEngine engine;
        QCOMPARE(engine.fnStopSoundCard(), 0);
        std::array<qint32, SpectrumBins> data{};
        QCOMPARE(engine.fnGetFFTData(data.data(), 0, SpectrumBins), SpectrumBins);
    }

private:
    QTemporaryDir m_scratch;
};

QTEST_GUILESS_MAIN(TestSoundCardEngine)
#include "tst_SoundCardEngine.moc"
