#include "core/product.h"
#include "core/windows1252.h"
#include "fakeplatform.h"
#include "pairs/pairwindow.h"
#include "platform/files.h"
#include "shell/mainwindow.h"
#include "symbols/symbolswindow.h"
#include "ui/style.h"
#include "windows.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <memory>

using namespace mensurio;

namespace {

// The export, byte by byte: Windows-1252, CR LF after each of the nine lines and one more.
const QByteArray expectedExport =
    "Thank you for using " + QByteArray(product::name) + ' ' + product::version +
    "\r\n"
    "Here are your saved symbols : \xB2 \xB3 \xB0 \xBC \xBD \xBE\r\n"
    "\r\n"
    "Note : You cant use these symbols in Mensurio, But you can use \r\n"
    "them for your online study or any other fields that contain Physics, Math and Chemistry.\r\n"
    "\r\n"
    "***************************************************************\r\n"
    "\r\n"
    "If you liked Mensurio please vote for it at www.filez.example.com\r\n"
    "\r\n";

const QString sixSymbols = QStringLiteral("\u00B2 \u00B3 \u00B0 \u00BC \u00BD \u00BE");

bool runningAsRoot() { return geteuid() == 0; }

QByteArray contents(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return "<unreadable>";
    return file.readAll();
}

void writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(file.write(bytes), bytes.size());
}

QImage iconImage(const QIcon& icon) { return icon.pixmap(QSize(16, 16)).toImage(); }

QIcon markerIcon(const QColor& colour)
{
    QPixmap marker(16, 16);
    marker.fill(colour);
    return QIcon(marker);
}

// A main window with a recognisable icon, a context around the fake platform, and
// temporary program and root folders.
struct Harness {
    Harness()
    {
        platform.programFolderPath = programFolder.path();
        platform.homeFolderPath = rootFolder.path();
        mainWindow = std::make_unique<QWidget>();
        mainWindow->setWindowIcon(markerIcon(Qt::magenta));
        context = std::make_unique<Context>(Context{platform, mainWindow.get()});
    }
    // A pair window made as the registry makes it, shown, its notepad picture clicked.
    void clickNotePad(const QString& window)
    {
        PairWindow pairWindow(unitPair(*pairByWindow(window)), *context);
        pairWindow.show();
        QTest::mouseClick(pairWindow.findChild<QLabel*>(QStringLiteral("NotePad")), Qt::LeftButton);
    }
    std::unique_ptr<SymbolsWindow> loadSymbols()
    {
        auto symbols = std::make_unique<SymbolsWindow>(*context);
        return symbols;
    }
    QString exportPath() const
    {
        return rootFolder.path() + QStringLiteral("/Mensurio Symbols.txt");
    }
    // Every launch so far opened `file` from the program's own current folder, its failure
    // to be told over the main window.
    void verifyShellOpens(const QString& file, int times) const
    {
        QCOMPARE(platform.launches.size(), times);
        for (const test::FakePlatform::Launch& launch : platform.launches) {
            QCOMPARE(launch.target, file);
            QCOMPARE(launch.folder, QString());
            QVERIFY(launch.hadOwner);
            QCOMPARE(launch.owner.data(), mainWindow.get());
        }
    }
    void verifyOneMessage(const QString& text, MessageIcon icon) const
    {
        QCOMPARE(platform.messages.size(), 1);
        const test::FakePlatform::Message& message = platform.messages.first();
        QCOMPARE(message.text, text);
        QCOMPARE(message.title, product::text(product::name));
        QCOMPARE(message.buttons, MessageButtons::Ok);
        QCOMPARE(message.icon, icon);
    }

    QTemporaryDir programFolder;
    QTemporaryDir rootFolder;
    test::FakePlatform platform;
    std::unique_ptr<QWidget> mainWindow;
    std::unique_ptr<Context> context;
};

enum class Obstacle {
    DirectoryOfThatName,
    FolderMissing,
    ReadOnlyFolder,
    ReadOnlyFile,
    UnreadableFile
};

