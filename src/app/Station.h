// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The station as the operator works it, without a window: the rig link, the main tick Timer1
// and the rig's dial frequency as a number (known once the rig has answered), with the
// operator's actions as methods: band pick, reference, frequency set from an offset, tune to a
// picture click, and the tick itself. When a retune may send is decided in one place
// (retuneFamily): CAT configured, port open, a dial frequency read, a family of the table; and
// nothing is sent from a stale dial.
//
// The station reports what the window shows: the display text, the band the dial lies in,
// line errors. It builds no control, shows no box and reads no clipboard; the main window maps
// its controls to these methods. Frames come from the family table and the band plan.

#include "aids/DecodeLine.h"
#include "aids/link/DecoderListener.h"
#include "cat/link/CatLink.h"
#include "config/StationConfig.h"

#include <QDateTime>
#include <QHash>
#include <QObject>
#include <QTimer>

#include <optional>

namespace veltrane::app {

class Station : public QObject
{
    Q_OBJECT

public:
    Station(const config::StationConfig &config, cat::TransportFactory factory = cat::makeTransport,
            QObject *parent = nullptr);

    const config::StationConfig &config() const { return m_config; }
    cat::CatLink &link() { return m_link; }
    QTimer &timer1() { return m_timer1; }
    QTimer &staleTimer() { return m_staleTimer; }

    // Start-up, in the order the main window's load runs them; each gives the reason start-up
    // cannot go on, or an empty text.
    //  openLink: line settings, the port opened, the family's receive settings.
    QString openLink();
    //  prepareCivFraming: the CI-V framing bytes of the configured addresses.
    QString prepareCivFraming();
    //  startTimers: the family's poll timer, then Timer1 (200 ms).
    void startTimers();
    // The decoder link, when the configuration turns it on: gives the reason it cannot listen
    // (kept for the settings dialog, decoderLinkProblem()), else an empty text.
    QString startDecoderLink();
    const QString &decoderLinkProblem() const { return m_decoderLinkProblem; }
    aids::DecoderListener &decoderListener() { return m_decoder; }
    // The end of the run: every timer stops, the port and the decoder link close.
    void shutDown();

    // Band selection: the family's mode frame, then the band's frequency.
    void Combo1_Click(QStringView bandItem);
    // Reference: Timer1 stops, the band's frequency alone is sent, Timer1 runs again every
    // 1000 ms (also when nothing was sent).
    void Command1_Click(QStringView bandItem);

    enum class OffsetSet {
        Sent,       // the frame for dial + offset went out
        NotSent,    // a gate was closed: the imported offset is used up
        NotANumber, // the offset is not wholly a number: nothing sent, the operator may correct it
        OutOfRange, // dial + offset is no frequency the family's frame carries: nothing sent, likewise
        Stale,      // the rig has not answered for a while: nothing sent, the offset kept
    };
    // Frequency set: the dial frequency plus the offset (Hz).
    OffsetSet Command5_Click(QStringView offsetText);
    // Click-to-tune: the signal at x on a picture `width` wide moves to the centre.
    void Picture1_MouseDown(double x, double width);

    // The operator typed into the frequency display: its text is read as the dial (kHz), and
    // the band list follows it as it follows the rig.
    void txtRigFreq_Change(QStringView typedText);

    // Timer1: ticking() first (the window's clock and grid), then the keep-alive and the read
    // request.
    void Timer1_Timer();

    // A message from the decoder: a Status naming another DX call than the last one (the
    // operator chose a station there) is taken as an import of that call with the offset of
    // its receive frequency; without CAT of our own the display follows the decoder's dial.
    void decoderMessage(const aids::DecoderMessage &message);

    std::optional<qint64> dialHz() const { return m_dialHz; }
    // No answer accepted for kStaleAfterMs since the last one: the dial shown may no longer be
    // the rig's, and nothing is sent from it.
    bool isStale() const { return m_stale; }
    static constexpr int kStaleAfterMs = 3000;

signals:
    void ticking();
    // The dial frequency display's new text (kHz, "14076.520"), when a reading changes it.
    void displayChanged(const QString &text);
    // The band list's text for the band the dial frequency lies in.
    void bandRecognised(const QString &bandItem);
    // A line error the operator must be asked about (OK ignores it, Cancel closes the port).
    void lineError(const QString &message);
    // The decoder named a station to work: shown as a call import is, nothing sent.
    void callTaken(const aids::DecodeImport &import);
    // The display turned old (no answer since `since`, local time) or fresh again.
    void staleChanged(bool stale, const QDateTime &since);

private:
    // The gates of every retune, in this order: CAT configured, port open, a dial frequency
    // above 0 read, a family of the table. The family when all are open, else null.
    const cat::RigCaps *retuneFamily() const;
    void showReading(qint64 hz);
    void turnStale();
    void recogniseBand(double mhz);
    void showDisplayText(const QString &text, double mhz);

    const config::StationConfig m_config;
    cat::CatLink m_link;
    QTimer m_timer1;
    std::optional<qint64> m_dialHz;
    QTimer m_staleTimer;
    bool m_stale = false;
    QDateTime m_lastReadingAt;
    QString m_displayText; // what the display shows: a reading's text or the operator's typing
    aids::DecoderListener m_decoder;
    QString m_decoderLinkProblem;
    QHash<QString, QString> m_dxCalls; // the last DX call of each decoder, by its id
};

} // namespace veltrane::app
