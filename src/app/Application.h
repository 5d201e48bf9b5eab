#pragma once
// The program's start flow: the sound-device dialog first, then the main window; when the main
// window's start-up fails, the settings dialog alone (with the reason), and the main window
// closes. The program ends when no window remains. Owns the station state, the serial port and
// the sound engine for the whole run.

#include "cat/SerialPort.h"
#include "config/StationState.h"
#include "app/frmKorvane.h"
#include "config/forms/frmInit.h"
#include "spectrum/SoundCardEngine.h"

#include <QObject>
#include <QPointer>

#include <memory>

namespace veltrane::app {



class Application : public QObject
{
    Q_OBJECT

public:
    // `port` and `engine` are the run's serial port and sound engine (engine may be null).
    Application(std::unique_ptr<cat::SerialPort> port, std::unique_ptr<spectrum::SoundCardEngine> engine,
                QObject *parent = nullptr);
    ~Application() override;

    // Shows the sound-device dialog with the given input device names.
    void start(const QStringList &inputDeviceNames);

    config::StationState &state() { return m_state; }
    frmKorvane *mainWindow() const { return m_main; }
    config::frmInit *settingsDialog() const { return m_init; }

    // Shows the main window, or the settings dialog when its start-up fails.
    void openMainWindow();
    // Opens the settings dialog (non-modal; a second call brings it forward).
    void openSettings(const QString &failureReason = {});

private:
    config::StationState m_state;
    config::InitDialogState m_dialogState;
    std::unique_ptr<cat::SerialPort> m_port;
    std::unique_ptr<spectrum::SoundCardEngine> m_engine;
    QPointer<frmKorvane> m_main;
    QPointer<config::frmInit> m_init;
};

}  // namespace veltrane::app
