#include "cat/AnswerReaders.h"
#include "cat/CommEvents.h"
#include "cat/FrameCodec.h"
#include "cat/FrequencyDisplay.h"

#include <QTest>

#include <limits>
#include <optional>

using namespace Qt::StringLiterals;
using veltrane::cat::Writes;
namespace cat = veltrane::cat;

namespace {

QByteArray hex(const char *digits)
{
    return QByteArray::fromHex(digits);
}

// Frames are built for a rig at 74 and a controller at 45; answers come from a rig at 74 to E0.
const cat::CivFraming kCivSend = cat::civFraming(0x74, 0x45);
const cat::CivFraming kCivRead{hex("FEFE"), hex("74"), hex("E0"), hex("FD")};

using Shown = QList<double>; // kHz shown after each read
constexpr double kNothing = -1.0;

double orNothing(std::optional<double> value)
{
    return value ? *value : kNothing;
}

// One row of the answer-reader table. Reads are separated by '|'; for families 2 and 3 each
// read is hexadecimal (blanks ignored).
void readRow(const char *name, int family, const char *reads, const Shown &shown)
{
    QTest::newRow(name) << family << QByteArray(reads) << shown;
}

std::optional<double> takeRead(int family, QByteArrayView read, cat::TextAnswerReader &text,
                               cat::CivAnswerReader &civ)
{
    if (family == cat::kCiv)
        return civ.take(read, kCivRead);
    if (family == cat::kFt897)
        return cat::ft897Answer(read);
    return text.take(read);
}

} // namespace

class tst_CatCore : public QObject
{
    Q_OBJECT

private slots:
    void frequencyConvert_data();
    void frequencyConvert();
    void bdata_data();
    void bdata();
    void setFrequency_data();
    void setFrequency();
    void fixedFrames_data();
    void fixedFrames();
    void setFrequencyWrites_data();
    void setFrequencyWrites();

    void reads_data();
    void reads();
    void everySplit_data();
    void everySplit();
    void tailIsBounded();
    void civFramingEdges();

    void formatKhz_data();
    void formatKhz();
    void recogniseBand_data();
    void recogniseBand();
    void commEvents_data();
    void commEvents();
};

// ---- codec ----

void tst_CatCore::frequencyConvert_data()
{
    QTest::addColumn<QString>("catWork");
    QTest::addColumn<QString>("expected");
    QTest::newRow("7 MHz") << u"0007026000"_s << u"0060020700"_s;
    QTest::newRow("all groups differ") << u"0123456789"_s << u"8967452301"_s;
    QTest::newRow("beyond ten dropped") << u"0007026000XY"_s << u"0060020700"_s;
    QTest::newRow("short text keeps its groups") << u"12345"_s << u"53412"_s;
    QTest::newRow("empty") << QString() << QString();
}

void tst_CatCore::frequencyConvert()
{
    QFETCH(QString, catWork);
    QFETCH(QString, expected);
    QCOMPARE(cat::Frequency_Convert(catWork), expected);
}

void tst_CatCore::bdata_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<QByteArray>("expected");
    QTest::newRow("BCD frequency") << u"0007026000"_s << true << hex("0007026000");
    QTest::newRow("all nibbles, either case") << u"0123456789abcdEF"_s << true << hex("0123456789ABCDEF");
    QTest::newRow("empty") << QString() << true << QByteArray();
    // A pair that is not hexadecimal fails; the pairs before it are filled, the rest are 0.
    QTest::newRow("letter G") << u"120G34"_s << false << hex("120000");
    QTest::newRow("blank in pair") << u"1 23"_s << false << hex("0000");
    QTest::newRow("non-ASCII digit") << u"1\uFF12"_s << false << hex("00");
    // Odd length: the lone last digit has no byte; nothing is written past the array.
    QTest::newRow("odd three") << u"123"_s << false << hex("12");
    QTest::newRow("odd one") << u"7"_s << false << QByteArray();
    QTest::newRow("odd eleven") << u"00070260001"_s << false << hex("0007026000");
}

