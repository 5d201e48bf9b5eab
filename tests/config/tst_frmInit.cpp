// The station settings dialog: what it shows when it opens, what Save writes, and how it
// behaves when the file cannot be written.

#include "config/forms/frmInit.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
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

#include <unistd.h>

using namespace Qt::StringLiterals;
using veltrane::config::frmInit;
using veltrane::config::InitDialogState;
using veltrane::config::SerialControlState;
using veltrane::config::StationState;

namespace {

// Init.cfg as the dialog must write it, from the six values after their keys.
QByteArray expectedFile(const QByteArray &call, const QByteArray &cat, const QByteArray &rig,
                        const QByteArray &rs232c, const QByteArray &icom, const QByteArray &control)
{
    return "MYCALL=" + call + "\r\n"
           "'CAT\xE3\x82\x92\xE3\x82\xB3\xE3\x83\xB3\xE3\x83\x88\xE3\x83\xAD\xE3\x83\xBC\xE3\x83\xAB\xE3\x81\x99"
           "\xE3\x82\x8B\xEF\xBC\xA3\xEF\xBC\xAF\xEF\xBC\xAD\xE7\x95\xAA\xE5\x8F\xB7\r\n"
           "CAT=" + cat + "\r\n"
           "'Rig Code   0:Yaesu,  1:Kenwood  2:ICOM 3:FT897 \xE3\x80\x80\xE3\x83\xAA\xE3\x82\xB0\xE3\x81\xAE"
           "\xE7\xA8\xAE\xE9\xA1\x9E\r\n"
           "RIG=" + rig + "\r\n"
           "'CAT \xE3\x82\xB3\xE3\x83\xB3\xE3\x83\x88\xE3\x83\xAD\xE3\x83\xBC\xE3\x83\xAB\xE3\x80\x80\xE6\x9D\xA1"
           "\xE4\xBB\xB6\r\n"
           "RS232C=" + rs232c + "\r\n"
           "ICOM=" + icom + "\r\n"
           "CONTROL=" + control + "\r\n";
}

void flushDeletes()
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

// One opening of the dialog on a scratch working folder.
struct Opening
{
    QTemporaryDir dir;
    StationState state;
    SerialControlState serial;
    InitDialogState dialog;
    QPointer<frmInit> dlg;

    Opening() { state.workDir = dir.path(); }
    ~Opening() { delete dlg.data(); }

    frmInit *open()
    {
        dlg = new frmInit(state, serial, dialog);
        dlg->show();
        return dlg;
    }

    template<typename W>
    W *get(const QString &name) const
    {
        W *w = dlg->findChild<W *>(name);
        if (!w)
            qWarning("no control %s", qPrintable(name));
        return w;
    }

    QStringList checkedOptions() const
    {
        QStringList names;
        for (const QRadioButton *b : dlg->findChildren<QRadioButton *>()) {
            if (b->isChecked())
                names.append(b->objectName());
        }
        names.sort();
        return names;
    }

    // A click where the operator aims: on the indicator of an option, in the middle of a button.
    void click(const QString &name) const
    {
        QAbstractButton *b = get<QAbstractButton>(name);
        const QPoint at = qobject_cast<QRadioButton *>(b) ? QPoint(6, b->height() / 2) : b->rect().center();
        QTest::mouseClick(b, Qt::LeftButton, {}, at);
    }

    void pickModel(int row) const
    {
        auto *combo = get<QComboBox>(u"Combo1"_s);
        combo->showPopup();
        combo->view()->setCurrentIndex(combo->model()->index(row, 0));
        QTest::keyClick(combo->view(), Qt::Key_Return);
    }

    QByteArray fileBytes() const
    {
        QFile f(dir.filePath(u"Init.cfg"_s));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<no file>");
    }

