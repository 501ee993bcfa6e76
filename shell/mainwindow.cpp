#include "shell/mainwindow.h"

#include "about/aboutwindow.h"
#include "about/feedbackwindow.h"
#include "core/product.h"
#include "launch/launch.h"
#include "pairs/pairwindow.h"
#include "symbols/symbolswindow.h"
#include "ui/controls.h"
#include "ui/fonts.h"
#include "ui/pictures.h"
#include "ui/placement.h"
#include "ui/secondarywindow.h"

#include <QCloseEvent>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>

#include <array>

namespace mensurio {

using ui::pixelsOfTwips;
using ui::twipRect;

namespace {

// The names of one row of a category frame: the link label and the icon before it.
struct RowNames {
    const char* label;
    const char* icon;
};

// One category's frame on the main window, its rows the category's pairs in the
// catalogue's order. Its object names are the frames' own and do not follow the
// categories' order.
struct CategoryFrame {
    Category category;
    const char* frameName;
    int left, top;
    const char* picture; // object name of the category picture
    const char* pictureFile;
    int pictureLeft, pictureSize;
    const char* heading; // object name of the heading label
    int headingLeft, headingTop;
    int iconLeft, labelLeft;
    std::array<RowNames, 5> rows;
};

using C = Category;
// clang-format off
const std::array<CategoryFrame, 5> categoryFrames{{
    {C::Weight, "One", 180, 1200, "Image6", "weight.gif", 150, 600, "Label10", 840, 330, 840, 1140,
     {{{"Label9", "Image9"}, {"Label8", "Image10"}, {"Label7", "Image11"}, {"Label11", "Image8"},
       {"Label12", "Image7"}}}},
    {C::Area, "Three", 3795, 1200, "Image2", "area.gif", 180, 525, "Label21", 810, 330, 810, 1110,
     {{{"Label22", "Image20"}, {"Label23", "Image21"}, {"Label24", "Image22"},
       {"Label20", "Image19"}, {"Label19", "Image18"}}}},
    {C::Temperature, "Zero", 7410, 1200, "Image24", "temperature.gif", 150, 600, "Label25", 810,
     330, 840, 1140,
     {{{"Label26", "Image25"}, {"Label27", "Image26"}, {"Label28", "Image27"}}}},
    {C::Length, "Two", 180, 3330, "Image17", "length.gif", 120, 660, "Label15", 840, 360, 840, 1140,
     {{{"Label16", "Image14"}, {"Label17", "Image15"}, {"Label18", "Image16"},
       {"Label14", "Image13"}, {"Label13", "Image12"}}}},
    {C::Volume, "Frame1", 3795, 3330, "Image3", "volume.gif", 210, 720, "Label6", 810, 360, 810,
     1110,
     {{{"Label5", "Image23"}, {"Label3", "Image5"}, {"Label4", "Image4"}, {"Label29", "Image28"}}}},
}};
// clang-format on

// One category's submenu of the pair menu, its items the category's pairs in the
// catalogue's order. The names are the menus' own, misspellings and all.
struct PairMenu {
    Category category;
    const char* name;
    const char* caption;
    const char* firstLine;
    const char* lastLine;
    std::array<const char*, 5> items;
};

// clang-format off
const std::array<PairMenu, 5> pairMenus{{
    {C::Weight, "WeightMenu", "&Weight", "LineWeight", "WeightLine2",
     {"WeightMenu1", "WeightMenu2", "WeightMenu3", "WeightMenu4", "WeightMenu5"}},
    {C::Length, "LenghtMenu", "&Lenght", "LenghtLine1", "LenghtLine2",
     {"LenghtMenu1", "LenghtMenu2", "LenghtMenu3", "LenghtMenu4", "LenghtMenu5"}},
    {C::Area, "AreaMenu", "&Area", "AreaLine1", "AreaLine2",
     {"AreaMenu1", "AreaMenu2", "AreaMenu3", "AreaMeun4", "AreaMeun5"}},
    {C::Volume, "VolumeMenu", "&Volume", "VolumeLine1", "VolumeLine2",
     {"VolumeMenu1", "VolumeMenu2", "VolumeMenu3", "VolumeMenu4"}},
    {C::Temperature, "TemperatureMenu", "Temperature", "TemperatureLine1", "TemperatureLine2",
     {"TemperatureMenu1", "TemperatureMenu2", "TemperatureMenu3"}},
}};
// clang-format on

// The category's pairs in the catalogue's order, each with its place among them.
template <typename Visit> void forEachPairOf(Category category, Visit visit)
{
    std::size_t place = 0;
    for (const UnitPair& pair : catalogue()) {
        if (pair.category == category)
            visit(pair, place++);
    }
}

// The menu spells one pair differently from its link label and window.
QString menuCaption(PairId pair)
{
    return pair == PairId::Area5 ? QStringLiteral("Arce <> Hectare") : unitPair(pair).titleText();
}

// A read-only field that never keeps the main window's shortcuts for itself.
class ShortcutPassThrough : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::ShortcutOverride) {
            event->ignore();
            return true;
        }
        return QObject::eventFilter(watched, event);
    }
};

