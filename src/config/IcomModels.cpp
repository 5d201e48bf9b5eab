// SPDX-License-Identifier: GPL-3.0-or-later
#include "config/IcomModels.h"

namespace veltrane::config {

QString icomAddressAt(int row)
{
    if (row < 0 || row >= int(kIcomModels.size()))
        return {};
    return QString::fromUtf16(kIcomModels[size_t(row)].address);
}

std::optional<int> icomModelForAddress(const QString &address)
{
    const QString wanted = address.trimmed();
    if (wanted.isEmpty())
        return std::nullopt;
    for (size_t i = 0; i < kIcomModels.size(); ++i) {
        if (wanted.compare(QStringView(kIcomModels[i].address), Qt::CaseInsensitive) == 0)
            return int(i);
    }
    return std::nullopt;
}

} // namespace veltrane::config
