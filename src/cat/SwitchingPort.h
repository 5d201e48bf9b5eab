#pragma once
// The program's CAT port: a serial device or a TCP connection, picked at each open by the
// port name. A name in the "tcp://HOST:PORT" form opens a TcpPort, any other name a
// QtSerialPort; both stay behind the one SerialPort interface that the rig link holds, so the
// link neither knows nor cares which it talks to. Settings, receive threshold, input mode
// and length are this object's and are handed to the port in use; its comm events and a lost
// device are passed on.
// The port that the application creates is this one; tests may hand in their own pair.

#include "cat/SerialPort.h"

#include <memory>

namespace veltrane::cat {

class SwitchingPort final : public SerialPort
{
    Q_OBJECT

public:
    // The serial and the network port; by default a QtSerialPort and a TcpPort.
    explicit SwitchingPort(QObject *parent = nullptr);
    SwitchingPort(std::unique_ptr<SerialPort> serial, std::unique_ptr<SerialPort> network,
                  QObject *parent = nullptr);
    ~SwitchingPort() override;

    bool open() override;
    void close() override;
    bool isOpen() const override;
    OpenFailure lastOpenFailure() const override;
    QString lastOpenError() const override;

    bool write(const QByteArray &data) override;
    QByteArray readAll() override;
    qint64 bytesWaiting() const override;
    void discardInput() override;
    bool setModemLines(bool dtr, bool rts) override;
    bool restart() override;

    // The port that the last open chose (the serial one before any open).
    SerialPort &active() const { return *m_active; }
    bool isNetwork() const { return m_active == m_network.get(); }

private:
    void adopt(SerialPort &port);

    std::unique_ptr<SerialPort> m_serial;
    std::unique_ptr<SerialPort> m_network;
    SerialPort *m_active = nullptr;
};

} // namespace veltrane::cat
