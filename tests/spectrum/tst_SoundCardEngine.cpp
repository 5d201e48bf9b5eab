// SPDX-License-Identifier: GPL-3.0-or-later
// The engine's signal path fed synthetic samples: 0..100 dB spectra, their cadence, the rate
// conversion of 44.1/48 kHz devices, the hand-over to the window; and the engine itself with
// no sound server, which must stay quiet.

#include "SpectrumTestWindow.h"
#include "spectrum/Resampler.h"
#include "spectrum/SoundCardEngine.h"
#include "spectrum/SpectrumPipeline.h"
#include "spectrum/SpectrumStore.h"

#include <QCoreApplication>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <numbers>
#include <random>
#include <thread>

using namespace veltrane::spectrum;
using veltrane::spectrum::test::SpectrumTestWindow;

namespace {

std::vector<float> tone(double hz, double amplitude, int rate, int count, double phase = 0.3)
{
    std::vector<float> samples(static_cast<size_t>(count));
    for (int n = 0; n < count; ++n)
        samples[size_t(n)] = float(amplitude * std::sin(2.0 * std::numbers::pi * hz * n / rate + phase));
    return samples;
}

// Feeds `samples` in pieces of `chunk` and collects the spectra.
std::vector<Spectrum> spectraOf(std::span<const float> samples, size_t chunk)
{
    std::vector<Spectrum> spectra;
    SpectrumPipeline pipeline([&](const Spectrum &s) { spectra.push_back(s); });
    for (size_t i = 0; i < samples.size(); i += chunk)
        pipeline.feed(samples.subspan(i, std::min(chunk, samples.size() - i)));
    return spectra;
}

} // namespace

class TestSoundCardEngine : public QObject
{
    Q_OBJECT

private slots:
    // Samples fed in pieces, and the spectra they give: the first after 2048, then one per 2000.
    void cadence()
    {
        const std::tuple<int, size_t, int> rows[] = {
            {2047, 1000, 0}, {2048, 2048, 1}, {4048, 333, 2}, {80000, 37, 39}}; // ten seconds, odd pieces
        for (const auto &[samples, chunk, spectra] : rows) {
            // A steady 900 Hz tone and a 1800 Hz tone growing from nothing, so every spectrum differs.
            std::vector<float> input = tone(900.0, 0.3, 8000, samples);
            const auto rising = tone(1800.0, 0.2, 8000, samples, 1.1);
            for (size_t i = 0; i < input.size(); ++i)
                input[i] += rising[i] * float(i) / float(samples);

            const auto pieces = spectraOf(input, chunk);
            QCOMPARE(int(pieces.size()), spectra);
            QVERIFY(pieces == spectraOf(input, input.size())); // pieces do not change the result
            if (spectra > 1) // the hop moves the window on: the rising tone shows in later spectra
                QVERIFY(pieces.back()[461] > pieces.front()[461]);
        }
    }

    // A bin's magnitude from its power and the noise reference (dB against a full-scale sine).
    // Noise 62 dB down: the threshold 2 dB over it reads 1, the steep part ends 10 dB over the
    // threshold, full scale (60 dB over it) reads 100. Without noise the threshold is the floor,
    // 100 dB below full scale. Noise near full scale (17 dB down): one line from 1 at the
    // threshold (15 dB down) to 100 at full scale.
    void magnitudeScale()
    {
        const std::tuple<double, double, int> rows[] = {
            {-62.0, -60.0, 1},   {-62.0, -59.0, 6},    {-62.0, -50.0, 51},  {-62.0, -10.0, 90},
            {-62.0, 0.0, 100},   {-62.0, 1000.0, 100}, {-62.0, -1000.0, 0}, {-1000.0, -100.5, 0},
            {-1000.0, -99.0, 6}, {-1000.0, -20.0, 89}, {-17.0, -10.0, 34}};
        constexpr double fullScale = 262144.0; // the pipeline's own, 512 squared
        const auto power = [](double db) { return float(fullScale * std::pow(10.0, db / 10.0)); };
        for (const auto &[noiseDb, powerDb, magnitude] : rows) {
            std::array<float, SpectrumBins> powers;
            powers.fill(power(powerDb));
            Spectrum m;
            MagnitudeScale(float(fullScale)).apply(powers, power(noiseDb), m);
            QCOMPARE(m[0], magnitude);
        }
    }

    void drawnSpectraUseAllAudio()
    {
        // A short 1270 Hz burst in silence, at every place of a second's span: whichever one
        // spectrum in four the waterfall draws, one of those shows it.
        for (int start = 8000; start < 16000; start += 250) {
            std::vector<float> input(40000, 0.0f);
            std::ranges::copy(tone(1270.0, 0.5, 8000, 250), input.begin() + start);
            const auto spectra = spectraOf(input, input.size());
            for (size_t phase = 0; phase < 4; ++phase) {
                qint32 seen = 0;
                for (size_t i = phase; i < spectra.size(); i += 4)
                    seen = std::max(seen, spectra[i][325]);
                QVERIFY2(seen >= 60, qPrintable(QString::number(start)));
            }
        }
    }

