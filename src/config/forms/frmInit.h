// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The station settings dialog (caption "初期設定"): shows the configuration the running system
// uses (the main window's serial control and the configuration read at start-up) and saves it
// to Init.cfg.
// Saving changes nothing in the running system; the operator is asked to start again.
//
// The dialog maps controls to and from InitDialogState and InitConfig; the file's text rules
// are InitConfigFile's. It never blocks in a nested event loop: its message boxes are opened
// window-modal and the dialog continues in their finished signal.

#include "config/InitConfigFile.h"
#include "config/StationConfig.h"

#include <QPointer>
#include <QString>
#include <QWidget>

#include <array>
#include <optional>
#include <vector>

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QMessageBox;
class QPushButton;
class QRadioButton;

namespace veltrane::config {

// The main window's serial control as the dialog reads it.
struct SerialControlState
{
    QString port = QStringLiteral("1");              // as CAT= gave it: "3", "/dev/ttyUSB0"
    QString settings = QStringLiteral("9600,N,8,1"); // speed, parity, data bits, stop bits
    int handshaking = 0;                             // 0 none, 1 Xon/Xoff, 2 RTS/CTS, 3 both
};

// The dialog's choices; the application keeps them for the whole run, so a second opening
// starts from what the first left (until its load overwrites them).
struct InitDialogState
{
    std::optional<int> port;                  // ComPort option 1..8
    QString portName;                         // a device typed or picked instead of a numbered port
    QString baud, parity, dataBits, stopBits; // empty until chosen
    QString flow;                             // flow-control option: "0" none .. "3" both
    QString dtr, rts;                         // control line after open: "1" on, "0" off
    QString bandMode;                         // band pick: "1" sets USB, "0" keeps the mode
    std::optional<int> rigCode;               // Option1 index: the family's RIG= code
    std::optional<QString> icomAddress;       // Text2 as last edited in this run
};

class frmInit : public QWidget
{
    Q_OBJECT

public:
    // `config` is what start-up read (its workDir is where Save writes Init.cfg).
    frmInit(const StationConfig &config, const SerialControlState &serial, InitDialogState &dialogState,
            QWidget *parent = nullptr);
    ~frmInit() override;

    // One line saying why start-up failed; an empty reason hides it.
    void setStartupFailure(const QString &reason);

    // Why the decoder link could not listen at start-up, shown under its settings; empty hides it.
    void setDecoderLinkProblem(const QString &reason);

    // What Save writes, from the controls and the dialog state.
    InitConfig currentConfig() const;

    // Why the device field cannot be saved as a network address, or empty: checked when the
    // rigctld option is chosen (HOST, HOST:PORT or tcp://HOST[:PORT]) or the field begins with
    // tcp:// (tcp://HOST:PORT). The reason is shown under the field, and Save refuses it.
    QString addressProblem() const;

public slots:
    void Command1_Click();         // Save
    void Option1_Click(int index); // rig choice
    void Combo1_Click();           // ICOM model picked from the list
    void Text2_Change();           // ICOM address edited

signals:
    // After a successful save and the operator's OK on the message box; the dialog then closes.
    void saved();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void buildControls();
    void Form_Load(const SerialControlState &serial);
    void selectComPort(int index);
    void portDeviceEdited(const QString &text);
    void uncheckPortOptions();
    void showSaveFailure(const QString &reason);
    void showAddressProblem();
    // Save also refuses a decoder link turned on without an address or a port.
    QString decoderFieldsProblem() const;
    void showRtsChoice();

    const StationConfig m_config;
    InitDialogState &m_dialog;

    QLabel *m_lblReason = nullptr;
    QLabel *m_lblFolder = nullptr; // says when Save cannot write the working folder
    QLineEdit *m_text1 = nullptr;
    QPushButton *m_command1 = nullptr;
    std::vector<QRadioButton *> m_option1; // one per rig family, by RIG= code
    QComboBox *m_combo1 = nullptr;
    QLineEdit *m_text2 = nullptr;
    QLineEdit *m_text3 = nullptr;
    std::array<QRadioButton *, 9> m_comPort{}; // indexes 1..8 used
    QComboBox *m_portDevice = nullptr;
    QLabel *m_lblAddress = nullptr;
    QGroupBox *m_rtsGroup = nullptr;
    QCheckBox *m_chkDecoderLink = nullptr;
    QLineEdit *m_txtDecoderHost = nullptr;
    QLineEdit *m_txtDecoderPort = nullptr;
    QLabel *m_lblDecoderLink = nullptr;
    QPointer<QMessageBox> m_box;
    QObject *m_combo1Edit = nullptr; // compared only, never used through
};

} // namespace veltrane::config
