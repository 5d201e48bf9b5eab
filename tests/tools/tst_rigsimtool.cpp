// The veltrane-rigsim program as others start it: its own process, the device on its first
// output line, CAT frames over a QSerialPort, files it keeps, and a clean stop on a signal
// sent to its process id. Every wait is bounded.

#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QSerialPort>
#include <QTemporaryDir>
#include <QTest>

#include "tools/DeviceNode.h"

#include <csignal>

using namespace Qt::StringLiterals;
using veltrane::testing::DeviceNode;

namespace {

constexpr int kWaitMs = 5000;
const QString kProgram = QStringLiteral(VELTRANE_RIGSIM_EXECUTABLE);

QByteArray hex(const char *text)
{
    return QByteArray::fromHex(text);
}

// Starts the simulator and reads the device path from its first line; stops it by its process
// id when the test is done with it, however the test ends.
class RunningSim
{
public:
    explicit RunningSim(const QStringList &arguments)
    {
        m_process.setProgram(kProgram);
        m_process.setArguments(arguments);
        m_process.start();
    }
    ~RunningSim()
    {
        if (m_process.state() != QProcess::NotRunning) {
            ::kill(pid_t(m_process.processId()), SIGKILL);
            m_process.waitForFinished(kWaitMs);
        }
    }

    // The first line of output, without its line end; empty if none came in time.
    QString firstLine()
    {
        if (!m_process.waitForStarted(kWaitMs))
            return {};
        QElapsedTimer waited;
        waited.start();
        while (!m_process.canReadLine() && waited.elapsed() < kWaitMs)
            m_process.waitForReadyRead(kWaitMs - int(waited.elapsed()));
        return QString::fromLocal8Bit(m_process.readLine()).trimmed();
    }

    // Sends the signal to the process id and waits for the end; the exit code, or -1.
    int stop(int signal)
    {
        ::kill(pid_t(m_process.processId()), signal);
        if (!m_process.waitForFinished(kWaitMs) || m_process.exitStatus() != QProcess::NormalExit)
            return -1;
        return m_process.exitCode();
    }

    QProcess &process() { return m_process; }

private:
    QProcess m_process;
};

struct Port
{
    QSerialPort port;
    QByteArray received;

    bool open(const QString &path)
    {
        port.setPortName(path);
        port.setBaudRate(QSerialPort::Baud9600);
        port.setDataBits(QSerialPort::Data8);
        port.setParity(QSerialPort::NoParity);
        port.setStopBits(QSerialPort::OneStop);
        if (!port.open(QIODevice::ReadWrite))
            return false;
        QObject::connect(&port, &QSerialPort::readyRead, &port, [this] { received += port.readAll(); });
        return true;
    }
};

QByteArray fileText(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

} // namespace

class TestRigSimTool : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void talksOnTheDeviceItNames_data();
    void talksOnTheDeviceItNames();
    void stopsCleanlyOnSignal_data();
    void stopsCleanlyOnSignal();
    void keepsLogAndStatusFiles();
    void unplugsAndComesBack();
    void reportsALinkItCannotMake();
    void refusesBadArguments_data();
    void refusesBadArguments();
    void helpNamesEveryOption_data();
    void helpNamesEveryOption();

private:
    std::unique_ptr<QTemporaryDir> m_dir;
};

void TestRigSimTool::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
}

void TestRigSimTool::talksOnTheDeviceItNames_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<bool>("link");
    QTest::addColumn<QByteArray>("request");
    QTest::addColumn<QByteArray>("answer");

    QTest::newRow("defaults") << QStringList{} << false << QByteArray("FA;") << QByteArray("FA14076000;");
    QTest::newRow("kenwood start frequency") << QStringList{u"--family"_s, u"1"_s, u"--freq"_s, u"50330000"_s}
                                             << true << QByteArray("FA;") << QByteArray("FA00050330000;");
    QTest::newRow("civ addresses and echo")
        << QStringList{u"--family"_s,         u"2"_s,  u"--civ-rig"_s, u"76"_s,
                       u"--civ-controller"_s, u"45"_s, u"--echo"_s}
        << true << hex("FE FE 76 45 03 FD") << hex("FE FE 76 45 03 FD FE FE 45 76 03 00 60 07 14 00 FD");
    QTest::newRow("civ acknowledges") << QStringList{u"--family"_s, u"2"_s, u"--civ-ack"_s} << false
                                      << hex("FE FE 74 E0 06 01 FD") << hex("FE FE E0 74 FB FD");
    QTest::newRow("ft897 in LSB") << QStringList{u"--family"_s, u"3"_s,      u"--mode"_s,
                                                 u"lsb"_s,      u"--freq"_s, u"7026000"_s}
                                  << true << hex("00 00 00 00 03") << hex("00 70 26 00 00");
}