    // Presses Save, checks the box, answers OK; returns the bytes written.
    QByteArray saveAndConfirm() const
    {
        QSignalSpy saved(dlg.data(), &frmInit::saved);
        click(u"Command1"_s);
        auto *box = dlg->findChild<QMessageBox *>(u"msgSaved"_s);
        if (!box)
            return "<no box>";
        const QByteArray bytes = fileBytes();
        // A window-modal box of its own (opened, never run in a nested loop), a top-level window.
        if (!QApplication::topLevelWidgets().contains(box) || box->windowModality() != Qt::WindowModal
            || box->standardButtons() != QMessageBox::Ok)
            return "<not an open() box>";
        if (!box->isVisible() || box->windowTitle() != u"Veltrane"
            || box->text() != u"設定を完了しました。再度起動してください。" || saved.count() != 0
            || !dlg->isVisible())
            return "<wrong box>";
        box->button(QMessageBox::Ok)->click();
        if (saved.count() != 1 || dlg->isVisible())
            return "<not closed>";
        flushDeletes();
        return dlg ? QByteArray("<not deleted>") : bytes;
    }
};

const QStringList kFirstStartOptions{u"Baud96"_s, u"ComPort_1"_s, u"Data8"_s, u"EchoOff"_s,
                                     u"NoFlow"_s, u"NoParity"_s, u"Option1_0"_s, u"Stop1"_s};

}  // namespace

class tst_frmInit : public QObject
{
    Q_OBJECT

private slots:
    void firstStartLoad()
    {
        Opening o;
        o.open();
        QCOMPARE(o.dlg->windowTitle(), u"\u521D\u671F\u8A2D\u5B9A"_s);
        QVERIFY(o.dlg->isWindow());
        QVERIFY(o.dlg->testAttribute(Qt::WA_DeleteOnClose));
        QCOMPARE(o.checkedOptions(), kFirstStartOptions);
        QCOMPARE(o.get<QComboBox>(u"Combo1"_s)->currentText(), u"IC7700"_s);
        QCOMPARE(o.get<QLineEdit>(u"Text2"_s)->text(), u"74"_s);
        QCOMPARE(o.get<QLineEdit>(u"Text3"_s)->text(), u"45"_s);
        QCOMPARE(o.get<QLineEdit>(u"Text1"_s)->text(), QString());
        QCOMPARE(o.get<QComboBox>(u"PortDevice"_s)->currentText(), QString());
        QVERIFY(!o.get<QComboBox>(u"Combo1"_s)->isEnabled());
        QVERIFY(!o.get<QLineEdit>(u"Text2"_s)->isEnabled());
        QVERIFY(!o.get<QLineEdit>(u"Text3"_s)->isEnabled());
        QCOMPARE(o.state.icomAddressHex, u"74"_s);
        QCOMPARE(o.dialog.port, std::optional<int>(1));
        QCOMPARE(o.dialog.rigCode, std::optional<int>(0));
        QCOMPARE(o.dialog.baud + o.dialog.parity + o.dialog.dataBits + o.dialog.stopBits, u"9600N81"_s);
        QStringList models;
        auto *combo = o.get<QComboBox>(u"Combo1"_s);
        for (int i = 0; i < combo->count(); ++i)
            models.append(combo->itemText(i));
        QCOMPARE(models, (QStringList{u"IC7800"_s, u"IC7700"_s, u"IC7600"_s, u"IC7410"_s, u"IC7400"_s,
                                      u"IC756ProIII"_s, u"IC756ProII"_s, u"IC7756Pro"_s, u"IC9100"_s}));
    }

