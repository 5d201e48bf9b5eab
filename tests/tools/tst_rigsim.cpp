// SPDX-License-Identifier: GPL-3.0-or-later
// The rig simulator: its frame logic fed the way a serial line delivers bytes (whole frames,
// frames in pieces, several at once, noise between them, pauses), its line faults on a real
// pseudo-terminal (answers in pieces, noise before answers, the same again with the same seed),
// and its command line.
// Expected answers are written out byte for byte, never computed by the simulator's own helpers.

#include "rigsim/PtyRig.h"
#include "rigsim/RigSimCommandLine.h"

#include <QSerialPort>
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

// What a controller on the simulator's pseudo-terminal receives for one request, read by read.
QByteArrayList readsFor(PtyRig &sim, const QByteArray &request, qsizetype expected)
{
    QSerialPort port;
    port.setPortName(sim.devicePath());
    if (!port.open(QIODevice::ReadWrite))
        return {};
    QByteArrayList reads;
    qsizetype got = 0;
    QObject::connect(&port, &QSerialPort::readyRead, [&] {
        reads << port.readAll();
        got += reads.constLast().size();
    });
    port.write(request);
    (void)QTest::qWaitFor([&] { return got >= expected; }, 5000);
    return reads;
}

} // namespace

class tst_RigSim : public QObject
{
    Q_OBJECT

private slots:
    void frames_data();
    void frames();
    void lineFaults();
    void commandLine();
};

void tst_RigSim::frames_data()
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
    const auto usb = Mode::Usb;

    row("yaesu mode, set split mid digits, reads", rig(Family::YaesuText, Mode::Lsb),
        {"MD02;FA070", "26000;F", "A;MD0;"}, "FA07026000;MD02;", 7026000, usb,
        u"SET MODE USB|SET FREQ 7026000|READ FREQ|READ MODE"_s);
    row("kenwood read, mode, 11-digit set", rig(Family::KenwoodText, Mode::Lsb),
        {"FA;MD2;FA12345678901;F", "A;MD;"}, "FA00014076000;FA12345678901;MD2;", 12345678901, usb,
        u"READ FREQ|SET MODE USB|SET FREQ 12345678901|READ FREQ|READ MODE"_s);
    row("civ set in pieces, then read", civ(),
        {"FE", "FE 74 E0 05", "00 60 07 21 00", "FD FE FE 74 E0 03 FD"}, "FE FE E0 74 03 00 60 07 21 00 FD",
        21076000, usb, u"SET FREQ 21076000|READ FREQ"_s);
    row("civ acknowledgements", civ(false, true),
        {"FE FE 74 E0 05 00 60 02 07 00 FD FE FE 74 E0 05 00 6A 02 07 00 FD FE FE 74 E0 19 00 FD"},
        "FE FE E0 74 FB FD FE FE E0 74 FA FD FE FE E0 74 FA FD", 7026000, usb,
        u"SET FREQ 7026000|BAD FREQ|UNKNOWN COMMAND 19"_s);
    row("civ noise, broken frame, long preamble, short frame", civ(),
        {"00 13 FD 41 FE FE 74 E0 05 00 60 FE FE 74 E0 03 FD 55 AA FE FE FE 74 E0 03 FD FE FE 74 FD"},
        "FE FE E0 74 03 00 60 07 14 00 FD FE FE E0 74 03 00 60 07 14 00 FD", 14076000, usb,
        u"NOISE|BROKEN FRAME|READ FREQ|NOISE|READ FREQ|SHORT FRAME"_s);
    row("ft897 mode, set, two reads in pieces", rig(Family::Ft897, Mode::Lsb),
        {"01 00 00 00 07", "05 03 30 00 01", "00 00", "00 00 03 00 00 00 00 03"},
        "05 03 30 00 01 05 03 30 00 01", 50330000, usb,
        u"SET MODE USB|SET FREQ 50330000|READ FREQ|READ FREQ"_s);
    // A frame left incomplete for 100 ms is dropped when the next byte comes.
    row("rigctld read, set in pieces, mode, refusals", rig(Family::Rigctld, Mode::Lsb),
        {"f\nF 70", "26000\nM USB 0\nm\nF abc\nq\n"},
        "14076000\nRPRT 0\nRPRT 0\nUSB\n2400\nRPRT -1\nRPRT -4\n", 7026000, usb,
        u"READ FREQ|SET FREQ 7026000|SET MODE USB|READ MODE|BAD FREQ|UNKNOWN"_s);
    auto nine = rig(Family::YaesuText);
    nine.yaesuDigits = 9;
    row("yaesu of nine digits: refuses eight", nine, {"FA;FA07026000;FA007026000;"}, "FA014076000;?;",
        7026000, usb, u"READ FREQ|BAD FREQ|SET FREQ 7026000"_s);
    auto acks = rig(Family::Ft897);
    acks.ft897Acknowledge = true;
    row("ft897 acknowledges sets, not reads", acks, {"01000000070070260001", "0000000003"},
        "00 00 00 70 26 00 01", 7026000, usb, u"SET MODE USB|SET FREQ 7026000|READ FREQ"_s);
    auto four = civ();
    four.civFrequencyBytes = 4;
    row("civ answer of four bytes", four, {"FE FE 74 E0 03 FD"}, "FE FE E0 74 03 00 60 07 14 FD", 14076000,
        usb, u"READ FREQ"_s);
    row("yaesu partial dropped after a pause", y, {"FA0", "+150", "FA;"}, "FA14076000;", 14076000, usb,
        u"INCOMPLETE, DROPPED|READ FREQ"_s);
    // Without a pause, noise shifts the five-byte framing: the read is not recognised.
}

