// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/CommandLine.h"
#include "app/Language.h"
#include "app/forms/Application.h"
#include "spectrum/SoundCardEngine.h"

#include <QApplication>
#include <QAudioDevice>
#include <QLoggingCategory>
#include <QMediaDevices>

#include <cstdio>

int main(int argc, char *argv[])
{
    QCoreApplication::setApplicationName(QStringLiteral("Veltrane"));
    QCoreApplication::setApplicationVersion(QStringLiteral("1.05"));

    // The command line first, so that --help and --version need no display.
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    const veltrane::app::CommandLine line = veltrane::app::parseCommandLine(arguments);
    using Outcome = veltrane::app::CommandLine::Outcome;
    if (line.outcome != Outcome::Run) {
        std::fputs(line.message.toLocal8Bit().constData(), line.outcome == Outcome::Exit ? stdout : stderr);
        return line.outcome == Outcome::Exit ? 0 : 2;
    }
    if (const QString why = veltrane::app::enterFolder(line.folder); !why.isEmpty()) {
        std::fprintf(stderr, "%s\n", why.toLocal8Bit().constData());
        return 1;
    }

    QApplication qapp(argc, argv);
    // --cat-log: every frame written to the rig and every piece read from it, on standard error.
    if (line.catLog)
        QLoggingCategory::setFilterRules(QStringLiteral("veltrane.cat.debug=true"));
    // The interface's language: the locale's, unless --language forces one.
    veltrane::app::installTranslation(
        line.language.value_or(veltrane::app::languageForLocale(QLocale::system().uiLanguages())));

    QStringList inputs;
    for (const QAudioDevice &device : QMediaDevices::audioInputs())
        inputs.append(device.description());

    veltrane::app::Application app(veltrane::cat::makeTransport,
                                   std::make_unique<veltrane::spectrum::SoundCardEngine>());
    app.start(inputs);
    return QApplication::exec();
}