void TestRigSimTool::talksOnTheDeviceItNames()
{
    QFETCH(QStringList, arguments);
    QFETCH(bool, link);
    QFETCH(QByteArray, request);
    QFETCH(QByteArray, answer);

    const QString linkPath = m_dir->filePath(u"rig"_s);
    if (link)
        arguments << u"--link"_s << linkPath;
    RunningSim sim(arguments);
    const QString device = sim.firstLine();
    if (link)
        QCOMPARE(device, linkPath);
    else
        QVERIFY2(device.startsWith(u"/dev/pts/"), qPrintable(device));

    Port p;
    QVERIFY2(p.open(device), qPrintable(p.port.errorString()));
    p.port.write(request);
    QTRY_VERIFY_WITH_TIMEOUT(p.received.size() >= answer.size(), kWaitMs);
    QCOMPARE(p.received.toHex(' '), answer.toHex(' '));
    p.port.close();
    QCOMPARE(sim.stop(SIGTERM), 0);
}

void TestRigSimTool::stopsCleanlyOnSignal_data()
{
    QTest::addColumn<int>("signal");
    QTest::newRow("SIGTERM") << int(SIGTERM);
    QTest::newRow("SIGINT") << int(SIGINT);
}

void TestRigSimTool::stopsCleanlyOnSignal()
{
    QFETCH(int, signal);
    const QString linkPath = m_dir->filePath(u"rig"_s);
    RunningSim sim({u"--link"_s, linkPath});
    QCOMPARE(sim.firstLine(), linkPath);
    const DeviceNode slave = DeviceNode::of(QFileInfo(linkPath).symLinkTarget());
    QVERIFY(slave.exists());
    QCOMPARE(sim.stop(signal), 0);
    QVERIFY(!QFileInfo(linkPath).isSymLink());
    QVERIFY(slave.gone());
}

void TestRigSimTool::keepsLogAndStatusFiles()
{
    const QString log = m_dir->filePath(u"frames.log"_s);
    const QString status = m_dir->filePath(u"status.txt"_s);
    RunningSim sim({u"--family"_s, u"2"_s, u"--mode"_s, u"LSB"_s, u"--log"_s, log, u"--status"_s, status});
    const QString device = sim.firstLine();
    QVERIFY(!device.isEmpty());
    QCOMPARE(fileText(status), QByteArray("freq=14076000 mode=LSB\n"));

    Port p;
    QVERIFY(p.open(device));
    p.port.write(hex("FE FE 74 E0 06 01 FD FE FE 74 E0 05 00 60 02 07 00 FD FE FE 74 E0 03 FD"));
    QTRY_COMPARE_WITH_TIMEOUT(p.received.toHex(' '), QByteArray("fe fe e0 74 03 00 60 02 07 00 fd"), kWaitMs);
    QTRY_COMPARE_WITH_TIMEOUT(fileText(status), QByteArray("freq=7026000 mode=USB\n"), kWaitMs);
    // Flushed at once: the lines are there while the program still runs.
    const QList<QByteArray> lines = fileText(log).split('\n');
    QCOMPARE(lines.size(), 4);
    QVERIFY2(lines[0].endsWith("  FE FE 74 E0 06 01 FD  SET MODE USB"), lines[0].constData());
    QVERIFY2(lines[1].endsWith("  FE FE 74 E0 05 00 60 02 07 00 FD  SET FREQ 7026000"), lines[1].constData());
    QVERIFY2(lines[2].endsWith("  FE FE 74 E0 03 FD  READ FREQ"), lines[2].constData());
    p.port.close();
    QCOMPARE(sim.stop(SIGTERM), 0);
}

void TestRigSimTool::unplugsAndComesBack()
{
    const QString linkPath = m_dir->filePath(u"rig"_s);
    RunningSim sim({u"--link"_s, linkPath, u"--unplug-every"_s, u"1"_s, u"--unplug-for"_s, u"0.4"_s});
    QCOMPARE(sim.firstLine(), linkPath);
    const DeviceNode first = DeviceNode::of(QFileInfo(linkPath).symLinkTarget());
    QVERIFY(first.exists());
    QTRY_VERIFY_WITH_TIMEOUT(!QFileInfo(linkPath).isSymLink(), kWaitMs);
    QVERIFY(first.gone());
    QTRY_VERIFY_WITH_TIMEOUT(QFileInfo(linkPath).isSymLink(), kWaitMs);

    Port p;
    QVERIFY2(p.open(linkPath), qPrintable(p.port.errorString()));
    p.port.write("FA;");
    QTRY_COMPARE_WITH_TIMEOUT(p.received, QByteArray("FA14076000;"), kWaitMs);
    p.port.close();
    QCOMPARE(sim.stop(SIGTERM), 0);
}