void tst_RigSim::frames()
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

void tst_RigSim::lineFaults()
{
    // Answers in pieces of 4 bytes with a pause between: never one piece across two reads, and
    // not the whole answer in one read.
    PtyRigOptions fragments;
    fragments.faults.fragmentBytes = 4;
    fragments.faults.fragmentDelayMs = 100;
    PtyRig kenwood(rig(Family::KenwoodText), fragments);
    QVERIFY(kenwood.start());
    const QByteArrayList reads = readsFor(kenwood, "FA;", 14);
    QCOMPARE(reads.join(), "FA00014076000;"_ba);
    QVERIFY(reads.size() >= 2);
    qsizetype end = 0;
    for (const QByteArray &read : reads)
        QVERIFY((end += read.size()) % 4 == 0 || end == 14);

    // Noise before every answer: 1 to 8 bytes, the same again with the same seed.
    PtyRigOptions noisy;
    noisy.faults.garbageProbability = 1.0;
    noisy.faults.seed = 7;
    const QByteArray answer = QByteArray::fromHex("FE FE E0 74 03 00 60 07 14 00 FD");
    QByteArrayList noises;
    for (int run = 0; run < 2; ++run) {
        PtyRig sim(rig(Family::CiV), noisy);
        QVERIFY(sim.start());
        const QByteArray received = readsFor(sim, QByteArray::fromHex("FE FE 74 E0 03 FD"), 12).join();
        QVERIFY(received.endsWith(answer));
        noises << received.chopped(answer.size());
        QVERIFY2(noises.constLast().size() >= 1 && noises.constLast().size() <= 8,
                 noises.constLast().toHex(' '));
    }
    QCOMPARE(noises[0].toHex(' '), noises[1].toHex(' '));
}

void tst_RigSim::commandLine()
{
    const auto parse = [](const QString &arguments) {
        return RigSimCommandLine::parse(QStringList{u"veltrane-rigsim"_s} +
                                        arguments.split(u' ', Qt::SkipEmptyParts));
    };
    const RigSimCommandLine all = parse(
        u"--family 1 --freq 99999999999 --mode cw-r --civ-rig 0x5c --civ-controller 45h --echo --civ-ack "
        u"--resync-ms 0 --link /tmp/x/rig --log f.log --status s.txt --fragment 3 --fragment-delay-ms 20 "
        u"--garbage 0.25 --drop 1 --unplug-every 2.5 --unplug-for 0.5 --seed 42 --tcp 7000 --ft897-ack "
        u"--yaesu-digits 9 --civ-bytes 4"_s);
    const EmulatorSettings &e = all.emulator;
    const LineFaults &f = all.rig.faults;
    QCOMPARE(all.error, QString());
    QVERIFY(e.family == Family::KenwoodText && e.frequencyHz == 99999999999 && e.mode == Mode::CwReverse);
    QVERIFY(e.civRigAddress == 0x5c && e.civControllerAddress == 0x45 && e.civEcho && e.civAcknowledge);
    QCOMPARE(all.rig.linkPath + all.rig.logFile + all.rig.statusFile, u"/tmp/x/rigf.logs.txt"_s);
    QVERIFY(e.resyncGapMs == 0 && f.fragmentBytes == 3 && f.fragmentDelayMs == 20 &&
            f.garbageProbability == 0.25);
    QVERIFY(f.dropProbability == 1 && f.unplugEveryMs == 2500 && f.unplugForMs == 500 && f.seed == 42);
    QCOMPARE(all.tcpPort, std::optional<quint16>(7000));
    QVERIFY(e.ft897Acknowledge && e.yaesuDigits == 9 && e.civFrequencyBytes == 4);
    const RigSimCommandLine defaults = parse({});
    QVERIFY(defaults.emulator.family == Family::YaesuText && defaults.emulator.frequencyHz == 14076000 &&
            !defaults.emulator.civEcho && defaults.rig.faults.fragmentBytes == 0 && !defaults.tcpPort);
    // A refused value names its option.
    const std::pair<const char *, const char *> refused[] = {
        {"--family 5", "--family"},
        {"--freq 100000000", "--freq"},
        {"--mode SSB", "--mode"},
        {"--civ-rig FE", "--civ-rig"},
        {"--civ-rig E0", "--civ-controller"}, // the two addresses equal
        {"--garbage 1.5", "--garbage"},
        {"--unplug-every 2 --unplug-for 2", "--unplug-for"},
        {"--seed abc", "--seed"},
        {"--yaesu-digits 10", "--yaesu-digits"},
        {"--civ-bytes 3", "--civ-bytes"}};
    for (const auto &[arguments, option] : refused)
        QVERIFY2(parse(QString::fromLatin1(arguments)).error.startsWith(QLatin1StringView(option)),
                 arguments);
}

QTEST_GUILESS_MAIN(tst_RigSim)
#include "tst_rigsim.moc"
