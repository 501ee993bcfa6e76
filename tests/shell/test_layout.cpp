#include "core/product.h"
#include "expected.h"
#include "fakeplatform.h"
#include "pairs/pairwindow.h"
#include "shell/mainwindow.h"
#include "ui/controls.h"
#include "ui/pictures.h"
#include "ui/style.h"
#include "windows.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QTest>

#include <memory>

using namespace mensurio;

namespace {

// 15 twips to a pixel, rounded to the nearest pixel; written here on its own so the
// expected rectangles never come from the layout code.
int tw(int twips) { return static_cast<int>(std::lround(twips / 15.0)); }
QRect twips(int left, int top, int width, int height)
{
    return QRect(tw(left), tw(top), tw(width), tw(height));
}

struct Fixture {
    Fixture() : mainWindow(std::make_unique<MainWindow>(platform)) {}
    test::FakePlatform platform;
    std::unique_ptr<MainWindow> mainWindow;
};

// Per pair window: fields' Left and Width, the panel's Left and Top, the selector's Top.
struct PairRow {
    const char* window;
    int fieldsLeft, fieldsWidth, panelLeft, panelTop, directionTop;
};
// clang-format off
const PairRow pairRows[] = {
    {"Area1", 1350, 3735, -90, -90, 1140},    {"Area2", 1170, 3855, -60, -90, 1140},
    {"Area3", 1350, 3735, -60, -90, 1140},    {"Area4", 1170, 3885, -60, -90, 1140},
    {"Area5", 960, 4095, -90, -90, 1140},     {"Length1", 990, 4065, -60, -90, 1140},
    {"Length2", 810, 4245, -60, -90, 1140},   {"Length3", 780, 4305, -60, -90, 1140},
    {"Length4", 1110, 3945, -60, -90, 1140},  {"Length5", 1110, 3945, -60, -90, 1140},
    {"Weight1", 990, 4065, -90, -90, 1140},   {"Weight2", 780, 4275, -120, -90, 1140},
    {"Weight3", 780, 4275, -90, -120, 1140},  {"Weight4", 1110, 3975, -120, -120, 1110},
    {"Weight5", 900, 4155, -60, -90, 1140},   {"Temp1", 1140, 3915, -60, -90, 1140},
    {"Temp2", 1140, 3915, -60, -90, 1140},    {"Temp3", 840, 4215, -120, -90, 1140},
    {"Volume1", 1110, 3945, -90, -90, 1140},  {"Volume2", 1170, 3885, -90, -120, 1140},
    {"Volume3", 1170, 3885, -90, -90, 1140},  {"Volume4", 750, 4305, -90, -90, 1140},
};
// clang-format on

QRect categoryPicture(const QString& window)
{
    if (window.startsWith("Area"))
        return twips(240, 330, 525, 525);
    if (window.startsWith("Length"))
        return twips(210, 270, 660, 660);
    if (window.startsWith("Weight"))
        return twips(210, 300, 600, 600);
    if (window.startsWith("Temp"))
        return twips(240, 300, 600, 600);
    return twips(300, 240, 720, 720);
}

QWidget* findIn(QWidget* root, const QString& name)
{
    if (root->objectName() == name)
        return root;
    return root->findChild<QWidget*>(name);
}

} // namespace

class TestLayout : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { ui::initialise(); }
    void cleanup() { QTRY_VERIFY(QApplication::topLevelWidgets().isEmpty()); }

    void geometry_data();
    void geometry();
    void autoSizedLabels_data();
    void autoSizedLabels();
    void labelsAsLargeAsTheirSizeHint_data();
    void labelsAsLargeAsTheirSizeHint();
    void clientAreas_data();
    void clientAreas();
    void pairWindowTexts_data();
    void pairWindowTexts();
    void pairWindowTabOrder();
    void mainWindowTexts_data();
    void mainWindowTexts();
    void menuTree_data();
    void menuTree();
    void mainWindowTabOrderAndFocus();
    void accessibleNames();
    void fontsResolveToTahoma();
    void picturesStaySharpOnHighDpi_data();
    void picturesStaySharpOnHighDpi();
};

