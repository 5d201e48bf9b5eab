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

// Rig at 74, controller at 45.
const cat::Framing kCiv{hex("FEFE"), hex("74"), hex("45"), hex("FD")};
constexpr qint64 kNothing = -1;

} // namespace

class tst_Aids : public QObject
{
    Q_OBJECT

private slots:
    void bandItems();
    void bands_data();
    void bands();
    void offsetTarget_data();
    void offsetTarget();
    void clickOffset();
    void clickTarget_data();
    void clickTarget();
    void decodeLine_data();
    void decodeLine();
    void decoderDatagrams();
    void lookupUrl_data();
    void lookupUrl();
};

void tst_Aids::bandItems()
{
    QCOMPARE(aids::bandItems(), (QStringList{u"7MHz"_s, u"14MHz"_s, u"18MHz"_s, u"21MHz"_s, u"24MHz"_s,
                                             u"28MHz"_s, u"50MHz"_s}));
    QCOMPARE(aids::initialBandItem(), u"14MHz"_s);
    const qint64 dials[] = {7026000, 14076000, 18102000, 21076000, 24920000, 28076000, 50330000};
    for (int i = 0; i < 7; ++i)
        QCOMPARE(aids::bandFrequencyHz(aids::bandItems()[i]).value_or(kNothing), dials[i]);
}

void tst_Aids::bands_data()
{
    QTest::addColumn<int>("family");
    QTest::addColumn<QString>("item");
    QTest::addColumn<Writes>("selection"); // band picked from the list: mode, then frequency
    QTest::addColumn<Writes>("reference"); // reference button: frequency alone
    QTest::newRow("Yaesu 7MHz") << 0 << u"7MHz"_s << Writes{"MD02;"_ba, "FA07026000;"_ba}
                                << Writes{"FA07026000;"_ba};
    // The text families have no reference frame for 50 MHz.
    QTest::newRow("Kenwood 50MHz") << 1 << u"50MHz"_s << Writes{"MD2;"_ba, "FA00050330000;"_ba} << Writes{};
    QTest::newRow("CI-V 18MHz") << 2 << u"18MHz"_s
                                << Writes{hex("FEFE74450601FD"), hex("FEFE744505"), hex("0020101800"),
                                          hex("FD")}
                                << Writes{hex("FEFE744505"), hex("0020101800"), hex("FD")};
    QTest::newRow("FT-897 50MHz") << 3 << u"50MHz"_s << Writes{hex("0100000007"), hex("0503300001")}
                                  << Writes{hex("0503300001")};
    QTest::newRow("rigctld 24MHz") << 4 << u"24MHz"_s << Writes{"M USB 0\n"_ba, "F 24920000\n"_ba}
                                   << Writes{"F 24920000\n"_ba};
    for (const char *typed : {"14 MHz", "14mhz", "14MHz ", "14", ""})
        QTest::addRow("typed \"%s\"", typed) << 2 << QString::fromLatin1(typed) << Writes{} << Writes{};
}

void tst_Aids::bands()
{
    QFETCH(int, family);
    QFETCH(QString, item);
    QFETCH(Writes, selection);
    QFETCH(Writes, reference);
    const cat::RigCaps &rig = *cat::rigCapsForCode(family);
    QCOMPARE(aids::bandSelectionWrites(rig, item, kCiv), selection);
    QCOMPARE(aids::referenceWrites(rig, item, kCiv), reference);
}

