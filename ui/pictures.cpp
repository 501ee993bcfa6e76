#include "ui/pictures.h"

#include <QPixmap>

namespace mensurio::ui {

QList<QImage> bakedImages(QStringView name)
{
    QList<QImage> images;
    for (int i = 0; i < baked::frameCount; ++i) {
        const baked::Frame& frame = baked::frames[i];
        if (name != QLatin1String(frame.name))
            continue;
        // The const constructor keeps the data where it is: no copy, no decoding.
        images.append(
            QImage(baked::pixels + frame.offset, frame.width, frame.height,
                   frame.alpha ? QImage::Format_ARGB32_Premultiplied : QImage::Format_RGB32));
    }
    return images;
}

QIcon bakedIcon(QStringView name)
{
    QIcon icon;
    for (const QImage& image : bakedImages(name))
        icon.addPixmap(QPixmap::fromImage(image));
    return icon;
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

} // namespace mensurio::ui
