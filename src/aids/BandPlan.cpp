// SPDX-License-Identifier: GPL-3.0-or-later
#include "aids/BandPlan.h"

#include <array>

namespace veltrane::aids {

namespace {

struct Band
{
    const char16_t *item;
    qint64 dialHz;
    bool textReference; // the text dialects have a reference frame for this band
};

constexpr std::array<Band, 7> kBands = {{
    {u"7MHz", 7'026'000, true},
    {u"14MHz", 14'076'000, true},
    {u"18MHz", 18'102'000, true},
    {u"21MHz", 21'076'000, true},
    {u"24MHz", 24'920'000, true},
    {u"28MHz", 28'076'000, true},
    {u"50MHz", 50'330'000, false},
}};

constexpr qsizetype kInitialBand = 1; // "14MHz"

const Band *findBand(QStringView itemText)
{
    for (const Band &band : kBands) {
        if (itemText == QStringView(band.item))
            return &band;
    }
    return nullptr;
}

} // namespace

QStringList bandItems()
{
    QStringList items;
    items.reserve(qsizetype(kBands.size()));
    for (const Band &band : kBands)
        items << QString::fromUtf16(band.item);
    return items;
}

QString initialBandItem()
{
    return QString::fromUtf16(kBands[kInitialBand].item);
}

cat::Writes bandSelectionWrites(const cat::RigCaps &rig, QStringView itemText, const cat::Framing &civ,
                                bool setUsb)
{
    const Band *band = findBand(itemText);
    if (!band)
        return {};
    return (setUsb ? rig.modeUsb(civ) : cat::Writes{}) + rig.setFrequencyWrites(band->dialHz, civ);
}

cat::Writes referenceWrites(const cat::RigCaps &rig, QStringView itemText, const cat::Framing &civ)
{
    const Band *band = findBand(itemText);
    if (!band || (!rig.referenceOnEveryBand && !band->textReference))
        return {};
    return rig.setFrequencyWrites(band->dialHz, civ);
}

} // namespace veltrane::aids
