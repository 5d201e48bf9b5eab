// SPDX-License-Identifier: GPL-3.0-or-later
#include "rigsim/RigEmulator.h"

#include <QSaveFile>

#include <array>
#include <span>

using namespace Qt::StringLiterals;

namespace veltrane::rigsim {

namespace {

struct ModeCode
{
    Mode mode;
    quint8 code; // text families: the ASCII character of the code
};

struct ModeLabel
{
    Mode mode;
    const char16_t *name;
};

constexpr std::array kModeLabels{
    ModeLabel{Mode::Lsb, u"LSB"},        ModeLabel{Mode::Usb, u"USB"},   ModeLabel{Mode::Cw, u"CW"},
    ModeLabel{Mode::CwReverse, u"CW-R"}, ModeLabel{Mode::Am, u"AM"},     ModeLabel{Mode::Fm, u"FM"},
    ModeLabel{Mode::Rtty, u"RTTY"},      ModeLabel{Mode::Data, u"DATA"},
};

// Mode codes per family. Where two codes give one mode, the first is the one the rig reports.
constexpr std::array kYaesuTextModes{
    ModeCode{Mode::Lsb, '1'},       ModeCode{Mode::Usb, '2'},  ModeCode{Mode::Cw, '3'},
    ModeCode{Mode::Fm, '4'},        ModeCode{Mode::Am, '5'},   ModeCode{Mode::Rtty, '6'},
    ModeCode{Mode::CwReverse, '7'}, ModeCode{Mode::Data, '8'},
};
constexpr std::array kKenwoodTextModes{
    ModeCode{Mode::Lsb, '1'},       ModeCode{Mode::Usb, '2'}, ModeCode{Mode::Cw, '3'},
    ModeCode{Mode::Fm, '4'},        ModeCode{Mode::Am, '5'},  ModeCode{Mode::Rtty, '6'},
    ModeCode{Mode::CwReverse, '7'},
};
constexpr std::array kCiVModes{
    ModeCode{Mode::Lsb, 0x00},       ModeCode{Mode::Usb, 0x01},  ModeCode{Mode::Am, 0x02},
    ModeCode{Mode::Cw, 0x03},        ModeCode{Mode::Rtty, 0x04}, ModeCode{Mode::Fm, 0x05},
    ModeCode{Mode::CwReverse, 0x07},
};
constexpr std::array kFt897Modes{
    ModeCode{Mode::Lsb, 0x00},       ModeCode{Mode::Usb, 0x01},  ModeCode{Mode::Cw, 0x02},
    ModeCode{Mode::CwReverse, 0x03}, ModeCode{Mode::Am, 0x04},   ModeCode{Mode::Fm, 0x08},
    ModeCode{Mode::Data, 0x0A},      ModeCode{Mode::Data, 0x0C},
};

// rigctld's names of the modes, as "M" takes them and "m" reports them.
constexpr std::array kRigctldModes{
    ModeLabel{Mode::Lsb, u"LSB"},       ModeLabel{Mode::Usb, u"USB"},     ModeLabel{Mode::Cw, u"CW"},
    ModeLabel{Mode::CwReverse, u"CWR"}, ModeLabel{Mode::Am, u"AM"},       ModeLabel{Mode::Fm, u"FM"},
    ModeLabel{Mode::Rtty, u"RTTY"},     ModeLabel{Mode::Data, u"PKTUSB"},
};

std::span<const ModeCode> modesOf(Family family)
{
    switch (family) {
    case Family::YaesuText:
        return kYaesuTextModes;
    case Family::KenwoodText:
        return kKenwoodTextModes;
    case Family::CiV:
        return kCiVModes;
    case Family::Ft897:
        return kFt897Modes;
    case Family::Rigctld:
        break; // modes by name: kRigctldModes
    }
    return {};
}

std::optional<Mode> modeForCode(Family family, quint8 code)
{
    for (const ModeCode &m : modesOf(family))
        if (m.code == code)
            return m.mode;
    return std::nullopt;
}

quint8 codeForMode(Family family, Mode mode)
{
    for (const ModeCode &m : modesOf(family))
        if (m.mode == mode)
            return m.code;
    return modesOf(family).front().code;
}

constexpr char kCiVPreamble = char(0xFE);
constexpr char kCiVEnd = char(0xFD);
constexpr quint8 kCiVOk = 0xFB;
constexpr quint8 kCiVNotGood = 0xFA;
constexpr qsizetype kMaxTextCommand = 64;
constexpr qsizetype kMaxCiVFrame = 64;
constexpr qsizetype kFt897CommandLength = 5;
constexpr qsizetype kMaxRigctldLine = 64;
constexpr int kRigctldPassbandHz = 2400; // what "m" reports as the passband

bool allDigits(QByteArrayView bytes)
{
    for (char c : bytes)
        if (c < '0' || c > '9')
            return false;
    return !bytes.isEmpty();
}

// Frequency as `width` decimal digits with leading zeros: (14076000, 8) -> "14076000",
// (7026000, 11) -> "00007026000".
QByteArray decimalDigits(qint64 value, int width)
{
    return QByteArray::number(value).rightJustified(width, '0');
}

// One byte of two BCD digits: 14 -> 0x14. Nothing when a nibble is above 9: 0x1A -> nothing.
std::optional<int> bcdValue(quint8 byte)
{
    const int high = byte >> 4;
    const int low = byte & 0x0F;
    if (high > 9 || low > 9)
        return std::nullopt;
    return high * 10 + low;
}

quint8 bcdByte(qint64 twoDigits)
{
    return quint8(((twoDigits / 10) << 4) | (twoDigits % 10));
}

// CI-V frequency: five BCD bytes, least significant pair first.
// 14 076 000 Hz -> 00 60 07 14 00; 7 026 000 Hz -> 00 60 02 07 00.
QByteArray civFrequencyBytes(qint64 hz)
{
    QByteArray out;
    for (int i = 0; i < 5; ++i) {
        out.append(char(bcdByte(hz % 100)));
        hz /= 100;
    }
    return out;
}

// The inverse: 00 60 02 07 00 -> 7 026 000; nothing if a byte is not BCD.
std::optional<qint64> civFrequencyFrom(QByteArrayView bytes)
{
    qint64 hz = 0;
    for (qsizetype i = bytes.size() - 1; i >= 0; --i) {
        const auto pair = bcdValue(quint8(bytes[i]));
        if (!pair)
            return std::nullopt;
        hz = hz * 100 + *pair;
    }
    return hz;
}

// FT-897 frequency: four BCD bytes of the frequency in 10 Hz units, most significant first;
// the last hertz digit is lost. 7 026 000 Hz -> 00 70 26 00; 14 076 523 Hz -> 01 40 76 52.
QByteArray ft897FrequencyBytes(qint64 hz)
{
    qint64 tens = hz / 10;
    QByteArray out(4, '\0');
    for (int i = 3; i >= 0; --i) {
        out[i] = char(bcdByte(tens % 100));
        tens /= 100;
    }
    return out;
}

// The inverse, in hertz: 01 40 76 52 -> 14 076 520; nothing if a byte is not BCD.
std::optional<qint64> ft897FrequencyFrom(QByteArrayView bytes)
{
    qint64 tens = 0;
    for (char c : bytes) {
        const auto pair = bcdValue(quint8(c));
        if (!pair)
            return std::nullopt;
        tens = tens * 100 + *pair;
    }
    return tens * 10;
}

QString hexByte(quint8 b)
{
    return QString::number(b, 16).rightJustified(2, u'0').toUpper();
}

QString printable(const QByteArray &bytes)
{
    QString out;
    for (char c : bytes) {
        const auto b = quint8(c);
        if (b >= 0x20 && b < 0x7F && b != '\\')
            out += QChar(char16_t(b));
        else
            out += u"\\x"_s + hexByte(b);
    }
    return out;
}

} // namespace

void writeStatusFile(const QString &path, qint64 frequencyHz, Mode mode)
{
    if (path.isEmpty())
        return;
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Text))
        return;
    file.write(u"freq=%1 mode=%2\n"_s.arg(frequencyHz).arg(modeName(mode)).toUtf8());
    file.commit();
}

