// The engine's signal path without a sound card: samples in, 0..100 dB spectra out, the rate
// conversion of 44.1/48 kHz devices, and the hand-over of each spectrum to the window.

#include "spectrum/Resampler.h"
#include "spectrum/SpectrumPipeline.h"
#include "spectrum/SpectrumStore.h"

#include <QCoreApplication>
#include <QEvent>
#include <QTest>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <numbers>
#include <thread>

using namespace veltrane::spectrum;

namespace {

std::vector<float> tone(double hz, double amplitude, int rate, int count, double phase = 0.3)
{
    std::vector<float> samples(static_cast<size_t>(count));
    for (int n = 0; n < count; ++n)
        samples[size_t(n)] = float(amplitude * std::sin(2.0 * std::numbers::pi * hz * n / rate + phase));
    return samples;
}

std::vector<Spectrum> spectraOf(std::span<const float> samples, qsizetype chunk = 0)
{
    std::vector<Spectrum> spectra;
    SpectrumPipeline pipeline([&](const Spectrum &s) { spectra.push_back(s); });
    if (chunk <= 0) {
        pipeline.feed(samples);
    } else {
        for (qsizetype i = 0; i < qsizetype(samples.size()); i += chunk)
            pipeline.feed(samples.subspan(size_t(i), size_t(std::min(chunk, qsizetype(samples.size()) - i))));
    }
    return spectra;
}

int peakBin(const Spectrum &s)
{
    return int(std::max_element(s.begin(), s.end()) - s.begin());
}

int strongestAway(const Spectrum &s, int centre, int guard)
{
    int strongest = 0;
    for (int b = 0; b < SpectrumBins; ++b)
        if (std::abs(b - centre) > guard)
            strongest = std::max(strongest, int(s[size_t(b)]));
    return strongest;
}

class Receiver : public QObject
{
public:
    int spectrumEvents = 0;
    int otherEvents = 0;

protected:
    bool event(QEvent *e) override
    {
        if (e->type() == QEvent::Type(SpectrumDataEventType))
            ++spectrumEvents;
        else
            ++otherEvents;
        return QObject::event(e);
    }
};

} // namespace

class TestSpectrumPipeline : public QObject
{
    Q_OBJECT

private slots:
    void toneLevels_data()
    {
        QTest::addColumn<double>("hz");
        QTest::addColumn<double>("levelDb"); // relative to a full-scale sine
        QTest::addColumn<int>("bin");
        QTest::addColumn<int>("minimum");
        QTest::addColumn<int>("maximum");

        QTest::newRow("1270 Hz full scale") << 1270.0 << 0.0 << 325 << 99 << 100;
        QTest::newRow("1270 Hz 20 dB down") << 1270.0 << -20.0 << 325 << 79 << 80;
        QTest::newRow("1000 Hz full scale, on a bin") << 1000.0 << 0.0 << 256 << 100 << 100;
        QTest::newRow("1000 Hz 40 dB down") << 1000.0 << -40.0 << 256 << 60 << 60;
        QTest::newRow("270 Hz 6 dB down") << 270.0 << -6.0 << 69 << 93 << 94;
        QTest::newRow("2270 Hz 60 dB down") << 2270.0 << -60.0 << 581 << 39 << 40;
        QTest::newRow("3900 Hz full scale") << 3900.0 << 0.0 << 998 << 98 << 100;
    }
    void toneLevels()
    {
        QFETCH(double, hz);
        QFETCH(double, levelDb);
        QFETCH(int, bin);
        QFETCH(int, minimum);
        QFETCH(int, maximum);

        const auto samples = tone(hz, std::pow(10.0, levelDb / 20.0), 8000, SpectrumPipeline::FftSize);
        const auto spectra = spectraOf(samples);
        QCOMPARE(spectra.size(), size_t(1));
        const Spectrum &s = spectra.front();
        QCOMPARE(peakBin(s), bin);
        QVERIFY2(s[size_t(bin)] >= minimum && s[size_t(bin)] <= maximum,
                 qPrintable(QString::number(s[size_t(bin)])));
        // Far from the tone the window's leakage is below the scale's floor.
        QCOMPARE(strongestAway(s, bin, 40), 0);
    }

