// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/CommandLine.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QStandardPaths>

using namespace Qt::StringLiterals;

namespace veltrane::app {

namespace {

// Qt's own options, which QApplication takes from the same command line (a session manager
// restarts the program with -session ID, a user may pick -style or -platform): accepted here,
// left out of the help, and left to Qt.
struct QtOption
{
    const char16_t *name;
    bool takesValue;
};
constexpr QtOption kQtOptions[] = {{u"platform", true},        {u"platformpluginpath", true},
                                   {u"platformtheme", true},   {u"plugin", true},
                                   {u"qwindowgeometry", true}, {u"qwindowicon", true},
                                   {u"qwindowtitle", true},    {u"session", true},
                                   {u"display", true},         {u"geometry", true},
                                   {u"style", true},           {u"stylesheet", true},
                                   {u"reverse", false},        {u"widgetcount", false}};

} // namespace

CommandLine parseCommandLine(const QStringList &arguments)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(
        u"Veltrane drives the transceiver over CAT beside a JT65 decoder: the dial frequency, band "
        u"picks, a waterfall that retunes on a click, the decoder's calls and offsets."_s);
    const QCommandLineOption help({u"h"_s, u"help"_s}, u"Show this help and exit."_s);
    const QCommandLineOption version({u"v"_s, u"version"_s}, u"Show the version and exit."_s);
    const QCommandLineOption folder(u"folder"_s,
                                    u"Work in DIR (Init.cfg, MyVeltraneData.dat), created when missing; "
                                    u"default: the current folder."_s,
                                    u"dir"_s);
    const QCommandLineOption configHome(u"config-home"_s,
                                        u"Work in the per-user configuration folder, "
                                        u"$XDG_CONFIG_HOME/veltrane (~/.config/veltrane)."_s);
    const QCommandLineOption language(
        u"language"_s, u"The interface's language: ja or en (default: the locale's)."_s, u"ja|en"_s);
    const QCommandLineOption catLog(
        u"cat-log"_s, u"Log every CAT frame written and read, with the time, on standard error."_s);
    parser.addOptions({help, version, folder, configHome, language, catLog});
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions); // -platform as Qt spells it
    for (const QtOption &qt : kQtOptions) {
        QCommandLineOption option(QString::fromUtf16(qt.name), QString(),
                                  qt.takesValue ? u"value"_s : QString());
        option.setFlags(QCommandLineOption::HiddenFromHelp);
        parser.addOption(option);
    }

    CommandLine line;
    const auto fail = [&](const QString &why) {
        line.outcome = CommandLine::Outcome::Fail;
        line.message = why + u"\nTry 'veltrane --help'.\n"_s;
        return line;
    };
    if (!parser.parse(arguments))
        return fail(parser.errorText());
    if (!parser.positionalArguments().isEmpty())
        return fail(u"Unexpected argument: "_s + parser.positionalArguments().first());
    if (parser.isSet(help) || parser.isSet(version)) {
        line.outcome = CommandLine::Outcome::Exit;
        // Qt names the executable's path in the usage line; the program is started as veltrane.
        line.message = parser.isSet(help)
                           ? QString(u"Usage: veltrane [options]\n"_s + parser.helpText().section(u'\n', 1))
                           : QString(u"Veltrane "_s + QCoreApplication::applicationVersion() + u'\n');
        return line;
    }
    if (parser.isSet(folder) && parser.isSet(configHome))
        return fail(u"--folder and --config-home name two folders: give one."_s);
    if (parser.isSet(folder))
        line.folder = parser.value(folder);
    else if (parser.isSet(configHome))
        line.folder =
            QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + u"/veltrane"_s;
    if (parser.isSet(language)) {
        line.language = parseLanguage(parser.value(language));
        if (!line.language)
            return fail(u"--language takes ja or en, not \"%1\"."_s.arg(parser.value(language)));
    }
    line.catLog = parser.isSet(catLog);
    return line;
}

QString enterFolder(const QString &folder)
{
    if (folder.isEmpty())
        return {};
    if (!QDir().mkpath(folder))
        return u"The folder %1 cannot be created."_s.arg(folder);
    if (!QDir::setCurrent(folder))
        return u"The folder %1 cannot be entered."_s.arg(folder);
    return {};
}

} // namespace veltrane::app