QString modeName(Mode mode)
{
    for (const ModeLabel &l : kModeLabels)
        if (l.mode == mode)
            return QString::fromUtf16(l.name);
    return {};
}

std::optional<Mode> modeFromName(const QString &name)
{
    for (const ModeLabel &l : kModeLabels)
        if (name.compare(QString::fromUtf16(l.name), Qt::CaseInsensitive) == 0)
            return l.mode;
    return std::nullopt;
}

bool familyHasMode(Family family, Mode mode)
{
    if (family == Family::Rigctld)
        return true; // every mode has a rigctld name
    for (const ModeCode &m : modesOf(family))
        if (m.mode == mode)
            return true;
    return false;
}

qint64 familyMaxFrequency(Family family)
{
    switch (family) {
    case Family::YaesuText:
        return 99'999'999;
    case Family::KenwoodText:
        return 99'999'999'999;
    case Family::CiV:
        return 9'999'999'999;
    case Family::Ft897:
        return 999'999'990;
    case Family::Rigctld:
        return 99'999'999'999;
    }
    return 0;
}

QString FrameRecord::hex() const
{
    QString out;
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        if (i > 0)
            out += u' ';
        out += hexByte(quint8(bytes[i]));
    }
    return out;
}

QString FrameRecord::logLine() const
{
    QString line = time.toString(Qt::ISODateWithMs) + u"  "_s + hex();
    if (!text.isEmpty())
        line += u"  \""_s + text + u'"';
    return line + u"  "_s + meaning;
}

