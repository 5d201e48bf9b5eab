#include "cat/CatLink.h"

#include "cat/CommEvents.h"
#include "cat/NetAddress.h"

#include <cmath>

namespace veltrane::cat {

namespace {

constexpr int kPollTextMs = 200;
constexpr int kPollCivMs = 220;

// The receive threshold per family: the lengths of the Yaesu and Kenwood answers, none for CI-V
// (its poll reads on its own tick), five bytes for the FT-897 answer, none for rigctld (its
// answers are lines of any length, read on the Timer2 tick).
constexpr int kThresholds[5] = {11, 14, 0, 5, 0};

// A one-byte CI-V address from its hexadecimal text ("74" -> 0x74); nothing when the text is
// empty, not hexadecimal or above FF.
std::optional<char> civAddress(const QString &hex)
{
    bool ok = false;
    const uint value = hex.trimmed().toUInt(&ok, 16);
    if (!ok || value > 0xFF)
        return std::nullopt;
    return char(value);
}

}  // namespace

CatLink::CatLink(SerialPort &port, config::StationState &state, QObject *parent)
    : QObject(parent), m_port(port), m_state(state)
{
    m_timer2.setObjectName(QStringLiteral("Timer2"));
    m_timer3.setObjectName(QStringLiteral("Timer3"));
    m_timer2.setInterval(kPollTextMs);
    m_timer3.setInterval(kPollCivMs);
    connect(&m_timer2, &QTimer::timeout, this, &CatLink::Data_Out);
    connect(&m_timer3, &QTimer::timeout, this, &CatLink::ICOM_Data1);
    connect(&m_port, &SerialPort::commEvent, this, &CatLink::MSComm1_OnComm);
    connect(&m_port, &SerialPort::deviceLost, this, [this] {
        resetReaders();
        emit deviceLost();
    });
}

int CatLink::family() const
{
    return config::rigFamily(m_state);
}

CivFraming CatLink::civFraming() const
{
    return {m_state.civPreamble, m_state.civRigAddress, m_state.civControllerAddress, m_state.civEnd};
}

QString CatLink::openFailureText(const SerialPort &port)
{
    const QString device = port.portName();
    if (isTcpUrl(device))
        return QStringLiteral("The network port %1 could not be opened: %2").arg(device, port.lastOpenError());
    switch (port.lastOpenFailure()) {
    case OpenFailure::NotFound:
        return QStringLiteral("The serial port %1 does not exist.").arg(device);
    case OpenFailure::Permission:
        return QStringLiteral("No permission to open %1: add your user to the dialout group "
                              "(sudo usermod -aG dialout $USER), then log out and in again.")
            .arg(device);
    case OpenFailure::Busy:
        return QStringLiteral("The serial port %1 is in use by another program.").arg(device);
    case OpenFailure::Other:
    case OpenFailure::None:
        break;
    }
    return QStringLiteral("The serial port %1 could not be opened: %2").arg(device, port.lastOpenError());
}

QString CatLink::configurePort()
{
    if (!config::rigCodeIsNumeric(m_state))
        return QStringLiteral("RIG= is not a number: ") + m_state.rigCode.value_or(QString());

    m_state.catEnabled = m_state.catPort.value_or(QString()) != u"0";  // an absent CAT= counts as set
    const QString catValue = m_state.catPort.value_or(QString());
    // A network port has no line settings: RS232C= is neither checked nor applied then.
    const bool network = family() == kRigctld || isTcpUrl(catValue);
    if (!network && m_state.serialSettings && !m_state.serialSettings->isEmpty()) {
        if (!m_port.setSettings(*m_state.serialSettings))
            return QStringLiteral("RS232C= holds line settings the port cannot take: ") + *m_state.serialSettings;
    }

    m_state.portStatus = QStringLiteral("No Work");
    if (m_state.catEnabled) {
        QString device;
        if (network) {
            const AddressParse parsed =
                family() == kRigctld ? parseRigctldAddress(catValue) : parseTcpUrl(catValue);
            if (!parsed.address)
                return QStringLiteral("CAT= holds no usable network address (%1): %2").arg(catValue, parsed.error);
            device = parsed.address->url();
        } else {
            device = devicePathFor(catValue);
            if (device.isEmpty())
                return catValue.isEmpty() ? QStringLiteral("No serial port is configured (CAT=).")
                                          : QStringLiteral("CAT= names no serial port: ") + catValue;
        }
        m_port.setPortName(device);
        if (!m_port.open())
            return openFailureText(m_port);
        m_state.portStatus = QStringLiteral("OK");
    }

    const int f = family();
    if (f == 3) {
        m_port.setByteInputMode(true);
        m_port.setReceiveThreshold(kThresholds[3]);
        m_port.setInputLength(0);
    } else if (f >= 0) {
        m_port.setReceiveThreshold(kThresholds[f]);
    }
    m_state.rigName = config::rigNameFor(f);
    return {};
}

QString CatLink::prepareCivFraming()
{
    if (family() != 2)
        return {};
    const auto rig = civAddress(m_state.icomAddressHex);
    if (!rig)
        return QStringLiteral("ICOM= is not a CI-V address (two hexadecimal digits): ") + m_state.icomAddressHex;
    const auto controller = civAddress(m_state.controllerAddressHex);
    if (!controller)
        return QStringLiteral("CONTROL= is not a CI-V address (two hexadecimal digits): ")
               + m_state.controllerAddressHex;
    m_state.civRigAddress = QByteArray(1, *rig);
    m_state.civControllerAddress = QByteArray(1, *controller);
    m_state.civPreamble = QByteArray("\xFE\xFE", 2);
    m_state.civEnd = QByteArray("\xFD", 1);
    return {};
}

void CatLink::switchPollTimers()
{
    switch (family()) {
    case 0:
    case 1:
    case kRigctld:
        m_timer3.stop();
        m_timer2.start();
        break;
    case 2:
        m_timer3.start();
        m_timer2.stop();
        break;
    case 3:
        m_timer3.stop();
        m_timer2.stop();
        break;
    default:
        m_timer3.start();
        m_timer2.start();
        break;
    }
}

void CatLink::keepAliveAndRequest()
{
    // With CAT off there is no configured device: opening a default port could seize another
    // program's device, so the keep-alive opens nothing.
    if (m_state.catEnabled && !m_port.isOpen()) {
        if (m_port.open())
            resetReaders();
    }
    Data_Request();
}

void CatLink::Data_Request()
{
    if (!m_state.catEnabled || !m_port.isOpen())
        return;
    const int f = family();
    if (f == 0 || f == 1 || f == 3 || f == kRigctld)
        m_port.write(readRequest(f, civFraming()));
}

void CatLink::Data_Out()
{
    if (!m_state.catEnabled)
        return;
    const int f = family();
    if (f == 0 || f == 1) {
        const QByteArray received = m_port.readAll();
        if (received.isEmpty())
            return;
        if (const auto khz = m_textReader.take(received))
            emit frequencyRead(*khz);
    } else if (f == 3) {
        FT897();
    } else if (f == kRigctld) {
        // Set commands are answered "RPRT 0" on the same connection; the reader skips those.
        if (const auto khz = m_rigctldReader.take(m_port.readAll()))
            emit frequencyRead(*khz);
    }
}

void CatLink::ICOM_Data1()
{
    if (family() != 2)
        return;
    const CivFraming civ = civFraming();
    m_port.write(readRequest(2, civ));
    const QByteArray received = m_port.readAll();
    if (const auto khz = m_civReader.take(received, civ))
        emit frequencyRead(*khz);
}

void CatLink::FT897()
{
    const QByteArray received = m_port.readAll();
    if (const auto khz = ft897Answer(received)) {
        emit frequencyRead(*khz);
        m_port.restart();  // a device that has just gone stays closed until the keep-alive
    }
    m_port.discardInput();
}

void CatLink::MSComm1_OnComm(int code)
{
    if (code == 2) {
        if (family() == 3)
            FT897();
        return;
    }
    const CommEventInfo info = commEventInfo(code);
    if (info.isError)
        emit lineError(info.message);
}

void CatLink::writeFrames(const Writes &writes)
{
    for (const QByteArray &frame : writes) {
        if (!m_port.write(frame))
            return;
    }
}

void CatLink::resetReaders()
{
    m_textReader.reset();
    m_civReader.reset();
    m_rigctldReader.reset();
}

}  // namespace veltrane::cat
