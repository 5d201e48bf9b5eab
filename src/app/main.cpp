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

    QStringList inputs;
    for (const QAudioDevice &device : QMediaDevices::audioInputs())
        inputs.append(device.description());

    veltrane::app::Application app(veltrane::cat::makeTransport,
                                   std::make_unique<veltrane::spectrum::SoundCardEngine>());
    app.start(inputs);
    return QApplication::exec();
}
