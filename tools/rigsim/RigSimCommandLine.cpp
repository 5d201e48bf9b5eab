// SPDX-License-Identifier: GPL-3.0-or-later
#include "rigsim/RigSimCommandLine.h"

#include <QCommandLineParser>

#include <cmath>
#include <limits>

using namespace Qt::StringLiterals;

namespace veltrane::rigsim {

namespace {

const QString kDescription = uR"(A simulated transceiver on a pseudo-terminal, for trying and testing
Veltrane's CAT link without a rig. It prints the device to open (the --link path
when given, else /dev/pts/N) as its first line, then answers on it until it gets
SIGTERM or SIGINT. With --tcp it serves the same bytes on 127.0.0.1 instead, as a
network serial server or a rigctld daemon would, and prints tcp://127.0.0.1:PORT.

Families and their frames:
  0  Yaesu text     "FA;" -> "FA14076000;"     set "FA07026000;"     mode "MD02;"
  1  Kenwood text   "FA;" -> "FA00014076000;"  set "FA00007026000;"  mode "MD2;"
  2  CI-V           FE FE rig ctl 03 FD -> FE FE ctl rig 03 f0..f4 FD (BCD, low first)
                    set FE FE rig ctl 05 f0..f4 FD, mode FE FE rig ctl 06 01 FD
  3  FT-897         00 00 00 00 03 -> d0..d3 mode (BCD of 10 Hz units, high first)
                    set d0..d3 01, mode 01 00 00 00 07
  4  rigctld        "f\n" -> "14076000\n"  set "F 7026000\n", mode "M USB 0\n"
                    (each answered "RPRT 0\n"; a bad value "RPRT -1\n")
Modes: LSB USB CW CW-R AM FM RTTY DATA (as far as the family has them).
Text frames it does not know are answered "?;". A frame left incomplete for longer
than --resync-ms is dropped when the next byte comes.)"_s;

bool parseInt(const QString &text, qint64 min, qint64 max, qint64 &out)
{
    bool ok = false;
    const qint64 v = text.trimmed().toLongLong(&ok);
    if (!ok || v < min || v > max)
        return false;
    out = v;
    return true;
}

bool parseReal(const QString &text, double min, double max, double &out)
{
    bool ok = false;
    const double v = text.trimmed().toDouble(&ok);
    if (!ok || !std::isfinite(v) || v < min || v > max)
        return false;
    out = v;
    return true;
}

// "74", "0x74" or "74h" -> 0x74. CI-V addresses may not be FD, FE or FF (framing bytes).
bool parseCiVAddress(const QString &text, quint8 &out)
{
    QString t = text.trimmed().toLower();
    if (t.startsWith(u"0x"))
        t = t.mid(2);
    else if (t.endsWith(u'h'))
        t.chop(1);
    bool ok = false;
    const uint v = t.toUInt(&ok, 16);
    if (!ok || t.isEmpty() || t.size() > 2 || v >= 0xFD)
        return false;
    out = quint8(v);
    return true;
}

} // namespace