// Root reads and writes whatever the permissions say, so these need an ordinary user.
bool needsOrdinaryUser(Obstacle obstacle)
{
    return obstacle == Obstacle::ReadOnlyFolder || obstacle == Obstacle::ReadOnlyFile ||
           obstacle == Obstacle::UnreadableFile;
}

// Something in the way of the program's file `name` in `base`, undone when the row ends.
struct Obstruction {
    Obstruction(Obstacle what, const QString& base, const QString& name)
        : obstacle(what), folder(base), file(base + QLatin1Char('/') + name)
    {
        switch (obstacle) {
        case Obstacle::DirectoryOfThatName:
            QDir(folder).mkdir(name);
            break;
        case Obstacle::FolderMissing:
            folder = base + QStringLiteral("/gone");
            file = folder + QLatin1Char('/') + name;
            break;
        case Obstacle::ReadOnlyFolder:
            QFile::setPermissions(folder, QFile::ReadOwner | QFile::ExeOwner);
            break;
        case Obstacle::ReadOnlyFile:
        case Obstacle::UnreadableFile:
            writeFile(file, earlier);
            QFile::setPermissions(file, obstacle == Obstacle::ReadOnlyFile ? QFile::ReadOwner
                                                                           : QFile::WriteOwner);
            break;
        }
    }
    ~Obstruction()
    {
        if (obstacle == Obstacle::ReadOnlyFolder)
            QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }
    // The file exactly as it was before the program tried it.
    void verifyUntouched() const
    {
        QCOMPARE(QFileInfo(file).isDir(), obstacle == Obstacle::DirectoryOfThatName);
        if (obstacle == Obstacle::ReadOnlyFile || obstacle == Obstacle::UnreadableFile) {
            QFile::setPermissions(file, QFile::ReadOwner | QFile::WriteOwner);
            QCOMPARE(contents(file), earlier);
        } else if (obstacle != Obstacle::DirectoryOfThatName) {
            QVERIFY(!QFileInfo::exists(file));
        }
    }

    const QByteArray earlier = "kept as the user left it\r\n";
    Obstacle obstacle;
    QString folder;
    QString file;
};

// A file-fault case's files, by their path with the case's folder written "~": a regular
// file as its bytes (another user's, 65534's, after this mark), a link as "->" and its
// target, a FIFO as this mark.
using Tree = QMap<QString, QByteArray>;
const QByteArray fifoMark = "<FIFO>";
const QByteArray theirsMark = "<theirs>";

void makeTree(const QString& base, const Tree& tree)
{
    for (auto entry = tree.cbegin(); entry != tree.cend(); ++entry) {
        const QString path = QString(entry.key()).replace(QLatin1Char('~'), base);
        if (entry.value() == fifoMark)
            QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
        else if (entry.value().startsWith("->"))
            QVERIFY(QFile::link(QString::fromUtf8(entry.value().mid(2)).replace('~', base), path));
        else if (!entry.value().startsWith(theirsMark))
            writeFile(path, entry.value());
        else {
            writeFile(path, entry.value().mid(theirsMark.size()));
            QCOMPARE(::chown(QFile::encodeName(path).constData(), 65534, 65534), 0);
        }
    }
}

// Everything below `base` but folders, temporary files left behind included.
Tree readTree(const QString& base)
{
    Tree tree;
    QDirIterator it(base, QDir::Files | QDir::System | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QFileInfo entry(it.next());
        const QByteArray owner = entry.ownerId() == ::geteuid() ? "" : theirsMark;
        tree.insert(entry.filePath().replace(base, QStringLiteral("~")),
                    entry.isSymLink() ? "->" + entry.symLinkTarget().replace(base, "~").toUtf8()
                    : entry.isFile()  ? owner + contents(entry.filePath())
                                      : fifoMark);
    }
    return tree;
}

} // namespace

// How the writes fare: a file-size limit of 0 stands for a full disk; a crash is a copy
// ended by a signal in the middle of its write.
enum class Disk { Room, Full, Crash, Unconfirmed };

// A disk that fails every folder sync after the first.
int folderSyncs = 0;
int syncFailingAfterFirstFolder(int fd)
{
    struct stat there = {};
    const bool fails = ::fstat(fd, &there) == 0 && S_ISDIR(there.st_mode) && ++folderSyncs > 1;
    return fails ? (errno = EIO, -1) : ::fsync(fd);
}

