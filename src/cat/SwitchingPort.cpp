#include "cat/SwitchingPort.h"

#include "cat/CommEvents.h"
#include "cat/NetAddress.h"
#include "cat/QtSerialPort.h"
#include "cat/TcpPort.h"

namespace veltrane::cat {

SwitchingPort::SwitchingPort(QObject *parent)
    : SwitchingPort(std::make_unique<QtSerialPort>(), std::make_unique<TcpPort>(), parent)
{
}

SwitchingPort::SwitchingPort(std::unique_ptr<SerialPort> serial, std::unique_ptr<SerialPort> network,
                             QObject *parent)
    : SerialPort(parent), m_serial(std::move(serial)), m_network(std::move(network)), m_active(m_serial.get())
{
    adopt(*m_serial);
    adopt(*m_network);
}

SwitchingPort::~SwitchingPort()
{
    m_serial->disconnect(this);
    m_network->disconnect(this);
}

void SwitchingPort::adopt(SerialPort &port)
{
    // The inner port reports every arrival (threshold 1); this port applies its own threshold.
    port.setReceiveThreshold(1);
    connect(&port, &SerialPort::commEvent, this, [this, &port](int code) {
        if (&port != m_active)
            return;
        if (code == comEvReceive)
            bytesArrived();
        else
            emit commEvent(code);
    });
    connect(&port, &SerialPort::deviceLost, this, [this, &port] {
        if (&port == m_active)
            emit deviceLost();
    });
}

bool SwitchingPort::open()
{
    SerialPort &wanted = isTcpUrl(portName()) ? *m_network : *m_serial;
    if (&wanted != m_active && m_active->isOpen())
        m_active->close();
    m_active = &wanted;
    m_active->setPortName(portName());
    m_active->setSettings(settings());
    m_active->setByteInputMode(byteInputMode());
    m_active->setInputLength(inputLength());
    return m_active->open();
}

void SwitchingPort::close()
{
    m_active->close();
}

bool SwitchingPort::isOpen() const
{
    return m_active->isOpen();
}

OpenFailure SwitchingPort::lastOpenFailure() const
{
    return m_active->lastOpenFailure();
}

QString SwitchingPort::lastOpenError() const
{
    return m_active->lastOpenError();
}

bool SwitchingPort::write(const QByteArray &data)
{
    return m_active->write(data);
}

QByteArray SwitchingPort::readAll()
{
    m_active->setInputLength(inputLength());
    return m_active->readAll();
}

qint64 SwitchingPort::bytesWaiting() const
{
    return m_active->bytesWaiting();
}

void SwitchingPort::discardInput()
{
    m_active->discardInput();
}

bool SwitchingPort::restart()
{
    return m_active->restart();
}

bool SwitchingPort::setModemLines(bool dtr, bool rts)
{
    return m_active->setModemLines(dtr, rts);
}

} // namespace veltrane::cat
