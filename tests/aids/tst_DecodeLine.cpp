#include "aids/DecodeLine.h"

#include <QTest>

using namespace Qt::StringLiterals;
namespace aids = veltrane::aids;

class tst_DecodeLine : public QObject
{
    Q_OBJECT

private slots:
    void parse_data();
    void parse();
    void sameTextTwice();
};

void tst_DecodeLine::parse_data()
{
    QTest::addColumn<QString>("clipboard");
    QTest::addColumn<bool>("imported");
    QTest::addColumn<QString>("call");
    QTest::addColumn<QString>("offset");
    QTest::addColumn<bool>("enablesSet");

    QTest::newRow("decode line") << u"0123456789ABCDEFG    -523 CQ CALL1 GRID"_s << true << u"CALL1"_s
                                 << u"-523"_s << true;
    QTest::newRow("trailing blank makes the grid the call")
        << u"0123456789ABCDEFG    -523 CQ CALL1 GRID "_s << true << u"GRID"_s << u"-523"_s << true;
    QTest::newRow("two blanks before the last word")
        << u"CQ CALL1  GRID"_s << true << QString() << QString() << false;
    QTest::newRow("one blank") << u"CALL1 GRID"_s << false << QString() << QString() << false;
    QTest::newRow("no blank") << u"CALL1"_s << false << QString() << QString() << false;
    QTest::newRow("empty") << QString() << false << QString() << QString() << false;
    QTest::newRow("short line") << u"short a b"_s << true << u"a"_s << QString() << false;
    QTest::newRow("letters in the offset field")
        << u"0123456789ABCDEFGHIJKLMNOPQ CQ CALL1 GRID"_s << true << u"CALL1"_s << u"HIJKLMNO"_s << true;
    QTest::newRow("positive offset") << u"0123456789ABCDEFG    1200 CQ JA1ABC PM95"_s << true << u"JA1ABC"_s
                                     << u"1200"_s << true;
    QTest::newRow("offset field cut by the text's end")
        << u"0123456789 K1A Z 12"_s << true << u"Z"_s << u"12"_s << true;
    QTest::newRow("exactly 17 characters")
        << u"0123456789 BCDEF "_s << true << u"BCDEF"_s << QString() << false;
    QTest::newRow("only blanks in the offset field")
        << u"0123456789ABCDEFG        CQ CALL1 GRID"_s << true << u"CALL1"_s << QString() << false;
    QTest::newRow("tab is not a separator")
        << u"0123456789ABCDEFG    -523 CQ\tCALL1 GRID"_s << true << u"CQ\tCALL1"_s << u"-523"_s << true;
    QTest::newRow("line break is not a separator")
        << u"0123456789ABCDEFG    -523 CQ CALL1\r\nGRID"_s << true << u"CQ"_s << u"-523"_s << true;
    QTest::newRow("tabs around the offset are kept")
        << u"0123456789ABCDEFG  \t-523\t CQ CALL1 GRID"_s << true << u"CALL1"_s << u"\t-523\t"_s << true;
    QTest::newRow("leading blank only") << u" a b"_s << true << u"a"_s << QString() << false;
    QTest::newRow("two blanks only") << u"  "_s << true << QString() << QString() << false;
    QTest::newRow("Japanese text") << u"0123456789ABCDEFG    -523 CQ ＪＡ１ GRID"_s << true << u"ＪＡ１"_s
                                   << u"-523"_s << true;
}

void tst_DecodeLine::parse()
{
    QFETCH(QString, clipboard);
    QFETCH(bool, imported);
    QFETCH(QString, call);
    QFETCH(QString, offset);
    QFETCH(bool, enablesSet);
    const std::optional<aids::DecodeImport> result = aids::parseDecodeLine(clipboard);
    QCOMPARE(result.has_value(), imported);
    if (!result)
        return;
    QCOMPARE(result->call, call);
    QCOMPARE(result->offset, offset);
    QCOMPARE(result->enablesFrequencySet(), enablesSet);
}

void tst_DecodeLine::sameTextTwice()
{
    const QString line = u"0123456789ABCDEFG    -523 CQ CALL1 GRID"_s;
    const auto first = aids::parseDecodeLine(line);
    const auto second = aids::parseDecodeLine(line);
    QVERIFY(first && second);
    QCOMPARE(second->call, u"CALL1"_s);
    QCOMPARE(second->offset, first->offset);
}

QTEST_APPLESS_MAIN(tst_DecodeLine)
#include "tst_DecodeLine.moc"
