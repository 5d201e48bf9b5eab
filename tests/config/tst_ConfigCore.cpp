// The configuration core: Init.cfg and the window position file (odd files read, exact bytes
// written, failures), and the small rules behind the dialogs.

#include "config/IcomModels.h"
#include "config/InitCfgBytes.h"
#include "config/InitConfigFile.h"
#include "config/SerialDeviceList.h"
#include "config/SerialSettingsFields.h"
#include "config/WindowPositionFile.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;
using namespace veltrane::config;
using veltrane::testing::initCfgBytes;

namespace {

// The six values the Init.cfg reader fills, "|"-separated; "~" marks a value left unset.
QString sixValues(const StationState &s)
{
    const auto opt = [](const std::optional<QString> &v) { return v ? *v : u"~"_s; };
    return s.myCall + u'|' + opt(s.catPort) + u'|' + opt(s.rigCode) + u'|' + opt(s.serialSettings) + u'|' +
           s.icomAddressHex + u'|' + s.controllerAddressHex;
}

QByteArray lines(int count, const QByteArray &line)
{
    QByteArray out;
    for (int i = 0; i < count; ++i)
        out += line + "\r\n";
    return out;
}

// "top|left" of a window position, "~" for an edge the file does not set.
QString edges(const WindowPosition &p)
{
    const auto one = [](const std::optional<double> &v) { return v ? QString::number(*v) : u"~"_s; };
    return one(p.top) + u'|' + one(p.left);
}

QByteArray fileBytes(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<unreadable>");
}

bool writeBytes(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

const QByteArray kPositionHeader = "============== My Intial Data Setting ================\r\n";

} // namespace

class tst_ConfigCore : public QObject
{
    Q_OBJECT

private slots:
    void initParse_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<bool>("tooMany");
        QTest::addColumn<QString>("values");
        QTest::newRow("empty file") << QByteArray() << false << u"OLD|~|~|~||"_s;
        QTest::newRow("six keys, values as read")
            << QByteArray("MYCALL= ja1abc \r\nCAT=\t3 \r\nRIG= 2 \r\nRS232C=9600,N=8,1=\r\nICOM= "
                          "7a\r\nCONTROL=e0 \r\n")
            << false << u" JA1ABC |\t3| 2 |9600,N=8,1=| 7a|e0 "_s;
        // Lower-case keys count; a blank before "=" or the key, a comment or a longer key does not.
        QTest::newRow("key spelling")
            << QByteArray("mycall=abc\r\nCAT =3\r\n RIG=1\r\n'RIG=2\r\nRIGS=2\r\nRig=3\r\nrig=4\r\n") << false
            << u"ABC|~|4|~||"_s;
        QTest::newRow("empty values are present")
            << QByteArray("CAT=\r\nRIG=\r\nRS232C=\r\n") << false << u"OLD|||||"_s;
        QTest::newRow("mixed line ends")
            << QByteArray("MYCALL=a\rCAT=3\r\nRIG=1\nICOM=74") << false << u"A|3|1|~|74|"_s;
        QTest::newRow("junk and NULs")
            << QByteArrayLiteral("\x00\xff\xfe=\x01\r\n\xc3(\r\n=\r\n====\r\nCAT\x00=1\r\n") << false
            << u"OLD|~|~|~||"_s;
        QTest::newRow("100 lines, last unended")
            << (QByteArray("RIG=2\r\n") + lines(98, "x") + "CAT=5") << false << u"OLD|5|2|~||"_s;
        QTest::newRow("101st line a key")
            << (QByteArray("MYCALL=a\r\n") + lines(99, "x") + "CAT=3\r\n") << true << u"A|~|~|~||"_s;
        QTest::newRow("100 CR-only lines") << QByteArray(100, '\r') << false << u"OLD|~|~|~||"_s;
        QTest::newRow("101 CR-only lines") << QByteArray(101, '\r') << true << u"OLD|~|~|~||"_s;
    }

