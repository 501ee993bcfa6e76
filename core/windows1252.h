#pragma once

#include <QByteArray>
#include <QStringView>

namespace mensurio {

// Text as the single-byte files of the program carry it: one Windows-1252 byte per
// character, "?" for a character the code page lacks, whatever the user's locale.
QByteArray toWindows1252(QStringView text);

} // namespace mensurio
