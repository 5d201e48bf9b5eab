// SPDX-License-Identifier: GPL-3.0-or-later
#include "config/forms/frmSoundBoard.h"

#include "config/SoundDeviceChoice.h"
#include "config/forms/ControlTags.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include <array>

using namespace Qt::StringLiterals;

namespace veltrane::config {

namespace {

constexpr std::array<const char *, 2> kCommandCaptions{
    QT_TRANSLATE_NOOP("veltrane::config::frmSoundBoard", "設定完了"),
    QT_TRANSLATE_NOOP("veltrane::config::frmSoundBoard", "中止")};

} // namespace

frmSoundBoard::frmSoundBoard(const QStringList &inputDeviceNames, QWidget *parent)
    : QWidget(parent, Qt::Window)
{
    setObjectName(u"frmSoundBoard"_s);
    setWindowTitle(tr("サウンドーボードの選択"));
    setAttribute(Qt::WA_DeleteOnClose);

    auto *top = new QVBoxLayout(this);
    auto *row = new QHBoxLayout;
    top->addLayout(row);
    auto *label = new QLabel(tr("サウンドデバイス"), this);
    m_combo1 = new QComboBox(this);
    m_combo1->setEditable(true);
    m_combo1->setInsertPolicy(QComboBox::NoInsert);
    m_combo1->setCompleter(nullptr);
    m_combo1->setMinimumContentsLength(16);
    tagLabelledBox(label, u"lblDevice"_s, m_combo1, u"Combo1"_s);
    row->addWidget(label);
    row->addWidget(m_combo1, 1);

    auto *buttons = new QHBoxLayout;
    top->addLayout(buttons);
    for (int i = 0; i < int(kCommandCaptions.size()); ++i) {
        const QString caption = tr(kCommandCaptions[size_t(i)]);
        auto *button =
            tagControl(new QPushButton(caption, this), u"Command1_"_s + QString::number(i), caption);
        buttons->addWidget(button);
        connect(button, &QPushButton::clicked, this, [this, i] { Command1_Click(i); });
    }

    Form_Load(inputDeviceNames);
}

void frmSoundBoard::Form_Load(const QStringList &inputDeviceNames)
{
    const QStringList rows = soundDeviceRows(int(inputDeviceNames.size()));
    m_combo1->addItems(rows);
    // Numbered rows sit between "-1 Default" and the last row; their tooltip names the device.
    for (int i = 0; i < int(inputDeviceNames.size()); ++i)
        m_combo1->setItemData(i + 1, inputDeviceNames[i], Qt::ToolTipRole);
    m_combo1->setCurrentIndex(-1);
    m_combo1->setEditText(soundDeviceDesignedText());
}

void frmSoundBoard::Command1_Click(int index)
{
    if (index == 0)
        emit deviceChosen(soundDeviceFromText(m_combo1->currentText()));
    else
        emit cancelled();
    close();
}

} // namespace veltrane::config
