// SPDX-License-Identifier: GPL-3.0-or-later
// The CAT codec: every family's frames byte for byte, the conversions they are built with, the
// answer readers fed whole answers, fragments, garbage and two answers at once, the display text,
// band recognition and the comm-event table.

#include "cat/CommEvents.h"
#include "cat/FrequencyDisplay.h"
#include "cat/RigFamily.h"

#include <QTest>

using namespace Qt::StringLiterals;
namespace cat = veltrane::cat;

namespace {

constexpr auto hex = &QByteArray::fromHex;

// Frames are built for a rig at 74 and a controller at 45; answers come from a rig at 74 to E0.
const cat::Framing kCivSend = cat::civFraming(0x74, 0x45);
const cat::Framing kCivRead = cat::civFraming(0x74, 0xE0);
constexpr qint64 kNothing = -1;

// Reads of one family's answers, '|' between reads (hexadecimal for CI-V and the FT-897), and
// the hertz shown after each read.
const std::tuple<int, const char *, QList<qint64>> kReads[] = {
    {0, "FA07026000;FA14076000;", {7026000}},  // two answers: the first counts
    {0, "FA00000000;FA14076000;", {14076000}}, // the first out of range, the second valid
    {0, "FA;?;\xFF\xFE?FF;FAx;FFA07026000;", {7026000}},
    {0, "FA03500000;|FA03500001;|FA54000000;|FA53999999;", {kNothing, 3500001, kNothing, 53999999}},
    {0, "FA000014076000;FA-7026000;fa07026000;IF07026000;", {kNothing}},
    {0, "FA07026000;FA1407|6000;", {7026000, 14076000}},
    {0, "FA0702|?;|6000;", {kNothing, kNothing, kNothing}}, // a cut answer is dropped when noise follows
    {0, "FA0001407600|00;|FA07026000;", {kNothing, kNothing, 7026000}},
    {0, "FA07026000;||?;", {7026000, kNothing, kNothing}},
    // Of a long read only what may begin an answer is kept (at most kMaxTail bytes are).
    {0, "FA00000000000000000000000000000000000000F|A07026000;", {kNothing, 7026000}},
    {2, "FEFE74E003FD | FEFEE074030060020700FD FEFE74E003FD", {kNothing, 7026000}},
    {2, "FEFEE074030000005100FD|FEFEE074030000500300FD", {51000000, 3500000}},
    // A rejected answer is skipped and the valid one behind it counts.
    {2, "FEFEE074031000005100FD FEFEE074039099490300FD FEFEE074030060020700FD", {7026000}},
    {2, "FEFEE07403006A020700FD FEFEE0740300600207A0FD", {kNothing}},
    {2, "FEFEE076030060020700FD FEFEE174030060020700FD FEFEE074040060020700FD", {kNothing}},
    {2, "FEFEE07403006002 | FD FEFE74E003FD FEFEE074030060020700FD", {kNothing, 7026000}},
    {2, "FEFEE0740300600207FD|FEFEE07403006002|07FD", {7026000, kNothing, 7026000}}, // four bytes
    {4, "RPRT 0\n7026000\nRPRT -1\n14076000\r\n", {14076000}}, // reports skipped, newest reading counts
    {4, "1407|6000|\n|14076000.5\nabc\n0\n", {kNothing, kNothing, 14076000, kNothing}},
    {4,
     "1111111111111111111111111111111111111111111111111111111111111111111|7026000\n|7026000\n",
     {kNothing, kNothing, 7026000}}, // an overlong line is dropped up to its newline
};

qint64 take(cat::AnswerReader &reader, QByteArrayView read)
{
    return reader.take(read, kCivRead).value_or(kNothing);
}

} // namespace

