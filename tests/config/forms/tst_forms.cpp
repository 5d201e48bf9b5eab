// SPDX-License-Identifier: GPL-3.0-or-later
// The configuration's two dialogs. The settings dialog: what it shows when it opens (the
// serial control and the configuration read at start-up, network addresses included), what
// Save writes, the reason shown for an address Save refuses, and a file that cannot be written.
// The sound device dialog: its rows and tooltips and the device each choice gives.

#include "config/forms/frmInit.h"
#include "config/forms/frmSoundBoard.h"
#include "support/InitCfgBytes.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;
using namespace veltrane::config;
using veltrane::config::frmSoundBoard;
using veltrane::testing::initCfgBytes;

namespace {

QByteArray fileBytes(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<no file>");
}

// One opening of the dialog on a scratch working folder.
struct Opening
{
    QTemporaryDir dir;
    StationConfig state;
    SerialControlState serial;
    InitDialogState dialog;
    QPointer<frmInit> dlg;

    Opening() { state.workDir = dir.path(); }
    ~Opening() { delete dlg.data(); }
    void open() { (dlg = new frmInit(state, serial, dialog))->show(); }
    template <typename W> W *get(const QString &name) const { return dlg->findChild<W *>(name); }
    QString text(const QString &name) const { return get<QLineEdit>(name)->text(); }

    // The checked options' names, sorted, without the control-line and band-pick options at their
    // defaults; "-rts" when the RTS choice is disabled; "+icom" when the three ICOM controls are enabled
    // ("+mixed" when only some are); "@device" for a port device; then ICOM address, controller
    // address and model as "74/45/IC7700".
    QString shown() const
    {
        QStringList names;
        for (const QRadioButton *b : dlg->findChildren<QRadioButton *>()) {
            if (b->isChecked() &&
                !QStringList{u"DtrOn"_s, u"RtsOff"_s, u"BandModeUsb"_s}.contains(b->objectName()))
                names.append(b->objectName());
        }
        names.sort();
        if (!get<QGroupBox>(u"fraRts"_s)->isEnabled())
            names.append(u"-rts"_s);
        int icom = 0;
        for (const QString &name : {u"Combo1"_s, u"Text2"_s, u"Text3"_s})
            icom += get<QWidget>(name)->isEnabled() ? 1 : 0;
        if (icom != 0)
            names.append(icom == 3 ? u"+icom"_s : u"+mixed"_s);
        if (const QString device = get<QComboBox>(u"PortDevice"_s)->currentText(); !device.isEmpty())
            names.append(u'@' + device);
        names.append(text(u"Text2"_s) + u'/' + text(u"Text3"_s) + u'/' +
                     get<QComboBox>(u"Combo1"_s)->currentText());
        return names.join(u' ');
    }

    // A click where the operator aims: on the indicator of an option or check box, in the middle of a button.
    void click(const QString &name) const
    {
        QAbstractButton *b = get<QAbstractButton>(name);
        const QPoint at = qobject_cast<QPushButton *>(b) ? b->rect().center() : QPoint(6, b->height() / 2);
        QTest::mouseClick(b, Qt::LeftButton, {}, at);
    }

    void pickModel(int row) const
    {
        auto *combo = get<QComboBox>(u"Combo1"_s);
        combo->showPopup();
        combo->view()->setCurrentIndex(combo->model()->index(row, 0));
        QTest::keyClick(combo->view(), Qt::Key_Return);
    }

    void type(QLineEdit *edit, const QString &typed) const
    {
        edit->selectAll();
        QTest::keyClicks(edit, typed);
    }

    // Presses Save, checks the box (window-modal, opened and never run in a nested loop), answers
    // OK; returns the bytes written, or what went wrong.
    QByteArray saveAndConfirm() const
    {
        QSignalSpy saved(dlg.data(), &frmInit::saved);
        click(u"Command1"_s);
        auto *box = dlg->findChild<QMessageBox *>(u"msgSaved"_s);
        if (!box || !box->isVisible() || box->windowModality() != Qt::WindowModal ||
            !QApplication::topLevelWidgets().contains(box) ||
            box->text() != u"設定を完了しました。再度起動してください。" || saved.count() != 0)
            return "<no or wrong box>";
        const QByteArray bytes = fileBytes(dir.filePath(u"Init.cfg"_s));
        box->button(QMessageBox::Ok)->click();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        return saved.count() == 1 && !dlg ? bytes : QByteArray("<not closed>");
    }
};

} // namespace

