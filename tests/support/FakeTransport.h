// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A scripted rig port for link and station tests: records every write;
// tests push received bytes in and can make opens fail or the device vanish. FakeRig is the
// factory that hands the link such a port and keeps watching it.

#include "cat/link/Transport.h"
#include "config/InitConfigFile.h"

#include <QList>

namespace veltrane::test {

class FakeTransport final : public cat::Transport
{
public:
    void close() override
    {
        m_open = false;
        m_input.clear();
    }
    bool isOpen() const override { return m_open; }
    cat::OpenFailure lastOpenFailure() const override { return failOpen; }
    QString lastOpenError() const override { return QStringLiteral("scripted failure"); }
    bool write(const QByteArray &data) override
    {
        if (m_open)
            writes.append(data);
        return m_open;
    }
    QByteArray readAll() override { return std::exchange(m_input, {}); }
    qint64 bytesWaiting() const override { return m_input.size(); }
    void discardInput() override { m_input.clear(); }

    // Bytes arriving from the rig, raising the receive event when due.
    void receive(const QByteArray &bytes)
    {
        if (!m_open)
            return;
        m_input += bytes;
        bytesArrived();
    }
    // The device goes away as an unplugged adapter does (or a server that closes the connection
    // right after its last answer, whose bytes can still be read while the loss is reported).
    void vanish(const QByteArray &lastAnswer = {})
    {
        m_open = false;
        m_input = lastAnswer;
        emit deviceLost();
        m_input.clear();
    }
    void raise(int code) { emit commEvent(code); }
    QByteArray written() const { return writes.join(); }

    QList<QByteArray> writes;
    cat::OpenFailure failOpen = cat::OpenFailure::None;

protected:
    bool openDevice() override { return m_open = failOpen == cat::OpenFailure::None; }

private:
    bool m_open = false;
    QByteArray m_input;
};

struct FakeRig
{
    FakeTransport *port = nullptr; // the port the link made last (owned by the link)
    cat::OpenFailure failOpen = cat::OpenFailure::None;

    cat::TransportFactory factory()
    {
        return [this](const config::CatAddress &) {
            auto made = std::make_unique<FakeTransport>();
            made->failOpen = failOpen;
            port = made.get();
            return made;
        };
    }
};

// The configuration that an Init.cfg of these lines gives.
inline config::StationConfig stationConfig(const QByteArray &initCfg)
{
    config::StationConfig config;
    config::parseInitConfig(initCfg, config);
    return config;
}

} // namespace veltrane::test