RigEmulator::RigEmulator(const EmulatorSettings &settings, Clock clock)
    : m_settings(settings),
      m_clock(clock ? std::move(clock) : Clock([] { return QDateTime::currentDateTimeUtc(); })),
      m_frequencyHz(qBound<qint64>(0, settings.frequencyHz, familyMaxFrequency(settings.family))),
      m_mode(familyHasMode(settings.family, settings.mode) ? settings.mode : Mode::Usb)
{
}

QByteArray RigEmulator::joined(const QList<Reply> &replies)
{
    QByteArray out;
    for (const Reply &r : replies)
        out += r.bytes;
    return out;
}

void RigEmulator::dropPending()
{
    if (m_pending.isEmpty())
        return;
    record(m_pending, u"INCOMPLETE, DROPPED"_s);
    m_pending.clear();
}

QList<FrameRecord> RigEmulator::takeLog()
{
    QList<FrameRecord> out;
    out.swap(m_log);
    return out;
}

void RigEmulator::record(const QByteArray &bytes, const QString &meaning)
{
    FrameRecord r;
    r.time = m_clock();
    r.bytes = bytes;
    if (m_settings.family == Family::YaesuText || m_settings.family == Family::KenwoodText ||
        m_settings.family == Family::Rigctld)
        r.text = printable(bytes);
    r.meaning = meaning;
    if (m_log.size() >= maxLogEntries)
        m_log.removeFirst();
    m_log.append(std::move(r));
}

QList<Reply> RigEmulator::feed(const QByteArray &received)
{
    QList<Reply> out;
    if (received.isEmpty())
        return out;

    const QDateTime now = m_clock();
    if (!m_pending.isEmpty() && m_settings.resyncGapMs > 0 && m_lastByteTime.isValid() &&
        m_lastByteTime.msecsTo(now) > m_settings.resyncGapMs) {
        record(m_pending, u"INCOMPLETE, DROPPED"_s);
        m_pending.clear();
    }
    m_lastByteTime = now;

    if (m_settings.family == Family::CiV && m_settings.civEcho)
        out.append({Reply::Kind::Echo, received});

    m_pending += received;
    switch (m_settings.family) {
    case Family::YaesuText:
    case Family::KenwoodText:
        feedText(out);
        break;
    case Family::CiV:
        feedCiV(out);
        break;
    case Family::Ft897:
        feedFt897(out);
        break;
    case Family::Rigctld:
        feedRigctld(out);
        break;
    }
    return out;
}

// ---- text families: commands end with ";" ----