class tst_Forms : public QObject
{
    Q_OBJECT

private slots:
    void firstStart()
    {
        Opening o;
        o.open();
        QCOMPARE(o.shown(), u"Baud96 ComPort_1 Data8 EchoOff NoFlow NoParity Option1_0 Stop1 74/45/IC7700"_s);
        auto *reason = o.get<QLabel>(u"lblReason"_s);
        QVERIFY(!reason->isVisibleTo(o.dlg) && !o.get<QLabel>(u"lblFolder"_s)->isVisibleTo(o.dlg));
        o.dlg->setStartupFailure(u"port /dev/ttyS0:\nPermission denied"_s); // one line, spoken as shown
        QCOMPARE(reason->text() + u'|' + reason->accessibleName(),
                 u"port /dev/ttyS0: Permission denied|port /dev/ttyS0: Permission denied"_s);
        o.type(o.get<QLineEdit>(u"Text1"_s), u"ja1abc"_s);
        QCOMPARE(o.saveAndConfirm(), initCfgBytes("ja1abc", " 1 ", " 0 ", "9600,N,8,1", "74", "45"));
        QCOMPARE(QDir(o.dir.path()).entryList(QDir::Files), QStringList{u"Init.cfg"_s});
    }

    // The serial control and the configured rig as shown, and what Save then writes.
    void loadAndSave_data()
    {
        QTest::addColumn<QStringList>("serial"); // port, settings, handshaking
        QTest::addColumn<QStringList>("rig"); // RIG=, ICOM=, CONTROL=, extension lines as read from Init.cfg
        QTest::addColumn<QString>("shown");
        QTest::addColumn<QStringList>("saved"); // CAT, RIG, RS232C, ICOM, CONTROL, lines after the nine
        QTest::newRow("port 3, 4800 E 7 2, RTS, rig 1")
            << QStringList{u"3"_s, u"4800,E,7,2"_s, u"2"_s}
            << QStringList{u"1"_s, u""_s, u""_s, u"BANDMODE=keep DTR=OFF RTS=ON"_s}
            << u"BandModeKeep Baud48 ComPort_3 Data7 DtrOff EchoOff EvenParity Option1_1 RTSFlow RtsOn Stop2 "
               u"-rts 74/45/IC7700"_s
            << QStringList{u" 3 "_s, u" 1 "_s, u"4800,E,7,2"_s,
                           u"74"_s,  u"45"_s,  u"DTR=OFF\r\nRTS=ON\r\nFLOW=RTSCTS\r\nBANDMODE=KEEP\r\n"_s};
        QTest::newRow("38400 kept, 1.5 stop bits, both, rig 3, no such model")
            << QStringList{u"1"_s, u"38400,N,8,1.5"_s, u"3"_s} << QStringList{u"3"_s, u"01"_s, u"E0"_s}
            << u"Baud384 BothFlow ComPort_1 Data8 EchoOff NoParity Option1_3 Stop1 -rts 01/E0/"_s
            << QStringList{u" 1 "_s, u" 3 "_s, u"38400,N,8,1"_s, u"01"_s, u"E0"_s, u"FLOW=BOTH\r\n"_s};
        QTest::newRow("port 12 is a device, 14400 kept, rig 7")
            << QStringList{u"12"_s, u"14400,N,8,1"_s, u"0"_s} << QStringList{u"7"_s, u"7C"_s, u""_s}
            << u"Data8 EchoOff NoFlow NoParity Option1_3 Stop1 +icom @12 7C/45/IC9100"_s
            << QStringList{u"12"_s, u""_s, u"14400,N,8,1"_s, u"7C"_s, u"45"_s};
        QTest::newRow("rigctld address, rig 4")
            << QStringList{u"192.168.1.5:4533"_s, u"9600,N,8,1"_s, u"0"_s}
            << QStringList{u"4"_s, u""_s, u""_s}
            << u"Baud96 Data8 EchoOff NoFlow NoParity Option1_4 Stop1 @192.168.1.5:4533 74/45/IC7700"_s
            << QStringList{u"192.168.1.5:4533"_s, u" 4 "_s, u"9600,N,8,1"_s, u"74"_s, u"45"_s};
        QTest::newRow("nothing usable")
            << QStringList{u""_s, u"abc"_s, u"0"_s} << QStringList{u"abc"_s, u""_s, u""_s}
            << u"EchoOff NoFlow Option1_3 +icom 74/45/IC7700"_s
            << QStringList{u""_s, u""_s, u",,,"_s, u"74"_s, u"45"_s};
    }

