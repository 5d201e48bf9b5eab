// SPDX-License-Identifier: GPL-3.0-or-later
// End to end through a real sound server: a private PulseAudio in user mode whose only input
// is a pipe source fed with a 1270 Hz tone. The engine opens the input, posts an event for
// each spectrum, serves the tone's peak, and goes quiet when stopped. Skipped when PulseAudio
// is not installed. The server is started and stopped by this test, by its own process.

#include "SpectrumTestWindow.h"
#include "spectrum/SoundCardEngine.h"

#include <QAudioDevice>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QMediaDevices>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QtEndian>

#include <fcntl.h>
#include <unistd.h>

#include <cmath>
#include <numbers>

using namespace veltrane::spectrum;
using veltrane::spectrum::test::SpectrumTestWindow;
using namespace Qt::StringLiterals;

class TestSoundCardCapture : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        const QString server = QStandardPaths::findExecutable(u"pulseaudio"_s);
        if (server.isEmpty())
            QSKIP("pulseaudio is not installed");

        // A runtime folder of this test's own, so no other server or test shares the socket.
        QVERIFY(m_scratch.isValid());
        const QString runtime = m_scratch.filePath(u"runtime"_s);
        QVERIFY(QDir().mkdir(runtime, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
        qputenv("XDG_RUNTIME_DIR", runtime.toLocal8Bit());
        qputenv("PULSE_RUNTIME_PATH", (runtime + u"/pulse"_s).toLocal8Bit());
        const QString socket = runtime + u"/pulse/native"_s;
        qputenv("PULSE_SERVER", (u"unix:"_s + socket).toLocal8Bit());

        const QString fifo = m_scratch.filePath(u"mic.fifo"_s); // the pipe source makes it
        m_server.setProgram(server);
        m_server.setArguments(
            {u"--daemonize=no"_s, u"--exit-idle-time=-1"_s, u"-n"_s, u"--load=module-native-protocol-unix"_s,
             u"--load=module-pipe-source source_name=pipemic format=s16le rate=8000 channels=1 file="_s +
                 fifo});
        m_server.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        m_server.start();
        QVERIFY2(m_server.waitForStarted(5000), qPrintable(m_server.errorString()));

        // Ready once its socket listens and the pipe source has made its pipe.
        const auto ready = [&] { return QFile::exists(socket) && QFile::exists(fifo); };
        QVERIFY2(QTest::qWaitFor(ready, 10000), "the sound server did not come up");
        m_pipe = ::open(fifo.toLocal8Bit().constData(), O_WRONLY | O_NONBLOCK);
        QVERIFY2(m_pipe >= 0, "the pipe source did not open its pipe");
    }

    void cleanupTestCase()
    {
        ::close(m_pipe);                // -1 when it never opened: nothing to close
        m_server.terminate();           // SIGTERM to this server's own process id (if it runs)
        m_server.waitForFinished(5000); // one still running after that is killed with its QProcess
    }

    // The default input, then the first listed one (the pipe source either way).
    void capturesTheTone()
    {
        QVERIFY(!QMediaDevices::audioInputs().isEmpty());
        for (int device : {-1, 0}) {
            SpectrumTestWindow window;
            SoundCardEngine engine;
            QTimer feeder;
            connect(&feeder, &QTimer::timeout, this, [&] { feed(400); });
            feed(4000); // half a second ahead, then 50 ms every 50 ms
            feeder.start(50);

            QVERIFY2(engine.fnStartSoundCard(&window, device, 1) == 1, qPrintable(QString::number(device)));
            QVERIFY(engine.isCapturing());
            QTRY_VERIFY_WITH_TIMEOUT(window.spectrumEvents() >= 3, 15000);

            std::array<qint32, SpectrumBins> data{};
            engine.fnGetFFTData(data.data(), 69, 581);
            const auto peak = std::max_element(data.begin() + 69, data.begin() + 581);
            QCOMPARE(int(peak - data.begin()), 325);
            QVERIFY2(*peak >= 85, qPrintable(QString::number(*peak))); // a tone at half scale: about 94
            QVERIFY(data[200] < *peak - 40);

            engine.fnStopSoundCard();
            QVERIFY(!engine.isCapturing());
            const int seen = window.spectrumEvents();
            QCoreApplication::processEvents();
            QCOMPARE(window.spectrumEvents(), seen); // nothing after the stop
        }
    }

private:
    // Writes `count` samples of a half-scale 1270 Hz tone into the pipe (s16le, 8000 samples/s).
    void feed(int count)
    {
        std::vector<qint16> samples(static_cast<size_t>(count));
        for (qint16 &v : samples)
            v = qToLittleEndian(qint16(std::lround(
                16384.0 * std::sin(2.0 * std::numbers::pi * 1270.0 * double(m_sample++) / 8000.0))));
        const ssize_t written = ::write(m_pipe, samples.data(), samples.size() * sizeof(qint16));
        Q_UNUSED(written); // a full pipe only means the server is behind; the tone goes on
    }

    QTemporaryDir m_scratch;
    QProcess m_server;
    int m_pipe = -1;
    qint64 m_sample = 0;
};

QTEST_GUILESS_MAIN(TestSoundCardCapture)
#include "tst_SoundCardCapture.moc"
