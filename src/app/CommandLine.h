// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The program's command line, read before any window exists (so --help and --version work
// without a display):
//   -h, --help            what follows, then exit
//   -v, --version         "Veltrane 1.05", then exit
//   --folder DIR          work in DIR (Init.cfg, MyVeltraneData.dat), created when missing;
//                         default: the current folder
//   --config-home         work in the per-user configuration folder, $XDG_CONFIG_HOME/veltrane
//                         (~/.config/veltrane), created on first start: the desktop entry's choice
//   --language ja|en      the interface's language instead of the locale's
//   --cat-log             every CAT frame written and read, on standard error
// Qt's own options (-platform NAME, -style NAME, -session ID, -reverse, ...) are accepted and
// left to QApplication, which reads them from the same command line.

#include "app/Language.h"

#include <QString>
#include <QStringList>

#include <optional>

namespace veltrane::app {

struct CommandLine
{
    enum class Outcome { Run, Exit, Fail };
    Outcome outcome = Outcome::Run;
    QString message; // printed before exiting: help or version on standard output, an error on standard error
    QString folder;  // the working folder; empty: the current one
    std::optional<UiLanguage> language;
    bool catLog = false;
};

// `arguments` as the process got them, the program's name first.
CommandLine parseCommandLine(const QStringList &arguments);

// Makes `folder` the working folder, creating it first; the reason when it cannot, else empty.
QString enterFolder(const QString &folder);

} // namespace veltrane::app
