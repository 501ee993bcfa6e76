#pragma once

#include <QFont>

class QPainter;

namespace mensurio::ui {

// Tahoma at the given point size; start-up makes sure the family resolves. Where the
// face has a hand-made strike for the size on this screen, the font draws that strike.
QFont tahoma(double pointSize, bool bold = false);
// The font that draws text of the given font at this size in screen pixels, and whether
// the text needs emboldening: the bold outlines of Debian's Tahoma are as thin as the
// regular face's, and a font made for a strike draws the outline on another screen.
QFont drawnFont(const QFont& font, qreal screenPixels, bool* embolden);
// The same for the painter's font on the painter's device.
QFont drawnFont(const QPainter& painter, bool* embolden);
// Registers Debian's metric-compatible Tahoma where fontconfig knows none.
void loadFonts();
// The height of one line of text in the font, as a label of it is high.
int lineHeight(const QFont& font);

} // namespace mensurio::ui