QAction* separator(QMenu* menu, const char* name)
{
    QAction* action = menu->addSeparator();
    action->setObjectName(QLatin1String(name));
    return action;
}

} // namespace

MainWindow::MainWindow(Platform& platform) : context_{platform, this}, windows_(context_)
{
    setObjectName(QStringLiteral("MainForm"));
    setWindowTitle(product::text(product::name) + QStringLiteral(" - Version ") +
                   product::text(product::version));
    setWindowIcon(ui::applicationIcon());
    setFont(ui::tahoma(8.25));

    auto* client = new QWidget(this);
    client->setObjectName(QStringLiteral("client"));
    client->setFixedSize(pixelsOfTwips(11040), pixelsOfTwips(5535));
    setCentralWidget(client);

    // Text1 lies hidden behind the Volume frame and holds the focus at start, so no
    // visible control shows a focus mark until the user presses Tab.
    focusHolder_ = ui::lineEdit(client, font());
    focusHolder_->setObjectName(QStringLiteral("Text1"));
    focusHolder_->setReadOnly(true);
    focusHolder_->setGeometry(twipRect(4980, 3690, 1245, 525));
    focusHolder_->setAccessibleName(product::text(product::name));
    focusHolder_->installEventFilter(new ShortcutPassThrough(focusHolder_));

    buildHeader(client);
    buildCategoryFrames(client);
    buildCommandFrame(client);
    buildMenus();

    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    setFixedSize(sizeHint());
    ui::centreOnFirstShow(this);
    focusHolder_->setFocus(Qt::OtherFocusReason); // takes effect when the window first activates
}

MainWindow::~MainWindow() = default;

void MainWindow::buildHeader(QWidget* client)
{
    QFrame* header =
        ui::frame(client, QStringLiteral("Frame"), twipRect(-450, -90, 11745, 1215), false);
    header->setAutoFillBackground(true);
    QPalette palette = header->palette();
    palette.setColor(QPalette::Window, Qt::white);
    header->setPalette(palette);

    ui::pictureBox(header, QStringLiteral("Image1"), QStringLiteral("banner.jpg"),
                   twipRect(420, 180, 12000, 960))
        ->setAccessibleName(product::text(product::name));
    ui::label(header, QStringLiteral("Label1"),
              QStringLiteral("Welcome to ") + product::nameAndVersion(), 1620, 330,
              ui::tahoma(8.25, true));
    ui::wrappedLabel(header, QStringLiteral("Label2"),
                     QStringLiteral("This program gives you the ability to perform the "
                                    "conversion between the most widely used units in "
                                    "Physics, Math and Chemistry with the most accurate "
                                    "results."),
                     twipRect(1620, 540, 6495, 465), ui::tahoma(8.25));

    ui::ClickLabel* minimize =
        ui::pictureBox(header, QStringLiteral("Image31"), QStringLiteral("minimize.ico"),
                       twipRect(10665, 270, 240, 240), QStringLiteral("Minimize to taskbar"), true);
    connect(minimize, &ui::ClickLabel::clicked, this, &MainWindow::minimize);
    ui::ClickLabel* exit =
        ui::pictureBox(header, QStringLiteral("Image30"), QStringLiteral("exit.ico"),
                       twipRect(10980, 270, 240, 240), QStringLiteral("Exit Typelore"), true);
    // The exit picture asks nothing: it unloads the main window, which ends the program.
    connect(exit, &ui::ClickLabel::clicked, this, &MainWindow::close);
    ui::ClickLabel* donate =
        ui::pictureBox(header, QStringLiteral("Image29"), QStringLiteral("donate_small.gif"),
                       twipRect(10380, 510, 900, 315), QStringLiteral("Donate with PayPal"), true);
    connect(donate, &ui::ClickLabel::clicked, this, [this] { launch::donate(context_); });
}

