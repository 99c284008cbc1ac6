#include "report/FieldDisplay.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <string>

namespace report {
namespace {

QChar firstSeparator(const QString& format, QChar fallback)
{
    for (QChar c : format) {
        if (!c.isLetterOrNumber() && c != QLatin1Char(' ') && c != QLatin1Char('\''))
            return c;
    }
    return fallback;
}

} // namespace

QChar dateSeparator(const QLocale& locale)
{
    return firstSeparator(locale.dateFormat(QLocale::ShortFormat), QLatin1Char('/'));
}

QChar timeSeparator(const QLocale& locale)
{
    return firstSeparator(locale.timeFormat(QLocale::ShortFormat), QLatin1Char(':'));
}

QString applyEditMask(const QString& mask, const QString& stored, const QLocale& locale)
{
    // Split off ";save;blank" (the last two unescaped semicolons).
    QString pattern = mask;
    bool saveLiterals = false;
    {
        QList<qsizetype> cuts;
        for (qsizetype i = 0; i < mask.size(); ++i) {
            if (mask[i] == QLatin1Char('\\')) {
                ++i;
                continue;
            }
            if (mask[i] == QLatin1Char(';'))
                cuts.append(i);
        }
        if (cuts.size() >= 2) {
            const qsizetype a = cuts[cuts.size() - 2];
            const qsizetype b = cuts[cuts.size() - 1];
            saveLiterals = mask.mid(a + 1, b - a - 1).trimmed() == QLatin1String("1");
            pattern = mask.left(a);
        } else if (cuts.size() == 1) {
            saveLiterals = mask.mid(cuts[0] + 1).trimmed() == QLatin1String("1");
            pattern = mask.left(cuts[0]);
        }
    }

    const QChar dateSep = dateSeparator(locale);
    const QChar timeSep = timeSeparator(locale);
    QString out;
    qsizetype next = 0;
    auto take = [&]() -> QChar {
        return next < stored.size() ? stored[next++] : QLatin1Char(' ');
    };
    for (qsizetype i = 0; i < pattern.size(); ++i) {
        QChar c = pattern[i];
        bool literal = true;
        if (c == QLatin1Char('\\') && i + 1 < pattern.size()) {
            c = pattern[++i];
        } else if (c == QLatin1Char('0') || c == QLatin1Char('9')) {
            literal = false;
        }
        if (!literal) {
            out += take();
            continue;
        }
        if (c == QLatin1Char('/'))
            c = dateSep;
        else if (c == QLatin1Char(':'))
            c = timeSep;
        out += c;
        if (saveLiterals)
            take();
    }
    return out;
}

QString formatAmount(double value, const QLocale& locale)
{
    if (!std::isfinite(value))
        return locale.toString(value);
    // The shortest decimal form that reads back as the value, in fixed notation, rounded to
    // cents on its digits: 1234.5 shows as 1.234,50 and 0.125 as 0,13.
    char buf[400];
    const auto result =
        std::to_chars(buf, buf + sizeof buf, std::fabs(value), std::chars_format::fixed);
    std::string digits(buf, result.ptr);
    const std::size_t point = digits.find('.');
    std::string whole = point == std::string::npos ? digits : digits.substr(0, point);
    std::string fraction = point == std::string::npos ? std::string() : digits.substr(point + 1);
    fraction.resize(std::max<std::size_t>(fraction.size(), 3), '0');
    std::string cents = whole + fraction.substr(0, 2);
    if (fraction[2] >= '5') {
        std::size_t i = cents.size();
        while (i > 0 && cents[i - 1] == '9')
            cents[--i] = '0';
        if (i == 0)
            cents.insert(cents.begin(), '1');
        else
            ++cents[i - 1];
    }
    whole = cents.substr(0, cents.size() - 2);
    const std::string decimals = cents.substr(cents.size() - 2);
    const std::size_t firstDigit = whole.find_first_not_of('0');
    whole = firstDigit == std::string::npos ? "0" : whole.substr(firstDigit);

    QString out;
    if (value < 0 && (whole != "0" || decimals != "00"))
        out += locale.negativeSign();
    const QString group = locale.groupSeparator();
    for (std::size_t i = 0; i < whole.size(); ++i) {
        if (i > 0 && (whole.size() - i) % 3 == 0)
            out += group;
        out += QLatin1Char(whole[i]);
    }
    out += locale.decimalPoint();
    out += QLatin1String(decimals.data(), static_cast<qsizetype>(decimals.size()));
    return out;
}

} // namespace report