void TestLayout::geometry_data()
{
    QTest::addColumn<QString>("window");
    QTest::addColumn<QString>("control");
    QTest::addColumn<QRect>("expected");

    auto main = [](const char* control, QRect rect) {
        QTest::addRow("MainForm %s", control) << "MainForm" << control << rect;
    };
    main("client", QRect(0, tw(0), 736, 369));
    main("Frame", twips(-450, -90, 11745, 1215));
    main("Image1", twips(420, 180, 12000, 960));
    main("Label2", twips(1620, 540, 6495, 465));
    main("Image31", twips(10665, 270, 240, 240));
    main("Image30", twips(10980, 270, 240, 240));
    main("Image29", twips(10380, 510, 900, 315));
    main("Text1", twips(4980, 3690, 1245, 525));
    const struct {
        const char* frame;
        int left, top;
        const char* picture;
        int pictureLeft, pictureSize;
    } frames[] = {
        {"One", 180, 1200, "Image6", 150, 600},     {"Three", 3795, 1200, "Image2", 180, 525},
        {"Zero", 7410, 1200, "Image24", 150, 600},  {"Two", 180, 3330, "Image17", 120, 660},
        {"Frame1", 3795, 3330, "Image3", 210, 720}, {"Frame2", 7410, 3330, nullptr, 0, 0}};
    for (const auto& f : frames) {
        main(f.frame, twips(f.left, f.top, 3465, 2055));
        if (f.picture)
            main(f.picture, twips(f.pictureLeft, 240, f.pictureSize, f.pictureSize));
    }
    const char* buttons[] = {"Command1", "Command2", "Command3", "Command4"};
    const int buttonTops[] = {300, 705, 1125, 1530};
    for (int i = 0; i < 4; ++i)
        main(buttons[i], twips(180, buttonTops[i], 3105, 315));
    // Row icons: column Left per frame, rows 210 twips apart from 840.
    const struct {
        const char* icon;
        int left, row;
    } icons[] = {{"Image9", 840, 0},  {"Image7", 840, 4},  {"Image20", 810, 0}, {"Image18", 810, 4},
                 {"Image25", 840, 0}, {"Image27", 840, 2}, {"Image14", 840, 0}, {"Image12", 840, 4},
                 {"Image23", 810, 0}, {"Image28", 810, 3}};
    for (const auto& icon : icons)
        main(icon.icon, twips(icon.left, 840 + 210 * icon.row, 240, 240));

    auto about = [](const char* control, QRect rect) {
        QTest::addRow("AboutApp %s", control) << "AboutApp" << control << rect;
    };
    about("Frame1", twips(-450, 4350, 8505, 915));
    about("MinimizeToTray2", twips(6090, 300, 2025, 345));
    about("Command1", twips(2430, 300, 3495, 345));
    about("Image2", twips(5700, 480, 1815, 645));
    about("Image1", twips(420, 360, 1125, 915));
    about("Shape1", twips(300, 210, 7365, 3945));
    auto feedback = [](const char* control, QRect rect) {
        QTest::addRow("ForMensurio %s", control) << "ForMensurio" << control << rect;
    };
    feedback("Frame1", twips(-1500, -1770, 9795, 7005));
    feedback("Frame2", twips(1740, 1890, 7065, 4005));
    feedback("Image4", twips(6630, 210, 240, 240));
    feedback("Image29", twips(270, 690, 450, 450));
    feedback("Image31", twips(240, 1440, 450, 450));
    feedback("Image30", twips(240, 2250, 450, 450));
    feedback("Mail", twips(4320, 1650, 2085, 285));
    feedback("Image1", twips(900, 2880, 210, 210));
    feedback("Image2", twips(900, 3510, 210, 210));
    feedback("Line1", QRect(tw(270), tw(1260), tw(6630) - tw(270) + 1, 2));
    feedback("Line2", QRect(tw(270), tw(2040), tw(6630) - tw(270) + 1, 2));

    for (const PairRow& row : pairRows) {
        auto pair = [&row](const char* control, QRect rect) {
            QTest::addRow("%s %s", row.window, control) << row.window << control << rect;
        };
        const bool weight1 = QLatin1String(row.window) == QLatin1String("Weight1");
        pair("Frame1", twips(row.panelLeft, row.panelTop, 5445, 2805));
        pair(weight1 ? "Image2" : "Image3", categoryPicture(row.window));
        pair("Image20", twips(900, 810, 240, 240));
        pair("NotePad", twips(4620, 180, 240, 240));
        pair("Image1", twips(4890, 180, 240, 240));
        pair("Parts", twips(900, row.directionTop, 3645, 315));
        pair(weight1 ? "Image3" : "Image2", twips(4590, 1080, 420, 360));
        pair("Var1", twips(row.fieldsLeft, 1770, row.fieldsWidth, 285));
        pair("Var2", twips(row.fieldsLeft, 2160, row.fieldsWidth, 285));
        pair("Line4", QRect(tw(900), tw(750), tw(3000) - tw(900) + 1, 1));
        pair("Line1", QRect(tw(240), tw(1650), tw(5040) - tw(240) + 1, 1));
    }
}

