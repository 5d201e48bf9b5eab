// The main window and the program's start flow over a scripted rig port, for what the
// end-to-end sessions do not reach: the title, captions, window position, the engine's calls
// at load and unload; a failed start leaves the settings dialog alone, showing the configured
// port, and Save writes it back unchanged; typing into the controls, the error box, the lookup.

#include "app/forms/Application.h"
#include "config/WindowPositionFile.h"
#include "support/FakeTransport.h"

#include <QAbstractItemView>
#include <QAccessible>
#include <QApplication>
#include <QComboBox>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

using namespace veltrane;
using namespace Qt::StringLiterals;

namespace {

// An engine that only records the calls made to it.
class EngineLog : public spectrum::SoundCardEngine
{
public:
    QStringList calls;
    int fnStartSoundCard(QObject *, int device, int) override { return log(u"start %1"_s.arg(device)); }
    int fnSetRXFrequency(int hz, int, int) override { return log(u"rx %1"_s.arg(hz)); }
    int fnSetRXPSKMode(int, int) override { return log(u"psk"_s); }
    int fnSetSquelchThreshold(int, int, int) override { return log(u"squelch"_s); }
    int fnSetAFCLimit(int, int) override { return log(u"afc"_s); }
    int fnSetFFTMode(int, int, int) override { return log(u"fft"_s); }
    int fnStopSoundCard() override { return log(u"stop"_s); }

private:
    int log(const QString &call)
    {
        calls << call;
        return 1;
    }
};

// Catches the addresses the lookup button hands to the desktop.
class UrlCatcher : public QObject
{
    Q_OBJECT
public:
    QList<QUrl> urls;
public slots:
    void open(const QUrl &url) { urls.append(url); }
};

QWidget *shown(const QString &objectName)
{
    for (QWidget *w : QApplication::topLevelWidgets()) {
        if (w->isVisible() && w->objectName() == objectName)
            return w;
    }
    return nullptr;
}

template <typename T> T *control(QWidget *w, const char *name)
{
    T *c = w ? w->findChild<T *>(QString::fromLatin1(name)) : nullptr;
    if (!c)
        qFatal("no control %s", name);
    return c;
}

QByteArray fileBytes(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// A scratch working folder with an Init.cfg (none when cfg is null) and a main window there.
struct Station
{
    explicit Station(const QByteArray &cfg, int soundDevice = 99)
    {
        QDir::setCurrent(dir.path());
        if (!cfg.isNull()) {
            QFile f(dir.filePath(u"Init.cfg"_s));
            if (!f.open(QIODevice::WriteOnly) || f.write(cfg) != cfg.size())
                qFatal("cannot write Init.cfg");
        }
        window = std::make_unique<app::frmKorvane>(soundDevice, rig.factory(), &engine);
        failure = window->Form_Load();
    }
    QTemporaryDir dir;
    test::FakeRig rig;
    EngineLog engine;
    std::unique_ptr<app::frmKorvane> window;
    std::optional<QString> failure;
};

QByteArray configFor(const char *rig, const char *cat = " 3 ")
{
    return "MYCALL=abc\r\nCAT="_ba + cat + "\r\nRIG=" + rig +
           "\r\nRS232C=9600,N,8,1\r\nICOM=74\r\nCONTROL=45\r\n";
}

} // namespace

class tst_MainWindow : public QObject
{
    Q_OBJECT

private slots:
    void init() { QApplication::setQuitOnLastWindowClosed(false); }
    void cleanup()
    {
        for (QWidget *w : QApplication::topLevelWidgets())
            w->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    void titleLine_data();
    void titleLine();
    void controlsAndCaptions();
    void windowPosition_data();
    void windowPosition();
    void engineCalls_data();
    void engineCalls();
    void controlsReachTheStation();
    void errorBoxNeverStacksAndCancelCloses();
    void cancelOpensNothing();
    void firstStartSaveThenRestart();
    void failedStartShowsTheConfiguredPort_data();
    void failedStartShowsTheConfiguredPort();
    void resetOpensOneSettingsDialog();
};

void tst_MainWindow::titleLine_data()
{
    QTest::addColumn<QByteArray>("config");
    QTest::addColumn<QString>("title");
    QTest::newRow("Yaesu on port 3") << configFor("0")
                                     << "Veltrane / ABC /CAT=3 /RIG=FT2000 /STATUS:OK /Ver 1.05";
    QTest::newRow("no CAT link") << configFor("0", "0")
                                 << "Veltrane / ABC /CAT=0 /RIG=FT2000 /STATUS:No Work /Ver 1.05";
    QTest::newRow("no RIG= line") << "MYCALL=abc\r\nCAT=3\r\n"_ba
                                  << "Veltrane / ABC /CAT=3 /RIG=FT2000 /STATUS:OK /Ver 1.05";
    QTest::newRow("rig code 7") << configFor("7") << "Veltrane / ABC /CAT=3 /RIG= /STATUS:OK /Ver 1.05";
    QTest::newRow("device name, no call") << "CAT=/dev/ttyUSB0\r\nRIG=2\r\nICOM=74\r\nCONTROL=E0\r\n"_ba
                                          << "Veltrane /  /CAT=/dev/ttyUSB0 /RIG=ICOM /STATUS:OK /Ver 1.05";
    QTest::newRow("rigctld") << configFor("4", "localhost")
                             << "Veltrane / ABC /CAT=localhost /RIG=RIGCTLD /STATUS:OK /Ver 1.05";
}

void tst_MainWindow::titleLine()
{
    QFETCH(QByteArray, config);
    QFETCH(QString, title);
    Station s(config);
    QVERIFY(!s.failure);
    QCOMPARE(s.window->windowTitle(), title);
}

void tst_MainWindow::controlsAndCaptions()
{
    Station s(configFor("0"));
    const std::pair<const char *, QString> captions[] = {{"Frame1", u"リグ周波数コントロール"_s},
                                                         {"Label2_0", u"周波数"_s},
                                                         {"Label2_1", u"His Call"_s},
                                                         {"txtRigFreq", u"No Data"_s},
                                                         {"Command3", u"コール取込"_s},
                                                         {"txtDeffF", u"0"_s},
                                                         {"Command5", u"周波数Set"_s},
                                                         {"Command1", u"基準"_s},
                                                         {"Combo1", u"14MHz"_s},
                                                         {"txtHis", QString()},
                                                         {"Command4", u"QRZ.com"_s},
                                                         {"Option1_0", u"JST"_s},
                                                         {"Option1_1", u"UTC"_s},
                                                         {"Option2_0", u"FFT"_s},
                                                         {"Option2_1", u"WF"_s},
                                                         {"Label1_0", u"-1000"_s},
                                                         {"Label1_2", u"0"_s},
                                                         {"Label1_4", u"+1000"_s}};
    for (const auto &[name, caption] : captions) {
        QWidget *w = control<QWidget>(s.window.get(), name);
        QString text;
        if (auto *b = qobject_cast<QAbstractButton *>(w))
            text = b->text();
        else if (auto *e = qobject_cast<QLineEdit *>(w))
            text = e->text();
        else if (auto *l = qobject_cast<QLabel *>(w))
            text = l->text();
        else if (auto *c = qobject_cast<QComboBox *>(w))
            text = c->currentText();
        else if (auto *g = qobject_cast<QGroupBox *>(w))
            text = g->title();
        QCOMPARE(text, caption);
        QCOMPARE(w->accessibleDescription(), QString::fromLatin1(name)); // the stable key for screen readers
        // What a screen reader speaks: the caption, the buddy label's text, or a label's own text.
        QCOMPARE(QAccessible::queryAccessibleInterface(w)->text(QAccessible::Name).isEmpty(),
                 caption.isEmpty() && !qobject_cast<QLineEdit *>(w));
    }
    QCOMPARE(control<QPushButton>(s.window.get(), "Command3")->toolTip(),
             u"JT65-HFの受信局のラインを右クリックしてからこのボタンを押してください。"_s);
}

void tst_MainWindow::windowPosition_data()
{
    QTest::addColumn<QByteArray>("file"); // null: none
    QTest::addColumn<double>("left");
    QTest::addColumn<double>("top");
    QTest::addColumn<bool>("box");
    const double l = app::frmKorvane::kDesignedLeftTwips;
    const double t = app::frmKorvane::kDesignedTopTwips;
    QTest::newRow("saved") << "==\r\ntop= 300\r\nLEFT=450abc\r\n"_ba << 450.0 << 300.0 << false;
    QTest::newRow("off every screen") << "TOP= 300\r\nLEFT= 9999999\r\n"_ba << l << t << false;
    QTest::newRow("no file") << QByteArray() << l << t << true;
}

void tst_MainWindow::windowPosition()
{
    QFETCH(QByteArray, file);
    QFETCH(double, left);
    QFETCH(double, top);
    QFETCH(bool, box);
    QTemporaryDir dir;
    const QString path = config::windowPositionPath(dir.path());
    if (!file.isNull()) {
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly) && f.write(file) == file.size());
    }
    QDir::setCurrent(dir.path());
    QFile cfg(dir.filePath(u"Init.cfg"_s));
    QVERIFY(cfg.open(QIODevice::WriteOnly) && cfg.write(configFor("0")) > 0);
    cfg.close();
    test::FakeRig rig;
    {
        app::frmKorvane w(99, rig.factory(), nullptr);
        QVERIFY(!w.Form_Load());
        QCOMPARE(w.pos(), QPoint(w.twipsToPixels(left), w.twipsToPixels(top)));
        auto *message = shown(u"WindowPositionMessage"_s);
        QCOMPARE(message != nullptr, box);
        if (box)
            QCOMPARE(message->windowTitle() + static_cast<QMessageBox *>(message)->text(),
                     u"最初のセット、ファイルなし\u3000Error=53"_s);
        w.move(w.twipsToPixels(600), w.twipsToPixels(750));
    } // closing saves where the window was, in twips
    QCOMPARE(fileBytes(path),
             "============== My Intial Data Setting ================\r\nTOP= 750\r\nLEFT= 600\r\n"_ba);
}

