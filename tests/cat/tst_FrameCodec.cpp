#include "cat/FrameCodec.h"

#include <QTest>

using namespace Qt::StringLiterals;
using veltrane::cat::Writes;
namespace cat = veltrane::cat;

namespace {

QByteArray hex(const char *digits)
{
    return QByteArray::fromHex(digits);
}

// Rig at 74, controller at 45, as in the band-selection examples.
const cat::CivFraming kCiv{hex("FEFE"), hex("74"), hex("45"), hex("FD")};

} // namespace

class tst_FrameCodec : public QObject
{
    Q_OBJECT

private slots:
    void frequencyConvert_data();
    void frequencyConvert();
    void frequencyConvertTwiceRestores_data();
    void frequencyConvertTwiceRestores();
    void bdata_data();
    void bdata();
    void bdataResizesAnOldArray();
    void bytesToHex_data();
    void bytesToHex();
    void setFrequency_data();
    void setFrequency();
    void civFramingBytes();
    void readRequest_data();
    void readRequest();
    void setFrequencyWrites_data();
    void setFrequencyWrites();
    void modeUsbWrites_data();
    void modeUsbWrites();
};

void tst_FrameCodec::frequencyConvert_data()
{
    QTest::addColumn<QString>("catWork");
    QTest::addColumn<QString>("expected");
    QTest::newRow("7 MHz") << u"0007026000"_s << u"0060020700"_s;
    QTest::newRow("14 MHz") << u"0014076000"_s << u"0060071400"_s;
    QTest::newRow("50 MHz") << u"0050330000"_s << u"0000335000"_s;
    QTest::newRow("all groups differ") << u"0123456789"_s << u"8967452301"_s;
    QTest::newRow("beyond ten dropped") << u"0007026000XY"_s << u"0060020700"_s;
    QTest::newRow("short text keeps its groups") << u"12345"_s << u"53412"_s;
    QTest::newRow("empty") << QString() << QString();
}

void tst_FrameCodec::frequencyConvert()
{
    QFETCH(QString, catWork);
    QFETCH(QString, expected);
    QCOMPARE(cat::Frequency_Convert(catWork), expected);
}

void tst_FrameCodec::frequencyConvertTwiceRestores_data()
{
    QTest::addColumn<QString>("catWork");
    QTest::newRow("7 MHz") << u"0007026000"_s;
    QTest::newRow("digits") << u"0123456789"_s;
    QTest::newRow("letters") << u"ABCDEFGHIJ"_s;
}

void tst_FrameCodec::frequencyConvertTwiceRestores()
{
    QFETCH(QString, catWork);
    const QString once = cat::Frequency_Convert(catWork);
    QVERIFY(once != catWork);
    QCOMPARE(cat::Frequency_Convert(once), catWork);
}

void tst_FrameCodec::bdata_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<QByteArray>("expected");
    QTest::newRow("read command") << u"0000000003"_s << true << hex("0000000003");
    QTest::newRow("CI-V 7 MHz") << u"0060020700"_s << true << hex("0060020700");
    QTest::newRow("FT-897 set") << u"0140765201"_s << true << hex("0140765201");
    QTest::newRow("14 MHz reordered") << u"0060071400"_s << true << hex("0060071400");
    QTest::newRow("upper-case letters") << u"FEFD"_s << true << hex("FEFD");
    QTest::newRow("lower-case letters") << u"feAd"_s << true << hex("FEAD");
    QTest::newRow("empty") << QString() << true << QByteArray();
    // A pair that is not hexadecimal fails; the pairs before it are filled, the rest are 0.
    QTest::newRow("letter G") << u"120G34"_s << false << hex("120000");
    QTest::newRow("blank in pair") << u"1 23"_s << false << hex("0000");
    QTest::newRow("sign") << u"-1"_s << false << hex("00");
    QTest::newRow("non-ASCII digit") << u"1\uFF12"_s << false << hex("00");
    // Odd length: the lone last digit has no byte; nothing is written past the array.
    QTest::newRow("odd three") << u"123"_s << false << hex("12");
    QTest::newRow("odd one") << u"7"_s << false << QByteArray();
    QTest::newRow("odd eleven") << u"00070260001"_s << false << hex("0007026000");
}