void TestLayout::geometry()
{
    QFETCH(QString, window);
    QFETCH(QString, control);
    QFETCH(QRect, expected);

    Fixture f;
    QWidget* root = window == QLatin1String("MainForm")
                        ? f.mainWindow.get()
                        : test::named(f.mainWindow->windows()).instance(window);
    QVERIFY(root);
    QWidget* widget = findIn(root, control);
    QVERIFY2(widget, qPrintable(control));
    QCOMPARE(widget->geometry(), expected);
}

void TestLayout::autoSizedLabels_data()
{
    QTest::addColumn<QString>("window");
    QTest::addColumn<QString>("label");
    QTest::addColumn<QPoint>("topLeft");
    QTest::addColumn<QString>("text");

    auto row = [](const char* window, const char* label, int left, int top, const QString& text) {
        QTest::addRow("%s %s", window, label)
            << window << label << QPoint(tw(left), tw(top)) << text;
    };
    row("MainForm", "Label1", 1620, 330, "Welcome to " + expected::nameAndVersion);
    row("MainForm", "Label10", 840, 330, "Weight:");
    row("MainForm", "Label21", 810, 330, "Area:");
    row("MainForm", "Label25", 810, 330, "Temperature:");
    row("MainForm", "Label15", 840, 360, "Length:");
    row("MainForm", "Label6", 810, 360, "Volume:");
    row("MainForm", "Label9", 1140, 840, "Pound <> Kilogram");
    row("MainForm", "Label12", 1140, 1680, "Stone <> Kilogram");
    row("MainForm", "Label22", 1110, 840, "Square foot <> Square metre");
    row("MainForm", "Label19", 1110, 1680, "Acre <> Hectare");
    row("MainForm", "Label28", 1140, 1260, "Celsius <> Kelvin");
    row("MainForm", "Label13", 1140, 1680, "Inch <> Centimetre");
    row("MainForm", "Label29", 1110, 1470, "Gallon <> Litre");
    row("AboutApp", "Label3", 1500, 540, expected::nameAndVersion);
    row("AboutApp", "Label2", 1500, 960, "Registered to:");
    row("AboutApp", "Label8", 600, 1380, "Contact:");
    row("AboutApp", "Label9", 600, 1620, "E-Mail :");
    row("AboutApp", "Label6", 1170, 1620, expected::supportAddress);
    row("AboutApp", "Label10", 600, 2940,
        "Note : If you liked Mensurio please vote for it at Filez");
    row("AboutApp", "Label12", 600, 3300, expected::nameAndVersion);
    row("ForMensurio", "Label1", 210, 270,
        "Glad to hear that you liked it. These are several things you can do: ");
    row("ForMensurio", "Label2", 750, 690,
        "* Contact us if you have any suggestions, opinions or notes about it on:");
    row("ForMensurio", "Label6", 870, 900, expected::supportAddress);
    row("ForMensurio", "Label3", 750, 1440,
        "* Tell all your friends and relatives about Mensurio.");
    row("ForMensurio", "Label4", 870, 1650, "Tell-a-friend");
    row("ForMensurio", "Label5", 750, 2310, "* Vote fo Mensurio at the following websites:");
    row("ForMensurio", "Label7", 900, 2640, "Goto Filez:");
    row("ForMensurio", "Label8", 1770, 2640, "www.filez.example.com");
    row("ForMensurio", "Label9", 1200, 2880,
        "Search for Mensurio, Open its page and click on \"Rate it!\" link.");
    row("ForMensurio", "Label11", 900, 3270, "Goto Softland:");
    row("ForMensurio", "Label12", 2070, 3270, "www.softland.example.net");
    row("ForMensurio", "Label13", 1200, 3510,
        "Search for Mensurio, Open its page and click on \"Rate it!\" list.");
    row("Area2", "Label21", 900, 360, "Area :");
    row("Area2", "Label22", 1170, 810, "Square inch <> Square cm");
    row("Area2", "Label1", 240, 1800, "Square inch");
    row("Area2", "Label2", 240, 2190, "Square cm");
    row("Temp2", "Label21", 900, 360, "Temperature :");
    row("Weight4", "Label1", 240, 1800, "Troy ounce");
    row("Volume2", "Label22", 1170, 810, "Cubic foot <> Cubic metre");
}

