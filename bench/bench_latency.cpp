// SPDX-License-Identifier: GPL-3.0-or-later
// From the end of an FFT window to the painted picture: a capture thread feeds the spectrum
// pipeline in real time (2000 samples every 250 ms, as the sound card delivers them); each
// spectrum is stored and announced to the window, whose hook paints it in waterfall mode.
// Prints the delay from the moment the spectrum was ready to the end of its paint.

#include "spectrum/SpectrumPainter.h"
#include "spectrum/SpectrumPipeline.h"
#include "spectrum/SpectrumStore.h"
#include "spectrum/SpectrumWindowHook.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QThread>
#include <QTimer>
#include <QWidget>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdio>
#include <vector>

using namespace veltrane;

namespace {

class StoreSource final : public spectrum::SpectrumSource
{
public:
    explicit StoreSource(std::shared_ptr<spectrum::SpectrumStore> store) : m_store(std::move(store)) {}
    int fnGetFFTData(qint32 *data, int firstBin, int lastBin) override
    {
        return m_store->copy(data, firstBin, lastBin);
    }

private:
    std::shared_ptr<spectrum::SpectrumStore> m_store;
};

} // namespace

int main(int argc, char *argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    constexpr int kSpectra = 24;

    QWidget window;
    auto store = std::make_shared<spectrum::SpectrumStore>();
    StoreSource source(store);
    spectrum::SpectrumPainter painter;
    painter.startShowing(270, 2270);

    QElapsedTimer clock;
    clock.start();
    std::atomic<qint64> readyAt{0};
    std::vector<double> delaysMs;
    spectrum::HookSpectrumWindow(&window, [&] {
        spectrum::PaintSpectrum(source, painter, spectrum::DisplayMode::Waterfall);
        delaysMs.push_back(double(clock.nsecsElapsed() - readyAt.load()) / 1e6);
        if (int(delaysMs.size()) == kSpectra)
            QTimer::singleShot(0, &app, &QApplication::quit);
    });

    const spectrum::SpectrumDelivery deliver(store, &window);
    QThread *capture = QThread::create([&] {
        spectrum::SpectrumPipeline pipeline([&](const spectrum::Spectrum &s) {
            readyAt.store(clock.nsecsElapsed());
            deliver(s);
        });
        std::vector<float> chunk(2000);
        long n = 0;
        for (int i = 0; i < kSpectra + 1; ++i) {
            for (float &v : chunk)
                v = 0.5f * std::sin(2.0f * 3.14159265f * 1270.0f * float(n++) / 8000.0f);
            pipeline.feed(chunk);
            QThread::msleep(250);
        }
    });
    capture->start();
    app.exec();
    capture->wait();
    delete capture;

    std::sort(delaysMs.begin(), delaysMs.end());
    std::printf("%-40s %9s %9s %9s\n", "spectrum ready to painted", "median ms", "max ms", "target");
    std::printf("%-40s %9.3f %9.3f %9s\n", "(24 spectra, waterfall mode)", delaysMs[delaysMs.size() / 2],
                delaysMs.back(), "<= 20 ms");
    return delaysMs.back() <= 20.0 ? 0 : 1;
}