void MainWindow::buildCategoryFrames(QWidget* client)
{
    const QFont heading = ui::tahoma(14.25);
    const QFont regular = ui::tahoma(8.25);
    for (const CategoryFrame& category : categoryFrames) {
        QFrame* box = ui::frame(client, QLatin1String(category.frameName),
                                twipRect(category.left, category.top, 3465, 2055), true);
        QLabel* headingLabel = ui::label(box, QLatin1String(category.heading),
                                         categoryWord(category.category) + QLatin1Char(':'),
                                         category.headingLeft, category.headingTop, heading);
        ui::pictureBox(
            box, QLatin1String(category.picture), QLatin1String(category.pictureFile),
            twipRect(category.pictureLeft, 240, category.pictureSize, category.pictureSize))
            ->setAccessibleName(headingLabel->text());
        ui::line(box, QString(), 840, 750, 2940, 1, ui::ruleColour());
        forEachPairOf(category.category, [&](const UnitPair& pair, std::size_t place) {
            const RowNames& names = category.rows[place];
            const int top = 840 + 210 * int(place);
            ui::pictureBox(box, QLatin1String(names.icon), QStringLiteral("pair.ico"),
                           twipRect(category.iconLeft, top, 240, 240))
                ->setAccessibleName(pair.titleText());
            ui::ClickLabel* link =
                ui::linkLabel(box, QLatin1String(names.label), pair.titleText(), category.labelLeft,
                              top, regular, ui::linkColour());
            connect(link, &ui::ClickLabel::clicked, this, [this, &pair] { showPair(pair.id); });
        });
    }
}

void MainWindow::buildCommandFrame(QWidget* client)
{
    QFrame* box =
        ui::frame(client, QStringLiteral("Frame2"), twipRect(7410, 3330, 3465, 2055), true);
    auto button = [box](const char* name, const QString& caption, int top) {
        return ui::pushButton(box, QLatin1String(name), caption, twipRect(180, top, 3105, 315));
    };
    QPushButton* command1 =
        button("Command1", QStringLiteral("Minimize application to Taskbar"), 300);
    QPushButton* command2 =
        button("Command2", product::text(product::name) + QStringLiteral(" on the web"), 705);
    QPushButton* command3 =
        button("Command3", QStringLiteral("About ") + product::text(product::name), 1125);
    QPushButton* command4 =
        button("Command4", QStringLiteral("Close ") + product::text(product::name), 1530);
    connect(command1, &QPushButton::clicked, this, &MainWindow::minimize);
    connect(command2, &QPushButton::clicked, this, [this] { launch::openWebPage(context_); });
    connect(command3, &QPushButton::clicked, this, &MainWindow::showAbout);
    connect(command4, &QPushButton::clicked, this, &MainWindow::confirmClose);

    setTabOrder(focusHolder_, command1);
    setTabOrder(command1, command2);
    setTabOrder(command2, command3);
    setTabOrder(command3, command4);
}

