#pragma once

namespace mensurio::ui {

// Tells assistive technology what the program's controls are: clickable labels and pictures
// as links and buttons that can be pressed, drop-down lists by their own names with their
// items as values, plain frames as panels and plain windows as windows.
void installAccessibility();

} // namespace mensurio::ui
