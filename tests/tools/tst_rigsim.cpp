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

namespace {

// What a controller on the simulator's pseudo-terminal receives for one request, read by read.
QByteArrayList readsFor(PtyRig &sim, const QByteArray &request, qsizetype expected)
{
    QSerialPort port(sim.devicePath());
    QByteArrayList reads;
    if (port.open(QIODevice::ReadWrite) && port.write(request) == request.size())
        (void)QTest::qWaitFor([&] { return (reads << port.readAll()).join().size() >= expected; }, 5000);
    reads.removeAll(QByteArray());
    return reads;
}

} // namespace

class tst_RigSim : public QObject
{
    Q_OBJECT

private slots:
    // The rig, what the controller sends feed by feed ("+150": 150 ms pass before the next feed),
    // everything the line carries back, the dial afterwards (the mode is USB after every row) and the
    // log's meanings.
    void frames()
    {
        const auto check = [](const EmulatorSettings &rig, const QByteArrayList &feeds,
                              const QByteArray &line, qint64 hz, const QString &meanings) {
            // Binary families' bytes are written as hex text, "FE FE 74 E0 03 FD"; text families' as they
            // are.
            const auto bytes = [&](const QByteArray &written) {
                return rig.family == Family::CiV || rig.family == Family::Ft897 ? QByteArray::fromHex(written)
                                                                                : written;
            };
            QDateTime now(QDate(2026, 12, 6), QTime(19, 40), Qt::UTC);
            RigEmulator emulator(rig, [&now] { return now; });
            QByteArray got;
            for (const QByteArray &feed : feeds) {
                if (feed.startsWith('+'))
                    now = now.addMSecs(feed.mid(1).toInt());
                else
                    got += RigEmulator::joined(emulator.feed(bytes(feed)));
            }
            QStringList logged;
            for (const FrameRecord &r : emulator.log())
                logged << r.meaning;
            // The meanings lead: they tell which call failed.
            QCOMPARE(
                u"%1 / %2 %3 / %4"_s.arg(logged.join(u'|'))
                    .arg(emulator.frequencyHz())
                    .arg(modeName(emulator.mode()), QString::fromLatin1(got.toHex(' '))),
                u"%1 / %2 USB / %3"_s.arg(meanings).arg(hz).arg(QString::fromLatin1(bytes(line).toHex(' '))));
        };
        // A frame left incomplete for 100 ms is dropped when the next byte comes. (The Kenwood's reads and
        // sets are met in the end-to-end sessions.)
        check({.family = Family::YaesuText, .mode = Mode::Lsb},
              {"MD02;FA070", "26000;F", "A;MD0;FA0", "+150", "FA;"}, "FA07026000;MD02;FA07026000;", 7026000,
              u"SET MODE USB|SET FREQ 7026000|READ FREQ|READ MODE|INCOMPLETE, DROPPED|READ FREQ"_s);
        check({.family = Family::CiV, .civAcknowledge = true},
              {"FE", "FE 74 E0 05 00 60", "02 07 00 FD FE FE 74 E0 05 00 6A 02 07 00 FD FE FE 74 E0 19 00 FD",
               "FE FE 74 E0 03 FD"},
              "FE FE E0 74 FB FD FE FE E0 74 FA FD FE FE E0 74 FA FD FE FE E0 74 03 00 60 02 07 00 FD",
              7026000, u"SET FREQ 7026000|BAD FREQ|UNKNOWN COMMAND 19|READ FREQ"_s);
        // Noise, a broken frame, a long preamble and a short frame.
        check({.family = Family::CiV},
              {"00 13 FD 41 FE FE 74 E0 05 00 60 FE FE 74 E0 03 FD 55 AA FE FE FE 74 E0 03 FD FE FE 74 FD"},
              "FE FE E0 74 03 00 60 07 14 00 FD FE FE E0 74 03 00 60 07 14 00 FD", 14076000,
              u"NOISE|BROKEN FRAME|READ FREQ|NOISE|READ FREQ|SHORT FRAME"_s);
        check({.family = Family::CiV, .civFrequencyBytes = 4}, {"FE FE 74 E0 03 FD"},
              "FE FE E0 74 03 00 60 07 14 FD", 14076000, u"READ FREQ"_s);
        // The FT-897 acknowledges sets, not reads.
        check({.family = Family::Ft897, .mode = Mode::Lsb, .ft897Acknowledge = true},
              {"01 00 00 00 07", "05 03 30 00 01", "00 00", "00 00 03 00 00 00 00 03"},
              "00 00 05 03 30 00 01 05 03 30 00 01", 50330000,
              u"SET MODE USB|SET FREQ 50330000|READ FREQ|READ FREQ"_s);
        check({.family = Family::Rigctld, .mode = Mode::Lsb}, {"f\nF 70", "26000\nM USB 0\nm\nF abc\nq\n"},
              "14076000\nRPRT 0\nRPRT 0\nUSB\n2400\nRPRT -1\nRPRT -4\n", 7026000,
              u"READ FREQ|SET FREQ 7026000|SET MODE USB|READ MODE|BAD FREQ|UNKNOWN"_s);
        // A Yaesu of nine digits refuses eight.
        check({.family = Family::YaesuText, .yaesuDigits = 9}, {"FA;FA07026000;FA007026000;"},
              "FA014076000;?;", 7026000, u"READ FREQ|BAD FREQ|SET FREQ 7026000"_s);
    }