void tst_CatCore::bdata()
{
    QFETCH(QString, text);
    QFETCH(bool, ok);
    QFETCH(QByteArray, expected);
    QByteArray bytes(16, '\x55'); // an older, longer array is resized
    QCOMPARE(cat::Bdata(text, bytes), ok);
    QCOMPARE(bytes, expected);
    if (ok) // and back to upper-case hexadecimal
        QCOMPARE(cat::BytesToHex(bytes), text.toUpper());
}

void tst_CatCore::setFrequency_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("count");
    QTest::addColumn<double>("expected");
    QTest::newRow("7 026 000 Hz") << u"0007026000"_s << 10 << 702.6;
    QTest::newRow("14 076 520 Hz") << u"0014076520"_s << 10 << 1407.652;
    QTest::newRow("count 4 takes two groups") << u"0007026000"_s << 4 << 700.0;
    QTest::newRow("odd count takes the started group") << u"0007026000"_s << 9 << 702.6;
    QTest::newRow("count 0") << u"0007026000"_s << 0 << 0.0;
    QTest::newRow("group not starting with a digit") << u"00A7026000"_s << 10 << 2.6;
    QTest::newRow("group with a trailing letter") << u"007A026000"_s << 10 << 702.6;
    QTest::newRow("short text") << u"07"_s << 10 << 70000.0;
    QTest::newRow("single digit group") << u"0007026"_s << 10 << 702.06;
}

void tst_CatCore::setFrequency()
{
    QFETCH(QString, text);
    QFETCH(int, count);
    QFETCH(double, expected);
    QCOMPARE(cat::SetFrequency(text, count), expected);
}

void tst_CatCore::fixedFrames_data()
{
    QTest::addColumn<int>("family");
    QTest::addColumn<QByteArray>("readRequest");
    QTest::addColumn<Writes>("modeUsb");
    QTest::newRow("Yaesu text") << 0 << "FA;"_ba << Writes{"MD02;"_ba};
    QTest::newRow("Kenwood text") << 1 << "FA;"_ba << Writes{"MD2;"_ba};
    QTest::newRow("CI-V") << 2 << hex("FEFE744503FD") << Writes{hex("FEFE74450601FD")};
    QTest::newRow("FT-897") << 3 << hex("0000000003") << Writes{hex("0100000007")};
    QTest::newRow("family 5") << 5 << QByteArray() << Writes{};
}

void tst_CatCore::fixedFrames()
{
    QFETCH(int, family);
    QFETCH(QByteArray, readRequest);
    QFETCH(Writes, modeUsb);
    QCOMPARE(cat::readRequest(family, kCivSend), readRequest);
    QCOMPARE(cat::modeUsbWrites(family, kCivSend), modeUsb);
}

