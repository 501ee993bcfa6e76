#include "launch/launch.h"

#include "platform/files.h"

#include <QDir>

namespace mensurio {

namespace Sites {
QString downloadSiteName() { return QStringLiteral("Filez"); }
QString downloadSiteHost() { return QStringLiteral("www.filez.example.com"); }
QString downloadSiteHome() { return QStringLiteral("https://www.filez.example.com/"); }
QString downloadPage() { return downloadSiteHome() + QStringLiteral("software/mensurio/"); }
QString secondSiteName() { return QStringLiteral("Softland"); }
QString secondSiteHost() { return QStringLiteral("www.softland.example.net"); }
QString secondSiteHome() { return QStringLiteral("https://www.softland.example.net/"); }
QString supportAddress() { return QStringLiteral("support@example.com"); }
} // namespace Sites

namespace launch {

void open(Context& context, const QString& target)
{
    context.platform.open(context.mainWindow, target, {});
}

namespace {
// Web page and mail launches belong to no window and run from the home folder.
void openAddress(Context& context, const QString& address)
{
    context.platform.open(nullptr, address, context.platform.homeFolder());
}

// The licence document lies beside the executable in a build tree or a copied program
// folder; an installed copy keeps it in its data folder, <prefix>/share/mensurio, next
// to <prefix>/bin. Where it is in neither, the path beside the program is the one named.
// A program folder that cannot be named gives an empty path: nothing is looked up at "/".
QString licenseName() { return QStringLiteral("License Agreement.rtf"); }

QString licensePath(Platform& platform)
{
    const QString beside = programFile(platform, licenseName());
    if (beside.isEmpty() || files::probe(beside) == files::Found::RegularFile)
        return beside;
    const QString installed = QDir::cleanPath(
        platform.programFolder() + QStringLiteral("/../share/mensurio/") + licenseName());
    return files::probe(installed) == files::Found::RegularFile ? installed : beside;
}
} // namespace

void openWebPage(Context& context) { openAddress(context, Sites::downloadPage()); }

void mailSupport(Context& context)
{
    openAddress(context, QStringLiteral("mailto:") + Sites::supportAddress());
}

void mailTo(Context& context, const QString& address)
{
    openAddress(context, QStringLiteral("mailto:") + address);
}

void startCalculator(Context& context) { context.platform.startCalculator(context.mainWindow); }

void openLicence(Context& context)
{
    const QString path = licensePath(context.platform);
    if (files::probe(path) != files::Found::RegularFile) {
        // Missing, unreadable, a FIFO or a folder of that name: say so and start nothing.
        context.platform.messageBox(
            context.mainWindow,
            QStringLiteral("The license agreement file could not be opened:\n") +
                (path.isEmpty() ? licenseName() : path),
            applicationTitle(), MessageButtons::Ok, MessageIcon::Exclamation);
        return;
    }
    open(context, path);
}

void donate(Context& context)
{
    // No existence test: a missing launcher is the desktop's business, not the program's.
    open(context, programFile(context.platform, QStringLiteral("Donate with PayPal.exe")));
}

} // namespace launch

} // namespace mensurio
