#pragma once

class QFont;
class QLineEdit;
class QWidget;

namespace mensurio::ui {

// A line edit in the given font. Qt lays out a new line edit's empty text in the
// application's font before the line edit takes a font of its own, and loading an engine for
// that font (the desktop's default, which no window of the program shows text in) costs
// some 4 M instructions of fontconfig matching. The given font stands in as the
// application's while the line edit is made.
QLineEdit* lineEdit(QWidget* parent, const QFont& font);

} // namespace mensurio::ui
