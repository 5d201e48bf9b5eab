// The simulated rig on a real pseudo-terminal, talked to through QSerialPort as the program
// does: answers byte for byte, answers in pieces, noise and lost answers, a controller that
// closes and reopens, and the adapter pulled out and put back behind a stable link.
// Every wait is bounded.

#include "rigsim/PtyRig.h"

#include <QFile>
#include <QFileInfo>
#include <QSerialPort>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include "tools/DeviceNode.h"

using namespace Qt::StringLiterals;
using veltrane::testing::DeviceNode;
using namespace veltrane::rigsim;

Q_DECLARE_METATYPE(veltrane::rigsim::EmulatorSettings)

namespace {

constexpr int kWaitMs = 5000;

QByteArray hex(const char *text)
{
    return QByteArray::fromHex(text);
}

EmulatorSettings rig(Family family, Mode mode = Mode::Usb)
{
    EmulatorSettings s;
    s.family = family;
    s.mode = mode;
    return s;
}

// The controller's side: a QSerialPort at 9600 8N1 that collects what arrives, read by read.
class Controller : public QObject
{
public:
    bool open(const QString &path)
    {
        received.clear();
        reads.clear();
        lineLost = false;
        port.setPortName(path);
        port.setBaudRate(QSerialPort::Baud9600);
        port.setDataBits(QSerialPort::Data8);
        port.setParity(QSerialPort::NoParity);
        port.setStopBits(QSerialPort::OneStop);
        port.setFlowControl(QSerialPort::NoFlowControl);
        if (!port.open(QIODevice::ReadWrite))
            return false;
        // Modem lines cannot be set on a pseudo-terminal; that must not matter.
        port.setDataTerminalReady(true);
        port.clearError();
        return true;
    }

    Controller()
    {
        connect(&port, &QSerialPort::readyRead, this, [this] {
            const QByteArray bytes = port.readAll();
            received += bytes;
            reads << bytes;
        });
        connect(&port, &QSerialPort::errorOccurred, this, [this](QSerialPort::SerialPortError e) {
            // A vanished device floods read errors until the port is closed.
            if (e == QSerialPort::ReadError || e == QSerialPort::ResourceError) {
                lineLost = true;
                port.close();
            }
        });
    }

    QSerialPort port;
    QByteArray received;
    QByteArrayList reads;
    bool lineLost = false;
};

} // namespace

class TestPtyRig : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void answersThroughSerialPort_data();
    void answersThroughSerialPort();
    void answersComeInFragments();
    void noiseComesBeforeTheAnswerAndRepeatsWithTheSeed();
    void droppedAnswerLeavesTheEcho();
    void controllerMayCloseAndReopen();
    void unplugAndReturnThroughTheLink();
    void unplugDropsAHalfReceivedFrame();
    void logAndStatusFiles();
    void linkOverAFileIsRefused();
    void onlyItsOwnLinkIsRemoved();

private:
    std::unique_ptr<QTemporaryDir> m_dir;
};

void TestPtyRig::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
}

