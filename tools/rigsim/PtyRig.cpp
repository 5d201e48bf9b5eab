// SPDX-License-Identifier: GPL-3.0-or-later
#include "rigsim/PtyRig.h"

#include <QFileInfo>
#include <QSocketNotifier>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace veltrane::rigsim {

namespace {

// Replies waiting beyond this (a controller that never reads) are thrown away.
constexpr qsizetype kMaxQueuedBytes = 64 * 1024;
constexpr int kMaxGarbageBytes = 8;

QString systemError(const QString &what)
{
    return what + u": "_s + QString::fromLocal8Bit(std::strerror(errno));
}

} // namespace

PtyRig::PtyRig(const EmulatorSettings &settings, const PtyRigOptions &options, QObject *parent)
    : QObject(parent), m_emulator(settings), m_options(options), m_random(options.faults.seed)
{
    m_fragmentTimer.setSingleShot(true);
    connect(&m_fragmentTimer, &QTimer::timeout, this, &PtyRig::pump);
    m_replugTimer.setSingleShot(true);
    connect(&m_replugTimer, &QTimer::timeout, this, [this] {
        QString error;
        if (!plugIn(&error)) {
            qWarning("rig simulator: cannot plug in again (%s); retrying", qPrintable(error));
            m_replugTimer.start(qMax(m_options.faults.unplugForMs, 100));
        }
    });
    connect(&m_unplugTimer, &QTimer::timeout, this, [this] {
        unplug();
        m_replugTimer.start(m_options.faults.unplugForMs);
    });
}

PtyRig::~PtyRig()
{
    stop();
}

QString PtyRig::devicePath() const
{
    return m_options.linkPath.isEmpty() ? m_slavePath : m_options.linkPath;
}

bool PtyRig::start(QString *error)
{
    if (m_started)
        return true;
    if (!m_options.logFile.isEmpty()) {
        m_log.setFileName(m_options.logFile);
        if (!m_log.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Text)) {
            if (error)
                *error = u"cannot write the log file "_s + m_options.logFile + u": "_s + m_log.errorString();
            return false;
        }
    }
    if (!plugIn(error)) {
        m_log.close();
        return false;
    }
    m_started = true;
    writeStatus();
    const LineFaults &f = m_options.faults;
    if (f.unplugEveryMs > 0 && f.unplugForMs > 0)
        m_unplugTimer.start(f.unplugEveryMs);
    return true;
}

void PtyRig::stop()
{
    m_unplugTimer.stop();
    m_replugTimer.stop();
    closePty();
    removeLink();
    m_log.close();
    m_started = false;
}

bool PtyRig::plugIn(QString *error)
{
    if (isPlugged())
        return true;
    if (!openPty(error))
        return false;
    if (!pointLink(error)) {
        closePty();
        return false;
    }
    emit pluggedIn(m_slavePath);
    return true;
}

void PtyRig::unplug()
{
    if (!isPlugged())
        return;
    closePty();
    removeLink();
    m_emulator.dropPending();
    publishLog();
    emit unplugged();
}

