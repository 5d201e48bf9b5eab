// SPDX-License-Identifier: GPL-3.0-or-later
#include "spectrum/ClockText.h"

#include <QTimeZone>

using namespace Qt::StringLiterals;

namespace veltrane::spectrum {

QString longTimeFormatWithoutZone(const QLocale &locale)
{
    QString format = locale.timeFormat(QLocale::LongFormat);
    // Remove each run of t (time-zone name) with the blanks before it; leave quoted text alone.
    QString result;
    bool quoted = false;
    for (qsizetype i = 0; i < format.size(); ++i) {
        const QChar c = format.at(i);
        if (c == u'\'') {
            quoted = !quoted;
            result.append(c);
            continue;
        }
        if (!quoted && c == u't') {
            while (!result.isEmpty() && result.back().isSpace())
                result.chop(1);
            continue;
        }
        result.append(c);
    }
    return result.trimmed();
}

QString clockText(const QDateTime &now, int clockMode, const QLocale &locale)
{
    if (clockMode == 0) {
        const QDateTime local = now.toLocalTime();
        // Japanese: "2010/05/03  14:30:25J", the time with colons (the locale's own long format
        // reads "14時30分25秒"); elsewhere the locale's short date and long time.
        if (locale.language() == QLocale::Japanese)
            return local.toString(u"yyyy/MM/dd  H:mm:ss"_s) + u"J"_s;
        return locale.toString(local.date(), QLocale::ShortFormat) + u"  "_s +
               locale.toString(local.time(), longTimeFormatWithoutZone(locale)) + u"J"_s;
    }
    // Universal time straight from the clock, not the local time shifted by a fixed offset.
    const QDateTime utc = now.toUTC();
    return utc.date().toString(u"yyyy/MM/dd"_s) + u"  "_s + utc.time().toString(u"h:mm:ss"_s) + u"U"_s;
}

} // namespace veltrane::spectrum
