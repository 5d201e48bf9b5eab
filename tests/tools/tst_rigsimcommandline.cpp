// The rig simulator's command line: each option lands in the setting it names, with the
// documented defaults when absent. (Refused values are checked on the running program.)

#include "rigsim/RigSimCommandLine.h"

#include <QTest>

#include <functional>
#include <map>

using namespace Qt::StringLiterals;
using namespace veltrane::rigsim;

namespace {

using Getter = std::function<QVariant(const RigSimCommandLine &)>;

const std::map<QString, Getter> &fields()
{
    static const std::map<QString, Getter> table{
        {u"family"_s, [](const RigSimCommandLine &c) { return QVariant(int(c.emulator.family)); }},
        {u"frequency"_s, [](const RigSimCommandLine &c) { return QVariant(c.emulator.frequencyHz); }},
        {u"mode"_s, [](const RigSimCommandLine &c) { return QVariant(modeName(c.emulator.mode)); }},
        {u"civRig"_s, [](const RigSimCommandLine &c) { return QVariant(int(c.emulator.civRigAddress)); }},
        {u"civController"_s,
         [](const RigSimCommandLine &c) { return QVariant(int(c.emulator.civControllerAddress)); }},
        {u"echo"_s, [](const RigSimCommandLine &c) { return QVariant(c.emulator.civEcho); }},
        {u"ack"_s, [](const RigSimCommandLine &c) { return QVariant(c.emulator.civAcknowledge); }},
        {u"resync"_s, [](const RigSimCommandLine &c) { return QVariant(c.emulator.resyncGapMs); }},
        {u"link"_s, [](const RigSimCommandLine &c) { return QVariant(c.rig.linkPath); }},
        {u"log"_s, [](const RigSimCommandLine &c) { return QVariant(c.rig.logFile); }},
        {u"status"_s, [](const RigSimCommandLine &c) { return QVariant(c.rig.statusFile); }},
        {u"fragment"_s, [](const RigSimCommandLine &c) { return QVariant(c.rig.faults.fragmentBytes); }},
        {u"fragmentDelay"_s,
         [](const RigSimCommandLine &c) { return QVariant(c.rig.faults.fragmentDelayMs); }},
        {u"garbage"_s, [](const RigSimCommandLine &c) { return QVariant(c.rig.faults.garbageProbability); }},
        {u"drop"_s, [](const RigSimCommandLine &c) { return QVariant(c.rig.faults.dropProbability); }},
        {u"unplugEvery"_s, [](const RigSimCommandLine &c) { return QVariant(c.rig.faults.unplugEveryMs); }},
        {u"unplugFor"_s, [](const RigSimCommandLine &c) { return QVariant(c.rig.faults.unplugForMs); }},
        {u"seed"_s, [](const RigSimCommandLine &c) { return QVariant(c.rig.faults.seed); }},
    };
    return table;
}

} // namespace

class TestRigSimCommandLine : public QObject
{
    Q_OBJECT

private slots:
    void optionLandsInItsSetting_data();
    void optionLandsInItsSetting();
    void helpIsShownOnRequest_data();
    void helpIsShownOnRequest();
};

