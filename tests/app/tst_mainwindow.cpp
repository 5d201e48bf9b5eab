// The main window over a scripted serial port: start-up from Init.cfg (title, controls,
// failure path, window position), band selection and the reference button through the real
// controls, call import and frequency set, the lookup address, the error box and the clock.

#include "app/frmKorvane.h"
#include "cat/FrequencyDisplay.h"
#include "config/WindowPositionFile.h"
#include "support/FakeSerialPort.h"

#include <QAbstractItemView>
#include <QAccessible>
#include <QApplication>
#include <QClipboard>
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
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

using namespace veltrane;

namespace {

QByteArray hex(const char *text)
{
    return QByteArray::fromHex(text);
}

// Catches the addresses the lookup button hands to the desktop.
class UrlCatcher : public QObject
{
    Q_OBJECT
public:
    QList<QUrl> urls;
public slots:
    void open(const QUrl &url) { urls.append(url); }
};

}  // namespace

class tst_MainWindow : public QObject
{
    Q_OBJECT

private:
    // A fresh working folder holding Init.cfg (none when content is null) and a loaded window.
    struct Station
    {
        QTemporaryDir dir;
        config::StationState state;
        test::FakeSerialPort port;
        std::unique_ptr<app::frmKorvane> window;
        std::optional<QString> failure;
    };
    std::unique_ptr<Station> load(const QByteArray &config, int soundDevice = 99)
    {
        auto s = std::make_unique<Station>();
        if (!config.isNull()) {
            QFile f(s->dir.filePath(QStringLiteral("Init.cfg")));
            if (!f.open(QIODevice::WriteOnly))
                qFatal("cannot write Init.cfg");
            f.write(config);
        }
        QDir::setCurrent(s->dir.path());
        s->state.soundDevice = soundDevice;
        s->window = std::make_unique<app::frmKorvane>(s->state, s->port, nullptr);
        s->failure = s->window->Form_Load();
        return s;
    }
    static QByteArray configFor(const char *rig, const char *cat = " 3 ")
    {
        return QByteArray("MYCALL=abc\r\nCAT=") + cat + "\r\nRIG=" + rig
               + "\r\nRS232C=9600,N,8,1\r\nICOM=74\r\nCONTROL=45\r\n";
    }
    static void closeStrayBoxes()
    {
        for (QWidget *w : QApplication::topLevelWidgets()) {
            if (qobject_cast<QMessageBox *>(w))
                w->close();
        }
    }
    template <typename T>
    static T *control(app::frmKorvane &w, const char *name)
    {
        T *c = w.findChild<T *>(QString::fromLatin1(name));
        if (!c)
            qFatal("no control %s", name);
        return c;
    }
    static void pickBand(app::frmKorvane &w, const QString &band)
    {
        auto *combo = control<QComboBox>(w, "Combo1");
        combo->showPopup();
        combo->view()->setCurrentIndex(combo->model()->index(combo->findText(band), 0));
        QTest::keyClick(combo->view(), Qt::Key_Return);
    }

private slots:
    void cleanup() { closeStrayBoxes(); }

    void titleLine_data();
    void titleLine();
    void controlsAndCaptions_data();
    void controlsAndCaptions();
    void missingConfigFailsAndStillSavesPosition();
    void savedPositionIsRestored();
    void positionOffEveryScreenIsIgnored();
    void bandPickSendsModeThenFrequency_data();
    void bandPickSendsModeThenFrequency();
    void typingInBandListSendsNothing();
    void referenceButtonSlowsTheTick();
    void readerShowsFrequencyAndFollowsBand();
    void importThenFrequencySet();
    void frequencySetGates_data();
    void frequencySetGates();
    void offsetNotANumberKeepsControls();
    void lookupOpensEncodedAddress();
    void errorBoxesNeverStack();
    void clockModes();
    void noSoundDisablesDisplayModes();
};

