// SPDX-License-Identifier: GPL-3.0-or-later
// The operating aids: each band's frames for every family, the retune targets of an offset and
// a picture click, the decode-line import (both layouts), the decoders' datagrams and the lookup
// address.

#include "aids/BandPlan.h"
#include "aids/CallLookup.h"
#include "aids/DecodeLine.h"
#include "aids/DecoderMessages.h"
#include "aids/OffsetTune.h"
#include "support/DecoderDatagrams.h"

#include <QTest>
#include <QtNumeric>

using namespace Qt::StringLiterals;
using veltrane::cat::Writes;
namespace aids = veltrane::aids;
namespace cat = veltrane::cat;

namespace {

const auto hex = [](const char *digits) { return QByteArray::fromHex(digits); };

// Rig at 74, controller at 45.
const cat::Framing kCiv{hex("FEFE"), hex("74"), hex("45"), hex("FD")};
constexpr qint64 kNothing = -1;

// The values as QDebug writes them, a blank between each two.
template <typename... T> QString joined(const T &...values)
{
    QString text;
    (QDebug(&text).noquote() << ... << values);
    return text.chopped(1); // QDebug's blank after the last
}

} // namespace

class tst_Aids : public QObject
{
    Q_OBJECT

private slots:
    void bandList()
    {
        QByteArray dials; // the list in order, each item's pick as rigctld receives it
        for (const QString &item : aids::bandItems())
            dials += item.toLatin1() + ": " +
                     aids::bandSelectionWrites(*cat::rigCapsForCode(4), item, kCiv).join();
        QCOMPARE(dials, "7MHz: M USB 0\nF 7026000\n14MHz: M USB 0\nF 14076000\n18MHz: M USB 0\nF 18102000\n"
                        "21MHz: M USB 0\nF 21076000\n24MHz: M USB 0\nF 24920000\n28MHz: M USB 0\nF 28076000\n"
                        "50MHz: M USB 0\nF 50330000\n"_ba);
        QCOMPARE(aids::initialBandItem(), u"14MHz"_s);
    }

    // Band selection (the family's upper sideband, then the frequency) and the reference button
    // (the frequency alone) by family code; a text that is not exactly an item sends nothing.
    void bands()
    {
        const Writes civ18{hex("FEFE744505"), hex("0020101800"), hex("FD")}; // 18 102 000 Hz, CI-V
        const std::tuple<int, const char16_t *, Writes, Writes> rows[] = {
            {0, u"7MHz", {"MD02;"_ba, "FA07026000;"_ba}, {"FA07026000;"_ba}},
            // The text families have no reference frame for 50 MHz.
            {1, u"50MHz", {"MD2;"_ba, "FA00050330000;"_ba}, {}},
            {2, u"18MHz", Writes{hex("FEFE74450601FD")} + civ18, civ18},
            {3, u"50MHz", {hex("0100000007"), hex("0503300001")}, {hex("0503300001")}},
        };
        for (const auto &[family, item, selection, reference] : rows) {
            const cat::RigCaps &rig = *cat::rigCapsForCode(family);
            QCOMPARE(aids::bandSelectionWrites(rig, QStringView(item), kCiv), selection);
            QCOMPARE(aids::referenceWrites(rig, QStringView(item), kCiv), reference);
        }
        const cat::RigCaps &civ = *cat::rigCapsForCode(2); // a reference frame on every band
        for (const char16_t *typed : {u"14 MHz", u"14mhz", u"14MHz ", u"14", u""})
            QCOMPARE(aids::bandSelectionWrites(civ, typed, kCiv) + aids::referenceWrites(civ, typed, kCiv),
                     Writes{});
    }

    // The dial plus a typed offset (Hz), the sum's fraction dropped, blanks around the offset
    // allowed; nothing for an offset not wholly a number or a sum beyond any count.
    void offsetTarget()
    {
        const std::tuple<qint64, const char16_t *, qint64> sums[] = {
            {14076000, u"523", 14076523}, {7026000, u"-523", 7025477}, {14076000, u"523.9", 14076523},
            {14076520, u"0", 14076520},   {500, u"-500", 0},           {7026000, u" 523 ", 7026523}};
        for (const auto &[dial, offset, hz] : sums)
            QCOMPARE(aids::offsetTargetHz(dial, QStringView(offset)).value_or(kNothing), hz);
        for (const char16_t *offset : {u"", u"12a", u"1e3", u"99999999999999999999"})
            QCOMPARE(aids::offsetTargetHz(14076000, QStringView(offset)).value_or(kNothing), kNothing);
    }