bool PtyRig::openPty(QString *error)
{
    const auto fail = [&](const QString &what) {
        if (error)
            *error = systemError(what);
        closePty();
        return false;
    };
    m_master = posix_openpt(O_RDWR | O_NOCTTY);
    if (m_master < 0)
        return fail(u"posix_openpt"_s);
    ::fcntl(m_master, F_SETFD, FD_CLOEXEC);
    ::fcntl(m_master, F_SETFL, ::fcntl(m_master, F_GETFL) | O_NONBLOCK);
    if (grantpt(m_master) != 0)
        return fail(u"grantpt"_s);
    if (unlockpt(m_master) != 0)
        return fail(u"unlockpt"_s);
    char name[128] = {};
    if (ptsname_r(m_master, name, sizeof name) != 0)
        return fail(u"ptsname"_s);
    m_slavePath = QString::fromLocal8Bit(name);

    // The spare slave descriptor: keeps the master alive across the controller's close and
    // reopen, and carries the raw line settings so bytes pass unchanged.
    m_spareSlave = ::open(name, O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (m_spareSlave < 0)
        return fail(u"open "_s + m_slavePath);
    termios tio{};
    if (::tcgetattr(m_spareSlave, &tio) != 0)
        return fail(u"tcgetattr"_s);
    ::cfmakeraw(&tio);
    if (::tcsetattr(m_spareSlave, TCSANOW, &tio) != 0)
        return fail(u"tcsetattr"_s);

    m_readNotifier = std::make_unique<QSocketNotifier>(m_master, QSocketNotifier::Read);
    connect(m_readNotifier.get(), &QSocketNotifier::activated, this, &PtyRig::onReadable);
    m_writeNotifier = std::make_unique<QSocketNotifier>(m_master, QSocketNotifier::Write);
    m_writeNotifier->setEnabled(false);
    connect(m_writeNotifier.get(), &QSocketNotifier::activated, this, &PtyRig::onWritable);
    return true;
}

void PtyRig::closePty()
{
    m_readNotifier.reset();
    m_writeNotifier.reset();
    m_fragmentTimer.stop();
    m_chunks.clear();
    m_queuedBytes = 0;
    if (m_spareSlave >= 0)
        ::close(m_spareSlave);
    if (m_master >= 0)
        ::close(m_master);
    m_spareSlave = -1;
    m_master = -1;
    m_slavePath.clear();
}

bool PtyRig::pointLink(QString *error)
{
    if (m_options.linkPath.isEmpty())
        return true;
    const QFileInfo existing(m_options.linkPath);
    if (existing.exists() && !existing.isSymLink()) {
        if (error)
            *error = m_options.linkPath + u" exists and is not a symlink"_s;
        return false;
    }
    // A new link under a temporary name, renamed over the old one: the path never points
    // nowhere while it is being moved.
    const QByteArray link = QFile::encodeName(m_options.linkPath);
    const QByteArray temporary = link + ".new";
    ::unlink(temporary.constData());
    if (::symlink(QFile::encodeName(m_slavePath).constData(), temporary.constData()) != 0 ||
        ::rename(temporary.constData(), link.constData()) != 0) {
        if (error)
            *error = systemError(u"link "_s + m_options.linkPath);
        ::unlink(temporary.constData());
        return false;
    }
    m_linkMade = true;
    return true;
}

void PtyRig::removeLink()
{
    if (!m_linkMade)
        return;
    m_linkMade = false;
    if (QFileInfo(m_options.linkPath).isSymLink())
        ::unlink(QFile::encodeName(m_options.linkPath).constData());
}

void PtyRig::onReadable()
{
    char buffer[4096];
    for (;;) {
        const ssize_t n = ::read(m_master, buffer, sizeof buffer);
        if (n > 0) {
            const QList<Reply> replies = m_emulator.feed(QByteArray(buffer, n));
            publishLog();
            queueReplies(replies);
            if (m_emulator.frequencyHz() != m_lastFrequency || m_emulator.mode() != m_lastMode) {
                writeStatus();
                emit stateChanged(m_emulator.frequencyHz(), m_emulator.mode());
            }
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        // EAGAIN: all read. EIO cannot happen while the spare slave descriptor is open.
        return;
    }
}

void PtyRig::publishLog()
{
    for (const FrameRecord &r : m_emulator.takeLog()) {
        if (m_log.isOpen()) {
            m_log.write(r.logLine().toUtf8() + '\n');
            m_log.flush();
        }
        emit frameReceived(r);
    }
}

void PtyRig::queueReplies(const QList<Reply> &replies)
{
    const LineFaults &f = m_options.faults;
    for (const Reply &reply : replies) {
        QByteArray bytes = reply.bytes;
        if (reply.kind == Reply::Kind::Answer) {
            if (f.dropProbability > 0 && std::bernoulli_distribution(f.dropProbability)(m_random))
                continue;
            if (f.garbageProbability > 0 && std::bernoulli_distribution(f.garbageProbability)(m_random))
                bytes.prepend(garbage());
        }
        if (m_queuedBytes + bytes.size() > kMaxQueuedBytes)
            continue;
        m_queuedBytes += bytes.size();
        const qsizetype piece =
            reply.kind == Reply::Kind::Answer && f.fragmentBytes > 0 ? f.fragmentBytes : bytes.size();
        for (qsizetype at = 0; at < bytes.size(); at += piece)
            m_chunks.push_back({bytes.mid(at, piece), at > 0});
    }
    pump();
}

void PtyRig::pump()
{
    if (m_master < 0 || m_fragmentTimer.isActive())
        return;
    while (!m_chunks.empty()) {
        Chunk &chunk = m_chunks.front();
        if (chunk.pauseBefore && m_options.faults.fragmentDelayMs > 0) {
            chunk.pauseBefore = false;
            m_fragmentTimer.start(m_options.faults.fragmentDelayMs);
            return;
        }
        const ssize_t n = ::write(m_master, chunk.bytes.constData(), size_t(chunk.bytes.size()));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            if (errno == EAGAIN) {
                m_writeNotifier->setEnabled(true);
            } else {
                m_chunks.clear();
                m_queuedBytes = 0;
            }
            return;
        }
        m_queuedBytes -= n;
        if (n < chunk.bytes.size()) {
            chunk.bytes.remove(0, n);
            m_writeNotifier->setEnabled(true);
            return;
        }
        m_chunks.pop_front();
    }
}

void PtyRig::onWritable()
{
    m_writeNotifier->setEnabled(false);
    pump();
}

QByteArray PtyRig::garbage()
{
    std::uniform_int_distribution<int> count(1, kMaxGarbageBytes);
    std::uniform_int_distribution<int> byte(0, 255);
    QByteArray out(count(m_random), '\0');
    for (char &c : out)
        c = char(byte(m_random));
    return out;
}

void PtyRig::writeStatus()
{
    m_lastFrequency = m_emulator.frequencyHz();
    m_lastMode = m_emulator.mode();
    writeStatusFile(m_options.statusFile, m_lastFrequency, m_lastMode);
}

} // namespace veltrane::rigsim
