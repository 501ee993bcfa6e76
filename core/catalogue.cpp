#include "core/catalogue.h"
#include "core/valuetext.h"

namespace mensurio {

namespace {

// Temperatures keep the exact order of their operations: (x - 32) / 9 * 5 and
// (x * 9) / 5 + 32 round differently from any simplified form.
double fahrenheitToCelsius(double x) { return ((x - 32.0) / 9.0) * 5.0; }
double celsiusToFahrenheit(double x) { return ((x * 9.0) / 5.0) + 32.0; }
// The Kelvin/Fahrenheit pair deliberately uses 460, the rounded offset its users expect.
double kelvinToFahrenheit(double x) { return ((x * 9.0) / 5.0) - 460.0; }
double fahrenheitToKelvin(double x) { return ((x + 460.0) * 5.0) / 9.0; }
double celsiusToKelvin(double x) { return x + 273.15; }
double kelvinToCelsius(double x) { return x - 273.15; }

constexpr Conversion by(double factor) { return Conversion{factor, nullptr}; }
constexpr Conversion with(double (*formula)(double)) { return Conversion{0.0, formula}; }

using C = Category;
using P = PairId;

// The two factors of a pair are stored independently: several are short roundings
// (0.4536 for the pound) and the backward one is the reciprocal of the short form.
// clang-format off
const std::array<UnitPair, pairCount> rows{{
    {P::Weight1, "Weight1", C::Weight, "Pound", "Kilogram", "Pound <> Kilogram", "Pound - Kilogram",
     "Kilogram - Pound", by(0.4536), by(2.2045855)},
    {P::Weight2, "Weight2", C::Weight, "Carat", "Gram", "Carat <> Gram", "Carat - Gram",
     "Gram - Carat", by(0.2), by(5)},
    {P::Weight3, "Weight3", C::Weight, "Ounce", "Gram", "Ounce <> Gram", "Ounce - Gram",
     "Gram - Ounce", by(28.35), by(0.0352734)},
    {P::Weight4, "Weight4", C::Weight, "Troy ounce", "Gram", "Troy ounce <> Gram",
     "Troy ounce - Gram", "Gram - Troy ounce", by(31.103477), by(0.0321507)},
    {P::Weight5, "Weight5", C::Weight, "Stone", "Kilogram", "Stone <> Kilogram",
     "Stone - Kilogram", "Kilogram - Stone", by(6.3502932), by(0.157473)},
    {P::Length1, "Length1", C::Length, "Mile", "Kilometre", "Mile <> Kilometre",
     "Mile - Kilometre", "Kilometre - Mile", by(1.609), by(0.621504)},
    {P::Length2, "Length2", C::Length, "Yard", "Metre", "Yard <> Metre", "Yard - Metre",
     "Metre - Yard", by(0.9144), by(1.0936133)},
    {P::Length3, "Length3", C::Length, "Metre", "Foot", "Metre <> Foot", "Metre - Foot",
     "Foot - Metre", by(3.2808399), by(0.3048)},
    {P::Length4, "Length4", C::Length, "Foot", "Centimetre", "Foot <> Centimetre",
     "Foot - Centimetre", "Centimetre - Foot", by(30.48), by(0.0328084)},
    {P::Length5, "Length5", C::Length, "Inch", "Centimetre", "Inch <> Centimetre",
     "Inch - Centimetre", "Centimetre - Inch", by(2.54), by(0.3937008)},
    {P::Area1, "Area1", C::Area, "Square foot", "Square metre", "Square foot <> Square metre",
     "Square foot - Square metre", "Square metre - Square foot", by(0.0929), by(10.764263)},
    // The second entry's trailing blank is part of the stored text.
    {P::Area2, "Area2", C::Area, "Square inch", "Square cm", "Square inch <> Square cm",
     "Square inch - Square cm", "Square cm - Square inch ", by(6.4516), by(0.1550003)},
    {P::Area3, "Area3", C::Area, "Square yard", "Square metre", "Square yard <> Square metre",
     "Square yard - Square metre", "Square metre - Square yard", by(0.8361274), by(1.19599)},
    {P::Area4, "Area4", C::Area, "Square mile", "Square km", "Square mile <> Square km",
     "Square mile - Square km", "Square km - Square mile", by(2.59), by(0.3861004)},
    {P::Area5, "Area5", C::Area, "Acre", "Hectare", "Acre <> Hectare", "Acre - Hectare",
     "Hectare - Acre", by(0.4047), by(2.4709661)},
    {P::Volume1, "Volume1", C::Volume, "Cubic inch", "Cubic cm", "Cubic inch <> Cubic cm",
     "Cubic inch - Cubic cm", "Cubic cm - Cubic inch", by(16.387064), by(0.0610237)},
    {P::Volume2, "Volume2", C::Volume, "Cubic foot", "Cubic metre", "Cubic foot <> Cubic metre",
     "Cubic foot - Cubic metre", "Cubic metre - Cubic foot", by(0.0283168), by(35.314667)},
    {P::Volume3, "Volume3", C::Volume, "Cubic metre", "Cubic yard", "Cubic metre <> Cubic yard",
     "Cubic metre - Cubic yard", "Cubic yard - Cubic metre", by(1.3079505), by(0.7645549)},
    {P::Volume4, "Volume4", C::Volume, "Gallon", "Litre", "Gallon <> Litre", "Gallon - Litre",
     "Litre - Gallon", by(3.78541), by(0.2641722)},
    {P::Temp1, "Temp1", C::Temperature, "Fahrenheit", "Celsius", "Fahrenheit <> Celsius",
     "Fahrenheit - Celsius", "Celsius - Fahrenheit", with(fahrenheitToCelsius),
     with(celsiusToFahrenheit)},
    {P::Temp2, "Temp2", C::Temperature, "Kelvin", "Fahrenheit", "Kelvin <> Fahrenheit",
     "Kelvin - Fahrenheit", "Fahrenheit - Kelvin", with(kelvinToFahrenheit),
     with(fahrenheitToKelvin)},
    {P::Temp3, "Temp3", C::Temperature, "Celsius", "Kelvin", "Celsius <> Kelvin",
     "Celsius - Kelvin", "Kelvin - Celsius", with(celsiusToKelvin), with(kelvinToCelsius)},
}};
// clang-format on

} // namespace

const std::array<UnitPair, pairCount>& catalogue() { return rows; }

const UnitPair& unitPair(PairId id) { return rows[static_cast<std::size_t>(id)]; }

std::optional<PairId> pairByWindow(const QString& window)
{
    for (const UnitPair& row : rows) {
        if (window == QLatin1String(row.window))
            return row.id;
    }
    return std::nullopt;
}

QString categoryWord(Category category)
{
    switch (category) {
    case Category::Weight:
        return QStringLiteral("Weight");
    case Category::Length:
        return QStringLiteral("Length");
    case Category::Area:
        return QStringLiteral("Area");
    case Category::Temperature:
        return QStringLiteral("Temperature");
    case Category::Volume:
        return QStringLiteral("Volume");
    }
    return {};
}

QString notepadName(Category category)
{
    return QStringLiteral("Notepad of ") +
           (category == Category::Length ? QStringLiteral("Lenght") : categoryWord(category));
}

std::optional<QString> convert(const UnitPair& pair, Direction direction, const QString& text,
                               const QLocale& locale)
{
    const std::optional<double> x = readValue(text, locale);
    if (!x)
        return std::nullopt;
    const Conversion& conversion = direction == Direction::Forward ? pair.forward : pair.backward;
    return writeValue(conversion.apply(*x), locale);
}

} // namespace mensurio
