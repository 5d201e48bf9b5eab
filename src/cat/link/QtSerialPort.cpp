// SPDX-License-Identifier: GPL-3.0-or-later
#include "cat/link/QtSerialPort.h"

#include <QFileInfo>

#ifdef Q_OS_UNIX
#include <termios.h>
#endif

namespace veltrane::cat {

namespace {

QSerialPort::Parity toQtParity(char parity)
{
    switch (parity) {
    case 'E':
        return QSerialPort::EvenParity;
    case 'O':
        return QSerialPort::OddParity;
    case 'M':
        return QSerialPort::MarkParity;
    case 'S':
        return QSerialPort::SpaceParity;
    default:
        return QSerialPort::NoParity;
    }
}

QSerialPort::StopBits toQtStopBits(double stop)
{
    if (stop == 2.0)
        return QSerialPort::TwoStop;
    if (stop == 1.5)
        return QSerialPort::OneAndHalfStop;
    return QSerialPort::OneStop;
}

} // namespace

QtSerialPort::QtSerialPort(QObject *parent) : Transport(parent)
{
    connect(&m_port, &QSerialPort::readyRead, this, &QtSerialPort::onReadyRead);
    connect(&m_port, &QSerialPort::errorOccurred, this, &QtSerialPort::onError);
}

QtSerialPort::~QtSerialPort()
{
    m_port.disconnect(this);
    if (m_port.isOpen())
        m_port.close();
}

bool QtSerialPort::openDevice()
{
    if (m_port.isOpen())
        return true;
    m_openFailure = OpenFailure::None;
    m_openError.clear();
    const QString device = settings().address.device;
    if (device.isEmpty()) {
        m_openFailure = OpenFailure::NotFound;
        m_openError = QStringLiteral("no serial port named");
        return false;
    }
    m_port.setPortName(device);
    if (!m_port.open(QIODevice::ReadWrite)) {
        const auto error = m_port.error();
        m_openError = m_port.errorString();
        if (error == QSerialPort::DeviceNotFoundError) {
            m_openFailure = OpenFailure::NotFound;
        } else if (error == QSerialPort::PermissionError) {
            // Qt reports a port held by another program (its lock) the same way as a refusal.
            const QFileInfo node(device);
            m_openFailure = node.exists() && node.isReadable() && node.isWritable() ? OpenFailure::Busy
                                                                                    : OpenFailure::Permission;
        } else {
            m_openFailure = OpenFailure::Other;
        }
        m_port.clearError();
        return false;
    }
    // Line settings that a device cannot take (7 data bits on a pseudo-terminal) do not stop the
    // link: the device keeps what it can do.
    const LineSettings s = settings().line;
    m_port.setBaudRate(s.baud);
    m_port.setParity(toQtParity(s.parity));
    m_port.setDataBits(QSerialPort::DataBits(s.dataBits));
    m_port.setStopBits(toQtStopBits(s.stopBits));
    switch (settings().flow) {
    case config::FlowControl::None:
        m_port.setFlowControl(QSerialPort::NoFlowControl);
        break;
    case config::FlowControl::XonXoff:
        m_port.setFlowControl(QSerialPort::SoftwareControl);
        break;
    case config::FlowControl::RtsCts:
    case config::FlowControl::Both: // Qt has one choice: RTS/CTS; Xon/Xoff is then not used
        m_port.setFlowControl(QSerialPort::HardwareControl);
        break;
    }
    keepLinesSteady();
    m_port.clearError();
    return true;
}

void QtSerialPort::keepLinesSteady()
{
#ifdef Q_OS_UNIX
    termios t{};
    const int fd = int(m_port.handle());
    if (fd >= 0 && ::tcgetattr(fd, &t) == 0 && (t.c_cflag & HUPCL)) {
        t.c_cflag &= ~tcflag_t(HUPCL);
        ::tcsetattr(fd, TCSANOW, &t);
    }
#endif
    const PortSettings &s = settings();
    const bool handshake = s.flow == config::FlowControl::RtsCts || s.flow == config::FlowControl::Both;
    if (m_port.isOpen()) {
        // Each line on its own; a pseudo-terminal has no modem lines: not an error for the link.
        if (!m_port.setDataTerminalReady(s.dtrOn))
            m_port.clearError();
        if (!handshake && !m_port.setRequestToSend(s.rtsOn))
            m_port.clearError();
    }
}

void QtSerialPort::close()
{
    if (m_port.isOpen())
        m_port.close();
    m_port.clearError();
}

bool QtSerialPort::isOpen() const
{
    return m_port.isOpen();
}

bool QtSerialPort::write(const QByteArray &data)
{
    if (!m_port.isOpen())
        return false;
    return m_port.write(data) == data.size();
}

QByteArray QtSerialPort::readAll()
{
    if (!m_port.isOpen())
        return {};
    if (settings().inputLength > 0)
        return m_port.read(settings().inputLength);
    return m_port.readAll();
}

qint64 QtSerialPort::bytesWaiting() const
{
    return m_port.isOpen() ? m_port.bytesAvailable() : 0;
}

void QtSerialPort::discardInput()
{
    if (!m_port.isOpen())
        return;
    m_port.clear(QSerialPort::Input);
    m_port.readAll();
}

void QtSerialPort::onReadyRead()
{
    if (m_port.bytesAvailable() > kInputLimit) {
        m_port.readAll();
        emit commEvent(1008);
        return;
    }
    bytesArrived();
}

void QtSerialPort::onError(QSerialPort::SerialPortError error)
{
    switch (error) {
    case QSerialPort::ResourceError:
    case QSerialPort::ReadError:
        // The device is gone. Close at once: left open, Qt repeats ReadError from a busy loop.
        if (m_port.isOpen()) {
            m_port.close();
            m_port.clearError();
            emit deviceLost();
        }
        break;
    case QSerialPort::WriteError:
        m_port.clearError();
        emit commEvent(1010);
        break;
    case QSerialPort::UnknownError:
        m_port.clearError();
        emit commEvent(-1);
        break;
    default:
        // Open failures are reported by open(); unsupported modem-line calls, time-outs and
        // calls on a closed port are not line conditions.
        break;
    }
}

} // namespace veltrane::cat