void tst_Aids::offsetTarget_data()
{
    QTest::addColumn<qint64>("dial");
    QTest::addColumn<QString>("offset");
    QTest::addColumn<qint64>("hz");
    QTest::newRow("523 up") << qint64(14076000) << u"523"_s << qint64(14076523);
    QTest::newRow("523 down") << qint64(7026000) << u"-523"_s << qint64(7025477);
    QTest::newRow("fraction dropped") << qint64(14076000) << u"523.9"_s << qint64(14076523);
    QTest::newRow("zero offset keeps the dial") << qint64(14076520) << u"0"_s << qint64(14076520);
    QTest::newRow("offset empty") << qint64(14076000) << QString() << kNothing;
    QTest::newRow("offset with a tail") << qint64(14076000) << u"12a"_s << kNothing;
    QTest::newRow("offset with an exponent") << qint64(14076000) << u"1e3"_s << kNothing;
    QTest::newRow("sum exactly zero") << qint64(500) << u"-500"_s << qint64(0);
    QTest::newRow("sum beyond any count") << qint64(14076000) << u"99999999999999999999"_s << kNothing;
}

void tst_Aids::offsetTarget()
{
    QFETCH(qint64, dial);
    QFETCH(QString, offset);
    QFETCH(qint64, hz);
    QCOMPARE(aids::offsetTargetHz(dial, offset).value_or(kNothing), hz);
}

void tst_Aids::clickOffset()
{
    QCOMPARE(aids::clickOffsetHz(0.0, 511.0), -1000.0);
    QCOMPARE(aids::clickOffsetHz(255.5, 511.0), 0.0);
    QCOMPARE(aids::clickOffsetHz(383.25, 511.0), 500.0);
    QCOMPARE(aids::clickOffsetHz(511.0, 511.0), 1000.0);
}

void tst_Aids::clickTarget_data()
{
    QTest::addColumn<qint64>("dial");
    QTest::addColumn<double>("x");
    QTest::addColumn<double>("width");
    QTest::addColumn<bool>("mirrored");
    QTest::addColumn<qint64>("hz");
    const double w = 400.0;
    QTest::newRow("3W/4") << qint64(14076000) << w * 3 / 4 << w << false << qint64(14076500);
    QTest::newRow("3W/4 mirrored subtracts") << qint64(7076000) << w * 3 / 4 << w << true << qint64(7075500);
    QTest::newRow("left edge mirrored adds") << qint64(7076000) << 0.0 << w << true << qint64(7077000);
    QTest::newRow("a third rounds down") << qint64(14076000) << w / 3 << w << false << qint64(14075666);
    QTest::newRow("centre keeps the dial") << qint64(14076520) << w / 2 << w << false << qint64(14076520);
    QTest::newRow("width zero") << qint64(14076000) << 0.0 << 0.0 << false << kNothing;
    QTest::newRow("x not a number") << qint64(14076000) << std::numeric_limits<double>::quiet_NaN() << w
                                    << false << kNothing;
    QTest::newRow("below 0 Hz") << qint64(500) << 0.0 << w << false << kNothing;
}

void tst_Aids::clickTarget()
{
    QFETCH(qint64, dial);
    QFETCH(double, x);
    QFETCH(double, width);
    QFETCH(bool, mirrored);
    QFETCH(qint64, hz);
    QCOMPARE(aids::clickTargetHz(dial, x, width, mirrored).value_or(kNothing), hz);
}

