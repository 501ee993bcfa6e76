#pragma once

#include "platform/context.h"

#include <QString>

namespace mensurio {

// The program's fixed outside addresses, kept in one place. The product has no real
// site yet, so they live under the reserved example domains.
namespace Sites {
QString downloadPage();     // the program's page on the first download site
QString downloadSiteName(); // that site's display name
QString downloadSiteHost(); // its full web host name
QString downloadSiteHome(); // its home page
QString secondSiteName();
QString secondSiteHost();
QString secondSiteHome();
QString supportAddress();
} // namespace Sites

namespace WinFontFolder {
// Opens a file, program or address with the shell's "Open" verb, owned by the main window.
void ShellOpen(Context& context, const QString& file, const QString& parameters,
               const QString& folder);
} // namespace WinFontFolder

namespace Support {
void OpenWebPage(Context& context);
void MailSupport(Context& context);
// A new mail to the address exactly as given, not trimmed or checked.
void MailFriend(Context& context, const QString& address);
} // namespace Support

// The main window's own launches, shared with the About window.
namespace Launch {
void Calculator(Context& context);
void LicenseAgreement(Context& context);
void Donate(Context& context);
} // namespace Launch

} // namespace mensurio
