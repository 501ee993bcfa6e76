#include "ui/style.h"

#include "ui/accessibility.h"
#include "ui/fieldpanel.h"
#include "ui/fonts.h"
#include "ui/pictures.h"

#include <QApplication>
#include <QFrame>
#include <QGuiApplication>
#include <QPainter>
#include <QStyleFactory>
#include <QStyleOption>
#include <QToolTip>
#include <QWidget>

namespace mensurio::ui {

namespace {

struct RoleColours {
    QPalette::ColorRole role;
    QRgb normal;   // active and inactive windows
    QRgb disabled; // disabled controls
};

// The classic light look: grey button face, white fields, black text.
// clang-format off
constexpr RoleColours roleColours[] = {
    {QPalette::WindowText,      0xff000000, 0xffbebebe},
    {QPalette::Button,          0xffefefef, 0xffefefef},
    {QPalette::Light,           0xffffffff, 0xffffffff},
    {QPalette::Midlight,        0xffcacaca, 0xffcacaca},
    {QPalette::Dark,            0xff9f9f9f, 0xffbebebe},
    {QPalette::Mid,             0xffb8b8b8, 0xffb8b8b8},
    {QPalette::Text,            0xff000000, 0xffbebebe},
    {QPalette::BrightText,      0xffffffff, 0xffffffff},
    {QPalette::ButtonText,      0xff000000, 0xffbebebe},
    {QPalette::Base,            0xffffffff, 0xffefefef},
    {QPalette::Window,          0xffefefef, 0xffefefef},
    {QPalette::Shadow,          0xff767676, 0xffb1b1b1},
    {QPalette::Highlight,       0xff308cc6, 0xff919191},
    {QPalette::HighlightedText, 0xffffffff, 0xffffffff},
    {QPalette::Link,            0xff0000ff, 0xff0000ff},
    {QPalette::LinkVisited,     0xffff00ff, 0xffff00ff},
    {QPalette::AlternateBase,   0xfff7f7f7, 0xfff7f7f7},
    {QPalette::NoRole,          0xff000000, 0xff000000},
    {QPalette::ToolTipBase,     0xffffffdc, 0xffffffdc},
    {QPalette::ToolTipText,     0xff000000, 0xff000000},
    {QPalette::PlaceholderText, 0x80000000, 0x80000000},
};
// clang-format on

} // namespace

QPalette programPalette()
{
    QPalette palette;
    for (const RoleColours& entry : roleColours) {
        palette.setColor(QPalette::Active, entry.role, QColor::fromRgba(entry.normal));
        palette.setColor(QPalette::Inactive, entry.role, QColor::fromRgba(entry.normal));
        palette.setColor(QPalette::Disabled, entry.role, QColor::fromRgba(entry.disabled));
    }
    return palette;
}

void applyTheme()
{
    // A platform theme may also pick a style that draws with colours of its own.
    // The style gives the application its palette (Style::polish).
    QApplication::setStyle(new Style(QStyleFactory::create(QStringLiteral("Fusion"))));
    // Tool tips keep a palette of their own, which a theme fills in at start-up.
    QToolTip::setPalette(programPalette());
}

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

void Style::drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                          const QWidget* widget) const
{
    const auto drawn = [this, element, widget](const QStyleOption* panel, QPainter* onto) {
        QProxyStyle::drawPrimitive(element, panel, onto, widget);
    };
    if (element != PE_PanelLineEdit || !drawCachedFieldPanel(this, option, painter, widget, drawn))
        QProxyStyle::drawPrimitive(element, option, painter, widget);
}

void Style::drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                        const QWidget* widget) const
{
    // A box's shaded outline one pixel wide, as Qt draws it, but in eight solid fills: Qt
    // strokes its rectangle and four lines as paths, which costs far more for the same
    // pixels. Only where a pixel of the widget is a pixel of the device and nothing is
    // smoothed: on a high-DPI screen Qt's own drawing scales the outline.
    const auto* frame = qstyleoption_cast<const QStyleOptionFrame*>(option);
    const QRect r = frame ? frame->rect : QRect();
    const bool shaded = frame && (frame->state & (State_Sunken | State_Raised));
    if (element != CE_ShapedFrame || !shaded || frame->frameShape != QFrame::Box ||
        frame->lineWidth != 1 || frame->midLineWidth != 0 || r.width() < 5 || r.height() < 5 ||
        painter->device()->devicePixelRatio() != 1.0 ||
        painter->deviceTransform().type() > QTransform::TxTranslate ||
        painter->testRenderHint(QPainter::Antialiasing))
        return QProxyStyle::drawControl(element, option, painter, widget);

    const bool sunken = frame->state & State_Sunken;
    const QColor outer = sunken ? frame->palette.dark().color() : frame->palette.light().color();
    const QColor inner = sunken ? frame->palette.light().color() : frame->palette.dark().color();
    const int x1 = r.left(), y1 = r.top(), x2 = r.right(), y2 = r.bottom();
    const int w = r.width(), h = r.height();
    // The rectangle one pixel short of the right and bottom edges...
    painter->fillRect(x1, y1, w - 1, 1, outer);
    painter->fillRect(x1, y2 - 1, w - 1, 1, outer);
    painter->fillRect(x1, y1 + 1, 1, h - 3, outer);
    painter->fillRect(x2 - 1, y1 + 1, 1, h - 3, outer);
    // ...and the other shade inside its top left corner and along the right and bottom.
    painter->fillRect(x1 + 1, y1 + 1, w - 3, 1, inner);
    painter->fillRect(x1 + 1, y1 + 2, 1, h - 4, inner);
    painter->fillRect(x1, y2, w, 1, inner);
    painter->fillRect(x2, y1, 1, h - 1, inner);
}

void Style::drawItemText(QPainter* painter, const QRect& rect, int flags, const QPalette& palette,
                         bool enabled, const QString& text, QPalette::ColorRole textRole) const
{
    const QFont font = painter->font();
    bool embolden = false;
    const QFont drawn = drawnFont(*painter, &embolden);
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

void initialise()
{
    loadFonts();
    applyTheme();
    installAccessibility();
}

} // namespace mensurio::ui