void tst_MainWindow::titleLine_data()
{
    QTest::addColumn<QByteArray>("config");
    QTest::addColumn<QString>("title");
    QTest::newRow("Yaesu on port 3") << configFor("0")
                                     << "Veltrane / ABC /CAT=3 /RIG=FT2000 /STATUS:OK /Ver 1.05";
    QTest::newRow("no CAT link") << configFor("0", "0") << "Veltrane / ABC /CAT=0 /RIG=FT2000 /STATUS:No Work /Ver 1.05";
    QTest::newRow("no RIG= line") << QByteArray("MYCALL=abc\r\nCAT=3\r\n")
                                  << "Veltrane / ABC /CAT=3 /RIG=FT2000 /STATUS:OK /Ver 1.05";
    QTest::newRow("rig code 7") << configFor("7") << "Veltrane / ABC /CAT=3 /RIG= /STATUS:OK /Ver 1.05";
    QTest::newRow("device name") << configFor("2", "/dev/ttyUSB0")
                                 << "Veltrane / ABC /CAT=/dev/ttyUSB0 /RIG=ICOM /STATUS:OK /Ver 1.05";
    QTest::newRow("no call") << QByteArray("CAT=1\r\nRIG=1\r\n")
                             << "Veltrane /  /CAT=1 /RIG=TS480 /STATUS:OK /Ver 1.05";
}

void tst_MainWindow::titleLine()
{
    QFETCH(QByteArray, config);
    QFETCH(QString, title);
    auto s = load(config);
    QVERIFY(!s->failure);
    QCOMPARE(s->window->windowTitle(), title);
}

void tst_MainWindow::controlsAndCaptions_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("caption");
    QTest::newRow("Frame1") << "Frame1" << "リグ周波数コントロール";
    QTest::newRow("Label2 frequency") << "Label2_0" << "周波数";
    QTest::newRow("Label2 his call") << "Label2_1" << "His Call";
    QTest::newRow("txtRigFreq") << "txtRigFreq" << "No Data";
    QTest::newRow("Command3") << "Command3" << "コール取込";
    QTest::newRow("txtDeffF") << "txtDeffF" << "0";
    QTest::newRow("Command5") << "Command5" << "周波数Set";
    QTest::newRow("Command1") << "Command1" << "基準";
    QTest::newRow("Combo1") << "Combo1" << "14MHz";
    QTest::newRow("txtHis") << "txtHis" << "";
    QTest::newRow("Command4") << "Command4" << "QRZ.com";
    QTest::newRow("Option1 JST") << "Option1_0" << "JST";
    QTest::newRow("Option1 UTC") << "Option1_1" << "UTC";
    QTest::newRow("Option2 FFT") << "Option2_0" << "FFT";
    QTest::newRow("Option2 WF") << "Option2_1" << "WF";
    QTest::newRow("Label1 left") << "Label1_0" << "-1000";
    QTest::newRow("Label1 centre") << "Label1_2" << "0";
    QTest::newRow("Label1 right") << "Label1_4" << "+1000";
}

void tst_MainWindow::controlsAndCaptions()
{
    QFETCH(QString, name);
    QFETCH(QString, caption);
    auto s = load(configFor("0"));
    QWidget *w = s->window->findChild<QWidget *>(name);
    QVERIFY2(w, qPrintable(name));
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
    QCOMPARE(w->accessibleDescription(), name);  // the stable key for screen readers and tools
    // What a screen reader speaks: the caption, the buddy label's text, or a label's own text.
    QAccessibleInterface *spoken = QAccessible::queryAccessibleInterface(w);
    QVERIFY(spoken);
    QCOMPARE(spoken->text(QAccessible::Name).isEmpty(), caption.isEmpty() && !qobject_cast<QLineEdit *>(w));
}

void tst_MainWindow::missingConfigFailsAndStillSavesPosition()
{
    auto s = load(QByteArray());
    QVERIFY(s->failure);
    QVERIFY(s->failure->contains(QStringLiteral("Init.cfg")));
    const QString posPath = s->dir.filePath(QStringLiteral("MyVeltraneData.dat"));
    QVERIFY(!QFile::exists(posPath));
    s->window->Form_Unload();

    QFile f(posPath);
    QVERIFY(f.open(QIODevice::ReadOnly));
    const QByteArray expected = "============== My Intial Data Setting ================\r\nTOP= "
                                + QByteArray::number(app::frmKorvane::kDesignedTopTwips) + "\r\nLEFT= "
                                + QByteArray::number(app::frmKorvane::kDesignedLeftTwips) + "\r\n";
    QCOMPARE(f.readAll(), expected);
}

