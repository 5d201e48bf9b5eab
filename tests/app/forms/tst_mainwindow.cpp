// SPDX-License-Identifier: GPL-3.0-or-later
// The main window and the program's start flow over a scripted rig port, for what the
// end-to-end sessions do not reach: the title, window position, the engine's calls at load and
// unload; how each outcome of the station shows in the controls; a failed start leaves the
// settings dialog alone, showing the configured port, and Save writes it back unchanged; the
// error box, the lookup, the languages. (The sessions check every control's accessible name.)

#include "app/Language.h"
#include "app/forms/Application.h"
#include "support/FakeTransport.h"

#include <QApplication>
#include <QComboBox>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QXmlStreamReader>

using namespace veltrane;
using namespace Qt::StringLiterals;

namespace {

// An engine that only records the calls made to it.
struct EngineLog : spectrum::SoundCardEngine
{
    explicit EngineLog(int starts = 1) : started(starts) {}
    QStringList calls;
    int started; // 0: the device cannot be opened
    int fnStartSoundCard(QObject *, int device, int) override
    {
        return log(u"start %1"_s.arg(device)) * started;
    }
    int fnSetRXFrequency(int hz, int, int) override { return log(u"rx %1"_s.arg(hz)); }
    int fnSetRXPSKMode(int, int) override { return log(u"psk"_s); }
    int fnSetSquelchThreshold(int, int, int) override { return log(u"squelch"_s); }
    int fnSetAFCLimit(int, int) override { return log(u"afc"_s); }
    int fnSetFFTMode(int, int, int) override { return log(u"fft"_s); }
    int fnStopSoundCard() override { return log(u"stop"_s); }
    int log(const QString &call)
    {
        calls << call;
        return 1;
    }
};

// The visible top-level windows of this name.
QWidgetList shownAll(const QString &objectName)
{
    QWidgetList found;
    for (QWidget *w : QApplication::topLevelWidgets())
        if (w->isVisible() && w->objectName() == objectName)
            found << w;
    return found;
}

// The first of them (nullptr: none).
const auto shown = [](const QString &objectName) { return shownAll(objectName).value(0); };

// A title bar as wide as the box shows the whole title beside its icon and buttons.
bool titleFits(const QMessageBox *box)
{
    const QFontMetrics m = box->fontMetrics();
    return box->width() >= m.horizontalAdvance(box->windowTitle()) + 6 * m.height();
}

template <typename T> T *control(QWidget *w, const char *name)
{
    T *c = w ? w->findChild<T *>(QString::fromLatin1(name)) : nullptr;
    if (!c)
        qFatal("no control %s", name);
    return c;
}

QByteArray configFor(const char *rig, const char *cat = " 3 ")
{
    return "MYCALL=abc\r\nCAT="_ba + cat + "\r\nRIG=" + rig +
           "\r\nRS232C=9600,N,8,1\r\nICOM=74\r\nCONTROL=45\r\n";
}

// A scratch working folder, the current one, holding the given files (a null content: no file).
struct Folder
{
    explicit Folder(const QByteArray &initCfg, const QByteArray &position = {})
    {
        QDir::setCurrent(dir.path());
        for (const auto &[name, bytes] :
             {std::pair{u"Init.cfg"_s, initCfg}, {u"MyVeltraneData.dat"_s, position}}) {
            QFile f(dir.filePath(name));
            if (!bytes.isNull() && (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size()))
                qFatal("cannot write %s", qPrintable(name));
        }
    }
    QByteArray read(const QString &name) const
    {
        QFile f(dir.filePath(name));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    QTemporaryDir dir;
    test::FakeRig rig;
};

// A main window loaded in such a folder.
struct Station : Folder
{
    explicit Station(const QByteArray &cfg, int soundDevice = 99, const QByteArray &position = {},
                     int engineStarts = 1)
        : Folder(cfg, position), engine(engineStarts),
          window(std::make_unique<app::frmKorvane>(soundDevice, rig.factory(), &engine)),
          failure(window->Form_Load())
    {
    }
    EngineLog engine;
    std::unique_ptr<app::frmKorvane> window;
    std::optional<QString> failure;
};

} // namespace

class tst_MainWindow : public QObject
{
    Q_OBJECT
    QList<QUrl> m_opened; // the addresses the lookup button handed to the desktop

public slots: // the desktop's handler for https (not a test: QtTest runs the private slots)
    void openUrl(const QUrl &url) { m_opened.append(url); }

private slots:
    void init() { QApplication::setQuitOnLastWindowClosed(false); }
    void cleanup()
    {
        for (QWidget *w : QApplication::topLevelWidgets())
            w->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    void titleAndCaptions()
    {
        const std::pair<QByteArray, const char *> titles[] = {
            {"MYCALL=abc\r\nCAT=0\r\n"_ba, "Veltrane / ABC /CAT=0 /RIG=FT2000 /STATUS:No Work /Ver 1.05"},
            {configFor("7"), "Veltrane / ABC /CAT=3 /RIG= /STATUS:OK /Ver 1.05"}, // a rig code of no family
            {"CAT=/dev/ttyUSB0\r\nRIG=2\r\nICOM=74\r\nCONTROL=E0\r\n"_ba,
             "Veltrane /  /CAT=/dev/ttyUSB0 /RIG=ICOM /STATUS:OK /Ver 1.05"},
            {configFor("4", "localhost"), "Veltrane / ABC /CAT=localhost /RIG=RIGCTLD /STATUS:OK /Ver 1.05"}};
        for (const auto &[cfg, title] : titles)
            QCOMPARE(Station(cfg).window->windowTitle(), QString::fromUtf8(title));
        QCOMPARE(control<QPushButton>(Station(configFor("0")).window.get(), "Command3")->toolTip(),
                 u"JT65-HFの受信局のラインを右クリックしてからこのボタンを押してください。"_s);
    }

    void windowPosition()
    {
        const double l = app::frmKorvane::kDesignedLeftTwips, t = app::frmKorvane::kDesignedTopTwips;
        // The position file (null: none), where the window opens, whether the first-start note shows.
        const std::tuple<QByteArray, double, double, bool> rows[] = {
            {"==\r\ntop= 300\r\nLEFT=450abc\r\n"_ba, 450, 300, false},
            {"TOP= 300\r\nLEFT= 9999999\r\n"_ba, l, t, false}, // a monitor since removed
            {QByteArray(), l, t, true}};
        for (const auto &[file, left, top, hasBox] : rows) {
            Station s(configFor("0"), 99, file);
            app::frmKorvane &w = *s.window;
            QCOMPARE(w.pos(), QPoint(w.twipsToPixels(left), w.twipsToPixels(top)));
            QVERIFY(!shown(u"WindowPositionMessage"_s)); // not before the main window
            w.show();
            // (What the note says, the operator sessions read.)
            QTRY_COMPARE(shown(u"WindowPositionMessage"_s) != nullptr, hasBox);
            if (hasBox)
                QVERIFY(titleFits(static_cast<QMessageBox *>(shown(u"WindowPositionMessage"_s))));
            w.move(w.twipsToPixels(600), w.twipsToPixels(750));
            s.window.reset(); // closing saves where the window was, in twips
            QCOMPARE(
                s.read(u"MyVeltraneData.dat"_s),
                "============== My Intial Data Setting ================\r\nTOP= 750\r\nLEFT= 600\r\n"_ba);
            cleanup();
        }
    }

    void engineCalls()
    {
        const QStringList started{u"start -1"_s, u"rx 1270"_s, u"psk"_s, u"squelch"_s, u"afc"_s, u"fft"_s};
        // Init.cfg, the sound device, whether the engine starts, its calls at load and then at
        // unload, whether the grid is drawn.
        const std::tuple<QByteArray, int, int, QStringList, bool> rows[] = {
            {configFor("0"), -1, 1, started + QStringList{u"stop"_s}, true},
            {configFor("0"), -1, 0, started + QStringList{u"stop"_s}, false}, // the picture stays blank
            {configFor("0"), 99, 1, {}, true},
            // Start-up fails before the engine starts: the unload step still stops it.
            {QByteArray(), 0, 1, {u"stop"_s}, false}};
        for (const auto &[cfg, soundDevice, starts, calls, grid] : rows) {
            Station s(cfg, soundDevice, {}, starts);
            QCOMPARE(s.window->hookInstalled(), !s.failure && soundDevice != 99);
            QCOMPARE(control<QRadioButton>(s.window.get(), "Option2_1")->isEnabled(), soundDevice != 99);
            const QImage picture = s.window->painter().image();
            QCOMPARE(picture != spectrum::SpectrumPainter().image() && !picture.isNull(), grid);
            s.window->Form_Unload();
            QCOMPARE(s.engine.calls, calls);
            QVERIFY(!s.window->hookInstalled());
        }
    }

    // What the station reports, as the controls show it; the controls' input, as the station gets it.
    void controlsShowTheStation()
    {
        Station s(configFor("0"));
        QWidget *w = s.window.get();
        w->show();
        auto *combo = control<QComboBox>(w, "Combo1");
        auto *freq = control<QLineEdit>(w, "txtRigFreq");
        auto &port = *s.rig.port;
        // Typing in the band list's field is no pick, and "14" is not completed into an item;
        // the reference button sends what the list shows (nothing for "14").
        for (const QString &typed : {u"7MHz"_s, u"14"_s}) {
            combo->lineEdit()->clear();
            QTest::keyClicks(combo->lineEdit(), typed);
            QTest::keyClick(combo->lineEdit(), Qt::Key_Return);
            QTest::mouseClick(control<QPushButton>(w, "Command1"), Qt::LeftButton);
        }
        QCOMPARE(combo->currentText() + u' ' + QString::fromLatin1(port.writes.join(' ')),
                 u"14 FA07026000;"_s);
        // A frequency typed into the display is the dial; the band list follows it.
        freq->clear();
        QTest::keyClicks(freq, u"14076.000"_s);
        QCOMPARE(combo->currentText(), u"14MHz"_s);

        // Each outcome of the frequency set on the offset and the button: kept for the operator to
        // mend when nothing was sent (not a number, out of range, a stale display), used up when
        // a gate was closed, as when it was sent (the operator sessions see that).
        auto *command5 = control<QPushButton>(w, "Command5");
        auto *offset = control<QLineEdit>(w, "txtDeffF");
        const auto set = [&](const QString &typed) -> QString {
            offset->setText(typed);
            command5->setEnabled(true);
            QTest::mouseClick(command5, Qt::LeftButton);
            return offset->text() + (command5->isEnabled() ? u" on"_s : u" off"_s);
        };
        QCOMPARE(set(u"52x"_s), u"52x on"_s);
        QCOMPARE(set(u"99999999"_s), u"99999999 on"_s); // 114 075 999 Hz: no Yaesu frame carries nine digits
        // A display gone old says since when.
        port.receive("FA14076520;"_ba);
        s.window->station()->staleTimer().setInterval(1);
        QTRY_VERIFY(freq->accessibleName().startsWith(u"周波数（"));
        QVERIFY(freq->toolTip().contains(u"古く"));
        QCOMPARE(set(u"100"_s), u"100 on"_s);
        port.close();
        QCOMPARE(set(u"100"_s), u" off"_s);

        QDesktopServices::setUrlHandler(u"https"_s, this, "openUrl");
        control<QLineEdit>(w, "txtHis")->setText(u"JA1 ABC"_s);
        QTest::mouseClick(control<QPushButton>(w, "Command4"), Qt::LeftButton);
        QDesktopServices::unsetUrlHandler(u"https"_s);
        QCOMPARE(m_opened, QList<QUrl>{QUrl(u"https://www.qrz.com/db/JA1%20ABC"_s)});
    }

    void errorBoxNeverStacksAndCancelCloses()
    {
        Station s(configFor("0"), 99, "TOP= 0\r\n"_ba);
        s.window->show();
        s.rig.port->raise(1008);
        s.rig.port->raise(1006);
        QCOMPARE(shownAll(u"CommErrorMessage"_s).size(), 1);
        auto *box = static_cast<QMessageBox *>(shown(u"CommErrorMessage"_s));
        QVERIFY(titleFits(box));
        QCOMPARE(
            box->windowTitle() + u'|' + box->text(),
            u"中断する場合は [ｷｬﾝｾﾙ] を、無視する場合は [OK] をｸﾘｯｸしてください。|ﾊﾞｯﾌｧｵｰﾊﾞﾌﾛｰｴﾗｰが発生しました"_s);
        box->button(QMessageBox::Cancel)->click();
        QVERIFY(!s.rig.port->isOpen()); // Cancel closes the port ...
        s.window->station()->Timer1_Timer();
        QVERIFY(s.rig.port->isOpen()); // ... until the next tick opens it again
    }

    void firstStartSaveThenRestart()
    {
        Folder f{QByteArray()};
        app::Application application(f.rig.factory(), nullptr);
        application.start({});
        QTest::mouseClick(control<QPushButton>(shown(u"frmSoundBoard"_s), "Command1_0"), Qt::LeftButton);
        // No Init.cfg: the settings dialog alone (saying why, as after any failed start); the
        // main window is gone.
        QTRY_VERIFY(!shown(u"frmKorvane"_s) && !shown(u"frmSoundBoard"_s));
        QWidget *settings = shown(u"frmInit"_s);
        QVERIFY(!f.read(u"MyVeltraneData.dat"_s).isEmpty()); // the unload step ran
        control<QLineEdit>(settings, "Text1")->setText(u"JA1ABC"_s);
        QTest::mouseClick(control<QPushButton>(settings, "Command1"), Qt::LeftButton);
        QTRY_VERIFY(shown(u"msgSaved"_s));
        static_cast<QMessageBox *>(shown(u"msgSaved"_s))->button(QMessageBox::Ok)->click();
        QTRY_VERIFY(!shown(u"frmInit"_s)); // the program would end here
        QCOMPARE(test::stationConfig(f.read(u"Init.cfg"_s)).catPort, std::optional<QString>(u"1"_s));
        app::Application again(f.rig.factory(), nullptr);
        again.openMainWindow(99);
        QVERIFY(shown(u"frmKorvane"_s) && !shown(u"frmInit"_s));
        // Cancel in the sound dialog opens nothing.
        app::Application cancelled(f.rig.factory(), nullptr);
        cancelled.start({});
        QTest::mouseClick(control<QPushButton>(shown(u"frmSoundBoard"_s), "Command1_1"), Qt::LeftButton);
        QTRY_VERIFY(!shown(u"frmSoundBoard"_s));
        QVERIFY(!cancelled.mainWindow() && !cancelled.settingsDialog());
    }

    // The port option checked (or none) and the device field the settings dialog shows; Save
    // writes CAT= back as it was.
    void failedStartShowsTheConfiguredPort()
    {
        // Init.cfg, the port option checked (empty: none), the device field, how the reason starts.
        const std::tuple<QByteArray, QString, QString, QString> rows[] = {
            {configFor("0", " 3 "), u"ComPort_3"_s, {}, u"The serial port /dev/ttyS2 does not exist."_s},
            {configFor("1", "/dev/serial/by-id/usb-FTDI-if00"),
             {},
             u"/dev/serial/by-id/usb-FTDI-if00"_s,
             u"The serial port /dev/serial/by-id/usb-FTDI-if00 does not exist."_s},
            {configFor("4", "shack-pi:4533"),
             {},
             u"shack-pi:4533"_s,
             u"The network port tcp://shack-pi:4533 could not be opened"_s},
            {configFor("FT897", " 5 "), u"ComPort_5"_s, {}, u"RIG= is not a number: FT897"_s},
        };
        for (const auto &[cfg, option, device, reason] : rows) {
            Folder f(cfg);
            f.rig.failOpen = cat::OpenFailure::NotFound;
            app::Application application(f.rig.factory(), nullptr);
            application.openMainWindow(99);
            QWidget *settings = shown(u"frmInit"_s);
            QVERIFY(settings && !shown(u"frmKorvane"_s));
            const QString why = control<QLabel>(settings, "lblReason")->text();
            QVERIFY2(why.startsWith(reason), qPrintable(why));
            QString checked;
            for (auto *b : settings->findChildren<QRadioButton *>(QRegularExpression(u"^ComPort_"_s)))
                checked += b->isChecked() ? b->objectName() : QString();
            QCOMPARE(checked, option);
            QCOMPARE(control<QComboBox>(settings, "PortDevice")->currentText(), device);
            if (reason.startsWith(u"RIG="))
                control<QRadioButton>(settings, "Option1_3")->click();
            QTest::mouseClick(control<QPushButton>(settings, "Command1"), Qt::LeftButton);
            QTRY_VERIFY(shown(u"msgSaved"_s));
            QCOMPARE(test::stationConfig(f.read(u"Init.cfg"_s)).catPort, test::stationConfig(cfg).catPort);
            qInfo().noquote() << "CAT= configured and saved:" << *test::stationConfig(cfg).catPort << '|'
                              << QString::fromUtf8(f.read(u"Init.cfg"_s).split('\n').value(2)).trimmed();
            cleanup();
        }
    }

    void resetOpensOneSettingsDialog()
    {
        Folder f("MYCALL=JA1ABC\r\nCAT= 2 \r\nRIG= 2 \r\nRS232C=38400,N,8,1\r\nICOM=94\r\nCONTROL=E0\r\n"_ba);
        app::Application application(f.rig.factory(), nullptr);
        application.openMainWindow(99);
        auto *reset = application.mainWindow()->findChild<QAction *>(u"ReSet"_s);
        QCOMPARE(reset->text(), u"再設定"_s);
        reset->trigger();
        reset->trigger();
        QCOMPARE(shownAll(u"frmInit"_s).size(), 1);
        // The dialog shows what the running link uses: line speed and addresses (and the port, as
        // after a failed start).
        QWidget *settings = shown(u"frmInit"_s);
        QVERIFY(control<QRadioButton>(settings, "Baud384")->isChecked());
        QCOMPARE(control<QLineEdit>(settings, "Text2")->text() +
                     control<QLineEdit>(settings, "Text3")->text(),
                 u"94E0"_s);
        QVERIFY(shown(u"frmKorvane"_s));
    }

    // Japanese under Japanese and C/POSIX locales, English elsewhere; each translation complete
    // (every text has one in the language it is not written in) and what the windows then show.
    void languages()
    {
        using app::UiLanguage;
        const std::pair<QStringList, UiLanguage> locales[] = {
            {{u"ja-JP"_s}, UiLanguage::Japanese}, {{u"C"_s}, UiLanguage::Japanese},
            {{}, UiLanguage::Japanese},           {{u"de-DE"_s, u"ja"_s}, UiLanguage::English},
            {{u"en-US"_s}, UiLanguage::English},  {{u"fr"_s}, UiLanguage::English}};
        for (const auto &[ui, language] : locales)
            QVERIFY2(app::languageForLocale(ui) == language, qPrintable(ui.join(u',')));

        const QRegularExpression cjk(u"[\\x{3000}-\\x{9fff}\\x{ff00}-\\x{ffef}]"_s);
        for (const char *ts : {"veltrane_en.ts", "veltrane_ja.ts"}) {
            QFile file(QStringLiteral(VELTRANE_TRANSLATIONS_DIR "/") + QLatin1StringView(ts));
            QVERIFY(file.open(QIODevice::ReadOnly));
            QXmlStreamReader xml(&file);
            QString source;
            int checked = 0;
            while (!xml.atEnd()) {
                if (xml.readNext() != QXmlStreamReader::StartElement)
                    continue;
                if (xml.name() == u"source")
                    source = xml.readElementText();
                else if (xml.name() == u"translation" && source.contains(cjk) == (ts[9] == 'e') && ++checked)
                    QVERIFY2(xml.attributes().value(u"type"_s).isEmpty() && !xml.readElementText().isEmpty(),
                             qPrintable(u"%1: %2"_s.arg(QLatin1StringView(ts), source)));
            }
            QVERIFY2(!xml.hasError() && checked > 20, qPrintable(xml.errorString()));
        }

        const std::pair<UiLanguage, QString> captions[] = {
            {UiLanguage::English, u"Import Call|Init.cfg is missing or cannot be read in %1."_s},
            {UiLanguage::Japanese, u"コール取込|%1 に Init.cfg がないか、読み取れません。"_s}};
        for (const auto &[language, texts] : captions) {
            QVERIFY(app::installTranslation(language)); // in place of the one before
            Station s(QByteArray(), 99);
            QCOMPARE(control<QPushButton>(s.window.get(), "Command3")->text() + u'|' + *s.failure,
                     texts.arg(s.dir.path()));
        }
    }
};

QTEST_MAIN(tst_MainWindow)
#include "tst_mainwindow.moc"
