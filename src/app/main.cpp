#include "app/Language.h"
#include "app/forms/Application.h"
#include "spectrum/SoundCardEngine.h"

#include <QApplication>
#include <QAudioDevice>
#include <QLoggingCategory>
#include <QMediaDevices>

int main(int argc, char *argv[])
{
    QApplication qapp(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Veltrane"));
    QApplication::setApplicationVersion(QStringLiteral("1.05"));

    // --cat-log: every frame written to the rig and every piece read from it, on standard error.
    if (QApplication::arguments().contains(QStringLiteral("--cat-log")))
        QLoggingCategory::setFilterRules(QStringLiteral("veltrane.cat.debug=true"));

    // The interface's language: the locale's, unless --language ja|en forces one.
    const QStringList args = QApplication::arguments();
    const qsizetype at = args.indexOf(QStringLiteral("--language"));
    const auto forced = at >= 0 ? veltrane::app::parseLanguage(args.value(at + 1)) : std::nullopt;
    veltrane::app::installTranslation(
        forced.value_or(veltrane::app::languageForLocale(QLocale::system().uiLanguages())));

    QStringList inputs;
    for (const QAudioDevice &device : QMediaDevices::audioInputs())
        inputs.append(device.description());

    veltrane::app::Application app(veltrane::cat::makeTransport,
                                   std::make_unique<veltrane::spectrum::SoundCardEngine>());
    app.start(inputs);
    return QApplication::exec();
}
