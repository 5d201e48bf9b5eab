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
using veltrane::testing::initCfgBytes;

namespace {

// Picks a row of a combo box from its open list, as the operator does.
void pick(QComboBox *combo, int row)
{
    combo->showPopup();
    combo->view()->setCurrentIndex(combo->model()->index(row, 0));
    QTest::keyClick(combo->view(), Qt::Key_Return);
}

void type(QLineEdit *edit, const QString &typed)
{
    edit->selectAll();
    QTest::keyClicks(edit, typed);
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
        for (const QRadioButton *b : dlg->findChildren<QRadioButton *>())
            if (b->isChecked() &&
                !QStringList{u"DtrOn"_s, u"RtsOff"_s, u"BandModeUsb"_s}.contains(b->objectName()))
                names.append(b->objectName());
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

    QStringList files() const { return QDir(state.workDir).entryList(QDir::Files | QDir::Hidden); }

    // Presses Save and answers its box OK; the box must be window-modal, opened and never run in
    // a nested loop. A save gives the bytes written (the dialog then closed), a refusal
    // "refused: " and the reason under the box's first line (the dialog still open, nothing saved
    // and no file written), anything else what went wrong.
    QByteArray save() const
    {
        QSignalSpy saved(dlg.data(), &frmInit::saved);
        const QStringList before = files();
        click(u"Command1"_s);
        auto *done = dlg->findChild<QMessageBox *>(u"msgSaved"_s);
        QMessageBox *box = done ? done : dlg->findChild<QMessageBox *>(u"msgSaveFailed"_s);
        if (!box || !box->isVisible() || box->windowModality() != Qt::WindowModal ||
            !QApplication::topLevelWidgets().contains(box) || saved.count() != 0)
            return "<no or wrong box>";
        const QString text = box->text();
        QFile file(initConfigPath(state.workDir));
        QByteArray result = "<wrong text, no file, or a file written>";
        if (done && text == u"設定を完了しました。再度起動してください。" && file.open(QIODevice::ReadOnly))
            result = file.readAll();
        else if (!done && text.startsWith(u"Init.cfg を保存できませんでした。\n") && files() == before)
            result = "refused: " + text.section(u'\n', 1).toUtf8();
        box->button(QMessageBox::Ok)->click();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        const bool asItShould =
            done ? saved.count() == 1 && !dlg : saved.count() == 0 && dlg && dlg->isVisible();
        return asItShould ? result : QByteArray("<closed or saved wrongly>");
    }
};

} // namespace

class tst_Forms : public QObject
{
    Q_OBJECT

private slots:
    // The first opening: what it shows and the reason the start failed. Closing saves nothing;
    // fields the serial control's text does not give keep what an earlier opening chose; the
    // call is saved as typed, and Init.cfg is the only file written.
    void firstStartThenAgain()
    {
        Opening o;
        o.open();
        QCOMPARE(o.shown(), u"Baud96 ComPort_1 Data8 EchoOff NoFlow NoParity Option1_0 Stop1 74/45/IC7700"_s);
        auto *reason = o.get<QLabel>(u"lblReason"_s);
        QVERIFY(!reason->isVisibleTo(o.dlg) && !o.get<QLabel>(u"lblFolder"_s)->isVisibleTo(o.dlg));
        o.dlg->setStartupFailure(u"port /dev/ttyS0:\nPermission denied"_s); // one line, spoken as shown
        QCOMPARE(reason->text() + u'|' + reason->accessibleName(),
                 u"port /dev/ttyS0: Permission denied|port /dev/ttyS0: Permission denied"_s);
        o.click(u"EvenParity"_s);
        o.click(u"Stop2"_s);
        type(o.get<QLineEdit>(u"Text1"_s), u"JA1ABC"_s);
        o.dlg->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(o.dlg.isNull());
        QCOMPARE(o.files(), QStringList());
        o.serial.settings = u"4800,X,9,3"_s;
        o.open();
        QCOMPARE(o.shown(), u"Baud48 ComPort_1 EchoOff NoFlow Option1_0 74/45/IC7700"_s);
        type(o.get<QLineEdit>(u"Text1"_s), u"ja1abc"_s);
        QCOMPARE(o.save(), initCfgBytes("ja1abc", " 1 ", " 0 ", "4800,E,8,2", "74", "45"));
        QCOMPARE(o.files(), QStringList{u"Init.cfg"_s});
    }

