// The CAT codec: every family's frames byte for byte, the conversions they are built with, the
// answer readers fed whole answers, fragments, garbage and two answers at once, the display text,
// band recognition and the comm-event table.

#include "cat/CommEvents.h"
#include "cat/FrequencyDisplay.h"
#include "cat/RigFamily.h"

#include <QTest>

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
const cat::CivFraming kCivRead = cat::civFraming(0x74, 0xE0);

using Shown = QList<qint64>; // Hz shown after each read
constexpr qint64 kNothing = -1;

// One read through the family's reader.
qint64 take(cat::AnswerReader &reader, QByteArrayView read)
{
    return reader.take(read, kCivRead).value_or(kNothing);
}

} // namespace

class tst_Codec : public QObject
{
    Q_OBJECT

private slots:
    void conversions();
    void frames_data();
    void frames();
    void reads_data();
    void reads();
    void everySplit_data();
    void everySplit();
    void tailIsBounded();
    void displayAndBands();
    void commEvents();
};

void tst_Codec::conversions()
{
    QCOMPARE(cat::Frequency_Convert(u"0007026000"_s), u"0060020700"_s);
    QCOMPARE(cat::Frequency_Convert(u"0123456789XY"_s), u"8967452301"_s); // beyond ten dropped
    QCOMPARE(cat::Frequency_Convert(u"12345"_s), u"53412"_s);
    QCOMPARE(cat::SetFrequency(u"0007026000", 10), 702.6);
    QCOMPARE(cat::SetFrequency(u"0014076520", 10), 1407.652);
    QCOMPARE(cat::SetFrequency(u"00A7026000", 10), 2.6); // a group not starting with a digit reads 0
    QCOMPARE(cat::SetFrequency(u"0007026000", 4), 700.0);

    struct
    {
        QString text;
        bool ok;
        QByteArray bytes;
    } const bdata[] = {
        {u"0123456789abcdEF"_s, true, hex("0123456789ABCDEF")},
        // A pair that is not hexadecimal fails; the pairs before it are filled, the rest are 0.
        {u"120G34"_s, false, hex("120000")},
        {u"1\uFF12"_s, false, hex("00")},
        // Odd length: the lone last digit has no byte; nothing is written past the array.
        {u"00070260001"_s, false, hex("0007026000")},
        {u"7"_s, false, QByteArray()},
    };
    for (const auto &row : bdata) {
        QByteArray bytes(16, '\x55'); // an older, longer array is resized
        QCOMPARE(cat::Bdata(row.text, bytes), row.ok);
        QCOMPARE(bytes, row.bytes);
    }
    QCOMPARE(cat::BytesToHex(hex("000702600A")), u"000702600A"_s);
}

void tst_Codec::frames_data()
{
    QTest::addColumn<int>("code");
    QTest::addColumn<QByteArray>("readRequest");
    QTest::addColumn<Writes>("modeUsb");
    QTest::addColumn<qint64>("hz");
    QTest::addColumn<Writes>("setFrequency");
    const QByteArray civSet = hex("FEFE744505");
    const QByteArray civEnd = hex("FD");
    const Writes civMode{hex("FEFE74450601FD")};
    QTest::newRow("Yaesu 8 digits") << 0 << "FA;"_ba << Writes{"MD02;"_ba} << qint64(14076523)
                                    << Writes{"FA14076523;"_ba};
    QTest::newRow("Yaesu 7 digits get FA0")
        << 0 << "FA;"_ba << Writes{"MD02;"_ba} << qint64(7025477) << Writes{"FA07025477;"_ba};
    QTest::newRow("Yaesu 9 digits") << 0 << "FA;"_ba << Writes{"MD02;"_ba} << qint64(144174000)
                                    << Writes{"FA144174000;"_ba};
    QTest::newRow("Kenwood padded to 11")
        << 1 << "FA;"_ba << Writes{"MD2;"_ba} << qint64(7025477) << Writes{"FA00007025477;"_ba};
    QTest::newRow("Kenwood 12 digits")
        << 1 << "FA;"_ba << Writes{"MD2;"_ba} << qint64(123456789012) << Writes{"FA123456789012;"_ba};
    QTest::newRow("CI-V in three writes") << 2 << hex("FEFE744503FD") << civMode << qint64(14076523)
                                          << Writes{civSet, hex("2365071400"), civEnd};
    QTest::newRow("CI-V keeps the last 10 digits")
        << 2 << hex("FEFE744503FD") << civMode << qint64(12345678901)
        << Writes{civSet, hex("0189674523"), civEnd};
    QTest::newRow("CI-V under 5 digits")
        << 2 << hex("FEFE744503FD") << civMode << qint64(123) << Writes{civSet, hex("2301000000"), civEnd};
    QTest::newRow("FT-897 drops the last digit") << 3 << hex("0000000003") << Writes{hex("0100000007")}
                                                 << qint64(14076523) << Writes{hex("0140765201")};
    QTest::newRow("FT-897 keeps the last 8") << 3 << hex("0000000003") << Writes{hex("0100000007")}
                                             << qint64(1234567890) << Writes{hex("2345678901")};
    QTest::newRow("rigctld") << 4 << "f\n"_ba << Writes{"M USB 0\n"_ba} << qint64(14076523)
                             << Writes{"F 14076523\n"_ba};
    for (int code = 0; code <= 4; ++code)
        QTest::addRow("%d: negative sends nothing", code)
            << code << cat::rigCapsForCode(code)->readRequest(kCivSend)
            << cat::rigCapsForCode(code)->modeUsb(kCivSend) << qint64(-1) << Writes{};
}