    void silenceReadsZero()
    {
        const std::vector<float> silence(size_t(SpectrumPipeline::FftSize), 0.0f);
        const auto spectra = spectraOf(silence);
        QCOMPARE(spectra.size(), size_t(1));
        QCOMPARE(*std::max_element(spectra[0].begin(), spectra[0].end()), 0);
    }

    void weakerToneReadsLower()
    {
        const auto strong = spectraOf(tone(1270.0, 0.5, 8000, 2048));
        const auto weak = spectraOf(tone(1270.0, 0.05, 8000, 2048));
        QCOMPARE(strong[0][325] - weak[0][325], 20);
    }

    void cadence_data()
    {
        QTest::addColumn<int>("samples");
        QTest::addColumn<int>("chunk");
        QTest::addColumn<int>("spectra");

        QTest::newRow("one short") << 2047 << 0 << 0;
        QTest::newRow("first window") << 2048 << 0 << 1;
        QTest::newRow("one short of the second") << 4047 << 0 << 1;
        QTest::newRow("second after 2000 more") << 4048 << 0 << 2;
        QTest::newRow("one second of audio, in 50 ms pieces") << 8000 << 400 << 3;
        QTest::newRow("ten seconds, odd pieces") << 80000 << 37 << 39;
        QTest::newRow("sample by sample") << 6048 << 1 << 3;
    }
    void cadence()
    {
        QFETCH(int, samples);
        QFETCH(int, chunk);
        QFETCH(int, spectra);
        const auto input = tone(700.0, 0.5, 8000, samples);
        QCOMPARE(int(spectraOf(input, chunk).size()), spectra);
    }

    void piecesGiveTheSameSpectra()
    {
        std::vector<float> input = tone(900.0, 0.3, 8000, 12048);
        const auto sweep = tone(1800.0, 0.2, 8000, 12048, 1.1);
        for (size_t i = 0; i < input.size(); ++i)
            input[i] += sweep[i] * float(i) / 12048.0f;
        const auto whole = spectraOf(input);
        const auto pieces = spectraOf(input, 333);
        QCOMPARE(whole.size(), size_t(6));
        QVERIFY(whole == pieces);
        // The hop really moves the window: the rising second tone shows in later spectra.
        QVERIFY(whole.back()[461] > whole.front()[461]);
    }

    void decibelScale_data()
    {
        QTest::addColumn<float>("power");
        QTest::addColumn<int>("expected");

        QTest::newRow("full scale") << 1.0f << 100;
        QTest::newRow("above full scale") << 4.0f << 100;
        QTest::newRow("-20 dB") << 0.01f << 80;
        QTest::newRow("-50.4 dB rounds up") << float(std::pow(10.0, -5.04)) << 50;
        QTest::newRow("-50.6 dB rounds down") << float(std::pow(10.0, -5.06)) << 49;
        QTest::newRow("-99.4 dB") << float(std::pow(10.0, -9.94)) << 1;
        QTest::newRow("-100 dB") << 1e-10f << 0;
        QTest::newRow("zero") << 0.0f << 0;
        QTest::newRow("smallest subnormal") << std::numeric_limits<float>::denorm_min() << 0;
        QTest::newRow("infinity") << std::numeric_limits<float>::infinity() << 100;
    }
    void decibelScale()
    {
        QFETCH(float, power);
        QFETCH(int, expected);
        const DecibelScale scale(1.0f);
        QCOMPARE(scale(power), expected);
    }

    void decibelScaleFollowsTheLogarithm()
    {
        // Sweep 120 dB in 0.01 dB steps against the plain formula (away from exact half steps).
        const float fullScale = 262144.0f; // the pipeline's own reference, 512 squared
        const DecibelScale scale(fullScale);
        int compared = 0;
        for (double db = -110.0; db <= 10.0; db += 0.01) {
            const double fraction = db - std::floor(db);
            if (std::abs(fraction - 0.5) < 0.001)
                continue;
            const float power = float(fullScale * std::pow(10.0, db / 10.0));
            const int expected = std::clamp(int(std::floor(db + 0.5)) + 100, 0, 100);
            QCOMPARE(scale(power), expected);
            ++compared;
        }
        QVERIFY(compared > 11000);
    }

