// The whole program over the network, with the program's own port (serial or TCP by name):
// against the rig simulator's TCP front for all five families (four as raw bytes, as a network
// serial server carries them, and the rigctld protocol), and against a real rigctld with its
// dummy rig, started here on 127.0.0.1 and stopped by its process id. The display follows the
// rig, band picks and the offset set move it, and a dropped or restarted server is got back.

#include "app/frmKorvane.h"
#include "cat/SwitchingPort.h"
#include "rigsim/TcpRig.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QStandardPaths>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QTest>

using namespace veltrane;
using namespace Qt::StringLiterals;

namespace {

template <typename T> T *control(app::frmKorvane &w, const char *name)
{
    T *c = w.findChild<T *>(QString::fromLatin1(name));
    if (!c)
        qFatal("no control %s", name);
    return c;
}

QString display(app::frmKorvane &w)
{
    return control<QLineEdit>(w, "txtRigFreq")->text();
}

void pickBand(app::frmKorvane &w, const QString &band)
{
    auto *combo = control<QComboBox>(w, "Combo1");
    combo->showPopup();
    combo->view()->setCurrentIndex(combo->model()->index(combo->findText(band), 0));
    QTest::keyClick(combo->view(), Qt::Key_Return);
}

// The decoder line with an offset of -523 Hz, imported and applied.
void applyOffset(app::frmKorvane &w)
{
    QGuiApplication::clipboard()->setText(u"0123456789ABCDEF     -523 CQ CALL1 PM95"_s);
    QTest::mouseClick(control<QPushButton>(w, "Command3"), Qt::LeftButton);
    QTest::mouseClick(control<QPushButton>(w, "Command5"), Qt::LeftButton);
}

// A port number on 127.0.0.1 that was free a moment ago.
quint16 freePort()
{
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    return probe.serverPort();
}

// The main window started from an Init.cfg in a scratch folder, without sound.
struct Program
{
    QTemporaryDir dir;
    config::StationState state;
    cat::SwitchingPort port;
    std::unique_ptr<app::frmKorvane> window;

    std::optional<QString> start(int family, const QString &cat)
    {
        QFile cfg(dir.filePath(u"Init.cfg"_s));
        if (!cfg.open(QIODevice::WriteOnly))
            qFatal("cannot write Init.cfg");
        cfg.write("MYCALL=TEST\r\nCAT=" + cat.toUtf8() + "\r\nRIG= " + QByteArray::number(family) +
                  " \r\nRS232C=9600,N,8,1\r\nICOM=74\r\nCONTROL=E0\r\n");
        cfg.close();
        QDir::setCurrent(dir.path());
        state.soundDevice = 99;
        window = std::make_unique<app::frmKorvane>(state, port, nullptr);
        if (auto failure = window->Form_Load())
            return failure;
        window->show();
        return std::nullopt;
    }
};

// A real rigctld with the dummy rig on 127.0.0.1, and rigctl as the second client.
class Rigctld
{
public:
    explicit Rigctld(quint16 port) : m_port(port) {}
    ~Rigctld() { stop(); }

    bool start()
    {
        m_process.setProgram(QStandardPaths::findExecutable(u"rigctld"_s));
        m_process.setArguments({u"-m"_s, u"1"_s, u"-T"_s, u"127.0.0.1"_s, u"-t"_s, QString::number(m_port)});
        m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        m_process.start();
        if (!m_process.waitForStarted(5000))
            return false;
        return QTest::qWaitFor(
            [this] {
                QTcpSocket probe;
                probe.connectToHost(QHostAddress::LocalHost, m_port);
                return probe.waitForConnected(200);
            },
            5000);
    }
    // SIGTERM to the daemon's process id, then SIGKILL to it if it lingers.
    void stop()
    {
        if (m_process.state() == QProcess::NotRunning)
            return;
        m_process.terminate();
        if (!m_process.waitForFinished(3000)) {
            m_process.kill();
            m_process.waitForFinished(3000);
        }
    }
    // One rigctl command through the daemon; its output without the line end.
    QString rigctl(const QStringList &command) const
    {
        QProcess client;
        client.start(QStandardPaths::findExecutable(u"rigctl"_s),
                     QStringList{u"-m"_s, u"2"_s, u"-r"_s, u"127.0.0.1:"_s + QString::number(m_port)} +
                         command);
        client.waitForFinished(5000);
        return QString::fromLatin1(client.readAllStandardOutput()).trimmed();
    }

private:
    quint16 m_port;
    QProcess m_process;
};

} // namespace