void TestPtyRig::answersThroughSerialPort_data()
{
    QTest::addColumn<EmulatorSettings>("settings");
    QTest::addColumn<QByteArray>("request");
    QTest::addColumn<QByteArray>("answer");

    EmulatorSettings echoing = rig(Family::CiV);
    echoing.civEcho = true;
    EmulatorSettings controller45 = rig(Family::CiV);
    controller45.civControllerAddress = 0x45;

    QTest::newRow("yaesu read") << rig(Family::YaesuText) << QByteArray("FA;") << QByteArray("FA14076000;");
    QTest::newRow("yaesu band pick then read")
        << rig(Family::YaesuText) << QByteArray("MD02;FA21076000;FA;") << QByteArray("FA21076000;");
    QTest::newRow("kenwood set then read")
        << rig(Family::KenwoodText) << QByteArray("MD2;FA00007026000;FA;") << QByteArray("FA00007026000;");
    QTest::newRow("civ read") << rig(Family::CiV) << hex("FE FE 74 E0 03 FD")
                              << hex("FE FE E0 74 03 00 60 07 14 00 FD");
    QTest::newRow("civ read with echo")
        << echoing << hex("FE FE 74 E0 03 FD") << hex("FE FE 74 E0 03 FD FE FE E0 74 03 00 60 07 14 00 FD");
    QTest::newRow("civ set then read, controller 45")
        << controller45 << hex("FE FE 74 45 05 00 00 33 50 00 FD FE FE 74 45 03 FD")
        << hex("FE FE 45 74 03 00 00 33 50 00 FD");
    QTest::newRow("ft897 read") << rig(Family::Ft897) << hex("00 00 00 00 03") << hex("01 40 76 00 01");
    QTest::newRow("ft897 band pick then read")
        << rig(Family::Ft897, Mode::Lsb) << hex("01 00 00 00 07 00 70 26 00 01 00 00 00 00 03")
        << hex("00 70 26 00 01");
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

void TestPtyRig::answersComeInFragments()
{
    PtyRigOptions options;
    options.faults.fragmentBytes = 4;
    options.faults.fragmentDelayMs = 100;
    PtyRig sim(rig(Family::KenwoodText), options);
    QVERIFY(sim.start());

    Controller c;
    QVERIFY(c.open(sim.devicePath()));
    c.port.write("FA;");
    const QByteArray answer("FA00014076000;");
    QTRY_COMPARE_WITH_TIMEOUT(c.received, answer, kWaitMs);
    // Pieces may be read together, but never one piece across two reads, and with a pause
    // between pieces the answer does not come in one read.
    QVERIFY2(c.reads.size() >= 2, qPrintable(QString::number(c.reads.size())));
    qsizetype end = 0;
    for (const QByteArray &read : c.reads) {
        end += read.size();
        QVERIFY2(end % 4 == 0 || end == answer.size(), qPrintable(QString::number(end)));
    }
}

void TestPtyRig::noiseComesBeforeTheAnswerAndRepeatsWithTheSeed()
{
    PtyRigOptions options;
    options.faults.garbageProbability = 1.0;
    options.faults.seed = 7;
    const QByteArray answer = hex("FE FE E0 74 03 00 60 07 14 00 FD");

    QByteArrayList noises;
    for (int run = 0; run < 2; ++run) {
        PtyRig sim(rig(Family::CiV), options);
        QVERIFY(sim.start());
        Controller c;
        QVERIFY(c.open(sim.devicePath()));
        c.port.write(hex("FE FE 74 E0 03 FD"));
        QTRY_VERIFY_WITH_TIMEOUT(c.received.endsWith(answer), kWaitMs);
        const QByteArray noise = c.received.chopped(answer.size());
        QVERIFY2(noise.size() >= 1 && noise.size() <= 8, noise.toHex(' ').constData());
        noises << noise;
    }
    QCOMPARE(noises[0].toHex(' '), noises[1].toHex(' '));
}

void TestPtyRig::droppedAnswerLeavesTheEcho()
{
    EmulatorSettings settings = rig(Family::CiV);
    settings.civEcho = true;
    PtyRigOptions options;
    options.faults.dropProbability = 1.0;
    PtyRig sim(settings, options);
    QVERIFY(sim.start());

    Controller c;
    QVERIFY(c.open(sim.devicePath()));
    const QByteArray request = hex("FE FE 74 E0 03 FD");
    c.port.write(request);
    QTRY_VERIFY_WITH_TIMEOUT(c.received.size() >= request.size(), kWaitMs);
    // The answer to the first request would have been on the line before the second echo.
    c.port.write(request);
    QTRY_VERIFY_WITH_TIMEOUT(c.received.size() >= 2 * request.size(), kWaitMs);
    QCOMPARE(c.received.toHex(' '), QByteArray(request + request).toHex(' '));
}

void TestPtyRig::controllerMayCloseAndReopen()
{
    PtyRig sim(rig(Family::Ft897), {});
    QVERIFY(sim.start());
    QSignalSpy unplugged(&sim, &PtyRig::unplugged);

    Controller c;
    for (int round = 0; round < 3; ++round) {
        QVERIFY2(c.open(sim.devicePath()), qPrintable(c.port.errorString()));
        c.port.write(hex("00 00 00 00 03"));
        QTRY_COMPARE_WITH_TIMEOUT(c.received.toHex(' '), QByteArray("01 40 76 00 01"), kWaitMs);
        c.port.close();
    }
    QVERIFY(sim.isPlugged());
    QCOMPARE(unplugged.count(), 0);
}

void TestPtyRig::unplugAndReturnThroughTheLink()
{
    PtyRigOptions options;
    options.linkPath = m_dir->filePath(u"rig"_s);
    options.faults.unplugEveryMs = 1000;
    options.faults.unplugForMs = 300;
    PtyRig sim(rig(Family::YaesuText), options);
    QSignalSpy unplugged(&sim, &PtyRig::unplugged);
    QSignalSpy pluggedIn(&sim, &PtyRig::pluggedIn);
    QVERIFY(sim.start());
    QCOMPARE(pluggedIn.count(), 1);
    QCOMPARE(sim.devicePath(), options.linkPath);
    const DeviceNode firstSlave = DeviceNode::of(sim.slavePath());
    QVERIFY(firstSlave.exists());
    QCOMPARE(QFileInfo(options.linkPath).symLinkTarget(), firstSlave.path);

    Controller c;
    QVERIFY2(c.open(options.linkPath), qPrintable(c.port.errorString()));
    c.port.write("FA07026000;FA;");
    QTRY_COMPARE_WITH_TIMEOUT(c.received, QByteArray("FA07026000;"), kWaitMs);

    // Pulled out: the link and the device vanish, and the open port notices.
    QTRY_COMPARE_WITH_TIMEOUT(unplugged.count(), 1, kWaitMs);
    QVERIFY(!sim.isPlugged());
    QVERIFY(!QFileInfo(options.linkPath).isSymLink());
    QVERIFY(firstSlave.gone());
    QVERIFY(sim.slavePath().isEmpty());
    QTRY_VERIFY_WITH_TIMEOUT(c.lineLost, kWaitMs);
    QVERIFY(!c.port.isOpen());
    QVERIFY(!c.open(options.linkPath));

    // Back again: a new pty behind the same link; the rig kept its frequency.
    QTRY_COMPARE_WITH_TIMEOUT(pluggedIn.count(), 2, kWaitMs);
    QVERIFY(sim.isPlugged());
    QCOMPARE(pluggedIn.at(1).at(0).toString(), sim.slavePath());
    QCOMPARE(QFileInfo(options.linkPath).symLinkTarget(), sim.slavePath());
    QVERIFY2(c.open(options.linkPath), qPrintable(c.port.errorString()));
    c.port.write("FA;");
    QTRY_COMPARE_WITH_TIMEOUT(c.received, QByteArray("FA07026000;"), kWaitMs);

    sim.stop();
    QVERIFY(!QFileInfo(options.linkPath).isSymLink());
}

void TestPtyRig::unplugDropsAHalfReceivedFrame()
{
    EmulatorSettings settings = rig(Family::YaesuText);
    settings.resyncGapMs = 0; // no pause may clear it: only the unplug
    PtyRig sim(settings, {});
    QSignalSpy frames(&sim, &PtyRig::frameReceived);
    QVERIFY(sim.start());

    Controller c;
    QVERIFY(c.open(sim.devicePath()));
    c.port.write("FA07");
    QTRY_COMPARE_WITH_TIMEOUT(sim.emulator().pending(), QByteArray("FA07"), kWaitMs);
    sim.unplug();
    QTRY_VERIFY_WITH_TIMEOUT(c.lineLost, kWaitMs);
    QCOMPARE(frames.count(), 1);
    const auto dropped = frames.at(0).at(0).value<FrameRecord>();
    QCOMPARE(dropped.bytes, QByteArray("FA07"));
    QCOMPARE(dropped.meaning, u"INCOMPLETE, DROPPED"_s);

    QVERIFY(sim.plugIn());
    QVERIFY2(c.open(sim.devicePath()), qPrintable(c.port.errorString()));
    c.port.write("FA;");
    QTRY_COMPARE_WITH_TIMEOUT(c.received, QByteArray("FA14076000;"), kWaitMs);
}

void TestPtyRig::logAndStatusFiles()
{
    PtyRigOptions options;
    options.logFile = m_dir->filePath(u"frames.log"_s);
    options.statusFile = m_dir->filePath(u"status"_s);
    PtyRig sim(rig(Family::KenwoodText, Mode::Lsb), options);
    QSignalSpy frames(&sim, &PtyRig::frameReceived);
    QSignalSpy changes(&sim, &PtyRig::stateChanged);
    QVERIFY(sim.start());

    const auto readAll = [](const QString &path) {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("(unreadable)");
    };
    QCOMPARE(readAll(options.statusFile), QByteArray("freq=14076000 mode=LSB\n"));

    Controller c;
    QVERIFY(c.open(sim.devicePath()));
    c.port.write("MD2;FA00007026000;");
    QTRY_COMPARE_WITH_TIMEOUT(frames.count(), 2, kWaitMs);
    QCOMPARE(readAll(options.statusFile), QByteArray("freq=7026000 mode=USB\n"));
    QVERIFY(changes.count() >= 1);
    QCOMPARE(changes.constLast().at(0).toLongLong(), 7026000);

    c.port.write("FA;");
    QTRY_COMPARE_WITH_TIMEOUT(frames.count(), 3, kWaitMs);
    const QList<QByteArray> lines = readAll(options.logFile).split('\n');
    QCOMPARE(lines.size(), 4); // three lines and the empty rest after the last line end
    QVERIFY2(lines[0].endsWith("  4D 44 32 3B  \"MD2;\"  SET MODE USB"), lines[0].constData());
    QVERIFY2(lines[1].endsWith("  \"FA00007026000;\"  SET FREQ 7026000"), lines[1].constData());
    QVERIFY2(lines[2].endsWith("  46 41 3B  \"FA;\"  READ FREQ"), lines[2].constData());
    QVERIFY(lines[3].isEmpty());
    QCOMPARE(frames.at(2).at(0).value<FrameRecord>().bytes, QByteArray("FA;"));
}

void TestPtyRig::linkOverAFileIsRefused()
{
    PtyRigOptions options;
    options.linkPath = m_dir->filePath(u"taken"_s);
    {
        QFile f(options.linkPath);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("keep me");
    }
    PtyRig sim(rig(Family::YaesuText), options);
    QString error;
    QVERIFY(!sim.start(&error));
    QVERIFY(error.contains(options.linkPath));
    QVERIFY(!sim.isPlugged());
    QFile f(options.linkPath);
    QVERIFY(f.open(QIODevice::ReadOnly));
    QCOMPARE(f.readAll(), QByteArray("keep me"));
}

void TestPtyRig::onlyItsOwnLinkIsRemoved()
{
    PtyRigOptions options;
    options.linkPath = m_dir->filePath(u"rig"_s);
    const QString elsewhere = m_dir->filePath(u"elsewhere"_s);
    QVERIFY(QFile::link(elsewhere, options.linkPath));

    // Never started: a link that was there already stays as it was.
    {
        PtyRig idle(rig(Family::YaesuText), options);
    }
    QCOMPARE(QFileInfo(options.linkPath).symLinkTarget(), elsewhere);

    // Started: the old link is replaced, then removed with the rig's own.
    {
        PtyRig sim(rig(Family::YaesuText), options);
        QVERIFY(sim.start());
        QCOMPARE(QFileInfo(options.linkPath).symLinkTarget(), sim.slavePath());
    }
    QVERIFY(!QFileInfo(options.linkPath).isSymLink());
}

QTEST_GUILESS_MAIN(TestPtyRig)
#include "tst_ptyrig.moc"
