// Baked pictures against their files decoded the usual way, field panels copied against
// drawn, and repaints per keystroke.
#include "fakeplatform.h"
#include "pairs/pairwindow.h"
#include "shell/mainwindow.h"
#include "ui/fonts.h"
#include "ui/pictures.h"
#include "ui/style.h"
#include "windows.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QLoggingCategory>
#include <QPainter>
#include <QProxyStyle>
#include <QScopeGuard>
#include <QStyleFactory>
#include <QStyleOptionFrame>
#include <QTest>

using namespace mensurio;

namespace {

// As a pixmap holds it: premultiplied, so a fully transparent pixel compares equal whatever
// colour the file stored under it; the ratio that an "@2x" file name sets is no pixel.
QImage shown(const QImage& image)
{
    QImage result = image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    result.setDevicePixelRatio(1.0);
    return result;
}

class PaintCounter : public QObject {
public:
    QHash<QObject*, int> paints;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        paints[watched] += event->type() == QEvent::Paint;
        return false;
    }
};

// Waits until the window has drawn every update asked of it so far: the marker, asked to
// repaint now, is drawn in the same pass as every earlier update of its window.
bool drawnUpTo(QWidget* marker)
{
    PaintCounter counter;
    marker->installEventFilter(&counter);
    marker->update();
    return QTest::qWaitFor([&] { return counter.paints.value(marker) > 0; });
}

// Counts the field panels drawn by the style below the program's own.
class PanelCounter : public QProxyStyle {
public:
    using QProxyStyle::QProxyStyle;
    mutable int panels = 0;

    void drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                       const QWidget* widget) const override
    {
        panels += element == PE_PanelLineEdit;
        QProxyStyle::drawPrimitive(element, option, painter, widget);
    }
};

} // namespace