class tst_NetLoop : public QObject
{
    Q_OBJECT

private slots:
    void simulatorOverTcp_data();
    void simulatorOverTcp();
    void startUpWithNetworkAddresses_data();
    void startUpWithNetworkAddresses();
    void realRigctld();
};

void tst_NetLoop::simulatorOverTcp_data()
{
    QTest::addColumn<int>("family");
    QTest::addColumn<bool>("rigctldForm"); // CAT= as HOST:PORT instead of tcp://HOST:PORT
    QTest::addColumn<qint64>("afterOffset");
    QTest::newRow("Yaesu text") << 0 << false << qint64(21'075'477);
    QTest::newRow("Kenwood text") << 1 << false << qint64(21'075'477);
    QTest::newRow("ICOM CI-V with echo") << 2 << false << qint64(21'075'477);
    QTest::newRow("FT-897") << 3 << false << qint64(21'075'470); // counts in 10 Hz
    QTest::newRow("rigctld, tcp form") << 4 << false << qint64(21'075'477);
    QTest::newRow("rigctld, host:port") << 4 << true << qint64(21'075'477);
}

void tst_NetLoop::simulatorOverTcp()
{
    QFETCH(int, family);
    QFETCH(bool, rigctldForm);
    QFETCH(qint64, afterOffset);
    rigsim::EmulatorSettings settings;
    settings.family = rigsim::Family(family);
    settings.frequencyHz = 7'026'000;
    settings.mode = rigsim::Mode::Lsb;
    settings.civEcho = family == 2;
    rigsim::TcpRig rig(settings, {});
    QString error;
    QVERIFY2(rig.start(0, &error), qPrintable(error));
    QStringList received; // what the rig was told, besides the polls (ctest -V shows it)
    connect(&rig, &rigsim::TcpRig::frameReceived, this, [&received](const rigsim::FrameRecord &r) {
        if (!r.meaning.startsWith(u"READ"_s))
            received.append(r.logLine());
    });

    Program program;
    const QString cat = rigctldForm ? u"127.0.0.1:"_s + QString::number(rig.port()) : rig.url();
    const auto failure = program.start(family, cat);
    QVERIFY2(!failure, qPrintable(failure.value_or(QString())));
    auto &w = *program.window;
    QVERIFY(w.windowTitle().contains(
        u"/RIG="_s + QStringList{u"FT2000"_s, u"TS480"_s, u"ICOM"_s, u"FT897"_s, u"RIGCTLD"_s}[family]));
    QTRY_COMPARE_WITH_TIMEOUT(display(w), u"7026.000"_s, 15000);

    pickBand(w, u"21MHz"_s);
    QTRY_COMPARE_WITH_TIMEOUT(rig.emulator().frequencyHz(), qint64(21'076'000), 10000);
    QCOMPARE(rig.emulator().mode(), rigsim::Mode::Usb);
    QTRY_COMPARE_WITH_TIMEOUT(display(w), u"21076.000"_s, 10000);
    applyOffset(w);
    QTRY_COMPARE_WITH_TIMEOUT(rig.emulator().frequencyHz(), afterOffset, 10000);

    // The connection drops: the program reconnects by itself and goes on.
    rig.dropClients();
    QTRY_VERIFY_WITH_TIMEOUT(rig.clientCount() > 0, 10000);
    pickBand(w, u"14MHz"_s);
    QTRY_COMPARE_WITH_TIMEOUT(rig.emulator().frequencyHz(), qint64(14'076'000), 10000);
    QTRY_COMPARE_WITH_TIMEOUT(display(w), u"14076.000"_s, 10000);
    QVERIFY(!QApplication::activeModalWidget()); // no box on the way
    for (const QString &line : received)
        qInfo().noquote() << line;
}