    void loadSerialControl_data()
    {
        QTest::addColumn<QString>("port");
        QTest::addColumn<QString>("settings");
        QTest::addColumn<int>("handshaking");
        QTest::addColumn<QStringList>("checked");
        QTest::addColumn<QString>("device");
        const QString none;
        QTest::newRow("port 3, 4800 E 7 2, RTS") << u"3"_s << u"4800,E,7,2"_s << 2
            << QStringList{u"Baud48"_s, u"ComPort_3"_s, u"Data7"_s, u"EchoOff"_s, u"EvenParity"_s, u"Option1_0"_s,
                           u"RTSFlow"_s, u"Stop2"_s} << none;
        QTest::newRow("port 8, 300 o, Xon") << u" 8 "_s << u"300,o,8,1"_s << 1
            << QStringList{u"Baud3"_s, u"ComPort_8"_s, u"Data8"_s, u"EchoOff"_s, u"OddParity"_s, u"Option1_0"_s,
                           u"Stop1"_s, u"XonFlow"_s} << none;
        QTest::newRow("1200, both") << u"2"_s << u"1200,N,8,1"_s << 3
            << QStringList{u"Baud12"_s, u"BothFlow"_s, u"ComPort_2"_s, u"Data8"_s, u"EchoOff"_s, u"NoParity"_s,
                           u"Option1_0"_s, u"Stop1"_s} << none;
        QTest::newRow("38400 has its option") << u"1"_s << u"38400,N,8,1"_s << 0
            << QStringList{u"Baud384"_s, u"ComPort_1"_s, u"Data8"_s, u"EchoOff"_s, u"NoFlow"_s, u"NoParity"_s,
                           u"Option1_0"_s, u"Stop1"_s} << none;
        QTest::newRow("14400 has none") << u"1"_s << u"14400,N,8,1"_s << 0
            << QStringList{u"ComPort_1"_s, u"Data8"_s, u"EchoOff"_s, u"NoFlow"_s, u"NoParity"_s, u"Option1_0"_s,
                           u"Stop1"_s} << none;
        QTest::newRow("1.5 stop bits read as 1") << u"1"_s << u"9600,N,8,1.5"_s << 0 << kFirstStartOptions << none;
        QTest::newRow("device path") << u"/dev/ttyUSB0"_s << u"9600,N,8,1"_s << 0
            << QStringList{u"Baud96"_s, u"Data8"_s, u"EchoOff"_s, u"NoFlow"_s, u"NoParity"_s, u"Option1_0"_s,
                           u"Stop1"_s} << u"/dev/ttyUSB0"_s;
        QTest::newRow("port 12 shown as a device") << u"12"_s << u"9600,N,8,1"_s << 0
            << QStringList{u"Baud96"_s, u"Data8"_s, u"EchoOff"_s, u"NoFlow"_s, u"NoParity"_s, u"Option1_0"_s,
                           u"Stop1"_s} << u"12"_s;
    }

    void loadSerialControl()
    {
        QFETCH(QString, port);
        QFETCH(QString, settings);
        QFETCH(int, handshaking);
        QFETCH(QStringList, checked);
        QFETCH(QString, device);
        Opening o;
        o.serial = SerialControlState{port, settings, handshaking};
        o.open();
        QCOMPARE(o.checkedOptions(), checked);
        QCOMPARE(o.get<QComboBox>(u"PortDevice"_s)->currentText(), device);
        QCOMPARE(o.dialog.portName, device);
    }

    void configuredAddresses_data()
    {
        QTest::addColumn<QString>("icom");
        QTest::addColumn<QString>("control");
        QTest::addColumn<QString>("text2");
        QTest::addColumn<QString>("text3");
        QTest::addColumn<QString>("model");
        QTest::newRow("none configured") << QString() << QString() << u"74"_s << u"45"_s << u"IC7700"_s;
        QTest::newRow("64 and E0") << u"64"_s << u"E0"_s << u"64"_s << u"E0"_s << u"IC756ProIII"_s;
        QTest::newRow("IC9100") << u"7C"_s << QString() << u"7C"_s << u"45"_s << u"IC9100"_s;
        QTest::newRow("no such model") << u"01"_s << u"02"_s << u"01"_s << u"02"_s << QString();
    }

