// The simulated rig on a real pseudo-terminal, talked to through QSerialPort as the program
// does: answers byte for byte, answers in pieces, noise and lost answers, a controller that
// closes and reopens, and the adapter pulled out and put back behind a stable link.
// Every wait is bounded.

#include "rigsim/PtyRig.h"

#include <QFile>
#include <QFileInfo>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include "tools/DeviceNode.h"
#include "tools/SerialController.h"

using namespace Qt::StringLiterals;
using veltrane::testing::DeviceNode;
using Controller = veltrane::testing::SerialController;
using namespace veltrane::rigsim;

Q_DECLARE_METATYPE(veltrane::rigsim::EmulatorSettings)

namespace {

constexpr int kWaitMs = 5000;

EmulatorSettings rig(Family family, Mode mode = Mode::Usb)
{
    EmulatorSettings s;
    s.family = family;
    s.mode = mode;
    return s;
}

QByteArray fileBytes(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("(unreadable)");
}

} // namespace

class TestPtyRig : public QObject
{
    Q_OBJECT

private slots:
    void answersThroughSerialPort_data();
    void answersThroughSerialPort();
    void lineFaults();
    void unplugAndReturnThroughTheLink();
    void logAndStatusFiles();
    void onlyItsOwnLinkIsReplacedOrRemoved();

private:
    QTemporaryDir m_dir;
};

void TestPtyRig::answersThroughSerialPort_data()
{
    QTest::addColumn<EmulatorSettings>("settings");
    QTest::addColumn<QByteArray>("request");
    QTest::addColumn<QByteArray>("answer");

    QTest::newRow("kenwood set then read")
        << rig(Family::KenwoodText) << QByteArray("MD2;FA00007026000;FA;") << QByteArray("FA00007026000;");
    // 11 and 13 are XON and XOFF, 0D is a carriage return: the line must pass them untouched.
    QTest::newRow("ft897 raw bytes") << rig(Family::Ft897, Mode::Lsb)
                                     << QByteArray::fromHex("01 00 00 00 07 00 70 13 11 01 00 00 00 00 03")
                                     << QByteArray::fromHex("00 70 13 11 01");
}

void TestPtyRig::answersThroughSerialPort()
{
    QFETCH(EmulatorSettings, settings);
    QFETCH(QByteArray, request);
    QFETCH(QByteArray, answer);

    PtyRig sim(settings, {});
    QString error;
    QVERIFY2(sim.start(&error), qPrintable(error));
    QVERIFY(sim.slavePath().startsWith(u"/dev/pts/"));
    QCOMPARE(sim.devicePath(), sim.slavePath());
    Controller c;
    QVERIFY2(c.open(sim.devicePath()), qPrintable(c.port.errorString()));
    QCOMPARE(c.port.write(request), request.size());
    QTRY_VERIFY_WITH_TIMEOUT(c.received.size() >= answer.size(), kWaitMs);
    QCOMPARE(c.received.toHex(' '), answer.toHex(' '));
}

