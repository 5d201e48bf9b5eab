#include "cat/CommEvents.h"

#include <QTest>

using namespace Qt::StringLiterals;
namespace cat = veltrane::cat;

class tst_CommEvents : public QObject
{
    Q_OBJECT

private slots:
    void table_data();
    void table();
    void title();
};

void tst_CommEvents::table_data()
{
    QTest::addColumn<int>("code");
    QTest::addColumn<bool>("isError");
    QTest::addColumn<QString>("message");
    // Events: nothing shown.
    for (int code : {1, 2, 3, 4, 5, 6, 7, 1001, 1004, 1009})
        QTest::addRow("event %d", code) << code << false << QString();
    // Errors with their own message.
    QTest::newRow("1002 CTS time-out") << 1002 << true << u"CTS 時間切れｴﾗｰを検出しました"_s;
    QTest::newRow("1003 DSR time-out") << 1003 << true << u"DSR 時間切れｴﾗｰを検出しました"_s;
    QTest::newRow("1006 overrun") << 1006 << true << u"ﾃﾞｰﾀ喪失ｴﾗｰが発生しました"_s;
    QTest::newRow("1007 CD time-out") << 1007 << true << u"ｷｬﾘｱ検出時間切れｴﾗｰを検出しました"_s;
    QTest::newRow("1008 receive overflow") << 1008 << true << u"ﾊﾞｯﾌｧｵｰﾊﾞﾌﾛｰｴﾗｰが発生しました"_s;
    QTest::newRow("1010 transmit full") << 1010 << true << u"送信ﾊﾞｯﾌｧﾌﾙｴﾗｰが発生しました"_s;
    // Everything else: an error of no known kind.
    for (int code : {1005, 0, 8, 500, 1000, 1011, 32767, -1, -1002})
        QTest::addRow("unknown %d", code) << code << true << u"未知ｴﾗｰが発生しました"_s;
}

void tst_CommEvents::table()
{
    QFETCH(int, code);
    QFETCH(bool, isError);
    QFETCH(QString, message);
    const cat::CommEventInfo info = cat::commEventInfo(code);
    QCOMPARE(info.isError, isError);
    QCOMPARE(info.message, message);
}

void tst_CommEvents::title()
{
    QCOMPARE(cat::commErrorTitle(), u"中断する場合は [ｷｬﾝｾﾙ] を、無視する場合は [OK] をｸﾘｯｸしてください。"_s);
}

QTEST_APPLESS_MAIN(tst_CommEvents)
#include "tst_CommEvents.moc"
