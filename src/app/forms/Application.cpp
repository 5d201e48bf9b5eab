// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/forms/Application.h"

#include "config/forms/frmSoundBoard.h"

#include <QDir>

namespace veltrane::app {

Application::Application(cat::TransportFactory factory, std::unique_ptr<spectrum::SoundCardEngine> engine,
                         QObject *parent)
    : QObject(parent), m_factory(std::move(factory)), m_engine(std::move(engine))
{
}

Application::~Application()
{
    delete m_main; // runs the unload steps while the engine still exists
    delete m_init;
}

void Application::start(const QStringList &inputDeviceNames)
{
    auto *sound = new config::frmSoundBoard(inputDeviceNames);
    sound->setAttribute(Qt::WA_DeleteOnClose);
    connect(sound, &config::frmSoundBoard::deviceChosen, this, &Application::openMainWindow);
    sound->show();
}

void Application::openMainWindow(int soundDevice)
{
    auto *main = new frmKorvane(soundDevice, m_factory, m_engine.get());
    main->setAttribute(Qt::WA_DeleteOnClose);
    m_main = main;
    connect(main, &frmKorvane::resetRequested, this, [this] { openSettings(); });
    if (const auto reason = main->Form_Load()) {
        openSettings(*reason);
        main->close(); // runs the unload steps; the window deletes itself
        return;
    }
    main->show();
}

void Application::openSettings(const QString &failureReason)
{
    if (m_init) {
        m_init->setStartupFailure(failureReason);
        m_init->show();
        m_init->raise();
        m_init->activateWindow();
        return;
    }
    config::StationConfig station;
    config::SerialControlState serial;
    if (m_main) {
        station = m_main->stationConfig();
        serial = m_main->serialControl();
    } else {
        station.workDir = QDir::currentPath();
    }
    auto *dialog = new config::frmInit(station, serial, m_dialogState);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setStartupFailure(failureReason);
    if (m_main && m_main->station())
        dialog->setDecoderLinkProblem(m_main->station()->decoderLinkProblem());
    m_init = dialog;
    dialog->show();
}

} // namespace veltrane::app
