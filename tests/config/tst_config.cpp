// SPDX-License-Identifier: GPL-3.0-or-later
// The configuration: Init.cfg and the window position file (odd files read, exact bytes written,
// failures), RIG= and the CAT= address as start-up reads them, numbers read the C way, and the
// small rules behind the dialogs.

#include "config/CatAddress.h"
#include "config/InitConfigFile.h"
#include "config/SerialDeviceList.h"
#include "config/TextFile.h"
#include "config/TextNumber.h"
#include "config/WindowPositionFile.h"
#include "support/InitCfgBytes.h"

#include <QDir>
#include <QFile>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>

#include <clocale>

#include <csignal>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace Qt::StringLiterals;
using namespace veltrane::config;
using veltrane::testing::initCfgBytes;

namespace {

// The six values the Init.cfg reader fills, "|"-separated; "~" marks a value left unset.
QString sixValues(const StationConfig &s)
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

// What the failed-save tests save over.
const InitConfig kSaved{u"JA1ABC"_s, u" 1 "_s, u" 0 "_s, u"9600"_s, u"N"_s,
                        u"8"_s,      u"1"_s,   u"74"_s,  u"45"_s,   {}};

const QByteArray kPositionHeader = "============== My Intial Data Setting ================\r\n";

} // namespace

