#include "app/forms/Application.h"
#include "spectrum/SoundCardEngine.h"

#include <QApplication>
#include <QAudioDevice>
#include <QMediaDevices>

int main(int argc, char *argv[])
{
    QApplication qapp(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Veltrane"));
    QApplication::setApplicationVersion(QStringLiteral("1.05"));

    QStringList inputs;
    for (const QAudioDevice &device : QMediaDevices::audioInputs())
        inputs.append(device.description());

    veltrane::app::Application app(veltrane::cat::makeTransport,
                                   std::make_unique<veltrane::spectrum::SoundCardEngine>());
    app.start(inputs);
    return QApplication::exec();
}
