#include "cat/AnswerReaders.h"

#include <QTest>

#include <optional>

using namespace Qt::StringLiterals;
namespace cat = veltrane::cat;

namespace {

QByteArray hex(const char *digits)
{
    return QByteArray::fromHex(digits);
}

// Rig at 74, controller (this station) at E0.
const cat::CivFraming kCiv{hex("FEFE"), hex("74"), hex("E0"), hex("FD")};
const QByteArray kCivEcho = hex("FEFE74E003FD");           // our request, as the interface echoes it
const QByteArray kCiv7026 = hex("FEFEE074030060020700FD"); // the rig's answer: 7 026 000 Hz

// A "not shown" expectation in data rows.
constexpr double kNothing = -1.0;

double orNothing(std::optional<double> value)
{
    return value ? *value : kNothing;
}

} // namespace

class tst_AnswerReaders : public QObject
{
    Q_OBJECT

private slots:
    void textOneRead_data();
    void textOneRead();
    void textEverySplit_data();
    void textEverySplit();
    void textEveryThreeWaySplit();
    void textReads_data();
    void textReads();
    void textTailIsBounded();
    void textReset();

    void civOneRead_data();
    void civOneRead();
    void civEverySplit_data();
    void civEverySplit();
    void civReads_data();
    void civReads();
    void civTailIsBounded();
    void civReset();

    void ft897_data();
    void ft897();
};

// ---- families 0 and 1 ----

void tst_AnswerReaders::textOneRead_data()
{
    QTest::addColumn<QByteArray>("received");
    QTest::addColumn<double>("khz");
    QTest::newRow("Yaesu 8 digits") << "FA07026000;"_ba << 7026.0;
    QTest::newRow("Kenwood 11 digits") << "FA00014076000;"_ba << 14076.0;
    QTest::newRow("9 digits") << "FA014076000;"_ba << 14076.0;
    QTest::newRow("fraction of a kHz") << "FA14076520;"_ba << 14076.52;
    QTest::newRow("two equal answers") << "FA07026000;FA07026000;"_ba << 7026.0;
    QTest::newRow("two answers, first counts") << "FA07026000;FA14076000;"_ba << 7026.0;
    QTest::newRow("first out of range, second valid") << "FA00000000;FA14076000;"_ba << 14076.0;
    QTest::newRow("echo before the answer") << "FA;FA07026000;"_ba << 7026.0;
    QTest::newRow("error answer before the answer") << "?;FA07026000;"_ba << 7026.0;
    QTest::newRow("binary noise before") << hex("00FFFE") + "FF;FAx;FA07026000;"_ba << 7026.0;
    QTest::newRow("lone F before") << "FFA07026000;"_ba << 7026.0;
    QTest::newRow("answer then noise") << "FA07026000;\r\n?"_ba << 7026.0;
    QTest::newRow("3.5 MHz excluded") << "FA03500000;"_ba << kNothing;
    QTest::newRow("just above 3.5 MHz") << "FA03500010;"_ba << 3500.01;
    QTest::newRow("3 500 001 Hz") << "FA03500001;"_ba << 3500.001;
    QTest::newRow("54 MHz excluded") << "FA54000000;"_ba << kNothing;
    QTest::newRow("just below 54 MHz") << "FA53999999;"_ba << 53999.999;
    QTest::newRow("50.330 MHz") << "FA50330000;"_ba << 50330.0;
    QTest::newRow("144 MHz out of range") << "FA00144174000;"_ba << kNothing;
    QTest::newRow("echo alone") << "FA;"_ba << kNothing;
    QTest::newRow("error answer") << "?;"_ba << kNothing;
    QTest::newRow("F") << "F"_ba << kNothing;
    QTest::newRow("empty") << QByteArray() << kNothing;
    QTest::newRow("start of an answer") << "FA0702"_ba << kNothing;
    QTest::newRow("50.330 MHz without its last digit") << "FA5033000"_ba << kNothing;
    QTest::newRow("digits without ;") << "FA07026000"_ba << kNothing;
    QTest::newRow("12 digits") << "FA000014076000;"_ba << kNothing;
    QTest::newRow("blank before digits") << "FA 7026000;"_ba << kNothing;
    QTest::newRow("sign") << "FA-7026000;"_ba << kNothing;
    QTest::newRow("decimal point") << "FA7026.000;"_ba << kNothing;
    QTest::newRow("lower case") << "fa07026000;"_ba << kNothing;
    QTest::newRow("other command") << "IF07026000;"_ba << kNothing;
    QTest::newRow("answer without FA") << "07026000;"_ba << kNothing;
}

void tst_AnswerReaders::textOneRead()
{
    QFETCH(QByteArray, received);
    QFETCH(double, khz);
    cat::TextAnswerReader reader;
    QCOMPARE(orNothing(reader.take(received)), khz);
}

