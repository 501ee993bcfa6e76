#include "ui/widgets.h"

#include "ui/pictures.h"
#include "ui/style.h"

#include <QAbstractNativeEventFilter>
#include <QAccessibleWidget>
#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QFontDatabase>
#include <QKeyEvent>
#include <QMetaMethod>
#include <QMouseEvent>
#include <QPushButton>
#include <QPainter>
#include <QPointer>
#include <QScreen>
#include <QTextLayout>
#include <QWindow>

#include <xcb/xcb.h>

namespace mensurio::ui {

namespace {

// Reached over the accessibility bus, a picture or link label is pressed the way a click
// presses it. Its name is its text or tool tip; it stays out of the focus chain.
class ClickAccessible : public QAccessibleWidget {
public:
    explicit ClickAccessible(ClickLabel* label) : QAccessibleWidget(label) {}

    QAccessible::Role role() const override
    {
        const bool picture = !label()->pixmap().isNull();
        if (label()->acts())
            return picture ? QAccessible::Button : QAccessible::Link;
        return picture ? QAccessible::Graphic : QAccessible::StaticText;
    }

    QString text(QAccessible::Text kind) const override
    {
        const QString text = QAccessibleWidget::text(kind);
        return kind == QAccessible::Name && text.isEmpty() ? label()->text() : text;
    }

    QStringList actionNames() const override
    {
        QStringList names = QAccessibleWidget::actionNames();
        if (label()->acts())
            names.prepend(pressAction());
        return names;
    }

    void doAction(const QString& actionName) override
    {
        if (actionName != pressAction())
            return QAccessibleWidget::doAction(actionName);
        // A disabled window takes no clicks; it takes no presses either.
        if (label()->acts() && label()->isEnabled())
            emit label()->clicked();
    }

private:
    ClickLabel* label() const { return static_cast<ClickLabel*>(widget()); }
};

// Asked whenever a label is first looked at, which may be before its click is connected:
// whether it acts is decided at each question, not here.
QAccessibleInterface* clickAccessible(const QString&, QObject* object)
{
    auto* label = qobject_cast<ClickLabel*>(object);
    return label ? new ClickAccessible(label) : nullptr;
}

// Qt on Linux names a drop-down list after its current item and leaves its own name to a
// label beside it; a list with no such label but a name of its own keeps that name here.
// The current item is the list's value, and its text too: a screen reader reads a list's
// shown text to say its value on focus, and says the new item when that text changes.
// The popup list stays its child, so the reader can follow the items while it is open.
// Asked for every list, so a name given after the first question still counts.
class NamedListAccessible : public QAccessibleWidget, public QAccessibleTextInterface {
public:
    explicit NamedListAccessible(QComboBox* list) : QAccessibleWidget(list, QAccessible::ComboBox)
    {
        // Told as an insertion alone: the removal of the old text, selected as it was, would
        // be read out as "selection deleted".
        QObject::connect(list, &QComboBox::currentTextChanged, list, [list](const QString& text) {
            QAccessibleTextInsertEvent event(list, 0, text);
            QAccessible::updateAccessibility(&event);
        });
    }

    void* interface_cast(QAccessible::InterfaceType type) override
    {
        if (type == QAccessible::TextInterface)
            return static_cast<QAccessibleTextInterface*>(this);
        return QAccessibleWidget::interface_cast(type);
    }

    QString text(QAccessible::Text kind) const override
    {
        if (kind == QAccessible::Value)
            return list()->currentText();
        const QString text = QAccessibleWidget::text(kind);
        return kind == QAccessible::Name && text.isEmpty() ? list()->currentText() : text;
    }

    QAccessible::State state() const override
    {
        QAccessible::State state = QAccessibleWidget::state();
        state.expandable = true;
        state.expanded = list()->view()->isVisible();
        return state;
    }

    int childCount() const override { return 1; }
    QAccessibleInterface* child(int index) const override
    {
        return index == 0 ? QAccessible::queryAccessibleInterface(list()->view()) : nullptr;
    }
    int indexOfChild(const QAccessibleInterface* child) const override
    {
        return child && child->object() == list()->view() ? 0 : -1;
    }

    QStringList actionNames() const override
    {
        return QStringList{showMenuAction()} + QAccessibleWidget::actionNames();
    }
    void doAction(const QString& actionName) override
    {
        if (actionName != showMenuAction())
            return QAccessibleWidget::doAction(actionName);
        if (list()->view()->isVisible())
            list()->hidePopup();
        else
            list()->showPopup();
    }

