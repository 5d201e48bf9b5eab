// SPDX-License-Identifier: GPL-3.0-or-later
// Spectrum display kernels against their references, as a plain table:
//   waterfall update (history scroll + 30 x 511 cells)  vs the plain one-line-per-cell painter
//   trace with grid (clear, 21 grid lines, 511 segments) vs the plain painter
//   engine step (one spectrum: 2000 samples, two windowed 2048-point transforms, the mean of
//   eight, the noise median, the 0..100 scale) vs two bare FFTW transforms
// Targets: waterfall <= 1/50 of the plain painter and under 100 us; trace <= 1/2.5 of the
// plain painter; engine step <= 2.5 x the bare transforms (the mean of eight and the band's
// median come on top of the two transforms a spectrum needs).
//
// Run natively it times each kernel (median of several batches). Run under
//   valgrind --tool=callgrind --instr-atstart=no
// (scripts/bench-callgrind does this) it instruments only the kernels and dumps one
// profile part per kernel, whose instruction counts repeat exactly from run to run.

#include "NaiveSpectrumPainter.h"
#include "spectrum/SpectrumPainter.h"
#include "spectrum/SpectrumPipeline.h"

#include <QGuiApplication>

#include <fftw3.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <functional>
#include <numbers>
#include <random>
#include <span>
#include <string>
#include <vector>

#if __has_include(<valgrind/callgrind.h>)
#include <valgrind/callgrind.h>
#define VELTRANE_HAVE_CALLGRIND 1
#else
#define VELTRANE_HAVE_CALLGRIND 0
#define RUNNING_ON_VALGRIND 0
#endif

using namespace veltrane;

