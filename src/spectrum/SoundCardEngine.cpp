// SPDX-License-Identifier: GPL-3.0-or-later
#include "spectrum/SoundCardEngine.h"

#include "spectrum/Resampler.h"
#include "spectrum/SpectrumPipeline.h"
#include "spectrum/SpectrumStore.h"

#include <QAudioDevice>
#include <QAudioFormat>
#include <QAudioSource>
#include <QCoreApplication>
#include <QIODevice>
#include <QMediaDevices>
#include <QThread>

#include <cstring>

namespace veltrane::spectrum {

namespace {

// One sample of the captured format as -1.0 .. +1.0.
float sampleValue(const char *data, QAudioFormat::SampleFormat format)
{
    switch (format) {
    case QAudioFormat::UInt8:
        return (float(quint8(*data)) - 128.0f) / 128.0f;
    case QAudioFormat::Int16: {
        qint16 v;
        std::memcpy(&v, data, sizeof v);
        return float(v) / 32768.0f;
    }
    case QAudioFormat::Int32: {
        qint32 v;
        std::memcpy(&v, data, sizeof v);
        return float(double(v) / 2147483648.0);
    }
    case QAudioFormat::Float: {
        float v;
        std::memcpy(&v, data, sizeof v);
        return v;
    }
    default:
        return 0.0f;
    }
}

QAudioDevice inputDevice(int device)
{
    if (device == -1)
        return QMediaDevices::defaultAudioInput();
    const QList<QAudioDevice> inputs = QMediaDevices::audioInputs();
    if (device >= 0 && device < inputs.size())
        return inputs.at(device);
    return {};
}

} // namespace

// Capture on its own thread: the audio source, the format conversion to mono floats, the rate
// conversion and the pipeline all live there; the UI thread only starts and stops it.
class SoundCardEngine::Worker
{
public:
    Worker(QAudioDevice device, std::shared_ptr<SpectrumStore> store, QObject *window)
        : m_device(std::move(device)), m_store(std::move(store)), m_window(window)
    {
    }

    ~Worker() { stop(); }

    bool start()
    {
        m_thread.setObjectName(QStringLiteral("sound capture"));
        m_thread.start();
        m_context = new QObject;
        m_context->moveToThread(&m_thread);
        bool opened = false;
        QMetaObject::invokeMethod(
            m_context, [this, &opened] { opened = openInThread(); }, Qt::BlockingQueuedConnection);
        return opened;
    }

