// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The sound-card engine: captures the receiver audio from one input device, turns it into
// magnitude spectra on a worker thread and tells the main window about each new spectrum by
// posting an event of type 2024 to it. The window then fetches the spectrum with fnGetFFTData.
//
// The engine owns the capture thread, the audio source and the newest spectrum. It does not
// draw, and it knows nothing of the window beyond the object it posts to. Capture, signal
// processing (SpectrumPipeline) and delivery (SpectrumStore) are separate pieces so that the
// processing can be tested without a sound card.
//
// The fn* calls are virtual so that window tests can watch them. They keep the engine's
// traditional call shape: small integer arguments, an integer
// result that callers may ignore. A device that cannot be opened (no sound server, no such
// device) leaves the engine quiet: no events, fnGetFFTData gives zeros, the program runs on.

#include "spectrum/SpectrumSource.h"

#include <QObject>
#include <QPointer>

#include <memory>

namespace veltrane::spectrum {

class SpectrumStore;

class SoundCardEngine : public QObject, public SpectrumSource
{
    Q_OBJECT
public:
    explicit SoundCardEngine(QObject *parent = nullptr);
    ~SoundCardEngine() override;

    // Starts capture from `device`: -1 the system's default input, n >= 0 the n-th entry of
    // QMediaDevices::audioInputs() (the list the sound-device dialog shows, in its order).
    // Each new spectrum posts an event of type 2024 to `window`. The third argument (channel
    // count requested by callers, always 1) is accepted and ignored: capture is always mono.
    // Returns 1 when capture runs, 0 when no device could be opened. A second start restarts.
    virtual int fnStartSoundCard(QObject *window, int device, int channels);

    // Receive settings kept for callers that set them; they do not change the spectrum.
    virtual int fnSetRXFrequency(int hz, int, int);
    virtual int fnSetRXPSKMode(int mode, int);
    virtual int fnSetSquelchThreshold(int threshold, int, int);
    virtual int fnSetAFCLimit(int limitHz, int);
    virtual int fnSetFFTMode(int mode, int, int);

    int fnGetFFTData(qint32 *data, int firstBin, int lastBin) override;

    // Stops capture and joins the worker; no event is posted after it returns. Harmless when
    // nothing runs.
    virtual int fnStopSoundCard();

    bool isCapturing() const;
    int rxFrequencyHz() const { return m_rxFrequencyHz; }

private:
    class Worker;

    std::shared_ptr<SpectrumStore> m_store;
    std::unique_ptr<Worker> m_worker;
    QPointer<QObject> m_window;
    int m_rxFrequencyHz = 1270;
    int m_rxPskMode = 0;
    int m_squelchThreshold = 0;
    int m_afcLimitHz = 500;
    int m_fftMode = 3;
};

} // namespace veltrane::spectrum
