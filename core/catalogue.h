#pragma once

#include <QLatin1String>
#include <QLocale>
#include <QString>

#include <array>
#include <cstddef>
#include <optional>

namespace mensurio {

enum class Category { Weight, Length, Area, Temperature, Volume };

// Stable identifiers, in the order of the catalogue rows.
// clang-format off
enum class PairId {
    Weight1, Weight2, Weight3, Weight4, Weight5,
    Length1, Length2, Length3, Length4, Length5,
    Area1, Area2, Area3, Area4, Area5,
    Volume1, Volume2, Volume3, Volume4,
    Temp1, Temp2, Temp3,
};
// clang-format on
inline constexpr std::size_t pairCount = 22;

// Forward converts the value of Var1 into Var2, Backward the value of Var2 into Var1.
enum class Direction { Forward, Backward };

// One direction of one pair: a plain factor, or a formula where the order of the
// operations matters for the last digits of the result.
struct Conversion {
    double factor = 0.0;
    double (*formula)(double) = nullptr;

    double apply(double x) const { return formula ? formula(x) : x * factor; }
};

struct UnitPair {
    PairId id;
    const char* window; // the pair window's object name
    Category category;
    const char* firstUnit;
    const char* secondUnit;
    const char* title;
    const char* firstEntry;  // selects editing Var1
    const char* secondEntry; // selects editing Var2; never compared with anything
    Conversion forward;
    Conversion backward;

    QString windowName() const { return QString::fromLatin1(window); }
    QString titleText() const { return QString::fromLatin1(title); }
};

const std::array<UnitPair, pairCount>& catalogue();
const UnitPair& unitPair(PairId id);
std::optional<PairId> pairByWindow(const QString& window);

// The word a category is known by in captions and file names ("Temperature", ...).
QString categoryWord(Category category);
// The name of the category's notepad, its file's name without ".txt" ("Notepad of Weight").
// Length's keeps the spelling "Lenght" that users' existing files carry.
QString notepadName(Category category);

// Converts the editable field's text for one direction of a pair; nothing when the
// text is no number or the result has no value text.
std::optional<QString> convert(const UnitPair& pair, Direction direction, const QString& text,
                               const QLocale& locale = QLocale());

} // namespace mensurio
