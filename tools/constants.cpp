// Prints the table of README.md that lists each conversion's constants beside the exact
// definitions of its units, reckoned from the catalogue itself. Given the README's path, it
// checks instead that the README holds that very table, and prints the table when it does not.

#include "core/catalogue.h"

#include <QFile>
#include <QString>

#include <cmath>
#include <cstdio>

using namespace mensurio;

namespace {

// The exact factor from the first unit to the second, as the units are defined (the yard of
// 0.9144 m, the pound of 0.45359237 kg, the US gallon of 231 cubic inches); "1 / d" where the
// definition goes the other way.
// clang-format off
const char* const exactFactors[] = {
    "0.45359237", "0.2", "28.349523125", "31.1034768", "6.35029318",         // weight
    "1.609344", "0.9144", "1 / 0.3048", "30.48", "2.54",                     // length
    "0.09290304", "6.4516", "0.83612736", "2.589988110336", "0.40468564224", // area
    "16.387064", "0.028316846592", "1 / 0.764554857984", "3.785411784",      // volume
};
// clang-format on

// The temperatures: the order of operations the program keeps, the exact formula, and the
// unit of the result, for each direction.
struct Formula {
    const char* program;
    const char* exact;
    double (*exactValue)(double);
    const char* unit;
};
const Formula temperatures[][2] = {
    {{"(x − 32) / 9 × 5", "(x − 32) × 5/9", [](double x) { return (x - 32) * 5 / 9; }, "°C"},
     {"x × 9 / 5 + 32", "x × 9/5 + 32", [](double x) { return x * 9 / 5 + 32; }, "°F"}},
    {{"x × 9 / 5 − 460", "x × 9/5 − 459.67", [](double x) { return x * 9 / 5 - 459.67; }, "°F"},
     {"(x + 460) × 5 / 9", "(x + 459.67) × 5/9", [](double x) { return (x + 459.67) * 5 / 9; },
      "K"}},
    {{"x + 273.15", "x + 273.15", [](double x) { return x + 273.15; }, "K"},
     {"x − 273.15", "x − 273.15", [](double x) { return x - 273.15; }, "°C"}},
};

static_assert(std::size(exactFactors) + std::size(temperatures) == pairCount);

double valueOf(const QString& text)
{
    return text.startsWith(QLatin1String("1 / ")) ? 1.0 / text.mid(4).toDouble() : text.toDouble();
}

QString inverse(const QString& text)
{
    return text.startsWith(QLatin1String("1 / ")) ? text.mid(4) : QStringLiteral("1 / ") + text;
}

// A difference with two significant digits and its sign; "exact" where there is none beyond
// the last bits of a double.
QString difference(double value, double scale, const QString& unit)
{
    if (std::abs(value) <= scale * 1e-12)
        return QStringLiteral("exact");
    const int decimals = std::max(0, 1 - static_cast<int>(std::floor(std::log10(std::abs(value)))));
    return (value > 0 ? QStringLiteral("+") : QString()) + QString::number(value, 'f', decimals) +
           QLatin1Char(' ') + unit;
}

QString factorCells(const Conversion& conversion, const QString& exact)
{
    const double factor = conversion.apply(1.0);
    return QString::number(factor, 'g', 12) + QStringLiteral(" | ") + exact +
           QStringLiteral(" | ") +
           difference((factor / valueOf(exact) - 1.0) * 100.0, 100.0, QStringLiteral("%"));
}

// The program's formula against the exact one: the difference at 0 and at 100 degrees, which
// is one offset where only the constant added differs.
QString formulaCells(const Conversion& conversion, const Formula& formula)
{
    const double atZero = conversion.apply(0.0) - formula.exactValue(0.0);
    const double atHundred = conversion.apply(100.0) - formula.exactValue(100.0);
    const QString off = std::abs(atZero - atHundred) <= 1e-9
                            ? difference(atZero, 100.0, QString::fromUtf8(formula.unit))
                            : QStringLiteral("varies");
    return QString::fromUtf8(formula.program) + QStringLiteral(" | ") +
           QString::fromUtf8(formula.exact) + QStringLiteral(" | ") + off;
}

QString table()
{
    QString text =
        QStringLiteral("| Conversion | forward | exact | off by | backward | exact | off by |\n"
                       "| --- | --- | --- | --- | --- | --- | --- |\n");
    for (const UnitPair& pair : catalogue()) {
        const auto row = static_cast<std::size_t>(pair.id);
        text += QStringLiteral("| %1 → %2 | ")
                    .arg(QLatin1String(pair.firstUnit), QLatin1String(pair.secondUnit));
        if (pair.category == Category::Temperature) {
            const Formula* formulas = temperatures[row - std::size(exactFactors)];
            text += formulaCells(pair.forward, formulas[0]) + QStringLiteral(" | ") +
                    formulaCells(pair.backward, formulas[1]);
        } else {
            const QString exact = QLatin1String(exactFactors[row]);
            text += factorCells(pair.forward, exact) + QStringLiteral(" | ") +
                    factorCells(pair.backward, inverse(exact));
        }
        text += QStringLiteral(" |\n");
    }
    return text;
}

} // namespace

int main(int argc, char* argv[])
{
    const QByteArray printed = table().toUtf8();
    if (argc < 2)
        return std::fputs(printed.constData(), stdout) >= 0 ? 0 : 1;
    QFile readme(QString::fromLocal8Bit(argv[1]));
    if (readme.open(QIODevice::ReadOnly) && readme.readAll().contains(printed))
        return 0;
    std::fprintf(stderr, "%s does not hold this table of the catalogue's constants:\n%s", argv[1],
                 printed.constData());
    return 1;
}