    void initParse()
    {
        QFETCH(QByteArray, content);
        QFETCH(bool, tooMany);
        QFETCH(QString, values);
        StationState state;
        state.myCall = u"OLD"_s; // a key the file lacks leaves what the state held
        QCOMPARE(parseInitConfig(content, state), tooMany ? ReadResult::TooManyLines : ReadResult::Ok);
        QCOMPARE(sixValues(state), values);
    }

    void initWriteReplacesWholeFile()
    {
        QTemporaryDir dir;
        const QString path = initConfigPath(dir.path());
        QCOMPARE(path, dir.path() + u"/Init.cfg"_s);
        QVERIFY(writeBytes(path, lines(150, "'a line added by hand that must not survive")));
        QString error;
        QVERIFY(writeInitConfig(
            path, {u"ja1abc"_s, u" 1 "_s, u" 0 "_s, u"9600"_s, u"N"_s, u"8"_s, u"1"_s, u"74"_s, u"45"_s},
            &error));
        QCOMPARE(fileBytes(path), initCfgBytes("ja1abc", " 1 ", " 0 ", "9600,N,8,1", "74", "45"));
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{u"Init.cfg"_s});
        StationState state;
        QCOMPARE(readInitConfig(path, state), ReadResult::Ok);
        QCOMPARE(sixValues(state), u"JA1ABC|1| 0 |9600,N,8,1|74|45"_s);
        StationState untouched;
        QCOMPARE(readInitConfig(dir.filePath(u"missing"_s), untouched), ReadResult::Unreadable);
        QCOMPARE(readInitConfig(dir.path(), untouched), ReadResult::Unreadable);
        QCOMPARE(sixValues(untouched), u"|~|~|~||"_s);
    }

    void positionParse_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QString>("expected");
        QTest::newRow("as written") << (kPositionHeader + "TOP= 1200\r\nLEFT=-300\r\n") << u"1200|-300"_s;
        QTest::newRow("fraction, text after, CR only") << QByteArray("TOP= 12.5abc\rLEFT=0\r") << u"12.5|0"_s;
        QTest::newRow("not a number") << QByteArray("TOP=abc\r\nLEFT=\r\n") << u"0|0"_s;
        QTest::newRow("key spelling")
            << QByteArray("top= 5\r\nTOP =6\r\n LEFT=7\r\nLeft= 8\r\nleft=9") << u"5|9"_s;
        QTest::newRow("header only") << kPositionHeader << u"~|~"_s;
        QTest::newRow("junk") << QByteArrayLiteral("\x00TOP=9\xff\r\n=\r\n\xfe\xfe=LEFT") << u"~|~"_s;
        QTest::newRow("no line limit") << (QByteArray(5000, '\n') + "TOP=7") << u"7|~"_s;
    }

    void positionParse()
    {
        QFETCH(QByteArray, content);
        QFETCH(QString, expected);
        QCOMPARE(edges(parseWindowPosition(content)), expected);
    }

    void positionWrite_data()
    {
        QTest::addColumn<double>("top");
        QTest::addColumn<double>("left");
        QTest::addColumn<QByteArray>("lines"); // after the header line
        QTest::newRow("negative, fraction") << -120.0 << 12.5 << QByteArray("TOP=-120\r\nLEFT= 12.5\r\n");
        QTest::newRow("zero, negative fraction") << 0.0 << -7.25 << QByteArray("TOP= 0\r\nLEFT=-7.25\r\n");
    }

    void positionWrite()
    {
        QFETCH(double, top);
        QFETCH(double, left);
        QFETCH(QByteArray, lines);
        QTemporaryDir dir;
        const QString path = windowPositionPath(dir.path());
        QCOMPARE(path, dir.path() + u"/MyVeltraneData.dat"_s);
        QString error;
        QVERIFY(writeWindowPosition(path, top, left, &error));
        QCOMPARE(fileBytes(path), kPositionHeader + lines);
        WindowPosition pos;
        QCOMPARE(readWindowPosition(path, pos), 0);
        QCOMPARE(pos.top, std::optional<double>(top));
        QCOMPARE(pos.left, std::optional<double>(left));
    }

    void positionRead()
    {
        QTemporaryDir dir;
        WindowPosition pos{1800.0, 99.0}; // a failed read, or an edge the file lacks, leaves what was there
        QCOMPARE(readWindowPosition(dir.filePath(u"MyVeltraneData.dat"_s), pos), 53);
        QCOMPARE(readWindowPosition(dir.filePath(u"gone/MyVeltraneData.dat"_s), pos), 53);
        QCOMPARE(readWindowPosition(dir.path(), pos), 75);
        QCOMPARE(edges(pos), u"1800|99"_s);
        QVERIFY(writeBytes(dir.filePath(u"MyVeltraneData.dat"_s), "LEFT= 30\r\n"));
        QCOMPARE(readWindowPosition(dir.filePath(u"MyVeltraneData.dat"_s), pos), 0);
        QCOMPARE(edges(pos), u"1800|30"_s);
    }

    void serialFields_data()
    {
        QTest::addColumn<QString>("settings");
        QTest::addColumn<QString>("fields"); // speed|parity|data bits|stop bits; "~": no parity
        QTest::newRow("two-character parity shifts") << u"9600,NN,8,1"_s << u"9600|N|0|0"_s;
        QTest::newRow("short text") << u"1200,N"_s << u"1200|N|0|0"_s;
        QTest::newRow("no comma") << u"2400"_s << u"2400|~|0|0"_s;
        QTest::newRow("no rate") << u",N,8,1"_s << u"|N|8|1"_s;
        QTest::newRow("junk") << u"x,\u00e9,\u0663,9"_s << u"|\u00c9|0|9"_s;
    }

    void serialFields()
    {
        QFETCH(QString, settings);
        QFETCH(QString, fields);
        const SerialSettingsFields f = readSerialSettingsFields(settings);
        const QString parity = f.parity.isNull() ? u"~"_s : QString(f.parity);
        QCOMPARE(f.speed + u'|' + parity + u'|' + QString::number(f.dataBits) + u'|' +
                     QString::number(f.stopBits),
                 fields);
    }

    void icomModels()
    {
        QCOMPARE(icomAddressAt(0), u"6A"_s);
        QCOMPARE(icomAddressAt(8), u"7C"_s);
        QCOMPARE(icomAddressAt(-1), QString());
        QCOMPARE(icomAddressAt(9), QString());
        QCOMPARE(icomModelForAddress(u"74"_s), std::optional<int>(1));
        QCOMPARE(icomModelForAddress(u"64"_s), std::optional<int>(5)); // the first of two models
        QCOMPARE(icomModelForAddress(u" 5c "_s), std::optional<int>(7));
        QCOMPARE(icomModelForAddress(u"01"_s), std::nullopt);
        QCOMPARE(icomModelForAddress(QString()), std::nullopt);
    }

    void serialDevices()
    {
        QTemporaryDir dev;
        const QString d = dev.path();
        QCOMPARE(serialDeviceNames(d), QStringList());
        QCOMPARE(serialDeviceNames(dev.filePath(u"nothing"_s)), QStringList());
        QVERIFY(QDir(d).mkpath(u"serial/by-id"_s));
        for (const QString &name : {u"ttyUSB1"_s, u"ttyUSB0"_s, u"ttyACM0"_s, u"ttyS0"_s, u"null"_s})
            QVERIFY(writeBytes(dev.filePath(name), {}));
        QVERIFY(QFile::link(u"../../ttyUSB0"_s, dev.filePath(u"serial/by-id/usb-FTDI-port0"_s)));
        QVERIFY(QFile::link(u"../../ttyACM9"_s, dev.filePath(u"serial/by-id/usb-Arduino"_s))); // dangling
        QCOMPARE(serialDeviceNames(d),
                 (QStringList{d + u"/serial/by-id/usb-Arduino"_s, d + u"/serial/by-id/usb-FTDI-port0"_s,
                              d + u"/ttyACM0"_s, d + u"/ttyUSB0"_s, d + u"/ttyUSB1"_s}));
    }
};

QTEST_GUILESS_MAIN(tst_ConfigCore)
#include "tst_ConfigCore.moc"