    void configuredAddresses()
    {
        QFETCH(QString, icom);
        QFETCH(QString, control);
        QFETCH(QString, text2);
        QFETCH(QString, text3);
        QFETCH(QString, model);
        Opening o;
        o.state.icomAddressHex = icom;
        o.state.controllerAddressHex = control;
        o.state.rigCode = u"2"_s;
        o.open();
        QCOMPARE(o.get<QLineEdit>(u"Text2"_s)->text(), text2);
        QCOMPARE(o.get<QLineEdit>(u"Text3"_s)->text(), text3);
        QCOMPARE(o.get<QComboBox>(u"Combo1"_s)->currentText(), model);
        QCOMPARE(o.state.icomAddressHex, text2);
        QCOMPARE(o.saveAndConfirm(), expectedFile("", " 1 ", " 2 ", "9600,N,8,1", text2.toUtf8(), text3.toUtf8()));
    }

    void rigOption_data()
    {
        QTest::addColumn<QString>("rigCode");  // "~" = no RIG= line
        QTest::addColumn<QString>("checked");
        QTest::addColumn<bool>("icomEnabled");
        QTest::addColumn<QByteArray>("savedRig");
        QTest::newRow("unset") << u"~"_s << u"Option1_0"_s << false << QByteArray(" 0 ");
        QTest::newRow("0") << u"0"_s << u"Option1_0"_s << false << QByteArray(" 0 ");
        QTest::newRow("1") << u"1"_s << u"Option1_1"_s << false << QByteArray(" 1 ");
        QTest::newRow("2 padded") << u" 2 "_s << u"Option1_2"_s << true << QByteArray(" 2 ");
        QTest::newRow("3") << u"3"_s << u"Option1_3"_s << false << QByteArray(" 3 ");
        QTest::newRow("7 keeps the designed choice") << u"7"_s << u"Option1_3"_s << true << QByteArray();
        QTest::newRow("text keeps the designed choice") << u"abc"_s << u"Option1_3"_s << true << QByteArray();
    }

    void rigOption()
    {
        QFETCH(QString, rigCode);
        QFETCH(QString, checked);
        QFETCH(bool, icomEnabled);
        QFETCH(QByteArray, savedRig);
        Opening o;
        if (rigCode != u"~")
            o.state.rigCode = rigCode;
        o.open();
        QVERIFY(o.get<QRadioButton>(checked)->isChecked());
        QCOMPARE(o.get<QComboBox>(u"Combo1"_s)->isEnabled(), icomEnabled);
        QCOMPARE(o.get<QLineEdit>(u"Text2"_s)->isEnabled(), icomEnabled);
        QCOMPARE(o.get<QLineEdit>(u"Text3"_s)->isEnabled(), icomEnabled);
        QCOMPARE(o.saveAndConfirm(), expectedFile("", " 1 ", savedRig, "9600,N,8,1", "74", "45"));
    }

    void saveFirstStart()
    {
        Opening o;
        o.open();
        QTest::keyClicks(o.get<QLineEdit>(u"Text1"_s), u"ja1abc"_s);
        QCOMPARE(o.saveAndConfirm(), expectedFile("ja1abc", " 1 ", " 0 ", "9600,N,8,1", "74", "45"));
        QCOMPARE(QDir(o.dir.path()).entryList(QDir::Files), QStringList{u"Init.cfg"_s});
    }

    void saveChosenOptions()
    {
        Opening o;
        o.open();
        for (const QString &name : {u"ComPort_4"_s, u"Baud1152"_s, u"OddParity"_s, u"Data7"_s, u"Stop2"_s,
                                    u"BothFlow"_s, u"EchoOn"_s, u"Option1_1"_s})
            o.click(name);
        QCOMPARE(o.saveAndConfirm(), expectedFile("", " 4 ", " 1 ", "115200,O,7,2", "74", "45"));
    }

