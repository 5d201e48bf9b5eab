// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The station's working window: rig frequency display and band list, call import and
// frequency set, call-sign lookup, clock, and the spectrum picture. It builds the controls,
// maps them to the station's actions (Station) and shows what the station reports; the
// operating aids give the import and the lookup, the spectrum painter the picture. It holds no
// frame, gate or parsing rule of its own.
//
// Form_Load() runs the start-up steps (reading Init.cfg and creating the station among them)
// and tells whether start-up failed (and why); the application then shows the settings dialog
// instead. Form_Unload() runs once, when the window closes for any reason (or is destroyed
// without having been shown).

#include "app/Station.h"
#include "config/StationConfig.h"
#include "config/forms/frmInit.h"
#include "spectrum/SpectrumPainter.h"

#include <QDateTime>
#include <QMainWindow>
#include <QPointer>

#include <functional>
#include <memory>
#include <optional>

class QAction;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QMessageBox;
class QPushButton;
class QRadioButton;

namespace veltrane::spectrum {
class SoundCardEngine;
class SpectrumPicture;
} // namespace veltrane::spectrum

namespace veltrane::app {

class frmKorvane : public QMainWindow
{
    Q_OBJECT

public:
    // soundDevice as the sound-device dialog chose it (99: no sound); `factory` makes the rig's
    // port; `engine` may be null (no sound engine at all); `now` gives the clock's current time.
    frmKorvane(
        int soundDevice, cat::TransportFactory factory, spectrum::SoundCardEngine *engine,
        std::function<QDateTime()> now = [] { return QDateTime::currentDateTime(); },
        QWidget *parent = nullptr);
    ~frmKorvane() override;

    // The start-up steps. Returns the reason when start-up failed (nothing on success).
    std::optional<QString> Form_Load();
    void Form_Unload();

    // The configuration read at start-up (what there was of it when the read failed).
    const config::StationConfig &stationConfig() const { return m_config; }
    // The serial control as the settings dialog shows it: the configured CAT= once start-up
    // handed it to the port (also when the port then failed to open), else port 1; the line
    // settings the port was given.
    config::SerialControlState serialControl() const;

    // The station, once start-up has read Init.cfg (null before, and when the read failed).
    Station *station() const { return m_station.get(); }
    spectrum::SpectrumPainter &painter() { return m_painter; }
    bool hookInstalled() const { return m_hookInstalled; }

    // Twips at the screen's logical DPI (1440 twips per inch).
    int twipsToPixels(double twips) const;
    double pixelsToTwips(int pixels) const;

    static QString titleFor(const config::StationConfig &config, const QString &portStatus);

    // The designed top-left corner, in twips, used when no saved position applies.
    static constexpr double kDesignedLeftTwips = 1800;
    static constexpr double kDesignedTopTwips = 1800;

signals:
    void resetRequested(); // the operator chose "再設定"

public slots:
    // The window's part of each tick (the station's Timer1_Timer): the clock, and the grid
    // without sound.
    void showTick();
    void Combo1_Click();
    void Command1_Click();
    void Command3_Click();
    void showImport(const aids::DecodeImport &imported);
    void Command4_Click();
    void Command5_Click();
    void Option1_Click(int index);
    void Option2_Click(int index);
    void Picture1_MouseDown(double xTwips, double widthTwips);
    void txtRigFreq_Change();

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void buildControls();
    void LoadWindowPos();
    void SaveWindowPos();
    void showLineError(const QString &message);
    void showStale(bool stale, const QDateTime &since);
    void paintSpectrum();

    const int m_soundDevice;
    cat::TransportFactory m_factory;
    spectrum::SoundCardEngine *m_engine;
    std::function<QDateTime()> m_now;
    config::StationConfig m_config;
    std::unique_ptr<Station> m_station;
    spectrum::SpectrumPainter m_painter;

    QGroupBox *m_frame1 = nullptr;
    QLineEdit *m_txtRigFreq = nullptr;
    QComboBox *m_combo1 = nullptr;
    QPushButton *m_command1 = nullptr;
    QPushButton *m_command3 = nullptr;
    QLineEdit *m_txtDeffF = nullptr;
    QPushButton *m_command5 = nullptr;
    QLineEdit *m_txtHis = nullptr;
    QPushButton *m_command4 = nullptr;
    QLabel *m_lbTime = nullptr;
    QRadioButton *m_option1[2] = {};
    QRadioButton *m_option2[2] = {};
    spectrum::SpectrumPicture *m_picture1 = nullptr;
    QAction *m_reset = nullptr;
    QPointer<QMessageBox> m_errorBox;

    int m_clockMode = 0;
    bool m_hookInstalled = false;
    bool m_unloaded = false;
};

} // namespace veltrane::app
