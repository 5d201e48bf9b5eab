// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The simulated rig on a pseudo-terminal: owns the pty master, hands what the controller sends
// to a RigEmulator and writes its replies back, with optional line trouble (answers in
// fragments, noise before answers, lost answers, and the adapter pulled out and put back).
//
// It keeps a spare descriptor on the slave side open, so a controller that closes and reopens
// the device never hangs up the master. With a link path it keeps a symlink pointing at the
// current slave device (removed while unplugged), as a stable name survives a replug.
// The frame logic is RigEmulator's; this class only moves bytes and keeps the files.

#include "rigsim/RigEmulator.h"

#include <QFile>
#include <QObject>
#include <QTimer>

#include <deque>
#include <memory>
#include <random>

class QSocketNotifier;

namespace veltrane::rigsim {

struct LineFaults
{
    int fragmentBytes = 0;         // answers written in pieces of this many bytes; 0 = whole
    int fragmentDelayMs = 0;       // pause between two pieces of one answer
    double garbageProbability = 0; // chance of 1 to 8 random bytes before an answer
    double dropProbability = 0;    // chance that an answer is not sent at all
    int unplugEveryMs = 0;         // 0 = never unplugged
    int unplugForMs = 0;           // how long the device stays away
    quint64 seed = 1;              // the same seed gives the same trouble
};

struct PtyRigOptions
{
    QString linkPath;   // symlink kept pointing at the slave device; empty = none
    QString logFile;    // one line per frame received, flushed at once; empty = none
    QString statusFile; // "freq=14076000 mode=USB", rewritten whole after each change
    LineFaults faults;
};

class PtyRig : public QObject
{
    Q_OBJECT

public:
    PtyRig(const EmulatorSettings &settings, const PtyRigOptions &options, QObject *parent = nullptr);
    ~PtyRig() override;

    // Opens the pseudo-terminal, the link and the files, and starts the unplug cycle.
    // False with a message when any of them fails (nothing is left open then).
    bool start(QString *error = nullptr);
    // Closes everything and removes the link. Also done by the destructor.
    void stop();

    bool isPlugged() const { return m_master >= 0; }
    // The current slave device ("/dev/pts/5"); empty while unplugged.
    QString slavePath() const { return m_slavePath; }
    // What a controller should open: the link path when there is one, else the slave device.
    QString devicePath() const;

    const RigEmulator &emulator() const { return m_emulator; }

    // The unplug cycle calls these; tests may call them directly.
    void unplug();
    bool plugIn(QString *error = nullptr);

signals:
    void frameReceived(const veltrane::rigsim::FrameRecord &record);
    void stateChanged(qint64 frequencyHz, veltrane::rigsim::Mode mode);
    void unplugged();
    void pluggedIn(const QString &slavePath);

private:
    struct Chunk
    {
        QByteArray bytes;
        bool pauseBefore = false;
    };

    bool openPty(QString *error);
    void closePty();
    bool pointLink(QString *error);
    void removeLink();
    void onReadable();
    void publishLog();
    void onWritable();
    void queueReplies(const QList<Reply> &replies);
    void pump();
    void writeStatus();
    QByteArray garbage();

    RigEmulator m_emulator;
    PtyRigOptions m_options;
    int m_master = -1;
    int m_spareSlave = -1;
    QString m_slavePath;
    std::unique_ptr<QSocketNotifier> m_readNotifier;
    std::unique_ptr<QSocketNotifier> m_writeNotifier;
    std::deque<Chunk> m_chunks;
    qsizetype m_queuedBytes = 0;
    QTimer m_fragmentTimer;
    QTimer m_unplugTimer;
    QTimer m_replugTimer;
    QFile m_log;
    std::mt19937_64 m_random;
    qint64 m_lastFrequency = -1;
    Mode m_lastMode = Mode::Usb;
    bool m_started = false;
    bool m_linkMade = false; // only a link this object made is ever removed
};

} // namespace veltrane::rigsim
