#include "ui/controls.h"

#include "ui/fonts.h"
#include "ui/pictures.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMetaMethod>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QStyle>
#include <QTextLayout>

namespace mensurio::ui {

namespace {

// Enter, Return and the keypad's Enter press the focused button, as Space does.
class EnterPresses : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() != QEvent::KeyPress)
            return false;
        const auto* key = static_cast<QKeyEvent*>(event);
        const bool enter = key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter;
        if (!enter || (key->modifiers() & ~Qt::KeypadModifier) != Qt::NoModifier)
            return false;
        if (!key->isAutoRepeat())
            static_cast<QPushButton*>(watched)->click();
        return true;
    }
};

} // namespace

bool ClickLabel::acts() const
{
    return isSignalConnected(QMetaMethod::fromSignal(&ClickLabel::clicked));
}

void ClickLabel::mousePressEvent(QMouseEvent* event)
{
    pressed_ = event->button() == Qt::LeftButton;
    QLabel::mousePressEvent(event);
}

void ClickLabel::mouseReleaseEvent(QMouseEvent* event)
{
    const bool click = pressed_ && event->button() == Qt::LeftButton &&
                       rect().contains(event->position().toPoint());
    pressed_ = false;
    QLabel::mouseReleaseEvent(event);
    if (click)
        emit clicked();
}

namespace {

// The lines the text breaks into in the font: at its line breaks, and where a width is
// given, at the last word that fits.
QStringList textLines(const QString& text, const QFont& font, int width, QPaintDevice* device)
{
    QString laidOut = text;
    laidOut.replace(QLatin1Char('\n'), QChar::LineSeparator);
    QTextLayout layout(laidOut, font, device);
    QTextOption option;
    option.setWrapMode(width < 0 ? QTextOption::ManualWrap : QTextOption::WordWrap);
    layout.setTextOption(option);
    QStringList lines;
    layout.beginLayout();
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
        line.setLineWidth(width < 0 ? qreal(QWIDGETSIZE_MAX) : width);
        QString shown = text.mid(line.textStart(), line.textLength());
        if (shown.endsWith(QLatin1Char('\n')))
            shown.chop(1);
        lines.append(shown);
    }
    layout.endLayout();
    return lines;
}

bool breaksLines(const QLabel* label)
{
    return label->wordWrap() || label->text().contains(QLatin1Char('\n'));
}

} // namespace

int TextLabel::heightForWidth(int width) const
{
    if (!breaksLines(this))
        return QLabel::heightForWidth(width);
    bool embolden = false;
    const QFont font = drawnFont(
        this->font(), QFontInfo(this->font()).pixelSize() * devicePixelRatioF(), &embolden);
    const QMargins margins = contentsMargins();
    const int lines = int(textLines(text(), font, width - margins.left() - margins.right(),
                                    const_cast<TextLabel*>(this))
                              .size());
    return lines * lineHeight(this->font()) + margins.top() + margins.bottom();
}

void TextLabel::paintEvent(QPaintEvent* event)
{
    if (!breaksLines(this))
        return QLabel::paintEvent(event);
    QPainter painter(this);
    bool embolden = false;
    const QFont font = drawnFont(painter, &embolden);
    const QRect box = contentsRect();
    // Each line drawn on its own, so the style draws it as it draws a one-line label.
    QRect line(box.topLeft(), QSize(box.width(), lineHeight(this->font())));
    for (const QString& shown : textLines(text(), font, wordWrap() ? box.width() : -1, this)) {
        style()->drawItemText(&painter, line, int(alignment()), palette(), isEnabled(), shown,
                              foregroundRole());
        line.translate(0, line.height());
    }
}

namespace {

// Sizes a label to its text: as wide as its longest line, its lines a line of the font high.
void fitToText(QLabel* label)
{
    const Qt::Alignment topLeft = Qt::AlignLeft | Qt::AlignTop;
    label->setAlignment(topLeft);
    QSize size;
    if (label->textFormat() == Qt::PlainText && !label->wordWrap() && label->margin() == 0 &&
        label->indent() < 0 && label->frameWidth() == 0 && label->minimumSize().isNull()) {
        // What sizeHint() answers for such a label, from one layout of the text instead of
        // its three: the text laid out in a box 2000 pixels wide less the margins.
        const QMargins margins = label->contentsMargins();
        const QRect box(0, 0, 2000 - margins.left() - margins.right(), 2000);
        size = label->fontMetrics().boundingRect(box, topLeft, label->text()).size();
        size = size.grownBy(margins);
    } else {
        size = label->sizeHint();
    }
    const int lines = int(label->text().count(QLatin1Char('\n'))) + 1;
    label->resize(size.width(), qMax(size.height(), lines * lineHeight(label->font())));
}

// The font with its smoothing and hinting its own. A font that leaves them open takes its
// window's, and a window in a font that draws Tahoma's strike would have the label measured
// by an engine of its own and drawn (drawnFont()) by another.
QFont withOwnSettings(QFont font)
{
    font.setStyleStrategy(font.styleStrategy());
    font.setHintingPreference(font.hintingPreference());
    return font;
}

QLabel* plainLabel(QWidget* parent, const QString& name, const QString& text, const QFont& font)
{
    auto* result = new TextLabel(text, parent);
    result->setObjectName(name);
    result->setFont(withOwnSettings(font));
    result->setTextFormat(Qt::PlainText);
    return result;
}

} // namespace

