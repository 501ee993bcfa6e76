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

} // namespace mensurio::ui
