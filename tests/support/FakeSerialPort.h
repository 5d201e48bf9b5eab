#pragma once
// A scripted serial port for link tests: records every write and every open, close and
// modem-line call; tests push received bytes in and can make opens fail or the device vanish.

#include "cat/SerialPort.h"

#include <QList>

namespace veltrane::test {

class FakeSerialPort final : public cat::SerialPort
{
public:
    using cat::SerialPort::SerialPort;

    bool open() override
    {
        ++opens;
        if (failOpen != cat::OpenFailure::None) {
            openFailure = failOpen;
            return false;
        }
        openFailure = cat::OpenFailure::None;
        m_open = true;
        return true;
    }
    void close() override
    {
        if (m_open)
            ++closes;
        m_open = false;
        m_input.clear();
    }
    bool isOpen() const override { return m_open; }
    cat::OpenFailure lastOpenFailure() const override { return openFailure; }
    QString lastOpenError() const override { return QStringLiteral("scripted failure"); }

    bool write(const QByteArray &data) override
    {
        if (!m_open)
            return false;
        writes.append(data);
        return true;
    }
    QByteArray readAll() override
    {
        const QByteArray all = m_input;
        m_input.clear();
        ++reads;
        return all;
    }
    qint64 bytesWaiting() const override { return m_input.size(); }
    void discardInput() override
    {
        ++discards;
        m_input.clear();
    }
    bool setModemLines(bool dtr, bool rts) override
    {
        modemLines.append({dtr, rts});
        return false;  // like a pseudo-terminal: no modem lines
    }

    // Bytes arriving from the rig, raising the receive event when due.
    void receive(const QByteArray &bytes)
    {
        if (!m_open)
            return;
        m_input += bytes;
        bytesArrived();
    }
    // The device goes away as an unplugged adapter does.
    void vanish()
    {
        m_open = false;
        m_input.clear();
        emit deviceLost();
    }
    void raise(int code) { emit commEvent(code); }
    bool restart() override
    {
        ++restarts;
        return cat::SerialPort::restart();
    }

    // Everything written, joined, for byte-for-byte comparison.
    QByteArray written() const { return writes.join(); }

    QList<QByteArray> writes;
    QList<QPair<bool, bool>> modemLines;
    int opens = 0;
    int closes = 0;
    int reads = 0;
    int discards = 0;
    int restarts = 0;
    cat::OpenFailure failOpen = cat::OpenFailure::None;
    cat::OpenFailure openFailure = cat::OpenFailure::None;

private:
    bool m_open = false;
    QByteArray m_input;
};

}  // namespace veltrane::test
