#pragma once

#include <functional>

class QPainter;
class QStyle;
class QStyleOption;
class QWidget;

namespace mensurio::ui {

// Draws a line edit's panel (QStyle::PE_PanelLineEdit: its background and smoothed, rounded
// outline) as a copy of the pixels `draw` gave the last time the field looked the same: same
// size, state, colours and the same background behind its corners. Each key press and cursor
// blink repaints the field, and rasterising the outline costs more than everything else the
// repaint draws. Returns false, drawing nothing, where a copy could differ from drawing
// afresh (a scaled or clipped painter, another paint engine, a background that is not one
// colour behind the corners); the caller then draws the panel itself.
bool drawCachedFieldPanel(const QStyle* style, const QStyleOption* option, QPainter* painter,
                          const QWidget* widget,
                          const std::function<void(const QStyleOption*, QPainter*)>& draw);

} // namespace mensurio::ui
