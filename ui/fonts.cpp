#include "ui/fonts.h"

#include <QFile>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QPainter>
#include <QScreen>

#include <fontconfig/fontconfig.h>
#include <sys/stat.h>

#include <algorithm>
#include <array>

namespace mensurio::ui {

namespace {

// A font file as the build machine held it, and fontconfig's description of its one face,
// as FcNameUnparse writes it; null where none was made.
struct DescribedFile {
    const char* path;
    long long size;
    long long seconds; // time of the last change
    long long nanoseconds;
    const char* description;
};

// fonts-wine's regular and bold Tahoma.
const DescribedFile tahomaFiles[] = {
#include "tahomafiles.inc"
};

// Whether the file is still the one described: a package of another version changes its
// size or its time.
bool asDescribed(const DescribedFile& file)
{
    struct stat status = {};
    return file.description && ::stat(file.path, &status) == 0 && status.st_size == file.size &&
           status.st_mtim.tv_sec == file.seconds && status.st_mtim.tv_nsec == file.nanoseconds;
}

// Whether one of the fonts that the user's fontconfig configuration gives has the family as
// its first name, the one Qt lists it by.
bool fontconfigHas(const char* family)
{
    const FcFontSet* fonts = FcConfigGetFonts(nullptr, FcSetSystem);
    for (int i = 0; fonts && i < fonts->nfont; ++i) {
        FcChar8* name = nullptr;
        if (FcPatternGetString(fonts->fonts[i], FC_FAMILY, 0, &name) == FcResultMatch &&
            qstrcmp(reinterpret_cast<const char*>(name), family) == 0)
            return true;
    }
    return false;
}

// Hands fontconfig the faces of the files still as described, as the program's own fonts,
// before Qt lists fontconfig's fonts, where the user's configuration gives no Tahoma of its
// own: FreeType reading the two files' tables costs the start some 1.6 million
// instructions. Returns which files it handed over.
std::array<bool, std::size(tahomaFiles)> addDescribedFaces()
{
    std::array<bool, std::size(tahomaFiles)> added{};
    if (!FcInit() || fontconfigHas("Tahoma"))
        return added;
    FcFontSet* own = FcConfigGetFonts(nullptr, FcSetApplication);
    if (!own) {
        // Makes the set of the program's own fonts, as Qt does.
        FcConfigAppFontAddFile(nullptr, reinterpret_cast<const FcChar8*>(":/non-existent"));
        own = FcConfigGetFonts(nullptr, FcSetApplication);
    }
    for (std::size_t i = 0; own && i < std::size(tahomaFiles); ++i) {
        if (!asDescribed(tahomaFiles[i]))
            continue;
        FcPattern* face = FcNameParse(reinterpret_cast<const FcChar8*>(tahomaFiles[i].description));
        added[i] = face && FcFontSetAdd(own, face);
        if (face && !added[i])
            FcPatternDestroy(face);
    }
    return added;
}

// Whether the Tahoma that draws is fonts-wine's. Its two files carry hand-made 1-bit strikes
// that are Tahoma as it should look at small sizes; their outlines are rougher, and the bold
// file's are no heavier than the regular face's. Decided once, on the first question, which
// registers the files where fontconfig knows no Tahoma: every font asked for before or after
// that is the same font.
bool wineTahoma()
{
    static const bool registered = [] {
        const auto described = addDescribedFaces();
        const bool anyDescribed =
            std::find(described.begin(), described.end(), true) != described.end();
        // Qt lists fontconfig's fonts once, the faces described included.
        const bool listed = QFontDatabase::families().contains(QStringLiteral("Tahoma"));
        if (listed && !anyDescribed)
            return false;
        // fonts-wine ships Tahoma's metrics under the same family name; without it Qt
        // falls back to the default sans-serif. A file not described, or a font database
        // that is not fontconfig's, takes the file itself.
        bool any = listed; // the faces described
        for (std::size_t i = 0; i < std::size(tahomaFiles); ++i) {
            const QString path = QLatin1String(tahomaFiles[i].path);
            if (!(listed && described[i]) && QFile::exists(path))
                any |= QFontDatabase::addApplicationFont(path) >= 0;
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