    void loadAndSave()
    {
        QFETCH(QStringList, serial);
        QFETCH(QStringList, rig);
        QFETCH(QString, shown);
        QFETCH(QStringList, saved);
        Opening o;
        o.serial = SerialControlState{serial[0], serial[1], serial[2].toInt()};
        o.state.rig = parseRigCode(rig[0]);
        o.state.icomAddressHex = rig[1];
        o.state.controllerAddressHex = rig[2];
        for (const QString &line : rig.value(3).split(u' ', Qt::SkipEmptyParts))
            storeExtensionSetting(line.section(u'=', 0, 0), line.section(u'=', 1), o.state.extensions);
        o.open();
        QCOMPARE(o.shown(), shown);
        QCOMPARE(o.saveAndConfirm(), initCfgBytes("", saved[0], saved[1], saved[2], saved[3], saved[4]) +
                                         saved.value(5).toLatin1());
    }

    // Every choice the operator makes reaches the file; picking a model fills the ICOM address,
    // typing a model name or leaving ICOM changes no address.
    void operatorChoices()
    {
        Opening o;
        o.open();
        for (const QString &name :
             {u"ComPort_4"_s, u"Baud1152"_s, u"OddParity"_s, u"Data7"_s, u"Stop2"_s, u"DtrOff"_s,
              u"BandModeKeep"_s, u"BothFlow"_s, u"RtsOn"_s, u"EchoOn"_s, u"Option1_2"_s})
            o.click(name);
        o.pickModel(6);
        QCOMPARE(o.shown(), u"BandModeKeep Baud1152 BothFlow ComPort_4 Data7 DtrOff EchoOn OddParity "
                            u"Option1_2 Stop2 -rts +icom "
                            u"64/45/IC756ProII"_s);
        o.pickModel(0);
        o.type(o.get<QComboBox>(u"Combo1"_s)->lineEdit(), u"IC7600"_s);
        QTest::keyClick(o.get<QComboBox>(u"Combo1"_s)->lineEdit(), Qt::Key_Return);
        QCOMPARE(o.text(u"Text2"_s), u"6A"_s);
        o.type(o.get<QLineEdit>(u"Text2"_s), u"5c"_s);
        QCOMPARE(o.dialog.icomAddress, std::optional<QString>(u"5c"_s)); // a second opening shows it
        o.type(o.get<QLineEdit>(u"Text3"_s), u"E0"_s);
        o.click(u"Option1_1"_s);
        QVERIFY(!o.shown().contains(u'+'));
        QCOMPARE(o.saveAndConfirm(),
                 initCfgBytes("", " 4 ", " 1 ", "115200,O,7,2", "5c", "E0") +
                     "DTR=OFF\r\nFLOW=BOTH\r\nBANDMODE=KEEP\r\n"); // RTS is not the operator's under Both
    }

    // The decoder link as configured, the reason it could not listen, and what Save then writes;
    // turned on without a port it is refused.
    void decoderLinkSettings()
    {
        Opening o;
        o.state.extensions.decoderHost = u"239.255.0.1"_s;
        o.open();
        o.dlg->setDecoderLinkProblem(u"The decoder link cannot listen on 239.255.0.1 port 2237: busy."_s);
        QCOMPARE(o.get<QLabel>(u"lblDecoderLink"_s)->accessibleName(),
                 u"The decoder link cannot listen on 239.255.0.1 port 2237: busy."_s);
        QCOMPARE(o.text(u"txtDecoderHost"_s) + u':' + o.text(u"txtDecoderPort"_s), u"239.255.0.1:2237"_s);
        o.click(u"chkDecoderLink"_s);
        o.type(o.get<QLineEdit>(u"txtDecoderPort"_s), u"70000"_s);
        o.click(u"Command1"_s);
        auto *box = o.dlg->findChild<QMessageBox *>(u"msgSaveFailed"_s);
        QVERIFY(box && box->text().contains(u"port from 1 to 65535"));
        box->button(QMessageBox::Ok)->click();
        o.type(o.get<QLineEdit>(u"txtDecoderPort"_s), u"2238"_s);
        QCOMPARE(o.saveAndConfirm(), initCfgBytes("", " 1 ", " 0 ", "9600,N,8,1", "74", "45") +
                                         "DECODER=ON\r\nDECODERHOST=239.255.0.1\r\nDECODERPORT=2238\r\n");
    }

