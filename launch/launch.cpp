#include "launch/launch.h"

#include "core/product.h"
#include "platform/files.h"

#include <QDir>
#include <QUrl>

namespace mensurio {

namespace sites {
QString downloadSiteName() { return QStringLiteral("Filez"); }
// The download site is the one that holds the product's home page.
QString downloadSiteHost() { return QUrl(product::text(product::homePage)).host(); }
QString downloadSiteHome()
{
    return QUrl(product::text(product::homePage)).resolved(QUrl(QStringLiteral("/"))).toString();
}
QString downloadPage() { return product::text(product::homePage); }
QString secondSiteName() { return QStringLiteral("Softland"); }
QString secondSiteHost() { return QStringLiteral("www.softland.example.net"); }
QString secondSiteHome() { return QStringLiteral("https://www.softland.example.net/"); }
QString supportAddress() { return product::text(product::supportAddress); }
} // namespace sites

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
// folder; an installed copy keeps it in its shared folder, <prefix>/share/mensurio. Where it
// is in neither, the path in the folder the copy uses is the one named; where the copy has
// no folder it may take files from, just the name: nothing is looked up at "/" or in a folder
// another user could have put it in.
QString licenceName() { return product::text(product::licenceFile); }

// A file of the program's own: beside it, or in the install's shared folder.
QString ownFile(Platform& platform, const QString& name)
{
    const QString beside = programFile(platform, name);
    const QString folder = platform.sharedFolder();
    const QString shared = folder.isEmpty() ? QString() : folder + QDir::separator() + name;
    if (shared.isEmpty() || files::probe(beside) == files::Found::RegularFile)
        return beside;
    return beside.isEmpty() || files::probe(shared) == files::Found::RegularFile ? shared : beside;
}
} // namespace

void openWebPage(Context& context) { openAddress(context, sites::downloadPage()); }

void mailSupport(Context& context)
{
    openAddress(context, QStringLiteral("mailto:") + sites::supportAddress());
}

void mailTo(Context& context, const QString& address)
{
    openAddress(context, QStringLiteral("mailto:") + address);
}

void startCalculator(Context& context) { context.platform.startCalculator(context.mainWindow); }

void openLicence(Context& context)
{
    const QString path = ownFile(context.platform, licenceName());
    if (files::probe(path) != files::Found::RegularFile) {
        // Missing, unreadable, a FIFO or a folder of that name: say so and start nothing.
        context.platform.messageBox(
            context.mainWindow,
            QStringLiteral("The license agreement file could not be opened:\n") +
                (path.isEmpty() ? licenceName() : path),
            applicationTitle(), MessageButtons::Ok, MessageIcon::Exclamation);
        return;
    }
    open(context, path);
}

void donate(Context& context)
{
    // No existence test: a missing launcher is the desktop's business, not the program's.
    open(context, ownFile(context.platform, QStringLiteral("Donate with PayPal.exe")));
}

} // namespace launch

} // namespace mensurio