void tst_Codec::frames()
{
    QFETCH(int, code);
    QFETCH(QByteArray, readRequest);
    QFETCH(Writes, modeUsb);
    QFETCH(qint64, hz);
    QFETCH(Writes, setFrequency);
    const cat::RigCaps *rig = cat::rigCapsForCode(code);
    QVERIFY(rig);
    QCOMPARE(rig->readRequest(kCivSend), readRequest);
    QCOMPARE(rig->modeUsb(kCivSend), modeUsb);
    QCOMPARE(rig->setFrequencyWrites(hz, kCivSend), setFrequency);
    QVERIFY(!cat::rigCapsForCode(5) && !cat::rigCapsForCode(-1));
}

void tst_Codec::reads_data()
{
    QTest::addColumn<int>("code");
    QTest::addColumn<QByteArray>("reads"); // separated by '|'; hexadecimal for CI-V and FT-897
    QTest::addColumn<Shown>("shown");
    auto row = [](const char *name, int code, const char *reads, const Shown &shown) {
        QTest::newRow(name) << code << QByteArray(reads) << shown;
    };
    row("fraction of a kHz", 0, "FA14076520;", {14076520});
    row("two answers, first counts", 0, "FA07026000;FA14076000;", {7026000});
    row("first out of range, second valid", 0, "FA00000000;FA14076000;", {14076000});
    row("echo, error and garbage before", 0, "FA;?;\xFF\xFE?FF;FAx;FFA07026000;", {7026000});
    row("3.5 MHz excluded", 0, "FA03500000;", {kNothing});
    row("3 500 001 Hz", 0, "FA03500001;", {3500001});
    row("54 MHz excluded", 0, "FA54000000;", {kNothing});
    row("just below 54 MHz", 0, "FA53999999;", {53999999});
    row("9-digit Yaesu answer", 0, "FA014076000;", {14076000});
    row("12 digits, sign, lower case, other command", 0, "FA000014076000;FA-7026000;fa07026000;IF07026000;",
        {kNothing});
    row("50.330 MHz in two reads", 0, "FA5033000|0;", {kNothing, 50330000});
    row("answer and the start of the next", 0, "FA07026000;FA1407|6000;", {7026000, 14076000});
    row("a cut answer is dropped when noise follows", 0, "FA0702|?;|6000;", {kNothing, kNothing, kNothing});
    row("too many digits across reads", 0, "FA0001407600|00;|FA07026000;", {kNothing, kNothing, 7026000});
    row("nothing is kept between reads", 0, "FA07026000;||?;", {7026000, kNothing, kNothing});
    row("Kenwood answer", 1, "FA00014076000;", {14076000});

    row("CI-V poll after poll", 2, "FEFE74E003FD | FEFEE074030060020700FD FEFE74E003FD", {kNothing, 7026000});
    row("CI-V 51 000 000 Hz included", 2, "FEFEE074030000005100FD", {51000000});
    row("CI-V 3 500 000 Hz included", 2, "FEFEE074030000500300FD", {3500000});
    // A rejected answer is skipped and the valid one behind it counts.
    row("CI-V 51 000 010 Hz excluded", 2, "FEFEE074031000005100FD FEFEE074030060020700FD", {7026000});
    row("CI-V 3 499 990 Hz excluded", 2, "FEFEE074039099490300FD FEFEE074030060020700FD", {7026000});
    row("CI-V non-BCD", 2, "FEFEE07403006A020700FD FEFEE0740300600207A0FD", {kNothing});
    row("CI-V other rig, controller or command", 2,
        "FEFEE076030060020700FD FEFEE174030060020700FD FEFEE074040060020700FD", {kNothing});
    row("CI-V two answers, first counts", 2, "FEFEE074030060020700FD FEFEE074030060071400FD", {7026000});
    row("CI-V truncated, completed next read", 2, "FEFEE07403006002 | FD FEFE74E003FD FEFEE074030060020700FD",
        {kNothing, 7026000});

    row("FT-897 14 076.52 kHz", 3, "0140765201", {14076520});
    row("FT-897 mode byte ignored, no range test", 3, "14417400FF", {144174000});
    row("FT-897 four or six bytes", 3, "01407652|014076520100", {kNothing, kNothing});
    row("FT-897 non-BCD", 3, "0140765A01|F140765201", {kNothing, kNothing});
    row("FT-897 each read judged alone", 3, "014076|5201", {kNothing, kNothing});

    row("rigctld reading", 4, "14076000\n", {14076000});
    row("rigctld reports skipped, newest reading counts", 4, "RPRT 0\n7026000\nRPRT -1\n14076000\r\n",
        {14076000});
    row("rigctld line in pieces", 4, "1407|6000|\n", {kNothing, kNothing, 14076000});
    row("rigctld fraction, letters, zero", 4, "14076000.5\nabc\n0\n", {kNothing});
    row("rigctld overlong line dropped up to its newline", 4,
        "11111111111111111111111111111111111111111111111111111111111111111111|7026000\n|7026000\n",
        {kNothing, kNothing, 7026000});
}

