// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Names every control gets as it is created, so operators with a screen reader and test tools
// find it: the accessible name is what the operator sees (a caption, or the text of the label
// beside a box), the accessible description is the control's own name (its objectName, such as
// "Text1" or "Baud96"), a key that stays stable when captions change.

#include <QString>

class QLabel;
class QWidget;

namespace veltrane::config {

// Sets objectName, accessible name and accessible description; returns w for chaining.
template <typename W> W *tagControl(W *w, const QString &objectName, const QString &visibleName);

void tagWidget(QWidget *w, const QString &objectName, const QString &visibleName);

// A label naming a box: the label points at the box (setBuddy) and both carry the label's text
// as their accessible name.
void tagLabelledBox(QLabel *label, const QString &labelName, QWidget *box, const QString &boxName);

template <typename W> W *tagControl(W *w, const QString &objectName, const QString &visibleName)
{
    tagWidget(w, objectName, visibleName);
    return w;
}

} // namespace veltrane::config
