// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The band list's seven JT65 dial frequencies and the frames that band selection and the
// reference button send for them. Frames come from the one set-frequency builder of the codec;
// this file only adds which band means which frequency, and which frames each operation sends.

#include "cat/RigFamily.h"

#include <QStringList>
#include <QStringView>

#include <optional>

namespace veltrane::aids {

// The band list's items, in list order: "7MHz", "14MHz", "18MHz", "21MHz", "24MHz", "28MHz",
// "50MHz".
QStringList bandItems();

// The band list's text at start-up: "14MHz".
QString initialBandItem();

// Band selection: the family's upper-sideband mode frame, then its set-frequency frame.
//   Yaesu, "21MHz" -> "MD02;", "FA21076000;"
//   CI-V (rig 74, controller 45), "21MHz" -> FE FE 74 45 06 01 FD | FE FE 74 45 05 |
//                                           00 60 07 21 00 | FD
//   rigctld, "21MHz" -> "M USB 0\n", "F 21076000\n"
// Nothing for a text that is not an item. Without setUsb (the operator keeps the rig's mode) the
// mode frame is left out.
cat::Writes bandSelectionWrites(const cat::RigCaps &rig, QStringView itemText, const cat::Framing &civ,
                                bool setUsb = true);

// Reference button: the set-frequency frame alone, no mode frame.
//   CI-V, "14MHz" -> FE FE 74 45 05 | 00 60 07 14 00 | FD
// A family without a reference frame on every band (the Yaesu and Kenwood text families) has
// none for "50MHz": nothing is sent then.
cat::Writes referenceWrites(const cat::RigCaps &rig, QStringView itemText, const cat::Framing &civ);

} // namespace veltrane::aids
