#include "ui/style.h"

#include "ui/pictures.h"

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

} // namespace mensurio::ui