Q_DECLARE_METATYPE(Disk)
Q_DECLARE_METATYPE(Obstacle)
Q_DECLARE_METATYPE(Tree)

class TestNotes : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { ui::initialise(); }
    void cleanup() { QTRY_VERIFY(QApplication::topLevelWidgets().isEmpty()); }

    void notepadCreatedOnceAndSharedByCategory_data();
    void notepadCreatedOnceAndSharedByCategory();
    void existingNotepadLeftAsItIs_data();
    void existingNotepadLeftAsItIs();
    void notepadThatCannotBeOpened_data();
    void notepadThatCannotBeOpened();
    void fileFaults_data();
    void fileFaults();

    void exportWritesTheSymbolsFile_data();
    void exportWritesTheSymbolsFile();
    void exportThatCannotBeWritten_data();
    void exportThatCannotBeWritten();
    void window1252Bytes_data();
    void window1252Bytes();

    void symbolsWindowAsLaidOut_data();
    void symbolsWindowAsLaidOut();
    void symbolsCanBeSelectedAndCopied();
    void focusStartsOnText2AndTabsThroughControls();
    void hiddenWindowComesBackWithoutReloading_data();
    void hiddenWindowComesBackWithoutReloading();
};

void TestNotes::notepadCreatedOnceAndSharedByCategory_data()
{
    QTest::addColumn<QString>("first");
    QTest::addColumn<QString>("second");
    QTest::addColumn<QString>("fileName");

    QTest::newRow("weight: Weight3 then Weight5") << "Weight3"
                                                  << "Weight5"
                                                  << "Notepad of Weight.txt";
    QTest::newRow("length keeps its old spelling") << "Length1"
                                                   << "Length4"
                                                   << "Notepad of Lenght.txt";
    QTest::newRow("area: Area5 then Area2") << "Area5"
                                            << "Area2"
                                            << "Notepad of Area.txt";
    QTest::newRow("temperature: Temp1 then Temp3") << "Temp1"
                                                   << "Temp3"
                                                   << "Notepad of Temperature.txt";
    QTest::newRow("volume: Volume4 then Volume1") << "Volume4"
                                                  << "Volume1"
                                                  << "Notepad of Volume.txt";
}

