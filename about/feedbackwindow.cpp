#include "about/feedbackwindow.h"

#include "core/product.h"

#include "launch/launch.h"
#include "ui/controls.h"
#include "ui/fonts.h"
#include "ui/pictures.h"
#include "ui/placement.h"

#include <QLineEdit>

namespace mensurio {

using ui::twipRect;

FeedbackWindow::FeedbackWindow(Context& context) : context_(context)
{
    setObjectName(QStringLiteral("For") + product::text(product::name));
    setWindowTitle(QStringLiteral("I Like ") + product::text(product::name));
    setWindowIcon(ui::bakedIcon(u"feedback.ico"));
    ui::makeFixedWindow(this, 7560, 4335, context.mainWindow);
    buildLayout();
    // The main window is disabled behind it: a click there must not bury this window.
    ui::keepInFrontOf(this, context.mainWindow);
}

void FeedbackWindow::buildLayout()
{
    const QFont regular = ui::tahoma(8.25);
    const QFont bold = ui::tahoma(8.25, true);
    const QColor rule = palette().color(QPalette::Mid);

    // The outer frame's edges lie outside the client area; only the inner outline shows.
    QFrame* outer =
        ui::frame(this, QStringLiteral("Frame1"), twipRect(-1500, -1770, 9795, 7005), false);
    QFrame* box =
        ui::frame(outer, QStringLiteral("Frame2"), twipRect(1740, 1890, 7065, 4005), true);

    auto link = [&](const char* name, const QString& text, int left, int top,
                    const QString& toolTip) {
        ui::ClickLabel* result =
            ui::linkLabel(box, QLatin1String(name), text, left, top, bold, ui::linkColour());
        result->setToolTip(toolTip);
        return result;
    };
    auto text = [&](const char* name, const QString& caption, int left, int top) {
        return ui::label(box, QLatin1String(name), caption, left, top, regular);
    };

    ui::label(box, QStringLiteral("Label1"),
              QStringLiteral("Glad to hear that you liked it. These are several things you can "
                             "do: "),
              210, 270, bold);
    ui::ClickLabel* exit =
        ui::pictureBox(box, QStringLiteral("Image4"), QStringLiteral("exit.ico"),
                       twipRect(6630, 210, 240, 240), QStringLiteral("Exit Typelore"), true);
    connect(exit, &ui::ClickLabel::clicked, this, &FeedbackWindow::leave);

    // Write to the maker.
    ui::pictureBox(box, QStringLiteral("Image29"), QStringLiteral("contact.ico"),
                   twipRect(270, 690, 450, 450), QStringLiteral("Contact us"));
    text("Label2",
         QStringLiteral("* Contact us if you have any suggestions, opinions or notes about it on:"),
         750, 690);
    ui::ClickLabel* support = link("Label6", sites::supportAddress(), 870, 900,
                                   QStringLiteral("Contact ") + product::text(product::maker));
    connect(support, &ui::ClickLabel::clicked, this, &FeedbackWindow::mailSupport);
    ui::line(box, QStringLiteral("Line1"), 270, 1260, 6630, 2, rule);

    // Tell a friend.
    ui::pictureBox(box, QStringLiteral("Image31"), QStringLiteral("friend.ico"),
                   twipRect(240, 1440, 450, 450),
                   QStringLiteral("Add a review at ") + sites::downloadSiteName());
    text("Label3",
         QStringLiteral("* Tell all your friends and relatives about ") +
             product::text(product::name) + QLatin1Char('.'),
         750, 1440);
    ui::ClickLabel* friendLink =
        link("Label4", QStringLiteral("Tell-a-friend"), 870, 1650,
             QStringLiteral("Tell-a-friend about ") + product::text(product::name));
    connect(friendLink, &ui::ClickLabel::clicked, this, &FeedbackWindow::tellAFriend);
    // Never shown: it carries the friend's address from the input box to the mail launch,
    // and keeps it while the window is hidden.
    friendAddress_ = new QLineEdit(box);
    friendAddress_->setObjectName(QStringLiteral("Mail"));
    friendAddress_->setGeometry(twipRect(4320, 1650, 2085, 285));
    friendAddress_->setFocusPolicy(Qt::NoFocus);
    friendAddress_->setAccessibleName(QStringLiteral("Friend's mail address"));
    friendAddress_->hide();
    ui::line(box, QStringLiteral("Line2"), 270, 2040, 6630, 2, rule);

    // Vote at the download sites.
    ui::pictureBox(box, QStringLiteral("Image30"), QStringLiteral("review.ico"),
                   twipRect(240, 2250, 450, 450), QStringLiteral("Tell-a-friend"));
    text("Label5",
         QStringLiteral("* Vote fo ") + product::text(product::name) +
             QStringLiteral(" at the following websites:"),
         750, 2310);

    // One row per download site: "Goto <name>:", the host as a link, a note picture and
    // the site's way to rate.
    const QString goTo = QStringLiteral("Goto ");
    auto site = [&](int top, const char* caption, const QString& name, const char* linkName,
                    int linkLeft, const QString& host, void (FeedbackWindow::*open)(),
                    const char* noteName, void (FeedbackWindow::*showSiteNote)(), const char* hint,
                    const QString& how) {
        QLabel* siteCaption = text(caption, goTo + name + u':', 900, top);
        ui::ClickLabel* siteLink = link(linkName, host, linkLeft, top, goTo + host);
        // A long site name would reach under the link: its text then starts past the caption.
        ui::indentPast(siteLink, siteCaption);
        connect(siteLink, &ui::ClickLabel::clicked, this, open);
        ui::ClickLabel* note =
            ui::pictureBox(box, QLatin1String(noteName), QStringLiteral("note.ico"),
                           twipRect(900, top + 240, 210, 210), QStringLiteral("Note!"), true);
        connect(note, &ui::ClickLabel::clicked, this, showSiteNote);
        text(hint,
             QStringLiteral("Search for ") + product::text(product::name) +
                 QStringLiteral(", Open its page and click on \"Rate it!\" ") + how,
             1200, top + 240);
    };
    site(2640, "Label7", sites::downloadSiteName(), "Label8", 1770, sites::downloadSiteHost(),
         &FeedbackWindow::openDownloadSite, "Image1", &FeedbackWindow::showDownloadSiteNote,
         "Label9", QStringLiteral("link."));
    site(3270, "Label11", sites::secondSiteName(), "Label12", 2070, sites::secondSiteHost(),
         &FeedbackWindow::openSecondSite, "Image2", &FeedbackWindow::showSecondSiteNote, "Label13",
         QStringLiteral("list."));
}

void FeedbackWindow::mailSupport() { launch::mailSupport(context_); }

void FeedbackWindow::tellAFriend()
{
    const QString answer = context_.platform.inputBox(
        this, QStringLiteral("Please insert your friend's full mail address:"),
        QStringLiteral("Tell-a-friend"), QString());
    // Cancel comes back empty and clears the last address too.
    friendAddress_->setText(answer);
    // Whatever was typed goes on as typed, blanks and all: the mail program is the judge.
    if (!answer.isEmpty())
        launch::mailTo(context_, friendAddress_->text());
}

void FeedbackWindow::openDownloadSite() { launch::open(context_, sites::downloadSiteHome()); }

void FeedbackWindow::openSecondSite() { launch::open(context_, sites::secondSiteHome()); }

void FeedbackWindow::showDownloadSiteNote()
{
    showNote(QStringLiteral("Free registration required to vote and add a review at ") +
             sites::downloadSiteHost());
}

void FeedbackWindow::showSecondSiteNote()
{
    showNote(QStringLiteral("Free registration required to add a review at ") +
             sites::secondSiteHost() + QStringLiteral(" (No registration required to vote)"));
}

void FeedbackWindow::showNote(const QString& text)
{
    context_.platform.messageBox(this, text, applicationTitle(), MessageButtons::Ok,
                                 MessageIcon::Information);
}

} // namespace mensurio
