#pragma once

#include "platform/context.h"

#include <QString>

namespace mensurio {

// The program's fixed outside addresses, kept in one place. The product has no real
// site yet, so they live under the reserved example domains.
namespace sites {
QString downloadPage();     // the program's page on the first download site
QString downloadSiteName(); // that site's display name
QString downloadSiteHost(); // its full web host name
QString downloadSiteHome(); // its home page
QString secondSiteName();
QString secondSiteHost();
QString secondSiteHome();
QString supportAddress();
} // namespace sites

// What the windows start outside the program. Failures are told over the main window,
// except for the web page and mail, which belong to no window.
namespace launch {
// Opens a file or address with the desktop's program for it.
void open(Context& context, const QString& target);
// The program's page on the download site, from the home folder.
void openWebPage(Context& context);
// A new mail to support, from the home folder.
void mailSupport(Context& context);
// A new mail to the address exactly as given, not trimmed or checked.
void mailTo(Context& context, const QString& address);
void startCalculator(Context& context);
// The licence document; where it cannot be read, a message says so and nothing starts.
void openLicence(Context& context);
// The donation launcher beside the program, whether or not it is there.
void donate(Context& context);
} // namespace launch

} // namespace mensurio