void tst_MainWindow::engineCalls_data()
{
    QTest::addColumn<QByteArray>("config");
    QTest::addColumn<int>("soundDevice");
    QTest::addColumn<QStringList>("calls"); // at load, then at unload
    QTest::addColumn<bool>("modes");        // the display-mode options are enabled
    const QStringList started{u"start -1"_s, u"rx 1270"_s, u"psk"_s, u"squelch"_s, u"afc"_s, u"fft"_s};
    QTest::newRow("default device") << configFor("0") << -1 << started + QStringList{u"stop"_s} << true;
    QTest::newRow("no sound") << configFor("0") << 99 << QStringList{} << false;
    // Start-up fails before the engine starts: the unload step still stops it.
    QTest::newRow("failed start") << QByteArray() << 0 << QStringList{u"stop"_s} << true;
}

void tst_MainWindow::engineCalls()
{
    QFETCH(QByteArray, config);
    QFETCH(int, soundDevice);
    QFETCH(QStringList, calls);
    QFETCH(bool, modes);
    Station s(config, soundDevice);
    QCOMPARE(s.failure.has_value(), config.isNull());
    QCOMPARE(s.window->hookInstalled(), !s.failure && soundDevice != 99);
    QCOMPARE(control<QRadioButton>(s.window.get(), "Option2_1")->isEnabled(), modes);
    s.window->Form_Unload();
    QCOMPARE(s.engine.calls, calls);
    QVERIFY(!s.window->hookInstalled());
}