    void icomChoice()
    {
        Opening o;
        o.open();
        o.click(u"Option1_2"_s);
        QVERIFY(o.get<QComboBox>(u"Combo1"_s)->isEnabled());
        QVERIFY(o.get<QLineEdit>(u"Text2"_s)->isEnabled());
        QVERIFY(o.get<QLineEdit>(u"Text3"_s)->isEnabled());
        o.pickModel(6);
        QCOMPARE(o.get<QComboBox>(u"Combo1"_s)->currentText(), u"IC756ProII"_s);
        QCOMPARE(o.get<QLineEdit>(u"Text2"_s)->text(), u"64"_s);
        QCOMPARE(o.state.icomAddressHex, u"64"_s);
        o.pickModel(0);
        QCOMPARE(o.get<QLineEdit>(u"Text2"_s)->text(), u"6A"_s);
        o.pickModel(5);
        QCOMPARE(o.get<QLineEdit>(u"Text2"_s)->text(), u"64"_s);
        QLineEdit *text3 = o.get<QLineEdit>(u"Text3"_s);
        text3->selectAll();
        QTest::keyClicks(text3, u"E0"_s);
        QCOMPARE(o.saveAndConfirm(), expectedFile("", " 1 ", " 2 ", "9600,N,8,1", "64", "E0"));
    }

    void otherRigDisablesButSavesAddresses()
    {
        Opening o;
        o.open();
        o.click(u"Option1_2"_s);
        o.pickModel(8);
        o.click(u"Option1_3"_s);
        QVERIFY(!o.get<QComboBox>(u"Combo1"_s)->isEnabled());
        QVERIFY(!o.get<QLineEdit>(u"Text2"_s)->isEnabled());
        QCOMPARE(o.saveAndConfirm(), expectedFile("", " 1 ", " 3 ", "9600,N,8,1", "7C", "45"));
    }

    void typedModelChangesNothing()
    {
        Opening o;
        o.open();
        o.click(u"Option1_2"_s);
        QLineEdit *edit = o.get<QComboBox>(u"Combo1"_s)->lineEdit();
        edit->selectAll();
        QTest::keyClicks(edit, u"IC7600"_s);
        QTest::keyClick(edit, Qt::Key_Return);
        QCOMPARE(o.get<QLineEdit>(u"Text2"_s)->text(), u"74"_s);
        QCOMPARE(o.state.icomAddressHex, u"74"_s);
    }

    void addressEditReachesState()
    {
        Opening o;
        o.state.rigCode = u"2"_s;
        o.open();
        QLineEdit *text2 = o.get<QLineEdit>(u"Text2"_s);
        text2->selectAll();
        QTest::keyClicks(text2, u"5c"_s);
        QCOMPARE(o.state.icomAddressHex, u"5c"_s);
        text2->clear();
        QCOMPARE(o.state.icomAddressHex, QString());
    }

    void speedKept_data()
    {
        QTest::addColumn<QString>("settings");
        QTest::addColumn<QByteArray>("saved");
        QTest::newRow("38400") << u"38400,E,7,2"_s << QByteArray("38400,E,7,2");
        QTest::newRow("14400 without an option") << u"14400,N,8,1"_s << QByteArray("14400,N,8,1");
        QTest::newRow("230400 without an option") << u"230400,O,8,2"_s << QByteArray("230400,O,8,2");
        QTest::newRow("19200") << u"19200,N,8,1"_s << QByteArray("19200,N,8,1");
    }

    void speedKept()
    {
        QFETCH(QString, settings);
        QFETCH(QByteArray, saved);
        Opening o;
        o.serial.settings = settings;
        o.open();
        QCOMPARE(o.saveAndConfirm(), expectedFile("", " 1 ", " 0 ", saved, "74", "45"));
    }