void RigEmulator::feedText(QList<Reply> &out)
{
    for (;;) {
        const qsizetype end = m_pending.indexOf(';');
        if (end < 0) {
            if (m_pending.size() > kMaxTextCommand) {
                record(m_pending, u"OVERLONG, DROPPED"_s);
                m_pending.clear();
            }
            return;
        }
        const QByteArray command = m_pending.left(end + 1);
        m_pending.remove(0, end + 1);
        QString meaning;
        const QByteArray answer = answerText(command, meaning);
        record(command, meaning);
        if (!answer.isEmpty())
            out.append({Reply::Kind::Answer, answer});
    }
}

// Family 0: "FA;" -> "FA14076000;", "FA07026000;" sets 7 026 000 Hz, "MD0;" -> "MD02;",
// "MD02;" sets USB. Family 1: the same with 11 digits, "MD;" and "MD2;". Anything else -> "?;".
QByteArray RigEmulator::answerText(const QByteArray &command, QString &meaning)
{
    const bool yaesu = m_settings.family == Family::YaesuText;
    const int digits = yaesu ? m_settings.yaesuDigits : 11;
    const QByteArray modePrefix = yaesu ? QByteArray("MD0") : QByteArray("MD");
    const QByteArrayView body = QByteArrayView(command).chopped(1);

    if (body == "FA") {
        meaning = u"READ FREQ"_s;
        return "FA" + decimalDigits(m_frequencyHz, digits) + ';';
    }
    if (body.startsWith("FA") && body.size() == 2 + digits && allDigits(body.sliced(2))) {
        m_frequencyHz = body.sliced(2).toLongLong();
        meaning = u"SET FREQ "_s + QString::number(m_frequencyHz);
        return {};
    }
    if (body == modePrefix) {
        meaning = u"READ MODE"_s;
        return modePrefix + char(codeForMode(m_settings.family, m_mode)) + ';';
    }
    if (body.startsWith(modePrefix) && body.size() == modePrefix.size() + 1) {
        if (const auto mode = modeForCode(m_settings.family, quint8(body.back()))) {
            m_mode = *mode;
            meaning = u"SET MODE "_s + modeName(m_mode);
            return {};
        }
        meaning = u"BAD MODE"_s;
        return "?;";
    }
    if (body.isEmpty()) {
        meaning = u"EMPTY"_s;
        return {};
    }
    meaning = body.startsWith("FA") ? u"BAD FREQ"_s : u"UNKNOWN"_s;
    return "?;";
}

// ---- CI-V: FE FE to from command data FD ----

void RigEmulator::feedCiV(QList<Reply> &out)
{
    static const QByteArray preamble(2, kCiVPreamble);
    for (;;) {
        const qsizetype start = m_pending.indexOf(preamble);
        if (start < 0) {
            // Everything but a last FE (which may begin a preamble) is noise.
            const qsizetype keep = m_pending.endsWith(kCiVPreamble) ? 1 : 0;
            if (m_pending.size() > keep) {
                record(m_pending.left(m_pending.size() - keep), u"NOISE"_s);
                m_pending.remove(0, m_pending.size() - keep);
            }
            return;
        }
        if (start > 0) {
            record(m_pending.left(start), u"NOISE"_s);
            m_pending.remove(0, start);
        }
        qsizetype body = 2;
        while (body < m_pending.size() && m_pending[body] == kCiVPreamble)
            ++body;
        const qsizetype end = m_pending.indexOf(kCiVEnd, body);
        const qsizetype restart = m_pending.indexOf(preamble, body);
        if (restart >= 0 && (end < 0 || restart < end)) {
            // A new preamble before the end: the frame was broken off.
            record(m_pending.left(restart), u"BROKEN FRAME"_s);
            m_pending.remove(0, restart);
            continue;
        }
        if (end < 0) {
            if (m_pending.size() > kMaxCiVFrame) {
                record(m_pending, u"OVERLONG, DROPPED"_s);
                m_pending.clear();
            }
            return;
        }
        const QByteArray frame = m_pending.left(end + 1);
        m_pending.remove(0, end + 1);
        QString meaning;
        const QByteArray answer = answerCiV(frame, meaning);
        record(frame, meaning);
        if (!answer.isEmpty())
            out.append({Reply::Kind::Answer, answer});
    }
}