void tst_MainWindow::savedPositionIsRestored()
{
    QTemporaryDir dir;
    QFile f(dir.filePath(QStringLiteral("MyVeltraneData.dat")));
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write("============== My Intial Data Setting ================\r\ntop= 300\r\nLEFT=450abc\r\n");
    f.close();
    QDir::setCurrent(dir.path());
    QFile cfg(dir.filePath(QStringLiteral("Init.cfg")));
    QVERIFY(cfg.open(QIODevice::WriteOnly));
    cfg.write(configFor("0"));
    cfg.close();

    config::StationState state;
    state.soundDevice = 99;
    test::FakeSerialPort port;
    app::frmKorvane w(state, port, nullptr);
    QVERIFY(!w.Form_Load());
    QCOMPARE(w.pos(), QPoint(w.twipsToPixels(450), w.twipsToPixels(300)));
    // No box when the file was there.
    for (QWidget *top : QApplication::topLevelWidgets())
        QVERIFY(top->objectName() != QStringLiteral("WindowPositionMessage") || !top->isVisible());
}

void tst_MainWindow::positionOffEveryScreenIsIgnored()
{
    QTemporaryDir dir;
    QFile f(dir.filePath(QStringLiteral("MyVeltraneData.dat")));
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write("TOP= 300\r\nLEFT= 9999999\r\n");  // a monitor since removed
    f.close();
    QDir::setCurrent(dir.path());
    config::StationState state;
    state.soundDevice = 99;
    test::FakeSerialPort port;
    app::frmKorvane w(state, port, nullptr);
    QFile cfg(dir.filePath(QStringLiteral("Init.cfg")));
    QVERIFY(cfg.open(QIODevice::WriteOnly));
    cfg.write(configFor("0"));
    cfg.close();
    QVERIFY(!w.Form_Load());
    QCOMPARE(w.pos(), QPoint(w.twipsToPixels(app::frmKorvane::kDesignedLeftTwips),
                             w.twipsToPixels(app::frmKorvane::kDesignedTopTwips)));
}

void tst_MainWindow::bandPickSendsModeThenFrequency_data()
{
    QTest::addColumn<QByteArray>("rig");
    QTest::addColumn<QString>("band");
    QTest::addColumn<QList<QByteArray>>("writes");
    // Every family's frames are checked against the simulated rig elsewhere; here the list's pick
    // reaches the link as the three CI-V writes of a set-frequency frame after the mode frame.
    QTest::newRow("ICOM 21MHz") << QByteArray("2") << "21MHz"
                                << QList<QByteArray>{hex("FEFE74450601FD"), hex("FEFE744505"), hex("0060072100"),
                                                     hex("FD")};
    QTest::newRow("rig code 7") << QByteArray("7") << "14MHz" << QList<QByteArray>{};
}

void tst_MainWindow::bandPickSendsModeThenFrequency()
{
    QFETCH(QByteArray, rig);
    QFETCH(QString, band);
    QFETCH(QList<QByteArray>, writes);
    auto s = load(configFor(rig.constData()));
    QVERIFY(!s->failure);
    s->window->show();
    s->port.writes.clear();
    pickBand(*s->window, band);
    QCOMPARE(s->port.writes, writes);
}

void tst_MainWindow::typingInBandListSendsNothing()
{
    auto s = load(configFor("0"));
    s->window->show();
    auto *combo = control<QComboBox>(*s->window, "Combo1");
    combo->lineEdit()->clear();
    QTest::keyClicks(combo->lineEdit(), QStringLiteral("7MHz"));
    QTest::keyClick(combo->lineEdit(), Qt::Key_Return);
    QVERIFY(s->port.writes.isEmpty());
    QCOMPARE(combo->currentText(), QStringLiteral("7MHz"));

    // The reference button uses whatever the edit field shows.
    QTest::mouseClick(control<QPushButton>(*s->window, "Command1"), Qt::LeftButton);
    QCOMPARE(s->port.writes, QList<QByteArray>{"FA07026000;"});
}

