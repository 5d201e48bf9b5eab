#pragma once
// The program's first window (caption "サウンドーボードの選択"): the operator picks the sound input
// that carries the receiver audio, or no sound. The choice goes into the station state's
// soundDevice for this run only; nothing is stored.
//
// Rows are ordinals ("0", "1", ...) in the order of the input names the application passes
// (the system's audio inputs); each row's tooltip is the device's name.

#include "config/StationState.h"

#include <QStringList>
#include <QWidget>

class QComboBox;
class QPushButton;

namespace veltrane::config {

class frmSoundBoard : public QWidget
{
    Q_OBJECT

public:
    frmSoundBoard(StationState &state, const QStringList &inputDeviceNames, QWidget *parent = nullptr);

public slots:
    // 0 "設定完了": soundDevice from the list's text, deviceChosen(), then close.
    // 1 "中止": soundDevice 0, cancelled(), then close.
    void Command1_Click(int index);

signals:
    void deviceChosen();  // the application shows the main window; this dialog then closes itself
    void cancelled();

private:
    void Form_Load(const QStringList &inputDeviceNames);

    StationState &m_state;
    QComboBox *m_combo1 = nullptr;
};

}  // namespace veltrane::config