void tst_AnswerReaders::textEverySplit_data()
{
    QTest::addColumn<QByteArray>("answer");
    QTest::addColumn<double>("khz");
    QTest::newRow("Yaesu 50.330 MHz") << "FA50330000;"_ba << 50330.0;
    QTest::newRow("Yaesu 7 MHz") << "FA07026000;"_ba << 7026.0;
    QTest::newRow("Kenwood 14 MHz") << "FA00014076000;"_ba << 14076.0;
    QTest::newRow("9 digits") << "FA050313250;"_ba << 50313.25;
    QTest::newRow("after an echo") << "FA;FA21076000;"_ba << 21076.0;
}

// A read that ends anywhere inside an answer shows nothing; the next read completes it.
void tst_AnswerReaders::textEverySplit()
{
    QFETCH(QByteArray, answer);
    QFETCH(double, khz);
    for (qsizetype cut = 1; cut < answer.size(); ++cut) {
        cat::TextAnswerReader reader;
        const QByteArray head = answer.left(cut);
        const QByteArray rest = answer.mid(cut);
        QVERIFY2(!reader.take(head), head.constData());
        QCOMPARE(orNothing(reader.take(rest)), khz);
        QCOMPARE(reader.pendingTail(), QByteArray());
    }
}

void tst_AnswerReaders::textEveryThreeWaySplit()
{
    const QByteArray answer = "FA00050330000;"_ba;
    for (qsizetype a = 1; a < answer.size(); ++a) {
        for (qsizetype b = a; b < answer.size(); ++b) {
            cat::TextAnswerReader reader;
            QVERIFY(!reader.take(answer.left(a)));
            QVERIFY(!reader.take(answer.mid(a, b - a)));
            QCOMPARE(orNothing(reader.take(answer.mid(b))), 50330.0);
        }
    }
}

void tst_AnswerReaders::textReads_data()
{
    QTest::addColumn<QByteArrayList>("reads");
    QTest::addColumn<QList<double>>("shown");
    QTest::newRow("50.330 MHz in two reads")
        << QByteArrayList{"FA5033000"_ba, "0;"_ba} << QList<double>{kNothing, 50330.0};
    QTest::newRow("answer and the start of the next")
        << QByteArrayList{"FA07026000;FA1407"_ba, "6000;"_ba} << QList<double>{7026.0, 14076.0};
    QTest::newRow("a cut answer is dropped when noise follows")
        << QByteArrayList{"FA0702"_ba, "?;"_ba, "6000;"_ba} << QList<double>{kNothing, kNothing, kNothing};
    QTest::newRow("a cut answer, then a whole one")
        << QByteArrayList{"FA0702"_ba, "FA14076000;"_ba} << QList<double>{kNothing, 14076.0};
    QTest::newRow("too many digits across reads")
        << QByteArrayList{"FA0001407600"_ba, "00;"_ba, "FA07026000;"_ba}
        << QList<double>{kNothing, kNothing, 7026.0};
    QTest::newRow("echo split from its answer")
        << QByteArrayList{"FA"_ba, ";FA070"_ba, "26000;"_ba} << QList<double>{kNothing, kNothing, 7026.0};
    QTest::newRow("the display keeps nothing between reads")
        << QByteArrayList{"FA07026000;"_ba, QByteArray(), "?;"_ba}
        << QList<double>{7026.0, kNothing, kNothing};
    QTest::newRow("out of range then valid")
        << QByteArrayList{"FA54000000;"_ba, "FA53999990;"_ba} << QList<double>{kNothing, 53999.99};
}

void tst_AnswerReaders::textReads()
{
    QFETCH(QByteArrayList, reads);
    QFETCH(QList<double>, shown);
    QCOMPARE(reads.size(), shown.size());
    cat::TextAnswerReader reader;
    for (qsizetype i = 0; i < reads.size(); ++i)
        QCOMPARE(orNothing(reader.take(reads[i])), shown[i]);
}

void tst_AnswerReaders::textTailIsBounded()
{
    cat::TextAnswerReader reader;
    // "FA" and eleven digits may still become an answer; a twelfth digit makes it noise.
    QVERIFY(!reader.take("xxFA12345678901"_ba));
    QCOMPARE(reader.pendingTail(), "FA12345678901"_ba);
    QVERIFY(!reader.take("2"_ba));
    QCOMPARE(reader.pendingTail(), QByteArray());
    QVERIFY(!reader.take(";"_ba));
    // A long run of noise never grows the tail past the longest answer.
    for (int i = 0; i < 100; ++i) {
        QVERIFY(!reader.take("FA0000000000000000000000000000000000000000F"_ba));
        QVERIFY(reader.pendingTail().size() <= cat::kMaxTail);
    }
    QCOMPARE(reader.pendingTail(), "F"_ba);
    QCOMPARE(orNothing(reader.take("A07026000;"_ba)), 7026.0);
}

