#include "cat/FrequencyDisplay.h"

#include <QTest>

#include <limits>

using namespace Qt::StringLiterals;
namespace cat = veltrane::cat;

class tst_FrequencyDisplay : public QObject
{
    Q_OBJECT

private slots:
    void noData();
    void formatKhz_data();
    void formatKhz();
    void recogniseBand_data();
    void recogniseBand();
};

void tst_FrequencyDisplay::noData()
{
    QCOMPARE(cat::noDataText(), u"No Data"_s);
    QVERIFY(!cat::recogniseBand(cat::noDataText()));
}

void tst_FrequencyDisplay::formatKhz_data()
{
    QTest::addColumn<double>("khz");
    QTest::addColumn<QString>("expected");
    QTest::newRow("two decimals") << 14076.52 << u"14076.520"_s;
    QTest::newRow("five integer digits") << 50313.25 << u"50313.250"_s;
    QTest::newRow("whole kHz") << 7026.0 << u"7026.000"_s;
    QTest::newRow("below 1 kHz") << 0.5 << u".500"_s;
    QTest::newRow("zero") << 0.0 << u".000"_s;
    QTest::newRow("three decimals") << 3500.001 << u"3500.001"_s;
    QTest::newRow("one decimal") << 702.6 << u"702.600"_s;
    QTest::newRow("rounds half up") << 7026.0005 << u"7026.001"_s;
    QTest::newRow("rounds down") << 7026.0004 << u"7026.000"_s;
    QTest::newRow("rounds into the integer part") << 7025.9999 << u"7026.000"_s;
    QTest::newRow("CI-V sum of groups") << 10.0 * 1407.652 << u"14076.520"_s;
    QTest::newRow("six integer digits") << 999999.99 << u"999999.990"_s;
    QTest::newRow("no group separators") << 1234567.0 << u"1234567.000"_s;
    QTest::newRow("negative") << -0.5 << u"-.500"_s;
    QTest::newRow("not a number") << std::numeric_limits<double>::quiet_NaN() << QString();
    QTest::newRow("infinite") << std::numeric_limits<double>::infinity() << QString();
}

void tst_FrequencyDisplay::formatKhz()
{
    QFETCH(double, khz);
    QFETCH(QString, expected);
    QCOMPARE(cat::formatKhz(khz), expected);
}

void tst_FrequencyDisplay::recogniseBand_data()
{
    QTest::addColumn<QString>("display");
    QTest::addColumn<QString>("band"); // empty: the band list keeps its text
    QTest::newRow("7026.000") << u"7026.000"_s << u"7MHz"_s;
    QTest::newRow("7000.000 lower limit") << u"7000.000"_s << u"7MHz"_s;
    QTest::newRow("7200.000 upper limit") << u"7200.000"_s << u"7MHz"_s;
    QTest::newRow("7200.001") << u"7200.001"_s << QString();
    QTest::newRow("6999.999") << u"6999.999"_s << QString();
    QTest::newRow("14076.000") << u"14076.000"_s << u"14MHz"_s;
    QTest::newRow("14000.000") << u"14000.000"_s << u"14MHz"_s;
    QTest::newRow("14350.000") << u"14350.000"_s << u"14MHz"_s;
    QTest::newRow("14350.010") << u"14350.010"_s << QString();
    QTest::newRow("18068.000") << u"18068.000"_s << u"18MHz"_s;
    QTest::newRow("18100.000") << u"18100.000"_s << u"18MHz"_s;
    QTest::newRow("18168.000") << u"18168.000"_s << u"18MHz"_s;
    QTest::newRow("18000.000") << u"18000.000"_s << QString();
    QTest::newRow("18067.999") << u"18067.999"_s << QString();
    QTest::newRow("21000.000") << u"21000.000"_s << u"21MHz"_s;
    QTest::newRow("21450.000") << u"21450.000"_s << u"21MHz"_s;
    QTest::newRow("21450.001") << u"21450.001"_s << QString();
    QTest::newRow("24890.000") << u"24890.000"_s << u"24MHz"_s;
    QTest::newRow("24900.500") << u"24900.500"_s << u"24MHz"_s;
    QTest::newRow("24990.000") << u"24990.000"_s << u"24MHz"_s;
    QTest::newRow("24889.999") << u"24889.999"_s << QString();
    QTest::newRow("28000.000") << u"28000.000"_s << u"28MHz"_s;
    QTest::newRow("29000.000") << u"29000.000"_s << u"28MHz"_s;
    QTest::newRow("29000.001") << u"29000.001"_s << QString();
    QTest::newRow("50313.000 has no segment") << u"50313.000"_s << QString();
    QTest::newRow("3573.000 between bands") << u"3573.000"_s << QString();
    QTest::newRow("leading number with a tail") << u"14076.5 kHz"_s << u"14MHz"_s;
    QTest::newRow("leading blanks") << u"  7026.000"_s << u"7MHz"_s;
    QTest::newRow("No Data") << u"No Data"_s << QString();
    QTest::newRow("empty") << QString() << QString();
    QTest::newRow("zero") << u".000"_s << QString();
    QTest::newRow("negative") << u"-7026.000"_s << QString();
}

void tst_FrequencyDisplay::recogniseBand()
{
    QFETCH(QString, display);
    QFETCH(QString, band);
    const std::optional<QString> recognised = cat::recogniseBand(display);
    QCOMPARE(recognised.has_value(), !band.isEmpty());
    if (recognised)
        QCOMPARE(*recognised, band);
}

QTEST_APPLESS_MAIN(tst_FrequencyDisplay)
#include "tst_FrequencyDisplay.moc"
