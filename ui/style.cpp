#include "ui/style.h"

#include "ui/pictures.h"
#include "ui/theme.h"
#include "ui/widgets.h"

#include <QGuiApplication>
#include <QPainter>
#include <QWidget>

namespace mensurio::ui {

QIcon Style::standardIcon(StandardPixmap icon, const QStyleOption* option,
                          const QWidget* widget) const
{
    // Baked left to right only; the mirrored arrow stays the base style's.
    const Qt::LayoutDirection direction =
        widget ? widget->layoutDirection() : QGuiApplication::layoutDirection();
    if (icon == SP_ToolBarHorizontalExtensionButton && direction == Qt::LeftToRight) {
        static const QIcon extension = bakedIcon(u"toolbar-extension");
        return extension;
    }
    return QProxyStyle::standardIcon(icon, option, widget);
}

void Style::drawItemText(QPainter* painter, const QRect& rect, int flags, const QPalette& palette,
                         bool enabled, const QString& text, QPalette::ColorRole textRole) const
{
    const QFont font = painter->font();
    // The device transform holds the screen's ratio, also where a widget is drawn into an
    // image of another ratio.
    const qreal pixels = painter->fontInfo().pixelSize() * painter->deviceTransform().m11();
    bool embolden = false;
    const QFont drawn = drawnFont(font, pixels, &embolden);
    if (drawn == font && !embolden)
        return QProxyStyle::drawItemText(painter, rect, flags, palette, enabled, text, textRole);
    painter->setFont(drawn);
    QProxyStyle::drawItemText(painter, rect, flags, palette, enabled, text, textRole);
    // Struck again a pixel to the right, as the strike's stems are a pixel wider than the
    // regular face's; the letters keep the bold face's advances.
    if (embolden)
        QProxyStyle::drawItemText(painter, rect.translated(1, 0), flags, palette, enabled, text,
                                  textRole);
    painter->setFont(font);
}

void Style::polish(QPalette& palette)
{
    // Handed over as Qt's own palette, not as one the program set: every widget then
    // shares the application's palette instead of holding a copy of its own, and Fusion,
    // which caches what it draws under the palette's key, draws the four command buttons'
    // bevel once instead of four times.
    palette = programPalette();
    palette.setResolveMask(0);
}

} // namespace mensurio::ui
