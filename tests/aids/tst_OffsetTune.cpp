#include "aids/OffsetTune.h"
#include "cat/FrameCodec.h"

#include <QTest>

#include <limits>

using namespace Qt::StringLiterals;
using veltrane::cat::Writes;
namespace aids = veltrane::aids;
namespace cat = veltrane::cat;

namespace {

QByteArray hex(const char *digits)
{
    return QByteArray::fromHex(digits);
}

const cat::CivFraming kCiv{hex("FEFE"), hex("74"), hex("45"), hex("FD")};
constexpr qint64 kNothing = -1;

} // namespace

class tst_OffsetTune : public QObject
{
    Q_OBJECT

private slots:
    void offsetTarget_data();
    void offsetTarget();
    void offsetFrames_data();
    void offsetFrames();
    void clickOffset_data();
    void clickOffset();
    void clickTarget_data();
    void clickTarget();
    void clickFrames_data();
    void clickFrames();
};

void tst_OffsetTune::offsetTarget_data()
{
    QTest::addColumn<QString>("dial");
    QTest::addColumn<QString>("offset");
    QTest::addColumn<qint64>("hz");
    QTest::newRow("523 up") << u"14076.000"_s << u"523"_s << qint64(14076523);
    QTest::newRow("523 down") << u"7026.000"_s << u"-523"_s << qint64(7025477);
    QTest::newRow("fraction dropped") << u"14076.000"_s << u"523.9"_s << qint64(14076523);
    QTest::newRow("negative fraction rounds down") << u"14076.000"_s << u"-523.5"_s << qint64(14075476);
    QTest::newRow("zero offset keeps the dial") << u"14076.000"_s << u"0"_s << qint64(14076000);
    QTest::newRow("dial with decimals") << u"14076.520"_s << u"0"_s << qint64(14076520);
    QTest::newRow("dial with thousandths") << u"7026.001"_s << u"0"_s << qint64(7026001);
    QTest::newRow("dial with thousandths, offset down") << u"28076.003"_s << u"-3"_s << qint64(28076000);
    QTest::newRow("blanks around the offset") << u"14076.000"_s << u" -523 "_s << qint64(14075477);
    QTest::newRow("plus sign") << u"14076.000"_s << u"+523"_s << qint64(14076523);
    QTest::newRow("dial No Data") << u"No Data"_s << u"523"_s << kNothing;
    QTest::newRow("dial zero") << u".000"_s << u"523"_s << kNothing;
    QTest::newRow("dial negative") << u"-7026.000"_s << u"523"_s << kNothing;
    QTest::newRow("dial with a unit") << u"14076.5 kHz"_s << u"0"_s << kNothing;
    QTest::newRow("dial empty") << QString() << u"523"_s << kNothing;
    QTest::newRow("offset empty") << u"14076.000"_s << QString() << kNothing;
    QTest::newRow("offset letters") << u"14076.000"_s << u"HIJKLMNO"_s << kNothing;
    QTest::newRow("offset with a tail") << u"14076.000"_s << u"12a"_s << kNothing;
    QTest::newRow("offset with an exponent") << u"14076.000"_s << u"1e3"_s << kNothing;
    QTest::newRow("sum below zero") << u"0.1"_s << u"-523"_s << kNothing;
    QTest::newRow("sum just below zero") << u"0.5"_s << u"-500.5"_s << kNothing;
    QTest::newRow("sum exactly zero") << u"0.5"_s << u"-500"_s << qint64(0);
    QTest::newRow("sum beyond any count") << u"99999999999999999999"_s << u"0"_s << kNothing;
}

void tst_OffsetTune::offsetTarget()
{
    QFETCH(QString, dial);
    QFETCH(QString, offset);
    QFETCH(qint64, hz);
    QCOMPARE(aids::offsetTargetHz(dial, offset).value_or(kNothing), hz);
}

