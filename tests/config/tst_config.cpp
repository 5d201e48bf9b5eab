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
#include <QStringEncoder>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace Qt::StringLiterals;
using namespace veltrane::config;
using veltrane::cat::PortKind;
using veltrane::testing::initCfgBytes;

namespace {

// The six values the Init.cfg reader fills, "|"-separated; "~" marks a value left unset, "?"
// after RIG='s one that is no number (start-up refuses it).
QString sixValues(const StationConfig &s)
{
    const auto opt = [](const std::optional<QString> &v) { return v ? *v : u"~"_s; };
    return s.myCall + u'|' + opt(s.catPort) + u'|' + opt(s.rigCode) + (s.rig.isNumber ? u"|"_s : u"?|"_s) +
           opt(s.serialSettings) + u'|' + s.icomAddressHex + u'|' + s.controllerAddressHex;
}

// text in UTF-16 after its byte-order mark.
QByteArray utf16(const QString &text, QStringConverter::Encoding encoding)
{
    return QStringEncoder(encoding, QStringConverter::Flag::WriteBom).encode(text);
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

// A configuration as the settings dialog passes it, and the nine lines it is written as.
const InitConfig kCfg{u"ja1abc"_s, u" 1 "_s, u" 0 "_s, u"9600"_s, u"N"_s,
                      u"8"_s,      u"1"_s,   u"74"_s,  u"45"_s,   {}};
const QByteArray kNine = initCfgBytes("ja1abc", " 1 ", " 0 ", "9600,N,8,1", "74", "45");

const QByteArray kPositionHeader = "============== My Intial Data Setting ================\r\n";

// Saves Init.cfg and the window position into dir while a fault is in force: both saves must
// fail, give a reason starting with why, keep the old Init.cfg (kNine) whole and leave no
// half-written file beside it (files: what the folder must hold, sorted).
void expectFailedSaves(const QString &dir, const QString &why, const QStringList &files = {u"Init.cfg"_s})
{
    QString initReason, positionReason;
    QVERIFY(!writeInitConfig(initConfigPath(dir), kCfg, &initReason));
    QVERIFY(!writeWindowPosition(windowPositionPath(dir), 1, 2, &positionReason));
    QVERIFY2(!initReason.isEmpty() && initReason.startsWith(why), qPrintable(initReason));
    QVERIFY2(!positionReason.isEmpty() && positionReason.startsWith(why), qPrintable(positionReason));
    QCOMPARE(fileBytes(initConfigPath(dir)), kNine);
    QCOMPARE(QDir(dir).entryList(QDir::Files | QDir::Hidden, QDir::Name), files);
}

} // namespace

class tst_Config : public QObject
{
    Q_OBJECT

private slots:
    void initParse()
    {
        const std::pair<QByteArray, QString> rows[] = {
            // content, the six values read ("!" after them: the file has too many lines)
            {"", u"OLD|~|~|~||"_s}, // an empty file
            // Six keys, the values as read.
            {"MYCALL= ja1abc \r\nCAT=\t3 \r\nRIG= 2 \r\nRS232C=9600,N=8,1=\r\nICOM= 7a\r\nCONTROL=e0 \r\n",
             u" JA1ABC |\t3| 2 |9600,N=8,1=| 7a|e0 "_s},
            // Lower-case keys count; a blank before "=" or the key, a comment or a longer key does not.
            {"mycall=abc\r\nCAT =3\r\n RIG=1\r\n'RIG=2\r\nRIGS=2\r\nRig=3\r\nrig=4\r\n", u"ABC|~|4|~||"_s},
            {"MYCALL=a\rCAT=3\r\nRIG=1\nICOM=74", u"A|3|1|~|74|"_s}, // mixed line ends
            {"RIG=\r\n", u"OLD|~|?|~||"_s},                          // an empty RIG= is no family 0
            // Junk and NULs.
            {"\x00\xff\xfe=\x01\r\n\xc3(\r\n=\r\n====\r\nCAT\x00=1\r\n"_ba, u"OLD|~|~|~||"_s},
            // 100 lines, the last unended; a key on the 101st line; 101 CR-only lines.
            {"RIG=2\r\n" + QByteArray("x\r\n").repeated(98) + "CAT=5", u"OLD|5|2|~||"_s},
            {"MYCALL=a\r\n" + QByteArray("x\r\n").repeated(99) + "CAT=3\r\n", u"A|~|~|~||!"_s},
            {QByteArray(101, '\r'), u"OLD|~|~|~||!"_s},
            // Files an editor on another system saved: a byte-order mark, lines ended by LF CR
            // (58 of them are 58 lines, not 116).
            {utf16(u"MYCALL=ja1abc\r\nCAT= 3 \r\n"_s, QStringConverter::Utf16LE), u"JA1ABC|3|~|~||"_s},
            {utf16(u"MYCALL=ja1abc\r\nCAT= 3 \r\n"_s, QStringConverter::Utf16BE), u"JA1ABC|3|~|~||"_s},
            {"\xEF\xBB\xBFMYCALL=ja1abc\r\nCAT= 3 \r\n", u"JA1ABC|3|~|~||"_s},
            {QByteArray("x\n\r").repeated(57) + "CAT=4\n\r", u"OLD|4|~|~||"_s},
        };
        for (const auto &[content, values] : rows) {
            StationConfig state;
            state.myCall = u"OLD"_s; // a key the file lacks leaves what the state held
            QCOMPARE(parseInitConfig(content, state),
                     values.endsWith(u'!') ? ReadResult::TooManyLines : ReadResult::Ok);
            QCOMPARE(sixValues(state), QString(values).remove(u'!'));
        }
    }

