#pragma once
// The station's working window: rig frequency display and band list, call import and
// frequency set, call-sign lookup, clock, and the spectrum picture. It wires its controls to
// the rig link (CatLink), the operating aids and the spectrum painter; it holds no frame or
// parsing rules of its own.
//
// Form_Load() runs the start-up steps and tells whether start-up failed (and why); the
// application then shows the settings dialog instead. Form_Unload() runs once, when the window
// closes for any reason (or is destroyed without having been shown).

#include "cat/CatLink.h"
#include "config/StationState.h"
#include "spectrum/SpectrumPainter.h"

#include <QDateTime>
#include <QMainWindow>
#include <QPointer>
#include <QTimer>

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
}  // namespace veltrane::spectrum

namespace veltrane::app {

class frmKorvane : public QMainWindow
{
    Q_OBJECT

public:
    // `engine` may be null (no sound engine at all); `now` gives the clock's current time.
    frmKorvane(config::StationState &state, cat::SerialPort &port, spectrum::SoundCardEngine *engine,
               std::function<QDateTime()> now = [] { return QDateTime::currentDateTime(); },
               QWidget *parent = nullptr);
    ~frmKorvane() override;

    // The start-up steps. Returns the reason when start-up failed (nothing on success).
    std::optional<QString> Form_Load();
    void Form_Unload();

    // The serial control's port as the settings dialog shows it: CAT= as given, "1" by default.
    QString commPortValue() const { return m_commPortValue; }

    cat::CatLink &link() { return *m_link; }
    spectrum::SpectrumPainter &painter() { return m_painter; }
    bool hookInstalled() const { return m_hookInstalled; }

    // Twips at the screen's logical DPI (1440 twips per inch).
    int twipsToPixels(double twips) const;
    double pixelsToTwips(int pixels) const;

    static QString titleFor(const config::StationState &state);

    // The designed top-left corner, in twips, used when no saved position applies.
    static constexpr double kDesignedLeftTwips = 1800;
    static constexpr double kDesignedTopTwips = 1800;

signals:
    void resetRequested();  // the operator chose "再設定"

public slots:
    void Timer1_Timer();
    void Combo1_Click();
    void Command1_Click();
    void Command3_Click();
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
    void showFrequency(double khz);
    void showLineError(const QString &message);
    void paintSpectrum();

    config::StationState &m_state;
    cat::SerialPort &m_port;
    spectrum::SoundCardEngine *m_engine;
    std::function<QDateTime()> m_now;
    cat::CatLink *m_link = nullptr;
    spectrum::SpectrumPainter m_painter;
    QTimer *m_timer1 = nullptr;

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

    QString m_commPortValue = QStringLiteral("1");
    int m_clockMode = 0;
    bool m_hookInstalled = false;
    bool m_engineStarted = false;
    bool m_unloaded = false;
};

}  // namespace veltrane::app