void TestPtyRig::lineFaults()
{
    // Answers in pieces of 4 bytes with a pause between: never one piece across two reads, and
    // not the whole answer in one read.
    PtyRigOptions fragments;
    fragments.faults.fragmentBytes = 4;
    fragments.faults.fragmentDelayMs = 100;
    PtyRig kenwood(rig(Family::KenwoodText), fragments);
    QVERIFY(kenwood.start());
    Controller c;
    QVERIFY(c.open(kenwood.devicePath()));
    c.port.write("FA;");
    QTRY_COMPARE_WITH_TIMEOUT(c.received, QByteArray("FA00014076000;"), kWaitMs);
    QVERIFY2(c.reads.size() >= 2, qPrintable(QString::number(c.reads.size())));
    qsizetype end = 0;
    for (const QByteArray &read : c.reads) {
        end += read.size();
        QVERIFY2(end % 4 == 0 || end == c.received.size(), qPrintable(QString::number(end)));
    }

    // Noise before every answer: 1 to 8 bytes, the same again with the same seed.
    PtyRigOptions noisy;
    noisy.faults.garbageProbability = 1.0;
    noisy.faults.seed = 7;
    const QByteArray answer = QByteArray::fromHex("FE FE E0 74 03 00 60 07 14 00 FD");
    QByteArrayList noises;
    for (int run = 0; run < 2; ++run) {
        PtyRig sim(rig(Family::CiV), noisy);
        QVERIFY(sim.start());
        QVERIFY(c.open(sim.devicePath()));
        c.port.write(QByteArray::fromHex("FE FE 74 E0 03 FD"));
        QTRY_VERIFY_WITH_TIMEOUT(c.received.endsWith(answer), kWaitMs);
        noises << c.received.chopped(answer.size());
        QVERIFY2(noises.constLast().size() >= 1 && noises.constLast().size() <= 8,
                 noises.constLast().toHex(' '));
    }
    QCOMPARE(noises[0].toHex(' '), noises[1].toHex(' '));

    // A lost answer still leaves the bus echo; the answer to the first request would have come
    // before the second echo.
    EmulatorSettings echoing = rig(Family::CiV);
    echoing.civEcho = true;
    PtyRigOptions dropping;
    dropping.faults.dropProbability = 1.0;
    PtyRig silent(echoing, dropping);
    QVERIFY(silent.start());
    QVERIFY(c.open(silent.devicePath()));
    const QByteArray request = QByteArray::fromHex("FE FE 74 E0 03 FD");
    c.port.write(request);
    QTRY_VERIFY_WITH_TIMEOUT(c.received.size() >= request.size(), kWaitMs);
    c.port.write(request);
    QTRY_VERIFY_WITH_TIMEOUT(c.received.size() >= 2 * request.size(), kWaitMs);
    QCOMPARE(c.received.toHex(' '), QByteArray(request + request).toHex(' '));
}

void TestPtyRig::unplugAndReturnThroughTheLink()
{
    EmulatorSettings settings = rig(Family::YaesuText);
    settings.resyncGapMs = 0; // no pause may clear a half frame: only the unplug
    PtyRigOptions options;
    options.linkPath = m_dir.filePath(u"rig"_s);
    options.faults.unplugEveryMs = 2000;
    options.faults.unplugForMs = 300;
    PtyRig sim(settings, options);
    QSignalSpy frames(&sim, &PtyRig::frameReceived);
    QSignalSpy unplugged(&sim, &PtyRig::unplugged);
    QSignalSpy pluggedIn(&sim, &PtyRig::pluggedIn);
    QVERIFY(sim.start());
    QCOMPARE(pluggedIn.count(), 1);
    QCOMPARE(sim.devicePath(), options.linkPath);
    const DeviceNode firstSlave = DeviceNode::of(sim.slavePath());
    QVERIFY(firstSlave.exists());
    QCOMPARE(QFileInfo(options.linkPath).symLinkTarget(), firstSlave.path);

    // A controller may close and reopen: the rig stays plugged in.
    Controller c;
    QVERIFY2(c.open(options.linkPath), qPrintable(c.port.errorString()));
    c.port.write("FA07026000;FA;");
    QTRY_COMPARE_WITH_TIMEOUT(c.received, QByteArray("FA07026000;"), kWaitMs);
    QVERIFY2(c.open(options.linkPath), qPrintable(c.port.errorString()));
    c.port.write("FA;FA07");
    QTRY_COMPARE_WITH_TIMEOUT(sim.emulator().pending(), QByteArray("FA07"), kWaitMs);
    QTRY_COMPARE_WITH_TIMEOUT(c.received, QByteArray("FA07026000;"), kWaitMs);
    QCOMPARE(unplugged.count(), 0);

    // Pulled out by the unplug cycle: the half frame is dropped, the link and the device vanish, the port
    // notices.
    QTRY_COMPARE_WITH_TIMEOUT(unplugged.count(), 1, kWaitMs);
    QTRY_COMPARE_WITH_TIMEOUT(frames.count(), 4, kWaitMs);
    QCOMPARE(frames.constLast().at(0).value<FrameRecord>().bytes, QByteArray("FA07"));
    QCOMPARE(frames.constLast().at(0).value<FrameRecord>().meaning, u"INCOMPLETE, DROPPED"_s);
    QVERIFY(!sim.isPlugged());
    QVERIFY(sim.slavePath().isEmpty());
    QVERIFY(!QFileInfo(options.linkPath).isSymLink());
    QVERIFY(firstSlave.gone());
    QTRY_VERIFY_WITH_TIMEOUT(c.lineLost, kWaitMs);
    QVERIFY(!c.open(options.linkPath));

    // Back again: a new pty behind the same link; the rig kept its frequency.
    QTRY_COMPARE_WITH_TIMEOUT(pluggedIn.count(), 2, kWaitMs);
    QCOMPARE(pluggedIn.at(1).at(0).toString(), sim.slavePath());
    QCOMPARE(QFileInfo(options.linkPath).symLinkTarget(), sim.slavePath());
    QVERIFY2(c.open(options.linkPath), qPrintable(c.port.errorString()));
    c.port.write("FA;");
    QTRY_COMPARE_WITH_TIMEOUT(c.received, QByteArray("FA07026000;"), kWaitMs);
    sim.stop();
    QVERIFY(!QFileInfo(options.linkPath).isSymLink());
}