void TestNotes::notepadCreatedOnceAndSharedByCategory()
{
    QFETCH(QString, first);
    QFETCH(QString, second);
    QFETCH(QString, fileName);

    Harness h;
    const QString path = h.programFolder.path() + QLatin1Char('/') + fileName;

    h.clickNotePad(first);
    QCOMPARE(contents(path), QByteArray("\r\n"));
    // The second window of the category finds the file and writes nothing more.
    h.clickNotePad(second);
    QCOMPARE(contents(path), QByteArray("\r\n"));
    QCOMPARE(QDir(h.programFolder.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
             QStringList{fileName});

    h.verifyShellOpens(path, 2);
    QVERIFY(h.platform.messages.isEmpty());
}

void TestNotes::existingNotepadLeftAsItIs_data()
{
    QTest::addColumn<QByteArray>("bytes");

    QTest::newRow("empty file stays empty") << QByteArray();
    QTest::newRow("user's lines, last one unended")
        << QByteArray("2 lb of flour\r\nask about ounces");
    QTest::newRow("bytes beyond ASCII and a NUL") << QByteArray("\xE9t\xE9\n\x00\xFF", 6);
}

void TestNotes::existingNotepadLeftAsItIs()
{
    QFETCH(QByteArray, bytes);

    Harness h;
    const QString path = h.programFolder.path() + QStringLiteral("/Notepad of Weight.txt");
    writeFile(path, bytes);

    h.clickNotePad(QStringLiteral("Weight2"));

    QCOMPARE(contents(path), bytes);
    h.verifyShellOpens(path, 1);
    QVERIFY(h.platform.messages.isEmpty());
}

void TestNotes::notepadThatCannotBeOpened_data()
{
    QTest::addColumn<Obstacle>("obstacle");
    QTest::addColumn<QString>("failure");

    QTest::newRow("directory with the file's name") << Obstacle::DirectoryOfThatName << "created";
    QTest::newRow("program folder missing") << Obstacle::FolderMissing << "created";
    QTest::newRow("read-only program folder") << Obstacle::ReadOnlyFolder << "created";
    QTest::newRow("existing file without read permission") << Obstacle::UnreadableFile << "opened";
}

void TestNotes::notepadThatCannotBeOpened()
{
    QFETCH(Obstacle, obstacle);
    QFETCH(QString, failure);

    if (needsOrdinaryUser(obstacle) && runningAsRoot())
        QSKIP("root ignores file permissions");
    Harness h;
    const Obstruction obstruction(obstacle, h.programFolder.path(),
                                  QStringLiteral("Notepad of Temperature.txt"));
    h.platform.programFolderPath = obstruction.folder;

    h.clickNotePad(QStringLiteral("Temp2"));

    h.verifyOneMessage(QStringLiteral("The notepad file could not be %1:\n").arg(failure) +
                           obstruction.file,
                       MessageIcon::Exclamation);
    QVERIFY(h.platform.launches.isEmpty());
    obstruction.verifyUntouched();
}

void TestNotes::fileFaults_data()
{
    QTest::addColumn<bool>("notepad"); // a Weight notepad click, or the export
    // "" when even the program folder (for the export: the root folder) is unknown; "!" and
    // what names them when the data and home folders' names are no text
    QTest::addColumn<QString>("notepadFolder");
    QTest::addColumn<Tree>("before");
    QTest::addColumn<Disk>("disk");
    QTest::addColumn<QString>("message"); // none when empty
    QTest::addColumn<QString>("opened");  // handed to the shell; none when empty
    QTest::addColumn<Tree>("after");

    const QString weight = QStringLiteral("~/program/Notepad of Weight.txt");
    const QString dataWeight = QStringLiteral("~/data/Notepad of Weight.txt");
    const QString symbols = QStringLiteral("~/root/Mensurio Symbols.txt");
    const QString notOpened = QStringLiteral("The notepad file could not be opened:\n");
    const QString notCreated = QStringLiteral("The notepad file could not be created:\n");
    const QString notSaved = QStringLiteral("The symbols file could not be saved:\n");
    const QString saved = QStringLiteral("File successfully saved: ");
    const QByteArray mine = "my notes\r\n";
    const QByteArray toPrecious = "->~/outside/precious.txt";

    QTest::newRow("notepad: a FIFO of that name is not waited on")
        << true << "~/program" << Tree{{weight, fifoMark}} << Disk::Room << notOpened + weight << ""
        << Tree{{weight, fifoMark}};
    QTest::newRow("notepad: a full disk leaves no empty file behind")
        << true << "~/program" << Tree{} << Disk::Full << notCreated + weight << "" << Tree{};
    QTest::newRow("notepad: unwritable program folder, made in the data folder")
        << true << "~/data" << Tree{} << Disk::Room << "" << dataWeight
        << Tree{{dataWeight, "\r\n"}};
    QTest::newRow("notepad: one already beside the program stays in use")
        << true << "~/data" << Tree{{weight, mine}} << Disk::Room << "" << weight
        << Tree{{weight, mine}};
    QTest::newRow("notepad: a link beside the program is not followed")
        << true << "~/data" << Tree{{weight, toPrecious}, {"~/outside/precious.txt", mine}}
        << Disk::Room << "" << dataWeight
        << Tree{{weight, toPrecious}, {"~/outside/precious.txt", mine}, {dataWeight, "\r\n"}};
    QTest::newRow("notepad: another user's file beside the program is not used")
        << true << "~/data" << Tree{{weight, theirsMark + mine}} << Disk::Room << "" << dataWeight
        << Tree{{weight, theirsMark + mine}, {dataWeight, "\r\n"}};
    QTest::newRow("notepad: a link where notepads are made is not opened")
        << true << "~/program" << Tree{{weight, toPrecious}, {"~/outside/precious.txt", mine}}
        << Disk::Room << notOpened + weight << ""
        << Tree{{weight, toPrecious}, {"~/outside/precious.txt", mine}};
    QTest::newRow("notepad: program folder unknown, nothing made at the root")
        << true << "" << Tree{} << Disk::Room << notCreated + "Notepad of Weight.txt" << QString()
        << Tree{};
    QTest::newRow("export: a FIFO of that name is not waited on")
        << false << "~/program" << Tree{{symbols, fifoMark}} << Disk::Room << notSaved + symbols
        << "" << Tree{{symbols, fifoMark}};
    QTest::newRow("export: a full disk keeps the earlier export")
        << false << "~/program" << Tree{{symbols, mine}} << Disk::Full << notSaved + symbols << ""
        << Tree{{symbols, mine}};
    QTest::newRow("export: a link is replaced, its target untouched")
        << false << "~/program" << Tree{{symbols, toPrecious}, {"~/outside/precious.txt", mine}}
        << Disk::Room << saved + symbols << symbols
        << Tree{{symbols, expectedExport}, {"~/outside/precious.txt", mine}};
    QTest::newRow("export: a dangling link's target is not created")
        << false << "~/program" << Tree{{symbols, toPrecious}} << Disk::Room << saved + symbols
        << symbols << Tree{{symbols, expectedExport}};
    QTest::newRow("export: root folder unknown, nothing written in the working folder")
        << false << "" << Tree{} << Disk::Room << notSaved + "./Mensurio Symbols.txt" << QString()
        << Tree{};
    QTest::newRow("notepad: a data folder named in bytes that are no text, nothing made")
        << true << "!XDG_DATA_HOME" << Tree{} << Disk::Room
        << notCreated + "the folder named by XDG_DATA_HOME is not UTF-8 text; nothing was written."
        << QString() << Tree{};
    QTest::newRow("export: a home named in bytes that are no text, nothing written")
        << false << "!HOME" << Tree{} << Disk::Room
        << notSaved + "the folder named by HOME is not UTF-8 text; nothing was written."
        << QString() << Tree{};
    QTest::newRow("export: a crash while writing leaves only the earlier export")
        << false << "~/program" << Tree{{symbols, mine}} << Disk::Crash << ""
        << "" << Tree{{symbols, mine}};
    QTest::newRow("export: a crashed copy's temporary goes, a running copy's stays")
        << false << "~/program"
        << Tree{{symbols, mine},
                {symbols + ".tmp-999999999-0", "half"},
                {symbols + ".tmp-1-0", "half"}}
        << Disk::Room << saved + symbols << symbols
        << Tree{{symbols, expectedExport}, {symbols + ".tmp-1-0", "half"}};
    QTest::newRow("export: the disk fails once the new export has the name: told unconfirmed")
        << false << "~/program" << Tree{{symbols, mine}} << Disk::Unconfirmed
        << "The symbols file was saved, but the disk did not confirm it; after a power cut it "
           "may hold the earlier file again:\n" +
               symbols
        << symbols << Tree{{symbols, expectedExport}};
}

void TestNotes::fileFaults()
{
    QFETCH(bool, notepad);
    QFETCH(QString, notepadFolder);
    QFETCH(Tree, before);
    QFETCH(Disk, disk);
    QFETCH(QString, message);
    QFETCH(QString, opened);
    QFETCH(Tree, after);

    Harness h;
    QTemporaryDir base;
    for (const char* folder : {"program", "data", "root", "outside"})
        QDir(base.path()).mkdir(QLatin1String(folder));
    const auto expand = [&base](QString text) { return text.replace('~', base.path()); };
    const bool unknown = notepadFolder.isEmpty() || notepadFolder.startsWith('!');
    h.platform.programFolderPath = unknown ? QString() : expand("~/program");
    h.platform.notepadFolderPath = unknown ? QString() : expand(notepadFolder);
    h.platform.homeFolderPath = unknown ? QString() : expand("~/root");
    h.platform.unusableFolderFrom = notepadFolder.mid(1);
    if (!runningAsRoot() && std::any_of(before.cbegin(), before.cend(), [](const QByteArray& file) {
            return file.startsWith(theirsMark);
        }))
        QSKIP("only root can give a file to another user");
    makeTree(base.path(), before);
    // What lands in the working folder shows in the tree.
    const QString workingFolder = QDir::currentPath();
    QDir::setCurrent(expand("~/outside"));
    auto symbols = h.loadSymbols();
    const auto act = [&] {
        if (notepad)
            h.clickNotePad(QStringLiteral("Weight1"));
        else
            symbols->exportSymbols();
    };
    rlimit size{};
    ::getrlimit(RLIMIT_FSIZE, &size);
    const rlimit saved = size;
    if (disk == Disk::Crash) {
        // A copy that dies a few bytes into its write, without a chance to clean up.
        const pid_t child = ::fork();
        if (child == 0) {
            ::signal(SIGXFSZ, [](int) { ::_exit(3); });
            size.rlim_cur = 4;
            ::setrlimit(RLIMIT_FSIZE, &size);
            act();
            ::_exit(0);
        }
        int status = 0;
        QCOMPARE(::waitpid(child, &status, 0), child);
        QVERIFY(WIFEXITED(status) && WEXITSTATUS(status) == 3);
    } else if (disk == Disk::Unconfirmed) {
        // The folder's sync before the rename succeeds, the one after it fails.
        const files::FileSystemCalls real = files::fileSystemCalls();
        folderSyncs = 0;
        files::fileSystemCalls().fsync = syncFailingAfterFirstFolder;
        act();
        files::fileSystemCalls() = real;
    } else {
        // A full disk: every write fails, and the program lives on.
        size.rlim_cur = disk == Disk::Full ? 0 : saved.rlim_cur;
        ::setrlimit(RLIMIT_FSIZE, &size);
        act();
        ::setrlimit(RLIMIT_FSIZE, &saved);
    }
    QDir::setCurrent(workingFolder);

    if (message.isEmpty())
        QVERIFY(h.platform.messages.isEmpty());
    else
        h.verifyOneMessage(expand(message), message.startsWith(QLatin1String("File successfully"))
                                                ? MessageIcon::Information
                                                : MessageIcon::Exclamation);
    h.verifyShellOpens(expand(opened), opened.isEmpty() ? 0 : 1);
    QCOMPARE(readTree(base.path()), after);
}

void TestNotes::exportWritesTheSymbolsFile_data()
{
    QTest::addColumn<QByteArray>("earlier");
    QTest::addColumn<int>("exports");

    QTest::newRow("no earlier file") << QByteArray() << 1;
    QTest::newRow("second export replaces the first") << QByteArray() << 2;
    QTest::newRow("longer earlier file") << QByteArray(5000, 'z') << 1;
}

void TestNotes::exportWritesTheSymbolsFile()
{
    QFETCH(QByteArray, earlier);
    QFETCH(int, exports);

    Harness h;
    if (!earlier.isEmpty())
        writeFile(h.exportPath(), earlier);
    auto symbols = h.loadSymbols();

    for (int i = 0; i < exports; ++i)
        QTest::mouseClick(symbols->findChild<QPushButton*>(QStringLiteral("Command2")),
                          Qt::LeftButton);

    QCOMPARE(contents(h.exportPath()), expectedExport);
    QCOMPARE(h.platform.messages.size(), exports);
    for (const test::FakePlatform::Message& message : h.platform.messages) {
        QCOMPARE(message.text, QStringLiteral("File successfully saved: ") + h.exportPath());
        QCOMPARE(message.title, product::text(product::name));
        QCOMPARE(message.buttons, MessageButtons::Ok);
        QCOMPARE(message.icon, MessageIcon::Information);
    }
    h.verifyShellOpens(h.exportPath(), exports);
}

void TestNotes::exportThatCannotBeWritten_data()
{
    QTest::addColumn<Obstacle>("obstacle");

    QTest::newRow("directory with that name") << Obstacle::DirectoryOfThatName;
    QTest::newRow("root folder missing") << Obstacle::FolderMissing;
    QTest::newRow("read-only root folder") << Obstacle::ReadOnlyFolder;
    QTest::newRow("read-only earlier file") << Obstacle::ReadOnlyFile;
}

void TestNotes::exportThatCannotBeWritten()
{
    QFETCH(Obstacle, obstacle);

    if (needsOrdinaryUser(obstacle) && runningAsRoot())
        QSKIP("root ignores file permissions");
    Harness h;
    const Obstruction obstruction(obstacle, h.rootFolder.path(),
                                  QStringLiteral("Mensurio Symbols.txt"));
    h.platform.homeFolderPath = obstruction.folder;
    auto symbols = h.loadSymbols();

    symbols->exportSymbols();

    h.verifyOneMessage(QStringLiteral("The symbols file could not be saved:\n") + obstruction.file,
                       MessageIcon::Exclamation);
    QVERIFY(h.platform.launches.isEmpty());
    obstruction.verifyUntouched();
}

void TestNotes::window1252Bytes_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QByteArray>("bytes");

    QTest::newRow("ASCII and line end") << QStringLiteral("Ab 1\r\n") << QByteArray("Ab 1\r\n");
    QTest::newRow("Latin-1 range")
        << QStringLiteral("\u00E9\u00B2\u00BD\u00FF\u00A0") << QByteArray("\xE9\xB2\xBD\xFF\xA0");
    QTest::newRow("punctuation at 0x80 to 0x9F")
        << QStringLiteral("\u20AC\u201A\u2019\u2014\u0178") << QByteArray("\x80\x82\x92\x97\x9F");
    QTest::newRow("outside the code page")
        << QStringLiteral("x\u0100\u4E2Dy") << QByteArray("x??y");
    QTest::newRow("the code page's five gaps")
        << QStringLiteral("\u0081\u008D\u008F\u0090\u009D") << QByteArray("?????");
    QTest::newRow("beyond the basic plane is one character")
        << QStringLiteral("a\U0001F600b") << QByteArray("a?b");
    QTest::newRow("lone surrogate")
        << QString(QChar(0xD800)) + QLatin1Char('z') << QByteArray("?z");
}