void TestRigSimTool::reportsALinkItCannotMake()
{
    const QString linkPath = m_dir->filePath(u"no-such-folder/rig"_s);
    QProcess process;
    process.start(kProgram, {u"--link"_s, linkPath});
    QVERIFY(process.waitForFinished(kWaitMs));
    QCOMPARE(process.exitStatus(), QProcess::NormalExit);
    QCOMPARE(process.exitCode(), 1);
    QVERIFY(process.readAllStandardOutput().isEmpty());
    const QString err = QString::fromLocal8Bit(process.readAllStandardError());
    QVERIFY2(err.contains(linkPath), qPrintable(err));
}

void TestRigSimTool::refusesBadArguments_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("complaint");

    QTest::newRow("family 4") << QStringList{u"--family"_s, u"4"_s} << u"--family"_s;
    QTest::newRow("frequency text") << QStringList{u"--freq"_s, u"14.076"_s} << u"--freq"_s;
    QTest::newRow("frequency beyond 8 digits") << QStringList{u"--freq"_s, u"100000000"_s} << u"--freq"_s;
    QTest::newRow("mode unknown") << QStringList{u"--mode"_s, u"SSB"_s} << u"--mode"_s;
    QTest::newRow("mode missing in family")
        << QStringList{u"--family"_s, u"3"_s, u"--mode"_s, u"RTTY"_s} << u"--mode"_s;
    QTest::newRow("civ address FE") << QStringList{u"--civ-rig"_s, u"FE"_s} << u"--civ-rig"_s;
    QTest::newRow("civ address not hex")
        << QStringList{u"--civ-controller"_s, u"G0"_s} << u"--civ-controller"_s;
    QTest::newRow("civ addresses equal") << QStringList{u"--civ-rig"_s, u"E0"_s} << u"--civ-controller"_s;
    QTest::newRow("garbage above 1") << QStringList{u"--garbage"_s, u"1.5"_s} << u"--garbage"_s;
    QTest::newRow("drop negative") << QStringList{u"--drop"_s, u"-0.1"_s} << u"--drop"_s;
    QTest::newRow("fragment negative") << QStringList{u"--fragment"_s, u"-1"_s} << u"--fragment"_s;
    QTest::newRow("unplug away too long")
        << QStringList{u"--unplug-every"_s, u"2"_s, u"--unplug-for"_s, u"2"_s} << u"--unplug-for"_s;
    QTest::newRow("seed text") << QStringList{u"--seed"_s, u"abc"_s} << u"--seed"_s;
    QTest::newRow("unknown option") << QStringList{u"--baud"_s, u"9600"_s} << u"baud"_s;
    QTest::newRow("stray argument") << QStringList{u"extra"_s} << u"extra"_s;
}

void TestRigSimTool::refusesBadArguments()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, complaint);
    QProcess process;
    process.start(kProgram, arguments);
    QVERIFY(process.waitForFinished(kWaitMs));
    QCOMPARE(process.exitStatus(), QProcess::NormalExit);
    QCOMPARE(process.exitCode(), 2);
    QVERIFY(process.readAllStandardOutput().isEmpty());
    const QString err = QString::fromLocal8Bit(process.readAllStandardError());
    QVERIFY2(err.contains(complaint), qPrintable(err));
}

void TestRigSimTool::helpNamesEveryOption_data()
{
    QTest::addColumn<QString>("option");
    for (const char *o : {"--family", "--freq", "--mode", "--civ-rig", "--civ-controller", "--echo",
                          "--civ-ack", "--link", "--log", "--status", "--fragment", "--fragment-delay-ms",
                          "--garbage", "--drop", "--unplug-every", "--unplug-for", "--seed", "--resync-ms"})
        QTest::newRow(o) << QString::fromLatin1(o);
}

void TestRigSimTool::helpNamesEveryOption()
{
    QFETCH(QString, option);
    QProcess process;
    process.start(kProgram, {u"--help"_s});
    QVERIFY(process.waitForFinished(kWaitMs));
    QCOMPARE(process.exitCode(), 0);
    const QString help = QString::fromLocal8Bit(process.readAllStandardOutput());
    QVERIFY2(help.contains(option + u' '), qPrintable(help));
}

QTEST_GUILESS_MAIN(TestRigSimTool)
#include "tst_rigsimtool.moc"
