// The clock label's texts at chosen moments in chosen time zones: local time in the locale's
// own forms marked J, true UTC marked U.

#include "spectrum/ClockText.h"

#include <QTest>

#include <ctime>

using namespace veltrane::spectrum;
using namespace Qt::StringLiterals;

class TestClockText : public QObject
{
    Q_OBJECT

private slots:
    void cleanup()
    {
        qunsetenv("TZ");
        tzset();
    }

    void texts_data()
    {
        QTest::addColumn<QByteArray>("zone");
        QTest::addColumn<QString>("instantUtc"); // ISO, UTC
        QTest::addColumn<int>("mode");
        QTest::addColumn<QString>("locale");
        QTest::addColumn<QString>("expected");

        // Local (Japan) 08:59:59 on 3 May is 23:59:59 UTC on 2 May.
        QTest::newRow("UTC: one second before 09:00 JST")
            << "Asia/Tokyo"_ba << u"2010-05-02T23:59:59Z"_s << 1 << u"C"_s << u"2010/05/02  23:59:59U"_s;
        QTest::newRow("UTC: 09:00 JST is midnight, one-digit hour")
            << "Asia/Tokyo"_ba << u"2010-05-03T00:00:00Z"_s << 1 << u"C"_s << u"2010/05/03  0:00:00U"_s;
        QTest::newRow("UTC: 18:05:07 JST")
            << "Asia/Tokyo"_ba << u"2010-05-03T09:05:07Z"_s << 1 << u"C"_s << u"2010/05/03  9:05:07U"_s;
        QTest::newRow("UTC: new year in Japan, old year in UTC")
            << "Asia/Tokyo"_ba << u"2010-12-31T15:00:01Z"_s << 1 << u"C"_s << u"2010/12/31  15:00:01U"_s;
        // Outside Japan the UTC text is still true UTC (local minus nine hours would be wrong).
        QTest::newRow("UTC from Berlin summer time")
            << "Europe/Berlin"_ba << u"2010-05-03T06:30:00Z"_s << 1 << u"C"_s << u"2010/05/03  6:30:00U"_s;
        QTest::newRow("UTC from New York, local date behind")
            << "America/New_York"_ba << u"2011-03-01T02:15:09Z"_s << 1 << u"C"_s << u"2011/03/01  2:15:09U"_s;
        QTest::newRow("UTC mode ignores the locale")
            << "UTC"_ba << u"2010-05-03T12:00:00Z"_s << 1 << u"ja_JP"_s << u"2010/05/03  12:00:00U"_s;

        QTest::newRow("local, C locale")
            << "Asia/Tokyo"_ba << u"2010-05-03T05:30:25Z"_s << 0 << u"C"_s << u"3 May 2010  14:30:25J"_s;
        QTest::newRow("local, Japanese locale") << "Asia/Tokyo"_ba << u"2010-05-03T05:30:25Z"_s << 0
                                                << u"ja_JP"_s << u"2010/05/03  14時30分25秒J"_s;
        QTest::newRow("local, Japanese locale, early hour")
            << "Asia/Tokyo"_ba << u"2010-05-02T23:59:59Z"_s << 0 << u"ja_JP"_s
            << u"2010/05/03  8時59分59秒J"_s;
        QTest::newRow("local, US English in Berlin")
            << "Europe/Berlin"_ba << u"2010-05-03T05:30:25Z"_s << 0 << u"en_US"_s << u"5/3/10  7:30:25 AMJ"_s;
        QTest::newRow("local, British English in New York")
            << "America/New_York"_ba << u"2011-03-01T02:15:09Z"_s << 0 << u"en_GB"_s
            << u"28/02/2011  21:15:09J"_s;
    }
    void texts()
    {
        QFETCH(QByteArray, zone);
        QFETCH(QString, instantUtc);
        QFETCH(int, mode);
        QFETCH(QString, locale);
        QFETCH(QString, expected);

        qputenv("TZ", zone);
        tzset();
        const QDateTime now = QDateTime::fromString(instantUtc, Qt::ISODate).toLocalTime();
        QVERIFY(now.isValid());
        QCOMPARE(clockText(now, mode, QLocale(locale)), expected);
    }

    void timeFormatsLoseTheZone_data()
    {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<QString>("format");
        QTest::newRow("C") << u"C"_s << u"HH:mm:ss"_s;
        QTest::newRow("ja_JP") << u"ja_JP"_s << u"H時mm分ss秒"_s;
        QTest::newRow("en_US") << u"en_US"_s << u"h:mm:ss AP"_s;
    }
    void timeFormatsLoseTheZone()
    {
        QFETCH(QString, locale);
        QFETCH(QString, format);
        QCOMPARE(longTimeFormatWithoutZone(QLocale(locale)), format);
    }
};

QTEST_GUILESS_MAIN(TestClockText)
#include "tst_ClockText.moc"