void TestRigSimCommandLine::optionLandsInItsSetting_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("field");
    QTest::addColumn<QVariant>("value");

    const QStringList none;
    QTest::newRow("default family") << none << u"family"_s << QVariant(0);
    QTest::newRow("default frequency") << none << u"frequency"_s << QVariant(qint64(14076000));
    QTest::newRow("default mode") << none << u"mode"_s << QVariant(u"USB"_s);
    QTest::newRow("default rig address") << none << u"civRig"_s << QVariant(0x74);
    QTest::newRow("default controller address") << none << u"civController"_s << QVariant(0xE0);
    QTest::newRow("default echo") << none << u"echo"_s << QVariant(false);
    QTest::newRow("default acknowledge") << none << u"ack"_s << QVariant(false);
    QTest::newRow("default resync") << none << u"resync"_s << QVariant(100);
    QTest::newRow("default link") << none << u"link"_s << QVariant(QString());
    QTest::newRow("default fragment") << none << u"fragment"_s << QVariant(0);
    QTest::newRow("default garbage") << none << u"garbage"_s << QVariant(0.0);
    QTest::newRow("default drop") << none << u"drop"_s << QVariant(0.0);
    QTest::newRow("default unplug") << none << u"unplugEvery"_s << QVariant(0);
    QTest::newRow("default seed") << none << u"seed"_s << QVariant(quint64(1));

    QTest::newRow("family 3") << QStringList{u"--family"_s, u"3"_s} << u"family"_s << QVariant(3);
    QTest::newRow("frequency") << QStringList{u"--freq"_s, u"7026000"_s} << u"frequency"_s
                               << QVariant(qint64(7026000));
    QTest::newRow("kenwood 11-digit frequency")
        << QStringList{u"--family"_s, u"1"_s, u"--freq"_s, u"99999999999"_s} << u"frequency"_s
        << QVariant(qint64(99999999999));
    QTest::newRow("mode any case") << QStringList{u"--mode"_s, u"cw-r"_s} << u"mode"_s << QVariant(u"CW-R"_s);
    QTest::newRow("rig address plain hex")
        << QStringList{u"--civ-rig"_s, u"76"_s} << u"civRig"_s << QVariant(0x76);
    QTest::newRow("rig address 0x") << QStringList{u"--civ-rig"_s, u"0x5c"_s} << u"civRig"_s
                                    << QVariant(0x5C);
    QTest::newRow("controller address h")
        << QStringList{u"--civ-controller"_s, u"45h"_s} << u"civController"_s << QVariant(0x45);
    QTest::newRow("echo") << QStringList{u"--echo"_s} << u"echo"_s << QVariant(true);
    QTest::newRow("acknowledge") << QStringList{u"--civ-ack"_s} << u"ack"_s << QVariant(true);
    QTest::newRow("resync off") << QStringList{u"--resync-ms"_s, u"0"_s} << u"resync"_s << QVariant(0);
    QTest::newRow("link") << QStringList{u"--link"_s, u"/tmp/x/rig"_s} << u"link"_s
                          << QVariant(u"/tmp/x/rig"_s);
    QTest::newRow("log") << QStringList{u"--log"_s, u"f.log"_s} << u"log"_s << QVariant(u"f.log"_s);
    QTest::newRow("status") << QStringList{u"--status"_s, u"s.txt"_s} << u"status"_s << QVariant(u"s.txt"_s);
    QTest::newRow("fragment") << QStringList{u"--fragment"_s, u"3"_s} << u"fragment"_s << QVariant(3);
    QTest::newRow("fragment delay") << QStringList{u"--fragment-delay-ms"_s, u"20"_s} << u"fragmentDelay"_s
                                    << QVariant(20);
    QTest::newRow("garbage") << QStringList{u"--garbage"_s, u"0.25"_s} << u"garbage"_s << QVariant(0.25);
    QTest::newRow("drop") << QStringList{u"--drop"_s, u"1"_s} << u"drop"_s << QVariant(1.0);
    QTest::newRow("unplug every, fractional seconds")
        << QStringList{u"--unplug-every"_s, u"2.5"_s, u"--unplug-for"_s, u"0.5"_s} << u"unplugEvery"_s
        << QVariant(2500);
    QTest::newRow("unplug for") << QStringList{u"--unplug-every"_s, u"2.5"_s, u"--unplug-for"_s, u"0.5"_s}
                                << u"unplugFor"_s << QVariant(500);
    QTest::newRow("seed") << QStringList{u"--seed"_s, u"42"_s} << u"seed"_s << QVariant(quint64(42));
}

void TestRigSimCommandLine::optionLandsInItsSetting()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, field);
    QFETCH(QVariant, value);

    const RigSimCommandLine c = RigSimCommandLine::parse(QStringList{u"veltrane-rigsim"_s} + arguments);
    QVERIFY2(c.error.isEmpty(), qPrintable(c.error));
    QVERIFY(!c.showHelp);
    const auto getter = fields().find(field);
    QVERIFY(getter != fields().end());
    QCOMPARE(getter->second(c), value);
}

void TestRigSimCommandLine::helpIsShownOnRequest_data()
{
    QTest::addColumn<QString>("flag");
    QTest::newRow("short") << u"-h"_s;
    QTest::newRow("long") << u"--help"_s;
}

void TestRigSimCommandLine::helpIsShownOnRequest()
{
    QFETCH(QString, flag);
    const RigSimCommandLine c = RigSimCommandLine::parse({u"veltrane-rigsim"_s, flag});
    QVERIFY(c.showHelp);
    QVERIFY(c.error.isEmpty());
    QVERIFY(c.helpText.contains(u"--unplug-every"_s));
    QVERIFY(!RigSimCommandLine::parse({u"veltrane-rigsim"_s}).showHelp);
}

QTEST_GUILESS_MAIN(TestRigSimCommandLine)
#include "tst_rigsimcommandline.moc"
