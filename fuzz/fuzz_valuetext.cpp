// libFuzzer target over value text: reading, writing and converting in locales with other
// decimal signs, minus signs, digits and exponent symbols than "C".
//
// Input: byte 0 picks the locale, byte 1 the pair, byte 2 the direction, bytes 3-10 are a
// raw double to write, the rest is UTF-8 text to read and convert. Every check below is a
// promise of the value-text rules; a broken one aborts, so libFuzzer keeps the input.
#include "core/catalogue.h"
#include "core/valuetext.h"

#include <QLocale>
#include <QString>

#include <array>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <optional>

using namespace mensurio;

namespace {

void check(bool holds, const char* promise, const QString& text = QString())
{
    if (holds)
        return;
    std::fprintf(stderr, "broken: %s [%s]\n", promise, text.toUtf8().constData());
    std::abort();
}

// Decimal comma, Arabic decimal sign with Arabic-Indic digits and a two-character minus,
// Persian "×۱۰^" exponent, U+2212 minus, apostrophe grouping, Bengali digits.
const std::array<QLocale, 10>& locales()
{
    static const std::array<QLocale, 10> all = {
        QLocale::c(),
        QLocale(QStringLiteral("en_US")),
        QLocale(QStringLiteral("de_DE")),
        QLocale(QStringLiteral("sv_SE")),
        QLocale(QStringLiteral("fr_FR")),
        QLocale(QStringLiteral("ar_EG")),
        QLocale(QStringLiteral("fa_IR")),
        QLocale(QStringLiteral("de_CH")),
        QLocale(QStringLiteral("bn_BD")),
        QLocale(QStringLiteral("he_IL")),
    };
    return all;
}

// Written text is -?digits[sign digits][E(+|-)digits]: at most 15 significant digits, no
// grouping, no trailing zero after the decimal sign, a two-digit exponent at least.
void checkWrittenShape(const QString& text, const QString& decimalSign)
{
    qsizetype i = text.startsWith(QLatin1Char('-')) ? 1 : 0;
    int significant = 0;
    int digits = 0;
    bool leading = true;
    QChar last;
    bool fraction = false;
    for (; i < text.size() && text[i] != QLatin1Char('E'); ++i) {
        const QChar c = text[i];
        if (text.mid(i, decimalSign.size()) == decimalSign && !fraction && digits > 0) {
            fraction = true;
            i += decimalSign.size() - 1;
            last = QChar();
            continue;
        }
        check(c >= QLatin1Char('0') && c <= QLatin1Char('9'), "only ASCII digits", text);
        ++digits;
        if (c != QLatin1Char('0'))
            leading = false;
        if (!leading)
            ++significant;
        last = c;
    }
    check(digits > 0, "a digit before the exponent", text);
    check(significant <= 15, "at most 15 significant digits", text);
    check(!fraction || (last != QLatin1Char('0') && !last.isNull()),
          "no trailing zero or bare decimal sign", text);
    if (i < text.size()) {
        const QString exponent = text.mid(i + 1);
        check(exponent.size() >= 3 &&
                  (exponent[0] == QLatin1Char('+') || exponent[0] == QLatin1Char('-')),
              "signed exponent", text);
        for (qsizetype j = 1; j < exponent.size(); ++j)
            check(exponent[j].isDigit() && exponent[j].unicode() < 128, "exponent digits", text);
    }
}

// Fifteen significant digits lose at most half a unit in the fifteenth digit, 5e-15 of the
// value; reading back adds up to half an ulp (1.1e-16 of it), and below the normal range
// the grid is denorm_min.
bool within15Digits(double written, double reread)
{
    const double tolerance =
        5.2e-15 * std::fabs(written) + std::numeric_limits<double>::denorm_min();
    return std::fabs(written - reread) <= tolerance;
}

// Writes x and reads the text back in the same locale.
void checkWriteRead(double x, const QLocale& locale)
{
    const std::optional<QString> text = writeValue(x, locale);
    check(text.has_value() == std::isfinite(x), "text exactly for finite values");
    if (!text)
        return;
    checkWrittenShape(*text, locale.decimalPoint());
    check(text->startsWith(QLatin1Char('-')) == (x < 0), "minus exactly for negatives", *text);
    const std::optional<double> back = readValue(*text, locale);
    check(back.has_value(), "written text reads back", *text);
    check(within15Digits(x, *back), "reread within 15 digits", *text);
    // A decimal of 15 significant digits survives the trip through a double (DBL_DIG), so
    // writing the reread value gives the same text, unless the grid is the subnormal one.
    if (std::fabs(*back) >= std::numeric_limits<double>::min() || *back == 0.0)
        check(writeValue(*back, locale) == text, "rewrite gives the same text", *text);
}

// Pairs whose two formulas are exact inverses on paper: the trip there and back returns
// the value up to the rounding of the written middle result and of the arithmetic.
void checkRoundTrip(const UnitPair& pair, Direction direction, double x, const QLocale& locale)
{
    double offset = 0.0;
    switch (pair.id) {
    case PairId::Weight2:
        break;
    case PairId::Temp1:
        offset = 32.0;
        break;
    case PairId::Temp2:
        offset = 460.0;
        break;
    case PairId::Temp3:
        offset = 273.15;
        break;
    default:
        return;
    }
    const bool forward = direction == Direction::Forward;
    const std::optional<QString> there = convert(pair, direction, *writeValue(x, locale), locale);
    if (!there)
        return; // beyond the range of a double
    const std::optional<double> middle = readValue(*there, locale);
    check(middle.has_value(), "converted text reads back", *there);
    const Conversion& back = forward ? pair.backward : pair.forward;
    const double returned = back.apply(*middle);
    if (!std::isfinite(returned))
        return;
    const double scale = std::fabs(x) + 2 * std::fabs(*middle) + offset;
    check(std::fabs(returned - x) <= 2e-14 * scale + 1e-300, "round trip", *there);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 11)
        return 0;
    const QLocale& locale = locales()[data[0] % locales().size()];
    const UnitPair& pair = catalogue()[data[1] % pairCount];
    const Direction direction = data[2] & 1 ? Direction::Backward : Direction::Forward;
    double raw = 0;
    std::memcpy(&raw, data + 3, sizeof raw);
    const QString text = QString::fromUtf8(reinterpret_cast<const char*>(data + 11),
                                           static_cast<qsizetype>(size - 11));

    checkWriteRead(raw, locale);

    const std::optional<double> value = readValue(text, locale);
    check(!value || std::isfinite(*value), "read values are finite", text);
    const std::optional<QString> converted = convert(pair, direction, text, locale);
    check(value || !converted, "unreadable text converts to nothing", text);
    if (!value)
        return 0;
    checkWriteRead(*value, locale);
    if (converted) {
        const Conversion& conversion =
            direction == Direction::Forward ? pair.forward : pair.backward;
        const std::optional<double> result = readValue(*converted, locale);
        check(result && within15Digits(conversion.apply(*value), *result),
              "converted text is the result within 15 digits", *converted);
    }
    checkRoundTrip(pair, direction, *value, locale);
    return 0;
}
