#include "config/ExtensionSettings.h"

#include <array>

namespace veltrane::config {

namespace {

// One extension key: its words, the first being the default, and where the setting lives as
// the index of a word.
struct KeyRule
{
    const char16_t *key;
    std::array<const char16_t *, 4> words; // unused entries null
    int (*get)(const ExtensionSettings &);
    void (*set)(ExtensionSettings &, int word);
};

constexpr std::array<KeyRule, 4> kKeys{{
    {u"DTR",
     {u"ON", u"OFF"},
     [](const ExtensionSettings &s) { return s.dtrOn ? 0 : 1; },
     [](ExtensionSettings &s, int w) { s.dtrOn = w == 0; }},
    {u"RTS",
     {u"OFF", u"ON"},
     [](const ExtensionSettings &s) { return s.rtsOn ? 1 : 0; },
     [](ExtensionSettings &s, int w) { s.rtsOn = w == 1; }},
    {u"FLOW",
     {u"NONE", u"XONXOFF", u"RTSCTS", u"BOTH"},
     [](const ExtensionSettings &s) { return int(s.flow); },
     [](ExtensionSettings &s, int w) { s.flow = FlowControl(w); }},
    {u"BANDMODE",
     {u"USB", u"KEEP"},
     [](const ExtensionSettings &s) { return s.bandPickSetsUsb ? 0 : 1; },
     [](ExtensionSettings &s, int w) { s.bandPickSetsUsb = w == 0; }},
}};

} // namespace

bool storeExtensionSetting(QStringView key, QStringView value, ExtensionSettings &settings)
{
    for (const KeyRule &rule : kKeys) {
        if (key != QStringView(rule.key))
            continue;
        const QStringView word = value.trimmed();
        for (int w = 0; w < int(rule.words.size()) && rule.words[size_t(w)]; ++w) {
            if (word.compare(QStringView(rule.words[size_t(w)]), Qt::CaseInsensitive) == 0)
                rule.set(settings, w);
        }
        return true;
    }
    return false;
}

QStringList extensionLines(const ExtensionSettings &settings)
{
    QStringList lines;
    for (const KeyRule &rule : kKeys) {
        if (const int w = rule.get(settings); w != 0)
            lines << QString::fromUtf16(rule.key) + u'=' + QString::fromUtf16(rule.words[size_t(w)]);
    }
    return lines;
}

} // namespace veltrane::config