// The whole frequency set: offset target through the family's set-frequency frame.
void tst_OffsetTune::offsetFrames_data()
{
    QTest::addColumn<int>("family");
    QTest::addColumn<QString>("dial");
    QTest::addColumn<QString>("offset");
    QTest::addColumn<Writes>("expected");
    QTest::newRow("Yaesu text up") << 0 << u"14076.000"_s << u"523"_s << Writes{"FA14076523;"_ba};
    QTest::newRow("Yaesu text down to 7 digits")
        << 0 << u"7026.000"_s << u"-523"_s << Writes{"FA07025477;"_ba};
    QTest::newRow("Kenwood text") << 1 << u"14076.000"_s << u"523"_s << Writes{"FA00014076523;"_ba};
    QTest::newRow("Kenwood text down") << 1 << u"7026.000"_s << u"-523"_s << Writes{"FA00007025477;"_ba};
    QTest::newRow("CI-V") << 2 << u"14076.000"_s << u"523"_s
                          << Writes{hex("FEFE744505"), hex("2365071400"), hex("FD")};
    QTest::newRow("CI-V down") << 2 << u"7026.000"_s << u"-523"_s
                               << Writes{hex("FEFE744505"), hex("7754020700"), hex("FD")};
    QTest::newRow("FT-897 drops the last hertz")
        << 3 << u"14076.000"_s << u"523"_s << Writes{hex("0140765201")};
    QTest::newRow("FT-897 down") << 3 << u"7026.000"_s << u"-523"_s << Writes{hex("0070254701")};
    QTest::newRow("offset 0 resends the dial") << 0 << u"14076.000"_s << u"0"_s << Writes{"FA14076000;"_ba};
    QTest::newRow("fraction of the offset dropped")
        << 0 << u"14076.000"_s << u"523.9"_s << Writes{"FA14076523;"_ba};
    QTest::newRow("No Data sends nothing") << 0 << u"No Data"_s << u"523"_s << Writes{};
}

void tst_OffsetTune::offsetFrames()
{
    QFETCH(int, family);
    QFETCH(QString, dial);
    QFETCH(QString, offset);
    QFETCH(Writes, expected);
    const std::optional<qint64> hz = aids::offsetTargetHz(dial, offset);
    QCOMPARE(hz ? cat::setFrequencyWrites(family, *hz, kCiv) : Writes{}, expected);
}

void tst_OffsetTune::clickOffset_data()
{
    QTest::addColumn<double>("x");
    QTest::addColumn<double>("width");
    QTest::addColumn<double>("offset");
    QTest::newRow("left edge") << 0.0 << 511.0 << -1000.0;
    QTest::newRow("centre") << 255.5 << 511.0 << 0.0;
    QTest::newRow("three quarters") << 383.25 << 511.0 << 500.0;
    QTest::newRow("right edge") << 511.0 << 511.0 << 1000.0;
    QTest::newRow("twips") << 1875.0 << 7500.0 << -500.0;
}

void tst_OffsetTune::clickOffset()
{
    QFETCH(double, x);
    QFETCH(double, width);
    QFETCH(double, offset);
    QCOMPARE(aids::clickOffsetHz(x, width), offset);
}

