// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The station's configuration for one run, as Init.cfg gives it: read once at start-up and
// handed, as a value nobody changes, to whoever needs it (the station's link, the main window's
// title, the settings dialog). It holds the values and the small rules for reading them; the
// file's grammar is InitConfigFile's, and no I/O happens here.

#include "cat/RigFamily.h"
#include "config/ExtensionSettings.h"

#include <QString>

#include <optional>

namespace veltrane::config {

// What RIG= names: a family of the table, a number outside it (every CAT operation then sends
// nothing), or a text that is not a number (start-up refuses it). An absent RIG= is family 0.
struct RigChoice
{
    bool isNumber = true;
    const cat::RigCaps *caps = &cat::rigCaps(cat::RigFamily::YaesuText); // null outside the table

    // The family's RIG= code, or nothing.
    std::optional<int> code() const { return caps ? std::optional<int>(caps->code()) : std::nullopt; }
};

// RIG= as read, compared numerically (blanks around the number do not matter):
//   nothing -> family 0; " 2 " -> CI-V; "7" -> outside the table; "abc" or "" -> not a number
RigChoice parseRigCode(const std::optional<QString> &rigCode);

struct StationConfig
{
    QString workDir;                       // folder of Init.cfg and the position file
    QString myCall;                        // MYCALL=, upper-cased
    std::optional<QString> catPort;        // CAT=, trimmed; unset when absent
    std::optional<QString> rigCode;        // RIG=, as read; unset when absent
    std::optional<QString> serialSettings; // RS232C=, as read, e.g. "9600,N,8,1"
    QString icomAddressHex;                // ICOM=, as read, e.g. "74"
    QString controllerAddressHex;          // CONTROL=, as read, e.g. "45"
    RigChoice rig;                         // RIG= parsed
    ExtensionSettings extensions;          // the key lines after the nine

    // CAT is configured unless CAT= is the text "0" (an absent CAT= counts as configured).
    bool catEnabled() const { return catPort.value_or(QString()) != u"0"; }
};

} // namespace veltrane::config
