#pragma once

#include <QString>

// The product's facts as its users know them, written out once for every suite: a window's
// text or a launched address is compared with these, never with what the build made of the
// facts, which is the code under test.
namespace mensurio::expected {

inline const QString nameAndVersion = QStringLiteral("Mensurio 1.2");
inline const QString homePage = QStringLiteral("https://www.filez.example.com/software/mensurio/");
inline const QString supportAddress = QStringLiteral("support@example.com");
inline const QString licenceFile = QStringLiteral("License Agreement.rtf");

} // namespace mensurio::expected
