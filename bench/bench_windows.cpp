// What the user waits for in the windows: building the main window, creating the pair
// windows, and keystrokes travelling from the key filter through the conversion into
// the partner field. Runs headless on the offscreen platform unless another is chosen.
#include "fakeplatform.h"
#include "pairs/pairwindow.h"
#include "shell/mainwindow.h"
#include "ui/style.h"
#include "windows.h"

#include <QApplication>
#include <QLineEdit>
#include <QTest>

#include <memory>
#include <vector>

using namespace mensurio;

namespace {

const QLocale english(QLocale::English, QLocale::UnitedStates);

} // namespace

class BenchWindows : public QObject {
    Q_OBJECT

public:
    static void initMain()
    {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
    }

private slots:
    void initTestCase();
    void cleanup();

    void constructMainWindow();
    void showMainWindow();
    void createAllPairWindows();
    void digitAndBackspace_data();
    void digitAndBackspace();

private:
    test::FakePlatform platform_;
};

void BenchWindows::initTestCase() { ui::initialise(); }

void BenchWindows::cleanup()
{
    // A window left over from one benchmark would slow the event handling of the next.
    QTRY_VERIFY(QApplication::topLevelWidgets().isEmpty());
}

void BenchWindows::constructMainWindow()
{
    // Kept alive until the measurement ends, so that only construction is timed.
    std::vector<std::unique_ptr<MainWindow>> forms;
    QBENCHMARK {
        forms.push_back(std::make_unique<MainWindow>(platform_));
    }
    QVERIFY(!forms.empty());
}

void BenchWindows::showMainWindow()
{
    // Construction, the first polish and layout, and the first paint: the program's own
    // share of the time before its window appears.
    QBENCHMARK {
        MainWindow form(platform_);
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        QCoreApplication::processEvents();
    }
}

void BenchWindows::createAllPairWindows()
{
    // Through the registry, exactly as the first showing of each window does, minus the
    // show. The registry keeps one instance per window, so each round deletes them again
    // and the figure includes the destruction.
    MainWindow form(platform_);
    form.context().locale = english;
    int created = 0;
    QBENCHMARK {
        for (const UnitPair& pair : catalogue()) {
            if (test::named(form.windows()).instance(pair.windowName()))
                ++created;
        }
        for (const UnitPair& pair : catalogue())
            delete test::named(form.windows()).existing(pair.windowName());
    }
    QVERIFY(created > 0);
    QCOMPARE(created % int(pairCount), 0);
}

void BenchWindows::digitAndBackspace_data()
{
    QTest::addColumn<QString>("window");
    QTest::addColumn<bool>("painted");

    QTest::newRow("factor Weight1") << "Weight1" << false;
    QTest::newRow("temperature Temp1") << "Temp1" << false;
    // Until both fields are painted again, as the user sees each keystroke.
    QTest::newRow("factor Weight1, painted") << "Weight1" << true;
}

void BenchWindows::digitAndBackspace()
{
    QFETCH(QString, window);
    QFETCH(bool, painted);

    MainWindow form(platform_);
    form.context().locale = english;
    // Raising a window means nothing without a window system; the warning would bury the
    // figures.
    if (QGuiApplication::platformName() == QLatin1String("offscreen"))
        QTest::ignoreMessage(QtWarningMsg, "This plugin does not support raise()");
    auto* pairWindow = test::named(form.windows()).show<PairWindow>(window);
    QVERIFY(pairWindow);
    QVERIFY(QTest::qWaitForWindowExposed(pairWindow));
    auto* var1 = pairWindow->findChild<QLineEdit*>(QStringLiteral("Var1"));
    auto* var2 = pairWindow->findChild<QLineEdit*>(QStringLiteral("Var2"));
    QVERIFY(var1 && var2);

    // Each round is two real keystrokes, a digit and a backspace, so the field's text
    // keeps its length and every keystroke changes it and converts.
    QTest::keyClick(var1, '1');
    QBENCHMARK {
        for (Qt::Key key : {Qt::Key_5, Qt::Key_Backspace}) {
            QTest::keyClick(var1, key);
            if (painted)
                QCoreApplication::processEvents();
        }
    }
    QCOMPARE(var1->text(), QStringLiteral("1"));
    // The keystrokes must have reached the partner field, or only the typing was timed.
    QTest::keyClick(var1, '5');
    QCOMPARE(var2->text(), *convert(pairWindow->pair(), Direction::Forward, "15", english));
}

QTEST_MAIN(BenchWindows)
#include "bench_windows.moc"
