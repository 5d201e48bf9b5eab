#pragma once
// Test support: the controller's side of a simulated rig, a QSerialPort at 9600 8N1 that collects
// what arrives, read by read, and closes itself when the device vanishes.

#include <QSerialPort>

namespace veltrane::testing {

class SerialController : public QObject
{
public:
    SerialController()
    {
        connect(&port, &QSerialPort::readyRead, this, [this] {
            reads << port.readAll();
            received += reads.constLast();
        });
        connect(&port, &QSerialPort::errorOccurred, this, [this](QSerialPort::SerialPortError e) {
            // A vanished device floods read errors until the port is closed.
            if (e == QSerialPort::ReadError || e == QSerialPort::ResourceError) {
                lineLost = true;
                port.close();
            }
        });
    }

    bool open(const QString &path)
    {
        port.close();
        received.clear();
        reads.clear();
        lineLost = false;
        port.setPortName(path);
        port.setBaudRate(QSerialPort::Baud9600);
        port.setFlowControl(QSerialPort::NoFlowControl);
        if (!port.open(QIODevice::ReadWrite))
            return false;
        port.setDataTerminalReady(true); // fails on a pseudo-terminal; that must not matter
        port.clearError();
        return true;
    }

    QSerialPort port;
    QByteArray received;
    QByteArrayList reads;
    bool lineLost = false;
};

} // namespace veltrane::testing
