// Init.cfg: the reader's grammar on odd files, the writer's exact bytes, and the file functions.

#include "config/InitConfigFile.h"

#include <QDir>
#include <QFile>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;
using veltrane::config::InitConfig;
using veltrane::config::ReadResult;
using veltrane::config::StationState;

namespace {

// The six values the reader fills, "|"-separated; "~" marks a value left unset.
QString sixValues(const StationState &s)
{
    const auto opt = [](const std::optional<QString> &v) { return v ? *v : u"~"_s; };
    return s.myCall + u'|' + opt(s.catPort) + u'|' + opt(s.rigCode) + u'|' + opt(s.serialSettings) + u'|'
           + s.icomAddressHex + u'|' + s.controllerAddressHex;
}

QByteArray lines(int count, const QByteArray &line)
{
    QByteArray out;
    for (int i = 0; i < count; ++i)
        out += line + "\r\n";
    return out;
}

// The file the dialog writes on a first start with only a call sign typed, byte for byte.
const QByteArray kFirstStartFile =
    "MYCALL=ja1abc\r\n"
    "'CAT\xE3\x82\x92\xE3\x82\xB3\xE3\x83\xB3\xE3\x83\x88\xE3\x83\xAD\xE3\x83\xBC\xE3\x83\xAB\xE3\x81\x99\xE3\x82\x8B"
    "\xEF\xBC\xA3\xEF\xBC\xAF\xEF\xBC\xAD\xE7\x95\xAA\xE5\x8F\xB7\r\n"
    "CAT= 1 \r\n"
    "'Rig Code   0:Yaesu,  1:Kenwood  2:ICOM 3:FT897 \xE3\x80\x80\xE3\x83\xAA\xE3\x82\xB0\xE3\x81\xAE\xE7\xA8\xAE\xE9\xA1\x9E\r\n"
    "RIG= 0 \r\n"
    "'CAT \xE3\x82\xB3\xE3\x83\xB3\xE3\x83\x88\xE3\x83\xAD\xE3\x83\xBC\xE3\x83\xAB\xE3\x80\x80\xE6\x9D\xA1\xE4\xBB\xB6\r\n"
    "RS232C=9600,N,8,1\r\n"
    "ICOM=74\r\n"
    "CONTROL=45\r\n";

const InitConfig kFirstStartConfig{u"ja1abc"_s, u" 1 "_s, u" 0 "_s, u"9600"_s, u"N"_s,
                                   u"8"_s,      u"1"_s,   u"74"_s,  u"45"_s};

}  // namespace

Q_DECLARE_METATYPE(InitConfig)

