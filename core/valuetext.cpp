#include "core/valuetext.h"

#include <charconv>
#include <cmath>
#include <utility>

namespace mensurio {

std::optional<double> readValue(const QString& text, const QLocale& locale)
{
    // The program writes no grouping, so it reads none: a group separator never makes a
    // text a number ("1.000" is never a thousand, nor "1,5" fifteen). "." is a decimal
    // point in every locale, since the "00" rule writes "0." and a Latin keyboard types
    // it, and so is "," wherever it is not the group separator. Both stand for the
    // locale's own sign in the locale's reading (which also takes its digits), and for "."
    // in the C reading (which takes the "E" of the exponent form the program writes).
    const QString point = locale.decimalPoint();
    const bool commaIsPoint = locale.groupSeparator() != QLatin1String(",");
    QString local = text;
    QString plain = text;
    local.replace(QLatin1Char('.'), point);
    if (commaIsPoint) {
        local.replace(QLatin1Char(','), point);
        plain.replace(QLatin1Char(','), QLatin1Char('.'));
    }
    plain.replace(point, QLatin1String("."));
    QLocale byLocale = locale;
    byLocale.setNumberOptions(locale.numberOptions() | QLocale::RejectGroupSeparator);
    static const QLocale c = [] {
        QLocale plainC = QLocale::c();
        plainC.setNumberOptions(QLocale::RejectGroupSeparator);
        return plainC;
    }();
    for (const auto& [reading, candidate] : {std::pair(byLocale, local), std::pair(c, plain)}) {
        bool ok = false;
        const double value = reading.toDouble(candidate, &ok);
        // Qt reports an overflow either as a failure or as an infinity depending on the
        // version; both mean the text names no double.
        if (ok)
            return std::isfinite(value) ? std::optional<double>(value) : std::nullopt;
    }
    return std::nullopt;
}

std::optional<QString> writeValue(double value, const QLocale& locale)
{
    if (!std::isfinite(value))
        return std::nullopt;
    // A negative zero (typed "-0", or a tiny negative product) still reads as plain zero.
    if (value == 0.0)
        return QStringLiteral("0");
    // Above this, 15 significant digits round to 1.79769313486232E+308, which lies beyond
    // the double range and could not be read back; those few values are rounded down.
    constexpr double largestReadable = 1.79769313486231e308;
    if (std::fabs(value) > largestReadable)
        value = std::copysign(largestReadable, value);
    // The general format with precision 15 is exactly the form wanted: 15 significant
    // digits, trailing zeros dropped, and the exponent form "1E+15" / "1E-05" outside
    // 1E-05 <= |x| < 1E+15. to_chars ignores the C locale that QApplication sets.
    char buffer[40];
    const auto [end, error] =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, 15);
    if (error != std::errc())
        return std::nullopt;
    QString text = QString::fromLatin1(buffer, end - buffer).toUpper();
    text.replace(QLatin1Char('.'), locale.decimalPoint());
    return text;
}

} // namespace mensurio