    // A working folder Save cannot write is said when the dialog opens.
    void unwritableFolder()
    {
        Opening o;
        o.state.workDir = u"/nonexistent/station"_s;
        o.open();
        auto *folder = o.get<QLabel>(u"lblFolder"_s);
        QVERIFY(folder->isVisible() && folder->text().contains(u"/nonexistent/station"));
        QVERIFY(folder->text().contains(u"--folder"));
    }

    // Closing saves nothing; fields the serial control's text does not give keep what an
    // earlier opening chose.
    void dialogStateOutlivesTheDialog()
    {
        Opening o;
        o.open();
        o.click(u"EvenParity"_s);
        o.click(u"Stop2"_s);
        o.type(o.get<QLineEdit>(u"Text1"_s), u"JA1ABC"_s);
        o.dlg->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(o.dlg.isNull());
        QCOMPARE(QDir(o.dir.path()).entryList(QDir::Files), QStringList());
        o.serial.settings = u"4800,X,9,3"_s;
        o.open();
        QCOMPARE(o.shown(), u"Baud48 ComPort_1 EchoOff NoFlow Option1_0 74/45/IC7700"_s);
        QCOMPARE(o.saveAndConfirm(), initCfgBytes("", " 1 ", " 0 ", "4800,E,8,2", "74", "45"));
    }

    // Network addresses: the rigctld option fills in the local daemon; an address that is not
    // one shows its reason under the field, and Save refuses it with that reason.
    void networkAddresses_data()
    {
        QTest::addColumn<QString>("rig");    // option clicked
        QTest::addColumn<QString>("device"); // typed into the device field; "-" a numbered port picked
        QTest::addColumn<QString>("saved");  // CAT= written; empty: Save refused
        QTest::addColumn<QString>("reason"); // a part of the reason shown
        QTest::newRow("rigctld, nothing typed")
            << u"Option1_4"_s << QString() << u"localhost:4532"_s << QString();
        QTest::newRow("rigctld bad port") << u"Option1_4"_s << u"shack-pi:70000"_s << QString() << u"65535"_s;
        QTest::newRow("rigctld on a numbered port") << u"Option1_4"_s << u"-"_s << QString() << u"HOST"_s;
        QTest::newRow("text rig over tcp")
            << u"Option1_0"_s << u"tcp://rigpi:7000"_s << u"tcp://rigpi:7000"_s << QString();
        QTest::newRow("text rig, tcp without port")
            << u"Option1_0"_s << u"tcp://rigpi"_s << QString() << u"PORT"_s;
    }

    void networkAddresses()
    {
        QFETCH(QString, rig);
        QFETCH(QString, device);
        QFETCH(QString, saved);
        QFETCH(QString, reason);
        Opening o;
        o.open();
        o.click(rig);
        QCOMPARE(o.get<QWidget>(u"Text2"_s)->isEnabled(), rig == u"Option1_2");
        QLineEdit *field = o.get<QComboBox>(u"PortDevice"_s)->lineEdit();
        if (device == u"-") {
            o.click(u"ComPort_2"_s);
        } else if (!device.isEmpty()) {
            field->clear();
            QTest::keyClicks(field, device);
        }
        auto *shown = o.get<QLabel>(u"lblAddress"_s);
        QCOMPARE(shown->isVisible(), !reason.isEmpty());
        QVERIFY2(shown->text().contains(reason), qPrintable(shown->text()));
        o.click(u"Command1"_s);
        auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        QVERIFY(box);
        QCOMPARE(box->objectName(), saved.isEmpty() ? u"msgSaveFailed"_s : u"msgSaved"_s);
        StationConfig read;
        const bool written = readInitConfig(initConfigPath(o.state.workDir), read) == ReadResult::Ok;
        QCOMPARE(written, !saved.isEmpty());
        if (written)
            QCOMPARE(read.catPort, std::optional<QString>(saved));
        else
            QVERIFY(box->text().contains(reason));
        delete box;
    }

    void saveFailure()
    {
        Opening o;
        const QString work = o.state.workDir = o.dir.filePath(u"work"_s);
        QVERIFY(QDir().mkpath(work + u"/Init.cfg"_s));
        o.open();
        QSignalSpy saved(o.dlg.data(), &frmInit::saved);
        o.click(u"Command1"_s);
        auto *box = o.dlg->findChild<QMessageBox *>(u"msgSaveFailed"_s);
        QVERIFY(box && box->isVisible() && box->text().startsWith(u"Init.cfg"));
        QVERIFY(!o.dlg->findChild<QMessageBox *>(u"msgSaved"_s));
        box->button(QMessageBox::Ok)->click();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(o.dlg && o.dlg->isVisible());
        QCOMPARE(saved.count(), 0);
        QCOMPARE(QDir(work).entryList(QDir::Files | QDir::Hidden), QStringList()); // nothing half-written

        // Once the folder can be written, the same dialog saves.
        QVERIFY(QDir(work).rmdir(u"Init.cfg"_s));
        o.click(u"Command1"_s);
        QVERIFY(o.dlg->findChild<QMessageBox *>(u"msgSaved"_s));
        QCOMPARE(fileBytes(work + u"/Init.cfg"_s), initCfgBytes("", " 1 ", " 0 ", "9600,N,8,1", "74", "45"));
    }

