// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Serial devices offered beside the numbered ports in the settings dialog. Reads folders only;
// opens no device.

#include <QString>
#include <QStringList>

namespace veltrane::config {

// Device paths under devDir ("/dev" on the system), in this order, without duplicates:
//   1. every entry of devDir/serial/by-id (stable names of USB adapters, sorted by name);
//   2. devDir/ttyUSB* and devDir/ttyACM* (sorted by name).
// e.g. {"/dev/serial/by-id/usb-FTDI_FT232R-if00-port0", "/dev/ttyACM0", "/dev/ttyUSB0"}.
// A missing folder contributes nothing.
QStringList serialDeviceNames(const QString &devDir);

} // namespace veltrane::config
