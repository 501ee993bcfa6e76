#pragma once

#include <QColor>
#include <QCursor>
#include <QFont>
#include <QFrame>
#include <QIcon>
#include <QLabel>
#include <QRect>

class QPainter;
class QScreen;
class QPushButton;

namespace mensurio::ui {

// Layouts are measured in twips: 15 to a device-independent pixel at 96 dpi. Qt's
// high-DPI scaling turns those pixels into screen pixels.
constexpr int px(int twips) { return (twips * 2 + (twips >= 0 ? 15 : -15)) / 30; }
constexpr QRect twipRect(int left, int top, int width, int height)
{
    return QRect(px(left), px(top), px(width), px(height));
}

// Installs the program's style and registers the fonts; called once at start-up, before any
// window.
void initialise();

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

// The one hand-shaped link cursor of the program (hot spot at the fingertip).
const QCursor& linkCursor();
QIcon applicationIcon();
// A picture from the resources for a screen of the given device pixel ratio.
QPixmap picture(const QString& name, qreal ratio = 1.0);

// A label whose lines, wrapped or broken, lie one line of its face apart, as one-line
// labels are high: Qt lays out Tahoma's small strikes 10 px apart, and the descenders of
// one line then run into the next.
class TextLabel : public QLabel {
public:
    using QLabel::QLabel;

    int heightForWidth(int width) const override;

protected:
    void paintEvent(QPaintEvent* event) override;
};

// A label or picture that reports a left click released over it. One that acts on the
// click offers the act to assistive technology as "Press", and never takes the focus.
class ClickLabel : public QLabel {
    Q_OBJECT
public:
    using QLabel::QLabel;

    // Whether a click does anything here.
    bool acts() const;

signals:
    void clicked();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    bool pressed_ = false;
};

// Sizes a label to its text: as wide as its longest line, its lines a line of the font high.
void fitToText(QLabel* label);
// A label that sizes itself to its text on one line, placed at a twips position.
QLabel* label(QWidget* parent, const QString& name, const QString& text, int left, int top,
              const QFont& font);
// A label whose text wraps within the twips rectangle, from its top left corner.
QLabel* wrappedLabel(QWidget* parent, const QString& name, const QString& text, const QRect& rect,
                     const QFont& font);
// A clickable link label: hand cursor, link look, accessible as a link named by its text.
ClickLabel* linkLabel(QWidget* parent, const QString& name, const QString& text, int left, int top,
                      const QFont& font, const QColor& colour, bool underline = true);
// A picture from the resources, shown at its own size at the twips rectangle.
ClickLabel* pictureBox(QWidget* parent, const QString& name, const QString& image,
                       const QRect& rect, const QString& toolTip = {}, bool link = false);
// A push button at the twips rectangle that Enter and Return press as well as Space, in
// every window: Qt only lets them press the default buttons of dialogs.
QPushButton* pushButton(QWidget* parent, const QString& name, const QString& caption,
                        const QRect& rect);
// A captionless frame, optionally with the plain single outline.
QFrame* frame(QWidget* parent, const QString& name, const QRect& rect, bool outline);
// A straight horizontal rule between two twips points.
QWidget* line(QWidget* parent, const QString& name, int x1, int y1, int x2, int width,
              const QColor& colour);

// The colour of every link label.
QColor linkColour();
// The silver of the rules under the pair windows' and category frames' headings.
QColor ruleColour();

// Keeps a label where it is but indents its text past a neighbour that reaches into it.
void indentPast(QLabel* label, const QWidget* neighbour);

// Fixed dialog border: a close box, no minimize or maximize box, client area of the
// given twips size; centred the first time it is shown, as centreOnFirstShow() says.
void makeFixedWindow(QWidget* window, int widthTwips, int heightTwips, const QWidget* mainWindow);
// Centres the window the first time it is shown, on the screen that holds the main window;
// the main window itself (no main window given) on the screen that holds the pointer, where
// window managers put new windows. Centred again when a window manager frames it later.
void centreOnFirstShow(QWidget* window, const QWidget* mainWindow = nullptr);
// The screen a window opens on, as centreOnFirstShow() chooses it.
QScreen* openingScreen(const QWidget* mainWindow);
// Tells the window manager that the window belongs to the owner, so it stays in front of
// it, also while the owner is disabled and the user clicks on it.
void keepInFrontOf(QWidget* window, QWidget* owner);

} // namespace mensurio::ui
