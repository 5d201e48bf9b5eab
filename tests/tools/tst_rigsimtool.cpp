// The veltrane-rigsim program as others start it: its own process, the device on its first
// output line, CAT frames over a QSerialPort, and a clean stop on a signal sent to its process
// id; bad arguments and a link it cannot make end it at once.
// Every wait is bounded.

#include <QDeadlineTimer>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include "tools/DeviceNode.h"
#include "tools/SerialController.h"

#include <csignal>

using namespace Qt::StringLiterals;
using veltrane::testing::DeviceNode;
using veltrane::testing::SerialController;

namespace {

constexpr int kWaitMs = 5000;

// The simulator in its own process; killed by its process id however the test ends.
struct RunningSim
{
    QProcess process;

    explicit RunningSim(const QStringList &arguments)
    {
        process.start(QStringLiteral(VELTRANE_RIGSIM_EXECUTABLE), arguments);
    }
    ~RunningSim()
    {
        if (process.state() != QProcess::NotRunning) {
            ::kill(pid_t(process.processId()), SIGKILL);
            process.waitForFinished(kWaitMs);
        }
    }
    // The first line of output, without its line end; empty if none came in time.
    QString firstLine()
    {
        const QDeadlineTimer deadline(kWaitMs);
        while (!process.canReadLine() && process.waitForReadyRead(int(deadline.remainingTime()))) {
        }
        return QString::fromLocal8Bit(process.readLine()).trimmed();
    }
    // Sends the signal to the process id; the exit code, or -1 if it did not end normally in time.
    int stop(int signal)
    {
        ::kill(pid_t(process.processId()), signal);
        const bool ended = process.waitForFinished(kWaitMs) && process.exitStatus() == QProcess::NormalExit;
        return ended ? process.exitCode() : -1;
    }
};

} // namespace

class TestRigSimTool : public QObject
{
    Q_OBJECT

private slots:
    void talksOnTheDeviceItNames_data();
    void talksOnTheDeviceItNames();
    void endsAtOnce_data();
    void endsAtOnce();

private:
    QTemporaryDir m_dir;
};

void TestRigSimTool::talksOnTheDeviceItNames_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<bool>("link");
    QTest::addColumn<int>("signal");
    QTest::addColumn<QByteArray>("request");
    QTest::addColumn<QByteArray>("answer");

    QTest::newRow("defaults, SIGTERM")
        << QStringList{} << false << int(SIGTERM) << QByteArray("FA;") << QByteArray("FA14076000;");
    QTest::newRow("civ addresses and echo, SIGINT")
        << QStringList{u"--family"_s,         u"2"_s,  u"--civ-rig"_s, u"76"_s,
                       u"--civ-controller"_s, u"45"_s, u"--echo"_s}
        << true << int(SIGINT) << QByteArray::fromHex("FE FE 76 45 03 FD")
        << QByteArray::fromHex("FE FE 76 45 03 FD FE FE 45 76 03 00 60 07 14 00 FD");
    QTest::newRow("ft897 in LSB, SIGTERM")
        << QStringList{u"--family"_s, u"3"_s, u"--mode"_s, u"lsb"_s, u"--freq"_s, u"7026000"_s} << true
        << int(SIGTERM) << QByteArray::fromHex("00 00 00 00 03") << QByteArray::fromHex("00 70 26 00 00");
}

void TestRigSimTool::talksOnTheDeviceItNames()
{
    QFETCH(QStringList, arguments);
    QFETCH(bool, link);
    QFETCH(int, signal);
    QFETCH(QByteArray, request);
    QFETCH(QByteArray, answer);

    const QString linkPath = m_dir.filePath(QString::fromLatin1(QTest::currentDataTag()));
    RunningSim sim(link ? arguments + QStringList{u"--link"_s, linkPath} : arguments);
    const QString device = sim.firstLine();
    QVERIFY2(link ? device == linkPath : device.startsWith(u"/dev/pts/"), qPrintable(device));
    const DeviceNode slave = DeviceNode::of(QFileInfo(device).canonicalFilePath());
    QVERIFY(slave.exists());

    SerialController c;
    QVERIFY2(c.open(device), qPrintable(c.port.errorString()));
    c.port.write(request);
    QTRY_VERIFY_WITH_TIMEOUT(c.received.size() >= answer.size(), kWaitMs);
    QCOMPARE(c.received.toHex(' '), answer.toHex(' '));
    c.port.close();
    QCOMPARE(sim.stop(signal), 0);
    QVERIFY(!QFileInfo(linkPath).isSymLink());
    QVERIFY(slave.gone());
}

void TestRigSimTool::endsAtOnce_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("says"); // on standard output for 0, else on standard error only

    QTest::newRow("help") << QStringList{u"--help"_s} << 0 << u"--unplug-every"_s;
    QTest::newRow("refused value") << QStringList{u"--family"_s, u"5"_s} << 2 << u"--family"_s;
    QTest::newRow("link it cannot make")
        << QStringList{u"--link"_s, u"/nonexistent/veltrane/rig"_s} << 1 << u"/nonexistent/veltrane/rig"_s;
}

void TestRigSimTool::endsAtOnce()
{
    QFETCH(QStringList, arguments);
    QFETCH(int, exitCode);
    QFETCH(QString, says);
    RunningSim sim(arguments);
    QVERIFY(sim.process.waitForFinished(kWaitMs));
    QCOMPARE(sim.process.exitStatus(), QProcess::NormalExit);
    QCOMPARE(sim.process.exitCode(), exitCode);
    const QString out = QString::fromLocal8Bit(sim.process.readAllStandardOutput());
    const QString err = QString::fromLocal8Bit(sim.process.readAllStandardError());
    QVERIFY2((exitCode == 0 ? out : err).contains(says), qPrintable(out + err));
    QVERIFY2(exitCode == 0 || out.isEmpty(), qPrintable(out));
}

QTEST_GUILESS_MAIN(TestRigSimTool)
#include "tst_rigsimtool.moc"
