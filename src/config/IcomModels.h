// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The ICOM models offered by the settings dialog and their factory CI-V addresses (hexadecimal
// text, as written after ICOM= in Init.cfg).

#include <QString>
#include <QStringView>

#include <array>
#include <optional>

namespace veltrane::config {

struct IcomModel
{
    const char16_t *name;
    const char16_t *address;
};

// In list order. IC756ProIII and IC756ProII share the address 64.
inline constexpr std::array<IcomModel, 9> kIcomModels{{
    {u"IC7800", u"6A"},
    {u"IC7700", u"74"},
    {u"IC7600", u"7A"},
    {u"IC7410", u"80"},
    {u"IC7400", u"66"},
    {u"IC756ProIII", u"64"},
    {u"IC756ProII", u"64"},
    {u"IC7756Pro", u"5C"},
    {u"IC9100", u"7C"},
}};

// Row shown before any choice: IC7700 with 74.
inline constexpr int kDefaultIcomModel = 1;

// Address of the model at a list row, empty for a row outside the table: icomAddressAt(6) == "64".
QString icomAddressAt(int row);

// First row whose address equals the text (case-insensitive, blanks ignored), or nothing:
// icomModelForAddress(u"74") == 1, icomModelForAddress(u"64") == 5, icomModelForAddress(u"01") == nullopt.
std::optional<int> icomModelForAddress(const QString &address);

} // namespace veltrane::config
