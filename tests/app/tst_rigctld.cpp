// SPDX-License-Identifier: GPL-3.0-or-later
// The station against a real rigctld with its dummy rig, started here on 127.0.0.1 and stopped
// by its process id, with rigctl as a second client: start-up does not wait for a daemon that
// is not there yet, the display follows the rig, a band pick and the offset set move it, and a
// daemon that stops and comes back is reconnected. Skipped without libhamlib-utils.

#include "app/Station.h"
#include "support/FakeTransport.h"

#include <QProcess>
#include <QStandardPaths>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>

using namespace veltrane;
using namespace Qt::StringLiterals;

namespace {

// The daemon on a port of 127.0.0.1 that was free a moment ago.
struct Rigctld
{
    Rigctld()
    {
        QTcpServer probe;
        probe.listen(QHostAddress::LocalHost, 0);
        port = probe.serverPort();
        process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    }
    ~Rigctld() { stop(); }
    bool start()
    {
        process.start(QStandardPaths::findExecutable(u"rigctld"_s),
                      {u"-m"_s, u"1"_s, u"-T"_s, u"127.0.0.1"_s, u"-t"_s, QString::number(port)});
        const auto listening = [this] {
            QTcpSocket probe;
            probe.connectToHost(QHostAddress::LocalHost, port);
            return probe.waitForConnected(200);
        };
        return process.waitForStarted(5000) && QTest::qWaitFor(listening, 5000);
    }
    // SIGTERM to the daemon's process id, then SIGKILL if it lingers.
    void stop()
    {
        process.terminate();
        if (!process.waitForFinished(3000))
            process.kill();
        process.waitForFinished(3000); // at once when it has ended (or never ran)
    }
    // One rigctl command through the daemon; its output without the line end.
    QString rigctl(const QStringList &command) const
    {
        QProcess client;
        client.start(QStandardPaths::findExecutable(u"rigctl"_s),
                     QStringList{u"-m"_s, u"2"_s, u"-r"_s, u"127.0.0.1:"_s + QString::number(port)} +
                         command);
        client.waitForFinished(5000);
        return QString::fromLatin1(client.readAllStandardOutput()).trimmed();
    }
    quint16 port = 0;
    QProcess process;
};

} // namespace

class tst_Rigctld : public QObject
{
    Q_OBJECT

private slots:
    void realDaemon()
    {
        if (QStandardPaths::findExecutable(u"rigctld"_s).isEmpty() ||
            QStandardPaths::findExecutable(u"rigctl"_s).isEmpty())
            QSKIP("rigctld and rigctl are not installed (Debian package libhamlib-utils)");
        Rigctld daemon;
        app::Station station(
            test::stationConfig("CAT=localhost:"_ba + QByteArray::number(daemon.port) + "\r\nRIG=4\r\n"));
        QString display;
        connect(&station, &app::Station::displayChanged, this, [&](const QString &text) { display = text; });

        // Nobody listens yet: start-up goes on, and the refused connects show nothing.
        QCOMPARE(station.openLink() + station.prepareCivFraming(), QString());
        station.startTimers();
        QTest::qWait(700);
        QCOMPARE(display, QString());

        QVERIFY(daemon.start());
        daemon.rigctl({u"F"_s, u"21076000"_s});
        QTRY_COMPARE_WITH_TIMEOUT(display, u"21076.000"_s, 15000);
        station.Combo1_Click(u"7MHz");
        QTRY_COMPARE_WITH_TIMEOUT(daemon.rigctl({u"f"_s}), u"7026000"_s, 15000);
        QVERIFY(daemon.rigctl({u"m"_s}).startsWith(u"USB"_s));
        QTRY_COMPARE_WITH_TIMEOUT(display, u"7026.000"_s, 10000);
        QCOMPARE(station.Command5_Click(u"-523"), app::Station::OffsetSet::Sent);
        QTRY_COMPARE_WITH_TIMEOUT(daemon.rigctl({u"f"_s}), u"7025477"_s, 15000);

        daemon.stop();
        QTRY_VERIFY_WITH_TIMEOUT(!station.link().isOpen(), 10000);
        QVERIFY(daemon.start());
        daemon.rigctl({u"F"_s, u"28076000"_s});
        QTRY_COMPARE_WITH_TIMEOUT(display, u"28076.000"_s, 15000);
    }
};

QTEST_GUILESS_MAIN(tst_Rigctld)
#include "tst_rigctld.moc"
