#include "shell/launch.h"

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

namespace WinFontFolder {
void ShellOpen(Context& context, const QString& file, const QString& parameters,
               const QString& folder)
{
    context.platform.shellExecute(context.mainWindow, QStringLiteral("Open"), file, parameters,
                                  folder, showNormal);
}
} // namespace WinFontFolder

namespace Support {
namespace {
// Web page and mail launches have no owner and the shell's default verb, and run
// from the root folder.
void openAddress(Context& context, const QString& address)
{
    context.platform.shellExecute(nullptr, QString(), address, QString(),
                                  context.platform.rootFolder(), showNormal);
}
} // namespace

void OpenWebPage(Context& context) { openAddress(context, Sites::downloadPage()); }

void MailSupport(Context& context)
{
    openAddress(context, QStringLiteral("mailto:") + Sites::supportAddress());
}

void MailFriend(Context& context, const QString& address)
{
    openAddress(context, QStringLiteral("mailto:") + address);
}
} // namespace Support

namespace Launch {
namespace {
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

void Calculator(Context& context)
{
    WinFontFolder::ShellOpen(context, calculatorProgram(), QString(), QString());
}

void LicenseAgreement(Context& context)
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
    WinFontFolder::ShellOpen(context, path, QString(), QString());
}

void Donate(Context& context)
{
    // No existence test: a missing launcher is the shell's business, not the program's.
    WinFontFolder::ShellOpen(
        context, programFile(context.platform, QStringLiteral("Donate with PayPal.exe")), QString(),
        QString());
}
} // namespace Launch

} // namespace mensurio