void tst_CatCore::setFrequencyWrites_data()
{
    QTest::addColumn<int>("family");
    QTest::addColumn<qint64>("hz");
    QTest::addColumn<Writes>("expected");
    const QByteArray civSet = hex("FEFE744505");
    const QByteArray end = hex("FD");
    QTest::newRow("0: 8 digits") << 0 << qint64(14076523) << Writes{"FA14076523;"_ba};
    QTest::newRow("0: 7 digits get FA0") << 0 << qint64(7025477) << Writes{"FA07025477;"_ba};
    QTest::newRow("0: 3 digits get FA0") << 0 << qint64(523) << Writes{"FA0523;"_ba};
    QTest::newRow("0: 9 digits") << 0 << qint64(144174000) << Writes{"FA144174000;"_ba};
    QTest::newRow("1: 7 digits padded to 11") << 1 << qint64(7025477) << Writes{"FA00007025477;"_ba};
    QTest::newRow("1: 12 digits, no zeros") << 1 << qint64(123456789012) << Writes{"FA123456789012;"_ba};
    QTest::newRow("2: 14 076 523") << 2 << qint64(14076523) << Writes{civSet, hex("2365071400"), end};
    QTest::newRow("2: 11 digits keep the last 10")
        << 2 << qint64(12345678901) << Writes{civSet, hex("0189674523"), end};
    QTest::newRow("2: under 5 digits still 5 bytes")
        << 2 << qint64(123) << Writes{civSet, hex("2301000000"), end};
    QTest::newRow("3: 14 076 523 drops the last digit") << 3 << qint64(14076523) << Writes{hex("0140765201")};
    QTest::newRow("3: 7 025 477") << 3 << qint64(7025477) << Writes{hex("0070254701")};
    QTest::newRow("3: 10 digits keep the last 8") << 3 << qint64(1234567890) << Writes{hex("2345678901")};
    for (int family = 0; family <= 3; ++family)
        QTest::addRow("%d: negative sends nothing", family) << family << qint64(-1) << Writes{};
    QTest::newRow("family 5") << 5 << qint64(14076000) << Writes{};
    QTest::newRow("family -1") << -1 << qint64(14076000) << Writes{};
}

void tst_CatCore::setFrequencyWrites()
{
    QFETCH(int, family);
    QFETCH(qint64, hz);
    QFETCH(Writes, expected);
    QCOMPARE(cat::setFrequencyWrites(family, hz, kCivSend), expected);
}

// ---- answer readers ----

void tst_CatCore::reads_data()
{
    QTest::addColumn<int>("family");
    QTest::addColumn<QByteArray>("reads");
    QTest::addColumn<Shown>("shown");
    readRow("fraction of a kHz", 0, "FA14076520;", {14076.52});
    readRow("two answers, first counts", 0, "FA07026000;FA14076000;", {7026.0});
    readRow("first out of range, second valid", 0, "FA00000000;FA14076000;", {14076.0});
    readRow("echo before the answer", 0, "FA;FA07026000;", {7026.0});
    readRow("error answer before the answer", 0, "?;FA07026000;", {7026.0});
    readRow("garbage before", 0, "\xFF\xFE?FF;FAx;FFA07026000;", {7026.0});
    readRow("3.5 MHz excluded", 0, "FA03500000;", {kNothing});
    readRow("3 500 001 Hz", 0, "FA03500001;", {3500.001});
    readRow("54 MHz excluded", 0, "FA54000000;", {kNothing});
    readRow("just below 54 MHz", 0, "FA53999999;", {53999.999});
    readRow("echo, error answer, empty", 0, "FA;|?;|", {kNothing, kNothing, kNothing});
    readRow("12 digits", 0, "FA000014076000;", {kNothing});
    readRow("sign", 0, "FA-7026000;", {kNothing});
    readRow("lower case", 0, "fa07026000;", {kNothing});
    readRow("other command", 0, "IF07026000;", {kNothing});
    readRow("50.330 MHz in two reads", 0, "FA5033000|0;", {kNothing, 50330.0});
    readRow("answer and the start of the next", 0, "FA07026000;FA1407|6000;", {7026.0, 14076.0});
    readRow("a cut answer is dropped when noise follows", 0, "FA0702|?;|6000;",
            {kNothing, kNothing, kNothing});
    readRow("too many digits across reads", 0, "FA0001407600|00;|FA07026000;", {kNothing, kNothing, 7026.0});
    readRow("echo split from its answer", 0, "FA|;FA070|26000;", {kNothing, kNothing, 7026.0});
    readRow("nothing is kept between reads", 0, "FA07026000;||?;", {7026.0, kNothing, kNothing});

    readRow("CI-V poll after poll", 2, "FEFE74E003FD | FEFEE074030060020700FD FEFE74E003FD",
            {kNothing, 7026.0});
    readRow("CI-V 51 000 000 Hz included", 2, "FEFEE074030000005100FD", {51000.0});
    readRow("CI-V 3 500 000 Hz included", 2, "FEFEE074030000500300FD", {3500.0});
    // A rejected answer is skipped and the valid one behind it counts.
    readRow("CI-V 51 000 010 Hz excluded", 2, "FEFEE074031000005100FD FEFEE074030060020700FD", {7026.0});
    readRow("CI-V 3 499 990 Hz excluded", 2, "FEFEE074039099490300FD FEFEE074030060020700FD", {7026.0});
    readRow("CI-V non-BCD low nibble", 2, "FEFEE07403006A020700FD FEFEE074030060020700FD", {7026.0});
    readRow("CI-V non-BCD high nibble", 2, "FEFEE0740300600207A0FD", {kNothing});
    readRow("CI-V other rig", 2, "FEFEE076030060020700FD", {kNothing});
    readRow("CI-V other controller", 2, "FEFEE174030060020700FD", {kNothing});
    readRow("CI-V other command", 2, "FEFEE074040060020700FD", {kNothing});
    readRow("CI-V two answers, first counts", 2, "FEFEE074030060020700FD FEFEE074030060071400FD", {7026.0});
    readRow("CI-V answer without its end byte", 2, "FEFEE074030060020700", {7026.0});
    readRow("CI-V truncated, completed next read", 2,
            "FEFEE07403006002 | FD FEFE74E003FD FEFEE074030060020700FD", {kNothing, 7026.0});

    readRow("FT-897 14 076.52 kHz", 3, "0140765201", {14076.52});
    readRow("FT-897 mode byte ignored", 3, "00702600FF", {7026.0});
    readRow("FT-897 no range test", 3, "1441740001", {144174.0});
    readRow("FT-897 four bytes", 3, "01407652", {kNothing});
    readRow("FT-897 six bytes", 3, "014076520100", {kNothing});
    readRow("FT-897 non-BCD low nibble", 3, "0140765A01", {kNothing});
    readRow("FT-897 non-BCD high nibble", 3, "F140765201", {kNothing});
    readRow("FT-897 each read judged alone", 3, "014076|5201", {kNothing, kNothing});
}

