// The rig simulator's command line: each option lands in the setting it names, the documented
// defaults apply when it is absent, and a refused value names its option.

#include "rigsim/RigSimCommandLine.h"

#include <QTest>

using namespace Qt::StringLiterals;
using namespace veltrane::rigsim;

namespace {

// Every setting of a parsed command line in one line; "help", or "error: ..." instead.
QString described(const RigSimCommandLine &c)
{
    if (c.showHelp || !c.error.isEmpty())
        return c.showHelp ? u"help"_s : u"error: "_s + c.error;
    const EmulatorSettings &e = c.emulator;
    const LineFaults &f = c.rig.faults;
    const auto n = [](auto v) { return QString::number(v); };
    return QStringList{n(int(e.family)),
                       n(e.frequencyHz),
                       modeName(e.mode),
                       QString::number(e.civRigAddress, 16) + u'/' +
                           QString::number(e.civControllerAddress, 16),
                       u"echo="_s + n(e.civEcho),
                       u"ack="_s + n(e.civAcknowledge),
                       u"resync="_s + n(e.resyncGapMs),
                       u"link="_s + c.rig.linkPath,
                       u"log="_s + c.rig.logFile,
                       u"status="_s + c.rig.statusFile,
                       u"fragment="_s + n(f.fragmentBytes) + u'/' + n(f.fragmentDelayMs),
                       u"garbage="_s + n(f.garbageProbability),
                       u"drop="_s + n(f.dropProbability),
                       u"unplug="_s + n(f.unplugEveryMs) + u'/' + n(f.unplugForMs),
                       u"seed="_s + n(f.seed)}
        .join(u' ');
}

} // namespace

class TestRigSimCommandLine : public QObject
{
    Q_OBJECT

private slots:
    void parse_data();
    void parse();
    void helpNamesEveryOption();
};

void TestRigSimCommandLine::parse_data()
{
    QTest::addColumn<QString>("arguments"); // blank-separated
    QTest::addColumn<QString>("expected");  // "error: --x" when the value of --x is to be refused

    QTest::newRow("defaults")
        << QString()
        << u"0 14076000 USB 74/e0 echo=0 ack=0 resync=100 link= log= status= fragment=0/0 "
           u"garbage=0 drop=0 unplug=0/1000 seed=1"_s;
    QTest::newRow("every option")
        << u"--family 1 --freq 99999999999 --mode cw-r --civ-rig 0x5c --civ-controller 45h --echo --civ-ack "
           u"--resync-ms 0 --link /tmp/x/rig --log f.log --status s.txt --fragment 3 --fragment-delay-ms 20 "
           u"--garbage 0.25 --drop 1 --unplug-every 2.5 --unplug-for 0.5 --seed 42"_s
        << u"1 99999999999 CW-R 5c/45 echo=1 ack=1 resync=0 link=/tmp/x/rig log=f.log status=s.txt "
           u"fragment=3/20 "
           u"garbage=0.25 drop=1 unplug=2500/500 seed=42"_s;
    QTest::newRow("help") << u"-h"_s << u"help"_s;
    QTest::newRow("family 5") << u"--family 5"_s << u"error: --family"_s;
    QTest::newRow("frequency text") << u"--freq 14.076"_s << u"error: --freq"_s;
    QTest::newRow("frequency beyond 8 digits") << u"--freq 100000000"_s << u"error: --freq"_s;
    QTest::newRow("mode unknown") << u"--mode SSB"_s << u"error: --mode"_s;
    QTest::newRow("mode missing in family") << u"--family 3 --mode RTTY"_s << u"error: --mode"_s;
    QTest::newRow("civ address FE") << u"--civ-rig FE"_s << u"error: --civ-rig"_s;
    QTest::newRow("civ address not hex") << u"--civ-controller G0"_s << u"error: --civ-controller"_s;
    QTest::newRow("civ addresses equal") << u"--civ-rig E0"_s << u"error: --civ-controller"_s;
    QTest::newRow("garbage above 1") << u"--garbage 1.5"_s << u"error: --garbage"_s;
    QTest::newRow("drop negative") << u"--drop -0.1"_s << u"error: --drop"_s;
    QTest::newRow("fragment negative") << u"--fragment -1"_s << u"error: --fragment"_s;
    QTest::newRow("unplug away too long") << u"--unplug-every 2 --unplug-for 2"_s << u"error: --unplug-for"_s;
    QTest::newRow("seed text") << u"--seed abc"_s << u"error: --seed"_s;
    QTest::newRow("unknown option") << u"--baud 9600"_s << u"error: Unknown option 'baud'"_s;
    QTest::newRow("stray argument") << u"extra"_s << u"error: unexpected argument: extra"_s;
}

void TestRigSimCommandLine::parse()
{
    QFETCH(QString, arguments);
    QFETCH(QString, expected);
    const QStringList list = QStringList{u"veltrane-rigsim"_s} + arguments.split(u' ', Qt::SkipEmptyParts);
    const QString got = described(RigSimCommandLine::parse(list));
    if (expected.startsWith(u"error: "))
        QVERIFY2(got.startsWith(expected), qPrintable(got)); // the reason follows
    else
        QCOMPARE(got, expected);
}

void TestRigSimCommandLine::helpNamesEveryOption()
{
    const QString help = RigSimCommandLine::parse({u"veltrane-rigsim"_s, u"--help"_s}).helpText;
    for (const char *o : {"--family", "--freq", "--mode", "--civ-rig", "--civ-controller", "--echo",
                          "--civ-ack", "--link", "--log", "--status", "--fragment", "--fragment-delay-ms",
                          "--garbage", "--drop", "--unplug-every", "--unplug-for", "--seed", "--resync-ms"})
        QVERIFY2(help.contains(QLatin1StringView(o) + u' '), o);
}

QTEST_GUILESS_MAIN(TestRigSimCommandLine)
#include "tst_rigsimcommandline.moc"