RigSimCommandLine RigSimCommandLine::parse(const QStringList &arguments)
{
    RigSimCommandLine result;
    QCommandLineParser parser;
    parser.setApplicationDescription(kDescription);
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);

    const QCommandLineOption help({u"h"_s, u"help"_s}, u"Show this help and exit."_s);
    const QCommandLineOption version({u"v"_s, u"version"_s}, u"Show the version and exit."_s);
    const QCommandLineOption family(u"family"_s, u"Rig family 0 to 4 (default 0)."_s, u"n"_s, u"0"_s);
    const QCommandLineOption tcp(u"tcp"_s,
                                 u"Serve on 127.0.0.1 at this TCP port instead of a pty (0 = any free "
                                 u"port); line trouble and --link apply to the pty only."_s,
                                 u"port"_s);
    const QCommandLineOption freq(u"freq"_s, u"Start dial frequency in Hz (default 14076000)."_s, u"hz"_s,
                                  u"14076000"_s);
    const QCommandLineOption mode(u"mode"_s, u"Start mode (default USB)."_s, u"name"_s, u"USB"_s);
    const QCommandLineOption civRig(u"civ-rig"_s, u"CI-V address of the rig, hex (default 74)."_s, u"hex"_s,
                                    u"74"_s);
    const QCommandLineOption civController(
        u"civ-controller"_s, u"CI-V address answers are sent to, hex (default E0)."_s, u"hex"_s, u"E0"_s);
    const QCommandLineOption echo(u"echo"_s,
                                  u"CI-V: return every byte received before answering, as a one-wire "
                                  u"interface does."_s);
    const QCommandLineOption civAck(u"civ-ack"_s, u"CI-V: answer set commands with FB (or FA if refused)."_s);
    const QCommandLineOption ft897Ack(u"ft897-ack"_s, u"FT-897: answer set commands with one byte."_s);
    const QCommandLineOption yaesuDigits(u"yaesu-digits"_s, u"Yaesu text: digits of the FA field, 8 or 9."_s,
                                         u"n"_s, u"8"_s);
    const QCommandLineOption civBytes(u"civ-bytes"_s, u"CI-V: frequency bytes in an answer, 4 or 5."_s,
                                      u"n"_s, u"5"_s);
    const QCommandLineOption link(u"link"_s,
                                  u"Keep a symlink at this path pointing at the current pty (removed while "
                                  u"unplugged)."_s,
                                  u"path"_s);
    const QCommandLineOption log(u"log"_s,
                                 u"Write one line per frame received to this file (time, hex, text, "
                                 u"meaning), flushed at once."_s,
                                 u"file"_s);
    const QCommandLineOption status(u"status"_s,
                                    u"Rewrite this file atomically after each change: "
                                    u"\"freq=14076000 mode=USB\"."_s,
                                    u"file"_s);
    const QCommandLineOption fragment(u"fragment"_s, u"Write answers in pieces of n bytes (0 = whole)."_s,
                                      u"n"_s, u"0"_s);
    const QCommandLineOption fragmentDelay(u"fragment-delay-ms"_s, u"Pause between pieces of an answer."_s,
                                           u"ms"_s, u"0"_s);
    const QCommandLineOption garbageOpt(
        u"garbage"_s, u"Probability 0..1 of 1 to 8 random bytes before an answer."_s, u"p"_s, u"0"_s);
    const QCommandLineOption drop(u"drop"_s, u"Probability 0..1 that an answer is not sent."_s, u"p"_s,
                                  u"0"_s);
    const QCommandLineOption unplugEvery(u"unplug-every"_s,
                                         u"Pull the device out every s seconds (the pty closes, its path "
                                         u"vanishes); 0 = never."_s,
                                         u"s"_s, u"0"_s);
    const QCommandLineOption unplugFor(u"unplug-for"_s,
                                       u"Seconds the device stays away before a new pty appears "
                                       u"(less than --unplug-every)."_s,
                                       u"s"_s, u"1"_s);
    const QCommandLineOption seed(u"seed"_s, u"Seed of the random line trouble (default 1)."_s, u"n"_s,
                                  u"1"_s);
    const QCommandLineOption resync(u"resync-ms"_s,
                                    u"Drop a frame left incomplete this long (default 100; 0 = never)."_s,
                                    u"ms"_s, u"100"_s);
    parser.addOptions({help, version,     family,    tcp,  freq,   mode,     civRig,        civController,
                       echo, civAck,      link,      log,  status, fragment, fragmentDelay, garbageOpt,
                       drop, unplugEvery, unplugFor, seed, resync, ft897Ack, yaesuDigits,   civBytes});

    if (!parser.parse(arguments)) {
        result.error = parser.errorText();
        return result;
    }
    if (parser.isSet(help) || parser.isSet(version)) {
        result.showHelp = true;
        result.helpText = parser.isSet(help) ? parser.helpText() : u"veltrane-rigsim 1.05\n"_s;
        return result;
    }
    if (!parser.positionalArguments().isEmpty()) {
        result.error = u"unexpected argument: "_s + parser.positionalArguments().first();
        return result;
    }
    const auto refuse = [&](const QCommandLineOption &o, const QString &why) {
        result.error =
            u"--"_s + o.names().constLast() + u": "_s + why + u" (got \""_s + parser.value(o) + u"\")"_s;
        return result;
    };

    EmulatorSettings &e = result.emulator;
    qint64 n = 0;
    if (!parseInt(parser.value(family), 0, 4, n))
        return refuse(family, u"must be 0, 1, 2, 3 or 4"_s);
    e.family = Family(n);
    if (parser.isSet(tcp)) {
        if (!parseInt(parser.value(tcp), 0, 65535, n))
            return refuse(tcp, u"must be a port from 0 to 65535"_s);
        result.tcpPort = quint16(n);
    }
    if (!parseInt(parser.value(freq), 0, familyMaxFrequency(e.family), n))
        return refuse(freq,
                      u"must be whole hertz from 0 to "_s + QString::number(familyMaxFrequency(e.family)));
    e.frequencyHz = n;
    const auto m = modeFromName(parser.value(mode));
    if (!m || !familyHasMode(e.family, *m))
        return refuse(mode, u"not a mode of this family"_s);
    e.mode = *m;
    if (!parseCiVAddress(parser.value(civRig), e.civRigAddress))
        return refuse(civRig, u"must be a hex byte 00 to FC"_s);
    if (!parseCiVAddress(parser.value(civController), e.civControllerAddress))
        return refuse(civController, u"must be a hex byte 00 to FC"_s);
    if (e.civRigAddress == e.civControllerAddress)
        return refuse(civController, u"must differ from the rig's address"_s);
    e.civEcho = parser.isSet(echo);
    e.civAcknowledge = parser.isSet(civAck);
    e.ft897Acknowledge = parser.isSet(ft897Ack);
    if (!parseInt(parser.value(yaesuDigits), 8, 9, n))
        return refuse(yaesuDigits, u"must be 8 or 9"_s);
    e.yaesuDigits = int(n);
    if (!parseInt(parser.value(civBytes), 4, 5, n))
        return refuse(civBytes, u"must be 4 or 5"_s);
    e.civFrequencyBytes = int(n);
    if (!parseInt(parser.value(resync), 0, 3'600'000, n))
        return refuse(resync, u"must be milliseconds from 0 to 3600000"_s);
    e.resyncGapMs = int(n);

    PtyRigOptions &r = result.rig;
    r.linkPath = parser.value(link);
    r.logFile = parser.value(log);
    r.statusFile = parser.value(status);
    LineFaults &f = r.faults;
    if (!parseInt(parser.value(fragment), 0, 4096, n))
        return refuse(fragment, u"must be bytes from 0 to 4096"_s);
    f.fragmentBytes = int(n);
    if (!parseInt(parser.value(fragmentDelay), 0, 60'000, n))
        return refuse(fragmentDelay, u"must be milliseconds from 0 to 60000"_s);
    f.fragmentDelayMs = int(n);
    if (!parseReal(parser.value(garbageOpt), 0, 1, f.garbageProbability))
        return refuse(garbageOpt, u"must be a probability from 0 to 1"_s);
    if (!parseReal(parser.value(drop), 0, 1, f.dropProbability))
        return refuse(drop, u"must be a probability from 0 to 1"_s);
    double every = 0;
    double away = 0;
    if (!parseReal(parser.value(unplugEvery), 0, 86'400, every))
        return refuse(unplugEvery, u"must be seconds from 0 to 86400"_s);
    if (!parseReal(parser.value(unplugFor), 0, 86'400, away))
        return refuse(unplugFor, u"must be seconds from 0 to 86400"_s);
    f.unplugEveryMs = int(std::lround(every * 1000));
    f.unplugForMs = int(std::lround(away * 1000));
    if (f.unplugEveryMs > 0 && (f.unplugForMs <= 0 || f.unplugForMs >= f.unplugEveryMs))
        return refuse(unplugFor, u"must be above 0 and less than --unplug-every"_s);
    const QString seedText = parser.value(seed).trimmed();
    bool ok = false;
    f.seed = seedText.toULongLong(&ok);
    if (!ok)
        return refuse(seed, u"must be a whole number from 0"_s);
    return result;
}

} // namespace veltrane::rigsim