    // Settings beyond the nine lines: read with the same grammar wherever they stand (unknown
    // keys and words ignored), written after the nine only when they differ from their defaults.
    void extensionSettings()
    {
        StationConfig read;
        parseInitConfig(
            "DTR= off \r\nMYCALL=a\r\nrts=ON\r\nFLOW=RtsCts\r\nBANDMODE=SOMETIMES\r\nFlow=BOTH\r\n"
            "COLOUR=1\r\nDECODER=on\r\nDECODERHOST= 239.255.0.1 \r\nDECODERPORT=65536\r\n"
            "DECODERPORT=2.5\r\nDECODERHOST=a b\r\n",
            read);
        QCOMPARE(extensionLines(read.extensions).join(u' '),
                 u"DTR=OFF RTS=ON FLOW=BOTH DECODER=ON DECODERHOST=239.255.0.1"_s);
        InitConfig cfg = kCfg;
        cfg.extensions.flow = FlowControl::XonXoff;
        cfg.extensions.bandPickSetsUsb = false;
        cfg.extensions.decoderPort = 2238;
        QCOMPARE(formatInitConfig(cfg), kNine + "FLOW=XONXOFF\r\nBANDMODE=KEEP\r\nDECODERPORT=2238\r\n");
        StationConfig again;
        QCOMPARE(parseInitConfig(formatInitConfig(cfg), again), ReadResult::Ok);
        QVERIFY(again.extensions == cfg.extensions);
    }