void TestLayout::autoSizedLabels()
{
    QFETCH(QString, window);
    QFETCH(QString, label);
    QFETCH(QPoint, topLeft);
    QFETCH(QString, text);

    Fixture f;
    QWidget* root = window == QLatin1String("MainForm")
                        ? f.mainWindow.get()
                        : test::named(f.mainWindow->windows()).instance(window);
    auto* widget = qobject_cast<QLabel*>(findIn(root, label));
    QVERIFY(widget);
    QCOMPARE(widget->text(), text);
    QCOMPARE(widget->pos(), topLeft);
    // Sized to the text, on one line, and a line of the font high: 195 twips at 8.25 pt,
    // 345 at 14.25 pt.
    const QFontMetrics metrics(widget->font());
    QVERIFY(widget->width() >= metrics.horizontalAdvance(text));
    const double points = widget->font().pointSizeF();
    QVERIFY(points == 8.25 || points == 14.25);
    QCOMPARE(widget->height(), tw(points == 8.25 ? 195 : 345));
    QVERIFY(widget->height() >= metrics.height());
    QVERIFY(!widget->wordWrap());
}

void TestLayout::labelsAsLargeAsTheirSizeHint_data()
{
    QTest::addColumn<QString>("window");
    for (const char* window : {"MainForm", "AboutApp", "ForMensurio"})
        QTest::newRow(window) << window;
    for (const PairRow& pair : pairRows)
        QTest::newRow(pair.window) << pair.window;
}

void TestLayout::labelsAsLargeAsTheirSizeHint()
{
    QFETCH(QString, window);

    // Every one-line text label is as wide as Qt's size hint, and as high, or a line of
    // its font if that is higher: the labels measure their text themselves.
    Fixture f;
    QWidget* root = window == QLatin1String("MainForm")
                        ? f.mainWindow.get()
                        : test::named(f.mainWindow->windows()).instance(window);
    int checked = 0;
    for (const QLabel* label : root->findChildren<QLabel*>()) {
        // The user's name is fitted to the name as it is loaded.
        if (label->text().isEmpty() || label->wordWrap() || label->text().contains(u'\n') ||
            label->objectName() == "UserName")
            continue;
        const QSize hint = label->sizeHint();
        const int line = tw(label->font().pointSizeF() > 10 ? 345 : 195);
        QVERIFY2(label->size() == QSize(hint.width(), qMax(hint.height(), line)),
                 qPrintable(label->objectName()));
        ++checked;
    }
    QVERIFY(checked >= 4);
}