    // Fields the serial control's text does not give keep what an earlier opening chose.
    void dialogStateOutlivesTheDialog()
    {
        Opening o;
        o.serial.settings = u"9600,N,8,1"_s;
        o.open();
        o.click(u"EvenParity"_s);
        o.click(u"Stop2"_s);
        o.dlg->close();
        flushDeletes();
        QVERIFY(o.dlg.isNull());
        QCOMPARE(o.fileBytes(), QByteArray("<no file>"));  // the close box saves nothing

        o.serial.settings = u"4800,X,9,3"_s;
        o.open();
        QCOMPARE(o.checkedOptions(), (QStringList{u"Baud48"_s, u"ComPort_1"_s, u"EchoOff"_s, u"NoFlow"_s,
                                                  u"Option1_0"_s}));
        QCOMPARE(o.saveAndConfirm(), expectedFile("", " 1 ", " 0 ", "4800,E,8,2", "74", "45"));
    }

    void nothingChosenSavesEmptyFields()
    {
        Opening o;
        o.serial = SerialControlState{QString(), u"abc"_s, 0};
        o.state.rigCode = u"9"_s;
        o.state.controllerAddressHex = QString();
        o.open();
        QCOMPARE(o.saveAndConfirm(), expectedFile("", "", "", ",,,", "74", "45"));
    }

    void portDevice()
    {
        Opening o;
        o.open();
        auto *device = o.get<QComboBox>(u"PortDevice"_s);
        QVERIFY(device->isEditable());
        QTest::keyClicks(device->lineEdit(), u"/dev/ttyUSB7"_s);
        QVERIFY(!o.get<QRadioButton>(u"ComPort_1"_s)->isChecked());
        QCOMPARE(o.dialog.portName, u"/dev/ttyUSB7"_s);
        QByteArray first = expectedFile("", "/dev/ttyUSB7", " 0 ", "9600,N,8,1", "74", "45");
        QCOMPARE(o.dlg->currentConfig().port, u"/dev/ttyUSB7"_s);

        // Emptying the box returns to the numbered port.
        device->lineEdit()->clear();
        QVERIFY(o.get<QRadioButton>(u"ComPort_1"_s)->isChecked());
        QCOMPARE(o.dlg->currentConfig().port, u" 1 "_s);

        QTest::keyClicks(device->lineEdit(), u"/dev/serial/by-id/usb-FTDI-if00"_s);
        o.click(u"ComPort_2"_s);
        QCOMPARE(device->currentText(), QString());
        QCOMPARE(o.dialog.portName, QString());
        QTest::keyClicks(device->lineEdit(), u"/dev/ttyUSB7"_s);
        QCOMPARE(o.saveAndConfirm(), first);
    }

    void portDeviceAfterNumberedPort()
    {
        Opening o;
        o.serial.port = u"/dev/ttyACM0"_s;
        o.open();
        o.click(u"ComPort_5"_s);
        QCOMPARE(o.saveAndConfirm(), expectedFile("", " 5 ", " 0 ", "9600,N,8,1", "74", "45"));
    }

    void saveFailure_data()
    {
        QTest::addColumn<QString>("how");
        QTest::newRow("missing folder") << u"missing"_s;
        QTest::newRow("Init.cfg is a folder") << u"folder"_s;
        QTest::newRow("read-only folder") << u"readonly"_s;
        QTest::newRow("folder refusing new files") << u"proc"_s;  // also fails for root
    }