    // The serial control and the configured rig as shown, and what Save then writes.
    void loadAndSave()
    {
        const std::tuple<QString, QByteArray, QString, QString> rows[] = {
            // the serial control: port|settings|handshaking; Init.cfg; what is shown; what is
            // saved: CAT|RIG|RS232C|ICOM|CONTROL|the lines after the nine
            {u"3|4800,E,7,2|2"_s, "RIG=1\nBANDMODE=keep\nDTR=OFF\nRTS=ON",
             u"BandModeKeep Baud48 ComPort_3 Data7 DtrOff EchoOff EvenParity Option1_1 RTSFlow RtsOn Stop2 "
             u"-rts 74/45/IC7700"_s,
             u" 3 | 1 |4800,E,7,2|74|45|DTR=OFF\r\nRTS=ON\r\nFLOW=RTSCTS\r\nBANDMODE=KEEP\r\n"_s},
            // 38400 kept, 1.5 stop bits, both, rig 3, no such model
            {u"1|38400,N,8,1.5|3"_s, "RIG=3\nICOM=01\nCONTROL=E0",
             u"Baud384 BothFlow ComPort_1 Data8 EchoOff NoParity Option1_3 Stop1 -rts 01/E0/"_s,
             u" 1 | 3 |38400,N,8,1|01|E0|FLOW=BOTH\r\n"_s},
            // port 12 is a device, 14400 kept, rig 7
            {u"12|14400,N,8,1|0"_s, "RIG=7\nICOM=7C",
             u"Data8 EchoOff NoFlow NoParity Option1_3 Stop1 +icom @12 7C/45/IC9100"_s,
             u"12||14400,N,8,1|7C|45"_s},
            {u"192.168.1.5:4533|9600,N,8,1|0"_s, "RIG=4",
             u"Baud96 Data8 EchoOff NoFlow NoParity Option1_4 Stop1 @192.168.1.5:4533 74/45/IC7700"_s,
             u"192.168.1.5:4533| 4 |9600,N,8,1|74|45"_s},
            {u"|abc|0"_s, "RIG=abc", u"EchoOff NoFlow Option1_3 +icom 74/45/IC7700"_s,
             u"||,,,|74|45"_s}, // nothing usable
        };
        for (const auto &[serialText, initCfg, shown, savedText] : rows) {
            const QStringList serial = serialText.split(u'|'), saved = savedText.split(u'|');
            Opening o;
            o.serial = SerialControlState{serial[0], serial[1], serial[2].toInt()};
            parseInitConfig(initCfg, o.state);
            o.open();
            QCOMPARE(o.shown(), shown);
            QCOMPARE(o.save(), initCfgBytes("", saved[0], saved[1], saved[2], saved[3], saved[4]) +
                                   saved.value(5).toLatin1());
        }
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
        pick(o.get<QComboBox>(u"Combo1"_s), 6);
        QCOMPARE(o.shown(),
                 u"BandModeKeep Baud1152 BothFlow ComPort_4 Data7 DtrOff EchoOn OddParity Option1_2 Stop2 "
                 u"-rts +icom 64/45/IC756ProII"_s);
        pick(o.get<QComboBox>(u"Combo1"_s), 0);
        type(o.get<QComboBox>(u"Combo1"_s)->lineEdit(), u"IC7600"_s);
        QTest::keyClick(o.get<QComboBox>(u"Combo1"_s)->lineEdit(), Qt::Key_Return);
        QCOMPARE(o.text(u"Text2"_s), u"6A"_s);
        type(o.get<QLineEdit>(u"Text2"_s), u"5c"_s);
        QCOMPARE(o.dialog.icomAddress, std::optional<QString>(u"5c"_s)); // a second opening shows it
        type(o.get<QLineEdit>(u"Text3"_s), u"E0"_s);
        o.click(u"Option1_1"_s);
        QVERIFY(!o.shown().contains(u'+'));
        // RTS is not the operator's under Both.
        QCOMPARE(o.save(), initCfgBytes("", " 4 ", " 1 ", "115200,O,7,2", "5c", "E0") +
                               "DTR=OFF\r\nFLOW=BOTH\r\nBANDMODE=KEEP\r\n");
    }

    // Network addresses: the rigctld option fills in the local daemon; an address that is not
    // one shows its reason under the field, and Save refuses it with that reason.
    void networkAddresses()
    {
        const std::tuple<int, QString, QString, QString> rows[] = {
            // rig option clicked; typed into the device field ("-": a numbered port picked); CAT=
            // written (empty: Save refused); a part of the reason shown
            {4, QString(), u"localhost:4532"_s, QString()},
            {4, u"shack-pi:70000"_s, QString(), u"65535"_s},
            {4, u"-"_s, QString(), u"HOST"_s},
            {0, u"tcp://rigpi:7000"_s, u"tcp://rigpi:7000"_s, QString()},
            {0, u"tcp://rigpi"_s, QString(), u"PORT"_s},
        };
        for (const auto &[rig, device, saved, reason] : rows) {
            Opening o;
            o.open();
            o.click(u"Option1_"_s + QString::number(rig));
            if (device == u"-")
                o.click(u"ComPort_2"_s);
            else if (!device.isEmpty())
                type(o.get<QComboBox>(u"PortDevice"_s)->lineEdit(), device);
            const QLabel *shown = o.get<QLabel>(u"lblAddress"_s);
            QVERIFY2(shown->isVisible() == !reason.isEmpty() && shown->text().contains(reason),
                     qPrintable(shown->text()));
            QCOMPARE(o.save(), saved.isEmpty()
                                   ? "refused: " + shown->text().toUtf8()
                                   : initCfgBytes("", saved, u" %1 "_s.arg(rig), "9600,N,8,1", "74", "45"));
        }
    }