// FE FE 74 E0 03 FD -> FE FE E0 74 03 00 60 07 14 00 FD (at 14 076 000 Hz)
// FE FE 74 E0 04 FD -> FE FE E0 74 04 01 01 FD (USB, filter 1)
// FE FE 74 E0 05 00 60 02 07 00 FD sets 7 026 000 Hz; FE FE 74 E0 06 01 FD sets USB
// (each answered FE FE E0 74 FB FD when acknowledging). Frames to another address: ignored.
// Answers go to the configured controller address, whichever source the frame names.
QByteArray RigEmulator::answerCiV(const QByteArray &frame, QString &meaning)
{
    qsizetype b = 0;
    while (b < frame.size() && frame[b] == kCiVPreamble)
        ++b;
    const QByteArrayView body = QByteArrayView(frame).sliced(b, frame.size() - b - 1);
    if (body.size() < 3) {
        meaning = u"SHORT FRAME"_s;
        return {};
    }
    const auto to = quint8(body[0]);
    const auto from = quint8(body[1]);
    const auto command = quint8(body[2]);
    const QByteArrayView data = body.sliced(3);
    if (to != m_settings.civRigAddress) {
        meaning = u"OTHER ADDRESS "_s + hexByte(to);
        return {};
    }

    const QByteArray head =
        QByteArray(2, kCiVPreamble) + char(m_settings.civControllerAddress) + char(m_settings.civRigAddress);
    const auto reply = [&](quint8 code) {
        return m_settings.civAcknowledge ? head + char(code) + kCiVEnd : QByteArray();
    };
    const QString fromNote =
        from == m_settings.civControllerAddress ? QString() : u" (from "_s + hexByte(from) + u')';

    QByteArray answer;
    if (command == 0x03 && data.isEmpty()) {
        meaning = u"READ FREQ"_s;
        answer = head + char(0x03) + civFrequencyBytes(m_frequencyHz).first(m_settings.civFrequencyBytes) +
                 kCiVEnd;
    } else if (command == 0x04 && data.isEmpty()) {
        meaning = u"READ MODE"_s;
        answer = head + char(0x04) + char(codeForMode(Family::CiV, m_mode)) + char(0x01) + kCiVEnd;
    } else if (command == 0x05 && data.size() == 5) {
        if (const auto hz = civFrequencyFrom(data)) {
            m_frequencyHz = *hz;
            meaning = u"SET FREQ "_s + QString::number(m_frequencyHz);
            answer = reply(kCiVOk);
        } else {
            meaning = u"BAD FREQ"_s;
            answer = reply(kCiVNotGood);
        }
    } else if (command == 0x06 && (data.size() == 1 || data.size() == 2)) {
        if (const auto mode = modeForCode(Family::CiV, quint8(data[0]))) {
            m_mode = *mode;
            meaning = u"SET MODE "_s + modeName(m_mode);
            answer = reply(kCiVOk);
        } else {
            meaning = u"BAD MODE"_s;
            answer = reply(kCiVNotGood);
        }
    } else {
        meaning = u"UNKNOWN COMMAND "_s + hexByte(command);
        answer = reply(kCiVNotGood);
    }
    meaning += fromNote;
    return answer;
}

// ---- FT-897: five bytes, the last the command code ----

void RigEmulator::feedFt897(QList<Reply> &out)
{
    while (m_pending.size() >= kFt897CommandLength) {
        const QByteArray command = m_pending.left(kFt897CommandLength);
        m_pending.remove(0, kFt897CommandLength);
        QString meaning;
        const QByteArray answer = answerFt897(command, meaning);
        record(command, meaning);
        if (!answer.isEmpty())
            out.append({Reply::Kind::Answer, answer});
        else if (m_settings.ft897Acknowledge && meaning.startsWith(u"SET"))
            out.append({Reply::Kind::Answer, QByteArray(1, '\0')});
    }
}

