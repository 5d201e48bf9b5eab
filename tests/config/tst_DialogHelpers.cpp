// Small rules behind the two dialogs: the sound device rows and their reading, the serial
// settings fields, the ICOM model table and the serial device list.

#include "config/IcomModels.h"
#include "config/SerialDeviceList.h"
#include "config/SerialSettingsFields.h"
#include "config/SoundDeviceChoice.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

class tst_DialogHelpers : public QObject
{
    Q_OBJECT

private slots:
    void soundRows_data()
    {
        QTest::addColumn<int>("count");
        QTest::addColumn<QStringList>("rows");
        const QString none = u"99 \u30B5\u30A6\u30F3\u30C9\u306F\u4F7F\u7528\u3057\u306A\u3044"_s;
        QTest::newRow("no device") << 0 << QStringList{u"-1 Default"_s, none};
        QTest::newRow("negative count") << -3 << QStringList{u"-1 Default"_s, none};
        QTest::newRow("one") << 1 << QStringList{u"-1 Default"_s, u"0"_s, none};
        QTest::newRow("three") << 3 << QStringList{u"-1 Default"_s, u"0"_s, u"1"_s, u"2"_s, none};
    }

    void soundRows()
    {
        QFETCH(int, count);
        QFETCH(QStringList, rows);
        QCOMPARE(veltrane::config::soundDeviceRows(count), rows);
    }

    void soundRowsMany()
    {
        const QStringList rows = veltrane::config::soundDeviceRows(120);
        QCOMPARE(rows.size(), 122);
        QCOMPARE(rows[13], u"12"_s);
        QCOMPARE(rows[106], u"105"_s);
    }

