// The yardstick for start-up: the smallest honest Qt program with the visible surface of
// Mensurio's main window (a fixed 736 x 369 client area under a menu bar of four menus, 22 labels
// and four buttons) and nothing else: no pictures, no fonts of its own, no lock.
// bench/startup.py starts it turn about with the real program.
#include <QApplication>
#include <QLabel>
#include <QMainWindow>
#include <QMenuBar>
#include <QPushButton>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QMainWindow window;
    window.setWindowTitle(QStringLiteral("Bare window"));
    for (const char* menu : {"&Menu", "&Conversions Parts", "&Support Center", "&About"})
        window.menuBar()->addMenu(QLatin1String(menu))->addAction(QStringLiteral("Item"));
    auto* central = new QWidget(&window);
    for (int i = 0; i < 22; ++i) {
        auto* label = new QLabel(QStringLiteral("Conversion number %1").arg(i + 1), central);
        label->move(12 + 180 * (i % 4), 8 + 48 * (i / 4));
    }
    for (int i = 0; i < 4; ++i)
        (new QPushButton(QStringLiteral("Button %1").arg(i + 1), central))
            ->setGeometry(560, 60 + 40 * i, 160, 30);
    // The client area below the menu bar is Mensurio's 736 x 369.
    central->setFixedSize(736, 369);
    window.setCentralWidget(central);
    window.show();
    return app.exec();
}