    void saveFailure()
    {
        QFETCH(QString, how);
        Opening o;
        const QString sub = o.dir.filePath(u"work"_s);
        QVERIFY(QDir().mkpath(sub));
        o.state.workDir = sub;
        if (how == u"missing") {
            o.state.workDir = o.dir.filePath(u"gone"_s);
        } else if (how == u"folder") {
            QVERIFY(QDir(sub).mkdir(u"Init.cfg"_s));
        } else if (how == u"proc") {
            if (!QFileInfo(u"/proc/self"_s).exists())
                QSKIP("no /proc on this system");
            o.state.workDir = u"/proc"_s;
        } else {
            QVERIFY(QFile::setPermissions(sub, QFile::ReadOwner | QFile::ExeOwner));
            QFile probe(QDir(sub).filePath(u"probe"_s));
            if (probe.open(QIODevice::WriteOnly)) {
                probe.remove();
                QFile::setPermissions(sub, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
                QSKIP("folder permissions are not enforced for this user");
            }
        }
        o.open();
        QSignalSpy saved(o.dlg.data(), &frmInit::saved);
        o.click(u"Command1"_s);
        auto *box = o.dlg->findChild<QMessageBox *>(u"msgSaveFailed"_s);
        QVERIFY(box);
        QVERIFY(box->isVisible());
        QVERIFY(o.dlg->findChild<QMessageBox *>(u"msgSaved"_s) == nullptr);
        QVERIFY(box->text().startsWith(u"Init.cfg"));
        box->button(QMessageBox::Ok)->click();
        flushDeletes();
        QVERIFY(o.dlg);
        QVERIFY(o.dlg->isVisible());
        QCOMPARE(saved.count(), 0);
        QFile::setPermissions(sub, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        if (how == u"proc")
            return;

        // Once the folder can be written, the same dialog saves.
        if (how == u"missing")
            QVERIFY(QDir().mkpath(o.state.workDir));
        else if (how == u"folder")
            QVERIFY(QDir(sub).rmdir(u"Init.cfg"_s));
        const QString dir = o.state.workDir;
        QSignalSpy saved2(o.dlg.data(), &frmInit::saved);
        o.click(u"Command1"_s);
        auto *ok = o.dlg->findChild<QMessageBox *>(u"msgSaved"_s);
        QVERIFY(ok);
        QFile file(QDir(dir).filePath(u"Init.cfg"_s));
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), expectedFile("", " 1 ", " 0 ", "9600,N,8,1", "74", "45"));
    }

    void closeBoxSavesNothing()
    {
        Opening o;
        o.open();
        QSignalSpy saved(o.dlg.data(), &frmInit::saved);
        QTest::keyClicks(o.get<QLineEdit>(u"Text1"_s), u"JA1ABC"_s);
        o.dlg->close();
        flushDeletes();
        QVERIFY(o.dlg.isNull());
        QCOMPARE(saved.count(), 0);
        QCOMPARE(QDir(o.dir.path()).entryList(QDir::Files), QStringList());
    }

