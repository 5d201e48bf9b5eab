// The settings dialog with network CAT links: the rigctld rig option, the device field holding
// a host:port or tcp:// address, the reason shown under it for a malformed address, Save
// refusing such an address, and what Save writes for a good one (read back as start-up will).

#include "config/InitConfigFile.h"
#include "config/forms/frmInit.h"

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;
using namespace veltrane::config;

class tst_NetSettings : public QObject
{
    Q_OBJECT

private slots:
    void rigctldOption();
    void addressChecks_data();
    void addressChecks();
    void reopensWithConfiguredAddress();
};

namespace {

struct Opening
{
    QTemporaryDir dir;
    StationState state;
    SerialControlState serial;
    InitDialogState dialog;
    QPointer<frmInit> dlg;

    Opening() { state.workDir = dir.path(); }
    ~Opening() { delete dlg.data(); }
    void open() { (dlg = new frmInit(state, serial, dialog))->show(); }
    template <typename W> W *get(const QString &name) const { return dlg->findChild<W *>(name); }
    QComboBox *device() const { return get<QComboBox>(u"PortDevice"_s); }
    QLabel *reason() const { return get<QLabel>(u"lblAddress"_s); }
    void type(const QString &text) const
    {
        device()->lineEdit()->clear();
        QTest::keyClicks(device()->lineEdit(), text);
    }
    // Save; the configuration as start-up reads it back, or nothing when no file was written.
    std::optional<StationState> save() const
    {
        QTest::mouseClick(get<QPushButton>(u"Command1"_s), Qt::LeftButton);
        StationState read;
        if (readInitConfig(initConfigPath(state.workDir), read) != ReadResult::Ok)
            return std::nullopt;
        return read;
    }
};

} // namespace

void tst_NetSettings::rigctldOption()
{
    Opening o;
    o.open();
    QRadioButton *rigctld = o.get<QRadioButton>(u"Option1_4"_s);
    QVERIFY(rigctld);
    QCOMPARE(rigctld->text(), u"Hamlib rigctld (network)"_s);
    QVERIFY(!rigctld->isChecked());
    QVERIFY(!o.device()->lineEdit()->placeholderText().isEmpty());

    // Chosen with an empty device field: the local daemon's address is put there and saved.
    QTest::mouseClick(rigctld, Qt::LeftButton, {}, QPoint(6, rigctld->height() / 2));
    QCOMPARE(o.device()->currentText(), u"localhost:4532"_s);
    QVERIFY(!o.get<QWidget>(u"Text2"_s)->isEnabled());
    QVERIFY(o.reason()->isHidden());
    const auto saved = o.save();
    QVERIFY(saved);
    QCOMPARE(saved->catPort, std::optional<QString>(u"localhost:4532"_s));
    QCOMPARE(rigFamily(*saved), 4);

    // Picking a numbered port empties the field: rigctld then has no address to save.
    delete QApplication::activeModalWidget();
    QTest::mouseClick(o.get<QRadioButton>(u"ComPort_2"_s), Qt::LeftButton);
    QVERIFY(o.reason()->isVisible());
    QVERIFY(o.reason()->text().contains(u"HOST"_s));
}

void tst_NetSettings::addressChecks_data()
{
    QTest::addColumn<QString>("rig");    // option clicked
    QTest::addColumn<QString>("device"); // typed into the device field
    QTest::addColumn<QString>("saved");  // CAT= read back; empty: Save refused
    QTest::addColumn<QString>("reason"); // a part of the reason shown

    QTest::newRow("rigctld host:port")
        << u"Option1_4"_s << u"shack-pi:4533"_s << u"shack-pi:4533"_s << QString();
    QTest::newRow("rigctld tcp form")
        << u"Option1_4"_s << u"tcp://10.0.0.2"_s << u"tcp://10.0.0.2"_s << QString();
    QTest::newRow("rigctld bad port") << u"Option1_4"_s << u"shack-pi:70000"_s << QString() << u"65535"_s;
    QTest::newRow("rigctld blank in host") << u"Option1_4"_s << u"shack pi"_s << QString() << u"host name"_s;
    QTest::newRow("text rig over tcp")
        << u"Option1_0"_s << u"tcp://rigpi:7000"_s << u"tcp://rigpi:7000"_s << QString();
    QTest::newRow("text rig, tcp without port")
        << u"Option1_0"_s << u"tcp://rigpi"_s << QString() << u"PORT"_s;
    QTest::newRow("serial device unchecked")
        << u"Option1_3"_s << u"/dev/ttyUSB0"_s << u"/dev/ttyUSB0"_s << QString();
}

void tst_NetSettings::addressChecks()
{
    QFETCH(QString, rig);
    QFETCH(QString, device);
    QFETCH(QString, saved);
    QFETCH(QString, reason);
    Opening o;
    o.open();
    QRadioButton *option = o.get<QRadioButton>(rig);
    QTest::mouseClick(option, Qt::LeftButton, {}, QPoint(6, option->height() / 2));
    o.type(device);
    QCOMPARE(o.reason()->isVisible(), !reason.isEmpty());
    QVERIFY2(o.reason()->text().contains(reason), qPrintable(o.reason()->text()));

    const auto read = o.save();
    auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
    QVERIFY(box);
    if (saved.isEmpty()) {
        QVERIFY(!read);
        QCOMPARE(box->objectName(), u"msgSaveFailed"_s);
        QVERIFY(box->text().contains(reason));
    } else {
        QVERIFY(read);
        QCOMPARE(box->objectName(), u"msgSaved"_s);
        QCOMPARE(read->catPort, std::optional<QString>(saved));
    }
    delete box;
}

void tst_NetSettings::reopensWithConfiguredAddress()
{
    Opening o;
    o.state.rigCode = u"4"_s;
    o.serial.port = u"192.168.1.5:4533"_s;
    o.open();
    QVERIFY(o.get<QRadioButton>(u"Option1_4"_s)->isChecked());
    QCOMPARE(o.device()->currentText(), u"192.168.1.5:4533"_s);
    QVERIFY(o.reason()->isHidden());
    for (int n = 1; n <= 8; ++n)
        QVERIFY(!o.get<QRadioButton>(u"ComPort_"_s + QString::number(n))->isChecked());
}

QTEST_MAIN(tst_NetSettings)
#include "tst_NetSettings.moc"