void tst_FrameCodec::bdata()
{
    QFETCH(QString, text);
    QFETCH(bool, ok);
    QFETCH(QByteArray, expected);
    QByteArray bytes;
    QCOMPARE(cat::Bdata(text, bytes), ok);
    QCOMPARE(bytes, expected);
}

void tst_FrameCodec::bdataResizesAnOldArray()
{
    QByteArray bytes(16, '\x55');
    QVERIFY(cat::Bdata(u"0102", bytes));
    QCOMPARE(bytes, hex("0102"));
}

void tst_FrameCodec::bytesToHex_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("expected");
    QTest::newRow("BCD frequency") << hex("0007026000") << u"0007026000"_s;
    QTest::newRow("letters upper-case") << hex("FEfd0a") << u"FEFD0A"_s;
    QTest::newRow("all nibbles") << hex("0123456789ABCDEF") << u"0123456789ABCDEF"_s;
    QTest::newRow("empty") << QByteArray() << QString();
}

void tst_FrameCodec::bytesToHex()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, expected);
    QCOMPARE(cat::BytesToHex(bytes), expected);
}

void tst_FrameCodec::setFrequency_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("count");
    QTest::addColumn<double>("expected");
    QTest::newRow("7 026 000 Hz") << u"0007026000"_s << 10 << 702.6;
    QTest::newRow("14 076 520 Hz") << u"0014076520"_s << 10 << 1407.652;
    QTest::newRow("51 000 000 Hz") << u"0051000000"_s << 10 << 5100.0;
    QTest::newRow("51 000 010 Hz") << u"0051000010"_s << 10 << 5100.001;
    QTest::newRow("1 GHz digit") << u"1000000000"_s << 10 << 100000.0;
    QTest::newRow("count 4 takes two groups") << u"0007026000"_s << 4 << 700.0;
    QTest::newRow("odd count takes the started group") << u"0007026000"_s << 9 << 702.6;
    QTest::newRow("count 0") << u"0007026000"_s << 0 << 0.0;
    QTest::newRow("group not starting with a digit") << u"00A7026000"_s << 10 << 2.6;
    QTest::newRow("group with a trailing letter") << u"007A026000"_s << 10 << 702.6;
    QTest::newRow("short text") << u"07"_s << 10 << 70000.0;
    QTest::newRow("single digit group") << u"0007026"_s << 10 << 702.06;
}

void tst_FrameCodec::setFrequency()
{
    QFETCH(QString, text);
    QFETCH(int, count);
    QFETCH(double, expected);
    QCOMPARE(cat::SetFrequency(text, count), expected);
}

void tst_FrameCodec::civFramingBytes()
{
    const cat::CivFraming civ = cat::civFraming(0x74, 0xE0);
    QCOMPARE(civ.preamble, hex("FEFE"));
    QCOMPARE(civ.rigAddress, hex("74"));
    QCOMPARE(civ.controllerAddress, hex("E0"));
    QCOMPARE(civ.end, hex("FD"));
}

void tst_FrameCodec::readRequest_data()
{
    QTest::addColumn<int>("family");
    QTest::addColumn<QByteArray>("expected");
    QTest::newRow("Yaesu text") << 0 << "FA;"_ba;
    QTest::newRow("Kenwood text") << 1 << "FA;"_ba;
    QTest::newRow("CI-V") << 2 << hex("FEFE744503FD");
    QTest::newRow("FT-897") << 3 << hex("0000000003");
    QTest::newRow("family 4") << 4 << QByteArray();
    QTest::newRow("family -1") << -1 << QByteArray();
}

void tst_FrameCodec::readRequest()
{
    QFETCH(int, family);
    QFETCH(QByteArray, expected);
    QCOMPARE(cat::readRequest(family, kCiv), expected);
}