    void resampledTones_data()
    {
        QTest::addColumn<int>("rate");
        QTest::addColumn<double>("hz");
        QTest::addColumn<int>("bin"); // where the tone (or its alias) lands at 8000 samples/s
        QTest::addColumn<int>("minimum");
        QTest::addColumn<int>("maximum");

        QTest::newRow("48 kHz, 2000 Hz kept") << 48000 << 2000.0 << 512 << 99 << 100;
        QTest::newRow("48 kHz, 1270 Hz kept") << 48000 << 1270.0 << 325 << 99 << 100;
        QTest::newRow("48 kHz, 5000 Hz rejected (alias at 3000 Hz)") << 48000 << 5000.0 << 768 << 0 << 20;
        QTest::newRow("48 kHz, 7000 Hz rejected (alias at 1000 Hz)") << 48000 << 7000.0 << 256 << 0 << 20;
        QTest::newRow("48 kHz, 4400 Hz rejected (alias at 3600 Hz)") << 48000 << 4400.0 << 922 << 0 << 20;
        QTest::newRow("44.1 kHz, 2000 Hz kept") << 44100 << 2000.0 << 512 << 99 << 100;
        QTest::newRow("44.1 kHz, 5000 Hz rejected (alias at 3000 Hz)") << 44100 << 5000.0 << 768 << 0 << 20;
        QTest::newRow("16 kHz, 2000 Hz kept") << 16000 << 2000.0 << 512 << 99 << 100;
        QTest::newRow("16 kHz, 6000 Hz rejected (alias at 2000 Hz)") << 16000 << 6000.0 << 512 << 0 << 20;
    }
    void resampledTones()
    {
        QFETCH(int, rate);
        QFETCH(double, hz);
        QFETCH(int, bin);
        QFETCH(int, minimum);
        QFETCH(int, maximum);

        // Two seconds, so the filter has settled; judge the last spectrum.
        const auto input = tone(hz, 1.0, rate, 2 * rate);
        Resampler resampler(rate);
        std::vector<float> output;
        resampler.process(input, output);
        QCOMPARE(int(output.size()), 16000);
        const auto spectra = spectraOf(output);
        QVERIFY(!spectra.empty());
        const Spectrum &s = spectra.back();
        const int level = s[size_t(bin)];
        QVERIFY2(level >= minimum && level <= maximum, qPrintable(QString::number(level)));
        if (maximum <= 20) // rejected: nothing anywhere comes through
            QVERIFY2(*std::max_element(s.begin(), s.end()) <= 20, qPrintable(QString::number(peakBin(s))));
    }

    void resamplerStreams_data()
    {
        QTest::addColumn<int>("rate");
        QTest::addColumn<int>("chunk");
        QTest::newRow("48 kHz in 50 ms pieces") << 48000 << 2400;
        QTest::newRow("48 kHz in 7-sample pieces") << 48000 << 7;
        QTest::newRow("44.1 kHz in 441-sample pieces") << 44100 << 441;
        QTest::newRow("44.1 kHz sample by sample") << 44100 << 1;
    }
    void resamplerStreams()
    {
        QFETCH(int, rate);
        QFETCH(int, chunk);
        const auto input = tone(1500.0, 0.7, rate, rate / 2);
        Resampler whole(rate);
        std::vector<float> expected;
        whole.process(input, expected);

        Resampler pieces(rate);
        std::vector<float> actual;
        for (size_t i = 0; i < input.size(); i += size_t(chunk))
            pieces.process(std::span(input).subspan(i, std::min(size_t(chunk), input.size() - i)), actual);
        QCOMPARE(actual.size(), expected.size());
        QVERIFY(actual == expected);
        QCOMPARE(int(actual.size()), 4000);
    }

    void resamplerFactors_data()
    {
        QTest::addColumn<int>("rate");
        QTest::addColumn<int>("up");
        QTest::addColumn<int>("down");
        QTest::newRow("48000") << 48000 << 1 << 6;
        QTest::newRow("44100") << 44100 << 80 << 441;
        QTest::newRow("22050") << 22050 << 160 << 441;
        QTest::newRow("8000 passes through") << 8000 << 1 << 1;
    }
    void resamplerFactors()
    {
        QFETCH(int, rate);
        QFETCH(int, up);
        QFETCH(int, down);
        const Resampler resampler(rate);
        QCOMPARE(resampler.upFactor(), up);
        QCOMPARE(resampler.downFactor(), down);
    }

