#include "ui/style.h"

#include "ui/pictures.h"
#include "ui/theme.h"

#include <QGuiApplication>
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
