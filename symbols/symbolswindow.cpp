#include "symbols/symbolswindow.h"

#include "core/product.h"
#include "core/windows1252.h"
#include "launch/launch.h"
#include "platform/files.h"
#include "ui/controls.h"
#include "ui/fonts.h"
#include "ui/placement.h"

#include <QDir>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

#include <array>

namespace mensurio {

using ui::twipRect;

namespace {

// Superscript two and three, degree sign, one quarter, one half, three quarters.
const QString symbols = QStringLiteral("\u00B2 \u00B3 \u00B0 \u00BC \u00BD \u00BE");

// The note under the symbols; the export breaks it into two lines after "can use ".
const QString noteStart = QStringLiteral("Note : You cant use these symbols in ") +
                          product::text(product::name) + QStringLiteral(", But you can use ");
const QString noteEnd = QStringLiteral(
    "them for your online study or any other fields that contain Physics, Math and Chemistry.");

const QString lineEnd = QStringLiteral("\r\n");

// The file's text: fixed, whatever the user did to the window's fields.
QString exportText()
{
    const std::array<QString, 9> lines{
        QStringLiteral("Thank you for using ") + product::nameAndVersion(),
        QStringLiteral("Here are your saved symbols : ") + symbols,
        QString(),
        noteStart,
        noteEnd,
        QString(),
        QString(63, QLatin1Char('*')),
        QString(),
        QStringLiteral("If you liked ") + product::text(product::name) +
            QStringLiteral(" please vote for it at ") + sites::downloadSiteHost(),
    };
    QString text;
    for (const QString& line : lines)
        text += line + lineEnd;
    return text;
}

// Replaces any earlier export with the export text and one more line end, as one new file
// that takes the name only when complete. A link of that name is replaced, not written
// through (QSaveFile would write to the link's target); an earlier file the user
// write-protected, or a FIFO, device or folder of that name, makes the export fail.
files::Outcome writeExport(const QString& path)
{
    return files::writeWhole(path, toWindows1252(QString(exportText() + lineEnd)),
                             files::Write::Replace);
}

} // namespace

SymbolsWindow::SymbolsWindow(Context& context) : context_(context)
{
    setObjectName(QStringLiteral("Symbols"));
    setWindowTitle(QStringLiteral("Important Symbols - Not For ") + product::text(product::name));
    ui::makeFixedWindow(this, 7995, 3840, context.mainWindow);
    setFont(ui::tahoma(8.25));
    setBackgroundRole(QPalette::Button);
    setAutoFillBackground(true);
    // No WA_DeleteOnClose: the title bar's close only hides the window, which keeps the
    // registry's one instance alive until the program ends.
    if (context.mainWindow)
        setWindowIcon(context.mainWindow->windowIcon());
    buildLayout();
}

void SymbolsWindow::buildLayout()
{
    auto* fullText = new QPlainTextEdit(this);
    fullText->setObjectName(QStringLiteral("FullText"));
    fullText->setReadOnly(true);
    fullText->setPlainText(exportText());
    fullText->setGeometry(twipRect(210, 4050, 7485, 2565));
    fullText->setAccessibleName(QStringLiteral("Exported text"));
    fullText->hide();

    // Text2 only holds the focus when the window opens, so that no visible control shows
    // a focus mark or takes a stray key. It lies under the opaque frame, out of sight,
    // and never covers the symbols.
    focusHolder_ = new QLineEdit(this);
    focusHolder_->setObjectName(QStringLiteral("Text2"));
    focusHolder_->setReadOnly(true);
    focusHolder_->setGeometry(twipRect(3390, 1020, 1245, 525));
    focusHolder_->setAccessibleName(windowTitle());

    QFrame* frame = ui::frame(this, QStringLiteral("Frame1"), twipRect(210, 180, 7485, 3435), true);
    frame->setBackgroundRole(QPalette::Button);
    frame->setAutoFillBackground(true);
    frame->setAccessibleName(QStringLiteral("Important symbols"));
    focusHolder_->stackUnder(frame);

    auto button = [frame](const char* name, const QString& caption, int top) {
        return ui::pushButton(frame, QLatin1String(name), caption, twipRect(420, top, 6765, 345));
    };
    QPushButton* exportButton =
        button("Command2", QStringLiteral("Get these symbols on a TXT file"), 2430);
    QPushButton* closeButton =
        button("Command1", QStringLiteral("Click here to close this window"), 2880);
    connect(exportButton, &QPushButton::clicked, this, &SymbolsWindow::exportSymbols);
    connect(closeButton, &QPushButton::clicked, this, &SymbolsWindow::leave);

    auto* symbolsText = new QPlainTextEdit(frame);
    symbolsText->setObjectName(QStringLiteral("SymbolsText"));
    symbolsText->setReadOnly(true);
    // Read-only, yet selectable by mouse and keyboard: copying the symbols is the point.
    symbolsText->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    symbolsText->setTabChangesFocus(true);
    symbolsText->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    symbolsText->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    symbolsText->setFont(ui::tahoma(48));
    QPalette palette = symbolsText->palette();
    palette.setColor(QPalette::Text, QColor(0, 0, 128));
    symbolsText->setPalette(palette);
    symbolsText->setPlainText(symbols + lineEnd + QLatin1Char(' ') + lineEnd);
    symbolsText->setGeometry(twipRect(360, 300, 6585, 1350));
    symbolsText->setAccessibleName(QStringLiteral("Symbols to copy"));

    QLabel* label1 = ui::wrappedLabel(frame, QStringLiteral("Label1"), noteStart + noteEnd,
                                      twipRect(390, 1860, 6435, 435), frame->font());
    label1->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    label1->setAccessibleName(label1->text());

    setTabOrder(focusHolder_, symbolsText);
    setTabOrder(symbolsText, exportButton);
    setTabOrder(exportButton, closeButton);
}

void SymbolsWindow::exportSymbols()
{
    const QString notSaved = QStringLiteral("The symbols file could not be saved:\n");
    const auto tell = [this](const QString& text, MessageIcon icon) {
        context_.platform.messageBox(this, text, applicationTitle(), MessageButtons::Ok, icon);
    };
    const QString home = context_.platform.homeFolder();
    const QString unusable =
        home.isEmpty() ? unusableFolderText(context_.platform, UserFolder::Home) : QString();
    if (!unusable.isEmpty()) {
        tell(notSaved + unusable, MessageIcon::Exclamation);
        return;
    }
    const QString path =
        QDir(home).filePath(product::text(product::name) + QStringLiteral(" Symbols.txt"));
    const QString shown = QDir::toNativeSeparators(path);
    switch (writeExport(path)) {
    case files::Outcome::NotSaved:
        tell(notSaved + shown, MessageIcon::Exclamation);
        return;
    case files::Outcome::SavedUnconfirmed:
        // The new file is what the name holds now, so it is shown; a power cut before the
        // disk settles may still bring back the earlier one.
        tell(QStringLiteral("The symbols file was saved, but the disk did not confirm it; "
                            "after a power cut it may hold the earlier file again:\n") +
                 shown,
             MessageIcon::Exclamation);
        break;
    case files::Outcome::Saved:
        tell(QStringLiteral("File successfully saved: ") + shown, MessageIcon::Information);
        break;
    }
    launch::open(context_, path);
}

void SymbolsWindow::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    // Every opening starts on Text2, whichever control had the focus when it was hidden.
    focusHolder_->setFocus(Qt::OtherFocusReason);
}

} // namespace mensurio
