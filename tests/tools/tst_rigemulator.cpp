// The simulated rig's frame logic, fed the way a serial line delivers bytes: whole frames,
// frames in pieces, several at once, noise between them. Expected answers are written out
// byte for byte here, never computed by the emulator's own helpers.

#include "rigsim/RigEmulator.h"

#include <QTest>

using namespace Qt::StringLiterals;
using namespace veltrane::rigsim;

Q_DECLARE_METATYPE(veltrane::rigsim::EmulatorSettings)
Q_DECLARE_METATYPE(veltrane::rigsim::Mode)

namespace {

const QDateTime kStart(QDate(2026, 12, 6), QTime(19, 40), Qt::UTC);

EmulatorSettings rig(Family family, Mode mode = Mode::Usb, qint64 hz = 14'076'000)
{
    EmulatorSettings s;
    s.family = family;
    s.mode = mode;
    s.frequencyHz = hz;
    return s;
}

EmulatorSettings civ(bool echo = false, bool acknowledge = false, quint8 controller = 0xE0,
                     Mode mode = Mode::Usb)
{
    EmulatorSettings s = rig(Family::CiV, mode);
    s.civEcho = echo;
    s.civAcknowledge = acknowledge;
    s.civControllerAddress = controller;
    return s;
}

// Binary families' bytes are written as hex text, "FE FE 74 E0 03 FD"; text families' as they are.
QByteArray bytes(const EmulatorSettings &s, const QByteArray &written)
{
    return s.family == Family::CiV || s.family == Family::Ft897 ? QByteArray::fromHex(written) : written;
}

} // namespace

class TestRigEmulator : public QObject
{
    Q_OBJECT

private slots:
    void frames_data();
    void frames();
    void civEchoComesFirstAndIsNotAnAnswer();
    void log();
    void startValuesOutsideTheFamilyAreMended();
};