void tst_CatCore::reads()
{
    QFETCH(int, family);
    QFETCH(QByteArray, reads);
    QFETCH(Shown, shown);
    const QByteArrayList parts = reads.split('|');
    QCOMPARE(parts.size(), shown.size());
    cat::TextAnswerReader text;
    cat::CivAnswerReader civ;
    for (qsizetype i = 0; i < parts.size(); ++i) {
        const QByteArray read = family >= cat::kCiv ? QByteArray::fromHex(parts[i]) : parts[i];
        QCOMPARE(orNothing(takeRead(family, read, text, civ)), shown[i]);
    }
}

void tst_CatCore::everySplit_data()
{
    QTest::addColumn<int>("family");
    QTest::addColumn<QByteArray>("stream");
    QTest::addColumn<qsizetype>("complete"); // bytes after which the answer is shown
    QTest::addColumn<double>("khz");
    QTest::newRow("Yaesu 50.330 MHz") << 0 << "FA50330000;"_ba << qsizetype(11) << 50330.0;
    QTest::newRow("Kenwood after an echo") << 1 << "FA;FA00014076000;"_ba << qsizetype(17) << 14076.0;
    // CI-V shows the answer with its fifth frequency byte; the end byte is not waited for.
    QTest::newRow("CI-V echo and answer")
        << 2 << hex("FEFE74E003FDFEFEE074030060020700FD") << qsizetype(16) << 7026.0;
}