void TestLayout::clientAreas_data()
{
    QTest::addColumn<QString>("window");
    QTest::addColumn<QSize>("client");
    QTest::addColumn<QString>("caption");

    QTest::newRow("Weight3") << "Weight3" << QSize(346, 172) << "Conversion part of Weight";
    QTest::newRow("Length1") << "Length1" << QSize(346, 172) << "Conversion part of Length";
    QTest::newRow("Area4") << "Area4" << QSize(346, 172) << "Conversion part of Area";
    QTest::newRow("Temp3") << "Temp3" << QSize(346, 172) << "Conversion part of Temperature";
    QTest::newRow("Volume3") << "Volume3" << QSize(346, 172) << "Conversion part of Volume";
}

void TestLayout::clientAreas()
{
    QFETCH(QString, window);
    QFETCH(QSize, client);
    QFETCH(QString, caption);

    Fixture f;
    QWidget* pair = test::named(f.mainWindow->windows()).instance(window);
    QCOMPARE(pair->size(), client);
    QCOMPARE(pair->minimumSize(), client);
    QCOMPARE(pair->maximumSize(), client);
    QCOMPARE(pair->windowTitle(), caption);
    const Qt::WindowFlags flags = pair->windowFlags();
    QVERIFY(!(flags & Qt::WindowMinimizeButtonHint));
    QVERIFY(!(flags & Qt::WindowMaximizeButtonHint));
    QVERIFY(flags & Qt::WindowCloseButtonHint);

    QCOMPARE(f.mainWindow->windowTitle(), QStringLiteral("Mensurio - Version 1.2"));
    QCOMPARE(f.mainWindow->centralWidget()->size(), QSize(736, 369));
    QCOMPARE(f.mainWindow->minimumSize(), f.mainWindow->maximumSize());
    QVERIFY(!(f.mainWindow->windowFlags() & Qt::WindowMinimizeButtonHint));
}

void TestLayout::pairWindowTexts_data()
{
    QTest::addColumn<QString>("window");
    QTest::addColumn<QString>("control");
    QTest::addColumn<QString>("toolTip");

    QTest::newRow("Length3 notepad") << "Length3"
                                     << "NotePad"
                                     << "Notepad of Lenght";
    QTest::newRow("Length5 notepad") << "Length5"
                                     << "NotePad"
                                     << "Notepad of Lenght";
    QTest::newRow("Weight2 notepad") << "Weight2"
                                     << "NotePad"
                                     << "Notepad of Weight";
    QTest::newRow("Area1 notepad") << "Area1"
                                   << "NotePad"
                                   << "Notepad of Area";
    QTest::newRow("Temp1 notepad") << "Temp1"
                                   << "NotePad"
                                   << "Notepad of Temperature";
    QTest::newRow("Volume2 notepad") << "Volume2"
                                     << "NotePad"
                                     << "Notepad of Volume";
    QTest::newRow("hide picture") << "Area3"
                                  << "Image1"
                                  << "Close this window";
    QTest::newRow("erase picture") << "Temp3"
                                   << "Image2"
                                   << "Erase current results";
    QTest::newRow("Weight1 erase picture") << "Weight1"
                                           << "Image3"
                                           << "Erase current results";
}

void TestLayout::pairWindowTexts()
{
    QFETCH(QString, window);
    QFETCH(QString, control);
    QFETCH(QString, toolTip);

    Fixture f;
    QWidget* pair = test::named(f.mainWindow->windows()).instance(window);
    QWidget* widget = pair->findChild<QWidget*>(control);
    QVERIFY(widget);
    QCOMPARE(widget->toolTip(), toolTip);
    QCOMPARE(widget->cursor().shape(), Qt::BitmapCursor);
    QCOMPARE(widget->cursor().hotSpot(), QPoint(6, 0));
    QCOMPARE(widget->cursor().pixmap().size(), QSize(32, 32));
    // Only Area2's title shows the hand; the others keep the ordinary pointer.
    QCOMPARE(pair->findChild<QWidget*>("Label22")->cursor().shape() == Qt::BitmapCursor,
             window == QLatin1String("Area2"));
}