namespace {

constexpr int LowBin = 69;
constexpr int HighBin = 581;

bool underValgrind()
{
    return RUNNING_ON_VALGRIND != 0;
}

// Microseconds per call: the fastest of several batches (other work on a shared machine only
// ever adds time).
double timeKernel(const std::function<void()> &kernel, int perBatch, int batches = 7)
{
    std::vector<double> results;
    for (int b = 0; b < batches; ++b) {
        const auto start = std::chrono::steady_clock::now();
        for (int i = 0; i < perBatch; ++i)
            kernel();
        const std::chrono::duration<double, std::micro> spent = std::chrono::steady_clock::now() - start;
        results.push_back(spent.count() / perBatch);
    }
    std::sort(results.begin(), results.end());
    return results.front();
}

// Under callgrind: instrument `calls` calls of the kernel and dump them as one part named `name`.
void instrument(const char *name, const std::function<void()> &kernel, int calls)
{
#if VELTRANE_HAVE_CALLGRIND
    CALLGRIND_ZERO_STATS;
    CALLGRIND_START_INSTRUMENTATION;
    for (int i = 0; i < calls; ++i)
        kernel();
    CALLGRIND_STOP_INSTRUMENTATION;
    CALLGRIND_DUMP_STATS_AT(name);
#else
    Q_UNUSED(name);
    Q_UNUSED(kernel);
    Q_UNUSED(calls);
#endif
}

struct Kernel
{
    const char *name;
    std::function<void()> run;
    int perBatch;
};

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);

    std::mt19937 random(7);
    std::uniform_int_distribution<int> level(0, 100);
    std::vector<std::array<qint32, spectrum::SpectrumBins>> spectra(8);
    for (auto &s : spectra)
        for (auto &v : s)
            v = level(random);

    // Painters, warmed up so the waterfall is full.
    spectrum::SpectrumPainter painter;
    bench::NaiveSpectrumPainter naive;
    painter.selectMode(1);
    naive.selectMode(1);
    // Each step below starts at phase 0, so every one draws (the painter's phase restarts with
    // startShowing).
    int naivePhase = 0;
    for (int i = 0; i < 31; ++i) {
        painter.startShowing(270, 2270);
        naivePhase = 0;
        painter.waterfallStep(spectra[size_t(i % 8)].data(), LowBin, HighBin);
        naive.waterfallStep(spectra[size_t(i % 8)].data(), LowBin, HighBin, naivePhase);
    }
    int next = 0;
    auto waterfall = [&] {
        painter.startShowing(270, 2270);
        painter.waterfallStep(spectra[size_t(next++ & 7)].data(), LowBin, HighBin);
    };
    auto naiveWaterfall = [&] {
        naivePhase = 0;
        naive.waterfallStep(spectra[size_t(next++ & 7)].data(), LowBin, HighBin, naivePhase);
    };
    auto trace = [&] { painter.drawTrace(spectra[size_t(next++ & 7)].data(), LowBin, HighBin); };
    auto naiveTrace = [&] { naive.drawTrace(spectra[size_t(next++ & 7)].data(), LowBin, HighBin); };

    // Engine step and the bare transforms on the same audio.
    std::vector<float> audio(spectrum::SpectrumPipeline::FftSize + spectrum::SpectrumPipeline::Hop);
    for (size_t n = 0; n < audio.size(); ++n)
        audio[n] = float(0.5 * std::sin(2.0 * std::numbers::pi * 1270.0 * double(n) / 8000.0) +
                         0.01 * (level(random) - 50) / 50.0);
    spectrum::SpectrumPipeline pipeline(nullptr);
    pipeline.feed(std::span(audio).first(spectrum::SpectrumPipeline::FftSize)); // the first spectrum
    const auto hop = std::span(audio).last(spectrum::SpectrumPipeline::Hop);
    auto engineStep = [&] { pipeline.feed(hop); }; // one spectrum each
    float *fftIn = fftwf_alloc_real(spectrum::SpectrumPipeline::FftSize);
    fftwf_complex *fftOut = fftwf_alloc_complex(spectrum::SpectrumPipeline::FftSize / 2 + 1);
    fftwf_plan plan =
        fftwf_plan_dft_r2c_1d(spectrum::SpectrumPipeline::FftSize, fftIn, fftOut, FFTW_ESTIMATE);
    std::copy(audio.begin(), audio.begin() + spectrum::SpectrumPipeline::FftSize, fftIn);
    auto rawFft = [&] {
        fftwf_execute(plan);
        fftwf_execute(plan);
    };

    const std::vector<Kernel> kernels{
        {"waterfall", waterfall, 200},   {"waterfall_naive", naiveWaterfall, 5}, {"trace", trace, 200},
        {"trace_naive", naiveTrace, 50}, {"engine_step", engineStep, 2000},      {"fftw_raw", rawFft, 2000},
    };

    if (underValgrind()) {
        // Instruction counts only: a few calls each, read from the dumps by scripts/bench-callgrind.
        for (const Kernel &k : kernels)
            instrument(k.name, k.run, 10);
        std::printf("instrumented %zu kernels, 10 calls each\n", kernels.size());
    } else {
        std::vector<double> us;
        for (const Kernel &k : kernels)
            us.push_back(timeKernel(k.run, k.perBatch));
        std::printf("%-34s %12s %12s %10s %10s  %s\n", "kernel", "us/call", "reference", "ratio", "target",
                    "ok");
        auto row = [](const char *what, double value, double reference, double target, bool ok) {
            std::printf("%-34s %12.2f %12.2f %10.4f %10.4f  %s\n", what, value, reference, value / reference,
                        target, ok ? "yes" : "NO");
        };
        row("waterfall update vs plain painter", us[0], us[1], 1.0 / 50.0, us[0] / us[1] <= 1.0 / 50.0);
        std::printf("%-34s %12.2f %12s %10s %10s  %s\n", "waterfall update, absolute", us[0], "", "",
                    "< 100 us", us[0] < 100.0 ? "yes" : "NO");
        row("trace + grid vs plain painter", us[2], us[3], 1.0 / 2.5, us[2] / us[3] <= 1.0 / 2.5);
        row("engine step vs 2 bare FFTW", us[4], us[5], 2.5, us[4] / us[5] <= 2.5);
        std::printf("(fastest of 7 batches; times still vary on shared machines: scripts/bench-callgrind "
                    "gives exact counts)\n");
    }

    fftwf_destroy_plan(plan);
    fftwf_free(fftOut);
    fftwf_free(fftIn);
    return 0;
}
