#include "app/Application.h"

#include "app/frmKorvane.h"
#include "config/forms/frmSoundBoard.h"
#include "spectrum/SoundCardEngine.h"

#include <QDir>

namespace veltrane::app {

Application::Application(std::unique_ptr<cat::SerialPort> port, std::unique_ptr<spectrum::SoundCardEngine> engine,
                         QObject *parent)
    : QObject(parent), m_port(std::move(port)), m_engine(std::move(engine))
{
}

Application::~Application()
{
    delete m_main;  // runs the unload steps while the port and engine still exist
    delete m_init;
}

void Application::start(const QStringList &inputDeviceNames)
{
    auto *sound = new config::frmSoundBoard(m_state, inputDeviceNames);
    sound->setAttribute(Qt::WA_DeleteOnClose);
    connect(sound, &config::frmSoundBoard::deviceChosen, this, &Application::openMainWindow);
    sound->show();
}

void Application::openMainWindow()
{
    auto *main = new frmKorvane(m_state, *m_port, m_engine.get());
    main->setAttribute(Qt::WA_DeleteOnClose);
    m_main = main;
    connect(main, &frmKorvane::resetRequested, this, [this] { openSettings(); });
    if (const auto reason = main->Form_Load()) {
        openSettings(*reason);
        main->close();  // runs the unload steps; the window deletes itself
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
    const config::SerialControlState serial{m_main ? m_main->commPortValue() : QStringLiteral("1"),
                                            m_port->settings(), int(m_port->handshaking())};
    auto *dialog = new config::frmInit(m_state, serial, m_dialogState);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setStartupFailure(failureReason);
    m_init = dialog;
    dialog->show();
}

}  // namespace veltrane::app