void tst_AnswerReaders::textReset()
{
    cat::TextAnswerReader reader;
    QVERIFY(!reader.take("FA0702"_ba));
    QCOMPARE(reader.pendingTail(), "FA0702"_ba);
    reader.reset();
    QCOMPARE(reader.pendingTail(), QByteArray());
    QVERIFY(!reader.take("6000;"_ba));
}

// ---- family 2 ----

void tst_AnswerReaders::civOneRead_data()
{
    QTest::addColumn<QByteArray>("received");
    QTest::addColumn<double>("khz");
    QTest::newRow("echo and answer") << kCivEcho + kCiv7026 << 7026.0;
    QTest::newRow("answer alone") << kCiv7026 << 7026.0;
    QTest::newRow("answer then echo") << kCiv7026 + kCivEcho << 7026.0;
    QTest::newRow("echo alone") << kCivEcho << kNothing;
    QTest::newRow("empty") << QByteArray() << kNothing;
    QTest::newRow("51 000 000 Hz included") << hex("FEFEE074030000005100FD") << 51000.0;
    QTest::newRow("51 000 010 Hz excluded") << hex("FEFEE074031000005100FD") << kNothing;
    QTest::newRow("3 500 000 Hz included") << hex("FEFEE074030000500300FD") << 3500.0;
    QTest::newRow("3 499 990 Hz excluded") << hex("FEFEE074039099490300FD") << kNothing;
    QTest::newRow("14 076 520 Hz") << hex("FEFEE074032065071400FD") << 14076.52;
    QTest::newRow("1 GHz digit out of range") << hex("FEFEE074030060020710FD") << kNothing;
    QTest::newRow("three frequency bytes") << hex("FEFEE07403006002FD") << kNothing;
    QTest::newRow("non-BCD low nibble") << hex("FEFEE07403006A020700FD") << kNothing;
    QTest::newRow("non-BCD high nibble") << hex("FEFEE0740300600207A0FD") << kNothing;
    QTest::newRow("other rig") << hex("FEFEE076030060020700FD") << kNothing;
    QTest::newRow("other controller") << hex("FEFEE174030060020700FD") << kNothing;
    QTest::newRow("other command") << hex("FEFEE074040060020700FD") << kNothing;
    QTest::newRow("one preamble byte") << hex("FEE074030060020700FD") << kNothing;
    QTest::newRow("two answers, first counts") << kCiv7026 + hex("FEFEE074030060071400FD") << 7026.0;
    QTest::newRow("non-BCD first, valid second") << hex("FEFEE07403FFFFFFFFFFFD") + kCiv7026 << 7026.0;
    QTest::newRow("out of range first, valid second") << hex("FEFEE074030000000100FD") + kCiv7026 << 7026.0;
    QTest::newRow("noise around") << hex("00FEFE13FDFE") + kCiv7026 + hex("FEFE") << 7026.0;
    QTest::newRow("answer without its end byte") << hex("FEFEE074030060020700") << 7026.0;
}

void tst_AnswerReaders::civOneRead()
{
    QFETCH(QByteArray, received);
    QFETCH(double, khz);
    cat::CivAnswerReader reader;
    QCOMPARE(orNothing(reader.take(received, kCiv)), khz);
}

void tst_AnswerReaders::civEverySplit_data()
{
    QTest::addColumn<QByteArray>("stream");
    QTest::addColumn<qsizetype>("complete"); // bytes after which the answer is whole
    QTest::newRow("echo and answer") << kCivEcho + kCiv7026 << kCivEcho.size() + 10;
    QTest::newRow("answer alone") << kCiv7026 << qsizetype(10);
}

// Wherever a read ends, the answer is shown exactly once: by the read that brings its fifth
// frequency byte (the end byte is not waited for).
void tst_AnswerReaders::civEverySplit()
{
    QFETCH(QByteArray, stream);
    QFETCH(qsizetype, complete);
    for (qsizetype cut = 1; cut < stream.size(); ++cut) {
        cat::CivAnswerReader reader;
        const double first = orNothing(reader.take(stream.left(cut), kCiv));
        const double second = orNothing(reader.take(stream.mid(cut), kCiv));
        if (cut >= complete) {
            QCOMPARE(first, 7026.0);
            QCOMPARE(second, kNothing);
        } else {
            QCOMPARE(first, kNothing);
            QCOMPARE(second, 7026.0);
        }
    }
}

