// Bakes every picture of resources.qrc, and the one standard icon that the main window's
// menu bar asks for, into pixels the program can show without decoding anything: a blob
// of raw pixels and a C++ table that names them. At run time a picture is then a QImage
// over read-only data, and no image-format plugin is ever loaded, which saves the
// program most of a bare Qt window's start-up cost again.
//
// Usage: bakepictures <resources.qrc> <pictures.cpp> <pictures.bin>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QIcon>
#include <QImageReader>
#include <QSaveFile>
#include <QStyle>
#include <QXmlStreamReader>

#include <algorithm>
#include <cstdio>

namespace {

struct Frame {
    QString name;
    QImage image;
};

[[noreturn]] void fail(const QString& message)
{
    std::fprintf(stderr, "bakepictures: %s\n", qPrintable(message));
    std::exit(1);
}

// The form QPixmap::fromImage would convert to on a 24- or 32-bit screen, so that the
// pixmap can share the baked pixels instead of converting them.
QImage pixmapReady(const QImage& image)
{
    return image.convertToFormat(image.hasAlphaChannel() ? QImage::Format_ARGB32_Premultiplied
                                                         : QImage::Format_RGB32);
}

// Every frame of every file the resource list names, under its alias, in file order.
QList<Frame> readPictures(const QString& qrcPath)
{
    QFile qrc(qrcPath);
    if (!qrc.open(QIODevice::ReadOnly))
        fail(QStringLiteral("cannot read ") + qrcPath);
    const QDir folder = QFileInfo(qrcPath).absoluteDir();
    QList<Frame> frames;
    QXmlStreamReader xml(&qrc);
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement || xml.name() != QLatin1String("file"))
            continue;
        const QString alias = xml.attributes().value(QLatin1String("alias")).toString();
        const QString file = xml.readElementText();
        QImageReader reader(folder.filePath(file));
        // An icon file holds one image per size; a window icon offers them all. Read in
        // turn, the icon reader hands out its first image every time: each frame has to
        // be jumped to. Formats without frames to jump to read on in turn.
        const int count = qMax(1, reader.imageCount());
        for (int i = 0; i < count; ++i) {
            reader.jumpToImage(i);
            QImage image;
            if (!reader.read(&image))
                fail(file + QStringLiteral(": ") + reader.errorString());
            frames.append({alias.isEmpty() ? file : alias, pixmapReady(image)});
        }
    }
    if (xml.hasError())
        fail(qrcPath + QStringLiteral(": ") + xml.errorString());
    return frames;
}

// The menu bar's extension button takes this icon from the style as the bar is built,
// and loading it the usual way makes Qt's image reader load every format plugin.
QList<Frame> extensionIcon()
{
    const QIcon icon =
        QApplication::style()->standardIcon(QStyle::SP_ToolBarHorizontalExtensionButton);
    QList<Frame> frames;
    for (const QSize& size : icon.availableSizes())
        frames.append(
            {QStringLiteral("toolbar-extension"), pixmapReady(icon.pixmap(size).toImage())});
    if (frames.isEmpty())
        fail(QStringLiteral("the style has no extension button icon"));
    return frames;
}

void write(QSaveFile& file, const QByteArray& bytes)
{
    if (file.write(bytes) != bytes.size())
        fail(file.fileName() + QStringLiteral(": ") + file.errorString());
}

} // namespace

int main(int argc, char* argv[])
{
    // Only the style's icon needs an application, and no screen.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    if (argc != 4)
        fail(QStringLiteral("usage: bakepictures <resources.qrc> <pictures.cpp> <pictures.bin>"));
    // The pixels keep this order: the menu bar's icon, then the resource list's order, which
    // puts what the main window shows first. The kernel maps a file's pages in blocks
    // around each one touched, so a start then brings in only the pictures it shows.
    // The twins for high-DPI screens go last, away from those a normal screen shows.
    QList<Frame> frames = extensionIcon() + readPictures(QFile::decodeName(argv[1]));
    std::stable_partition(frames.begin(), frames.end(), [](const Frame& frame) {
        return !frame.name.contains(QLatin1String("@2x"));
    });

    QSaveFile pixels(QFile::decodeName(argv[3]));
    QSaveFile table(QFile::decodeName(argv[2]));
    if (!pixels.open(QIODevice::WriteOnly) || !table.open(QIODevice::WriteOnly))
        fail(QStringLiteral("cannot write the output"));
    QByteArray rows;
    qsizetype offset = 0;
    for (const Frame& frame : frames) {
        const QImage& image = frame.image;
        write(pixels, QByteArray::fromRawData(reinterpret_cast<const char*>(image.constBits()),
                                              image.sizeInBytes()));
        rows += QStringLiteral("    {\"%1\", %2, %3, %4, %5},\n")
                    .arg(frame.name)
                    .arg(image.width())
                    .arg(image.height())
                    .arg(image.hasAlphaChannel() ? "true" : "false")
                    .arg(offset)
                    .toUtf8();
        offset += image.sizeInBytes();
    }
    const QString blob = QFileInfo(pixels.fileName()).absoluteFilePath();
    write(table,
          "// Made by bakepictures from resources.qrc; edit the pictures, not this file.\n"
          "#include \"ui/pictures.h\"\n\n"
          "// Rows of ARGB32 and RGB32 pixels need 4-byte alignment. A section of their own,\n"
          "// which the linker places after the read-only data, keeps other data's pages from\n"
          "// bringing pixels no window shows into memory.\n"
          "asm(\".pushsection mensurio_pixels, \\\"a\\\"\\n.balign 4096\\n\"\n"
          "    \"mensurio_baked_pixels:\\n.incbin \\\"" +
              blob.toUtf8() +
              "\\\"\\n.popsection\");\n"
              "asm(\".hidden mensurio_baked_pixels\\n.globl mensurio_baked_pixels\");\n"
              "extern \"C\" const unsigned char mensurio_baked_pixels[];\n\n"
              "namespace mensurio::ui::baked {\n"
              "const unsigned char* const pixels = mensurio_baked_pixels;\n"
              "const Frame frames[] = {\n" +
              rows + "};\n" + "const int frameCount = " + QByteArray::number(frames.size()) +
              ";\n} // namespace mensurio::ui::baked\n");
    if (!pixels.commit() || !table.commit())
        fail(QStringLiteral("cannot write the output"));
    return 0;
}