    void stop()
    {
        if (!m_thread.isRunning())
            return;
        QMetaObject::invokeMethod(
            m_context, [this] { closeInThread(); }, Qt::BlockingQueuedConnection);
        m_thread.quit();
        m_thread.wait();
        delete m_context;
        m_context = nullptr;
    }

private:
    bool openInThread()
    {
        QAudioFormat format;
        format.setSampleRate(SpectrumPipeline::SampleRate);
        format.setChannelCount(1);
        format.setSampleFormat(QAudioFormat::Int16);
        if (!m_device.isFormatSupported(format))
            format = m_device.preferredFormat();
        if (!format.isValid() || format.sampleRate() <= 0 || format.channelCount() <= 0)
            return false;
        m_format = format;
        m_resampler = std::make_unique<Resampler>(format.sampleRate(), SpectrumPipeline::SampleRate);
        m_pipeline = std::make_unique<SpectrumPipeline>(SpectrumDelivery(m_store, m_window));
        m_source = std::make_unique<QAudioSource>(m_device, format);
        // Chunks of a quarter second: one hop, so each wake-up completes about one spectrum (which
        // averages the last second anyway), with 4 wake-ups a second instead of the server's
        // default 20.
        m_source->setBufferSize(format.bytesForDuration(250'000));
        m_io = m_source->start();
        if (m_io == nullptr) {
            m_source.reset();
            return false;
        }
        QObject::connect(m_io, &QIODevice::readyRead, m_context, [this] { readAvailable(); });
        return true;
    }

    void closeInThread()
    {
        if (m_source) {
            m_source->stop();
            m_source.reset();
        }
        m_io = nullptr;
        m_pipeline.reset();
        m_resampler.reset();
    }

    void readAvailable()
    {
        if (m_io == nullptr)
            return;
        m_pending.append(m_io->readAll());
        const int bytesPerSample = m_format.bytesPerSample();
        const int channels = m_format.channelCount();
        const qsizetype frameBytes = qsizetype(bytesPerSample) * channels;
        if (frameBytes <= 0)
            return;
        const qsizetype frames = m_pending.size() / frameBytes;
        m_mono.resize(size_t(frames));
        const char *data = m_pending.constData();
        const QAudioFormat::SampleFormat sampleFormat = m_format.sampleFormat();
        for (qsizetype i = 0; i < frames; ++i) {
            float sum = 0.0f;
            for (int c = 0; c < channels; ++c)
                sum += sampleValue(data + i * frameBytes + c * bytesPerSample, sampleFormat);
            m_mono[size_t(i)] = sum / float(channels);
        }
        m_pending.remove(0, frames * frameBytes);
        m_resampled.clear();
        m_resampler->process(m_mono, m_resampled);
        m_pipeline->feed(m_resampled);
    }

    QAudioDevice m_device;
    std::shared_ptr<SpectrumStore> m_store;
    QObject *m_window;
    QThread m_thread;
    QObject *m_context = nullptr; // lives in m_thread: receives the capture's signals

    // Used on the capture thread only.
    QAudioFormat m_format;
    std::unique_ptr<QAudioSource> m_source;
    QIODevice *m_io = nullptr;
    std::unique_ptr<Resampler> m_resampler;
    std::unique_ptr<SpectrumPipeline> m_pipeline;
    QByteArray m_pending;
    std::vector<float> m_mono;
    std::vector<float> m_resampled;
};

SoundCardEngine::SoundCardEngine(QObject *parent)
    : QObject(parent), m_store(std::make_shared<SpectrumStore>())
{
}

SoundCardEngine::~SoundCardEngine()
{
    fnStopSoundCard();
}

int SoundCardEngine::fnStartSoundCard(QObject *window, int device, int channels)
{
    Q_UNUSED(channels);
    fnStopSoundCard();
    m_store->clear();
    const QAudioDevice input = inputDevice(device);
    if (input.isNull())
        return 0;
    auto worker = std::make_unique<Worker>(input, m_store, window);
    if (!worker->start())
        return 0; // the worker's destructor ends its thread
    m_worker = std::move(worker);
    m_window = window;
    return 1;
}

int SoundCardEngine::fnSetRXFrequency(int hz, int, int)
{
    m_rxFrequencyHz = hz;
    return 0;
}

int SoundCardEngine::fnSetRXPSKMode(int mode, int)
{
    m_rxPskMode = mode;
    return 0;
}

int SoundCardEngine::fnSetSquelchThreshold(int threshold, int, int)
{
    m_squelchThreshold = threshold;
    return 0;
}

int SoundCardEngine::fnSetAFCLimit(int limitHz, int)
{
    m_afcLimitHz = limitHz;
    return 0;
}

int SoundCardEngine::fnSetFFTMode(int mode, int, int)
{
    m_fftMode = mode;
    return 0;
}

int SoundCardEngine::fnGetFFTData(qint32 *data, int firstBin, int lastBin)
{
    return m_store->copy(data, firstBin, lastBin);
}

int SoundCardEngine::fnStopSoundCard()
{
    m_worker.reset();
    // Announcements already queued for the window would fetch a spectrum of a stopped engine.
    if (m_window)
        QCoreApplication::removePostedEvents(m_window, SpectrumDataEventType);
    m_window = nullptr;
    return 0;
}

bool SoundCardEngine::isCapturing() const
{
    return m_worker != nullptr;
}

} // namespace veltrane::spectrum