void tst_Aids::decodeLine_data()
{
    QTest::addColumn<QString>("clipboard");
    QTest::addColumn<bool>("imported");
    QTest::addColumn<QString>("call");
    QTest::addColumn<QString>("offset");         // an offset enables the frequency set
    const QString head = u"0123456789ABCDEFG"_s; // the 17 characters before the offset field
    QTest::newRow("decode line") << head + u"    -523 CQ CALL1 GRID"_s << true << u"CALL1"_s << u"-523"_s;
    QTest::newRow("trailing blank makes the grid the call")
        << head + u"    -523 CQ CALL1 GRID "_s << true << u"GRID"_s << u"-523"_s;
    QTest::newRow("two blanks before the last word") << u"CQ CALL1  GRID"_s << true << QString() << QString();
    QTest::newRow("one blank") << u"CALL1 GRID"_s << false << QString() << QString();
    QTest::newRow("empty") << QString() << false << QString() << QString();
    QTest::newRow("letters in the offset field")
        << u"0123456789ABCDEFGHIJKLMNOPQ CQ CALL1 GRID"_s << true << u"CALL1"_s << u"HIJKLMNO"_s;
    QTest::newRow("offset field cut by the text's end")
        << u"0123456789 K1A Z 12"_s << true << u"Z"_s << u"12"_s;
    QTest::newRow("only blanks in the offset field")
        << head + u"        CQ CALL1 GRID"_s << true << u"CALL1"_s << QString();
    QTest::newRow("tab is not a separator")
        << head + u"    -523 CQ\tCALL1 GRID"_s << true << u"CQ\tCALL1"_s << u"-523"_s;
    QTest::newRow("tabs around the offset are kept")
        << head + u"  \t-523\t CQ CALL1 GRID"_s << true << u"CALL1"_s << u"\t-523\t"_s;

    // Today's decoders: the sender of the message, and the audio frequency less 1270 Hz.
    const std::tuple<const char16_t *, const char16_t *, const char16_t *> kDecoders[] = {
        {u"2133 -12  0.3 1234 # CQ K1ABC FN42", u"K1ABC", u"-36"},
        {u"213315  -5 -0.1 1900 ~ CQ DX JA1ABC/P PM95                a1", u"JA1ABC/P", u"630"},
        {u"213315 12  1.2  270 + CQ NA KH6/K1ABC  ", u"KH6/K1ABC", u"-1000"},
        {u"2133  -3  0.0 1270 @ CQ 290 3DA0XYZ KG53 ? *", u"3DA0XYZ", u"0"},
        {u"213330 -20 -0.5 2500 ~ JA1XYZ <PJ4/K1ABC> RR73  U.S.A.\n", u"PJ4/K1ABC", u"1230"},
        {u"213330 +02  0.2 1500 : K1ABC JA1XYZ R-15", u"JA1XYZ", u"230"},
        {u"213330 -8 0.1 999 ` <K1ABC> W9XYZ EN52", u"W9XYZ", u"-271"},
        {u"213330 -8 0.1 1000 & K1ABC W9XYZ 73", u"W9XYZ", u"-270"},
        {u"2133 -12  0.3 1234 # TNX BOB 73 GL", nullptr, nullptr},      // free text
        {u"2133 -12  0.3 1234 # K1ABC FN42 RR73", nullptr, nullptr},    // a grid is no call
        {u"2133 -12  0.3 1234 # CQ DX POTA K1ABC", nullptr, nullptr},   // the caller after one word only
        {u"2133 -12  0.3 1234 # JA1XYZ <...> RR73", nullptr, nullptr},  // an unknown hashed call
        {u"2133 -12  0.3 1234 $ CQ K1ABC FN42", u"K1ABC", u"4 $ CQ K"}, // no mode marker: by shape
        {u"2133 -12 0.3 1234 # CQ K1ABC\n2134 -12 0.3 1234 # CQ W9XYZ", u"CQ", u"# CQ K1"}, // two lines
    };
    for (const auto &[line, call, offset] : kDecoders) {
        QTest::addRow("%s", QString::fromUtf16(line).toUtf8().constData())
            << QString::fromUtf16(line) << bool(call) << QString::fromUtf16(call)
            << QString::fromUtf16(offset);
    }
}

void tst_Aids::decodeLine()
{
    QFETCH(QString, clipboard);
    QFETCH(bool, imported);
    QFETCH(QString, call);
    QFETCH(QString, offset);
    const std::optional<aids::DecodeImport> result = aids::parseDecodeLine(clipboard);
    QCOMPARE(result.has_value(), imported);
    if (!result)
        return;
    QCOMPARE(result->call, call);
    QCOMPARE(result->offset, offset);
    QCOMPARE(result->enablesFrequencySet(), !offset.isEmpty());
}