// What the end-to-end sessions do not reach: typing in the controls, an offset that is not a
// number, a closed gate, the lookup.
void tst_MainWindow::controlsReachTheStation()
{
    Station s(configFor("0"));
    QWidget *w = s.window.get();
    w->show();
    auto *combo = control<QComboBox>(w, "Combo1");
    auto *command5 = control<QPushButton>(w, "Command5");
    auto *offset = control<QLineEdit>(w, "txtDeffF");
    auto &port = *s.rig.port;

    // Typing in the band list's field is no pick; the reference button sends what it shows.
    combo->lineEdit()->clear();
    QTest::keyClicks(combo->lineEdit(), u"7MHz"_s);
    QTest::keyClick(combo->lineEdit(), Qt::Key_Return);
    QVERIFY(port.writes.isEmpty());
    QTest::mouseClick(control<QPushButton>(w, "Command1"), Qt::LeftButton);
    QCOMPARE(port.writes, QList<QByteArray>{"FA07026000;"_ba});
    port.writes.clear();

    // A frequency typed into the display is the dial; the band list follows it.
    QTest::keyClicks(control<QLineEdit>(w, "txtRigFreq"), u"14076.000"_s); // after "No Data": not a number
    QCOMPARE(combo->currentText(), u"7MHz"_s);
    control<QLineEdit>(w, "txtRigFreq")->clear();
    QTest::keyClicks(control<QLineEdit>(w, "txtRigFreq"), u"14076.000"_s);
    QCOMPARE(combo->currentText(), u"14MHz"_s);
    // An offset that is not a number: nothing sent, the controls kept for the operator.
    offset->setText(u"52x"_s);
    QTest::mouseClick(command5, Qt::LeftButton);
    QVERIFY(command5->isEnabled() && offset->text() == u"52x"_s && port.writes.isEmpty());
    offset->setText(u"-523"_s);
    QTest::mouseClick(command5, Qt::LeftButton);
    QCOMPARE(port.writes, QList<QByteArray>{"FA14075477;"_ba});
    QVERIFY(!command5->isEnabled() && offset->text().isEmpty());
    // A closed port is a closed gate: the offset is used up all the same.
    port.close();
    offset->setText(u"100"_s);
    command5->setEnabled(true);
    QTest::mouseClick(command5, Qt::LeftButton);
    QVERIFY(!command5->isEnabled() && offset->text().isEmpty());

    UrlCatcher catcher;
    QDesktopServices::setUrlHandler(u"https"_s, &catcher, "open");
    control<QLineEdit>(w, "txtHis")->setText(u"JA1 ABC"_s);
    QTest::mouseClick(control<QPushButton>(w, "Command4"), Qt::LeftButton);
    QDesktopServices::unsetUrlHandler(u"https"_s);
    QCOMPARE(catcher.urls, QList<QUrl>{QUrl(u"https://www.qrz.com/db/JA1%20ABC"_s)});
}

