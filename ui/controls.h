#pragma once

#include <QColor>
#include <QFrame>
#include <QLabel>
#include <QRect>

class QLineEdit;
class QPushButton;

namespace mensurio::ui {

// Layouts are measured in twips: 15 to a device-independent pixel at 96 dpi. Qt's
// high-DPI scaling turns those pixels into screen pixels.
constexpr int pixelsOfTwips(int twips) { return (twips * 2 + (twips >= 0 ? 15 : -15)) / 30; }
constexpr QRect twipRect(int left, int top, int width, int height)
{
    return QRect(pixelsOfTwips(left), pixelsOfTwips(top), pixelsOfTwips(width),
                 pixelsOfTwips(height));
}

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

// A label that sizes itself to its text on one line, placed at a twips position.
QLabel* label(QWidget* parent, const QString& name, const QString& text, int leftTwips,
              int topTwips, const QFont& font);
// A label whose text wraps within the twips rectangle, from its top left corner.
QLabel* wrappedLabel(QWidget* parent, const QString& name, const QString& text, const QRect& rect,
                     const QFont& font);
// A clickable link label: hand cursor, link look, accessible as a link named by its text.
ClickLabel* linkLabel(QWidget* parent, const QString& name, const QString& text, int leftTwips,
                      int topTwips, const QFont& font, const QColor& colour, bool underline = true);
// A picture from the resources, shown at its own size at the twips rectangle.
ClickLabel* pictureBox(QWidget* parent, const QString& name, const QString& image,
                       const QRect& rect, const QString& toolTip = {}, bool link = false);
// A push button at the twips rectangle that Enter and Return press as well as Space, in
// every window: Qt only lets them press the default buttons of dialogs.
QPushButton* pushButton(QWidget* parent, const QString& name, const QString& caption,
                        const QRect& rect);
// A captionless frame, optionally with the plain single outline.
QFrame* frame(QWidget* parent, const QString& name, const QRect& rect, bool outline);
// A straight horizontal rule between two twips points, `thickness` pixels thick.
QWidget* line(QWidget* parent, const QString& name, int x1Twips, int yTwips, int x2Twips,
              int thickness, const QColor& colour);

// The colour of every link label.
QColor linkColour();
// The silver of the rules under the pair windows' and category frames' headings.
QColor ruleColour();

// Keeps a label where it is but indents its text past a neighbour that reaches into it.
void indentPast(QLabel* label, const QWidget* neighbour);

// A line edit in the given font. Qt lays out a new line edit's empty text in the
// application's font before the line edit takes a font of its own, and loading an engine for
// that font (the desktop's default, which no window of the program shows text in) costs
// some 4 M instructions of fontconfig matching. The given font stands in as the
// application's while the line edit is made.
QLineEdit* lineEdit(QWidget* parent, const QFont& font);

} // namespace mensurio::ui