    // Save refused, and the same dialog saving once the fault is mended: the decoder link turned
    // on without a port; a working folder Save cannot write (said when the dialog opens; the
    // save writes nothing half-way). The decoder link's address and the reason it could not
    // listen are shown.
    void refusedThenSaved()
    {
        Opening o;
        const QString work = o.state.workDir = o.dir.filePath(u"work"_s);
        o.state.extensions.decoderHost = u"239.255.0.1"_s;
        o.open();
        auto *folder = o.get<QLabel>(u"lblFolder"_s);
        QVERIFY(folder->isVisible() && folder->text().contains(work) && folder->text().contains(u"--folder"));
        o.dlg->setDecoderLinkProblem(u"239.255.0.1 port 2237: busy"_s);
        QCOMPARE(o.get<QLabel>(u"lblDecoderLink"_s)->accessibleName(), u"239.255.0.1 port 2237: busy"_s);
        QCOMPARE(o.text(u"txtDecoderHost"_s) + u':' + o.text(u"txtDecoderPort"_s), u"239.255.0.1:2237"_s);
        o.click(u"chkDecoderLink"_s);
        type(o.get<QLineEdit>(u"txtDecoderPort"_s), u"70000"_s);
        QCOMPARE(o.save(), "refused: The decoder link needs an address and a port from 1 to 65535.");
        type(o.get<QLineEdit>(u"txtDecoderPort"_s), u"2238"_s);
        QVERIFY(QDir().mkpath(work + u"/Init.cfg"_s));
        const QByteArray refused = o.save(); // nothing half-written
        QVERIFY2(refused.startsWith("refused: ファイルを書き込めませんでした。"), refused.constData());
        QVERIFY(QDir(work).rmdir(u"Init.cfg"_s));
        QCOMPARE(o.save(), initCfgBytes("", " 1 ", " 0 ", "9600,N,8,1", "74", "45") +
                               "DECODER=ON\r\nDECODERHOST=239.255.0.1\r\nDECODERPORT=2238\r\n");
    }

    // Each named control describes itself by its name (a handle for tests and screen readers) and
    // is named by its caption; a box is named by its label.
    void controlsAreNamed()
    {
        Opening o;
        o.open();
        int named = 0, labelled = 0;
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

    // The sound device dialog's rows and tooltips, and the device each choice gives.
    void soundDevices()
    {
        const std::tuple<QString, int, int> rows[] = {
            // "" leaves the list as designed, "row:N" picks row N, anything else is typed (read from
            // its first two characters); the button pressed (0 "settings complete", 1 "cancel");
            // the device chosen (-2: none, cancelled)
            {QString(), 0, -1}, {u"row:3"_s, 0, 99}, {u" 5"_s, 0, 5}, {u"105"_s, 0, 10}, {u"row:2"_s, 1, -2},
        };
        const QStringList names{u"Built-in Audio Analog Stereo"_s, u"USB Audio CODEC"_s};
        for (const auto &[action, button, soundDevice] : rows) {
            QPointer<frmSoundBoard> dlg = new frmSoundBoard(names);
            dlg->show();
            auto *combo = dlg->findChild<QComboBox *>(u"Combo1"_s);
            QCOMPARE(combo->currentText(), u"-1  Default"_s);
            QStringList shown;
            for (int i = 0; i < combo->count(); ++i)
                shown.append(combo->itemText(i) + u'|' + combo->itemData(i, Qt::ToolTipRole).toString());
            QCOMPARE(shown, (QStringList{u"-1 Default|"_s, u"0|"_s + names[0], u"1|"_s + names[1],
                                         u"99 サウンドは使用しない|"_s}));
            QSignalSpy chosen(dlg.data(), &frmSoundBoard::deviceChosen),
                cancelled(dlg.data(), &frmSoundBoard::cancelled);
            if (action.startsWith(u"row:"))
                pick(combo, action.sliced(4).toInt());
            else if (!action.isEmpty())
                type(combo->lineEdit(), action);
            QTest::mouseClick(dlg->findChild<QPushButton *>(u"Command1_%1"_s.arg(button)), Qt::LeftButton);
            QCOMPARE(chosen.isEmpty() ? -2 : chosen.first().value(0).toInt(), soundDevice);
            QCOMPARE(cancelled.count(), button);
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
            QVERIFY(dlg.isNull());
        }
    }
};

QTEST_MAIN(tst_Forms)
#include "tst_forms.moc"
