#include "core/product.h"
#include "fakeplatform.h"
#include "shell/mainwindow.h"
#include "ui/style.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <unistd.h>

using namespace mensurio;

namespace {

// The main window over a fake platform whose program and home folders are temporary.
struct Harness {
    Harness()
    {
        platform.programFolderPath = programFolder.path();
        platform.homeFolderPath = homeFolder.path();
        mainForm = std::make_unique<MainWindow>(platform);
        mainForm->show();
    }
    ~Harness() { mainForm.reset(); }

    QString licence() const
    {
        return programFolder.path() + QLatin1Char('/') + product::text(product::licenceFile);
    }
    void putLicence() const
    {
        QFile file(licence());
        QVERIFY(file.open(QIODevice::WriteOnly));
        QVERIFY(file.write("{\\rtf1 licence}") > 0);
    }
    // A menu item by its name, a picture or button by a real click.
    void command(const QString& name) const
    {
        if (auto* action = mainForm->findChild<QAction*>(name))
            action->trigger();
        else
            QTest::mouseClick(mainForm->findChild<QWidget*>(name), Qt::LeftButton);
    }

    QTemporaryDir programFolder;
    QTemporaryDir homeFolder;
    test::FakePlatform platform;
    std::unique_ptr<MainWindow> mainForm;
};

enum class Licence { Missing, Unreadable, Folder };

} // namespace

Q_DECLARE_METATYPE(Licence)

class TestLaunch : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { ui::initialise(); }
    void cleanup() { QTRY_VERIFY(QApplication::topLevelWidgets().isEmpty()); }

    void licenceThatCannotBeOpened_data();
    void licenceThatCannotBeOpened();
    void licenceFoundWhereverInstalled_data();
    void licenceFoundWhereverInstalled();
    void commandsHandTheirTargetToTheDesktop_data();
    void commandsHandTheirTargetToTheDesktop();
};

void TestLaunch::licenceThatCannotBeOpened_data()
{
    QTest::addColumn<Licence>("licence");

    QTest::newRow("missing file") << Licence::Missing;
    QTest::newRow("file without read permission") << Licence::Unreadable;
    QTest::newRow("folder of that name") << Licence::Folder;
}

void TestLaunch::licenceThatCannotBeOpened()
{
    QFETCH(Licence, licence);

    if (licence == Licence::Unreadable && geteuid() == 0)
        QSKIP("root reads files without read permission");
    Harness h;
    switch (licence) {
    case Licence::Missing:
        break;
    case Licence::Unreadable:
        h.putLicence();
        QFile::setPermissions(h.licence(), QFile::WriteOwner);
        break;
    case Licence::Folder:
        QVERIFY(QDir(h.programFolder.path()).mkdir(product::text(product::licenceFile)));
        break;
    }

    h.command(QStringLiteral("License"));

    QVERIFY(h.platform.launches.isEmpty());
    QCOMPARE(h.platform.messages.size(), 1);
    const test::FakePlatform::Message& message = h.platform.messages.first();
    QCOMPARE(message.text,
             QStringLiteral("The license agreement file could not be opened:\n") + h.licence());
    QCOMPARE(message.title, product::text(product::name));
    QCOMPARE(message.buttons, MessageButtons::Ok);
    QCOMPARE(message.icon, MessageIcon::Exclamation);
}

void TestLaunch::licenceFoundWhereverInstalled_data()
{
    // Folders below a scratch prefix, the program in usr/bin.
    QTest::addColumn<QStringList>("copies");
    QTest::addColumn<QString>("opened");

    QTest::newRow("beside the program, as in a build tree")
        << QStringList{"usr/bin"} << "usr/bin/" + product::text(product::licenceFile);
    QTest::newRow("in the installed data folder")
        << QStringList{"usr/share/mensurio"}
        << "usr/share/mensurio/" + product::text(product::licenceFile);
    QTest::newRow("beside the program before the data folder")
        << QStringList{"usr/share/mensurio", "usr/bin"}
        << "usr/bin/" + product::text(product::licenceFile);
}

void TestLaunch::licenceFoundWhereverInstalled()
{
    QFETCH(QStringList, copies);
    QFETCH(QString, opened);

    QTemporaryDir prefix;
    Harness h;
    QVERIFY(QDir(prefix.path()).mkpath(QStringLiteral("usr/bin")));
    h.platform.programFolderPath = prefix.filePath(QStringLiteral("usr/bin"));
    for (const QString& folder : copies) {
        QVERIFY(QDir(prefix.path()).mkpath(folder));
        QFile file(
            prefix.filePath(folder + QLatin1Char('/') + product::text(product::licenceFile)));
        QVERIFY(file.open(QIODevice::WriteOnly));
    }

    h.command(QStringLiteral("License"));

    QVERIFY(h.platform.messages.isEmpty());
    QCOMPARE(h.platform.launches.size(), 1);
    QCOMPARE(h.platform.launches.first().target, prefix.filePath(opened));
}

void TestLaunch::commandsHandTheirTargetToTheDesktop_data()
{
    QTest::addColumn<QString>("command");
    QTest::addColumn<bool>("owned");     // a failure is told over the main window
    QTest::addColumn<QString>("target"); // a leading "/" is a file in the program folder
    QTest::addColumn<bool>("inHome");    // working folder: the home folder, or the program's own

    const QString webPage = product::text(product::homePage);
    const QString supportMail = QStringLiteral("mailto:") + product::text(product::supportAddress);

    QTest::newRow("Calc menu item") << "Calc" << true << "calculator" << false;
    QTest::newRow("F2") << "F2" << true << "calculator" << false;
    QTest::newRow("License menu item")
        << "License" << true << "/" + product::text(product::licenceFile) << false;
    // No launcher lies beside the program: the desktop is asked all the same, and the
    // program itself says nothing.
    QTest::newRow("Image29 without the launcher")
        << "Image29" << true << "/Donate with PayPal.exe" << false;
    QTest::newRow("Command2 web page") << "Command2" << false << webPage << true;
    QTest::newRow("OnTheWeb menu item") << "OnTheWeb" << false << webPage << true;
    QTest::newRow("Download menu item mails support") << "Download" << false << supportMail << true;
}

void TestLaunch::commandsHandTheirTargetToTheDesktop()
{
    QFETCH(QString, command);
    QFETCH(bool, owned);
    QFETCH(QString, target);
    QFETCH(bool, inHome);

    Harness h;
    h.putLicence();
    if (command == QLatin1String("F2")) {
        h.mainForm->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(h.mainForm.get()));
        QTest::keyClick(h.mainForm.get(), Qt::Key_F2);
    } else {
        h.command(command);
    }

    QVERIFY(h.platform.messages.isEmpty());
    QCOMPARE(h.platform.launches.size(), 1);
    const test::FakePlatform::Launch& launch = h.platform.launches.first();
    QCOMPARE(launch.hadOwner, owned);
    QCOMPARE(launch.owner.data(), owned ? h.mainForm.get() : nullptr);
    QCOMPARE(launch.target,
             target.startsWith(QLatin1Char('/')) ? h.programFolder.path() + target : target);
    QCOMPARE(launch.folder, inHome ? h.homeFolder.path() : QString());
}

QTEST_MAIN(TestLaunch)
#include "test_launch.moc"
