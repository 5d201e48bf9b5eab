// SPDX-License-Identifier: GPL-3.0-or-later
#include "cat/link/CatLink.h"

#include "cat/CommEvents.h"

#include <QDateTime>
#include <QLoggingCategory>

using namespace Qt::StringLiterals;

namespace veltrane::cat {

Q_LOGGING_CATEGORY(lcCatLog, "veltrane.cat", QtInfoMsg)

namespace {

// One line of the CAT log: the time, the direction, the bytes in hex and as text (a dot for
// what does not print): "07:52:01.233 out  46 41 3B  FA;"
void logBytes(const char *direction, const QByteArray &bytes)
{
    if (bytes.isEmpty() || !lcCatLog().isDebugEnabled())
        return;
    QByteArray printable = bytes;
    for (char &c : printable)
        c = c >= 0x20 && c < 0x7F ? c : '.';
    qCDebug(lcCatLog).noquote() << QTime::currentTime().toString(QStringLiteral("HH:mm:ss.zzz")) << direction
                                << bytes.toHex(' ') << " " << printable;
}

// How long the line stays quiet before an answer without an end mark is judged: longer than the
// gap between two bytes of one answer at 4800 baud or between two pieces from a USB adapter
// that flushes every few milliseconds, short enough for the display to follow at once.
constexpr int kQuietMs = 12;
// After a set, the rig's acknowledge comes within a few milliseconds: the next read request
// waits this long, so the acknowledge is discarded before the request rather than read with the
// answer.
constexpr int kAcknowledgeSettleMs = 100;

// A one-byte CI-V address from its hexadecimal text ("74" -> 0x74); nothing when the text is
// empty, not hexadecimal or above FF.
std::optional<quint8> civAddress(const QString &hex)
{
    bool ok = false;
    const uint value = hex.trimmed().toUInt(&ok, 16);
    if (!ok || value > 0xFF)
        return std::nullopt;
    return quint8(value);
}

} // namespace

CatLink::CatLink(const config::StationConfig &config, TransportFactory factory, QObject *parent)
    : QObject(parent), m_config(config), m_caps(config.rig.caps), m_factory(std::move(factory))
{
    m_timer2.setObjectName(u"Timer2"_s);
    m_timer3.setObjectName(u"Timer3"_s);
    m_timer2.setInterval(200);
    m_timer3.setInterval(220);
    if (m_caps) {
        m_reader = m_caps->makeReader();
        if (m_caps->pollIntervalMs > 0)
            (m_caps->timing == AnswerTiming::PollWritesAndReads ? m_timer3 : m_timer2)
                .setInterval(m_caps->pollIntervalMs);
    }
    connect(&m_timer2, &QTimer::timeout, this, &CatLink::Data_Out);
    connect(&m_timer3, &QTimer::timeout, this, &CatLink::ICOM_Data1);
    m_quiet.setSingleShot(true);
    m_quiet.setInterval(kQuietMs);
    connect(&m_quiet, &QTimer::timeout, this, &CatLink::FT897);
}

CatLink::~CatLink()
{
    if (m_transport)
        m_transport->disconnect(this);
}

QString CatLink::openFailureText() const
{
    const config::CatAddress &address = m_transport->settings().address;
    const QString &device = address.device;
    if (address.kind == config::CatAddress::Kind::Tcp)
        return tr("The network port %1 could not be opened: %2").arg(device, m_transport->lastOpenError());
    switch (m_transport->lastOpenFailure()) {
    case OpenFailure::NotFound:
        return tr("The serial port %1 does not exist.").arg(device);
    case OpenFailure::Permission:
        return tr("No permission to open %1: add your user to the dialout group "
                  "(sudo usermod -aG dialout $USER), then log out and in again.")
            .arg(device);
    case OpenFailure::Busy:
        return tr("The serial port %1 is in use by another program.").arg(device);
    case OpenFailure::Other:
    case OpenFailure::None:
        break;
    }
    return tr("The serial port %1 could not be opened: %2").arg(device, m_transport->lastOpenError());
}

QString CatLink::configurePort()
{
    if (!m_config.rig.isNumber)
        return tr("RIG= is not a number: %1").arg(m_config.rigCode.value_or(QString()));

    const QString catValue = m_config.catPort.value_or(QString());
    const PortKind kind = m_caps ? m_caps->port : PortKind::Device;
    // A network port has no line settings: RS232C= is neither checked nor applied then.
    const bool network = kind == PortKind::RigctldAddress || config::isTcpUrl(catValue);
    if (!network && m_config.serialSettings && !m_config.serialSettings->isEmpty()) {
        const auto line = LineSettings::parse(*m_config.serialSettings);
        if (!line)
            return tr("RS232C= holds line settings the port cannot take: %1").arg(*m_config.serialSettings);
        m_line = *line;
    }

    m_portStatus = u"No Work"_s;
    if (!m_config.catEnabled())
        return {};
    const config::CatAddressParse parsed = config::parseCatAddress(catValue, kind);
    if (!parsed.address)
        return parsed.error;
    PortSettings settings{*parsed.address, m_line};
    settings.dtrOn = m_config.extensions.dtrOn;
    settings.rtsOn = m_config.extensions.rtsOn;
    settings.flow = m_config.extensions.flow;
    if (m_caps) {
        settings.receiveThreshold = m_caps->receiveThreshold;
        settings.byteInputMode = m_caps->byteInputMode;
    }
    m_transport = m_factory(*parsed.address);
    connect(m_transport.get(), &Transport::commEvent, this, &CatLink::MSComm1_OnComm);
    connect(m_transport.get(), &Transport::received, this, &CatLink::onReceived);
    connect(m_transport.get(), &Transport::deviceLost, this, [this] {
        readAndShow(readPort()); // an answer that came just before the loss still counts
        resetReader();
        emit deviceLost();
    });
    if (!m_transport->open(settings))
        return openFailureText();
    m_portStatus = u"OK"_s;
    return {};
}

QString CatLink::prepareCivFraming()
{
    if (!m_caps || !m_caps->civAddresses)
        return {};
    const auto rig = civAddress(m_config.icomAddressHex);
    if (!rig)
        return tr("ICOM= is not a CI-V address (two hexadecimal digits): %1").arg(m_config.icomAddressHex);
    const auto controller = civAddress(m_config.controllerAddressHex);
    if (!controller)
        return tr("CONTROL= is not a CI-V address (two hexadecimal digits): %1")
            .arg(m_config.controllerAddressHex);
    m_civ = cat::civFraming(*rig, *controller);
    return {};
}

void CatLink::switchPollTimers()
{
    if (!m_caps) {
        m_timer3.start();
        m_timer2.start();
        return;
    }
    const AnswerTiming timing = m_caps->timing;
    if (timing == AnswerTiming::PollWritesAndReads)
        m_timer3.start();
    else
        m_timer3.stop();
    if (timing == AnswerTiming::RequestThenPoll)
        m_timer2.start();
    else
        m_timer2.stop();
}

void CatLink::stop()
{
    m_timer2.stop();
    m_timer3.stop();
    close();
}

void CatLink::keepAliveAndRequest()
{
    // With CAT off there is no configured device: opening a default port could seize another
    // program's device, so the keep-alive opens nothing.
    if (m_transport && !m_transport->isOpen() && m_transport->reopen())
        resetReader();
    Data_Request();
}

void CatLink::Data_Request()
{
    if (!m_config.catEnabled() || !isOpen() || !m_caps)
        return;
    if (m_caps->timing == AnswerTiming::PollWritesAndReads)
        return;
    if (m_caps->timing == AnswerTiming::ReceiveEvent) {
        if (m_sinceWrite.isValid() && m_sinceWrite.elapsed() < kAcknowledgeSettleMs)
            return; // the next tick asks
        // What waits now answers nothing this request asks (acknowledges of earlier sets).
        m_transport->discardInput();
        m_reader->requestSent();
    }
    writeRequest();
}

void CatLink::Data_Out()
{
    if (!m_config.catEnabled() || !m_caps || !m_transport)
        return;
    if (m_caps->timing == AnswerTiming::RequestThenPoll) {
        const QByteArray received = readPort();
        if (!received.isEmpty())
            readAndShow(received);
    }
}

void CatLink::ICOM_Data1()
{
    if (!m_caps || m_caps->timing != AnswerTiming::PollWritesAndReads || !m_transport)
        return;
    writeRequest();
    readAndShow(readPort());
}

void CatLink::FT897()
{
    if (m_reader) {
        if (const auto hz = m_reader->answerAtQuiet())
            accept(*hz);
    }
}

void CatLink::onReceived()
{
    // Every family reads what arrives as it arrives, so an answer is shown as soon as its last
    // byte is in; the poll timers' reads find what a read on arrival left.
    if (!m_transport || !m_reader)
        return;
    if (m_caps && m_caps->timing == AnswerTiming::ReceiveEvent) {
        m_reader->take(readPort(), m_civ);
        if (m_reader->waitsForQuiet())
            m_quiet.start();
        return;
    }
    readAndShow(readPort());
}

void CatLink::MSComm1_OnComm(int code)
{
    if (code == comEvReceive)
        return; // the bytes were read on arrival
    const CommEventInfo info = commEventInfo(code);
    if (info.isError)
        emit lineError(info.message);
}

bool CatLink::write(const Writes &writes)
{
    if (!m_transport)
        return false;
    m_sinceWrite.start();
    for (const QByteArray &frame : writes) {
        logBytes("out", frame);
        if (!m_transport->write(frame))
            return false;
    }
    return true;
}

void CatLink::writeRequest()
{
    const QByteArray request = m_caps->readRequest(m_civ);
    logBytes("out", request);
    m_transport->write(request);
}

QByteArray CatLink::readPort()
{
    QByteArray bytes = m_transport->readAll();
    logBytes("in ", bytes);
    return bytes;
}

bool CatLink::isOpen() const
{
    return m_transport && m_transport->isOpen();
}

void CatLink::close()
{
    if (m_transport && m_transport->isOpen())
        m_transport->close();
}

void CatLink::readAndShow(const QByteArray &received)
{
    if (!m_reader)
        return;
    if (const auto hz = m_reader->take(received, m_civ))
        accept(*hz);
}

void CatLink::accept(qint64 hz)
{
    if (m_caps && m_caps->widthFromAnswers) {
        if (const int digits = m_reader->answerDigits(); digits == 8 || digits == 9)
            m_civ.textDigits = digits; // the set frames follow the width the rig uses
    }
    emit frequencyRead(hz);
}

void CatLink::resetReader()
{
    m_quiet.stop();
    if (m_reader)
        m_reader->reset();
}

} // namespace veltrane::cat
