#include "ui/placement.h"

#include "ui/controls.h"

#include <QAbstractNativeEventFilter>
#include <QCoreApplication>
#include <QCursor>
#include <QGuiApplication>
#include <QPointer>
#include <QScreen>
#include <QWidget>
#include <QWindow>

#include <xcb/xcb.h>

namespace mensurio::ui {

namespace {

// The frame as the window system tells it now; QWidget's own copy is brought up to date
// only when the window moves, and a window manager that frames a shown window need not move
// it.
QRect frameRect(const QWidget* window)
{
    const QWindow* handle = window->windowHandle();
    return window->geometry().marginsAdded(handle ? handle->frameMargins() : QMargins());
}

// The screen a window opens on: the main window's, or for the main window itself the one
// that holds the pointer.
QScreen* openingScreen(const QWidget* mainWindow)
{
    QScreen* screen = mainWindow ? mainWindow->screen() : QGuiApplication::screenAt(QCursor::pos());
    return screen ? screen : QGuiApplication::primaryScreen();
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
            QMetaObject::invokeMethod(
                this, [this, window] { follow(window, QEvent::None); }, Qt::QueuedConnection);
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
        const QPoint client =
            placedFrame_.topLeft() + window->geometry().topLeft() - frameRect(window).topLeft();
        if (client != window->geometry().topLeft())
            asked_.append(window->geometry().topLeft()); // where it was put before
        asked_.append(client);
        // A new window belongs to the primary screen until it is told otherwise; Qt 6.8
        // drops a move onto another screen made as the window is being shown.
        if (QWindow* handle = window->windowHandle(); handle && handle->screen() != screen_)
            handle->setScreen(screen_);
        window->move(client - window->geometry().topLeft() + window->pos());
    }

    QPointer<const QWidget> anchor_;
    QPointer<QScreen> screen_;
    QRect placedFrame_;
    QList<QPoint> asked_; // the client positions asked for so far
    bool unconfirmed_ = false;
};

} // namespace

void centreOnFirstShow(QWidget* window, const QWidget* mainWindow)
{
    window->installEventFilter(new Centring(window, mainWindow));
}

void makeFixedWindow(QWidget* window, int widthTwips, int heightTwips, const QWidget* mainWindow)
{
    centreOnFirstShow(window, mainWindow);
    window->setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                           Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    window->setFixedSize(pixelsOfTwips(widthTwips), pixelsOfTwips(heightTwips));
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