class TestDrawing : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { ui::initialise(); }

    // First, before any other case has drawn text: a font engine, once loaded, is kept.
    void windowsLoadNoEngineForTheDesktopFont()
    {
        // Qt's font matching names each family it looks for an engine for.
        static QStringList requests;
        requests.clear();
        QLoggingCategory::setFilterRules(QStringLiteral("qt.text.font.match.debug=true"));
        const QtMessageHandler previous =
            qInstallMessageHandler([](QtMsgType, const QMessageLogContext&,
                                      const QString& message) { requests.append(message); });
        const auto restore = qScopeGuard([previous] {
            qInstallMessageHandler(previous);
            QLoggingCategory::setFilterRules(QString());
        });
        test::FakePlatform platform;
        MainWindow form(platform);
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        auto* window = test::named(form.windows()).show<PairWindow>(QStringLiteral("Weight1"));
        QVERIFY(QTest::qWaitForWindowExposed(window));
        window->grab();
        QVERIFY(requests.join(QString()).contains(QLatin1String("family: Tahoma")));
        const QString desktop = QLatin1String("family: ") + QApplication::font().family();
        QVERIFY2(!requests.join(QString()).contains(desktop), qPrintable(desktop));
    }

    void picturesMatchTheirFiles_data()
    {
        QTest::addColumn<QString>("file");
        // Every file, so that one left out of the baking fails here.
        const QDir images(QStringLiteral(MENSURIO_SOURCE_DIR "/resources/images"));
        for (const QString& name : images.entryList(QDir::Files))
            QTest::newRow(qPrintable(name)) << images.filePath(name);
    }

    void picturesMatchTheirFiles()
    {
        QFETCH(QString, file);
        // An icon file holds one image per size, and each is baked at its own size.
        const QIcon decoded(file);
        const QList<QImage> baked = ui::bakedImages(QFileInfo(file).fileName());
        QList<QSize> sizes;
        for (const QImage& image : baked)
            sizes.append(image.size());
        QCOMPARE(sizes, decoded.availableSizes());
        for (const QImage& image : baked)
            QCOMPARE(shown(image), shown(decoded.pixmap(image.size()).toImage()));
        QCOMPARE(shown(ui::picture(QFileInfo(file).fileName()).toImage()), shown(baked.first()));
    }

    void windowIconsOfferEveryFrame_data()
    {
        QTest::addColumn<QString>("window");
        QTest::addColumn<QString>("file");
        QTest::addColumn<QList<int>>("sizes");

        QTest::newRow("About") << "AboutApp"
                               << "about.ico" << QList<int>{32, 16};
        QTest::newRow("feedback") << "ForMensurio"
                                  << "feedback.ico" << QList<int>{48, 32, 24, 16};
    }

    void windowIconsOfferEveryFrame()
    {
        QFETCH(QString, window);
        QFETCH(QString, file);
        QFETCH(QList<int>, sizes);

        test::FakePlatform platform;
        MainWindow form(platform);
        const QIcon icon = test::named(form.windows()).instance(window)->windowIcon();
        const QIcon decoded(QStringLiteral(MENSURIO_SOURCE_DIR "/resources/images/") + file);
        QList<QSize> expected;
        for (int size : sizes)
            expected.append(QSize(size, size));
        QCOMPARE(icon.availableSizes(), expected);
        for (const QSize& size : expected)
            QCOMPARE(shown(icon.pixmap(size).toImage()), shown(decoded.pixmap(size).toImage()));
    }

    void menuBarExtensionIconMatchesTheStyle()
    {
        const auto icon = QStyle::SP_ToolBarHorizontalExtensionButton;
        const QIcon baked = QApplication::style()->standardIcon(icon);
        const QIcon own =
            qobject_cast<QProxyStyle*>(QApplication::style())->baseStyle()->standardIcon(icon);
        // Compared as drawn: since Qt 6.8 the style lists its pictures under square sizes
        // (8x8 for the 8x5 arrow), while an icon made of pictures lists their own sizes; and
        // it scales its small pictures from a large one, which they may differ from by a
        // rounding, depending on what was scaled before.
        QVERIFY(!own.availableSizes().isEmpty());
        for (const QSize& size : own.availableSizes()) {
            const QImage drawn = shown(baked.pixmap(size).toImage());
            const QImage expected = shown(own.pixmap(size).toImage());
            QCOMPARE(drawn.size(), expected.size());
            int worst = 0;
            for (int y = 0; y < drawn.height(); ++y)
                for (int x = 0; x < drawn.width(); ++x)
                    for (int shift : {0, 8, 16, 24})
                        worst =
                            std::max(worst, std::abs(int(drawn.pixel(x, y) >> shift & 0xff) -
                                                     int(expected.pixel(x, y) >> shift & 0xff)));
            QVERIFY2(worst <= 8,
                     qPrintable(QStringLiteral("%1 px: off by %2").arg(size.width()).arg(worst)));
        }
    }

    void applicationIconIsBuiltOnce()
    {
        QCOMPARE(ui::applicationIcon().cacheKey(), ui::applicationIcon().cacheKey());
    }

    void widgetsShareTheApplicationPalette()
    {
        // Fusion caches what it draws under the palette's key: a copy per widget would
        // have it draw and keep the same button bevel once per button.
        test::FakePlatform platform;
        MainWindow form(platform);
        const QList<QWidget*> widgets = form.findChildren<QWidget*>(QStringLiteral("Command1")) +
                                        form.findChildren<QWidget*>(QStringLiteral("Command4")) +
                                        form.findChildren<QWidget*>(QStringLiteral("Label10"));
        QCOMPARE(widgets.size(), 3);
        for (const QWidget* widget : widgets)
            QCOMPARE(widget->palette().cacheKey(), QApplication::palette().cacheKey());
    }

    void boldTextIsTahomaBold_data()
    {
        QTest::addColumn<qreal>("ratio");
        QTest::addColumn<double>("darkSlack");  // share of the strike's dark pixels, scaled
        QTest::addColumn<double>("widthSlack"); // screen pixels

        // On a normal screen the face's own strike, pixel for pixel; on larger ones as
        // dark and as wide as that strike scaled up.
        QTest::newRow("100 %") << 1.0 << 0.0 << 0.0;
        QTest::newRow("150 %") << 1.5 << 0.2 << 1.5;
        QTest::newRow("200 %") << 2.0 << 0.2 << 2.0;
    }

    void boldTextIsTahomaBold()
    {
        QFETCH(qreal, ratio);
        QFETCH(double, darkSlack);
        QFETCH(double, widthSlack);
        if (!QFile::exists(QStringLiteral("/usr/share/wine/fonts/tahomabd.ttf")))
            QSKIP("no Tahoma Bold on this machine");

        // FreeType draws "Inch <> Centimetre" from tahomabd.ttf's 11 px strike in 353 dark
        // pixels over 111 columns (FT_LOAD_TARGET_MONO, pen moved by the strike's advances).
        const double strikeDark = 353, strikeWidth = 111;
        test::FakePlatform platform;
        MainWindow form(platform);
        auto* title = test::named(form.windows())
                          .instance(QStringLiteral("Length5"))
                          ->findChild<QLabel*>(QStringLiteral("Label22"));
        QVERIFY(title);
        QCOMPARE(title->text(), QStringLiteral("Inch <> Centimetre"));
        QImage image(title->size() * ratio, QImage::Format_RGB32);
        image.setDevicePixelRatio(ratio);
        title->render(&image);

        int dark = 0, left = image.width(), right = -1;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                if (qGray(image.pixel(x, y)) < 128) {
                    ++dark;
                    left = qMin(left, x);
                    right = qMax(right, x);
                }
        const double expectedDark = strikeDark * ratio * ratio;
        QVERIFY2(qAbs(dark - expectedDark) <= darkSlack * expectedDark,
                 qPrintable(QString::number(dark)));
        QVERIFY2(qAbs(right - left + 1 - strikeWidth * ratio) <= widthSlack,
                 qPrintable(QString::number(right - left + 1)));
        QVERIFY(right < image.width() - 1); // nothing cut off at the label's edge
    }

    void wrappedLinesLieALineApart_data()
    {
        QTest::addColumn<QString>("window");
        QTest::addColumn<QString>("label");
        QTest::addColumn<qreal>("ratio");

        for (qreal ratio : {1.0, 1.5, 2.0}) {
            for (auto [window, label] : {std::pair("MainForm", "Label2"),
                                         {"AboutApp", "Label15"},
                                         {"AboutApp", "Label5"},
                                         {"Symbols", "Label1"}})
                QTest::addRow("%s %s %d %%", window, label, int(ratio * 100))
                    << window << label << ratio;
        }
    }

    void wrappedLinesLieALineApart()
    {
        QFETCH(QString, window);
        QFETCH(QString, label);
        QFETCH(qreal, ratio);

        test::FakePlatform platform;
        MainWindow form(platform);
        QWidget* root = window == "MainForm" ? &form : test::named(form.windows()).instance(window);
        auto* text = root->findChild<QLabel*>(label);
        QVERIFY(text);
        QImage image(text->size() * ratio, QImage::Format_RGB32);
        image.setDevicePixelRatio(ratio);
        text->render(&image);

        // The runs of rows with ink: one per line, line k's within the k-th band one line
        // of the 8.25 pt face (13 px) high, so no line's ink touches the next.
        QList<std::pair<int, int>> runs;
        for (int y = 0; y < image.height(); ++y) {
            bool ink = false;
            for (int x = 0; x < image.width() && !ink; ++x)
                ink = qGray(image.pixel(x, y)) < 200;
            if (ink && (runs.isEmpty() || runs.last().second != y - 1))
                runs.append({y, y});
            else if (ink)
                runs.last().second = y;
        }
        QVERIFY2(runs.size() >= 2, qPrintable(QString::number(runs.size())));
        const qreal pitch = 13 * ratio;
        for (int k = 0; k < runs.size(); ++k) {
            QVERIFY2(runs[k].first >= qFloor(k * pitch) && runs[k].second < qCeil((k + 1) * pitch),
                     qPrintable(QStringLiteral("line %1: rows %2-%3")
                                    .arg(k)
                                    .arg(runs[k].first)
                                    .arg(runs[k].second)));
        }
    }

    void boxOutlineAsQtDrawsIt_data()
    {
        QTest::addColumn<int>("shadow");
        QTest::addColumn<bool>("enabled");
        QTest::addColumn<QSize>("size");

        QTest::newRow("sunken") << int(QFrame::Sunken) << true << QSize(231, 137);
        QTest::newRow("sunken, disabled") << int(QFrame::Sunken) << false << QSize(231, 137);
        QTest::newRow("raised") << int(QFrame::Raised) << true << QSize(40, 9);
        QTest::newRow("smallest") << int(QFrame::Sunken) << true << QSize(5, 5);
    }

    void boxOutlineAsQtDrawsIt()
    {
        QFETCH(int, shadow);
        QFETCH(bool, enabled);
        QFETCH(QSize, size);

        struct Box : QFrame {
            using QFrame::initStyleOption;
        } box;
        box.setFrameStyle(QFrame::Box | shadow);
        box.resize(size);
        box.setEnabled(enabled);
        QStyleOptionFrame option;
        box.initStyleOption(&option);
        auto drawn = [&](const QStyle* style) {
            QImage image(size + QSize(4, 4), QImage::Format_RGB32);
            image.fill(Qt::magenta); // neither shade of the outline
            QPainter painter(&image);
            painter.translate(2, 2); // as the window's painter is moved to the box
            style->drawControl(QStyle::CE_ShapedFrame, &option, &painter, &box);
            return image;
        };
        const auto* style = qobject_cast<QProxyStyle*>(QApplication::style());
        QVERIFY(style);
        QCOMPARE(drawn(style), drawn(style->baseStyle()));
    }

    void labelsMeasuredInTheFontThatDrawsThem()
    {
        // A font engine per face and size: a label sized by one font and drawn by another
        // loads two, each some two million instructions of fontconfig matching.
        test::FakePlatform platform;
        MainWindow form(platform);
        const QList<QLabel*> labels = form.findChildren<QLabel*>();
        QVERIFY(!labels.isEmpty());
        for (const QLabel* label : labels) {
            if (label->text().isEmpty())
                continue;
            bool embolden = false;
            const QFont drawn =
                ui::drawnFont(label->font(), label->fontInfo().pixelSize(), &embolden);
            QVERIFY2(drawn == label->font(), qPrintable(label->objectName()));
        }
    }

    void fieldPanelCopiedAsTheStyleDrawsIt_data()
    {
        // 2: second direction, d: disabled, i: drawn in an inactive window, then active
        QTest::addColumn<QString>("setUp");
        QTest::addColumn<QString>("focus"); // the widget that holds the focus

        auto row = [](const char* tag, const char* setUp, const char* focus) {
            QTest::newRow(tag) << QString(setUp) << QString(focus);
        };
        // First: the rows share the cache, where a look an earlier row drew would hide a miss.
        row("inactive, then active", "i", "Parts");
        row("editable focused", "", "Var1");
        row("locked focused", "", "Var2");
        row("neither focused", "", "Parts");
        row("second direction, editable focused", "2", "Var2");
        row("second direction, locked focused", "2", "Var1");
        row("disabled", "d", "Parts");
        QTest::newRow("second direction, editable focused") << "2"
                                                            << "Var2";
        QTest::newRow("second direction, locked focused") << "2"
                                                          << "Var1";
        QTest::newRow("disabled") << "d"
                                  << "Parts";
    }

    void fieldPanelCopiedAsTheStyleDrawsIt()
    {
        QFETCH(QString, setUp);
        QFETCH(QString, focus);

        QApplication::setCursorFlashTime(0); // the text cursor shown in every grab
        test::FakePlatform platform;
        QWidget owner;
        Context context{platform, &owner, QLocale(QLocale::English, QLocale::UnitedStates)};
        PairWindow window(unitPair(PairId::Weight1), context);
        auto* parts = window.findChild<QComboBox*>(QStringLiteral("Parts"));
        if (setUp.contains(u'2')) {
            parts->setCurrentIndex(1);
            window.directionChosen();
        }
        window.setEnabled(!setUp.contains(u'd'));
        window.show();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        window.findChild<QWidget*>(focus)->setFocus();

        // The program's style over a counter, against Fusion drawing every panel afresh.
        ui::Style program(new PanelCounter(QStyleFactory::create(QStringLiteral("Fusion"))));
        const auto* counter = static_cast<const PanelCounter*>(program.baseStyle());
        std::unique_ptr<QStyle> fusion(QStyleFactory::create(QStringLiteral("Fusion")));
        const QList<QLineEdit*> fields = window.findChildren<QLineEdit*>();
        QCOMPARE(fields.size(), 2);
        const auto backToTheProgramStyle = qScopeGuard([&] {
            for (QLineEdit* field : fields)
                field->setStyle(nullptr);
        });
        auto grab = [&](QStyle* style) {
            for (QLineEdit* field : fields)
                field->setStyle(style);
            return window.grab().toImage();
        };
        QWidget other;
        if (setUp.contains(u'i')) {
            other.show();
            other.activateWindow();
            QVERIFY(QTest::qWaitForWindowActive(&other));
        }
        const QImage first = grab(&program);
        if (setUp.contains(u'i')) {
            window.activateWindow();
            QVERIFY(QTest::qWaitForWindowActive(&window));
        }
        counter->panels = 0;
        const QImage again = grab(&program);
        QCOMPARE(counter->panels, 0); // both panels copied
        QCOMPARE(again, first);
        QCOMPARE(grab(fusion.get()), first);
    }

    void keystrokeRepaintsEachChangedFieldOnce_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("paints"); // of each field

        QTest::newRow("first digit") << "" << int(Qt::Key_5) << 1;
        QTest::newRow("backspace") << "15" << int(Qt::Key_Backspace) << 1;
        QTest::newRow("letter refused") << "1" << int(Qt::Key_A) << 0;
    }

    void keystrokeRepaintsEachChangedFieldOnce()
    {
        QFETCH(QString, typed);
        QFETCH(int, key);
        QFETCH(int, paints);

        QApplication::setCursorFlashTime(0); // a blinking cursor repaints without any key
        test::FakePlatform platform;
        MainWindow form(platform);
        QTest::ignoreMessage(QtWarningMsg, "This plugin does not support raise()");
        auto* window = test::named(form.windows()).show<PairWindow>(QStringLiteral("Weight1"));
        QVERIFY(QTest::qWaitForWindowExposed(window));
        auto* var1 = window->findChild<QLineEdit*>(QStringLiteral("Var1"));
        auto* var2 = window->findChild<QLineEdit*>(QStringLiteral("Var2"));
        auto* heading = window->findChild<QLabel*>(QStringLiteral("Label21")); // the marker
        QTest::keyClicks(var1, typed);
        QVERIFY(drawnUpTo(heading)); // the typing's own repaints

        PaintCounter counter;
        var1->installEventFilter(&counter);
        var2->installEventFilter(&counter);
        // Apart, as from a keyboard: the window repaints between the press and the release.
        QTest::keyPress(var1, Qt::Key(key));
        QVERIFY(drawnUpTo(heading));
        QTest::keyRelease(var1, Qt::Key(key));
        QVERIFY(drawnUpTo(heading));
        QCOMPARE(counter.paints.value(var1), paints);
        QCOMPARE(counter.paints.value(var2), paints);
    }
};

QTEST_MAIN(TestDrawing)
#include "test_drawing.moc"