    // A click at x on a picture w wide: the width spans 2000 Hz centred on the dial; mirrored,
    // the offset is subtracted; the fraction is dropped. Nothing without a width, for an x that
    // is not a number, or below 0 Hz.
    void clickTarget()
    {
        const double w = 400.0;
        const std::tuple<qint64, double, double, bool, qint64> clicks[] = {
            {14076000, w * 3 / 4, w, false, 14076500}, {7076000, w * 3 / 4, w, true, 7075500},
            {14076000, 0.0, w, false, 14075000},       {7076000, 0.0, w, true, 7077000},
            {14076000, w, w, false, 14077000},         {14076000, w / 3, w, false, 14075666},
            {14076520, w / 2, w, false, 14076520},     {14076000, 0.0, 0.0, false, kNothing},
            {14076000, qQNaN(), w, false, kNothing},   {500, 0.0, w, false, kNothing}};
        for (const auto &[dial, x, width, mirrored, hz] : clicks)
            QCOMPARE(aids::clickTargetHz(dial, x, width, mirrored).value_or(kNothing), hz);
    }

    // Each line against the "call|offset" it imports.
    void decodeLine()
    {
        const std::pair<const char16_t *, const char16_t *> lines[] = {
            // Any other line: the offset at positions 18 to 25, the call between the last two blanks.
            {u"0123456789ABCDEFG    -523 CQ CALL1 GRID", u"CALL1|-523"},
            {u"0123456789ABCDEFG    -523 CQ CALL1 GRID ", u"GRID|-523"}, // trailing blank
            {u"CQ CALL1  GRID", u"|"},                                   // two blanks before the end
            {u"CALL1 GRID", u"nothing"},                                 // one blank
            {u"", u"nothing"},
            {u"0123456789ABCDEFGHIJKLMNOPQ CQ CALL1 GRID", u"CALL1|HIJKLMNO"},
            {u"0123456789 K1A Z 12", u"Z|12"},                                // offset field cut by the end
            {u"0123456789ABCDEFG    -523 CQ\tCALL1 GRID", u"CQ\tCALL1|-523"}, // a tab separates nothing
            {u"0123456789ABCDEFG  \t-523\t CQ CALL1 GRID", u"CALL1|\t-523\t"},
            // Today's decoders: the sender of the message, and the audio frequency less 1270 Hz.
            {u"2133 -12  0.3 1234 # CQ K1ABC FN42", u"K1ABC|-36"},
            {u"213315  -5 -0.1 1900 ~ CQ DX JA1ABC/P PM95                a1", u"JA1ABC/P|630"},
            {u"213315 12  1.2  270 + CQ NA KH6/K1ABC  ", u"KH6/K1ABC|-1000"},
            {u"2133  -3  0.0 1270 @ CQ 290 3DA0XYZ KG53 ? *", u"3DA0XYZ|0"},
            {u"213330 -20 -0.5 2500 ~ JA1XYZ <PJ4/K1ABC> RR73  U.S.A.\n", u"PJ4/K1ABC|1230"},
            {u"213330 +02  0.2 1500 : K1ABC JA1XYZ R-15", u"JA1XYZ|230"},
            {u"213330 -8 0.1 999 ` <K1ABC> W9XYZ EN52", u"W9XYZ|-271"},
            {u"213330 -8 0.1 1000 & K1ABC W9XYZ 73", u"W9XYZ|-270"},
            {u"2133 -12  0.3 1234 # TNX BOB 73 GL", u"nothing"},        // free text
            {u"2133 -12  0.3 1234 # K1ABC FN42 RR73", u"nothing"},      // a grid is no call
            {u"2133 -12  0.3 1234 # CQ DX POTA K1ABC", u"nothing"},     // the caller after one word only
            {u"2133 -12  0.3 1234 # JA1XYZ <...> RR73", u"nothing"},    // an unknown hashed call
            {u"2133 -12  0.3 1234 $ CQ K1ABC FN42", u"K1ABC|4 $ CQ K"}, // no mode marker: by shape
            {u"2133 -12 0.3 1234 # CQ K1ABC\n2134 -12 0.3 1234 # CQ W9XYZ", u"CQ|# CQ K1"}, // two lines
        };
        for (const auto &[line, expected] : lines) {
            const QString text = QString::fromUtf16(line);
            const std::optional<aids::DecodeImport> got = aids::parseDecodeLine(text);
            QCOMPARE(text + u" -> " + (got ? got->call + u'|' + got->offset : u"nothing"_s),
                     text + u" -> " + QString::fromUtf16(expected));
            QVERIFY(!got || got->enablesFrequencySet() == !got->offset.isEmpty()); // only with an offset
        }
    }