void tst_NetLoop::startUpWithNetworkAddresses_data()
{
    QTest::addColumn<int>("family");
    QTest::addColumn<QString>("cat");
    QTest::addColumn<QString>("reasonPart"); // empty: start-up goes on
    QTest::newRow("rigctld, bad port") << 4 << u"localhost:99999"_s << u"65535"_s;
    // Nobody listens: start-up does not wait for the far end, and nothing is shown.
    QTest::newRow("rigctld not running") << 4 << u"127.0.0.1:"_s + QString::number(freePort()) << QString();
    QTest::newRow("serial server not running")
        << 1 << u"tcp://127.0.0.1:"_s + QString::number(freePort()) << QString();
}

void tst_NetLoop::startUpWithNetworkAddresses()
{
    QFETCH(int, family);
    QFETCH(QString, cat);
    QFETCH(QString, reasonPart);
    Program program;
    const auto failure = program.start(family, cat);
    if (!reasonPart.isEmpty()) {
        QVERIFY(failure);
        QVERIFY2(failure->contains(reasonPart) && failure->contains(cat), qPrintable(*failure));
        return;
    }
    QVERIFY2(!failure, qPrintable(failure.value_or(QString())));
    QTest::qWait(700); // a few ticks of refused reconnects
    QCOMPARE(display(*program.window), u"No Data"_s);
    QVERIFY(!QApplication::activeModalWidget());
    QVERIFY(program.port.isNetwork());
}

void tst_NetLoop::realRigctld()
{
    if (QStandardPaths::findExecutable(u"rigctld"_s).isEmpty() ||
        QStandardPaths::findExecutable(u"rigctl"_s).isEmpty())
        QSKIP("rigctld and rigctl are not installed (Debian package libhamlib-utils)");
    const quint16 port = freePort();
    Rigctld daemon(port);
    QVERIFY(daemon.start());

    Program program;
    const auto failure = program.start(4, u"localhost:"_s + QString::number(port));
    QVERIFY2(!failure, qPrintable(failure.value_or(QString())));
    auto &w = *program.window;

    // A second client sets the frequency: the display follows.
    daemon.rigctl({u"F"_s, u"21076000"_s});
    QTRY_COMPARE_WITH_TIMEOUT(display(w), u"21076.000"_s, 15000);
    QTRY_COMPARE_WITH_TIMEOUT(control<QComboBox>(w, "Combo1")->currentText(), u"21MHz"_s, 10000);
    qInfo().noquote() << "second client: rigctl F 21076000 -> display" << display(w) << "band list"
                      << control<QComboBox>(w, "Combo1")->currentText();

    // A band pick and the offset set move the daemon's rig.
    pickBand(w, u"7MHz"_s);
    QTRY_COMPARE_WITH_TIMEOUT(daemon.rigctl({u"f"_s}), u"7026000"_s, 15000);
    QVERIFY(daemon.rigctl({u"m"_s}).startsWith(u"USB"_s));
    QTRY_COMPARE_WITH_TIMEOUT(display(w), u"7026.000"_s, 10000);
    qInfo().noquote() << "band pick 7MHz -> daemon f" << daemon.rigctl({u"f"_s}) << "m"
                      << daemon.rigctl({u"m"_s}).split(u'\n').first() << "display" << display(w);
    applyOffset(w);
    QTRY_COMPARE_WITH_TIMEOUT(daemon.rigctl({u"f"_s}), u"7025477"_s, 15000);
    QTRY_COMPARE_WITH_TIMEOUT(display(w), u"7025.477"_s, 10000);
    qInfo().noquote() << "offset set -523 -> daemon f" << daemon.rigctl({u"f"_s}) << "display" << display(w);

    // The daemon stops and comes back: the program reconnects by itself.
    daemon.stop();
    QTRY_VERIFY_WITH_TIMEOUT(!program.port.isOpen(), 10000);
    QVERIFY(daemon.start());
    daemon.rigctl({u"F"_s, u"28076000"_s});
    QTRY_COMPARE_WITH_TIMEOUT(display(w), u"28076.000"_s, 15000);
    QVERIFY(!QApplication::activeModalWidget());
    qInfo().noquote() << "daemon stopped and restarted, rigctl F 28076000 -> display" << display(w)
                      << "(no message box)";
}

QTEST_MAIN(tst_NetLoop)
#include "tst_NetLoop.moc"