class tst_InitConfigFile : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        // The expected bytes below are the UTF-8 form, the system code page on this platform.
        QCOMPARE(QByteArray(QStringEncoder(QStringConverter::System).encode(u"\u3000"_s)), QByteArray("\xE3\x80\x80"));
    }

    void parse_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<int>("result");
        QTest::addColumn<QString>("values");
        const int ok = int(ReadResult::Ok);
        const int tooMany = int(ReadResult::TooManyLines);

        QTest::newRow("empty file") << QByteArray() << ok << u"|~|~|~||"_s;
        QTest::newRow("all six keys") << QByteArray("MYCALL=ja1abc\r\nCAT= 3 \r\nRIG= 2 \r\nRS232C=4800,E,7,2\r\n"
                                                    "ICOM=7a\r\nCONTROL=E0\r\n")
                                      << ok << u"JA1ABC|3| 2 |4800,E,7,2|7a|E0"_s;
        QTest::newRow("lower-case keys") << QByteArray("mycall=abc\r\ncat=2\r\nRig=1\r\n") << ok
                                         << u"ABC|2|1|~||"_s;
        QTest::newRow("blank before =") << QByteArray("CAT =3\r\nMYCALL =X\r\n") << ok << u"|~|~|~||"_s;
        QTest::newRow("blank after key start") << QByteArray(" RIG=1\r\n") << ok << u"|~|~|~||"_s;
        QTest::newRow("= inside the value") << QByteArray("RS232C=9600,N=8,1=\r\n") << ok
                                            << u"|~|~|9600,N=8,1=||"_s;
        QTest::newRow("comment line with =") << QByteArray("'MYCALL=JA1ABC\r\n'CAT=3\r\n") << ok
                                             << u"|~|~|~||"_s;
        QTest::newRow("later line wins") << QByteArray("RIG=1\r\nMYCALL=a\r\nRIG=3\r\nMYCALL=b\r\n") << ok
                                         << u"B|~|3|~||"_s;
        QTest::newRow("call upper-cased, not trimmed") << QByteArray("MYCALL= ja1abc \r\n") << ok
                                                       << u" JA1ABC |~|~|~||"_s;
        QTest::newRow("CAT trims blanks only") << QByteArray("CAT=\t3 \r\n") << ok << u"|\t3|~|~||"_s;
        QTest::newRow("empty values are present") << QByteArray("CAT=\r\nRIG=\r\nRS232C=\r\n") << ok
                                                   << u"|||||"_s;
        QTest::newRow("addresses as read") << QByteArray("ICOM= 7a\r\nCONTROL=e0 \r\n") << ok
                                           << u"|~|~|~| 7a|e0 "_s;
        QTest::newRow("CR only") << QByteArray("MYCALL=a\rCAT=3\rRIG=1") << ok << u"A|3|1|~||"_s;
        QTest::newRow("LF only") << QByteArray("MYCALL=a\nCAT=3\nRIG=1\n") << ok << u"A|3|1|~||"_s;
        QTest::newRow("mixed line ends") << QByteArray("MYCALL=a\r\nCAT=3\rRIG=1\nICOM=74") << ok
                                         << u"A|3|1|~|74|"_s;
        QTest::newRow("no final line end") << QByteArray("CONTROL=45") << ok << u"|~|~|~||45"_s;
        QTest::newRow("unknown keys ignored") << QByteArray("MYCALLS=x\r\nCATS=1\r\nPORT=2\r\n") << ok
                                              << u"|~|~|~||"_s;
        QTest::newRow("junk bytes") << QByteArrayLiteral("\x00\xff\xfe=\x01\r\n\xc3(\r\n=\r\n=====\r\n") << ok
                                    << u"|~|~|~||"_s;
        QTest::newRow("NUL in key") << QByteArrayLiteral("CAT\x00=1\r\n") << ok << u"|~|~|~||"_s;
        QTest::newRow("very long value") << (QByteArray("RIG=") + QByteArray(100000, '7')) << ok
                                         << (u"|~|"_s + QString(100000, u'7') + u"|~||"_s);
        QTest::newRow("100 lines") << (QByteArray("RIG=2\r\n") + lines(99, "'comment")) << ok << u"|~|2|~||"_s;
        QTest::newRow("100 lines, last without end") << (lines(99, "x") + "CAT=5") << ok << u"|5|~|~||"_s;
        QTest::newRow("101st line empty") << (QByteArray("RIG=2\r\n") + lines(99, "x") + "\r\n") << tooMany
                                          << u"|~|2|~||"_s;
        QTest::newRow("101st line a key, not stored") << (QByteArray("MYCALL=a\r\n") + lines(99, "x") + "CAT=3\r\n")
                                                      << tooMany << u"A|~|~|~||"_s;
        QTest::newRow("101 CR-only lines") << QByteArray(101, '\r') << tooMany << u"|~|~|~||"_s;
        QTest::newRow("100 CR-only lines") << QByteArray(100, '\r') << ok << u"|~|~|~||"_s;
        QTest::newRow("200 lone LFs") << QByteArray(200, '\n') << tooMany << u"|~|~|~||"_s;
        QTest::newRow("written file") << kFirstStartFile << ok << u"JA1ABC|1| 0 |9600,N,8,1|74|45"_s;
    }

    void parse()
    {
        QFETCH(QByteArray, content);
        QFETCH(int, result);
        QFETCH(QString, values);
        StationState state;
        QCOMPARE(int(veltrane::config::parseInitConfig(content, state)), result);
        QCOMPARE(sixValues(state), values);
    }

    void parseKeepsEarlierValues()
    {
        // A file that lacks a key leaves what the state held (the reader only stores).
        StationState state;
        state.myCall = u"OLD"_s;
        QCOMPARE(veltrane::config::parseInitConfig("CAT=1\r\n", state), ReadResult::Ok);
        QCOMPARE(state.myCall, u"OLD"_s);
        QCOMPARE(state.catPort, std::optional<QString>(u"1"_s));
    }

    void format_data()
    {
        QTest::addColumn<InitConfig>("cfg");
        QTest::addColumn<QByteArray>("expected");

        QTest::newRow("first start") << kFirstStartConfig << kFirstStartFile;

        QByteArray empty = kFirstStartFile;
        empty.replace("MYCALL=ja1abc", "MYCALL=")
            .replace("CAT= 1 ", "CAT=")
            .replace("RIG= 0 ", "RIG=")
            .replace("RS232C=9600,N,8,1", "RS232C=,,,")
            .replace("ICOM=74", "ICOM=")
            .replace("CONTROL=45", "CONTROL=");
        QTest::newRow("nothing chosen") << InitConfig{} << empty;

        QByteArray device = kFirstStartFile;
        device.replace("MYCALL=ja1abc", "MYCALL=JA1ABC/P")
            .replace("CAT= 1 ", "CAT=/dev/ttyUSB0")
            .replace("RIG= 0 ", "RIG= 2 ")
            .replace("RS232C=9600,N,8,1", "RS232C=38400,E,7,2")
            .replace("ICOM=74", "ICOM=64");
        QTest::newRow("device port, ICOM")
            << InitConfig{u"JA1ABC/P"_s, u"/dev/ttyUSB0"_s, u" 2 "_s, u"38400"_s, u"E"_s, u"7"_s, u"2"_s, u"64"_s, u"45"_s}
            << device;
    }

    void format()
    {
        QFETCH(InitConfig, cfg);
        QFETCH(QByteArray, expected);
        QCOMPARE(veltrane::config::formatInitConfig(cfg), expected);
    }

    void printedNumber_data()
    {
        QTest::addColumn<int>("n");
        QTest::addColumn<QString>("text");
        QTest::newRow("0") << 0 << u" 0 "_s;
        QTest::newRow("3") << 3 << u" 3 "_s;
        QTest::newRow("8") << 8 << u" 8 "_s;
        QTest::newRow("12") << 12 << u" 12 "_s;
        QTest::newRow("-1") << -1 << u"-1 "_s;
    }

    void printedNumber()
    {
        QFETCH(int, n);
        QFETCH(QString, text);
        QCOMPARE(veltrane::config::printedNumber(n), text);
    }

    void writeReplacesWholeFile()
    {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString path = veltrane::config::initConfigPath(dir.path());
        QCOMPARE(path, dir.path() + u"/Init.cfg"_s);
        {
            QFile old(path);
            QVERIFY(old.open(QIODevice::WriteOnly));
            old.write(lines(50, "'a line added by hand that must not survive"));
        }
        QString error;
        QVERIFY(veltrane::config::writeInitConfig(path, kFirstStartConfig, &error));
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), kFirstStartFile);
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{u"Init.cfg"_s});

        StationState state;
        QCOMPARE(veltrane::config::readInitConfig(path, state), ReadResult::Ok);
        QCOMPARE(sixValues(state), u"JA1ABC|1| 0 |9600,N,8,1|74|45"_s);
    }

    void writeFailure_data()
    {
        QTest::addColumn<QString>("relativePath");
        QTest::newRow("missing folder") << u"no/such/folder/Init.cfg"_s;
        QTest::newRow("name taken by a folder") << u"taken"_s;
    }

    void writeFailure()
    {
        QFETCH(QString, relativePath);
        QTemporaryDir dir;
        QVERIFY(QDir(dir.path()).mkdir(u"taken"_s));
        QString error;
        QVERIFY(!veltrane::config::writeInitConfig(dir.filePath(relativePath), kFirstStartConfig, &error));
        QVERIFY(!error.isEmpty());
        QVERIFY(QFileInfo(dir.filePath(u"taken"_s)).isDir());
    }

    void readUnreadable_data()
    {
        QTest::addColumn<QString>("relativePath");
        QTest::newRow("missing file") << u"Init.cfg"_s;
        QTest::newRow("a folder") << u"taken"_s;
    }

    void readUnreadable()
    {
        QFETCH(QString, relativePath);
        QTemporaryDir dir;
        QVERIFY(QDir(dir.path()).mkdir(u"taken"_s));
        StationState state;
        QCOMPARE(veltrane::config::readInitConfig(dir.filePath(relativePath), state), ReadResult::Unreadable);
        QCOMPARE(sixValues(state), u"|~|~|~||"_s);
    }

    void readTooMany()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(u"Init.cfg"_s);
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(QByteArray("MYCALL=x\r\n") + lines(100, "'"));
        file.close();
        StationState state;
        QCOMPARE(veltrane::config::readInitConfig(path, state), ReadResult::TooManyLines);
        QCOMPARE(state.myCall, u"X"_s);
    }
};

QTEST_GUILESS_MAIN(tst_InitConfigFile)
#include "tst_InitConfigFile.moc"