void tst_OffsetTune::clickTarget_data()
{
    QTest::addColumn<QString>("dial");
    QTest::addColumn<double>("x");
    QTest::addColumn<double>("width");
    QTest::addColumn<int>("family");
    QTest::addColumn<qint64>("hz");
    const double w = 400.0;
    for (int family = 0; family <= 3; ++family) {
        QTest::addRow("centre, family %d", family)
            << u"14076.000"_s << w / 2 << w << family << qint64(14076000);
        QTest::addRow("3W/4 at 14 MHz, family %d", family)
            << u"14076.000"_s << w * 3 / 4 << w << family << qint64(14076500);
        QTest::addRow("left edge at 14 MHz, family %d", family)
            << u"14076.000"_s << 0.0 << w << family << qint64(14075000);
    }
    QTest::newRow("3W/4 at 7 MHz, Yaesu text") << u"7076.000"_s << w * 3 / 4 << w << 0 << qint64(7076500);
    QTest::newRow("3W/4 at 7 MHz, FT-897 subtracts")
        << u"7076.000"_s << w * 3 / 4 << w << 3 << qint64(7075500);
    QTest::newRow("left edge at 7 MHz, FT-897 adds") << u"7076.000"_s << 0.0 << w << 3 << qint64(7077000);
    QTest::newRow("FT-897 at 10000 kHz adds") << u"10000.000"_s << w * 3 / 4 << w << 3 << qint64(10000500);
    QTest::newRow("FT-897 at 9999.999 kHz subtracts")
        << u"9999.999"_s << w * 3 / 4 << w << 3 << qint64(9999499);
    QTest::newRow("a third rounds down") << u"14076.000"_s << w / 3 << w << 0 << qint64(14075666);
    QTest::newRow("a third, FT-897 below 10 MHz") << u"7076.000"_s << w / 3 << w << 3 << qint64(7076333);
    QTest::newRow("dial with decimals") << u"14076.520"_s << w / 2 << w << 1 << qint64(14076520);
    QTest::newRow("No Data") << u"No Data"_s << w / 2 << w << 0 << kNothing;
    QTest::newRow("dial zero") << u"0.000"_s << w / 2 << w << 0 << kNothing;
    QTest::newRow("dial with a unit") << u"14076 kHz"_s << w / 2 << w << 0 << kNothing;
    QTest::newRow("width zero") << u"14076.000"_s << 0.0 << 0.0 << 0 << kNothing;
    QTest::newRow("width negative") << u"14076.000"_s << 10.0 << -400.0 << 0 << kNothing;
    QTest::newRow("x not a number") << u"14076.000"_s << std::numeric_limits<double>::quiet_NaN() << w << 0
                                    << kNothing;
    QTest::newRow("family 4") << u"14076.000"_s << w / 2 << w << 4 << kNothing;
    QTest::newRow("family -1") << u"14076.000"_s << w / 2 << w << -1 << kNothing;
    QTest::newRow("below 0 Hz") << u"0.5"_s << 0.0 << w << 0 << kNothing;
}

void tst_OffsetTune::clickTarget()
{
    QFETCH(QString, dial);
    QFETCH(double, x);
    QFETCH(double, width);
    QFETCH(int, family);
    QFETCH(qint64, hz);
    QCOMPARE(aids::clickTargetHz(dial, x, width, family).value_or(kNothing), hz);
}

void tst_OffsetTune::clickFrames_data()
{
    QTest::addColumn<int>("family");
    QTest::addColumn<QString>("dial");
    QTest::addColumn<Writes>("expected");
    QTest::newRow("Yaesu text") << 0 << u"14076.000"_s << Writes{"FA14076500;"_ba};
    QTest::newRow("Kenwood text") << 1 << u"14076.000"_s << Writes{"FA00014076500;"_ba};
    QTest::newRow("Yaesu text, 7 digits get FA0") << 0 << u"7076.000"_s << Writes{"FA07076500;"_ba};
    QTest::newRow("CI-V") << 2 << u"14076.000"_s << Writes{hex("FEFE744505"), hex("0065071400"), hex("FD")};
    QTest::newRow("FT-897 at 7 MHz") << 3 << u"7076.000"_s << Writes{hex("0070755001")};
    QTest::newRow("FT-897 at 14 MHz") << 3 << u"14076.000"_s << Writes{hex("0140765001")};
}

// A click at three quarters of the width, through the family's frame.
void tst_OffsetTune::clickFrames()
{
    QFETCH(int, family);
    QFETCH(QString, dial);
    QFETCH(Writes, expected);
    const std::optional<qint64> hz = aids::clickTargetHz(dial, 300.0, 400.0, family);
    QVERIFY(hz.has_value());
    QCOMPARE(cat::setFrequencyWrites(family, *hz, kCiv), expected);
}

QTEST_APPLESS_MAIN(tst_OffsetTune)
#include "tst_OffsetTune.moc"
