#include "ui/fieldpanel.h"

#include <QAbstractSpinBox>
#include <QCache>
#include <QComboBox>
#include <QImage>
#include <QLineEdit>
#include <QPaintEngine>
#include <QPainter>
#include <QStyleOption>

#include <array>
#include <cmath>
#include <optional>

namespace mensurio::ui {

namespace {

// How far into each corner the rounded, smoothed outline lets what lies behind the field
// show through; elsewhere the panel covers every pixel.
constexpr int cornerReach = 4;
// Some twenty fields' looks: the fields of the pair windows come in a dozen widths, each
// editable or locked, focused or not.
constexpr qsizetype cacheBytes = 512 * 1024;

// Everything the panel's pixels depend on but the background behind its corners.
struct PanelLook {
    const QStyle* style = nullptr;
    QSize size;
    int state = 0;
    int lineWidth = 0;
    int midLineWidth = 0;
    int features = 0;
    int direction = 0;
    QImage::Format format = QImage::Format_Invalid;
    std::array<QRgb, QPalette::NColorRoles> colours{};

    friend bool operator==(const PanelLook&, const PanelLook&) = default;
};

size_t qHash(const PanelLook& look, size_t seed = 0)
{
    seed = qHashMulti(seed, look.style, look.size.width(), look.size.height(), look.state,
                      look.lineWidth, look.midLineWidth, look.features, look.direction,
                      int(look.format));
    return qHashRange(look.colours.begin(), look.colours.end(), seed);
}

struct Panel {
    QImage pixels;   // the field's whole rectangle, drawn over `background`
    QRgb background; // as the device stores it
};

QCache<PanelLook, Panel>& panels()
{
    static QCache<PanelLook, Panel> cache(cacheBytes);
    return cache;
}

// The look of the panel, or nothing where the style's drawing may depend on more than the
// option says: a brush that is no plain colour, or a field inside a combined control,
// whose panel the control draws.
std::optional<PanelLook> lookOf(const QStyle* style, const QStyleOptionFrame& frame,
                                const QImage& device, const QWidget* widget)
{
    if (!qobject_cast<const QLineEdit*>(widget) ||
        qobject_cast<const QComboBox*>(widget->parentWidget()) ||
        qobject_cast<const QAbstractSpinBox*>(widget->parentWidget()))
        return std::nullopt;
    PanelLook look;
    look.style = style;
    look.size = frame.rect.size();
    // Fusion draws an active window's field as an inactive one's of the same colours, which
    // the look holds: the locked field, first drawn before its window was active, is copied
    // on the first key press instead of drawn again.
    look.state = int(frame.state & ~QStyle::State_Active);
    look.lineWidth = frame.lineWidth;
    look.midLineWidth = frame.midLineWidth;
    look.features = int(frame.features);
    look.direction = int(frame.direction);
    look.format = device.format();
    const QPalette::ColorGroup group = frame.palette.currentColorGroup();
    for (int role = 0; role < QPalette::NColorRoles; ++role) {
        const QBrush& brush = frame.palette.brush(group, QPalette::ColorRole(role));
        if (brush.style() != Qt::SolidPattern)
            return std::nullopt;
        look.colours[size_t(role)] = brush.color().rgba();
    }
    return look;
}

enum class Background { Uniform, Mixed, Unseen };

// Whether every pixel of `part` is `colour`, which the first pixel seen sets.
bool allOneColour(const QImage& device, const QRect& part, std::optional<QRgb>* colour)
{
    for (int y = part.top(); y <= part.bottom(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(device.constScanLine(y));
        for (int x = part.left(); x <= part.right(); ++x) {
            if (!*colour)
                *colour = line[x];
            else if (line[x] != **colour)
                return false;
        }
    }
    return true;
}

// The one colour the device holds behind the panel's corners, where this paint reaches
// them. What the paint does not reach stays as it is, whatever the copy holds there.
Background backgroundBehind(const QImage& device, const QRegion& clip, const QRect& placed,
                            QRgb* colour)
{
    const QRect corners[] = {
        QRect(placed.left(), placed.top(), cornerReach, cornerReach),
        QRect(placed.right() - cornerReach + 1, placed.top(), cornerReach, cornerReach),
        QRect(placed.left(), placed.bottom() - cornerReach + 1, cornerReach, cornerReach),
        QRect(placed.right() - cornerReach + 1, placed.bottom() - cornerReach + 1, cornerReach,
              cornerReach)};
    std::optional<QRgb> seen;
    for (const QRect& corner : corners) {
        for (const QRect& part : clip.intersected(corner & device.rect())) {
            if (!allOneColour(device, part, &seen))
                return Background::Mixed;
        }
    }
    if (!seen)
        return Background::Unseen;
    *colour = *seen;
    return Background::Uniform;
}

// The image the painter writes pixel for pixel, unscaled, unclipped and opaque, where a copy
// of the field is the same pixels as drawing it; null anywhere else.
const QImage* plainImageUnder(QPainter* painter, const QStyleOptionFrame& frame)
{
    QPaintEngine* engine = painter->paintEngine();
    if (!engine || engine->type() != QPaintEngine::Raster || !engine->paintDevice() ||
        engine->paintDevice()->devType() != QInternal::Image)
        return nullptr;
    const auto* device = static_cast<const QImage*>(engine->paintDevice());
    const QTransform transform = painter->deviceTransform();
    if ((device->format() != QImage::Format_RGB32 &&
         device->format() != QImage::Format_ARGB32_Premultiplied) ||
        device->devicePixelRatio() != 1.0 || transform.type() > QTransform::TxTranslate ||
        transform.dx() != std::floor(transform.dx()) ||
        transform.dy() != std::floor(transform.dy()) || painter->hasClipping() ||
        painter->opacity() != 1.0 ||
        painter->compositionMode() != QPainter::CompositionMode_SourceOver ||
        frame.rect.width() < 2 * cornerReach || frame.rect.height() < 2 * cornerReach)
        return nullptr;
    return device;
}

} // namespace

bool drawCachedFieldPanel(const QStyle* style, const QStyleOption* option, QPainter* painter,
                          const QWidget* widget,
                          const std::function<void(const QStyleOption*, QPainter*)>& draw)
{
    const auto* frame = qstyleoption_cast<const QStyleOptionFrame*>(option);
    const QImage* image = frame ? plainImageUnder(painter, *frame) : nullptr;
    if (!image)
        return false;
    const QImage& device = *image;
    const QTransform transform = painter->deviceTransform();
    const std::optional<PanelLook> look = lookOf(style, *frame, device, widget);
    if (!look)
        return false;

    const QRect placed = frame->rect.translated(int(transform.dx()), int(transform.dy()));
    const QRegion systemClip = painter->paintEngine()->systemClip();
    QRgb background = 0;
    const Background behind = backgroundBehind(
        device, systemClip.isEmpty() ? QRegion(device.rect()) : systemClip, placed, &background);
    if (behind == Background::Mixed)
        return false;

    const Panel* panel = panels().object(*look);
    QImage drawn;
    if (!panel || (behind == Background::Uniform && panel->background != background)) {
        if (behind == Background::Unseen)
            return false;
        drawn = QImage(frame->rect.size(), device.format());
        drawn.fill(uint(background));
        QPainter onCopy(&drawn);
        onCopy.translate(-frame->rect.topLeft());
        draw(option, &onCopy);
    }
    painter->setCompositionMode(QPainter::CompositionMode_Source);
    painter->drawImage(frame->rect.topLeft(), panel && drawn.isNull() ? panel->pixels : drawn);
    painter->setCompositionMode(QPainter::CompositionMode_SourceOver);
    if (!drawn.isNull()) {
        const qsizetype bytes = drawn.sizeInBytes();
        panels().insert(*look, new Panel{std::move(drawn), background}, bytes);
    }
    return true;
}

} // namespace mensurio::ui