void tst_FrameCodec::setFrequencyWrites_data()
{
    QTest::addColumn<int>("family");
    QTest::addColumn<qint64>("hz");
    QTest::addColumn<Writes>("expected");
    const QByteArray civSet = hex("FEFE744505");
    const QByteArray end = hex("FD");

    QTest::newRow("0: 8 digits") << 0 << qint64(14076523) << Writes{"FA14076523;"_ba};
    QTest::newRow("0: 7 digits get FA0") << 0 << qint64(7025477) << Writes{"FA07025477;"_ba};
    QTest::newRow("0: 7 MHz band") << 0 << qint64(7026000) << Writes{"FA07026000;"_ba};
    QTest::newRow("0: 9 digits") << 0 << qint64(144174000) << Writes{"FA144174000;"_ba};
    QTest::newRow("0: 3 digits") << 0 << qint64(523) << Writes{"FA0523;"_ba};
    QTest::newRow("0: zero") << 0 << qint64(0) << Writes{"FA00;"_ba};
    QTest::newRow("1: 8 digits") << 1 << qint64(14076523) << Writes{"FA00014076523;"_ba};
    QTest::newRow("1: 7 digits") << 1 << qint64(7025477) << Writes{"FA00007025477;"_ba};
    QTest::newRow("1: 11 digits") << 1 << qint64(12345678901) << Writes{"FA12345678901;"_ba};
    QTest::newRow("1: 12 digits, no zeros") << 1 << qint64(123456789012) << Writes{"FA123456789012;"_ba};
    QTest::newRow("2: 14 076 523") << 2 << qint64(14076523) << Writes{civSet, hex("2365071400"), end};
    QTest::newRow("2: 7 025 477") << 2 << qint64(7025477) << Writes{civSet, hex("7754020700"), end};
    QTest::newRow("2: 14 076 000") << 2 << qint64(14076000) << Writes{civSet, hex("0060071400"), end};
    QTest::newRow("2: 1 GHz digit") << 2 << qint64(1296000000) << Writes{civSet, hex("0000009612"), end};
    QTest::newRow("2: 11 digits keep the last 10")
        << 2 << qint64(12345678901) << Writes{civSet, hex("0189674523"), end};
    QTest::newRow("2: under 5 digits still 5 bytes")
        << 2 << qint64(123) << Writes{civSet, hex("2301000000"), end};
    QTest::newRow("3: 14 076 523 drops the last digit") << 3 << qint64(14076523) << Writes{hex("0140765201")};
    QTest::newRow("3: 7 025 477") << 3 << qint64(7025477) << Writes{hex("0070254701")};
    QTest::newRow("3: 7 075 500") << 3 << qint64(7075500) << Writes{hex("0070755001")};
    QTest::newRow("3: 14 076 500") << 3 << qint64(14076500) << Writes{hex("0140765001")};
    QTest::newRow("3: 9 Hz") << 3 << qint64(9) << Writes{hex("0000000001")};
    QTest::newRow("3: 10 digits keep the last 8") << 3 << qint64(1234567890) << Writes{hex("2345678901")};
    for (int family = 0; family <= 3; ++family)
        QTest::addRow("%d: negative sends nothing", family) << family << qint64(-1) << Writes{};
    QTest::newRow("family 4") << 4 << qint64(14076000) << Writes{};
    QTest::newRow("family -1") << -1 << qint64(14076000) << Writes{};
}

void tst_FrameCodec::setFrequencyWrites()
{
    QFETCH(int, family);
    QFETCH(qint64, hz);
    QFETCH(Writes, expected);
    QCOMPARE(cat::setFrequencyWrites(family, hz, kCiv), expected);
}

void tst_FrameCodec::modeUsbWrites_data()
{
    QTest::addColumn<int>("family");
    QTest::addColumn<Writes>("expected");
    QTest::newRow("Yaesu text") << 0 << Writes{"MD02;"_ba};
    QTest::newRow("Kenwood text") << 1 << Writes{"MD2;"_ba};
    QTest::newRow("CI-V") << 2 << Writes{hex("FEFE74450601FD")};
    QTest::newRow("FT-897") << 3 << Writes{hex("0100000007")};
    QTest::newRow("family 4") << 4 << Writes{};
}

void tst_FrameCodec::modeUsbWrites()
{
    QFETCH(int, family);
    QFETCH(Writes, expected);
    QCOMPARE(cat::modeUsbWrites(family, kCiv), expected);
}

QTEST_APPLESS_MAIN(tst_FrameCodec)
#include "tst_FrameCodec.moc"
