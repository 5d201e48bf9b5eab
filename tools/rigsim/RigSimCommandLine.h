// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The rig simulator's command line: turns the arguments into emulator settings and pty
// options, or into a message saying which value was refused. Knows nothing of the pty.

#include "rigsim/PtyRig.h"
#include "rigsim/RigEmulator.h"

#include <QString>
#include <QStringList>

#include <optional>

namespace veltrane::rigsim {

struct RigSimCommandLine
{
    EmulatorSettings emulator;
    PtyRigOptions rig;
    // --tcp PORT: serve on 127.0.0.1:PORT instead of a pseudo-terminal (0 = any free port).
    std::optional<quint16> tcpPort;
    bool showHelp = false;
    QString helpText;
    QString error; // not empty: the arguments were refused, and this says why

    // arguments[0] is the program name. Examples:
    //   {"veltrane-rigsim", "--family", "2", "--civ-rig", "76", "--echo"}
    //       -> CI-V rig at 0x76, controller 0xE0, echo on
    //   {"veltrane-rigsim", "--freq", "abc"} -> error "--freq: ..."
    static RigSimCommandLine parse(const QStringList &arguments);
};

} // namespace veltrane::rigsim