void TestRigEmulator::frames_data()
{
    QTest::addColumn<EmulatorSettings>("settings");
    QTest::addColumn<QByteArrayList>("feeds"); // "+150": 150 ms pass before the next feed
    QTest::addColumn<QByteArray>("line");      // everything the line carries back
    QTest::addColumn<qint64>("frequency");
    QTest::addColumn<Mode>("mode");
    QTest::addColumn<QString>("meanings"); // the log's meanings, "|"-separated

    const auto row = [](const char *name, const EmulatorSettings &s, const QByteArrayList &feeds,
                        const QByteArray &line, qint64 hz, Mode mode, const QString &meanings) {
        QByteArrayList raw;
        for (const QByteArray &f : feeds)
            raw << (f.startsWith('+') ? f : bytes(s, f));
        QTest::newRow(name) << s << raw << bytes(s, line) << hz << mode << meanings;
    };
    const auto y = rig(Family::YaesuText);
    const auto f = rig(Family::Ft897);
    const auto usb = Mode::Usb;

    row("yaesu mode, set split mid digits, reads", rig(Family::YaesuText, Mode::Lsb),
        {"MD02;FA070", "26000;F", "A;MD0;"}, "FA07026000;MD02;", 7026000, usb,
        u"SET MODE USB|SET FREQ 7026000|READ FREQ|READ MODE"_s);
    row("yaesu refusals", y, {"FA7026000;FA00007026000;MD2;fa;MD0Z;"}, "?;?;?;?;?;", 14076000, usb,
        u"BAD FREQ|BAD FREQ|UNKNOWN|UNKNOWN|BAD MODE"_s);
    row("yaesu noise, lone semicolon, two reads", y, {QByteArray("\x00\xff\x13;", 4), ";FA;FA;"},
        "?;FA14076000;FA14076000;", 14076000, usb, u"UNKNOWN|EMPTY|READ FREQ|READ FREQ"_s);
    row("yaesu overlong noise dropped", y, {QByteArray(70, 'x'), "FA;"}, "FA14076000;", 14076000, usb,
        u"OVERLONG, DROPPED|READ FREQ"_s);
    row("kenwood read, mode, 11-digit set", rig(Family::KenwoodText, Mode::Lsb),
        {"FA;MD2;FA12345678901;F", "A;MD;"}, "FA00014076000;FA12345678901;MD2;", 12345678901, usb,
        u"READ FREQ|SET MODE USB|SET FREQ 12345678901|READ FREQ|READ MODE"_s);
    row("kenwood refusals", rig(Family::KenwoodText, Mode::Lsb), {"FA07026000;MD02;"}, "?;?;", 14076000,
        Mode::Lsb, u"BAD FREQ|UNKNOWN"_s);
    row("civ set in pieces, then read", civ(),
        {"FE", "FE 74 E0 05", "00 60 07 21 00", "FD FE FE 74 E0 03 FD"}, "FE FE E0 74 03 00 60 07 21 00 FD",
        21076000, usb, u"SET FREQ 21076000|READ FREQ"_s);
    row("civ controller 45, mode", civ(false, false, 0x45, Mode::Lsb),
        {"FE FE 74 45 06 01 FD FE FE 74 45 03 FD"}, "FE FE 45 74 03 00 60 07 14 00 FD", 14076000, usb,
        u"SET MODE USB|READ FREQ"_s);
    row("civ other source noted", civ(), {"FE FE 74 45 03 FD"}, "FE FE E0 74 03 00 60 07 14 00 FD", 14076000,
        usb, u"READ FREQ (from 45)"_s);
    row("civ mode with filter", civ(), {"FE FE 74 E0 06 00 02 FD"}, "", 14076000, Mode::Lsb,
        u"SET MODE LSB"_s);
    row("civ acknowledgements", civ(false, true),
        {"FE FE 74 E0 05 00 60 02 07 00 FD FE FE 74 E0 05 00 6A 02 07 00 FD FE FE 74 E0 19 00 FD"},
        "FE FE E0 74 FB FD FE FE E0 74 FA FD FE FE E0 74 FA FD", 7026000, usb,
        u"SET FREQ 7026000|BAD FREQ|UNKNOWN COMMAND 19"_s);
    row("civ foreign address only echoed", civ(true, true), {"FE FE 76 E0 05 00 60 02 07 00 FD"},
        "FE FE 76 E0 05 00 60 02 07 00 FD", 14076000, usb, u"OTHER ADDRESS 76"_s);
    row("civ noise, broken frame, long preamble, short frame", civ(),
        {"00 13 FD 41 FE FE 74 E0 05 00 60 FE FE 74 E0 03 FD 55 AA FE FE FE 74 E0 03 FD FE FE 74 FD"},
        "FE FE E0 74 03 00 60 07 14 00 FD FE FE E0 74 03 00 60 07 14 00 FD", 14076000, usb,
        u"NOISE|BROKEN FRAME|READ FREQ|NOISE|READ FREQ|SHORT FRAME"_s);
    row("civ overlong frame dropped", civ(),
        {"FE FE 74 E0" + QByteArray(70, 'A').toHex(), "FE FE 74 E0 03 FD"},
        "FE FE E0 74 03 00 60 07 14 00 FD", 14076000, usb, u"OVERLONG, DROPPED|READ FREQ"_s);
    row("ft897 read in LSB", rig(Family::Ft897, Mode::Lsb, 7'026'000), {"00 00 00 00 03"}, "00 70 26 00 00",
        7026000, Mode::Lsb, u"READ FREQ"_s);
    row("ft897 mode, set, two reads in pieces", rig(Family::Ft897, Mode::Lsb),
        {"01 00 00 00 07", "05 03 30 00 01", "00 00", "00 00 03 00 00 00 00 03"},
        "05 03 30 00 01 05 03 30 00 01", 50330000, usb,
        u"SET MODE USB|SET FREQ 50330000|READ FREQ|READ FREQ"_s);
    row("ft897 refusals", f, {"0A 00 00 00 01 55 00 00 00 07 00 00 00 00 88"}, "", 14076000, usb,
        u"BAD FREQ|BAD MODE|UNKNOWN COMMAND 88"_s);
    // A frame left incomplete for 100 ms is dropped when the next byte comes.
    row("yaesu partial dropped after a pause", y, {"FA0", "+150", "FA;"}, "FA14076000;", 14076000, usb,
        u"INCOMPLETE, DROPPED|READ FREQ"_s);
    row("yaesu partial kept when quick", y, {"FA0", "+50", "FA;"}, "?;", 14076000, usb, u"BAD FREQ"_s);
    row("civ partial dropped after a pause", civ(), {"FE FE 74 E0 05 00", "+150", "60 FE FE 74 E0 03 FD"},
        "FE FE E0 74 03 00 60 07 14 00 FD", 14076000, usb, u"INCOMPLETE, DROPPED|NOISE|READ FREQ"_s);
    row("ft897 noise dropped after a pause", f, {"AA BB", "+150", "00 00 00 00 03"}, "01 40 76 00 01",
        14076000, usb, u"INCOMPLETE, DROPPED|READ FREQ"_s);
    // Without a pause, noise shifts the five-byte framing: the read is not recognised.
    row("ft897 noise without pause shifts framing", f, {"AA BB", "00 00 00 00 03"}, "", 14076000, usb,
        u"UNKNOWN COMMAND 00"_s);
}

