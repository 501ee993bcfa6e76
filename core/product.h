#pragma once

#include <QLatin1String>
#include <QString>

namespace mensurio {

// The version the build gives the program ("1.2"): the project's own, set in one place.
inline constexpr char productVersion[] = MENSURIO_VERSION;

// The product and its version, as the windows and the export file name it.
inline QString productName() { return QStringLiteral("Mensurio ") + QLatin1String(productVersion); }

} // namespace mensurio