void TestNotes::window1252Bytes()
{
    QFETCH(QString, text);
    QFETCH(QByteArray, bytes);
    QCOMPARE(toWindows1252(text), bytes);
}

void TestNotes::symbolsWindowAsLaidOut_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("parent");
    QTest::addColumn<QRect>("rect");
    QTest::addColumn<bool>("visible");

    // Twips over 15, worked out from the form's table.
    QTest::newRow("FullText, hidden below the client area")
        << "FullText"
        << "Symbols" << QRect(14, 270, 499, 171) << false;
    QTest::newRow("Frame1") << "Frame1"
                            << "Symbols" << QRect(14, 12, 499, 229) << true;
    QTest::newRow("Command2") << "Command2"
                              << "Frame1" << QRect(28, 162, 451, 23) << true;
    QTest::newRow("Command1") << "Command1"
                              << "Frame1" << QRect(28, 192, 451, 23) << true;
    QTest::newRow("SymbolsText") << "SymbolsText"
                                 << "Frame1" << QRect(24, 20, 439, 90) << true;
    QTest::newRow("Label1") << "Label1"
                            << "Frame1" << QRect(26, 124, 429, 29) << true;
    QTest::newRow("Text2, on the window") << "Text2"
                                          << "Symbols" << QRect(226, 68, 83, 35) << true;
}

