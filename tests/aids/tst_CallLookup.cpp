#include "aids/CallLookup.h"

#include <QTest>

using namespace Qt::StringLiterals;
namespace aids = veltrane::aids;

class tst_CallLookup : public QObject
{
    Q_OBJECT

private slots:
    void caption();
    void address_data();
    void address();
};

void tst_CallLookup::caption()
{
    QCOMPARE(aids::lookupServiceName(), u"QRZ.com"_s);
}

void tst_CallLookup::address_data()
{
    QTest::addColumn<QString>("call");
    QTest::addColumn<QByteArray>("encoded");
    QTest::addColumn<QString>("segment"); // the last path segment, decoded again
    QTest::newRow("plain call") << u"CALL1"_s << "https://www.qrz.com/db/CALL1"_ba << u"CALL1"_s;
    QTest::newRow("lower case kept") << u"ja1abc"_s << "https://www.qrz.com/db/ja1abc"_ba << u"ja1abc"_s;
    QTest::newRow("empty call") << QString() << "https://www.qrz.com/db/"_ba << QString();
    QTest::newRow("blank inside") << u"JA1 ABC"_s << "https://www.qrz.com/db/JA1%20ABC"_ba << u"JA1 ABC"_s;
    QTest::newRow("blanks around kept")
        << u" JA1ABC "_s << "https://www.qrz.com/db/%20JA1ABC%20"_ba << u" JA1ABC "_s;
    QTest::newRow("portable slash") << u"JA1ABC/P"_s << "https://www.qrz.com/db/JA1ABC%2FP"_ba
                                    << u"JA1ABC/P"_s;
    QTest::newRow("climbing up") << u"../../etc"_s << "https://www.qrz.com/db/..%2F..%2Fetc"_ba
                                 << u"../../etc"_s;
    QTest::newRow("dot dot looks up nothing") << u".."_s << "https://www.qrz.com/db/"_ba << QString();
    QTest::newRow("dot looks up nothing") << u"."_s << "https://www.qrz.com/db/"_ba << QString();
    QTest::newRow("three dots are a segment") << u"..."_s << "https://www.qrz.com/db/..."_ba << u"..."_s;
    QTest::newRow("quotes and ampersand")
        << u"A\"B'&C"_s << "https://www.qrz.com/db/A%22B%27%26C"_ba << u"A\"B'&C"_s;
    QTest::newRow("option-like") << u"--new-window"_s << "https://www.qrz.com/db/--new-window"_ba
                                 << u"--new-window"_s;
    QTest::newRow("query and fragment")
        << u"A?x=1#y"_s << "https://www.qrz.com/db/A%3Fx%3D1%23y"_ba << u"A?x=1#y"_s;
    QTest::newRow("shell characters")
        << u"A;B|C$(D)`"_s << "https://www.qrz.com/db/A%3BB%7CC%24%28D%29%60"_ba << u"A;B|C$(D)`"_s;
    QTest::newRow("percent") << u"A%20B"_s << "https://www.qrz.com/db/A%2520B"_ba << u"A%20B"_s;
    QTest::newRow("non-ASCII") << u"ＪＡ１"_s << "https://www.qrz.com/db/%EF%BC%AA%EF%BC%A1%EF%BC%91"_ba
                               << u"ＪＡ１"_s;
    QTest::newRow("line break") << u"A\nB"_s << "https://www.qrz.com/db/A%0AB"_ba << u"A\nB"_s;
}

void tst_CallLookup::address()
{
    QFETCH(QString, call);
    QFETCH(QByteArray, encoded);
    QFETCH(QString, segment);
    const QUrl url = aids::lookupUrl(call);
    QVERIFY(url.isValid());
    QCOMPARE(url.toEncoded(), encoded);
    QCOMPARE(url.scheme(), u"https"_s);
    QCOMPARE(url.host(), u"www.qrz.com"_s);
    // The call stays one segment after "/db/", whatever it holds.
    const QString path = url.path(QUrl::FullyEncoded);
    QVERIFY(path.startsWith(u"/db/"_s));
    QVERIFY(!path.mid(4).contains(u'/'));
    QVERIFY(path != u"/db/."_s && path != u"/db/.."_s);
    QCOMPARE(QUrl::fromPercentEncoding(path.mid(4).toLatin1()), segment);
    QVERIFY(!url.hasQuery());
    QVERIFY(!url.hasFragment());
}

QTEST_APPLESS_MAIN(tst_CallLookup)
#include "tst_CallLookup.moc"