void tst_MainWindow::errorBoxNeverStacksAndCancelCloses()
{
    Station s(configFor("0"));
    s.window->show();
    s.rig.port->raise(1008);
    s.rig.port->raise(1006);
    QList<QMessageBox *> boxes;
    for (QWidget *top : QApplication::topLevelWidgets()) {
        if (auto *box = qobject_cast<QMessageBox *>(top);
            box && box->isVisible() && box->objectName() == u"CommErrorMessage"_s)
            boxes.append(box);
    }
    QCOMPARE(boxes.size(), 1);
    QCOMPARE(boxes[0]->text(), u"ﾊﾞｯﾌｧｵｰﾊﾞﾌﾛｰｴﾗｰが発生しました"_s);
    QCOMPARE(boxes[0]->windowTitle(),
             u"中断する場合は [ｷｬﾝｾﾙ] を、無視する場合は [OK] をｸﾘｯｸしてください。"_s);
    boxes[0]->button(QMessageBox::Cancel)->click();
    QVERIFY(!s.rig.port->isOpen()); // Cancel closes the port ...
    s.window->station()->Timer1_Timer();
    QVERIFY(s.rig.port->isOpen()); // ... until the next tick opens it again
    QCOMPARE(s.rig.port->writes.last(), "FA;"_ba);
}

void tst_MainWindow::cancelOpensNothing()
{
    QTemporaryDir dir;
    QDir::setCurrent(dir.path());
    test::FakeRig rig;
    app::Application application(rig.factory(), nullptr);
    application.start({});
    QTest::mouseClick(control<QPushButton>(shown(u"frmSoundBoard"_s), "Command1_1"), Qt::LeftButton);
    QTRY_VERIFY(!shown(u"frmSoundBoard"_s));
    QVERIFY(!application.mainWindow() && !application.settingsDialog());
}

void tst_MainWindow::firstStartSaveThenRestart()
{
    QTemporaryDir dir;
    QDir::setCurrent(dir.path());
    test::FakeRig rig;
    {
        app::Application application(rig.factory(), nullptr);
        application.openMainWindow(99);
        // No Init.cfg: the settings dialog alone, saying why; the main window is gone.
        QTRY_VERIFY(!shown(u"frmKorvane"_s));
        QWidget *settings = shown(u"frmInit"_s);
        QVERIFY(settings);
        QCOMPARE(control<QLabel>(settings, "lblReason")->text(),
                 u"Init.cfg is missing or cannot be read in %1."_s.arg(dir.path()));
        QVERIFY(QFile::exists(dir.filePath(u"MyVeltraneData.dat"_s))); // the unload step ran
        control<QLineEdit>(settings, "Text1")->setText(u"JA1ABC"_s);
        QTest::mouseClick(control<QPushButton>(settings, "Command1"), Qt::LeftButton);
        QMessageBox *box = nullptr;
        QTRY_VERIFY((box = qobject_cast<QMessageBox *>(shown(u"msgSaved"_s))));
        box->button(QMessageBox::Ok)->click();
        QTRY_VERIFY(!shown(u"frmInit"_s)); // the program would end here
    }
    QCOMPARE(test::stationConfig(fileBytes(dir.filePath(u"Init.cfg"_s))).catPort,
             std::optional<QString>(u"1"_s));
    app::Application again(rig.factory(), nullptr);
    again.openMainWindow(99);
    QVERIFY(shown(u"frmKorvane"_s) && !shown(u"frmInit"_s));
}