void TestLayout::pairWindowTabOrder()
{
    Fixture f;
    QWidget* pair = test::named(f.mainWindow->windows()).show(QStringLiteral("Area2"));
    QVERIFY(QTest::qWaitForWindowExposed(pair));
    QTRY_COMPARE(QApplication::focusWidget(), pair->findChild<QWidget*>("Var1"));
    QStringList order;
    for (int i = 0; i < 3; ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        order << QApplication::focusWidget()->objectName();
    }
    QCOMPARE(order, QStringList({"Var2", "Parts", "Var1"}));
}

void TestLayout::mainWindowTexts_data()
{
    QTest::addColumn<QString>("control");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("toolTip");

    QTest::newRow("Command1") << "Command1"
                              << "Minimize application to Taskbar"
                              << "";
    QTest::newRow("Command2") << "Command2"
                              << "Mensurio on the web"
                              << "";
    QTest::newRow("Command3") << "Command3"
                              << "About Mensurio"
                              << "";
    QTest::newRow("Command4") << "Command4"
                              << "Close Mensurio"
                              << "";
    QTest::newRow("Image31") << "Image31"
                             << ""
                             << "Minimize to taskbar";
    QTest::newRow("Image30") << "Image30"
                             << ""
                             << "Exit Typelore";
    QTest::newRow("Image29") << "Image29"
                             << ""
                             << "Donate with PayPal";
    QTest::newRow("Label19 spelt Acre") << "Label19"
                                        << "Acre <> Hectare"
                                        << "";
    QTest::newRow("Label23") << "Label23"
                             << "Square inch <> Square cm"
                             << "";
    QTest::newRow("Label2")
        << "Label2"
        << "This program gives you the ability to perform the conversion between the most "
           "widely used units in Physics, Math and Chemistry with the most accurate results."
        << "";
}

void TestLayout::mainWindowTexts()
{
    QFETCH(QString, control);
    QFETCH(QString, text);
    QFETCH(QString, toolTip);

    Fixture f;
    QWidget* widget = f.mainWindow->findChild<QWidget*>(control);
    QVERIFY(widget);
    if (auto* button = qobject_cast<QPushButton*>(widget))
        QCOMPARE(button->text(), text);
    else if (!text.isEmpty())
        QCOMPARE(qobject_cast<QLabel*>(widget)->text(), text);
    QCOMPARE(widget->toolTip(), toolTip);
}

void TestLayout::menuTree_data()
{
    QTest::addColumn<QString>("menu");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QStringList>("items"); // name|caption|shortcut, "-" marks a separator

    QTest::newRow("Menu") << "Menu"
                          << "&Menu"
                          << QStringList{"Minimize|Minimize to Taskbar|Ctrl+M", "Line|-|",
                                         "Quit|Close Mensurio|Ctrl+E"};
    QTest::newRow("Conversions") << "Conversions"
                                 << "&Conversions Parts"
                                 << QStringList{"|&Weight|", "|&Lenght|", "|&Area|", "|&Volume|",
                                                "|Temperature|"};
    QTest::newRow("WeightMenu") << "WeightMenu"
                                << "&Weight"
                                << QStringList{"LineWeight|-|",
                                               "WeightMenu1|Pound <> Kilogram|",
                                               "WeightMenu2|Carat <> Gram|",
                                               "WeightMenu3|Ounce <> Gram|",
                                               "WeightMenu4|Troy ounce <> Gram|",
                                               "WeightMenu5|Stone <> Kilogram|",
                                               "WeightLine2|-|"};
    QTest::newRow("LenghtMenu") << "LenghtMenu"
                                << "&Lenght"
                                << QStringList{"LenghtLine1|-|",
                                               "LenghtMenu1|Mile <> Kilometre|",
                                               "LenghtMenu2|Yard <> Metre|",
                                               "LenghtMenu3|Metre <> Foot|",
                                               "LenghtMenu4|Foot <> Centimetre|",
                                               "LenghtMenu5|Inch <> Centimetre|",
                                               "LenghtLine2|-|"};
    QTest::newRow("AreaMenu") << "AreaMenu"
                              << "&Area"
                              << QStringList{"AreaLine1|-|",
                                             "AreaMenu1|Square foot <> Square metre|",
                                             "AreaMenu2|Square inch <> Square cm|",
                                             "AreaMenu3|Square yard <> Square metre|",
                                             "AreaMeun4|Square mile <> Square km|",
                                             "AreaMeun5|Arce <> Hectare|",
                                             "AreaLine2|-|"};
    QTest::newRow("VolumeMenu") << "VolumeMenu"
                                << "&Volume"
                                << QStringList{"VolumeLine1|-|",
                                               "VolumeMenu1|Cubic inch <> Cubic cm|",
                                               "VolumeMenu2|Cubic foot <> Cubic metre|",
                                               "VolumeMenu3|Cubic metre <> Cubic yard|",
                                               "VolumeMenu4|Gallon <> Litre|",
                                               "VolumeLine2|-|"};
    QTest::newRow("TemperatureMenu")
        << "TemperatureMenu"
        << "Temperature"
        << QStringList{"TemperatureLine1|-|", "TemperatureMenu1|Fahrenheit <> Celsius|",
                       "TemperatureMenu2|Kelvin <> Fahrenheit|",
                       "TemperatureMenu3|Celsius <> Kelvin|", "TemperatureLine2|-|"};
    QTest::newRow("Tools") << "Tools"
                           << "&Support Center"
                           << QStringList{"VIP|Important Symbols|F1", "Liner3|-|",
                                          QString::fromUtf8("Calc|Run Windows® Calculator|F2")};
    QTest::newRow("AboutList") << "AboutList"
                               << "&About"
                               << QStringList{"License|View License Agreement|Ctrl+L",
                                              "liner2|-|",
                                              "Download|Contact " + product::text(product::maker) +
                                                  "|Ctrl+T",
                                              "LikeIt|I Like Mensurio|Ctrl+I",
                                              "OnTheWeb|Mensurio on the web|Ctrl+W",
                                              "Liner|-|",
                                              "About|About Mensurio|Ctrl+A"};
}

