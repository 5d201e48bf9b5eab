// SPDX-License-Identifier: GPL-3.0-or-later
// From a dial change on the rig to the new text in the frequency display. A Yaesu-text rig on a
// pseudo-terminal answers every "FA;" at once with its dial; the dial moves at random moments
// (every 0.5 to 0.9 s). The station polls as it does in operation (a request every 200 ms).
// Prints the median and the largest delay of 40 changes.

#include "app/Station.h"
#include "cat/FrequencyDisplay.h"
#include "config/InitConfigFile.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QRandomGenerator>
#include <QSocketNotifier>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <fcntl.h>
#include <unistd.h>
#include <vector>

using namespace veltrane;

int main(int argc, char *argv[])
{
    QCoreApplication qapp(argc, argv);
    const int master = ::posix_openpt(O_RDWR | O_NOCTTY);
    if (master < 0 || ::grantpt(master) != 0 || ::unlockpt(master) != 0)
        return 1;
    ::fcntl(master, F_SETFL, ::fcntl(master, F_GETFL) | O_NONBLOCK);

    config::StationConfig cfg;
    config::parseInitConfig("CAT=" + QByteArray(::ptsname(master)) + "\r\nRIG=0\r\nRS232C=9600,N,8,1\r\n",
                            cfg);
    app::Station station(cfg);
    if (!station.openLink().isEmpty())
        return 1;
    station.startTimers();

    qint64 dialHz = 14'076'000;
    QByteArray heard;
    QSocketNotifier rig(master, QSocketNotifier::Read);
    QObject::connect(&rig, &QSocketNotifier::activated, [&] {
        char buf[256];
        for (ssize_t n; (n = ::read(master, buf, sizeof buf)) > 0;)
            heard.append(buf, n);
        for (qsizetype at; (at = heard.indexOf("FA;")) >= 0;) {
            heard.remove(0, at + 3);
            const QByteArray answer = "FA" + QByteArray::number(dialHz).rightJustified(8, '0') + ';';
            if (::write(master, answer.constData(), size_t(answer.size())) != answer.size())
                std::fprintf(stderr, "short write\n");
        }
    });

    QElapsedTimer clock;
    clock.start();
    qint64 changedAt = -1;
    std::vector<double> delays;
    QTimer move;
    move.setSingleShot(true);
    QObject::connect(&move, &QTimer::timeout, [&] {
        dialHz += 100;
        changedAt = clock.nsecsElapsed();
    });
    QObject::connect(&station, &app::Station::displayChanged, [&](const QString &text) {
        if (changedAt < 0 || text != cat::displayText(dialHz))
            return;
        delays.push_back(double(clock.nsecsElapsed() - changedAt) / 1e6);
        changedAt = -1;
        if (delays.size() == 40)
            qapp.quit();
        else
            move.start(500 + int(QRandomGenerator::global()->bounded(400)));
    });
    move.start(1000);
    QTimer::singleShot(120'000, &qapp, &QCoreApplication::quit);
    qapp.exec();

    if (delays.empty())
        return 1;
    std::sort(delays.begin(), delays.end());
    std::printf(
        "dial change to display text: median %.1f ms, largest %.1f ms (%zu changes, request every 200 ms)\n",
        delays[delays.size() / 2], delays.back(), delays.size());
    return 0;
}
