// The window position file: reading odd files, the exact written bytes, and the failure codes.

#include "config/WindowPositionFile.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;
using veltrane::config::WindowPosition;

namespace {

// "top|left" with "~" for an edge the file does not set.
QString edges(const WindowPosition &p)
{
    const auto one = [](const std::optional<double> &v) { return v ? QString::number(*v) : u"~"_s; };
    return one(p.top) + u'|' + one(p.left);
}

const QByteArray kHeader = "============== My Intial Data Setting ================\r\n";

}  // namespace

class tst_WindowPositionFile : public QObject
{
    Q_OBJECT

private slots:
    void parse_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QString>("expected");
        QTest::newRow("as written") << (kHeader + "TOP= 1200\r\nLEFT= 2400\r\n") << u"1200|2400"_s;
        QTest::newRow("signed form") << (kHeader + "TOP=-15\r\nLEFT=-300\r\n") << u"-15|-300"_s;
        QTest::newRow("zero") << QByteArray("TOP= 0\r\nLEFT=0\r\n") << u"0|0"_s;
        QTest::newRow("text after the number") << QByteArray("TOP=1200abc\r\n") << u"1200|~"_s;
        QTest::newRow("non-numeric") << QByteArray("TOP=abc\r\nLEFT=\r\n") << u"0|0"_s;
        QTest::newRow("lower-case keys") << QByteArray("top= 5\r\nLeft= 7\r\n") << u"5|7"_s;
        QTest::newRow("LEFT only") << (kHeader + "LEFT= 960\r\n") << u"~|960"_s;
        QTest::newRow("later line wins") << QByteArray("TOP=1\r\nTOP=2\r\nLEFT=3\r\nLEFT=4") << u"2|4"_s;
        QTest::newRow("blank before =") << QByteArray("TOP =5\r\n LEFT=6\r\n") << u"~|~"_s;
        QTest::newRow("fraction") << QByteArray("TOP= 12.5\r\nLEFT=-0.25\r\n") << u"12.5|-0.25"_s;
        QTest::newRow("CR only") << QByteArray("TOP=1\rLEFT=2\r") << u"1|2"_s;
        QTest::newRow("LF only") << QByteArray("TOP=1\nLEFT=2\n") << u"1|2"_s;
        QTest::newRow("header only") << kHeader << u"~|~"_s;
        QTest::newRow("empty") << QByteArray() << u"~|~"_s;
        QTest::newRow("junk") << QByteArrayLiteral("\x00TOP=9\xff\r\n=\r\n\xfe\xfe=LEFT") << u"~|~"_s;
        QTest::newRow("many lines") << (QByteArray(5000, '\n') + "TOP=7") << u"7|~"_s;
    }

    void parse()
    {
        QFETCH(QByteArray, content);
        QFETCH(QString, expected);
        QCOMPARE(edges(veltrane::config::parseWindowPosition(content)), expected);
    }

    void format_data()
    {
        QTest::addColumn<double>("top");
        QTest::addColumn<double>("left");
        QTest::addColumn<QByteArray>("expected");
        QTest::newRow("positive") << 1200.0 << 2400.0
                                  << QByteArray("============== My Intial Data Setting ================\r\n"
                                                "TOP= 1200\r\nLEFT= 2400\r\n");
        QTest::newRow("negative and zero") << 0.0 << -15.0
                                           << QByteArray("============== My Intial Data Setting ================\r\n"
                                                         "TOP= 0\r\nLEFT=-15\r\n");
        QTest::newRow("fractions") << 12.5 << -7.25
                                   << QByteArray("============== My Intial Data Setting ================\r\n"
                                                 "TOP= 12.5\r\nLEFT=-7.25\r\n");
    }

    void format()
    {
        QFETCH(double, top);
        QFETCH(double, left);
        QFETCH(QByteArray, expected);
        QCOMPARE(veltrane::config::formatWindowPosition(top, left), expected);
    }

    void writeThenRead()
    {
        QTemporaryDir dir;
        const QString path = veltrane::config::windowPositionPath(dir.path());
        QCOMPARE(path, dir.path() + u"/MyVeltraneData.dat"_s);
        QString error;
        QVERIFY(veltrane::config::writeWindowPosition(path, -120, 3345, &error));
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), kHeader + "TOP=-120\r\nLEFT= 3345\r\n");
        WindowPosition pos;
        QCOMPARE(veltrane::config::readWindowPosition(path, pos), 0);
        QCOMPARE(edges(pos), u"-120|3345"_s);
    }

    void readFailure_data()
    {
        QTest::addColumn<QString>("relativePath");
        QTest::addColumn<int>("code");
        QTest::newRow("missing file") << u"MyVeltraneData.dat"_s << 53;
        QTest::newRow("missing folder") << u"gone/MyVeltraneData.dat"_s << 53;
        QTest::newRow("a folder") << u"folder"_s << 75;
    }

    void readFailure()
    {
        QFETCH(QString, relativePath);
        QFETCH(int, code);
        QTemporaryDir dir;
        QVERIFY(QDir(dir.path()).mkdir(u"folder"_s));
        WindowPosition pos;
        pos.left = 99;  // a failed read leaves what was there
        QCOMPARE(veltrane::config::readWindowPosition(dir.filePath(relativePath), pos), code);
        QCOMPARE(edges(pos), u"~|99"_s);
        QCOMPARE(veltrane::config::windowPositionErrorText(code), u"Error="_s + QString::number(code));
    }

    void readKeepsUnsetEdges()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(u"MyVeltraneData.dat"_s);
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("LEFT= 30\r\n");
        file.close();
        WindowPosition pos;
        pos.top = 1800;
        QCOMPARE(veltrane::config::readWindowPosition(path, pos), 0);
        QCOMPARE(edges(pos), u"1800|30"_s);
    }

    void writeFailure()
    {
        QTemporaryDir dir;
        QString error;
        QVERIFY(!veltrane::config::writeWindowPosition(dir.filePath(u"gone/x.dat"_s), 1, 2, &error));
        QVERIFY(!error.isEmpty());
    }

    void errorTitle()
    {
        const QString title = veltrane::config::windowPositionErrorTitle();
        QCOMPARE(title.toUtf8(), QByteArray("\xE6\x9C\x80\xE5\x88\x9D\xE3\x81\xAE\xE3\x82\xBB\xE3\x83\x83\xE3\x83\x88"
                                            "\xE3\x80\x81\xE3\x83\x95\xE3\x82\xA1\xE3\x82\xA4\xE3\x83\xAB\xE3\x81\xAA"
                                            "\xE3\x81\x97\xE3\x80\x80"));
    }
};

QTEST_GUILESS_MAIN(tst_WindowPositionFile)
#include "tst_WindowPositionFile.moc"