// Cut into three reads anywhere (the middle one possibly empty): the answer is shown exactly once,
// by the read that brings its last needed byte.
void tst_CatCore::everySplit()
{
    QFETCH(int, family);
    QFETCH(QByteArray, stream);
    QFETCH(qsizetype, complete);
    QFETCH(double, khz);
    const qsizetype size = stream.size();
    for (qsizetype a = 1; a < size; ++a) {
        for (qsizetype b = a; b < size; ++b) {
            cat::TextAnswerReader text;
            cat::CivAnswerReader civ;
            qsizetype start = 0;
            for (const qsizetype end : {a, b, size}) {
                const double expected = start < complete && complete <= end ? khz : kNothing;
                const QByteArray read = stream.mid(start, end - start);
                QVERIFY2(orNothing(takeRead(family, read, text, civ)) == expected,
                         qPrintable(u"cuts %1, %2"_s.arg(a).arg(b)));
                start = end;
            }
        }
    }
}

void tst_CatCore::tailIsBounded()
{
    cat::TextAnswerReader text;
    // "FA" and eleven digits may still become an answer; a twelfth digit makes it noise.
    QVERIFY(!text.take("xxFA12345678901"_ba));
    QCOMPARE(text.pendingTail(), "FA12345678901"_ba);
    QVERIFY(!text.take("2"_ba));
    QCOMPARE(text.pendingTail(), QByteArray());
    for (int i = 0; i < 100; ++i) {
        QVERIFY(!text.take("FA0000000000000000000000000000000000000000F"_ba));
        QVERIFY(text.pendingTail().size() <= cat::kMaxTail);
    }
    QCOMPARE(orNothing(text.take("A07026000;"_ba)), 7026.0);

    cat::CivAnswerReader civ;
    for (int i = 0; i < 50; ++i) {
        QVERIFY(!civ.take(hex("FEFEE07403FFFFFFFFFFFEFEE07403"), kCivRead));
        QVERIFY(civ.pendingTail().size() <= cat::kMaxTail);
    }
    QCOMPARE(civ.pendingTail(), hex("FEFEE07403"));
    QCOMPARE(orNothing(civ.take(hex("0060020700FD"), kCivRead)), 7026.0);
    QCOMPARE(civ.pendingTail(), QByteArray());
}

void tst_CatCore::civFramingEdges()
{
    // Same address on both sides (a set-up mistake): the echo looks like a header, but the bytes
    // after it are not BCD, so the answer behind it still counts.
    const cat::CivFraming same{hex("FEFE"), hex("74"), hex("74"), hex("FD")};
    cat::CivAnswerReader confused;
    QCOMPARE(orNothing(confused.take(hex("FEFE747403FDFEFE7474030060020700FD"), same)), 7026.0);

    // No framing (the family was never prepared): nothing matches and nothing is kept.
    cat::CivAnswerReader unframed;
    QVERIFY(!unframed.take(hex("FEFEE074030060020700FD"), cat::CivFraming{}));
    QCOMPARE(unframed.pendingTail(), QByteArray());
}

// ---- display and comm events ----

void tst_CatCore::formatKhz_data()
{
    QTest::addColumn<double>("khz");
    QTest::addColumn<QString>("expected");
    QTest::newRow("two decimals") << 14076.52 << u"14076.520"_s;
    QTest::newRow("below 1 kHz") << 0.5 << u".500"_s;
    QTest::newRow("rounds half up") << 7026.0005 << u"7026.001"_s;
    QTest::newRow("rounds down") << 7026.0004 << u"7026.000"_s;
    QTest::newRow("rounds into the integer part") << 7025.9999 << u"7026.000"_s;
    QTest::newRow("CI-V sum of groups") << 10.0 * 1407.652 << u"14076.520"_s;
    QTest::newRow("no group separators") << 1234567.0 << u"1234567.000"_s;
    QTest::newRow("negative") << -0.5 << u"-.500"_s;
    QTest::newRow("not a number") << std::numeric_limits<double>::quiet_NaN() << QString();
    QTest::newRow("infinite") << std::numeric_limits<double>::infinity() << QString();
}

void tst_CatCore::formatKhz()
{
    QFETCH(double, khz);
    QFETCH(QString, expected);
    QCOMPARE(cat::formatKhz(khz), expected);
}