void tst_Codec::reads()
{
    QFETCH(int, code);
    QFETCH(QByteArray, reads);
    QFETCH(Shown, shown);
    const QByteArrayList parts = reads.split('|');
    QCOMPARE(parts.size(), shown.size());
    const auto reader = cat::rigCapsForCode(code)->makeReader();
    const bool binary = code == 2 || code == 3;
    for (qsizetype i = 0; i < parts.size(); ++i)
        QCOMPARE(take(*reader, binary ? QByteArray::fromHex(parts[i]) : parts[i]), shown[i]);
}

void tst_Codec::everySplit_data()
{
    QTest::addColumn<int>("code");
    QTest::addColumn<QByteArray>("stream");
    QTest::addColumn<qsizetype>("complete"); // bytes after which the answer is shown
    QTest::addColumn<qint64>("hz");
    QTest::newRow("Yaesu 50.330 MHz") << 0 << "FA50330000;"_ba << qsizetype(11) << qint64(50330000);
    QTest::newRow("Kenwood after an echo")
        << 1 << "FA;FA00014076000;"_ba << qsizetype(17) << qint64(14076000);
    // CI-V shows the answer with its fifth frequency byte; the end byte is not waited for.
    QTest::newRow("CI-V echo and answer")
        << 2 << hex("FEFE74E003FDFEFEE074030060020700FD") << qsizetype(16) << qint64(7026000);
    QTest::newRow("rigctld report and reading")
        << 4 << "RPRT 0\n21076000\n"_ba << qsizetype(16) << qint64(21076000);
}

// Cut into three reads anywhere (the middle one possibly empty): the answer is shown exactly once,
// by the read that brings its last needed byte.
void tst_Codec::everySplit()
{
    QFETCH(int, code);
    QFETCH(QByteArray, stream);
    QFETCH(qsizetype, complete);
    QFETCH(qint64, hz);
    const qsizetype size = stream.size();
    for (qsizetype a = 1; a < size; ++a) {
        for (qsizetype b = a; b < size; ++b) {
            const auto reader = cat::rigCapsForCode(code)->makeReader();
            qsizetype start = 0;
            for (const qsizetype end : {a, b, size}) {
                const qint64 expected = start < complete && complete <= end ? hz : kNothing;
                QVERIFY2(take(*reader, stream.mid(start, end - start)) == expected,
                         qPrintable(u"cuts %1, %2"_s.arg(a).arg(b)));
                start = end;
            }
        }
    }
}

