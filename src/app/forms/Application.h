// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The program's start flow: the sound-device dialog first, then the main window; when the main
// window's start-up fails, the settings dialog alone (with the reason), and the main window
// closes. The program ends when no window remains. Owns the factory of the rig's port and the
// sound engine for the whole run.

#include "app/forms/frmKorvane.h"
#include "cat/link/Transport.h"
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
    // `factory` makes the rig's port; `engine` is the run's sound engine (may be null).
    Application(cat::TransportFactory factory, std::unique_ptr<spectrum::SoundCardEngine> engine,
                QObject *parent = nullptr);
    ~Application() override;

    // Shows the sound-device dialog with the given input device names.
    void start(const QStringList &inputDeviceNames);

    frmKorvane *mainWindow() const { return m_main; }
    config::frmInit *settingsDialog() const { return m_init; }

    // Shows the main window for the chosen sound device, or the settings dialog when its
    // start-up fails.
    void openMainWindow(int soundDevice);
    // Opens the settings dialog (non-modal; a second call brings it forward).
    void openSettings(const QString &failureReason = {});

private:
    cat::TransportFactory m_factory;
    std::unique_ptr<spectrum::SoundCardEngine> m_engine;
    config::InitDialogState m_dialogState;
    QPointer<frmKorvane> m_main;
    QPointer<config::frmInit> m_init;
};

} // namespace veltrane::app
