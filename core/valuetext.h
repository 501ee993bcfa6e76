#pragma once

#include <QLocale>
#include <QString>

#include <optional>

namespace mensurio {

// Value text: the text of a value field, read and written with the given locale. No
// grouping is read, as none is written; "." is a decimal point in every locale, and ","
// in every locale whose group separator it is not, so "0.", the "00" rule's text, and a
// fraction typed with "." read the same everywhere.
std::optional<double> readValue(const QString& text, const QLocale& locale = QLocale());
// At most 15 significant digits, no grouping, exponent form "1E+15" / "1E-05".
// Not-finite values have no text: the caller writes nothing for them.
std::optional<QString> writeValue(double value, const QLocale& locale = QLocale());

} // namespace mensurio
