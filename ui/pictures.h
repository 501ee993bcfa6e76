#pragma once

#include <QCursor>
#include <QIcon>
#include <QImage>
#include <QList>
#include <QPixmap>

namespace mensurio::ui {

// The pictures of resources.qrc, baked into the program at build time as ready pixels
// (resources/bakepictures.cpp): showing one decodes nothing and loads no image plugin.
namespace baked {
struct Frame {
    const char* name;
    int width, height;
    bool alpha; // premultiplied ARGB32 if true, else RGB32
    qsizetype offset;
};
extern const unsigned char* const pixels;
extern const Frame frames[];
extern const int frameCount;
} // namespace baked

// Every image of a baked picture (an icon file holds one per size), in file order; empty
// for a name that was not baked. The images share the program's read-only pixels.
QList<QImage> bakedImages(QStringView name);
// All the images of a baked picture as one icon.
QIcon bakedIcon(QStringView name);

// The one hand-shaped link cursor of the program (hot spot at the fingertip).
const QCursor& linkCursor();
QIcon applicationIcon();
// A picture from the resources for a screen of the given device pixel ratio.
QPixmap picture(const QString& name, qreal ratio = 1.0);

} // namespace mensurio::ui
