#include "ui/fonts.h"

#include <QFile>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QPainter>
#include <QScreen>

namespace mensurio::ui {

namespace {

// Whether the Tahoma that draws is fonts-wine's. Its two files carry hand-made 1-bit strikes
// that are Tahoma as it should look at small sizes; their outlines are rougher, and the bold
// file's are no heavier than the regular face's. Decided once, on the first question, which
// registers the files where fontconfig knows no Tahoma: every font asked for before or after
// that is the same font.
bool wineTahoma()
{
    static const bool registered = [] {
        if (QFontDatabase::families().contains(QStringLiteral("Tahoma")))
            return false;
        // fonts-wine ships Tahoma's metrics under the same family name; without it Qt
        // falls back to the default sans-serif.
        bool any = false;
        for (const char* file :
             {"/usr/share/wine/fonts/tahoma.ttf", "/usr/share/wine/fonts/tahomabd.ttf"}) {
            if (QFile::exists(QLatin1String(file)))
                any |= QFontDatabase::addApplicationFont(QLatin1String(file)) >= 0;
        }
        return any;
    }();
    return registered;
}

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
    return wineTahoma() && qAbs(screenPixels - size) < 0.01 && size >= (bold ? 9 : 8) &&
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
    if (!wineTahoma() || !font.families().contains(QStringLiteral("Tahoma")))
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

void loadFonts() { wineTahoma(); }

int lineHeight(const QFont& font)
{
    // Tahoma's line: its Windows ascent and descent, 2049 and 423 units of 2048 to the em.
    return qRound(pointPixels(font.pointSizeF()) * (2049 + 423) / 2048);
}

} // namespace mensurio::ui
