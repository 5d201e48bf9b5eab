// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A simulated transceiver's CAT side, as pure logic: it is fed the bytes the controller sent,
// cuts them into the frames of its rig family, keeps a dial frequency and a mode, and says
// which bytes the rig puts on the line in return. It records every frame it received.
//
// What it does not do: it opens no device, starts no timer and never sleeps. Time comes from
// an injected clock (used for the log and for dropping a half-received frame after a pause);
// the pseudo-terminal, misbehaviour and files are PtyRig's.
//
// The four families:
//   0  Yaesu text CAT    "FA;" -> "FA14076000;"        set "FA07026000;"   mode "MD02;"
//   1  Kenwood text CAT  "FA;" -> "FA00014076000;"     set "FA00007026000;" mode "MD2;"
//   2  CI-V              FE FE 74 E0 03 FD -> FE FE E0 74 03 00 60 07 14 00 FD
//                        set FE FE 74 E0 05 f0..f4 FD; mode FE FE 74 E0 06 01 FD
//   3  FT-897 binary     00 00 00 00 03 -> 01 40 76 00 01 (4 BCD bytes in 10 Hz, mode byte)
//                        set d0 d1 d2 d3 01; mode 01 00 00 00 07
//   4  rigctld protocol  "f\n" -> "14076000\n"   set "F 7026000\n" -> "RPRT 0\n"
//                        mode "M USB 0\n" -> "RPRT 0\n"; "m\n" -> "USB\n2400\n"; bad -> "RPRT -1\n"

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QString>

#include <functional>
#include <optional>

namespace veltrane::rigsim {

enum class Family { YaesuText = 0, KenwoodText = 1, CiV = 2, Ft897 = 3, Rigctld = 4 };

// Operating modes the simulated rig knows. Each family has its own codes for them (a family
// may lack some); USB is in every family.
enum class Mode { Lsb, Usb, Cw, CwReverse, Am, Fm, Rtty, Data };

// "LSB", "USB", "CW", "CW-R", "AM", "FM", "RTTY", "DATA".
QString modeName(Mode mode);
// Rewrites `path` atomically with "freq=14076000 mode=USB"; nothing when path is empty.
void writeStatusFile(const QString &path, qint64 frequencyHz, Mode mode);
// The inverse of modeName, case-insensitive: "usb" -> Mode::Usb; nothing for an unknown name.
std::optional<Mode> modeFromName(const QString &name);
// Whether the family has a code for the mode (the rig can be put in it by its own frames).
bool familyHasMode(Family family, Mode mode);
// Highest dial frequency in hertz that the family's read answer can carry:
// 99 999 999 (8 digits), 99 999 999 999 (11 digits), 9 999 999 999 (10 BCD digits),
// 999 999 990 (8 BCD digits of 10 Hz), 99 999 999 999 (rigctld: whole hertz, as the link reads them).
qint64 familyMaxFrequency(Family family);

// One frame (or one run of bytes that made no frame) as the rig received it.
struct FrameRecord
{
    QDateTime time;   // when its last byte arrived
    QByteArray bytes; // exactly as received
    QString text;     // text families: the bytes as text, \xNN for non-printable ones; else empty
    QString meaning;  // "READ FREQ", "SET FREQ 14076000", "SET MODE USB", "OTHER ADDRESS 76", ...

    // Hex of the bytes, upper case, one blank between bytes: "46 41 3B".
    QString hex() const;
    // One line for a log file: "2026-12-06T19:40:00.123Z  46 41 3B  \"FA;\"  READ FREQ".
    QString logLine() const;
};

// A piece of what the line carries back. The bus echo is not the rig's answer: a rig that
// drops its answer still leaves the echo of a one-wire CI-V interface on the line.
struct Reply
{
    enum class Kind { Echo, Answer };
    Kind kind = Kind::Answer;
    QByteArray bytes;

    friend bool operator==(const Reply &, const Reply &) = default;
};

struct EmulatorSettings
{
    Family family = Family::YaesuText;
    qint64 frequencyHz = 14'076'000;
    Mode mode = Mode::Usb;
    quint8 civRigAddress = 0x74;
    quint8 civControllerAddress = 0xE0;
    // CI-V: the line returns every byte the controller sends, before any answer.
    bool civEcho = false;
    // CI-V: acknowledge set commands with FB (done) and refuse bad ones with FA (not done).
    bool civAcknowledge = false;
    // CI-V: frequency bytes in an answer, 5 (most rigs) or 4 (older models).
    int civFrequencyBytes = 5;
    // FT-897: answer every set command with one byte (00), as the rig does.
    bool ft897Acknowledge = false;
    // Yaesu text: digits of the FA field, 8 (FT-2000/950/450) or 9 (the newer rigs); a set with
    // the other width is refused with "?;".
    int yaesuDigits = 8;
    // A frame left incomplete for longer than this is dropped when the next byte arrives, so
    // noise on the line cannot shift the framing for good (FT-897 commands have no delimiter).
    // 0 keeps partial frames for ever.
    int resyncGapMs = 100;
};

class RigEmulator
{
public:
    using Clock = std::function<QDateTime()>;

    // The clock defaults to the system clock in UTC.
    explicit RigEmulator(const EmulatorSettings &settings = {}, Clock clock = {});

    const EmulatorSettings &settings() const { return m_settings; }
    Family family() const { return m_settings.family; }
    qint64 frequencyHz() const { return m_frequencyHz; }
    Mode mode() const { return m_mode; }

    // Takes received bytes (any split: a frame may arrive over several calls, several frames
    // in one); returns what the line carries back, in order. Complete frames are acted on at
    // once; an incomplete tail waits for the next call.
    QList<Reply> feed(const QByteArray &received);
    // All replies of a feed joined: the bytes as they appear on the line.
    static QByteArray joined(const QList<Reply> &replies);

    // Frames received so far (at most maxLogEntries, the oldest dropped first).
    const QList<FrameRecord> &log() const { return m_log; }
    // Returns and forgets the frames received since the last call.
    QList<FrameRecord> takeLog();
    static constexpr qsizetype maxLogEntries = 10'000;

    // Bytes waiting for the rest of their frame.
    QByteArray pending() const { return m_pending; }
    // Forgets a half-received frame (the line went away), recording it as dropped.
    void dropPending();

private:
    void feedText(QList<Reply> &out);
    void feedCiV(QList<Reply> &out);
    void feedFt897(QList<Reply> &out);
    void feedRigctld(QList<Reply> &out);

    QByteArray answerText(const QByteArray &command, QString &meaning);
    QByteArray answerCiV(const QByteArray &frame, QString &meaning);
    QByteArray answerFt897(const QByteArray &command, QString &meaning);
    QByteArray answerRigctld(const QByteArray &line, QString &meaning);

    void record(const QByteArray &bytes, const QString &meaning);

    EmulatorSettings m_settings;
    Clock m_clock;
    qint64 m_frequencyHz = 0;
    Mode m_mode = Mode::Usb;
    QByteArray m_pending;
    QDateTime m_lastByteTime;
    QList<FrameRecord> m_log;
};

} // namespace veltrane::rigsim
