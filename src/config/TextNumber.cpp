// SPDX-License-Identifier: GPL-3.0-or-later
#include "config/TextNumber.h"

#include <charconv>
#include <cmath>
#include <string>

namespace veltrane::config {

namespace {

// The C reading of a number text (digits, one full stop, an optional sign first), whatever the
// locale; nothing when the text is not wholly such a number.
std::optional<double> cNumber(std::string_view s)
{
    if (!s.empty() && s.front() == '+')
        s.remove_prefix(1);
    double v = 0.0;
    const auto [end, error] = std::from_chars(s.data(), s.data() + s.size(), v, std::chars_format::fixed);
    if (error != std::errc() || end != s.data() + s.size() || !std::isfinite(v))
        return std::nullopt;
    return v;
}

} // namespace

double leadingNumber(QStringView text)
{
    qsizetype i = 0;
    const qsizetype n = text.size();
    while (i < n && (text[i] == u' ' || text[i] == u'\t'))
        ++i;

    std::string digits;
    if (i < n && (text[i] == u'-' || text[i] == u'+'))
        digits += char(text[i++].unicode());
    bool seenDigit = false;
    bool seenPoint = false;
    for (; i < n; ++i) {
        const char16_t c = text[i].unicode();
        if (c >= u'0' && c <= u'9') {
            digits += char(c);
            seenDigit = true;
        } else if (c == u'.' && !seenPoint) {
            digits += '.';
            seenPoint = true;
        } else {
            break;
        }
        if (digits.size() > 400) // longer than any double needs; the rest changes nothing
            break;
    }
    if (!seenDigit)
        return 0.0;
    return cNumber(digits).value_or(0.0);
}

std::optional<double> wholeNumber(QStringView text)
{
    const QStringView t = text.trimmed();
    if (t.isEmpty())
        return std::nullopt;
    std::string s;
    s.reserve(size_t(t.size()));
    for (QChar c : t) {
        const char16_t u = c.unicode();
        const bool allowed = (u >= u'0' && u <= u'9') || u == u'.' || u == u'-' || u == u'+';
        if (!allowed)
            return std::nullopt;
        s += char(u);
    }
    return cNumber(s);
}

QString signedNumberText(double value)
{
    if (!std::isfinite(value))
        value = 0.0;
    // Single precision, as the window position is kept: up to 7 significant digits.
    QString digits = QString::number(double(float(value)), 'g', 7);
    if (digits.contains(u'e')) {
        digits = QString::number(double(float(value)), 'f', 7);
        while (digits.contains(u'.') && (digits.endsWith(u'0') || digits.endsWith(u'.')))
            digits.chop(1);
    }
    if (digits == u"-0")
        digits = QStringLiteral("0");
    return digits.startsWith(u'-') ? digits : QStringLiteral(" ") + digits;
}

} // namespace veltrane::config