void tst_CatCore::recogniseBand_data()
{
    QTest::addColumn<QString>("display");
    QTest::addColumn<QString>("band"); // empty: no band
    const char *const segments[][5] = {
        {"7MHz", "7000.000", "7200.000", "6999.999", "7200.001"},
        {"14MHz", "14000.000", "14350.000", "13999.999", "14350.001"},
        {"18MHz", "18068.000", "18168.000", "18067.999", "18168.001"},
        {"21MHz", "21000.000", "21450.000", "20999.999", "21450.001"},
        {"24MHz", "24890.000", "24990.000", "24889.999", "24990.001"},
        {"28MHz", "28000.000", "29000.000", "27999.999", "29000.001"},
    };
    for (const auto &segment : segments) {
        for (int i = 1; i <= 4; ++i) // limits, then the thousandth below and above
            QTest::newRow(segment[i])
                << QString::fromLatin1(segment[i]) << (i <= 2 ? QString::fromLatin1(segment[0]) : QString());
    }
    QTest::newRow("50313.000 has no segment") << u"50313.000"_s << QString();
    QTest::newRow("leading number with a tail") << u"14076.5 kHz"_s << u"14MHz"_s;
    QTest::newRow("leading blanks") << u"  7026.000"_s << u"7MHz"_s;
    QTest::newRow("No Data") << cat::noDataText() << QString();
    QTest::newRow("zero") << u".000"_s << QString();
    QTest::newRow("negative") << u"-7026.000"_s << QString();
}

void tst_CatCore::recogniseBand()
{
    QFETCH(QString, display);
    QFETCH(QString, band);
    QCOMPARE(cat::recogniseBand(display).value_or(QString()), band);
    QCOMPARE(cat::noDataText(), u"No Data"_s);
}

void tst_CatCore::commEvents_data()
{
    QTest::addColumn<int>("code");
    QTest::addColumn<bool>("isError");
    QTest::addColumn<QString>("message");
    for (int code : {1, 2, 3, 4, 5, 6, 7, 1001, 1004, 1009})
        QTest::addRow("event %d", code) << code << false << QString();
    QTest::newRow("1002 CTS time-out") << 1002 << true << u"CTS 時間切れｴﾗｰを検出しました"_s;
    QTest::newRow("1003 DSR time-out") << 1003 << true << u"DSR 時間切れｴﾗｰを検出しました"_s;
    QTest::newRow("1006 overrun") << 1006 << true << u"ﾃﾞｰﾀ喪失ｴﾗｰが発生しました"_s;
    QTest::newRow("1007 CD time-out") << 1007 << true << u"ｷｬﾘｱ検出時間切れｴﾗｰを検出しました"_s;
    QTest::newRow("1008 receive overflow") << 1008 << true << u"ﾊﾞｯﾌｧｵｰﾊﾞﾌﾛｰｴﾗｰが発生しました"_s;
    QTest::newRow("1010 transmit full") << 1010 << true << u"送信ﾊﾞｯﾌｧﾌﾙｴﾗｰが発生しました"_s;
    for (int code : {1005, 0, 8, 1000, 1011, -1})
        QTest::addRow("unknown %d", code) << code << true << u"未知ｴﾗｰが発生しました"_s;
}

void tst_CatCore::commEvents()
{
    QFETCH(int, code);
    QFETCH(bool, isError);
    QFETCH(QString, message);
    const cat::CommEventInfo info = cat::commEventInfo(code);
    QCOMPARE(info.isError, isError);
    QCOMPARE(info.message, message);
    QCOMPARE(cat::commErrorTitle(), u"中断する場合は [ｷｬﾝｾﾙ] を、無視する場合は [OK] をｸﾘｯｸしてください。"_s);
}

QTEST_APPLESS_MAIN(tst_CatCore)
#include "tst_CatCore.moc"
