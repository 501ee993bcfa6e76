#pragma once

#include <QPalette>

namespace mensurio::ui {

// The program's own colours. The windows fix several backgrounds themselves (white
// fields, the white header band, the blue links), so every other colour must be fixed
// too: a text colour taken from a dark desktop theme would vanish on those backgrounds.
// Every role of every group is set, so no theme can fill one in.
QPalette programPalette();

// Fusion and the program's palette for the whole program, over whatever the desktop's
// platform theme chose; called once the application object exists, before any window.
void applyTheme();

} // namespace mensurio::ui