    // Only regular files of a bounded size are read; nothing blocks, nothing grows without end.
    // A failed read, or an edge the file lacks, leaves the window position that was there.
    void hostileFiles()
    {
        QTemporaryDir dir;
        QVERIFY(writeBytes(dir.filePath(u"regular"_s), "LEFT= 30\r\n"));
        QVERIFY(writeBytes(dir.filePath(u"limit"_s), QByteArray(kTextFileLimit, 'x')));
        QVERIFY(writeBytes(dir.filePath(u"huge"_s), QByteArray(kTextFileLimit + 1, 'x')));
        QVERIFY(QFile::link(u"regular"_s, dir.filePath(u"link"_s)));
        QVERIFY(QFile::link(u"/dev/zero"_s, dir.filePath(u"zero"_s)));
        QVERIFY(QFile::link(dir.filePath(u"gone"_s), dir.filePath(u"dangling"_s)));
        QCOMPARE(::mkfifo(QFile::encodeName(dir.filePath(u"fifo"_s)).constData(), 0600), 0);
        using enum ReadResult;
        const std::tuple<QString, ReadResult, QString> kinds[] = {
            // name ("." the folder itself), Init.cfg read, window position read and the position then
            {u"regular"_s, Ok, u"0 1800|30"_s},
            {u"link"_s, Ok, u"0 1800|30"_s},
            {u"limit"_s, Ok, u"0 1800|99"_s},
            {u"huge"_s, TooLarge, u"75 1800|99"_s},
            {u"zero"_s, NotRegular, u"75 1800|99"_s},
            {u"fifo"_s, NotRegular, u"75 1800|99"_s},
            {u"dangling"_s, NotRegular, u"75 1800|99"_s},
            {u"."_s, NotRegular, u"75 1800|99"_s},
            {u"missing"_s, Unreadable, u"53 1800|99"_s}};
        for (const auto &[name, init, position] : kinds) {
            StationConfig config;
            QCOMPARE(readInitConfig(dir.filePath(name), config), init);
            WindowPosition pos{1800.0, 99.0};
            const int code = readWindowPosition(dir.filePath(name), pos);
            QCOMPARE(name + u' ' + QString::number(code) + u' ' + edges(pos), name + u' ' + position);
        }
    }

    // A save that cannot complete leaves the old file whole and says why: a file-size limit makes
    // the write fail part-way; as root, a small tmpfs fills up and is then made read-only; as
    // anyone else, the folder loses its write permission.
    void failedSavesKeepTheOldFile()
    {
        QTemporaryDir dir;
        const QByteArray path = QFile::encodeName(dir.path());
        const bool root = ::geteuid() == 0;
        if (root && ::mount("tmpfs", path.constData(), "tmpfs", 0, "size=16k") != 0)
            QSKIP("root could not mount a small tmpfs");
        const auto unmount = qScopeGuard([&] { root && ::umount2(path.constData(), MNT_DETACH); });
        QVERIFY(writeInitConfig(initConfigPath(dir.path()), kCfg, nullptr));
        rlimit old{};
        QCOMPARE(::getrlimit(RLIMIT_FSIZE, &old), 0);
        const rlimit small{20, old.rlim_max};
        const auto oldSignal = std::signal(SIGXFSZ, SIG_IGN);
        QCOMPARE(::setrlimit(RLIMIT_FSIZE, &small), 0);
        expectFailedSaves(dir.path(), u"ファイルを書き込めませんでした。"_s); // the system names the cause
        ::setrlimit(RLIMIT_FSIZE, &old);
        std::signal(SIGXFSZ, oldSignal);
        if (!root) {
            QVERIFY(QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::ExeOwner));
            const auto writable = qScopeGuard([&] {
                QFile::setPermissions(dir.path(), QFile::permissions(dir.path()) | QFile::WriteOwner);
            });
            return expectFailedSaves(dir.path(), u"このフォルダーに書き込む許可がありません。"_s);
        }
        QFile filler(dir.filePath(u"filler"_s));
        QVERIFY(filler.open(QIODevice::WriteOnly | QIODevice::Unbuffered));
        QVERIFY(filler.write(QByteArray(64 * 1024, 'x')) < 64 * 1024); // fills the disk
        expectFailedSaves(dir.path(), u"ディスクの空きが足りません。"_s, {u"Init.cfg"_s, u"filler"_s});
        QVERIFY(filler.remove());
        QCOMPARE(::mount("tmpfs", path.constData(), "tmpfs", MS_REMOUNT | MS_RDONLY, "size=16k"), 0);
        expectFailedSaves(dir.path(), u"読み取り専用のディスクです。"_s);
    }

