// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The rows of the sound device list and the reading of the number the operator chose. The list
// shows ordinals only; which device an ordinal names is the order of the system's inputs.

#include <QString>
#include <QStringList>

namespace veltrane::config {

inline constexpr int kSoundDeviceDefault = -1;
inline constexpr int kSoundDeviceNone = 99;

// Rows for deviceCount inputs: "-1 Default", "0", "1", ..., deviceCount - 1,
// "99 サウンドは使用しない". soundDeviceRows(2) == {"-1 Default", "0", "1", "99 サウンドは使用しない"};
// a count below 1 gives just the two fixed rows.
QStringList soundDeviceRows(int deviceCount);

// Text the list shows before anything is chosen: "-1  Default" (two blanks).
QString soundDeviceDesignedText();

// The device number in the list's text: the first two characters, blanks around them removed,
// read as a leading number (none gives 0).
//   "-1  Default" -> -1, "99 サウンドは使用しない" -> 99, "5" -> 5, "105" -> 10, "abc" -> 0
int soundDeviceFromText(const QString &comboText);

} // namespace veltrane::config
