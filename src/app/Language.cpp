// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/Language.h"

#include <QPointer>
#include <QTranslator>

using namespace Qt::StringLiterals;

namespace veltrane::app {

UiLanguage languageForLocale(const QStringList &uiLanguages)
{
    const QString first = uiLanguages.value(0, u"C"_s);
    const bool japanese = first.startsWith(u"ja", Qt::CaseInsensitive) || first == u"C" ||
                          first == u"POSIX" || first.startsWith(u"C.") || first.isEmpty();
    return japanese ? UiLanguage::Japanese : UiLanguage::English;
}

std::optional<UiLanguage> parseLanguage(QStringView text)
{
    if (text.compare(u"ja", Qt::CaseInsensitive) == 0)
        return UiLanguage::Japanese;
    if (text.compare(u"en", Qt::CaseInsensitive) == 0)
        return UiLanguage::English;
    return std::nullopt;
}

QTranslator *installTranslation(UiLanguage language)
{
    static QPointer<QTranslator> installed;
    delete installed.data(); // a translator leaves the application as it goes
    auto *translator = new QTranslator(QCoreApplication::instance());
    const QString name = language == UiLanguage::Japanese ? u"veltrane_ja"_s : u"veltrane_en"_s;
    if (!translator->load(name, u":/i18n"_s) || !QCoreApplication::installTranslator(translator)) {
        delete translator;
        return nullptr;
    }
    return installed = translator;
}

} // namespace veltrane::app