    // The window position file: the exact bytes written, and what reading takes from a file.
    void windowPositionFile()
    {
        QTemporaryDir dir;
        const QString path = windowPositionPath(dir.path());
        QCOMPARE(path, dir.path() + u"/MyVeltraneData.dat"_s);
        QVERIFY(writeWindowPosition(path, -120.0, 12.5, nullptr));
        QCOMPARE(fileBytes(path), kPositionHeader + "TOP=-120\r\nLEFT= 12.5\r\n");
        QVERIFY(writeWindowPosition(path, 0.0, -7.25, nullptr));
        QCOMPARE(fileBytes(path), kPositionHeader + "TOP= 0\r\nLEFT=-7.25\r\n");
        const std::pair<QByteArray, QString> files[] = {
            {fileBytes(path), u"0|-7.25"_s},         // the file just written
            {"TOP= 12.5abc\rLEFT=0\r", u"12.5|0"_s}, // a fraction, text after it, CR-only line ends
            {"top= 5\r\nTOP =6\r\n LEFT=7\r\nLeft= 8\r\nleft=9", u"5|9"_s}, // key spelling
            {"\x00TOP=9\xff\r\n=\r\n\xfe\xfe=LEFT"_ba, u"~|~"_s},
            {QByteArray(5000, '\n') + "TOP=7", u"7|~"_s}, // no line limit
        };
        for (const auto &[content, expected] : files)
            QCOMPARE(edges(parseWindowPosition(content)), expected);
    }

    // The CAT= text read as a tcp:// port, or as a rigctld address: the device it gives (empty:
    // refused, with a reason). Numbered ports, device paths and an empty CAT= are start-up's
    // (tst_link, and the settings dialog after a failed start in tst_mainwindow).
    void catAddress()
    {
        const auto check = [](PortKind kind, const QString &text, const QString &device) {
            const auto parsed = parseCatAddress(text, kind);
            QCOMPARE(parsed.address ? parsed.address->device : QString(), device);
            QCOMPARE(parsed.error.isEmpty(), !device.isEmpty());
            // A network address's url reads back as the same address.
            if (parsed.address && parsed.address->kind == CatAddress::Kind::Tcp)
                QCOMPARE(parseTcpUrl(device).address, std::optional<NetAddress>(parsed.address->net));
        };
        check(PortKind::Device, u"  TCP://10.0.0.2:4000 "_s, u"tcp://10.0.0.2:4000"_s);
        for (const char *bad :
             {"tcp://rigpi", "tcp://rigpi:0", "tcp://rigpi:70a0", "tcp://:7000", "tcp://rig pi:7000",
              "tcp://::1:7000", "tcp://[::1:7000", "tcp://[rigpi]:7000", "tcp://[1::2::3]:7000"})
            check(PortKind::Device, QString::fromLatin1(bad), QString());
        check(PortKind::RigctldAddress, u"tcp://shack-pi"_s, u"tcp://shack-pi:4532"_s);
        check(PortKind::RigctldAddress, u" [fe80::1]:4600 "_s, u"tcp://[fe80::1]:4600"_s);
        check(PortKind::RigctldAddress, u"[::ffff:10.0.0.1]"_s, u"tcp://[::ffff:10.0.0.1]:4532"_s);
        for (const char *bad :
             {"", "host:", "host:65536", "host:045320", "::1:4532", "udp://host:4532", "[::1]x"})
            check(PortKind::RigctldAddress, QString::fromLatin1(bad), QString());
    }

    void numbersReadTheCWay()
    {
        // Under any locale a full stop is the decimal point and a comma ends the number (the
        // whole test also runs under de_DE.UTF-8, a decimal-comma locale).
        QStringList leading, whole;
        for (const char16_t *text : {u" 14076.520", u"14076,520", u"-15x", u"+.5", u"No Data"})
            leading << QString::number(leadingNumber(text), 'g', 12);
        QCOMPARE(leading.join(u' '), u"14076.52 14076 -15 0.5 0"_s);
        for (const char16_t *text :
             {u" -523 ", u"523.9", u"+12.", u"", u"52a", u"5,2", u"1e3", u"--5", u"5-", u"."})
            whole << (wholeNumber(text) ? QString::number(*wholeNumber(text), 'g', 12) : u"~"_s);
        QCOMPARE(whole.join(u' '), u"-523 523.9 12 ~ ~ ~ ~ ~ ~ ~"_s);
    }

    void serialDevices()
    {
        QTemporaryDir dev;
        const QString d = dev.path();
        QCOMPARE(serialDeviceNames(d) + serialDeviceNames(dev.filePath(u"nothing"_s)), QStringList());
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