    void soundFromText_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("device");
        QTest::newRow("designed text") << u"-1  Default"_s << -1;
        QTest::newRow("default row") << u"-1 Default"_s << -1;
        QTest::newRow("no sound row") << u"99 サウンドは使用しない"_s << 99;
        QTest::newRow("row 0") << u"0"_s << 0;
        QTest::newRow("row 12") << u"12"_s << 12;
        QTest::newRow("row 105 reads two characters") << u"105"_s << 10;
        QTest::newRow("typed 5") << u"5"_s << 5;
        QTest::newRow("blank then 5") << u" 5"_s << 5;
        QTest::newRow("5 then letters") << u"5x"_s << 5;
        QTest::newRow("letters") << u"abc"_s << 0;
        QTest::newRow("empty") << QString() << 0;
        QTest::newRow("minus only") << u"-"_s << 0;
        QTest::newRow("third character ignored") << u"1 9"_s << 1;
        QTest::newRow("half rounds to even") << u".5"_s << 0;
    }

    void soundFromText()
    {
        QFETCH(QString, text);
        QFETCH(int, device);
        QCOMPARE(veltrane::config::soundDeviceFromText(text), device);
    }

    void serialFields_data()
    {
        QTest::addColumn<QString>("settings");
        QTest::addColumn<QString>("speed");
        QTest::addColumn<QString>("parity");
        QTest::addColumn<int>("dataBits");
        QTest::addColumn<int>("stopBits");
        QTest::newRow("defaults") << u"9600,N,8,1"_s << u"9600"_s << u"N"_s << 8 << 1;
        QTest::newRow("lower-case parity") << u"4800,e,7,2"_s << u"4800"_s << u"E"_s << 7 << 2;
        QTest::newRow("rate without an option") << u"14400,O,8,1"_s << u"14400"_s << u"O"_s << 8 << 1;
        QTest::newRow("one and a half stop bits") << u"300,N,8,1.5"_s << u"300"_s << u"N"_s << 8 << 1;
        QTest::newRow("two-character parity shifts fields") << u"9600,NN,8,1"_s << u"9600"_s << u"N"_s << 0 << 0;
        QTest::newRow("short text") << u"1200,N"_s << u"1200"_s << u"N"_s << 0 << 0;
        QTest::newRow("no comma") << u"2400"_s << u"2400"_s << QString() << 0 << 0;
        QTest::newRow("no rate") << u",N,8,1"_s << QString() << u"N"_s << 8 << 1;
        QTest::newRow("empty") << QString() << QString() << QString() << 0 << 0;
        QTest::newRow("junk") << u"x,\u00e9,\u0663,9"_s << QString() << u"\u00c9"_s << 0 << 9;
    }

    void serialFields()
    {
        QFETCH(QString, settings);
        QFETCH(QString, speed);
        QFETCH(QString, parity);
        QFETCH(int, dataBits);
        QFETCH(int, stopBits);
        const auto f = veltrane::config::readSerialSettingsFields(settings);
        QCOMPARE(f.speed, speed);
        QCOMPARE(f.parity.isNull() ? QString() : QString(f.parity), parity);
        QCOMPARE(f.dataBits, dataBits);
        QCOMPARE(f.stopBits, stopBits);
    }

    void icomModels_data()
    {
        QTest::addColumn<int>("row");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("address");
        QTest::newRow("0") << 0 << u"IC7800"_s << u"6A"_s;
        QTest::newRow("1") << 1 << u"IC7700"_s << u"74"_s;
        QTest::newRow("2") << 2 << u"IC7600"_s << u"7A"_s;
        QTest::newRow("3") << 3 << u"IC7410"_s << u"80"_s;
        QTest::newRow("4") << 4 << u"IC7400"_s << u"66"_s;
        QTest::newRow("5") << 5 << u"IC756ProIII"_s << u"64"_s;
        QTest::newRow("6") << 6 << u"IC756ProII"_s << u"64"_s;
        QTest::newRow("7") << 7 << u"IC7756Pro"_s << u"5C"_s;
        QTest::newRow("8") << 8 << u"IC9100"_s << u"7C"_s;
    }

    void icomModels()
    {
        QFETCH(int, row);
        QFETCH(QString, name);
        QFETCH(QString, address);
        QCOMPARE(QString::fromUtf16(veltrane::config::kIcomModels[size_t(row)].name), name);
        QCOMPARE(veltrane::config::icomAddressAt(row), address);
    }

    void icomLookups()
    {
        using namespace veltrane::config;
        QCOMPARE(int(kIcomModels.size()), 9);
        QCOMPARE(icomAddressAt(-1), QString());
        QCOMPARE(icomAddressAt(9), QString());
        QCOMPARE(icomModelForAddress(u"74"_s), std::optional<int>(1));
        QCOMPARE(icomModelForAddress(u"64"_s), std::optional<int>(5));
        QCOMPARE(icomModelForAddress(u" 5c "_s), std::optional<int>(7));
        QCOMPARE(icomModelForAddress(u"01"_s), std::nullopt);
        QCOMPARE(icomModelForAddress(QString()), std::nullopt);
    }

    void serialDevices()
    {
        QTemporaryDir dev;
        QDir root(dev.path());
        QVERIFY(root.mkpath(u"serial/by-id"_s));
        for (const QString &name : {u"ttyUSB1"_s, u"ttyUSB0"_s, u"ttyACM0"_s, u"ttyS0"_s, u"tty0"_s, u"null"_s}) {
            QFile f(root.filePath(name));
            QVERIFY(f.open(QIODevice::WriteOnly));
        }
        QVERIFY(QFile::link(u"../../ttyUSB0"_s, root.filePath(u"serial/by-id/usb-FTDI_FT232R_A1-if00-port0"_s)));
        QVERIFY(QFile::link(u"../../ttyACM9"_s, root.filePath(u"serial/by-id/usb-Arduino-if00"_s)));  // dangling
        const QString d = dev.path();
        QCOMPARE(veltrane::config::serialDeviceNames(d),
                 (QStringList{d + u"/serial/by-id/usb-Arduino-if00"_s, d + u"/serial/by-id/usb-FTDI_FT232R_A1-if00-port0"_s,
                              d + u"/ttyACM0"_s, d + u"/ttyUSB0"_s, d + u"/ttyUSB1"_s}));
    }

    void serialDevicesMissingFolder()
    {
        QTemporaryDir dev;
        QCOMPARE(veltrane::config::serialDeviceNames(dev.filePath(u"nothing"_s)), QStringList());
        QCOMPARE(veltrane::config::serialDeviceNames(dev.path()), QStringList());
    }
};

QTEST_GUILESS_MAIN(tst_DialogHelpers)
#include "tst_DialogHelpers.moc"
