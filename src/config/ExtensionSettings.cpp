// SPDX-License-Identifier: GPL-3.0-or-later
#include "config/ExtensionSettings.h"

#include "config/TextNumber.h"

#include <array>
#include <cmath>

namespace veltrane::config {

namespace {

// One extension key: its words, the first being the default, and where the setting lives as
// the index of a word; or, for a key without words, its value as text (empty at the default)
// and how a value is taken (false: not one of its kind).
struct KeyRule
{
    const char16_t *key;
    std::array<const char16_t *, 4> words; // unused entries null
    int (*get)(const ExtensionSettings &);
    void (*set)(ExtensionSettings &, int word);
    QString (*text)(const ExtensionSettings &) = nullptr;
    bool (*setText)(ExtensionSettings &, QStringView) = nullptr;
};

const ExtensionSettings kDefaults;

constexpr std::array<KeyRule, 7> kKeys{{
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
    {u"DECODER",
     {u"OFF", u"ON"},
     [](const ExtensionSettings &s) { return s.decoderLink ? 1 : 0; },
     [](ExtensionSettings &s, int w) { s.decoderLink = w == 1; }},
    {u"DECODERHOST",
     {},
     nullptr,
     nullptr,
     [](const ExtensionSettings &s) {
         return s.decoderHost == kDefaults.decoderHost ? QString() : s.decoderHost;
     },
     [](ExtensionSettings &s, QStringView v) {
         if (v.isEmpty() || v.contains(u' '))
             return false; // whether it is an address the listener says
         s.decoderHost = v.toString();
         return true;
     }},
    {u"DECODERPORT",
     {},
     nullptr,
     nullptr,
     [](const ExtensionSettings &s) {
         return s.decoderPort == kDefaults.decoderPort ? QString() : QString::number(s.decoderPort);
     },
     [](ExtensionSettings &s, QStringView v) {
         const std::optional<double> port = wholeNumber(v);
         if (!port || *port < 1 || *port > 65535 || *port != std::floor(*port))
             return false;
         s.decoderPort = quint16(*port);
         return true;
     }},
}};

} // namespace

bool storeExtensionSetting(QStringView key, QStringView value, ExtensionSettings &settings)
{
    for (const KeyRule &rule : kKeys) {
        if (key != QStringView(rule.key))
            continue;
        const QStringView word = value.trimmed();
        if (rule.setText) {
            rule.setText(settings, word);
            return true;
        }
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
        if (rule.text) {
            if (const QString value = rule.text(settings); !value.isEmpty())
                lines << QString::fromUtf16(rule.key) + u'=' + value;
        } else if (const int w = rule.get(settings); w != 0)
            lines << QString::fromUtf16(rule.key) + u'=' + QString::fromUtf16(rule.words[size_t(w)]);
    }
    return lines;
}

} // namespace veltrane::config
