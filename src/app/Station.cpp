// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/Station.h"

#include "aids/BandPlan.h"
#include "aids/OffsetTune.h"
#include "cat/FrequencyDisplay.h"
#include "config/TextNumber.h"

#include <cmath>

using namespace Qt::StringLiterals;

namespace veltrane::app {

namespace {

constexpr int kTimer1Ms = 200;
constexpr int kTimer1AfterReferenceMs = 1000;
constexpr qint64 kMirrorBelowHz = 10'000'000;

} // namespace

Station::Station(const config::StationConfig &config, cat::TransportFactory factory, QObject *parent)
    : QObject(parent), m_config(config), m_link(m_config, std::move(factory), this)
{
    m_link.setObjectName(u"MSComm1"_s);
    m_timer1.setObjectName(u"Timer1"_s);
    m_timer1.setInterval(kTimer1Ms);
    connect(&m_timer1, &QTimer::timeout, this, &Station::Timer1_Timer);
    connect(&m_link, &cat::CatLink::frequencyRead, this, &Station::showReading);
    connect(&m_link, &cat::CatLink::lineError, this, &Station::lineError);
    m_staleTimer.setSingleShot(true);
    m_staleTimer.setInterval(kStaleAfterMs);
    connect(&m_staleTimer, &QTimer::timeout, this, &Station::turnStale);
    connect(&m_decoder, &aids::DecoderListener::messageReceived, this, &Station::decoderMessage);
}

QString Station::openLink()
{
    return m_link.configurePort();
}

QString Station::prepareCivFraming()
{
    return m_link.prepareCivFraming();
}

void Station::startTimers()
{
    m_link.switchPollTimers();
    m_timer1.start();
}

QString Station::startDecoderLink()
{
    const config::ExtensionSettings &ext = m_config.extensions;
    m_decoderLinkProblem = ext.decoderLink ? m_decoder.listen(ext.decoderHost, ext.decoderPort) : QString();
    return m_decoderLinkProblem;
}

void Station::shutDown()
{
    m_timer1.stop();
    m_staleTimer.stop();
    m_link.stop();
    m_decoder.stop();
}

void Station::decoderMessage(const aids::DecoderMessage &message)
{
    using Type = aids::DecoderMessage::Type;
    if (message.type == Type::Close) {
        m_dxCalls.remove(message.id); // a decoder started again names its DX call anew
        return;
    }
    if (message.type != Type::Status)
        return;
    const aids::DecoderStatus &status = message.status;
    if (!m_config.catEnabled() && status.dialHz > 0 && status.dialHz < quint64(1e12))
        showDisplayText(cat::displayText(qint64(status.dialHz)), double(status.dialHz) / 1e6);
    const QString last = m_dxCalls.value(message.id);
    m_dxCalls.insert(message.id, status.dxCall);
    if (status.dxCall.isEmpty() || status.dxCall == last)
        return;
    const QString offset =
        status.rxDf ? QString::number(qint64(*status.rxDf) - aids::kCentreAudioHz) : QString();
    emit callTaken(aids::DecodeImport{status.dxCall, offset});
}

const cat::RigCaps *Station::retuneFamily() const
{
    if (!m_config.catEnabled() || !m_link.isOpen() || !m_dialHz || *m_dialHz <= 0)
        return nullptr;
    return m_link.caps();
}

void Station::Combo1_Click(QStringView bandItem)
{
    if (const cat::RigCaps *rig = m_link.caps())
        m_link.write(aids::bandSelectionWrites(*rig, bandItem, m_link.civFraming(),
                                               m_config.extensions.bandPickSetsUsb));
}

void Station::Command1_Click(QStringView bandItem)
{
    m_timer1.stop();
    if (const cat::RigCaps *rig = m_link.caps())
        m_link.write(aids::referenceWrites(*rig, bandItem, m_link.civFraming()));
    m_timer1.start(kTimer1AfterReferenceMs);
}

Station::OffsetSet Station::Command5_Click(QStringView offsetText)
{
    const cat::RigCaps *rig = retuneFamily();
    if (!rig)
        return OffsetSet::NotSent;
    if (m_stale)
        return OffsetSet::Stale;
    const auto hz = aids::offsetTargetHz(*m_dialHz, offsetText);
    if (!hz)
        return config::wholeNumber(offsetText) ? OffsetSet::OutOfRange : OffsetSet::NotANumber;
    if (!rig->fits(*hz, m_link.civFraming()))
        return OffsetSet::OutOfRange;
    m_link.write(rig->setFrequencyWrites(*hz, m_link.civFraming()));
    return OffsetSet::Sent;
}

void Station::Picture1_MouseDown(double x, double width)
{
    const cat::RigCaps *rig = retuneFamily();
    if (!rig || m_stale)
        return;
    // The offset is taken the other way round for a rig in lower sideband: as its answers say
    // (FT-897), or below 10 MHz until an answer has said.
    const bool mirrored =
        rig->clickMirroredBelow10MHz && m_link.rigInLowerSideband().value_or(*m_dialHz < kMirrorBelowHz);
    if (const auto hz = aids::clickTargetHz(*m_dialHz, x, width, mirrored))
        m_link.write(rig->setFrequencyWrites(*hz, m_link.civFraming()));
}

void Station::txtRigFreq_Change(QStringView typedText)
{
    m_displayText = typedText.toString();
    // Only a text that is wholly a number counts as a dial frequency.
    const std::optional<double> khz = config::wholeNumber(typedText);
    const double hz = khz ? std::floor(*khz * 1000.0 + 0.5) : 0.0;
    m_dialHz = hz > 0 && hz < 1e15 ? std::optional<qint64>(qint64(hz)) : std::nullopt;
    recogniseBand(config::leadingNumber(typedText) / 1000.0);
}

void Station::Timer1_Timer()
{
    emit ticking();
    m_link.keepAliveAndRequest();
}

void Station::showReading(qint64 hz)
{
    m_dialHz = hz;
    m_lastReadingAt = QDateTime::currentDateTime();
    m_staleTimer.start();
    if (m_stale) {
        m_stale = false;
        emit staleChanged(false, m_lastReadingAt);
    }
    // The band list follows changes of the display only: between two changes the operator's
    // own pick in the list stands.
    showDisplayText(cat::displayText(hz), double(hz) / 1e6);
}

void Station::showDisplayText(const QString &text, double mhz)
{
    if (text == m_displayText)
        return;
    m_displayText = text;
    emit displayChanged(text);
    recogniseBand(mhz);
}

void Station::turnStale()
{
    m_stale = true;
    emit staleChanged(true, m_lastReadingAt);
}

void Station::recogniseBand(double mhz)
{
    if (const auto band = cat::recogniseBand(mhz))
        emit bandRecognised(*band); // shows the band; sends nothing
}

} // namespace veltrane::app