// 00 00 00 00 03 -> 01 40 76 00 01 (14 076 000 Hz, USB); 00 70 26 00 01 sets 7 026 000 Hz;
// 01 00 00 00 07 sets USB. Other command codes are ignored, as the rig ignores them.
QByteArray RigEmulator::answerFt897(const QByteArray &command, QString &meaning)
{
    const auto code = quint8(command[4]);
    switch (code) {
    case 0x03:
        meaning = u"READ FREQ"_s;
        return ft897FrequencyBytes(m_frequencyHz) + char(codeForMode(Family::Ft897, m_mode));
    case 0x01:
        if (const auto hz = ft897FrequencyFrom(QByteArrayView(command).first(4))) {
            m_frequencyHz = *hz;
            meaning = u"SET FREQ "_s + QString::number(m_frequencyHz);
        } else {
            meaning = u"BAD FREQ"_s;
        }
        return {};
    case 0x07:
        if (const auto mode = modeForCode(Family::Ft897, quint8(command[0]))) {
            m_mode = *mode;
            meaning = u"SET MODE "_s + modeName(m_mode);
        } else {
            meaning = u"BAD MODE"_s;
        }
        return {};
    default:
        meaning = u"UNKNOWN COMMAND "_s + hexByte(code);
        return {};
    }
}

// ---- rigctld: one command per line ----

void RigEmulator::feedRigctld(QList<Reply> &out)
{
    for (;;) {
        const qsizetype end = m_pending.indexOf('\n');
        if (end < 0) {
            if (m_pending.size() > kMaxRigctldLine) {
                record(m_pending, u"OVERLONG, DROPPED"_s);
                m_pending.clear();
            }
            return;
        }
        const QByteArray line = m_pending.left(end + 1);
        m_pending.remove(0, end + 1);
        QString meaning;
        const QByteArray answer = answerRigctld(line, meaning);
        record(line, meaning);
        if (!answer.isEmpty())
            out.append({Reply::Kind::Answer, answer});
    }
}

// "f" (or "\get_freq") -> "14076000\n"; "F 7026000" (or "\set_freq 7026000") -> "RPRT 0\n";
// "m" -> "USB\n2400\n"; "M USB 0" -> "RPRT 0\n"; a bad value -> "RPRT -1\n"; an unknown
// command -> "RPRT -4\n" (not implemented); an empty line -> nothing.
QByteArray RigEmulator::answerRigctld(const QByteArray &line, QString &meaning)
{
    const QList<QByteArray> words = line.simplified().split(' ');
    const QByteArray command = words.value(0);
    const auto ok = QByteArrayLiteral("RPRT 0\n");
    const auto bad = QByteArrayLiteral("RPRT -1\n");
    if (command.isEmpty()) {
        meaning = u"EMPTY"_s;
        return {};
    }
    if ((command == "f" || command == "\\get_freq") && words.size() == 1) {
        meaning = u"READ FREQ"_s;
        return QByteArray::number(m_frequencyHz) + '\n';
    }
    if (command == "F" || command == "\\set_freq") {
        bool isNumber = false;
        const double hz = words.value(1).toDouble(&isNumber);
        if (words.size() != 2 || !isNumber || !(hz >= 0) ||
            hz > double(familyMaxFrequency(Family::Rigctld))) {
            meaning = u"BAD FREQ"_s;
            return bad;
        }
        m_frequencyHz = qint64(hz + 0.5);
        meaning = u"SET FREQ "_s + QString::number(m_frequencyHz);
        return ok;
    }
    if ((command == "m" || command == "\\get_mode") && words.size() == 1) {
        meaning = u"READ MODE"_s;
        for (const ModeLabel &l : kRigctldModes) {
            if (l.mode == m_mode)
                return QString::fromUtf16(l.name).toLatin1() + '\n' + QByteArray::number(kRigctldPassbandHz) +
                       '\n';
        }
        return bad;
    }
    if (command == "M" || command == "\\set_mode") {
        const QString name = QString::fromLatin1(words.value(1));
        for (const ModeLabel &l : kRigctldModes) {
            if (words.size() == 3 && name == QStringView(l.name)) {
                m_mode = l.mode;
                meaning = u"SET MODE "_s + modeName(m_mode);
                return ok;
            }
        }
        meaning = u"BAD MODE"_s;
        return bad;
    }
    meaning = u"UNKNOWN"_s;
    return QByteArrayLiteral("RPRT -4\n");
}

} // namespace veltrane::rigsim
