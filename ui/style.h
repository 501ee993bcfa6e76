#pragma once

#include <QPalette>
#include <QProxyStyle>

namespace mensurio::ui {

// Registers the fonts, installs the program's style and tells assistive technology about
// its controls; called once at start-up, before any window.
void initialise();

// The program's style, with the menu bar's extension button icon baked into the
// program: QMenuBar asks for that icon as it is built, and loading it from Qt's resources
// makes the image reader load every installed image-format plugin first.
class Style : public QProxyStyle {
public:
    using QProxyStyle::QProxyStyle;

    // Gives every palette Qt builds (the application's, and any a platform theme offers
    // for a class of widgets) the program's colours; see programPalette().
    void polish(QPalette& palette) override;
    using QProxyStyle::polish;

    // Text in Tahoma as the face looks on this screen: its strike where it has one for
    // the size, else its outline, emboldened where the bold outline is not bold.
    void drawItemText(QPainter* painter, const QRect& rect, int flags, const QPalette& palette,
                      bool enabled, const QString& text,
                      QPalette::ColorRole textRole = QPalette::NoRole) const override;

    // The framed boxes' single shaded outline in solid fills; see style.cpp.
    void drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                     const QWidget* widget = nullptr) const override;

    // A field's panel drawn once for each look and copied after; see fieldpanel.h.
    void drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                       const QWidget* widget = nullptr) const override;

    QIcon standardIcon(StandardPixmap icon, const QStyleOption* option = nullptr,
                       const QWidget* widget = nullptr) const override;
};

// The program's own colours. The windows fix several backgrounds themselves (white
// fields, the white header band, the blue links), so every other colour must be fixed
// too: a text colour taken from a dark desktop theme would vanish on those backgrounds.
// Every role of every group is set, so no theme can fill one in.
QPalette programPalette();

// Fusion and the program's palette for the whole program, over whatever the desktop's
// platform theme chose; called once the application object exists, before any window.
void applyTheme();

} // namespace mensurio::ui