void tst_MainWindow::failedStartShowsTheConfiguredPort_data()
{
    QTest::addColumn<QByteArray>("config");
    QTest::addColumn<QString>("option"); // the port option checked; empty: none
    QTest::addColumn<QString>("device"); // the device field
    QTest::addColumn<QString>("reason");
    QTest::newRow("number, no such port") << configFor("0", " 3 ") << u"ComPort_3"_s << QString()
                                          << u"The serial port /dev/ttyS2 does not exist."_s;
    QTest::newRow("by-id path unplugged")
        << configFor("1", "/dev/serial/by-id/usb-FTDI-if00") << QString()
        << u"/dev/serial/by-id/usb-FTDI-if00"_s
        << u"The serial port /dev/serial/by-id/usb-FTDI-if00 does not exist."_s;
    QTest::newRow("network address") << configFor("4", "shack-pi:4533") << QString() << u"shack-pi:4533"_s
                                     << u"The network port tcp://shack-pi:4533 could not be opened"_s;
    QTest::newRow("RIG= not a number")
        << configFor("FT897", " 5 ") << u"ComPort_5"_s << QString() << u"RIG= is not a number: FT897"_s;
}

void tst_MainWindow::failedStartShowsTheConfiguredPort()
{
    QFETCH(QByteArray, config);
    QFETCH(QString, option);
    QFETCH(QString, device);
    QFETCH(QString, reason);
    QTemporaryDir dir;
    QFile cfg(dir.filePath(u"Init.cfg"_s));
    QVERIFY(cfg.open(QIODevice::WriteOnly) && cfg.write(config) > 0);
    cfg.close();
    QDir::setCurrent(dir.path());
    test::FakeRig rig;
    rig.failOpen = cat::OpenFailure::NotFound;
    app::Application application(rig.factory(), nullptr);
    application.openMainWindow(99);
    QWidget *settings = shown(u"frmInit"_s);
    QVERIFY(settings);
    QVERIFY2(control<QLabel>(settings, "lblReason")->text().startsWith(reason),
             qPrintable(control<QLabel>(settings, "lblReason")->text()));
    QString checked;
    for (auto *b : settings->findChildren<QRadioButton *>(QRegularExpression(u"^ComPort_"_s)))
        checked += b->isChecked() ? b->objectName() : QString();
    QCOMPARE(checked, option);
    QCOMPARE(control<QComboBox>(settings, "PortDevice")->currentText(), device);
    // Saved as shown, CAT= is what it was.
    if (reason.startsWith(u"RIG="))
        control<QRadioButton>(settings, "Option1_3")->click();
    const config::StationConfig before = test::stationConfig(config);
    QTest::mouseClick(control<QPushButton>(settings, "Command1"), Qt::LeftButton);
    QTRY_VERIFY(shown(u"msgSaved"_s));
    QCOMPARE(test::stationConfig(fileBytes(dir.filePath(u"Init.cfg"_s))).catPort, before.catPort);
}

void tst_MainWindow::resetOpensOneSettingsDialog()
{
    QTemporaryDir dir;
    QFile cfg(dir.filePath(u"Init.cfg"_s));
    QVERIFY(cfg.open(QIODevice::WriteOnly));
    cfg.write("MYCALL=JA1ABC\r\nCAT= 2 \r\nRIG= 2 \r\nRS232C=38400,N,8,1\r\nICOM=94\r\nCONTROL=E0\r\n");
    cfg.close();
    QDir::setCurrent(dir.path());
    test::FakeRig rig;
    app::Application application(rig.factory(), nullptr);
    application.openMainWindow(99);
    auto *reset = application.mainWindow()->findChild<QAction *>(u"ReSet"_s);
    QCOMPARE(reset->text(), u"再設定"_s);
    reset->trigger();
    reset->trigger();
    int dialogs = 0;
    for (QWidget *w : QApplication::topLevelWidgets())
        dialogs += w->isVisible() && w->objectName() == u"frmInit"_s ? 1 : 0;
    QCOMPARE(dialogs, 1);
    // The dialog shows what the running link uses: port, line speed and addresses.
    QWidget *settings = shown(u"frmInit"_s);
    QVERIFY(control<QRadioButton>(settings, "ComPort_2")->isChecked());
    QVERIFY(control<QRadioButton>(settings, "Baud384")->isChecked());
    QCOMPARE(control<QLineEdit>(settings, "Text2")->text() + control<QLineEdit>(settings, "Text3")->text(),
             u"94E0"_s);
    QVERIFY(shown(u"frmKorvane"_s));
}

QTEST_MAIN(tst_MainWindow)
#include "tst_mainwindow.moc"