    void lineFaults()
    {
        // Answers in pieces of 4 bytes with a pause between: never one piece across two reads, and
        // not the whole answer in one read.
        PtyRigOptions fragments;
        fragments.faults = {.fragmentBytes = 4, .fragmentDelayMs = 100};
        PtyRig kenwood({.family = Family::KenwoodText}, fragments);
        QVERIFY(kenwood.start());
        const QByteArrayList reads = readsFor(kenwood, "FA;", 14);
        QCOMPARE(reads.join(), "FA00014076000;"_ba);
        QVERIFY(reads.size() >= 2);
        qsizetype end = 0;
        for (const QByteArray &read : reads)
            QVERIFY((end += read.size()) % 4 == 0 || end == 14);

        // Noise before every answer: 1 to 8 bytes, the same again with the same seed.
        PtyRigOptions noisy;
        noisy.faults = {.garbageProbability = 1.0, .seed = 7};
        const QByteArray answer = QByteArray::fromHex("FE FE E0 74 03 00 60 07 14 00 FD");
        QByteArrayList noises;
        for (int run = 0; run < 2; ++run) {
            PtyRig sim({.family = Family::CiV}, noisy);
            QVERIFY(sim.start());
            const QByteArray received = readsFor(sim, QByteArray::fromHex("FE FE 74 E0 03 FD"), 12).join();
            QVERIFY(received.endsWith(answer));
            noises << received.chopped(answer.size());
            QVERIFY2(noises.constLast().size() >= 1 && noises.constLast().size() <= 8,
                     noises.constLast().toHex(' '));
        }
        QCOMPARE(noises[0].toHex(' '), noises[1].toHex(' '));
    }

    void commandLine()
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
        QVERIFY(e.resyncGapMs == 0 && e.ft897Acknowledge && e.yaesuDigits == 9 && e.civFrequencyBytes == 4);
        QVERIFY(f.fragmentBytes == 3 && f.fragmentDelayMs == 20 && f.garbageProbability == 0.25);
        QVERIFY(f.dropProbability == 1 && f.unplugEveryMs == 2500 && f.unplugForMs == 500 && f.seed == 42);
        QCOMPARE(all.tcpPort, std::optional<quint16>(7000));
        const RigSimCommandLine defaults = parse({});
        QVERIFY(defaults.emulator.family == Family::YaesuText && defaults.emulator.frequencyHz == 14076000 &&
                !defaults.emulator.civEcho && defaults.rig.faults.fragmentBytes == 0 && !defaults.tcpPort);
        // A refused value names its option, the last one given; two equal addresses name the controller's.
        for (const char *arguments :
             {"--family 5", "--freq 100000000", "--mode SSB", "--civ-rig FE", "--garbage 1.5",
              "--unplug-every 2 --unplug-for 2", "--seed abc", "--yaesu-digits 10", "--civ-bytes 3"}) {
            const QString given = QString::fromLatin1(arguments);
            QVERIFY2(parse(given).error.startsWith(given.section(u' ', -2, -2)), arguments);
        }
        QVERIFY(parse(u"--civ-rig E0"_s).error.startsWith(u"--civ-controller"_s));
    }
};

QTEST_GUILESS_MAIN(tst_RigSim)
#include "tst_rigsim.moc"