void TestNotes::symbolsWindowAsLaidOut()
{
    QFETCH(QString, name);
    QFETCH(QString, parent);
    QFETCH(QRect, rect);
    QFETCH(bool, visible);

    Harness h;
    auto symbols = h.loadSymbols();
    symbols->show();
    QCOMPARE(symbols->windowTitle(), QStringLiteral("Important Symbols - Not For Mensurio"));
    QCOMPARE(symbols->size(), QSize(533, 256));

    auto* control = symbols->findChild<QWidget*>(name);
    QVERIFY(control);
    QCOMPARE(control->parentWidget()->objectName(), parent);
    QCOMPARE(control->geometry(), rect);
    QCOMPARE(control->isVisible(), visible);
    QVERIFY(!control->accessibleName().isEmpty());
}

void TestNotes::symbolsCanBeSelectedAndCopied()
{
    Harness h;
    auto symbols = h.loadSymbols();
    symbols->show();
    auto* field = symbols->findChild<QPlainTextEdit*>(QStringLiteral("SymbolsText"));
    QVERIFY(field->isReadOnly());
    QCOMPARE(field->toPlainText(), sixSymbols + QStringLiteral("\n \n"));
    QCOMPARE(field->font().family(), QStringLiteral("Tahoma"));
    QCOMPARE(field->font().pointSizeF(), 48.0);
    QCOMPARE(field->palette().color(QPalette::Text), QColor(0, 0, 128));

    QApplication::clipboard()->clear();
    field->setFocus();
    QTest::keyClick(field, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(field, Qt::Key_C, Qt::ControlModifier);
    QCOMPARE(QApplication::clipboard()->text(), sixSymbols + QStringLiteral("\n \n"));
    // Still the same text: selecting and copying changed nothing.
    QCOMPARE(field->toPlainText(), sixSymbols + QStringLiteral("\n \n"));
}

void TestNotes::focusStartsOnText2AndTabsThroughControls()
{
    Harness h;
    auto symbols = h.loadSymbols();
    symbols->show();
    symbols->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(symbols.get()));
    auto* text2 = symbols->findChild<QLineEdit*>(QStringLiteral("Text2"));
    QTRY_COMPARE(QApplication::focusWidget(), text2);

    // Text2 never covers the symbols: what lies at its centre is the symbols field.
    QWidget* atCentre = symbols->childAt(text2->geometry().center());
    auto* field = symbols->findChild<QWidget*>(QStringLiteral("SymbolsText"));
    QVERIFY(atCentre == field || field->isAncestorOf(atCentre));

    for (const char* next : {"SymbolsText", "Command2", "Command1", "Text2"}) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget()->objectName(), QLatin1String(next));
    }

    // Hidden with the focus elsewhere, the window opens on Text2 again.
    symbols->findChild<QPushButton*>(QStringLiteral("Command1"))->setFocus();
    QCOMPARE(symbols->focusWidget()->objectName(), QStringLiteral("Command1"));
    symbols->hide();
    symbols->show();
    QCOMPARE(symbols->focusWidget(), text2);
}