class tst_Codec : public QObject
{
    Q_OBJECT

private slots:
    void conversions()
    {
        QCOMPARE(cat::Frequency_Convert(u"0123456789XY"_s), u"8967452301"_s); // beyond ten dropped
        QCOMPARE(cat::SetFrequency(u"0014076520", 10), 1407.652);
        QCOMPARE(cat::SetFrequency(u"00A7026000", 10), 2.6); // a group not starting with a digit reads 0
        QCOMPARE(cat::BytesToHex(hex("000702600A")), u"000702600A"_s);
        // Hex text into an older, longer array, which is resized: the pairs before a bad one are filled,
        // the rest are 0; an odd text writes nothing past the array.
        QStringList bdata;
        for (const QString &text : {u"0123456789abcdEF"_s, u"120G34"_s, u"1\uFF12"_s, u"00070260001"_s}) {
            QByteArray bytes(16, '\x55');
            const bool ok = cat::Bdata(text, bytes);
            bdata << (ok ? u"ok "_s : u"bad "_s) + QString::fromLatin1(bytes.toHex());
        }
        QCOMPARE(bdata.join(u'|'), u"ok 0123456789abcdef|bad 120000|bad 00|bad 0007026000"_s);
    }

    void frames()
    {
        // The largest frequency each family's frame carries; one hertz more sends nothing (a frame cut to
        // its field would move the rig elsewhere), nor does 0 Hz. (Frames of everyday frequencies: the
        // station test's retunes.)
        const std::pair<qint64, cat::Writes> largest[] = {
            {99999999, {"FA99999999;"_ba}},
            {99999999999, {"FA99999999999;"_ba}},
            {9999999999, {hex("FEFE744505"), hex("9999999999"), hex("FD")}},
            {999999999, {hex("9999999901")}},
            {99999999999, {"F 99999999999\n"_ba}}};
        for (const cat::RigCaps &rig : cat::allRigCaps()) {
            const auto &[hz, frame] = largest[rig.code()];
            QCOMPARE(rig.setFrequencyWrites(hz, kCivSend), frame);
            for (const qint64 beyond : {hz + 1, qint64(0)})
                QCOMPARE(rig.setFrequencyWrites(beyond, kCivSend), cat::Writes{});
        }
        // A Yaesu whose answers have nine digits gets nine; no other family changes its width.
        cat::Framing nine = kCivSend;
        nine.textDigits = 9;
        const auto widths = [&](int code, qint64 hz) {
            return cat::rigCapsForCode(code)->setFrequencyWrites(hz, nine);
        };
        QCOMPARE(widths(0, 14076523) + widths(0, 999999999) + widths(0, 1000000000) + widths(1, 7025477),
                 (cat::Writes{"FA014076523;"_ba, "FA999999999;"_ba, "FA00007025477;"_ba}));
        // (Each family's read request and mode set: the end-to-end sessions and the rigctld test.)
        QVERIFY(!cat::rigCapsForCode(5) && !cat::rigCapsForCode(-1));
    }

    void reads()
    {
        for (const auto &[code, text, expected] : kReads) {
            const QByteArrayList parts = QByteArray(text).split('|');
            QCOMPARE(parts.size(), expected.size());
            const auto reader = cat::rigCapsForCode(code)->makeReader();
            QList<qint64> shown;
            for (const QByteArray &part : parts)
                shown << take(*reader, code == 2 ? QByteArray::fromHex(part) : part);
            QVERIFY2(shown == expected, text);
        }
        // The FT-897's five bytes: frequency in 10 Hz and the mode (80 added: narrow filter).
        const std::pair<const char *, qint64> ft897[] = {
            {"0140765201", 14076520}, {"1441740088", 144174000}, {"0070260000", 7026000},
            {"0140765205", kNothing}, {"14417400FF", kNothing},  {"0140765A01", kNothing},
            {"01407652", kNothing},   {"014076520100", kNothing}};
        for (const auto &[bytes, hz] : ft897)
            QCOMPARE(cat::ft897Answer(hex(bytes)).value_or(cat::Ft897Reading{kNothing, 0}).hz, hz);
    }