void tst_MainWindow::referenceButtonSlowsTheTick()
{
    auto s = load(configFor("0"));
    auto *timer1 = s->window->findChild<QTimer *>(QStringLiteral("Timer1"));
    QVERIFY(timer1);
    QCOMPARE(timer1->interval(), 200);
    auto *combo = control<QComboBox>(*s->window, "Combo1");
    combo->setEditText(QStringLiteral("50MHz"));
    QTest::mouseClick(control<QPushButton>(*s->window, "Command1"), Qt::LeftButton);
    QVERIFY(s->port.writes.isEmpty());  // no reference frame for 50 MHz on the text families
    QCOMPARE(timer1->interval(), 1000);
    QVERIFY(timer1->isActive());
}

void tst_MainWindow::readerShowsFrequencyAndFollowsBand()
{
    auto s = load(configFor("0"));
    auto *combo = control<QComboBox>(*s->window, "Combo1");
    combo->setEditText(QStringLiteral("50MHz"));
    s->port.receive("FA14076520;");
    s->window->link().Data_Out();
    QCOMPARE(control<QLineEdit>(*s->window, "txtRigFreq")->text(), QStringLiteral("14076.520"));
    QCOMPARE(combo->currentText(), QStringLiteral("14MHz"));
    QVERIFY(s->port.writes.isEmpty());  // recognising the band sends no frame
}

void tst_MainWindow::importThenFrequencySet()
{
    auto s = load(configFor("0"));
    auto &w = *s->window;
    s->port.receive("FA14076000;");
    w.link().Data_Out();
    auto *command5 = control<QPushButton>(w, "Command5");
    command5->setEnabled(false);

    QGuiApplication::clipboard()->setText(QStringLiteral("0123456789ABCDEFG    -523 CQ CALL1 GRID"));
    QTest::mouseClick(control<QPushButton>(w, "Command3"), Qt::LeftButton);
    QCOMPARE(control<QLineEdit>(w, "txtHis")->text(), QStringLiteral("CALL1"));
    QCOMPARE(control<QLineEdit>(w, "txtDeffF")->text(), QStringLiteral("-523"));
    QVERIFY(command5->isEnabled());

    QTest::mouseClick(command5, Qt::LeftButton);
    QCOMPARE(s->port.writes, QList<QByteArray>{"FA14075477;"});
    QVERIFY(!command5->isEnabled());
    QCOMPARE(control<QLineEdit>(w, "txtDeffF")->text(), QString());
}

void tst_MainWindow::frequencySetGates_data()
{
    QTest::addColumn<QByteArray>("config");
    QTest::addColumn<bool>("readDial");
    QTest::addColumn<bool>("closePort");
    QTest::newRow("CAT off") << configFor("0", "0") << true << false;
    QTest::newRow("port closed") << configFor("0") << true << true;
    QTest::newRow("No Data") << configFor("0") << false << false;
    QTest::newRow("rig code 7") << configFor("7") << true << false;
}

void tst_MainWindow::frequencySetGates()
{
    QFETCH(QByteArray, config);
    QFETCH(bool, readDial);
    QFETCH(bool, closePort);
    auto s = load(config);
    auto &w = *s->window;
    if (readDial)
        control<QLineEdit>(w, "txtRigFreq")->setText(QStringLiteral("14076.000"));
    control<QLineEdit>(w, "txtDeffF")->setText(QStringLiteral("523"));
    if (closePort)
        s->port.close();
    QTest::mouseClick(control<QPushButton>(w, "Command5"), Qt::LeftButton);
    QVERIFY(s->port.writes.isEmpty());
    QVERIFY(!control<QPushButton>(w, "Command5")->isEnabled());
    QCOMPARE(control<QLineEdit>(w, "txtDeffF")->text(), QString());
}