void tst_AnswerReaders::civReads_data()
{
    QTest::addColumn<QByteArrayList>("reads");
    QTest::addColumn<QList<double>>("shown");
    // Each poll writes a request and reads what came since the last: echo + previous answer.
    QTest::newRow("poll after poll") << QByteArrayList{kCivEcho, kCiv7026 + kCivEcho, kCiv7026 + kCivEcho}
                                     << QList<double>{kNothing, 7026.0, 7026.0};
    QTest::newRow("answer cut after three bytes, then whole")
        << QByteArrayList{hex("FEFEE07403006002"), hex("FD") + kCivEcho + kCiv7026}
        << QList<double>{kNothing, 7026.0};
    QTest::newRow("header cut inside the preamble")
        << QByteArrayList{kCivEcho + hex("FE"), hex("FEE074030060071400FD")}
        << QList<double>{kNothing, 14076.0};
    QTest::newRow("header cut after the addresses")
        << QByteArrayList{hex("FEFEE074"), hex("030060071400FD")} << QList<double>{kNothing, 14076.0};
}

void tst_AnswerReaders::civReads()
{
    QFETCH(QByteArrayList, reads);
    QFETCH(QList<double>, shown);
    QCOMPARE(reads.size(), shown.size());
    cat::CivAnswerReader reader;
    for (qsizetype i = 0; i < reads.size(); ++i)
        QCOMPARE(orNothing(reader.take(reads[i], kCiv)), shown[i]);
}

void tst_AnswerReaders::civTailIsBounded()
{
    cat::CivAnswerReader reader;
    QVERIFY(!reader.take(hex("FEFEE0740300"), kCiv));
    QCOMPARE(reader.pendingTail(), hex("FEFEE0740300"));
    for (int i = 0; i < 50; ++i) {
        QVERIFY(!reader.take(hex("FEFEE07403FFFFFFFFFFFEFEE07403"), kCiv));
        QVERIFY(reader.pendingTail().size() <= cat::kMaxTail);
    }
    QCOMPARE(reader.pendingTail(), hex("FEFEE07403"));
    QCOMPARE(orNothing(reader.take(hex("0060020700FD"), kCiv)), 7026.0);
    QCOMPARE(reader.pendingTail(), QByteArray());
}

void tst_AnswerReaders::civReset()
{
    cat::CivAnswerReader reader;
    QVERIFY(!reader.take(hex("FEFEE074030060"), kCiv));
    reader.reset();
    QVERIFY(!reader.take(hex("020700FD"), kCiv));

    // Same addresses on both sides (a set-up mistake): the echo looks like a header, but the
    // bytes after it are not BCD, so the answer behind it still counts.
    const cat::CivFraming same{hex("FEFE"), hex("74"), hex("74"), hex("FD")};
    cat::CivAnswerReader confused;
    const QByteArray echoThenAnswer = hex("FEFE747403FD") + hex("FEFE7474030060020700FD");
    QCOMPARE(orNothing(confused.take(echoThenAnswer, same)), 7026.0);

    // No framing (the family was never prepared): nothing matches and nothing is kept.
    cat::CivAnswerReader unframed;
    QVERIFY(!unframed.take(kCiv7026, cat::CivFraming{}));
    QCOMPARE(unframed.pendingTail(), QByteArray());
}

// ---- family 3 ----

void tst_AnswerReaders::ft897_data()
{
    QTest::addColumn<QByteArray>("received");
    QTest::addColumn<double>("khz");
    QTest::newRow("14 076.52 kHz") << hex("0140765201") << 14076.52;
    QTest::newRow("7 026 kHz, mode byte") << hex("0070260001") << 7026.0;
    QTest::newRow("mode byte is ignored") << hex("00702600FF") << 7026.0;
    QTest::newRow("no range test: 0") << hex("0000000003") << 0.0;
    QTest::newRow("no range test: 144 MHz") << hex("1441740001") << 144174.0;
    QTest::newRow("largest") << hex("9999999901") << 999999.99;
    QTest::newRow("four bytes") << hex("01407652") << kNothing;
    QTest::newRow("six bytes") << hex("014076520100") << kNothing;
    QTest::newRow("two answers") << hex("01407652010140765201") << kNothing;
    QTest::newRow("empty") << QByteArray() << kNothing;
    QTest::newRow("non-BCD low nibble") << hex("0140765A01") << kNothing;
    QTest::newRow("non-BCD high nibble") << hex("F140765201") << kNothing;
}

void tst_AnswerReaders::ft897()
{
    QFETCH(QByteArray, received);
    QFETCH(double, khz);
    QCOMPARE(orNothing(cat::ft897Answer(received)), khz);
}

QTEST_APPLESS_MAIN(tst_AnswerReaders)
#include "tst_AnswerReaders.moc"