void TestNotes::hiddenWindowComesBackWithoutReloading_data()
{
    QTest::addColumn<bool>("byButton");
    QTest::newRow("Command1") << true;
    QTest::newRow("title bar close") << false;
}

void TestNotes::hiddenWindowComesBackWithoutReloading()
{
    QFETCH(bool, byButton);

    test::FakePlatform platform;
    MainWindow mainWindow(platform);
    mainWindow.setWindowIcon(markerIcon(Qt::magenta));
    mainWindow.show();
    mainWindow.findChild<QAction*>(QStringLiteral("VIP"))->trigger();
    auto* symbols = qobject_cast<SymbolsWindow*>(
        test::named(mainWindow.windows()).existing(QStringLiteral("Symbols")));
    QVERIFY(symbols);
    QVERIFY(symbols->isVisible());
    QCOMPARE(iconImage(symbols->windowIcon()), iconImage(markerIcon(Qt::magenta)));

    // Loading again would copy this new icon.
    mainWindow.setWindowIcon(markerIcon(Qt::green));
    if (byButton) {
        QTest::mouseClick(symbols->findChild<QPushButton*>(QStringLiteral("Command1")),
                          Qt::LeftButton);
        QTRY_COMPARE(QApplication::activeWindow(), &mainWindow);
    } else {
        symbols->close();
    }
    QVERIFY(!symbols->isVisible());
    QVERIFY(mainWindow.isVisible());
    QCOMPARE(platform.endRequests, 0);

    mainWindow.findChild<QAction*>(QStringLiteral("VIP"))->trigger();
    QCOMPARE(test::named(mainWindow.windows()).existing(QStringLiteral("Symbols")), symbols);
    QVERIFY(symbols->isVisible());
    QCOMPARE(iconImage(symbols->windowIcon()), iconImage(markerIcon(Qt::magenta)));
}

QTEST_MAIN(TestNotes)
#include "test_notes.moc"