void tst_MainWindow::offsetNotANumberKeepsControls()
{
    auto s = load(configFor("0"));
    auto &w = *s->window;
    control<QLineEdit>(w, "txtRigFreq")->setText(QStringLiteral("14076.000"));
    for (const QString &offset : {QStringLiteral("CQ"), QString(), QStringLiteral("52x")}) {
        control<QLineEdit>(w, "txtDeffF")->setText(offset);
        control<QPushButton>(w, "Command5")->setEnabled(true);
        QTest::mouseClick(control<QPushButton>(w, "Command5"), Qt::LeftButton);
        QVERIFY(s->port.writes.isEmpty());
        QVERIFY(control<QPushButton>(w, "Command5")->isEnabled());
        QCOMPARE(control<QLineEdit>(w, "txtDeffF")->text(), offset);
    }
}

void tst_MainWindow::lookupOpensEncodedAddress()
{
    auto s = load(configFor("0"));
    UrlCatcher catcher;
    QDesktopServices::setUrlHandler(QStringLiteral("https"), &catcher, "open");
    control<QLineEdit>(*s->window, "txtHis")->setText(QStringLiteral("JA1 ABC"));
    QTest::mouseClick(control<QPushButton>(*s->window, "Command4"), Qt::LeftButton);
    QDesktopServices::unsetUrlHandler(QStringLiteral("https"));
    QCOMPARE(catcher.urls.size(), 1);
    QCOMPARE(catcher.urls.at(0).toString(QUrl::FullyEncoded), QStringLiteral("https://www.qrz.com/db/JA1%20ABC"));
}

void tst_MainWindow::errorBoxesNeverStack()
{
    auto s = load(configFor("0"));
    s->window->show();
    s->port.raise(1008);
    s->port.raise(1006);
    QList<QMessageBox *> boxes;
    for (QWidget *top : QApplication::topLevelWidgets()) {
        if (auto *box = qobject_cast<QMessageBox *>(top); box && box->isVisible()
                                                           && box->objectName() == QStringLiteral("CommErrorMessage"))
            boxes.append(box);
    }
    QCOMPARE(boxes.size(), 1);
    QCOMPARE(boxes.at(0)->text(), QStringLiteral("ﾊﾞｯﾌｧｵｰﾊﾞﾌﾛｰｴﾗｰが発生しました"));
    QCOMPARE(boxes.at(0)->windowTitle(),
             QStringLiteral("中断する場合は [ｷｬﾝｾﾙ] を、無視する場合は [OK] をｸﾘｯｸしてください。"));

    boxes.at(0)->button(QMessageBox::Cancel)->click();
    QVERIFY(!s->port.isOpen());  // Cancel closes the port ...
    s->window->Timer1_Timer();
    QVERIFY(s->port.isOpen());  // ... until the next tick opens it again
    QCOMPARE(s->port.writes.last(), QByteArray("FA;"));
}

void tst_MainWindow::clockModes()
{
    auto s = load(configFor("0"));
    auto &w = *s->window;
    auto *clock = control<QLabel>(w, "lbTime");
    w.Timer1_Timer();
    QVERIFY2(clock->text().endsWith(u'J'), qPrintable(clock->text()));
    QTest::mouseClick(control<QRadioButton>(w, "Option1_1"), Qt::LeftButton);
    w.Timer1_Timer();
    QVERIFY2(clock->text().endsWith(u'U'), qPrintable(clock->text()));
    QTest::mouseClick(control<QRadioButton>(w, "Option1_0"), Qt::LeftButton);
    w.Timer1_Timer();
    QVERIFY(clock->text().endsWith(u'J'));
}

void tst_MainWindow::noSoundDisablesDisplayModes()
{
    auto s = load(configFor("0"), 99);
    QVERIFY(!control<QRadioButton>(*s->window, "Option2_0")->isEnabled());
    QVERIFY(!control<QRadioButton>(*s->window, "Option2_1")->isEnabled());
    QVERIFY(!s->window->hookInstalled());

    auto withSound = load(configFor("0"), -1);
    QVERIFY(control<QRadioButton>(*withSound->window, "Option2_0")->isEnabled());
    QVERIFY(withSound->window->hookInstalled());
    withSound->window->Form_Unload();
    QVERIFY(!withSound->window->hookInstalled());
}

QTEST_MAIN(tst_MainWindow)
#include "tst_mainwindow.moc"
