// What the program draws without decoding anything: every baked picture against the
// original file decoded the usual way, the shared application icon, and how often a
// keystroke repaints the value fields.
#include "fakeplatform.h"
#include "pairs/pairwindow.h"
#include "shell/mainform.h"
#include "ui/pictures.h"
#include "ui/widgets.h"

#include <QApplication>
#include <QDir>
#include <QImageReader>
#include <QLineEdit>
#include <QProxyStyle>
#include <QTest>

using namespace mensurio;

namespace {

// Both sides as a pixmap holds them: premultiplied, so that a fully transparent pixel
// compares equal whatever colour the file stored under it.
QImage shown(const QImage& image)
{
    QImage result = image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    result.setDevicePixelRatio(1.0); // the file name alone sets it; the pixels are what count
    return result;
}

// Counts the paint events each watched widget receives.
class PaintCounter : public QObject {
public:
    QHash<QObject*, int> paints;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Paint)
            ++paints[watched];
        return false;
    }
};

} // namespace

class TestDrawing : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { ui::initialise(); }

    void picturesMatchTheirFiles_data();
    void picturesMatchTheirFiles();
    void menuBarExtensionIconMatchesTheStyle();
    void applicationIconIsBuiltOnce();
    void keystrokeRepaintsEachChangedFieldOnce_data();
    void keystrokeRepaintsEachChangedFieldOnce();
};

void TestDrawing::picturesMatchTheirFiles_data()
{
    QTest::addColumn<QString>("file");

    // Every picture file, so that one added later and left out of the baking fails here.
    const QDir images(QStringLiteral(MENSURIO_SOURCE_DIR "/resources/images"));
    for (const QString& name : images.entryList(QDir::Files))
        QTest::newRow(qPrintable(name)) << images.filePath(name);
}

void TestDrawing::picturesMatchTheirFiles()
{
    QFETCH(QString, file);

    QImageReader reader(file);
    const QList<QImage> baked = ui::bakedImages(QFileInfo(file).fileName());
    QCOMPARE(baked.size(), qMax(1, reader.imageCount()));
    for (const QImage& image : baked) {
        const QImage original = reader.read();
        QVERIFY2(!original.isNull(), qPrintable(reader.errorString()));
        QCOMPARE(shown(image), shown(original));
    }
    // What a window shows is the file's first image, pixel for pixel.
    QCOMPARE(shown(ui::picture(QFileInfo(file).fileName()).toImage()), shown(baked.first()));
}

void TestDrawing::menuBarExtensionIconMatchesTheStyle()
{
    const QStyle* style = QApplication::style();
    const QIcon baked = style->standardIcon(QStyle::SP_ToolBarHorizontalExtensionButton);
    const QIcon own = qobject_cast<const QProxyStyle*>(style)->baseStyle()->standardIcon(
        QStyle::SP_ToolBarHorizontalExtensionButton);
    QCOMPARE(baked.availableSizes(), own.availableSizes());
    for (const QSize& size : own.availableSizes())
        QCOMPARE(shown(baked.pixmap(size).toImage()), shown(own.pixmap(size).toImage()));
}

void TestDrawing::applicationIconIsBuiltOnce()
{
    // Every window shares the one icon instead of building its own copy.
    QCOMPARE(ui::applicationIcon().cacheKey(), ui::applicationIcon().cacheKey());
    const QIcon original(QStringLiteral(MENSURIO_SOURCE_DIR "/resources/images/app.ico"));
    QCOMPARE(ui::applicationIcon().availableSizes(), original.availableSizes());
    QCOMPARE(shown(ui::applicationIcon().pixmap(16).toImage()),
             shown(original.pixmap(16).toImage()));
}

void TestDrawing::keystrokeRepaintsEachChangedFieldOnce_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("var1Paints");
    QTest::addColumn<int>("var2Paints");

    QTest::newRow("first digit") << "" << int(Qt::Key_5) << 1 << 1;
    QTest::newRow("another digit") << "1" << int(Qt::Key_5) << 1 << 1;
    QTest::newRow("backspace") << "15" << int(Qt::Key_Backspace) << 1 << 1;
    QTest::newRow("letter refused") << "1" << int(Qt::Key_A) << 0 << 0;
}

void TestDrawing::keystrokeRepaintsEachChangedFieldOnce()
{
    QFETCH(QString, typed);
    QFETCH(int, key);
    QFETCH(int, var1Paints);
    QFETCH(int, var2Paints);

    QApplication::setCursorFlashTime(0); // a blinking cursor repaints without any key
    test::FakePlatform platform;
    MainForm form(platform);
    form.context().locale = QLocale(QLocale::English, QLocale::UnitedStates);
    QTest::ignoreMessage(QtWarningMsg, "This plugin does not support raise()");
    auto* window = form.windows().show<PairWindow>(QStringLiteral("Weight1"));
    QVERIFY(QTest::qWaitForWindowExposed(window));
    auto* var1 = window->findChild<QLineEdit*>(QStringLiteral("Var1"));
    auto* var2 = window->findChild<QLineEdit*>(QStringLiteral("Var2"));
    QTest::keyClicks(var1, typed);
    QTRY_COMPARE(var1->text(), typed);
    QTest::qWait(50); // the typing's own repaints

    PaintCounter counter;
    var1->installEventFilter(&counter);
    var2->installEventFilter(&counter);
    // Apart, as from a keyboard: the window repaints between the press and the release.
    QTest::keyPress(var1, Qt::Key(key));
    QTest::qWait(50);
    QTest::keyRelease(var1, Qt::Key(key));
    QTest::qWait(50);
    QCOMPARE(counter.paints.value(var1), var1Paints);
    QCOMPARE(counter.paints.value(var2), var2Paints);
}

QTEST_MAIN(TestDrawing)
#include "test_drawing.moc"