void TestLayout::menuTree()
{
    QFETCH(QString, menu);
    QFETCH(QString, title);
    QFETCH(QStringList, items);

    Fixture f;
    // The pair menus are made as the menu first opens.
    auto* conversions = f.mainWindow->findChild<QMenu*>(QStringLiteral("Conversions"));
    conversions->popup(QPoint());
    conversions->hide();
    auto* found = f.mainWindow->findChild<QMenu*>(menu);
    QVERIFY(found);
    QCOMPARE(found->title(), title);
    QStringList actual;
    for (QAction* action : found->actions()) {
        // A separator Qt collapsed has no place in the drawn menu.
        const bool drawn = !found->actionGeometry(action).isEmpty();
        const QString caption = action->isSeparator() ? QString(drawn ? "-" : "") : action->text();
        const QString name = action->menu() ? QString() : action->objectName();
        actual << name + '|' + caption + '|' +
                      action->shortcut().toString(QKeySequence::PortableText);
    }
    QCOMPARE(actual, items);
}

void TestLayout::mainWindowTabOrderAndFocus()
{
    Fixture f;
    f.mainWindow->show();
    QVERIFY(QTest::qWaitForWindowExposed(f.mainWindow.get()));
    auto* text1 = f.mainWindow->findChild<QLineEdit*>("Text1");
    QTRY_COMPARE(QApplication::focusWidget(), text1);
    QVERIFY(text1->isReadOnly());
    QVERIFY(text1->text().isEmpty());
    // Hidden behind the Volume frame, which lies above it.
    QWidget* volume = f.mainWindow->findChild<QWidget*>("Frame1");
    QVERIFY(volume->geometry().contains(text1->geometry()));
    QCOMPARE(f.mainWindow->centralWidget()->childAt(text1->geometry().center()) == text1, false);

    QStringList order;
    for (int i = 0; i < 5; ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        order << QApplication::focusWidget()->objectName();
    }
    QCOMPARE(order, QStringList({"Command1", "Command2", "Command3", "Command4", "Text1"}));
}

