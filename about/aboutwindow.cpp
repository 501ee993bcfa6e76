#include "about/aboutwindow.h"

#include "core/product.h"
#include "launch/launch.h"
#include "ui/controls.h"
#include "ui/fonts.h"
#include "ui/pictures.h"
#include "ui/placement.h"

#include <QLabel>
#include <QPushButton>

namespace mensurio {

using ui::pixelsOfTwips;
using ui::twipRect;

namespace {

// The user name label grows with the name but stops short of the donate picture.
constexpr int donateLeft = 5700;

} // namespace

AboutWindow::AboutWindow(Context& context) : context_(context)
{
    setObjectName(QStringLiteral("AboutApp"));
    setWindowTitle(QStringLiteral("About ") + product::text(product::name));
    setWindowIcon(ui::bakedIcon(u"about.ico"));
    ui::makeFixedWindow(this, 7995, 5220, context.mainWindow);
    buildLayout();
    // The main window is disabled behind it: a click there must not bury this window.
    ui::keepInFrontOf(this, context.mainWindow);
}

void AboutWindow::buildLayout()
{
    const QFont regular = ui::tahoma(8.25);
    const QFont bold = ui::tahoma(8.25, true);
    const QString nameAndVersion = product::nameAndVersion();
    const QString rights = QStringLiteral("Copyright © ") + product::text(product::copyrightYear) +
                           QLatin1Char(' ') + product::text(product::maker);

    // Created first so that it stays behind everything drawn over it.
    auto* shape = new QFrame(this);
    shape->setObjectName(QStringLiteral("Shape1"));
    shape->setGeometry(twipRect(300, 210, 7365, 3945));
    shape->setFrameStyle(QFrame::Box | QFrame::Plain);
    QPalette shapePalette = shape->palette();
    shapePalette.setColor(QPalette::WindowText, shapePalette.color(QPalette::Mid));
    shapePalette.setColor(QPalette::Window, shapePalette.color(QPalette::Base));
    shape->setPalette(shapePalette);
    shape->setAutoFillBackground(true);

    ui::ClickLabel* logo = ui::pictureBox(
        this, QStringLiteral("Image1"), QStringLiteral("logo.jpg"), twipRect(420, 360, 1125, 915));
    logo->setAccessibleName(product::text(product::name) + QStringLiteral(" logo"));
    QLabel* version = ui::label(this, QStringLiteral("Label3"), nameAndVersion, 1500, 540, regular);
    QLabel* notice = ui::label(this, QStringLiteral("Label4"), rights, 1500, 750, regular);
    QLabel* registered = ui::label(this, QStringLiteral("Label2"), QStringLiteral("Registered to:"),
                                   1500, 960, regular);
    for (QLabel* beside : {version, notice, registered})
        ui::indentPast(beside, logo);
    // Read once per run: the window is made once and only hidden afterwards.
    QLabel* userName =
        ui::label(this, QStringLiteral("UserName"),
                  context_.platform.loginName().value_or(QString()), 2580, 960, bold);
    ui::indentPast(userName, registered);
    const int room = pixelsOfTwips(donateLeft) - userName->x() - pixelsOfTwips(120);
    if (userName->width() > room) {
        // A name too long for the line keeps its text; the tool tip shows all of it.
        userName->resize(room, userName->height());
        userName->setToolTip(userName->text());
    }

    ui::ClickLabel* donate = ui::pictureBox(
        this, QStringLiteral("Image2"), QStringLiteral("donate.gif"),
        twipRect(donateLeft, 480, 1815, 645), QStringLiteral("Donate with PayPal"), true);
    connect(donate, &ui::ClickLabel::clicked, this, &AboutWindow::donate);

    ui::label(this, QStringLiteral("Label8"), QStringLiteral("Contact:"), 600, 1380, regular);
    QLabel* mailCaption =
        ui::label(this, QStringLiteral("Label9"), QStringLiteral("E-Mail :"), 600, 1620, regular);
    ui::ClickLabel* mail = ui::linkLabel(this, QStringLiteral("Label6"), sites::supportAddress(),
                                         1170, 1620, bold, ui::linkColour());
    ui::indentPast(mail, mailCaption);
    mail->setToolTip(QStringLiteral("Contact ") + product::text(product::maker));
    connect(mail, &ui::ClickLabel::clicked, this, &AboutWindow::mailSupport);

    QLabel* warning = ui::label(
        this, QStringLiteral("Label15"),
        QStringLiteral("Warning: this program is protected by copyright law. Copying or passing "
                       "on the program, or any part of it, without the permission of ") +
            product::text(product::maker) +
            QStringLiteral(" is not allowed and may be prosecuted."),
        600, 2100, regular);
    warning->setWordWrap(true);
    warning->resize(pixelsOfTwips(6600), warning->heightForWidth(pixelsOfTwips(6600)));

    ui::ClickLabel* vote =
        ui::linkLabel(this, QStringLiteral("Label10"),
                      QStringLiteral("Note : If you liked ") + product::text(product::name) +
                          QStringLiteral(" please vote for it at ") + sites::downloadSiteName(),
                      600, 2940, bold, ui::linkColour());
    vote->setToolTip(QStringLiteral("Vote for ") + product::text(product::name) +
                     QStringLiteral(" at ") + sites::downloadSiteName());
    connect(vote, &ui::ClickLabel::clicked, this, &AboutWindow::vote);

    ui::label(this, QStringLiteral("Label12"), nameAndVersion, 600, 3300, regular);
    ui::label(this, QStringLiteral("Label5"), rights + QStringLiteral("\nAll rights reserved."),
              600, 3540, regular);

    // The band's outline lies past both sides and the bottom; only its top edge shows.
    QFrame* band = ui::frame(this, QStringLiteral("Frame1"), twipRect(-450, 4350, 8505, 915), true);
    auto button = [band](const char* name, const QString& caption, const QRect& rect) {
        QPushButton* result = ui::pushButton(band, QLatin1String(name), caption, rect);
        result->setFont(ui::tahoma(8.25));
        return result;
    };
    backButton_ = button("MinimizeToTray2", QStringLiteral("Back To Main Window"),
                         twipRect(6090, 300, 2025, 345));
    QPushButton* licence =
        button("Command1", product::text(product::name) + QStringLiteral(" License Agreement"),
               twipRect(2430, 300, 3495, 345));
    connect(backButton_, &QPushButton::clicked, this, &AboutWindow::leave);
    connect(licence, &QPushButton::clicked, this, &AboutWindow::openLicence);
    // The two buttons are the only controls that take the focus, the way back first.
    setTabOrder(backButton_, licence);
    backButton_->setFocus(Qt::OtherFocusReason); // takes effect when the window first activates
}

void AboutWindow::openLicence() { launch::openLicence(context_); }

void AboutWindow::donate() { launch::donate(context_); }

void AboutWindow::vote() { launch::openWebPage(context_); }

void AboutWindow::mailSupport() { launch::mailSupport(context_); }

} // namespace mensurio
