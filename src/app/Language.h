// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The language of the interface. Its texts are written in Japanese, with an English translation;
// the start-up reasons and other texts added in English have a Japanese one. Japanese locales and
// the C/POSIX locale get Japanese, every other locale English; the operator may force either.

#include <QCoreApplication>
#include <QStringList>
#include <QTranslator>

#include <optional>

namespace veltrane::app {

enum class UiLanguage { Japanese, English };

// From the locale's interface languages, most wanted first ("ja-JP", "de-DE", "C"), as
// QLocale::system().uiLanguages() gives them.
UiLanguage languageForLocale(const QStringList &uiLanguages);

// "ja" or "en" (either case); nothing for any other text.
std::optional<UiLanguage> parseLanguage(QStringView text);

// Installs the translation into `language` for every text created from now on, in place of the
// one installed before; gives the translator (the application's child; deleting it uninstalls
// it), or null when it cannot be loaded.
QTranslator *installTranslation(UiLanguage language);

} // namespace veltrane::app