class tst_Config : public QObject
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
        QTest::newRow("mixed line ends")
            << QByteArray("MYCALL=a\rCAT=3\r\nRIG=1\nICOM=74") << false << u"A|3|1|~|74|"_s;
        QTest::newRow("junk and NULs")
            << QByteArrayLiteral("\x00\xff\xfe=\x01\r\n\xc3(\r\n=\r\n====\r\nCAT\x00=1\r\n") << false
            << u"OLD|~|~|~||"_s;
        QTest::newRow("100 lines, last unended")
            << (QByteArray("RIG=2\r\n") + lines(98, "x") + "CAT=5") << false << u"OLD|5|2|~||"_s;
        QTest::newRow("101st line a key")
            << (QByteArray("MYCALL=a\r\n") + lines(99, "x") + "CAT=3\r\n") << true << u"A|~|~|~||"_s;
        QTest::newRow("101 CR-only lines") << QByteArray(101, '\r') << true << u"OLD|~|~|~||"_s;
    }

    void initParse()
    {
        QFETCH(QByteArray, content);
        QFETCH(bool, tooMany);
        QFETCH(QString, values);
        StationConfig state;
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
            path, {u"ja1abc"_s, u" 1 "_s, u" 0 "_s, u"9600"_s, u"N"_s, u"8"_s, u"1"_s, u"74"_s, u"45"_s, {}},
            &error));
        QCOMPARE(fileBytes(path), initCfgBytes("ja1abc", " 1 ", " 0 ", "9600,N,8,1", "74", "45"));
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{u"Init.cfg"_s});
        StationConfig state;
        QCOMPARE(readInitConfig(path, state), ReadResult::Ok);
        QCOMPARE(sixValues(state), u"JA1ABC|1| 0 |9600,N,8,1|74|45"_s);
        StationConfig untouched;
        QCOMPARE(readInitConfig(dir.filePath(u"missing"_s), untouched), ReadResult::Unreadable);
        QCOMPARE(readInitConfig(dir.path(), untouched), ReadResult::NotRegular);
        QCOMPARE(sixValues(untouched), u"|~|~|~||"_s);
    }

    // Settings beyond the nine lines: read with the same grammar wherever they stand (unknown
    // keys and words ignored), written after the nine only when they differ from their defaults.
    void extensionSettings()
    {
        StationConfig read;
        QCOMPARE(parseInitConfig("DTR= off \r\nMYCALL=a\r\nrts=ON\r\nFLOW=RtsCts\r\nBANDMODE=SOMETIMES\r\n"
                                 "Flow=BOTH\r\nCOLOUR=1\r\nDECODER=on\r\nDECODERHOST= 239.255.0.1 \r\n"
                                 "DECODERPORT=65536\r\nDECODERPORT=2.5\r\nDECODERHOST=a b\r\n",
                                 read),
                 ReadResult::Ok);
        QCOMPARE(extensionLines(read.extensions),
                 (QStringList{u"DTR=OFF"_s, u"RTS=ON"_s, u"FLOW=BOTH"_s, u"DECODER=ON"_s,
                              u"DECODERHOST=239.255.0.1"_s}));
        InitConfig cfg{u"ja1abc"_s, u" 1 "_s, u" 0 "_s, u"9600"_s, u"N"_s,
                       u"8"_s,      u"1"_s,   u"74"_s,  u"45"_s,   {}};
        const QByteArray nine = initCfgBytes("ja1abc", " 1 ", " 0 ", "9600,N,8,1", "74", "45");
        QCOMPARE(formatInitConfig(cfg), nine);
        cfg.extensions.flow = FlowControl::XonXoff;
        cfg.extensions.bandPickSetsUsb = false;
        cfg.extensions.decoderPort = 2238;
        QCOMPARE(formatInitConfig(cfg), nine + "FLOW=XONXOFF\r\nBANDMODE=KEEP\r\nDECODERPORT=2238\r\n");
        StationConfig again;
        QCOMPARE(parseInitConfig(formatInitConfig(cfg), again), ReadResult::Ok);
        QVERIFY(again.extensions == cfg.extensions);
    }

    // Only regular files of a bounded size are read; nothing blocks, nothing grows without end.
    void hostileFiles()
    {
        QTemporaryDir dir;
        const QString regular = dir.filePath(u"regular"_s);
        QVERIFY(writeBytes(regular, "CAT=3\r\n"));
        QVERIFY(writeBytes(dir.filePath(u"limit"_s), QByteArray(kTextFileLimit, 'x')));
        QVERIFY(writeBytes(dir.filePath(u"huge"_s), QByteArray(kTextFileLimit + 1, 'x')));
        QVERIFY(QFile::link(regular, dir.filePath(u"link"_s)));
        QVERIFY(QFile::link(u"/dev/zero"_s, dir.filePath(u"zero"_s)));
        QVERIFY(QFile::link(dir.filePath(u"gone"_s), dir.filePath(u"dangling"_s)));
        QCOMPARE(::mkfifo(QFile::encodeName(dir.filePath(u"fifo"_s)).constData(), 0600), 0);
        const std::pair<const char16_t *, ReadResult> kinds[] = {{u"regular", ReadResult::Ok},
                                                                 {u"link", ReadResult::Ok},
                                                                 {u"limit", ReadResult::Ok},
                                                                 {u"huge", ReadResult::TooLarge},
                                                                 {u"zero", ReadResult::NotRegular},
                                                                 {u"fifo", ReadResult::NotRegular},
                                                                 {u"dangling", ReadResult::NotRegular},
                                                                 {u"missing", ReadResult::Unreadable}};
        for (const auto &[name, result] : kinds) {
            StationConfig config;
            QCOMPARE(readInitConfig(dir.filePath(QString::fromUtf16(name)), config), result);
            WindowPosition pos;
            QCOMPARE(readWindowPosition(dir.filePath(QString::fromUtf16(name)), pos),
                     result == ReadResult::Ok                  ? 0
                     : name == std::u16string_view(u"missing") ? 53
                                                               : 75);
        }
    }

    // Files an editor on another system saved: a byte-order mark, LF CR line ends.
    void encodingsAndLineEnds()
    {
        const QByteArray utf16le =
            QByteArray("\xFF\xFE") +
            QByteArray(reinterpret_cast<const char *>(u"MYCALL=ja1abc\r\nCAT= 3 \r\n"), 52);
        QByteArray utf16be = utf16le;
        for (qsizetype i = 0; i + 1 < utf16be.size(); i += 2)
            std::swap(utf16be[i], utf16be[i + 1]);
        for (const QByteArray &content : {utf16le, utf16be, "\xEF\xBB\xBFMYCALL=ja1abc\r\nCAT= 3 \r\n"_ba}) {
            StationConfig config;
            QCOMPARE(parseInitConfig(content, config), ReadResult::Ok);
            QCOMPARE(config.myCall + u'|' + config.catPort.value_or(QString()), u"JA1ABC|3"_s);
        }
        StationConfig config; // 58 lines ended by LF CR are 58 lines, not 116
        QCOMPARE(parseInitConfig(lines(57, "x").replace("\r\n", "\n\r") + "CAT=4\n\r", config),
                 ReadResult::Ok);
        QCOMPARE(config.catPort, std::optional<QString>(u"4"_s));
    }

    // A save that cannot complete leaves the old file whole and says why. Needs root for the
    // small disk (a tmpfs) and the read-only one.
    void failedSavesKeepTheOldFile()
    {
        QTemporaryDir dir;
        const QByteArray path = QFile::encodeName(dir.path());
        if (::geteuid() != 0 || ::mount("tmpfs", path.constData(), "tmpfs", 0, "size=16k") != 0)
            QSKIP("a small tmpfs needs root");
        const auto unmount = qScopeGuard([&] { ::umount2(path.constData(), MNT_DETACH); });
        const QString file = initConfigPath(dir.path());
        const InitConfig cfg = kSaved;
        QString reason;
        QVERIFY(writeInitConfig(file, cfg, &reason));
        const QByteArray good = fileBytes(file);
        QFile filler(dir.filePath(u"filler"_s));
        QVERIFY(filler.open(QIODevice::WriteOnly | QIODevice::Unbuffered));
        while (filler.write(QByteArray(1024, 'x')) > 0) {
        }
        QVERIFY(!writeInitConfig(file, cfg, &reason));
        QVERIFY2(reason.startsWith(u"ディスクの空きが足りません。"), qPrintable(reason));
        QVERIFY(!writeWindowPosition(windowPositionPath(dir.path()), 1, 2, &reason));
        QCOMPARE(fileBytes(file), good);
        QStringList left = QDir(dir.path()).entryList(QDir::Files | QDir::Hidden);
        left.sort();
        QCOMPARE(left, (QStringList{u"Init.cfg"_s, u"filler"_s})); // no half-written file beside it
        filler.close();
        QVERIFY(QFile::remove(dir.filePath(u"filler"_s)));
        QCOMPARE(::mount("tmpfs", path.constData(), "tmpfs", MS_REMOUNT | MS_RDONLY, "size=16k"), 0);
        QVERIFY(!writeInitConfig(file, cfg, &reason));
        QVERIFY2(reason.startsWith(u"読み取り専用のディスクです。"), qPrintable(reason));
        QCOMPARE(fileBytes(file), good);
        qInfo().noquote() << "Init.cfg kept at" << good.size() << "bytes; read-only disk:" << reason;
    }

    // The same without root: a file-size limit makes the write fail part-way (as a full disk
    // does), and a folder without write permission refuses the save.
    void savesFailingPartWayKeepTheOldFile()
    {
        QTemporaryDir dir;
        const QString file = initConfigPath(dir.path());
        const InitConfig cfg = kSaved;
        QString reason;
        QVERIFY(writeInitConfig(file, cfg, &reason));
        const QByteArray good = fileBytes(file);
        {
            rlimit old{};
            QCOMPARE(::getrlimit(RLIMIT_FSIZE, &old), 0);
            const auto oldSignal = std::signal(SIGXFSZ, SIG_IGN);
            const auto restore = qScopeGuard([&] {
                ::setrlimit(RLIMIT_FSIZE, &old);
                std::signal(SIGXFSZ, oldSignal);
            });
            const rlimit small{20, old.rlim_max};
            QCOMPARE(::setrlimit(RLIMIT_FSIZE, &small), 0);
            QVERIFY(!writeInitConfig(file, cfg, &reason));
            QVERIFY(!writeWindowPosition(windowPositionPath(dir.path()), 1, 2, &reason));
        }
        QVERIFY(!reason.isEmpty());
        QCOMPARE(fileBytes(file), good);
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{u"Init.cfg"_s});
        if (::geteuid() == 0)
            return; // root writes into any folder
        QVERIFY(QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::ExeOwner));
        const auto writable = qScopeGuard(
            [&] { QFile::setPermissions(dir.path(), QFile::permissions(dir.path()) | QFile::WriteOwner); });
        QVERIFY(!writeInitConfig(file, cfg, &reason));
        QVERIFY2(reason.startsWith(u"このフォルダーに書き込む許可がありません。"), qPrintable(reason));
        QCOMPARE(fileBytes(file), good);
    }

    void positionParse_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QString>("expected");
        QTest::newRow("as written") << (kPositionHeader + "TOP= 1200\r\nLEFT=-300\r\n") << u"1200|-300"_s;
        QTest::newRow("fraction, text after, CR only") << QByteArray("TOP= 12.5abc\rLEFT=0\r") << u"12.5|0"_s;
        QTest::newRow("key spelling")
            << QByteArray("top= 5\r\nTOP =6\r\n LEFT=7\r\nLeft= 8\r\nleft=9") << u"5|9"_s;
        QTest::newRow("junk") << QByteArrayLiteral("\x00TOP=9\xff\r\n=\r\n\xfe\xfe=LEFT") << u"~|~"_s;
        QTest::newRow("no line limit") << (QByteArray(5000, '\n') + "TOP=7") << u"7|~"_s;
    }

    void positionParse()
    {
        QFETCH(QByteArray, content);
        QFETCH(QString, expected);
        QCOMPARE(edges(parseWindowPosition(content)), expected);
    }

    void positionWrite()
    {
        QTemporaryDir dir;
        const QString path = windowPositionPath(dir.path());
        QCOMPARE(path, dir.path() + u"/MyVeltraneData.dat"_s);
        QString error;
        QVERIFY(writeWindowPosition(path, -120.0, 12.5, &error));
        QCOMPARE(fileBytes(path), kPositionHeader + "TOP=-120\r\nLEFT= 12.5\r\n");
        QVERIFY(writeWindowPosition(path, 0.0, -7.25, &error));
        QCOMPARE(fileBytes(path), kPositionHeader + "TOP= 0\r\nLEFT=-7.25\r\n");
        WindowPosition pos;
        QCOMPARE(readWindowPosition(path, pos), 0);
        QCOMPARE(edges(pos), u"0|-7.25"_s);
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

    void rigCode_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<bool>("isNumber");
        QTest::addColumn<int>("code"); // -1: no family
        QTest::newRow("absent") << QByteArray("CAT=3\r\n") << true << 0;
        QTest::newRow("padded") << QByteArray("RIG= 2 \r\n") << true << 2;
        QTest::newRow("rigctld") << QByteArray("RIG=4\r\n") << true << 4;
        QTest::newRow("outside the table") << QByteArray("RIG=7\r\n") << true << -1;
        QTest::newRow("not a number") << QByteArray("RIG=FT897\r\n") << false << -1;
        QTest::newRow("empty") << QByteArray("RIG=\r\n") << false << -1;
    }

    void rigCode()
    {
        QFETCH(QByteArray, content);
        QFETCH(bool, isNumber);
        QFETCH(int, code);
        StationConfig config;
        parseInitConfig(content, config);
        QCOMPARE(config.rig.isNumber, isNumber);
        QCOMPARE(config.rig.code().value_or(-1), code);
    }

    void catAddress_data()
    {
        QTest::addColumn<bool>("rigctld"); // read as a rigctld address, else as a device or tcp:// port
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("device"); // empty: refused
        QTest::newRow("port number") << false << u" 3 "_s << u"/dev/ttyS2"_s;
        QTest::newRow("by-id path") << false << u"/dev/serial/by-id/usb-FTDI-port0"_s
                                    << u"/dev/serial/by-id/usb-FTDI-port0"_s;
        QTest::newRow("empty") << false << QString() << QString();
        QTest::newRow("tcp name") << false << u"  TCP://10.0.0.2:4000 "_s << u"tcp://10.0.0.2:4000"_s;
        for (const char *bad :
             {"tcp://rigpi", "tcp://rigpi:0", "tcp://rigpi:70a0", "tcp://:7000", "tcp://rig pi:7000",
              "tcp://::1:7000", "tcp://[::1:7000", "tcp://[rigpi]:7000", "tcp://[1::2::3]:7000"})
            QTest::newRow(bad) << false << QString::fromLatin1(bad) << QString();
        QTest::newRow("rigctld host") << true << u"localhost"_s << u"tcp://localhost:4532"_s;
        QTest::newRow("rigctld tcp form") << true << u"tcp://shack-pi"_s << u"tcp://shack-pi:4532"_s;
        QTest::newRow("rigctld ipv6 and port") << true << u" [fe80::1]:4600 "_s << u"tcp://[fe80::1]:4600"_s;
        QTest::newRow("rigctld mapped ipv4")
            << true << u"[::ffff:10.0.0.1]"_s << u"tcp://[::ffff:10.0.0.1]:4532"_s;
        for (const char *bad :
             {"", "host:", "host:65536", "host:045320", "::1:4532", "udp://host:4532", "[::1]x"})
            QTest::newRow(bad) << true << QString::fromLatin1(bad) << QString();
    }

    void catAddress()
    {
        QFETCH(bool, rigctld);
        QFETCH(QString, text);
        QFETCH(QString, device);
        const auto parsed = parseCatAddress(text, rigctld ? veltrane::cat::PortKind::RigctldAddress
                                                          : veltrane::cat::PortKind::Device);
        QCOMPARE(parsed.address ? parsed.address->device : QString(), device);
        QCOMPARE(parsed.error.isEmpty(), !device.isEmpty());
        // A network address's url reads back as the same address.
        if (parsed.address && parsed.address->kind == CatAddress::Kind::Tcp)
            QCOMPARE(parseTcpUrl(device).address, std::optional<NetAddress>(parsed.address->net));
    }

    void numbersReadTheCWay()
    {
        // Under any locale a full stop is the decimal point and a comma ends the number; a
        // decimal-comma locale is taken for the C library where the machine has one.
        const QByteArray before = std::setlocale(LC_NUMERIC, nullptr);
        std::setlocale(LC_NUMERIC, "de_DE.UTF-8");
        QCOMPARE(leadingNumber(u" 14076.520"), 14076.52);
        QCOMPARE(leadingNumber(u"14076,520"), 14076.0);
        QCOMPARE(leadingNumber(u"-15x"), -15.0);
        QCOMPARE(leadingNumber(u"+.5"), 0.5);
        QCOMPARE(leadingNumber(u"No Data"), 0.0);
        QCOMPARE(wholeNumber(u" -523 "), std::optional<double>(-523));
        QCOMPARE(wholeNumber(u"523.9"), std::optional<double>(523.9));
        QCOMPARE(wholeNumber(u"+12."), std::optional<double>(12));
        for (const char16_t *bad : {u"", u"52a", u"5,2", u"1e3", u"--5", u"5-", u"."})
            QCOMPARE(wholeNumber(bad), std::nullopt);
        QCOMPARE(signedNumberText(1200), u" 1200"_s);
        QCOMPARE(signedNumberText(-7.25), u"-7.25"_s);
        std::setlocale(LC_NUMERIC, before.constData());
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

QTEST_GUILESS_MAIN(tst_Config)
#include "tst_config.moc"