void TestRigEmulator::frames()
{
    QFETCH(EmulatorSettings, settings);
    QFETCH(QByteArrayList, feeds);
    QFETCH(QByteArray, line);
    QFETCH(qint64, frequency);
    QFETCH(Mode, mode);
    QFETCH(QString, meanings);

    QDateTime now = kStart;
    RigEmulator emulator(settings, [&now] { return now; });
    QByteArray got;
    for (const QByteArray &bytes : feeds) {
        if (bytes.startsWith('+'))
            now = now.addMSecs(bytes.mid(1).toInt());
        else
            got += RigEmulator::joined(emulator.feed(bytes));
    }
    QCOMPARE(got.toHex(' '), line.toHex(' '));
    QCOMPARE(emulator.frequencyHz(), frequency);
    QCOMPARE(int(emulator.mode()), int(mode));
    QStringList logged;
    for (const FrameRecord &r : emulator.log())
        logged << r.meaning;
    QCOMPARE(logged.join(u'|'), meanings);
}

void TestRigEmulator::civEchoComesFirstAndIsNotAnAnswer()
{
    RigEmulator emulator(civ(true));
    const QList<Reply> replies = emulator.feed(QByteArray::fromHex("FE FE 74 E0 03 FD FE FE 74 E0 04 FD"));
    QCOMPARE(replies, (QList<Reply>{
                          {Reply::Kind::Echo, QByteArray::fromHex("FE FE 74 E0 03 FD FE FE 74 E0 04 FD")},
                          {Reply::Kind::Answer, QByteArray::fromHex("FE FE E0 74 03 00 60 07 14 00 FD")},
                          {Reply::Kind::Answer, QByteArray::fromHex("FE FE E0 74 04 01 01 FD")},
                      }));
}

void TestRigEmulator::log()
{
    QDateTime now = kStart;
    RigEmulator kenwood(rig(Family::KenwoodText), [&now] { return now; });
    kenwood.feed("\x01\\X;FA07026000;");
    QCOMPARE(kenwood.log().constFirst().logLine(),
             u"2026-12-06T19:40:00.000Z  01 5C 58 3B  \"\\x01\\x5CX;\"  UNKNOWN"_s);
    QCOMPARE(kenwood.takeLog().size(), 2);
    QVERIFY(kenwood.log().isEmpty());
    RigEmulator civv(civ(), [&now] { return now; });
    civv.feed(QByteArray::fromHex("FE FE 74 E0 06 01 FD"));
    QCOMPARE(civv.log().constFirst().logLine(),
             u"2026-12-06T19:40:00.000Z  FE FE 74 E0 06 01 FD  SET MODE USB"_s);

    // The log keeps the newest entries.
    const qsizetype total = RigEmulator::maxLogEntries + 5;
    for (qsizetype i = 0; i < total; ++i) {
        kenwood.feed("FA;");
        now = now.addMSecs(1);
    }
    QCOMPARE(kenwood.log().size(), RigEmulator::maxLogEntries);
    QCOMPARE(kenwood.log().constFirst().time, kStart.addMSecs(5));
    QCOMPARE(kenwood.log().constLast().time, kStart.addMSecs(total - 1));
}

void TestRigEmulator::startValuesOutsideTheFamilyAreMended()
{
    // Yaesu answers carry 8 digits: a start frequency above that is held at the top.
    RigEmulator yaesu(rig(Family::YaesuText, Mode::Usb, 123'456'789));
    QCOMPARE(RigEmulator::joined(yaesu.feed("FA;")), "FA99999999;");
    // The FT-897 family has no RTTY code: the rig starts in USB instead.
    RigEmulator ft897(rig(Family::Ft897, Mode::Rtty));
    QCOMPARE(ft897.mode(), Mode::Usb);
    // Every mode name reads back, in any case.
    for (const Mode m :
         {Mode::Lsb, Mode::Usb, Mode::Cw, Mode::CwReverse, Mode::Am, Mode::Fm, Mode::Rtty, Mode::Data}) {
        QCOMPARE(modeFromName(modeName(m).toLower()), std::optional<Mode>(m));
        QCOMPARE(modeFromName(modeName(m) + u'x'), std::nullopt);
    }
}

QTEST_GUILESS_MAIN(TestRigEmulator)
#include "tst_rigemulator.moc"