void TestLayout::accessibleNames()
{
    // A screen reader must have something to say for every control a user can reach.
    Fixture f;
    QList<QWidget*> roots{f.mainWindow.get()};
    for (const UnitPair& pair : catalogue())
        roots << test::named(f.mainWindow->windows()).instance(pair.windowName());
    for (QWidget* root : roots) {
        for (QWidget* widget : root->findChildren<QWidget*>()) {
            const bool interactive =
                qobject_cast<QLineEdit*>(widget) || qobject_cast<QComboBox*>(widget) ||
                qobject_cast<QPushButton*>(widget) || qobject_cast<ui::ClickLabel*>(widget);
            if (!interactive || widget->objectName().isEmpty())
                continue;
            const bool hasText = !widget->accessibleName().isEmpty() ||
                                 (qobject_cast<QPushButton*>(widget) &&
                                  !qobject_cast<QPushButton*>(widget)->text().isEmpty());
            QVERIFY2(hasText, qPrintable(root->objectName() + "/" + widget->objectName()));
        }
    }
    auto* pair = test::named(f.mainWindow->windows()).instance(QStringLiteral("Temp1"));
    QCOMPARE(pair->findChild<QWidget*>("Var1")->accessibleName(), QStringLiteral("Fahrenheit"));
    QCOMPARE(pair->findChild<QWidget*>("Var2")->accessibleName(), QStringLiteral("Celsius"));
}

void TestLayout::fontsResolveToTahoma()
{
    if (!QFile::exists(QStringLiteral("/usr/share/wine/fonts/tahoma.ttf")))
        QSKIP("no Tahoma on this machine: the default sans-serif stands in");
    Fixture f;
    const struct {
        QWidget* root;
        const char* name;
        double points;
        bool bold;
    } rows[] = {{f.mainWindow.get(), "Label9", 8.25, false},
                {f.mainWindow.get(), "Label1", 8.25, true},
                {f.mainWindow.get(), "Label25", 14.25, false},
                {test::named(f.mainWindow->windows()).instance("Length2"), "Label22", 8.25, true},
                {test::named(f.mainWindow->windows()).instance("Length2"), "Var1", 8.25, false}};
    for (const auto& row : rows) {
        auto* widget = row.root->findChild<QWidget*>(row.name);
        QVERIFY(widget);
        const QFontInfo info(widget->font());
        QCOMPARE(info.family(), QStringLiteral("Tahoma"));
        QCOMPARE(widget->font().pointSizeF(), row.points);
        QCOMPARE(info.bold(), row.bold);
    }
}

void TestLayout::picturesStaySharpOnHighDpi_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QSize>("size");

    QTest::newRow("application icon") << "app.ico" << QSize(16, 16);
    QTest::newRow("pair icon") << "pair.ico" << QSize(16, 16);
    QTest::newRow("close icon") << "close.ico" << QSize(16, 16);
    QTest::newRow("erase icon") << "erase.ico" << QSize(28, 24);
    QTest::newRow("notepad") << "notepad.gif" << QSize(16, 16);
    QTest::newRow("area") << "area.gif" << QSize(35, 35);
    QTest::newRow("length") << "length.gif" << QSize(44, 44);
    QTest::newRow("weight") << "weight.gif" << QSize(40, 40);
    QTest::newRow("temperature") << "temperature.gif" << QSize(40, 40);
    QTest::newRow("volume") << "volume.gif" << QSize(48, 48);
    QTest::newRow("banner") << "banner.jpg" << QSize(800, 64);
    QTest::newRow("minimize") << "minimize.ico" << QSize(16, 16);
    QTest::newRow("exit") << "exit.ico" << QSize(16, 16);
    QTest::newRow("donate small") << "donate_small.gif" << QSize(60, 21);
}

void TestLayout::picturesStaySharpOnHighDpi()
{
    QFETCH(QString, name);
    QFETCH(QSize, size);

    const QPixmap normal = ui::picture(name);
    QCOMPARE(normal.size(), size);
    const QPixmap sharp = ui::picture(name, 2.0);
    QCOMPARE(sharp.size(), size * 2);
    QCOMPARE(sharp.deviceIndependentSize().toSize(), size);
}

QTEST_MAIN(TestLayout)
#include "test_layout.moc"