    void captions_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("caption");
        const QList<std::pair<QString, QString>> rows{
            {u"Command1"_s, u"Save"_s}, {u"lblCall"_s, u"CALL"_s},
            {u"Option1_0"_s, u"Yaesu FT2000/950/450"_s}, {u"Option1_1"_s, u"Kenwood TS480/870/2000"_s},
            {u"Option1_2"_s, u"ICOM"_s}, {u"Option1_3"_s, u"Yaesu FT897"_s},
            {u"ComPort_1"_s, u" Com1"_s}, {u"ComPort_8"_s, u" Com8"_s},
            {u"Baud3"_s, u" 300"_s}, {u"Baud6"_s, u" 600"_s}, {u"Baud12"_s, u"1200"_s}, {u"Baud24"_s, u" 2400"_s},
            {u"Baud48"_s, u" 4800"_s}, {u"Baud96"_s, u" 9600"_s}, {u"Baud192"_s, u" 19200"_s},
            {u"Baud384"_s, u" 38400"_s}, {u"Baud576"_s, u" 57600"_s}, {u"Baud1152"_s, u" 115200"_s},
            {u"Data7"_s, u" 7"_s}, {u"Data8"_s, u" 8"_s}, {u"Stop1"_s, u" 1"_s}, {u"Stop2"_s, u" 2"_s},
            {u"NoParity"_s, u" None"_s}, {u"EvenParity"_s, u" Even"_s}, {u"OddParity"_s, u" Odd"_s},
            {u"NoFlow"_s, u" None"_s}, {u"XonFlow"_s, u" Xon/Xoff"_s}, {u"RTSFlow"_s, u" RTS/CTS"_s},
            {u"BothFlow"_s, u" Both"_s}, {u"EchoOn"_s, u" On"_s}, {u"EchoOff"_s, u" Off"_s},
            {u"fraStationInformation"_s, u"Station Information"_s}, {u"fraRig"_s, u"Rig"_s},
            {u"fraCatRs232c"_s, u"CAT RS232C"_s}, {u"fraPort"_s, u"Port"_s}, {u"fraSpeed"_s, u"Speed"_s},
            {u"fraDataBit"_s, u"Data Bit"_s}, {u"fraStopBit"_s, u"Stop Bit"_s}, {u"fraParity"_s, u"Parity"_s},
            {u"fraFlowControl"_s, u"Flow Control"_s}, {u"fraEcho"_s, u"Echo"_s},
        };
        for (const auto &[name, caption] : rows)
            QTest::newRow(qPrintable(name)) << name << caption;
    }

    void captions()
    {
        QFETCH(QString, name);
        QFETCH(QString, caption);
        Opening o;
        o.open();
        QWidget *w = o.get<QWidget>(name);
        QVERIFY(w);
        QString shown;
        if (auto *b = qobject_cast<QAbstractButton *>(w))
            shown = b->text();
        else if (auto *g = qobject_cast<QGroupBox *>(w))
            shown = g->title();
        else if (auto *l = qobject_cast<QLabel *>(w))
            shown = l->text();
        QCOMPARE(shown, caption);
        QCOMPARE(w->accessibleName(), caption);
        QCOMPARE(w->accessibleDescription(), name);
    }

    void labelledBoxes_data()
    {
        QTest::addColumn<QString>("label");
        QTest::addColumn<QString>("box");
        QTest::newRow("call") << u"lblCall"_s << u"Text1"_s;
        QTest::newRow("model") << u"lblModel"_s << u"Combo1"_s;
        QTest::newRow("ICOM address") << u"lblIcomAddress"_s << u"Text2"_s;
        QTest::newRow("controller address") << u"lblControlAddress"_s << u"Text3"_s;
        QTest::newRow("device") << u"lblPortDevice"_s << u"PortDevice"_s;
    }

    void labelledBoxes()
    {
        QFETCH(QString, label);
        QFETCH(QString, box);
        Opening o;
        o.open();
        auto *l = o.get<QLabel>(label);
        QWidget *b = o.get<QWidget>(box);
        QVERIFY(l && b);
        QCOMPARE(l->buddy(), b);
        QVERIFY(!l->text().isEmpty());
        QCOMPARE(b->accessibleName(), l->text());
        QCOMPARE(b->accessibleDescription(), box);
    }

    void everyNamedControlIsDescribed()
    {
        Opening o;
        o.open();
        int named = 0;
        for (QWidget *w : o.dlg->findChildren<QWidget *>()) {
            const QString name = w->objectName();
            if (name.isEmpty() || name.startsWith(u"qt_") || qobject_cast<QMessageBox *>(w))
                continue;
            ++named;
            QCOMPARE(w->accessibleDescription(), name);
        }
        QVERIFY(named >= 50);
    }

    void startupFailure()
    {
        Opening o;
        o.open();
        auto *reason = o.get<QLabel>(u"lblReason"_s);
        QVERIFY(!reason->isVisibleTo(o.dlg));
        o.dlg->setStartupFailure(u"Init.cfg が見つかりません"_s);
        QVERIFY(reason->isVisibleTo(o.dlg));
        QCOMPARE(reason->text(), u"Init.cfg が見つかりません"_s);
        QCOMPARE(reason->accessibleName(), reason->text());
        o.dlg->setStartupFailure(u"port /dev/ttyS0:\nPermission denied"_s);
        QCOMPARE(reason->text(), u"port /dev/ttyS0: Permission denied"_s);
        o.dlg->setStartupFailure(QString());
        QVERIFY(!reason->isVisibleTo(o.dlg));
    }
};

QTEST_MAIN(tst_frmInit)
#include "tst_frmInit.moc"