void tst_Codec::tailIsBounded()
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
    QCOMPARE(take(text, "A07026000;"), 7026000);

    cat::CivAnswerReader civ;
    for (int i = 0; i < 50; ++i) {
        QVERIFY(!civ.take(hex("FEFEE07403FFFFFFFFFFFEFEE07403"), kCivRead));
        QVERIFY(civ.pendingTail().size() <= cat::kMaxTail);
    }
    QCOMPARE(take(civ, hex("0060020700FD")), 7026000);
    QCOMPARE(civ.pendingTail(), QByteArray());
    // No framing (the family was never prepared): nothing matches and nothing is kept.
    QVERIFY(!civ.take(hex("FEFEE074030060020700FD"), cat::CivFraming{}));
    QCOMPARE(civ.pendingTail(), QByteArray());
}

void tst_Codec::displayAndBands()
{
    QCOMPARE(cat::noDataText(), u"No Data"_s);
    QCOMPARE(cat::displayText(14076520), u"14076.520"_s);
    QCOMPARE(cat::displayText(7026000), u"7026.000"_s);
    QCOMPARE(cat::displayText(1234567000), u"1234567.000"_s); // no group separators
    QCOMPARE(cat::displayText(500), u".500"_s);               // below 1 kHz no digit before the point

    // Each segment's limits are inside, a hertz beyond them is outside.
    const struct
    {
        qint64 low, high;
        const char *band;
    } segments[] = {{7000000, 7200000, "7MHz"},    {14000000, 14350000, "14MHz"},
                    {18068000, 18168000, "18MHz"}, {21000000, 21450000, "21MHz"},
                    {24890000, 24990000, "24MHz"}, {28000000, 29000000, "28MHz"}};
    for (const auto &s : segments) {
        for (const qint64 hz : {s.low, s.high})
            QCOMPARE(cat::recogniseBand(double(hz) / 1e6), QString::fromLatin1(s.band));
        for (const qint64 hz : {s.low - 1, s.high + 1})
            QVERIFY2(!cat::recogniseBand(double(hz) / 1e6), s.band);
    }
    QVERIFY(!cat::recogniseBand(50.313)); // no 50 MHz segment
    QVERIFY(!cat::recogniseBand(0.0));
}

void tst_Codec::commEvents()
{
    for (int code : {1, 2, 3, 4, 5, 6, 7, 1001, 1004, 1009})
        QVERIFY2(!cat::commEventInfo(code).isError && cat::commEventInfo(code).message.isEmpty(),
                 qPrintable(QString::number(code)));
    const QList<std::pair<int, QString>> errors{
        {1002, u"CTS 時間切れｴﾗｰを検出しました"_s}, {1003, u"DSR 時間切れｴﾗｰを検出しました"_s},
        {1006, u"ﾃﾞｰﾀ喪失ｴﾗｰが発生しました"_s},     {1007, u"ｷｬﾘｱ検出時間切れｴﾗｰを検出しました"_s},
        {1008, u"ﾊﾞｯﾌｧｵｰﾊﾞﾌﾛｰｴﾗｰが発生しました"_s}, {1010, u"送信ﾊﾞｯﾌｧﾌﾙｴﾗｰが発生しました"_s},
        {1005, u"未知ｴﾗｰが発生しました"_s},         {0, u"未知ｴﾗｰが発生しました"_s},
        {1011, u"未知ｴﾗｰが発生しました"_s},         {-1, u"未知ｴﾗｰが発生しました"_s}};
    for (const auto &[code, message] : errors) {
        QVERIFY(cat::commEventInfo(code).isError);
        QCOMPARE(cat::commEventInfo(code).message, message);
    }
    QCOMPARE(cat::commErrorTitle(), u"中断する場合は [ｷｬﾝｾﾙ] を、無視する場合は [OK] をｸﾘｯｸしてください。"_s);
}

QTEST_APPLESS_MAIN(tst_Codec)
#include "tst_codec.moc"
