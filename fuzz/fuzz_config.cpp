// SPDX-License-Identifier: GPL-3.0-or-later
// libFuzzer target for the station's two text files and the dialogs' text readers: any bytes
// must end in a defined result, never a crash, a hang or a sanitizer report.

#include "config/CatAddress.h"
#include "config/InitConfigFile.h"
#include "config/SerialSettingsFields.h"
#include "config/SoundDeviceChoice.h"
#include "config/WindowPositionFile.h"

#include <QByteArray>
#include <QString>

#include <cmath>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray content(reinterpret_cast<const char *>(data), qsizetype(size));

    veltrane::config::StationConfig state;
    const auto result = veltrane::config::parseInitConfig(content, state);
    if (result != veltrane::config::ReadResult::Ok && result != veltrane::config::ReadResult::TooManyLines)
        std::abort();
    // Fewer than 100 line ends cannot make more than 100 lines.
    if (content.count('\r') + content.count('\n') < veltrane::config::kInitConfigMaxLines &&
        result != veltrane::config::ReadResult::Ok)
        std::abort();
    if (state.catPort && (state.catPort->startsWith(u' ') || state.catPort->endsWith(u' ')))
        std::abort();
    // RIG= is parsed with the rest: a number names a family or none, and the CAT= value names a
    // port or says why not.
    if (state.rig.caps && !state.rig.isNumber)
        std::abort();
    const auto kind = state.rig.caps ? state.rig.caps->port : veltrane::cat::PortKind::Device;
    const auto port = veltrane::config::parseCatAddress(state.catPort.value_or(QString()), kind);
    if (port.address.has_value() == !port.error.isEmpty())
        std::abort();

    const auto pos = veltrane::config::parseWindowPosition(content);
    if ((pos.top && !std::isfinite(*pos.top)) || (pos.left && !std::isfinite(*pos.left)))
        std::abort();

    const QString text = QString::fromUtf8(content);
    const int device = veltrane::config::soundDeviceFromText(text);
    if (device < -9 || device > 99)
        std::abort();
    const auto fields = veltrane::config::readSerialSettingsFields(text);
    if (fields.dataBits < 0 || fields.dataBits > 9 || fields.stopBits < 0 || fields.stopBits > 9)
        std::abort();
    return 0;
}