    // The shown text: read only, the caret before it, and selected as a whole, as its item
    // is in the list; a reader says a new text that is selected and keeps quiet otherwise.
    QString text(int startOffset, int endOffset) const override
    {
        return list()->currentText().mid(startOffset, endOffset - startOffset);
    }
    int characterCount() const override { return int(list()->currentText().size()); }
    void selection(int, int* startOffset, int* endOffset) const override
    {
        *startOffset = 0;
        *endOffset = characterCount();
    }
    int selectionCount() const override { return characterCount() > 0 ? 1 : 0; }
    void addSelection(int, int) override {}
    void removeSelection(int) override {}
    void setSelection(int, int, int) override {}
    int cursorPosition() const override { return 0; }
    void setCursorPosition(int) override {}
    QRect characterRect(int) const override { return {}; }
    int offsetAtPoint(const QPoint&) const override { return -1; }
    void scrollToSubstring(int, int) override {}
    QString attributes(int, int* startOffset, int* endOffset) const override
    {
        *startOffset = *endOffset = 0;
        return {};
    }

private:
    QComboBox* list() const { return static_cast<QComboBox*>(widget()); }
};

QAccessibleInterface* namedListAccessible(const QString&, QObject* object)
{
    auto* list = qobject_cast<QComboBox*>(object);
    return list && !list->isEditable() ? new NamedListAccessible(list) : nullptr;
}

// Qt tells the accessibility bus that a plain frame is a "frame", the role of a top-level
// window, and a plain top-level widget a "filler". A screen reader then takes the panel
// that holds a window's controls for the window, finds it never active and stays silent
// as the focus moves. A plain frame is a panel, a plain top-level widget a window.
QAccessibleInterface* plainWidgetAccessible(const QString& className, QObject* object)
{
    auto* widget = qobject_cast<QWidget*>(object);
    if (!widget)
        return nullptr;
    if (className == QLatin1String("QFrame"))
        return new QAccessibleWidget(widget, QAccessible::Grouping);
    if (className == QLatin1String("QWidget") && widget->isWindow())
        return new QAccessibleWidget(widget, QAccessible::Window);
    return nullptr;
}

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

void initialise()
{
    loadFonts();
    applyTheme();
    QAccessible::installFactory(clickAccessible);
    QAccessible::installFactory(namedListAccessible);
    QAccessible::installFactory(plainWidgetAccessible);
}

namespace {

// Set once fonts-wine's Tahoma is registered (loadFonts()). Its two files carry hand-made
// 1-bit strikes that are Tahoma as it should look at small sizes; their outlines are
// rougher, and the bold file's are no heavier than the regular face's.
bool wineTahoma = false;

// Pixels of a font of this point size, as Qt sizes it.
qreal pointPixels(qreal points)
{
    const QScreen* screen = QGuiApplication::primaryScreen();
    return points * (screen ? screen->logicalDotsPerInchY() : 96.0) / 72.0;
}

// Whether the face at this size in screen pixels has a strike of its own. The bold file's
// 13-16 px strikes are copies of the regular face's, so bold has only 9-12 px.
bool hasStrike(qreal screenPixels, bool bold)
{
    const int size = qRound(screenPixels);
    return wineTahoma && qAbs(screenPixels - size) < 0.01 && size >= (bold ? 9 : 8) &&
           size <= (bold ? 12 : 16);
}

} // namespace

QFont tahoma(double pointSize, bool bold)
{
    QFont font(QStringLiteral("Tahoma"));
    font.setPointSizeF(pointSize);
    font.setBold(bold);
    if (hasStrike(pointPixels(pointSize) * qApp->devicePixelRatio(), bold)) {
        // Without antialiasing FreeType draws the strike, and full hinting lays the text
        // out by the strike's own advances.
        font.setStyleStrategy(QFont::NoAntialias);
        font.setHintingPreference(QFont::PreferFullHinting);
    }
    return font;
}

QFont drawnFont(const QFont& font, qreal screenPixels, bool* embolden)
{
    *embolden = false;
    if (!wineTahoma || !font.families().contains(QStringLiteral("Tahoma")))
        return font;
    const bool bold = font.weight() >= QFont::Bold;
    if (hasStrike(screenPixels, bold))
        return font;
    // A font made for a strike, shown on a screen of another ratio, draws the outline.
    QFont outline = font;
    outline.setStyleStrategy(QFont::PreferDefault);
    outline.setHintingPreference(QFont::PreferDefaultHinting);
    *embolden = bold;
    return outline;
}

QFont drawnFont(const QPainter& painter, bool* embolden)
{
    // The device transform holds the screen's ratio, also where a widget is drawn into an
    // image of another ratio.
    return drawnFont(painter.font(),
                     painter.fontInfo().pixelSize() * painter.deviceTransform().m11(), embolden);
}

void loadFonts()
{
    if (QFontDatabase::families().contains(QStringLiteral("Tahoma")))
        return;
    // fonts-wine ships Tahoma's metrics under the same family name; without it Qt
    // falls back to the default sans-serif.
    for (const char* file :
         {"/usr/share/wine/fonts/tahoma.ttf", "/usr/share/wine/fonts/tahomabd.ttf"}) {
        if (QFile::exists(QLatin1String(file)))
            wineTahoma |= QFontDatabase::addApplicationFont(QLatin1String(file)) >= 0;
    }
}

int lineHeight(const QFont& font)
{
    // Tahoma's line: its Windows ascent and descent, 2049 and 423 units of 2048 to the em.
    return qRound(pointPixels(font.pointSizeF()) * (2049 + 423) / 2048);
}

const QCursor& linkCursor()
{
    static const QCursor cursor(picture(QStringLiteral("link.cur")), 6, 0);
    return cursor;
}

QIcon applicationIcon()
{
    // One icon for every window, built once and shared: the 256-colour 16 px picture for
    // title bars, and the desktop theme's larger sizes for task switchers, up to 64 px.
    // Qt hands every size to the window manager with each window; 128 and 256 px would be
    // nine tenths of that data, and desktops that show an icon so large take it from the
    // installed hicolor theme, found through the desktop file.
    static const QIcon icon = [] {
        QIcon sizes = bakedIcon(u"app.ico");
        for (int size : {24, 32, 48, 64})
            for (const QImage& image : bakedImages(QStringLiteral("app%1.png").arg(size)))
                sizes.addPixmap(QPixmap::fromImage(image));
        return sizes;
    }();
    return icon;
}

QPixmap picture(const QString& name, qreal ratio)
{
    if (ratio > 1.0) {
        // Every picture has a twin drawn at twice its size; on a high-DPI screen that twin
        // keeps the picture sharp instead of scaling the small one up.
        const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
        const QList<QImage> sharp =
            bakedImages(name.left(dot) + QStringLiteral("@2x") + name.mid(dot));
        if (!sharp.isEmpty()) {
            QImage image = sharp.first();
            image.setDevicePixelRatio(2.0);
            return QPixmap::fromImage(image);
        }
    }
    const QList<QImage> images = bakedImages(name);
    return images.isEmpty() ? QPixmap() : QPixmap::fromImage(images.first());
}

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
    const QFont font =
        drawnFont(this->font(), QFontInfo(this->font()).pixelSize() * devicePixelRatioF(), &embolden);
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

namespace {

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

QLabel* label(QWidget* parent, const QString& name, const QString& text, int left, int top,
              const QFont& font)
{
    QLabel* result = plainLabel(parent, name, text, font);
    result->move(px(left), px(top));
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

ClickLabel* linkLabel(QWidget* parent, const QString& name, const QString& text, int left, int top,
                      const QFont& font, const QColor& colour, bool underline)
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
    result->move(px(left), px(top));
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

QWidget* line(QWidget* parent, const QString& name, int x1, int y1, int x2, int width,
              const QColor& colour)
{
    auto* result = new QWidget(parent);
    result->setObjectName(name);
    result->setGeometry(px(x1), px(y1), px(x2) - px(x1) + 1, width);
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
    const int overlap = neighbour->geometry().right() + 1 + px(60) - label->x();
    if (overlap <= 0)
        return;
    label->setContentsMargins(overlap, 0, 0, 0);
    fitToText(label);
}

namespace {

// The frame as the window system tells it now; QWidget's own copy is brought up to date
// only when the window moves, and a window manager that frames a shown window need not move
// it.
QRect frameRect(const QWidget* window)
{
    const QWindow* handle = window->windowHandle();
    return window->geometry().marginsAdded(handle ? handle->frameMargins() : QMargins());
}

// Centres its window on its screen when it is first shown, and again whenever a window
// manager frames it anew: the frame is not known when the window is mapped, and a manager
// that is still starting (a login's autostart on a busy machine) takes the window over
// after it was shown, without moving it. A manager may also place the window itself once it
// has framed it, so until the window is seen where it was put, a move elsewhere is put
// right; after that a move elsewhere is the user's, and the window stays where it is taken.
class Centring : public QObject, public QAbstractNativeEventFilter {
public:
    Centring(QWidget* window, const QWidget* anchor) : QObject(window), anchor_(anchor) {}

    // A manager frames a window by taking it into its frame and telling the frame's extents
    // in a property; on X11 neither need reach the window as an event of Qt's.
    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr*) override
    {
        if (eventType != "xcb_generic_event_t")
            return false;
        const auto* event = static_cast<const xcb_generic_event_t*>(message);
        xcb_window_t target = XCB_NONE;
        switch (event->response_type & 0x7f) {
        case XCB_REPARENT_NOTIFY:
            target = reinterpret_cast<const xcb_reparent_notify_event_t*>(event)->window;
            break;
        case XCB_PROPERTY_NOTIFY:
            target = reinterpret_cast<const xcb_property_notify_event_t*>(event)->window;
            break;
        default:
            return false;
        }
        auto* window = static_cast<QWidget*>(parent());
        if (window->windowHandle() && target == window->windowHandle()->winId())
            // Once Qt has taken the event in and knows the frame is to be read anew.
            QMetaObject::invokeMethod(this, [this, window] { follow(window, QEvent::None); },
                                      Qt::QueuedConnection);
        return false;
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (watched != parent())
            return false;
        auto* window = static_cast<QWidget*>(watched);
        if (event->type() == QEvent::Show && !screen_) {
            screen_ = openingScreen(anchor_);
            centre(window);
            QCoreApplication::instance()->installNativeEventFilter(this);
            return false;
        }
        follow(window, event->type());
        return false;
    }

private:
    void follow(QWidget* window, QEvent::Type type)
    {
        if (!screen_ || !window->isVisible())
            return;
        const QRect frame = frameRect(window);
        const bool framed = frame.size() != window->size();
        if (frame.size() != placedFrame_.size()) { // framed anew
            unconfirmed_ = framed;
            centre(window);
        } else if (type != QEvent::Move || !framed) {
            return;
        } else if (frame.topLeft() == placedFrame_.topLeft()) {
            unconfirmed_ = false;
        } else if (unconfirmed_ || asked_.contains(window->geometry().topLeft())) {
            // Placed by the manager, or the late answer to an earlier request of ours, which
            // a busy window manager may send after the answer to the last one.
            unconfirmed_ = false;
            centre(window);
        } else { // moved by the user: it stays where it is taken
            window->removeEventFilter(this);
            deleteLater();
        }
    }

    void centre(QWidget* window)
    {
        // Bounded: a window manager that keeps placing the window its own way wins.
        if (asked_.size() >= 8)
            return;
        placedFrame_ = frameRect(window);
        placedFrame_.moveCenter(screen_->availableGeometry().center());
        // QWidget::move() places the frame by the frame it knows, which may be stale: the
        // window is placed by its client area, inside the frame as it is now.
        const QPoint client = placedFrame_.topLeft() + window->geometry().topLeft() -
                              frameRect(window).topLeft();
        if (client != window->geometry().topLeft())
            asked_.append(window->geometry().topLeft()); // where it was put before
        asked_.append(client);
        window->move(client - window->geometry().topLeft() + window->pos());
    }

    QPointer<const QWidget> anchor_;
    QPointer<QScreen> screen_;
    QRect placedFrame_;
    QList<QPoint> asked_; // the client positions asked for so far
    bool unconfirmed_ = false;
};

} // namespace

QScreen* openingScreen(const QWidget* mainWindow)
{
    QScreen* screen = mainWindow ? mainWindow->screen() : QGuiApplication::screenAt(QCursor::pos());
    return screen ? screen : QGuiApplication::primaryScreen();
}

void centreOnFirstShow(QWidget* window, const QWidget* mainWindow)
{
    window->installEventFilter(new Centring(window, mainWindow));
}

void makeFixedWindow(QWidget* window, int widthTwips, int heightTwips, const QWidget* mainWindow)
{
    centreOnFirstShow(window, mainWindow);
    window->setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                           Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    window->setFixedSize(px(widthTwips), px(heightTwips));
}

void keepInFrontOf(QWidget* window, QWidget* owner)
{
    if (!owner)
        return;
    // Qt hands the link to the window manager only for dialogs (WM_TRANSIENT_FOR on X11,
    // the parent surface on Wayland), and both need their native windows for it.
    window->setWindowFlags((window->windowFlags() & ~Qt::WindowType_Mask) | Qt::Dialog);
    window->winId();
    owner->winId();
    window->windowHandle()->setTransientParent(owner->windowHandle());
}

} // namespace mensurio::ui
