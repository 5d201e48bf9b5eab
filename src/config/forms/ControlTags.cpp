// SPDX-License-Identifier: GPL-3.0-or-later
#include "config/forms/ControlTags.h"

#include <QLabel>
#include <QWidget>

namespace veltrane::config {

void tagWidget(QWidget *w, const QString &objectName, const QString &visibleName)
{
    w->setObjectName(objectName);
    w->setAccessibleName(visibleName);
    w->setAccessibleDescription(objectName);
}

void tagLabelledBox(QLabel *label, const QString &labelName, QWidget *box, const QString &boxName)
{
    tagWidget(label, labelName, label->text());
    label->setBuddy(box);
    tagWidget(box, boxName, label->text());
}

} // namespace veltrane::config