void MainWindow::buildMenus()
{
    QMenuBar* bar = menuBar();
    auto item = [this](QMenu* menu, const char* name, const QString& caption,
                       const QKeySequence& shortcut, auto handler) {
        QAction* action = menu->addAction(caption);
        action->setObjectName(QLatin1String(name));
        action->setShortcut(shortcut);
        connect(action, &QAction::triggered, this, handler);
        return action;
    };

    QMenu* menu = bar->addMenu(QStringLiteral("&Menu"));
    menu->setObjectName(QStringLiteral("Menu"));
    item(menu, "Minimize", QStringLiteral("Minimize to Taskbar"),
         QKeySequence(Qt::CTRL | Qt::Key_M), [this] { minimize(); });
    separator(menu, "Line");
    item(menu, "Quit", QStringLiteral("Close ") + product::text(product::name),
         QKeySequence(Qt::CTRL | Qt::Key_E), [this] { confirmClose(); });

    QMenu* conversions = bar->addMenu(QStringLiteral("&Conversions Parts"));
    conversions->setObjectName(QStringLiteral("Conversions"));
    // Its 5 submenus and 22 items cost the start some half a million instructions before the
    // window maps, so they are made as the menu first opens: Qt lays the menu out, and picks
    // the item that a menu opened from the keyboard starts on, after aboutToShow.
    connect(conversions, &QMenu::aboutToShow, this,
            [this, conversions] { addPairMenus(conversions); });

    QMenu* tools = bar->addMenu(QStringLiteral("&Support Center"));
    tools->setObjectName(QStringLiteral("Tools"));
    item(tools, "VIP", QStringLiteral("Important Symbols"), QKeySequence(Qt::Key_F1),
         [this] { showSymbols(); });
    separator(tools, "Liner3");
    item(tools, "Calc", QStringLiteral("Run Windows® Calculator"), QKeySequence(Qt::Key_F2),
         [this] { launch::startCalculator(context_); });

    QMenu* about = bar->addMenu(QStringLiteral("&About"));
    about->setObjectName(QStringLiteral("AboutList"));
    item(about, "License", QStringLiteral("View License Agreement"),
         QKeySequence(Qt::CTRL | Qt::Key_L), [this] { launch::openLicence(context_); });
    separator(about, "liner2");
    item(about, "Download", QStringLiteral("Contact ") + product::text(product::maker),
         QKeySequence(Qt::CTRL | Qt::Key_T), [this] { launch::mailSupport(context_); });
    item(about, "LikeIt", QStringLiteral("I Like ") + product::text(product::name),
         QKeySequence(Qt::CTRL | Qt::Key_I), [this] { showFeedback(); });
    item(about, "OnTheWeb", product::text(product::name) + QStringLiteral(" on the web"),
         QKeySequence(Qt::CTRL | Qt::Key_W), [this] { launch::openWebPage(context_); });
    separator(about, "Liner");
    item(about, "About", QStringLiteral("About ") + product::text(product::name),
         QKeySequence(Qt::CTRL | Qt::Key_A), [this] { showAbout(); });
}

void MainWindow::addPairMenus(QMenu* conversions)
{
    if (!conversions->isEmpty())
        return;
    for (const PairMenu& group : pairMenus) {
        QMenu* sub = conversions->addMenu(QLatin1String(group.caption));
        sub->setObjectName(QLatin1String(group.name));
        // Qt would hide the lines that open and close every category submenu.
        sub->setSeparatorsCollapsible(false);
        separator(sub, group.firstLine);
        forEachPairOf(group.category, [&](const UnitPair& pair, std::size_t place) {
            QAction* action = sub->addAction(menuCaption(pair.id));
            action->setObjectName(QLatin1String(group.items[place]));
            connect(action, &QAction::triggered, this, [this, &pair] { showPair(pair.id); });
        });
        separator(sub, group.lastLine);
    }
}

void MainWindow::confirmClose()
{
    const MessageAnswer answer = context_.platform.messageBox(
        this, QStringLiteral("Are you sure you want to close ") + product::text(product::name),
        applicationTitle(), MessageButtons::YesNo, MessageIcon::Question);
    if (answer == MessageAnswer::Yes)
        close();
}

void MainWindow::endProgram() { context_.platform.endProgram(); }

void MainWindow::minimize() { setWindowState(windowState() | Qt::WindowMinimized); }

void MainWindow::showPair(PairId pair) { windows_.show(pair); }

void MainWindow::showSymbols()
{
    connect(windows_.show(Secondary::Symbols), &ui::SecondaryWindow::left, this,
            &MainWindow::comeForward, Qt::UniqueConnection);
}

void MainWindow::showAbout() { showLocking(Secondary::About); }

void MainWindow::showFeedback() { showLocking(Secondary::Feedback); }

void MainWindow::showLocking(Secondary window)
{
    setEnabled(false);
    connect(windows_.show(window), &ui::SecondaryWindow::left, this, &MainWindow::unlock,
            Qt::UniqueConnection);
}

void MainWindow::unlock()
{
    setEnabled(true);
    comeForward();
}

void MainWindow::comeForward()
{
    raise();
    activateWindow();
}

void MainWindow::closeEvent(QCloseEvent* event)
{
    // However the main window is closed, the whole program ends; the close cannot be
    // refused.
    event->accept();
    endProgram();
}

} // namespace mensurio