    // Each named control describes itself by its name (a handle for tests and screen readers) and
    // is named by its caption; a box is named by its label.
    void controlsAreNamed()
    {
        Opening o;
        o.open();
        int named = 0;
        int labelled = 0;
        for (QWidget *w : o.dlg->findChildren<QWidget *>()) {
            if (w->objectName().isEmpty() || w->objectName().startsWith(u"qt_"))
                continue;
            ++named;
            QCOMPARE(w->accessibleDescription(), w->objectName());
            if (auto *b = qobject_cast<QAbstractButton *>(w))
                QCOMPARE(w->accessibleName(), b->text());
            else if (auto *g = qobject_cast<QGroupBox *>(w))
                QCOMPARE(w->accessibleName(), g->title());
            else if (auto *l = qobject_cast<QLabel *>(w); l && l->buddy() && ++labelled)
                QCOMPARE(l->buddy()->accessibleName(), l->text());
        }
        QVERIFY(named >= 50);
        QCOMPARE(labelled, 7); // call, model, both addresses, port device, decoder address and port
        QCOMPARE(o.get<QRadioButton>(u"ComPort_8"_s)->text() + o.get<QRadioButton>(u"Baud12"_s)->text(),
                 u" Com81200"_s);
    }

    void soundDevices_data()
    {
        // "" leaves the list as designed, "row:N" picks row N, anything else is typed; button 0 is
        // "settings complete", 1 is "cancel".
        QTest::addColumn<QString>("action");
        QTest::addColumn<int>("button");
        QTest::addColumn<int>("soundDevice"); // -2: cancelled
        QTest::newRow("untouched") << QString() << 0 << -1;
        QTest::newRow("no sound") << u"row:3"_s << 0 << 99;
        // What is typed is read from its first two characters.
        QTest::newRow("typed blank and 5") << u" 5"_s << 0 << 5;
        QTest::newRow("typed 105") << u"105"_s << 0 << 10;
        QTest::newRow("cancel after a pick") << u"row:2"_s << 1 << -2;
    }

    void soundDevices()
    {
        QFETCH(QString, action);
        QFETCH(int, button);
        QFETCH(int, soundDevice);
        const QStringList names{u"Built-in Audio Analog Stereo"_s, u"USB Audio CODEC"_s};
        QPointer<frmSoundBoard> dlg = new frmSoundBoard(names);
        dlg->show();
        auto *combo = dlg->findChild<QComboBox *>(u"Combo1"_s);
        QCOMPARE(combo->currentText(), u"-1  Default"_s);
        QStringList rows;
        for (int i = 0; i < combo->count(); ++i)
            rows.append(combo->itemText(i) + u'|' + combo->itemData(i, Qt::ToolTipRole).toString());
        QCOMPARE(rows, (QStringList{u"-1 Default|"_s, u"0|"_s + names[0], u"1|"_s + names[1],
                                    u"99 サウンドは使用しない|"_s}));
        int chosen = -2;
        connect(dlg.data(), &frmSoundBoard::deviceChosen, this, [&](int device) { chosen = device; });
        QSignalSpy cancelled(dlg.data(), &frmSoundBoard::cancelled);
        if (action.startsWith(u"row:")) {
            combo->showPopup();
            combo->view()->setCurrentIndex(combo->model()->index(action.sliced(4).toInt(), 0));
            QTest::keyClick(combo->view(), Qt::Key_Return);
        } else if (!action.isEmpty()) {
            combo->lineEdit()->selectAll();
            QTest::keyClicks(combo->lineEdit(), action);
        }
        QTest::mouseClick(dlg->findChild<QPushButton *>(u"Command1_"_s + QString::number(button)),
                          Qt::LeftButton);
        QCOMPARE(chosen, soundDevice);
        QCOMPARE(cancelled.count(), button);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(dlg.isNull());
    }
};

QTEST_MAIN(tst_Forms)
#include "tst_forms.moc"