    // Cut into three reads anywhere (the middle one possibly empty): the answer is shown exactly once,
    // by the read that brings its last needed byte (the number of bytes after which it is shown).
    void everySplit()
    {
        const std::tuple<int, QByteArray, qsizetype, qint64> rows[] = {
            {0, "FA50330000;"_ba, 11, 50330000},
            {1, "FA;FA00014076000;"_ba, 17, 14076000},
            // CI-V shows the answer with its fifth frequency byte; the end byte is not waited for.
            {2, hex("FEFE74E003FDFEFEE074030060020700FD"), 16, 7026000},
            {2, hex("FEFEE0740300600207FD"), 10, 7026000}, // four bytes: shown with the end byte
            {4, "RPRT 0\n21076000\n"_ba, 16, 21076000}};
        for (const auto &[code, stream, complete, hz] : rows) {
            for (qsizetype a = 1; a < stream.size(); ++a) {
                for (qsizetype b = a; b < stream.size(); ++b) {
                    const auto reader = cat::rigCapsForCode(code)->makeReader();
                    qsizetype start = 0;
                    for (const qsizetype end : {a, b, stream.size()}) {
                        const qint64 expected = start < complete && complete <= end ? hz : kNothing;
                        QVERIFY2(take(*reader, stream.mid(start, end - start)) == expected,
                                 qPrintable(u"family %1, cuts %2, %3"_s.arg(code).arg(a).arg(b)));
                        start = end;
                    }
                }
            }
        }
    }

    // What a reader keeps for the next read.
    void pendingTail()
    {
        cat::TextAnswerReader text;
        // "FA" and eleven digits may still become an answer; a twelfth digit makes it noise.
        QVERIFY(!text.take("xxFA12345678901"_ba));
        QCOMPARE(text.pendingTail(), "FA12345678901"_ba);
        QVERIFY(!text.take("2"_ba));
        QCOMPARE(text.pendingTail(), QByteArray());
        // Of a long read only the header at its end is kept (at most kMaxTail bytes are).
        cat::CivAnswerReader civ;
        QVERIFY(
            !civ.take(hex("FFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFEFEE07403"), kCivRead));
        QCOMPARE(civ.pendingTail(), hex("FEFEE07403"));
        // No framing (the family was never prepared): nothing matches and nothing is kept.
        QVERIFY(!civ.take(hex("FEFEE074030060020700FD"), cat::Framing{}));
        QCOMPARE(civ.pendingTail(), QByteArray());
    }

    void displayAndBands()
    {
        // No group separators; below 1 kHz no digit before the point.
        QCOMPARE(cat::noDataText() + cat::displayText(1234567000) + cat::displayText(500),
                 u"No Data1234567.000.500"_s);
        // Each segment's limits are inside, a hertz beyond them is outside.
        const std::tuple<qint64, qint64, const char *> segments[] = {
            {7000000, 7200000, "7MHz"},    {14000000, 14350000, "14MHz"}, {18068000, 18168000, "18MHz"},
            {21000000, 21450000, "21MHz"}, {24890000, 24990000, "24MHz"}, {28000000, 29000000, "28MHz"}};
        for (const auto &[low, high, band] : segments) {
            for (const qint64 hz : {low, high})
                QCOMPARE(cat::recogniseBand(double(hz) / 1e6), QString::fromLatin1(band));
            for (const qint64 hz : {low - 1, high + 1})
                QVERIFY2(!cat::recogniseBand(double(hz) / 1e6), band);
        }
    }

    void commEvents()
    {
        // Framing and parity errors are events like the line changes: no box.
        for (int code : {1, 2, 7, 1001, 1004, 1009})
            QVERIFY2(!cat::commEventInfo(code).isError, qPrintable(QString::number(code)));
        QCOMPARE(cat::commEventInfo(1002).message, u"CTS 時間切れｴﾗｰを検出しました"_s);
        for (int code : {1005, 0, 1011, -1}) // outside the table: an error of no known kind
            QCOMPARE(cat::commEventInfo(code).message, u"未知ｴﾗｰが発生しました"_s);
        QVERIFY(cat::commEventInfo(1006).isError && cat::commEventInfo(1010).isError);
    }
};

QTEST_APPLESS_MAIN(tst_Codec)
#include "tst_codec.moc"
