// SPDX-License-Identifier: GPL-3.0-or-later
// Time per call of the answer readers and the set-frequency builder on typical input, as a
// plain table. Target: every reader well under 5 us a call (a read runs every 200 ms).

#include "cat/AnswerReaders.h"
#include "cat/FrequencyDisplay.h"
#include "cat/RigFamily.h"

#include <QByteArray>
#include <QElapsedTimer>

#include <cstdio>
#include <functional>

namespace cat = veltrane::cat;

namespace {

constexpr int kCalls = 200000;
constexpr double kTargetNs = 5000.0;

volatile qint64 g_sink = 0; // keeps the work from being optimised away

double nsPerCall(const std::function<void()> &call)
{
    for (int i = 0; i < kCalls / 10; ++i) // warm-up
        call();
    QElapsedTimer timer;
    timer.start();
    for (int i = 0; i < kCalls; ++i)
        call();
    return double(timer.nsecsElapsed()) / kCalls;
}

} // namespace

int main()
{
    const cat::Framing civ = cat::civFraming(0x74, 0xE0);
    const QByteArray yaesu = "FA14076000;";
    const QByteArray kenwoodTwo = "FA;FA00014076000;FA00014076000;";
    const QByteArray civEchoAnswer = QByteArray::fromHex("FEFE74E003FDFEFEE074030060071400FD");
    const QByteArray ft897 = QByteArray::fromHex("0140760001");
    const QByteArray splitHead = "FA0140";
    const QByteArray splitRest = "76000;";

    cat::TextAnswerReader text;
    cat::CivAnswerReader civReader;

    struct Row
    {
        const char *name;
        std::function<void()> call;
    };
    const Row rows[] = {
        {"text reader, one answer", [&] { g_sink = g_sink + text.take(yaesu).value_or(0); }},
        {"text reader, echo + two answers", [&] { g_sink = g_sink + text.take(kenwoodTwo).value_or(0); }},
        {"text reader, answer in two reads",
         [&] {
             text.take(splitHead);
             g_sink = g_sink + text.take(splitRest).value_or(0);
         }},
        {"CI-V reader, echo + answer",
         [&] { g_sink = g_sink + civReader.take(civEchoAnswer, civ).value_or(0); }},
        {"FT-897 answer",
         [&] {
             g_sink = g_sink + cat::ft897Answer(ft897).value_or(cat::Ft897Reading{0, 0}).hz;
         }},
        {"set frequency, CI-V",
         [&] {
             g_sink = g_sink + cat::rigCaps(cat::RigFamily::Civ).setFrequencyWrites(14076523, civ).size();
         }},
        {"display text", [&] { g_sink = g_sink + cat::displayText(14076520).size(); }},
        {"band recognition", [&] { g_sink = g_sink + qint64(cat::recogniseBand(14.07652).has_value()); }},
    };

    std::printf("%-36s %12s %10s\n", "operation", "ns/call", "target");
    bool allMet = true;
    for (const Row &row : rows) {
        const double ns = nsPerCall(row.call);
        const bool met = ns < kTargetNs;
        allMet = allMet && met;
        std::printf("%-36s %12.1f %10s\n", row.name, ns, met ? "< 5 us" : "MISSED");
    }
    return allMet ? 0 : 1;
}