void TestPtyRig::logAndStatusFiles()
{
    PtyRigOptions options;
    options.logFile = m_dir.filePath(u"frames.log"_s);
    options.statusFile = m_dir.filePath(u"status"_s);
    PtyRig sim(rig(Family::KenwoodText, Mode::Lsb), options);
    QSignalSpy frames(&sim, &PtyRig::frameReceived);
    QSignalSpy changes(&sim, &PtyRig::stateChanged);
    QVERIFY(sim.start());
    QCOMPARE(fileBytes(options.statusFile), QByteArray("freq=14076000 mode=LSB\n"));

    Controller c;
    QVERIFY(c.open(sim.devicePath()));
    c.port.write("MD2;FA00007026000;FA;");
    QTRY_COMPARE_WITH_TIMEOUT(frames.count(), 3, kWaitMs);
    QCOMPARE(fileBytes(options.statusFile), QByteArray("freq=7026000 mode=USB\n"));
    QCOMPARE(changes.constLast().at(0).toLongLong(), 7026000);
    // Flushed at once: the lines are there while the rig still runs.
    const QList<QByteArray> lines = fileBytes(options.logFile).split('\n');
    QCOMPARE(lines.size(), 4); // three lines and the empty rest after the last line end
    QVERIFY2(lines[0].endsWith("  4D 44 32 3B  \"MD2;\"  SET MODE USB"), lines[0].constData());
    QVERIFY2(lines[1].endsWith("  \"FA00007026000;\"  SET FREQ 7026000"), lines[1].constData());
    QVERIFY2(lines[2].endsWith("  46 41 3B  \"FA;\"  READ FREQ"), lines[2].constData());
}

void TestPtyRig::onlyItsOwnLinkIsReplacedOrRemoved()
{
    PtyRigOptions options;
    options.linkPath = m_dir.filePath(u"taken"_s);
    QFile file(options.linkPath);
    QVERIFY(file.open(QIODevice::WriteOnly) && file.write("keep me") == 7);
    file.close();
    PtyRig refused(rig(Family::YaesuText), options);
    QString error;
    QVERIFY(!refused.start(&error));
    QVERIFY2(error.contains(options.linkPath), qPrintable(error));
    QVERIFY(!refused.isPlugged());
    QCOMPARE(fileBytes(options.linkPath), QByteArray("keep me"));

    // A link that was there already stays while the rig is not started; a started rig replaces
    // it and removes its own on stopping.
    options.linkPath = m_dir.filePath(u"link"_s);
    const QString elsewhere = m_dir.filePath(u"elsewhere"_s);
    QVERIFY(QFile::link(elsewhere, options.linkPath));
    {
        PtyRig idle(rig(Family::YaesuText), options);
    }
    QCOMPARE(QFileInfo(options.linkPath).symLinkTarget(), elsewhere);
    {
        PtyRig sim(rig(Family::YaesuText), options);
        QVERIFY(sim.start());
        QCOMPARE(QFileInfo(options.linkPath).symLinkTarget(), sim.slavePath());
    }
    QVERIFY(!QFileInfo(options.linkPath).isSymLink());
}

QTEST_GUILESS_MAIN(TestPtyRig)
#include "tst_ptyrig.moc"