// The datagrams a decoder publishes: the fields read, and every datagram that is cut short, of
// another magic, schema or type, or has a string longer than what follows, gives nothing.
void tst_Aids::decoderDatagrams()
{
    using veltrane::testing::decoderDatagram;
    using Type = aids::DecoderMessage::Type;
    const QByteArray status = veltrane::testing::statusDatagram("WSJT-X", 14076000, "K1ABC", 1500);
    auto message = aids::parseDecoderDatagram(status + "trailing fields");
    QVERIFY(message);
    QCOMPARE(message->type, Type::Status);
    QCOMPARE(message->id, u"WSJT-X"_s);
    QCOMPARE(message->status.dialHz, quint64(14076000));
    QCOMPARE(message->status.mode + u'/' + message->status.dxCall, u"JT65/K1ABC"_s);
    QCOMPARE(message->status.rxDf, std::optional<quint32>(1500));
    // Cut inside Rx DF: read without it; cut before it: nothing.
    QCOMPARE(aids::parseDecoderDatagram(status.first(status.size() - 6))->status.rxDf, std::nullopt);
    for (qsizetype cut = 0; cut < status.size() - 8; ++cut)
        QVERIFY2(!aids::parseDecoderDatagram(status.first(cut)), QByteArray::number(cut));

    const QByteArray decode = decoderDatagram(2,
                                              {"JTDX", true, quint32(76395000), qint32(-12), 0.3,
                                               quint32(1234), "#", "CQ K1ABC FN42", false, false},
                                              3);
    message = aids::parseDecoderDatagram(decode);
    QVERIFY(message);
    QCOMPARE(message->type, Type::Decode);
    const aids::DecoderDecode &d = message->decode;
    QCOMPARE(QString::number(d.msSinceMidnight) + u' ' + QString::number(d.snr) + u' ' +
                 QString::number(d.dt) + u' ' + QString::number(d.audioHz) + u' ' + d.mode + u' ' +
                 d.message + u' ' + QString::number(d.isNew),
             u"76395000 -12 0.3 1234 # CQ K1ABC FN42 1"_s);

    QCOMPARE(aids::parseDecoderDatagram(decoderDatagram(0, {nullptr, quint32(3), "2.6", ""}))->id, QString());
    QCOMPARE(aids::parseDecoderDatagram(decoderDatagram(6, {"WSJT-X"}))->type, Type::Close);
    QCOMPARE(aids::parseDecoderDatagram(decoderDatagram(3, {"WSJT-X", quint8(2)}))->type, Type::Clear);
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

void tst_Aids::lookupUrl_data()
{
    QTest::addColumn<QString>("call");
    QTest::addColumn<QByteArray>("encoded"); // what follows https://www.qrz.com/db/
    QTest::newRow("plain call, case kept") << u"ja1ABC"_s << "ja1ABC"_ba;
    QTest::newRow("empty call") << QString() << QByteArray();
    QTest::newRow("portable slash") << u"JA1ABC/P"_s << "JA1ABC%2FP"_ba;
    QTest::newRow("climbing up") << u"../../etc"_s << "..%2F..%2Fetc"_ba;
    QTest::newRow("dot dot looks up nothing") << u".."_s << QByteArray();
    QTest::newRow("quotes and ampersand") << u"A\"B'&C"_s << "A%22B%27%26C"_ba;
    QTest::newRow("shell characters") << u"A;B|C$(D)`"_s << "A%3BB%7CC%24%28D%29%60"_ba;
    QTest::newRow("non-ASCII") << u"ＪＡ１"_s << "%EF%BC%AA%EF%BC%A1%EF%BC%91"_ba;
}

void tst_Aids::lookupUrl()
{
    QFETCH(QString, call);
    QFETCH(QByteArray, encoded);
    const QUrl url = aids::lookupUrl(call);
    QVERIFY(url.isValid());
    QCOMPARE(url.toEncoded(), "https://www.qrz.com/db/"_ba + encoded);
    QCOMPARE(aids::lookupServiceName(), u"QRZ.com"_s);
}

QTEST_APPLESS_MAIN(tst_Aids)
#include "tst_aids.moc"
