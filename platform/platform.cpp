#include "platform/platform.h"

#include "core/product.h"

#include <QDir>

namespace mensurio {

QString applicationTitle() { return product::text(product::name); }

QString programFile(Platform& platform, const QString& name)
{
    const QString folder = platform.programFolder();
    if (folder.isEmpty())
        return {};
    // The separator is added whatever the folder ends with, as the program always did.
    return folder + QDir::separator() + name;
}

QString unusableFolderText(Platform& platform, UserFolder folder)
{
    const QString from = platform.unusableFolderName(folder);
    if (from.isEmpty())
        return {};
    return QStringLiteral("the folder named by %1 is not UTF-8 text; nothing was written.")
        .arg(from);
}

} // namespace mensurio