    void passThroughKeepsSamples()
    {
        Resampler resampler(8000);
        QVERIFY(resampler.isPassThrough());
        const std::vector<float> input{0.5f, -0.25f, 1.0f};
        std::vector<float> output{9.0f};
        resampler.process(input, output);
        QCOMPARE(output, (std::vector<float>{9.0f, 0.5f, -0.25f, 1.0f}));
    }

    void storeCopiesTheAskedBins_data()
    {
        QTest::addColumn<int>("first");
        QTest::addColumn<int>("last");
        QTest::addColumn<int>("written");
        QTest::addColumn<int>("lowestWritten");
        QTest::addColumn<int>("highestWritten");

        QTest::newRow("shown range") << 69 << 581 << 512 << 69 << 580;
        QTest::newRow("everything") << 0 << 1024 << 1024 << 0 << 1023;
        QTest::newRow("clipped both ends") << -5 << 2000 << 1024 << 0 << 1023;
        QTest::newRow("empty") << 300 << 300 << 0 << -1 << -1;
        QTest::newRow("reversed") << 400 << 300 << 0 << -1 << -1;
    }
    void storeCopiesTheAskedBins()
    {
        QFETCH(int, first);
        QFETCH(int, last);
        QFETCH(int, written);
        QFETCH(int, lowestWritten);
        QFETCH(int, highestWritten);

        SpectrumStore store;
        Spectrum s;
        for (int b = 0; b < SpectrumBins; ++b)
            s[size_t(b)] = b % 101;
        store.publish(s);

        std::array<qint32, SpectrumBins> data;
        data.fill(-1);
        QCOMPARE(store.copy(data.data(), first, last), written);
        for (int b = 0; b < SpectrumBins; ++b) {
            const bool inside = b >= lowestWritten && b <= highestWritten && lowestWritten >= 0;
            QCOMPARE(data[size_t(b)], inside ? b % 101 : -1);
        }
    }

    void storeIsZeroBeforeTheFirstSpectrum()
    {
        SpectrumStore store;
        std::array<qint32, SpectrumBins> data;
        data.fill(77);
        QCOMPARE(store.copy(data.data(), 69, 581), 512);
        QCOMPARE(data[68], 77);
        QCOMPARE(data[69], 0);
        QCOMPARE(data[580], 0);
        QCOMPARE(data[581], 77);
        QCOMPARE(store.generation(), quint64(0));
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
        int reads = 0;
        std::array<qint32, SpectrumBins> data;
        while (!done || reads == 0) {
            store.copy(data.data(), 0, SpectrumBins);
            if (std::any_of(data.begin(), data.end(), [&](qint32 v) { return v != data[0]; }))
                ++mixed;
            ++reads;
        }
        writer.join();
        QCOMPARE(mixed, 0);
        QCOMPARE(store.generation(), quint64(20000));
    }

    void deliveryPostsOneEventPerSpectrum()
    {
        auto store = std::make_shared<SpectrumStore>();
        Receiver window;
        SpectrumPipeline pipeline(SpectrumDelivery(store, &window));
        const auto input = tone(1270.0, 1.0, 8000, 2048 + 3 * 2000);
        pipeline.feed(input);
        QCOMPARE(window.spectrumEvents, 0); // posted, not sent: they wait for the event loop
        QCoreApplication::processEvents();
        QCOMPARE(window.spectrumEvents, 4);
        QCOMPARE(store->generation(), quint64(4));
        std::array<qint32, SpectrumBins> data{};
        store->copy(data.data(), 69, 581);
        QVERIFY(data[325] >= 99);
    }

    void deliveryFromAnotherThread()
    {
        auto store = std::make_shared<SpectrumStore>();
        Receiver window;
        std::thread capture([&] {
            SpectrumPipeline pipeline(SpectrumDelivery(store, &window));
            pipeline.feed(tone(500.0, 0.1, 8000, 2048 + 2000));
        });
        capture.join();
        QCoreApplication::processEvents();
        QCOMPARE(window.spectrumEvents, 2);
    }
};

QTEST_GUILESS_MAIN(TestSpectrumPipeline)
#include "tst_SpectrumPipeline.moc"