    // A tone at a device rate, fed in the device's pieces (with white noise of an rms), against
    // the bin where it (or its alias) lands at 8000 samples/s, the range it must read there, and
    // the most any bin over 40 bins from it may read.
    void toneLevels()
    {
        const struct
        {
            const char *name;
            int rate, chunk;
            double hz, amplitude, noise;
            int bin, minimum, maximum, away;
        } tones[] = {
            // Without noise the scale runs from 100 dB below full scale: 80 dB below reads 56.
            {"1270 Hz 20 dB weaker", 8000, 5, 1270.0, 0.1, 0.0, 325, 88, 89, 0},
            {"3900 Hz full scale", 8000, 1, 3900.0, 1.0, 0.0, 998, 98, 100, 0},
            {"48 kHz, 2000 Hz kept", 48000, 7, 2000.0, 1.0, 0.0, 512, 99, 100, 0},
            {"48 kHz, 4400 Hz rejected (alias at 3600 Hz)", 48000, 2400, 4400.0, 1.0, 0.0, 922, 0, 56, 20},
            {"44.1 kHz, 5000 Hz rejected (alias at 3000 Hz)", 44100, 441, 5000.0, 1.0, 0.0, 768, 0, 56, 20},
            // Noise of a bin 65 dB below full scale reads 1; a tone 12 dB over it (10 dB over the
            // threshold) about 51.
            {"1270 Hz in noise", 8000, 1000, 1270.0, 0.0021, 0.01, 325, 41, 61, 20},
        };
        for (const auto &t : tones) {
            // Two seconds, so any rate filter has settled; judge the last spectrum.
            auto input = tone(t.hz, t.amplitude, t.rate, 2 * t.rate);
            std::mt19937 random(1);
            std::normal_distribution<float> white;
            for (float &v : input)
                v += float(t.noise) * white(random);
            std::vector<float> whole;
            Resampler(t.rate).process(input, whole);
            QCOMPARE(int(whole.size()), 16000);
            Resampler streaming(t.rate); // the same stream in pieces gives the same samples
            std::vector<float> pieces;
            for (size_t i = 0; i < input.size(); i += size_t(t.chunk))
                streaming.process(std::span(input).subspan(i, std::min(size_t(t.chunk), input.size() - i)),
                                  pieces);
            QVERIFY2(pieces == whole, t.name);

            const Spectrum s = spectraOf(whole, whole.size()).back();
            QVERIFY2(s[size_t(t.bin)] >= t.minimum && s[size_t(t.bin)] <= t.maximum,
                     qPrintable(QString::asprintf("%s: %d", t.name, s[size_t(t.bin)])));
            for (int b = 0; b < SpectrumBins; ++b)
                if (std::abs(b - t.bin) > 40)
                    QVERIFY2(s[size_t(b)] <= t.away,
                             qPrintable(QString::asprintf("%s, bin %d: %d", t.name, b, s[size_t(b)])));
        }
    }

    void storeNeverShowsHalfASpectrum()
    {
        // A writer publishes spectra whose bins all hold the same number; every copy the reader
        // takes meanwhile must be uniform.
        SpectrumStore store;
        std::atomic<bool> done = false;
        std::thread writer([&] {
            Spectrum s;
            for (int g = 1; g <= 20000; ++g) {
                s.fill(g);
                store.publish(s);
            }
            done = true;
        });
        int mixed = 0;
        std::array<qint32, SpectrumBins> data;
        for (int reads = 0; !done || reads == 0; ++reads) {
            store.copy(data.data(), 0, SpectrumBins);
            mixed += std::any_of(data.begin(), data.end(), [&](qint32 v) { return v != data[0]; }) ? 1 : 0;
        }
        writer.join();
        QCOMPARE(mixed, 0);
    }

    void deliveryPostsOneEventPerSpectrum()
    {
        auto store = std::make_shared<SpectrumStore>();
        SpectrumTestWindow window;
        SpectrumPipeline pipeline(SpectrumDelivery(store, &window));
        pipeline.feed(tone(1270.0, 1.0, 8000, 2048 + 3 * 2000));
        QCOMPARE(window.spectrumEvents(), 0); // posted, not sent: they wait for the event loop
        QCoreApplication::processEvents();
        QCOMPARE(window.spectrumEvents(), 4);
        std::array<qint32, SpectrumBins> data{};
        QCOMPARE(store->copy(data.data(), -5, 2000), SpectrumBins); // clipped to the spectrum
        QVERIFY(data[325] >= 99);
        QCOMPARE(store->generation(), quint64(4));
    }

    void engineWithoutServerStaysQuiet()
    {
        // No sound server here, whatever runs beside the test: the client library is pointed at
        // a socket that does not exist (and so never starts a server of its own).
        QTemporaryDir scratch;
        QVERIFY(scratch.isValid());
        qputenv("PULSE_SERVER", "unix:" + scratch.filePath(QStringLiteral("no-server")).toLocal8Bit());
        SpectrumTestWindow window;
        SoundCardEngine engine;
        QCOMPARE(engine.fnStopSoundCard(), 0);                // harmless before any start
        QCOMPARE(engine.fnStartSoundCard(&window, -1, 1), 0); // the default input
        QVERIFY(!engine.isCapturing());
        QCoreApplication::processEvents();
        QCOMPARE(window.spectrumEvents(), 0);

        std::array<qint32, SpectrumBins> data;
        data.fill(77);
        QCOMPARE(engine.fnGetFFTData(data.data(), 69, 581), 512);
        QCOMPARE(std::count(data.begin() + 69, data.begin() + 581, 0), 512); // zeros, in those bins only
        QCOMPARE(std::count(data.begin(), data.end(), 77), 512);
    }
};

QTEST_GUILESS_MAIN(TestSoundCardEngine)
#include "tst_SoundCardEngine.moc"
