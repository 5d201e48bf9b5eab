// SPDX-License-Identifier: GPL-3.0-or-later
// veltrane-rigsim: a simulated transceiver on a pseudo-terminal, or with --tcp on a TCP port of
// 127.0.0.1. Prints the device or address to open on its first line and answers CAT frames
// there until SIGTERM or SIGINT.

#include "rigsim/PtyRig.h"
#include "rigsim/RigSimCommandLine.h"
#include "rigsim/TcpRig.h"

#include <QCoreApplication>
#include <QSocketNotifier>

#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <unistd.h>

using namespace veltrane::rigsim;

namespace {

int g_signalPipe[2] = {-1, -1};

void onSignal(int)
{
    const char byte = 1;
    [[maybe_unused]] const ssize_t n = ::write(g_signalPipe[1], &byte, 1);
}

bool catchStopSignals()
{
    if (::pipe2(g_signalPipe, O_CLOEXEC | O_NONBLOCK) != 0)
        return false;
    struct sigaction action = {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    return ::sigaction(SIGTERM, &action, nullptr) == 0 && ::sigaction(SIGINT, &action, nullptr) == 0;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("veltrane-rigsim"));

    const RigSimCommandLine cli = RigSimCommandLine::parse(QCoreApplication::arguments());
    if (cli.showHelp) {
        std::fputs(qPrintable(cli.helpText), stdout);
        return 0;
    }
    if (!cli.error.isEmpty()) {
        std::fprintf(stderr, "veltrane-rigsim: %s\n", qPrintable(cli.error));
        return 2;
    }
    if (!catchStopSignals()) {
        std::perror("veltrane-rigsim: signals");
        return 1;
    }
    QSocketNotifier stopNotifier(g_signalPipe[0], QSocketNotifier::Read);
    QObject::connect(&stopNotifier, &QSocketNotifier::activated, &app, &QCoreApplication::quit);

    if (cli.tcpPort) {
        TcpRig rig(cli.emulator, cli.rig);
        QString error;
        if (!rig.start(*cli.tcpPort, &error)) {
            std::fprintf(stderr, "veltrane-rigsim: %s\n", qPrintable(error));
            return 1;
        }
        std::printf("%s\n", qPrintable(rig.url()));
        std::fflush(stdout);
        const int rc = app.exec();
        rig.stop();
        return rc;
    }

    PtyRig rig(cli.emulator, cli.rig);
    // Comings and goings on stderr; stdout carries only the device line.
    QObject::connect(&rig, &PtyRig::unplugged, [] { std::fputs("veltrane-rigsim: unplugged\n", stderr); });
    QObject::connect(&rig, &PtyRig::pluggedIn, [](const QString &slave) {
        std::fprintf(stderr, "veltrane-rigsim: plugged in on %s\n", qPrintable(slave));
    });
    QString error;
    if (!rig.start(&error)) {
        std::fprintf(stderr, "veltrane-rigsim: %s\n", qPrintable(error));
        return 1;
    }
    std::printf("%s\n", qPrintable(rig.devicePath()));
    std::fflush(stdout);

    const int rc = app.exec();
    rig.stop();
    return rc;
}
