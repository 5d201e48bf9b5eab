// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The program's first window (caption "サウンドーボードの選択"): the operator picks the sound input
// that carries the receiver audio, or no sound. The choice is handed on for this run only;
// nothing is stored.
//
// Rows are ordinals ("0", "1", ...) in the order of the input names the application passes
// (the system's audio inputs); each row's tooltip is the device's name.

#include <QStringList>
#include <QWidget>

class QComboBox;
class QPushButton;

namespace veltrane::config {

class frmSoundBoard : public QWidget
{
    Q_OBJECT

public:
    explicit frmSoundBoard(const QStringList &inputDeviceNames, QWidget *parent = nullptr);

public slots:
    // 0 "設定完了": deviceChosen() with the device number of the list's text, then close.
    // 1 "中止": cancelled(), then close.
    void Command1_Click(int index);

signals:
    // -1 default input, 0.. a listed input, 99 no sound; the application shows the main window,
    // and this dialog then closes itself.
    void deviceChosen(int soundDevice);
    void cancelled();

private:
    void Form_Load(const QStringList &inputDeviceNames);

    QComboBox *m_combo1 = nullptr;
};

} // namespace veltrane::config