QLabel* label(QWidget* parent, const QString& name, const QString& text, int leftTwips,
              int topTwips, const QFont& font)
{
    QLabel* result = plainLabel(parent, name, text, font);
    result->move(pixelsOfTwips(leftTwips), pixelsOfTwips(topTwips));
    fitToText(result);
    return result;
}

QLabel* wrappedLabel(QWidget* parent, const QString& name, const QString& text, const QRect& rect,
                     const QFont& font)
{
    // Not sized to its text first, as label() does: laying out a long text on one line
    // only to throw the size away costs more than the rest of the label.
    QLabel* result = plainLabel(parent, name, text, font);
    result->setWordWrap(true);
    result->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    result->setGeometry(rect);
    return result;
}

ClickLabel* linkLabel(QWidget* parent, const QString& name, const QString& text, int leftTwips,
                      int topTwips, const QFont& font, const QColor& colour, bool underline)
{
    auto* result = new ClickLabel(text, parent);
    result->setObjectName(name);
    QFont linkFont = withOwnSettings(font);
    linkFont.setUnderline(underline);
    result->setFont(linkFont);
    result->setTextFormat(Qt::PlainText);
    // A disabled link keeps the disabled text colour of every other label.
    QPalette palette = result->palette();
    palette.setColor(QPalette::Active, QPalette::WindowText, colour);
    palette.setColor(QPalette::Inactive, QPalette::WindowText, colour);
    result->setPalette(palette);
    result->setCursor(linkCursor());
    result->setAccessibleName(text);
    result->move(pixelsOfTwips(leftTwips), pixelsOfTwips(topTwips));
    fitToText(result);
    return result;
}

ClickLabel* pictureBox(QWidget* parent, const QString& name, const QString& image,
                       const QRect& rect, const QString& toolTip, bool link)
{
    auto* result = new ClickLabel(parent);
    result->setObjectName(name);
    result->setGeometry(rect);
    result->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    result->setPixmap(picture(image, parent->devicePixelRatioF()));
    if (!toolTip.isEmpty()) {
        result->setToolTip(toolTip);
        result->setAccessibleName(toolTip);
    }
    if (link)
        result->setCursor(linkCursor());
    return result;
}

QPushButton* pushButton(QWidget* parent, const QString& name, const QString& caption,
                        const QRect& rect)
{
    auto* result = new QPushButton(caption, parent);
    result->setObjectName(name);
    result->setGeometry(rect);
    result->setAutoDefault(false);
    result->setAccessibleName(caption);
    result->installEventFilter(new EnterPresses(result));
    return result;
}

QFrame* frame(QWidget* parent, const QString& name, const QRect& rect, bool outline)
{
    auto* result = new QFrame(parent);
    result->setObjectName(name);
    result->setGeometry(rect);
    // Frames are opaque: whatever lies behind one (Text1 behind the Volume frame) stays unseen.
    result->setAutoFillBackground(true);
    if (outline)
        result->setFrameStyle(QFrame::Box | QFrame::Sunken);
    return result;
}

QWidget* line(QWidget* parent, const QString& name, int x1Twips, int yTwips, int x2Twips,
              int thickness, const QColor& colour)
{
    auto* result = new QWidget(parent);
    result->setObjectName(name);
    result->setGeometry(pixelsOfTwips(x1Twips), pixelsOfTwips(yTwips),
                        pixelsOfTwips(x2Twips) - pixelsOfTwips(x1Twips) + 1, thickness);
    result->setAutoFillBackground(true);
    QPalette palette = result->palette();
    palette.setColor(QPalette::Window, colour);
    result->setPalette(palette);
    return result;
}

QColor linkColour() { return QColor(0, 0, 192); }

QColor ruleColour() { return QColor(192, 192, 192); }

void indentPast(QLabel* label, const QWidget* neighbour)
{
    // A small gap after the neighbour, as between any two words of a line.
    const int overlap = neighbour->geometry().right() + 1 + pixelsOfTwips(60) - label->x();
    if (overlap <= 0)
        return;
    label->setContentsMargins(overlap, 0, 0, 0);
    fitToText(label);
}

QLineEdit* lineEdit(QWidget* parent, const QFont& font)
{
    // QGuiApplication's font, not QApplication's: QApplication would tell every window of
    // the change and back, and each would resolve its fonts twice.
    const QFont applicationFont = QGuiApplication::font();
    QGuiApplication::setFont(font);
    auto* result = new QLineEdit(parent);
    QGuiApplication::setFont(applicationFont);
    result->setFont(font);
    return result;
}

} // namespace mensurio::ui
