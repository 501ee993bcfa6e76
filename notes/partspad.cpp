#include "notes/partspad.h"

#include "shell/launch.h"

#include <QFile>
#include <QFileInfo>

namespace mensurio::PartsPad {

QString fileName(Category category)
{
    switch (category) {
    case Category::Weight:
        return QStringLiteral("Notepad of Weight.txt");
    case Category::Length:
        return QStringLiteral("Notepad of Lenght.txt");
    case Category::Area:
        return QStringLiteral("Notepad of Area.txt");
    case Category::Temperature:
        return QStringLiteral("Notepad of Temperature.txt");
    case Category::Volume:
        return QStringLiteral("Notepad of Volume.txt");
    }
    return {};
}

void open(Context& context, Category category)
{
    const QString path = programFile(context.platform, fileName(category));
    {
        // A probe only: a file that opens for reading is handed on as it is.
        QFile probe(path);
        if (!probe.open(QIODevice::ReadOnly)) {
            // Only a new file gets the empty line: a file that exists but cannot be read
            // is still the user's, and nothing is added to it.
            QFile file(path);
            const bool created = file.open(QIODevice::WriteOnly | QIODevice::NewOnly) &&
                                 file.write("\r\n", 2) == 2 && file.flush();
            file.close();
            if (!created) {
                // Nothing to open: say which file failed instead of failing silently.
                const QString failure =
                    QFileInfo(path).isFile()
                        ? QStringLiteral("The notepad file could not be opened:\n")
                        : QStringLiteral("The notepad file could not be created:\n");
                context.platform.messageBox(context.mainWindow, failure + path, applicationTitle(),
                                            MessageButtons::Ok, MessageIcon::Exclamation);
                return;
            }
        }
    }
    WinFontFolder::ShellOpen(context, path, QString(), QString());
}

void WeightPad(Context& context) { open(context, Category::Weight); }
void LengthPad(Context& context) { open(context, Category::Length); }
void AreaPad(Context& context) { open(context, Category::Area); }
void TemperaturePad(Context& context) { open(context, Category::Temperature); }
void VolumePad(Context& context) { open(context, Category::Volume); }

} // namespace mensurio::PartsPad