    // The datagrams a decoder publishes: the fields read, and every datagram that is cut short, of
    // another magic, schema or type, or has a string longer than what follows, gives nothing.
    void decoderDatagrams()
    {
        using veltrane::testing::decoderDatagram;
        using Type = aids::DecoderMessage::Type;
        const QByteArray status = veltrane::testing::statusDatagram("WSJT-X", 14076000, "K1ABC", 1500);
        auto message = aids::parseDecoderDatagram(status + "trailing fields");
        QVERIFY(message && message->type == Type::Status);
        const aids::DecoderStatus &s = message->status;
        QCOMPARE(joined(message->id, s.dialHz, s.mode, s.dxCall, s.rxDf.value_or(0)),
                 u"WSJT-X 14076000 JT65 K1ABC 1500"_s);
        // Cut inside Rx DF: read without it; cut before it: nothing.
        QCOMPARE(aids::parseDecoderDatagram(status.first(status.size() - 6))->status.rxDf, std::nullopt);
        for (qsizetype cut = 0; cut < status.size() - 8; ++cut)
            QVERIFY2(!aids::parseDecoderDatagram(status.first(cut)), QByteArray::number(cut));

        const QByteArray decode = decoderDatagram(2,
                                                  {"JTDX", true, quint32(76395000), qint32(-12), 0.3,
                                                   quint32(1234), "#", "CQ K1ABC FN42", false, false},
                                                  3);
        message = aids::parseDecoderDatagram(decode);
        QVERIFY(message && message->type == Type::Decode);
        const aids::DecoderDecode &d = message->decode;
        QCOMPARE(joined(d.msSinceMidnight, d.snr, d.dt, d.audioHz, d.mode, d.message, d.isNew),
                 u"76395000 -12 0.3 1234 # CQ K1ABC FN42 true"_s);
        QCOMPARE(aids::parseDecoderDatagram(decoderDatagram(0, {nullptr, quint32(3), "2.6", ""})).value().id,
                 QString());
        QCOMPARE(aids::parseDecoderDatagram(decoderDatagram(6, {"WSJT-X"})).value().type, Type::Close);
        QCOMPARE(aids::parseDecoderDatagram(decoderDatagram(3, {"WSJT-X", quint8(2)})).value().type,
                 Type::Clear);
        const QByteArray refused[] = {
            decoderDatagram(5, {"WSJT-X"}),                              // a type not read (QSO logged)
            decoderDatagram(1, {"WSJT-X"}, 4),                           // schema 4
            decoderDatagram(1, {"WSJT-X"}, 1),                           // schema 1
            decoderDatagram(0, {"WSJT-X"}, 2, 0xadbccbdb),               // another magic
            decoderDatagram(0, {}),                                      // no id
            decoderDatagram(0, {quint32(7), quint8('W')}),               // an id longer than the rest
            decoderDatagram(2, {"WSJT-X", true, quint32(0), qint32(0)}), // a decode cut short
        };
        for (const QByteArray &datagram : refused)
            QVERIFY2(!aids::parseDecoderDatagram(datagram), datagram.toHex().constData());
    }

    // The call percent-encoded after the service's address, its case kept; "." or ".." alone
    // looks up nothing.
    void lookupUrl()
    {
        QCOMPARE(aids::lookupServiceName(), u"QRZ.com"_s);
        const std::pair<const char16_t *, const char *> calls[] = {
            {u"ja1ABC/p", "ja1ABC%2Fp"},
            {u"", ""},
            {u"../../etc", "..%2F..%2Fetc"},
            {u"..", ""},
            {u".", ""},
            {u"A\"B'&C;D|E$(F)`", "A%22B%27%26C%3BD%7CE%24%28F%29%60"},
            {u"ＪＡ１", "%EF%BC%AA%EF%BC%A1%EF%BC%91"}};
        for (const auto &[call, encoded] : calls) {
            const QUrl url = aids::lookupUrl(QString::fromUtf16(call));
            QVERIFY(url.isValid());
            QCOMPARE(url.toEncoded(), "https://www.qrz.com/db/"_ba + encoded);
        }
    }
};

QTEST_APPLESS_MAIN(tst_Aids)
#include "tst_aids.moc"
