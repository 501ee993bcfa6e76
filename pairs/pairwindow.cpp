#include "pairs/pairwindow.h"

#include "launch/notepads.h"
#include "pairs/keyfilter.h"
#include "pairs/pairlayout.h"
#include "ui/controls.h"
#include "ui/fonts.h"
#include "ui/pictures.h"
#include "ui/placement.h"

#include <QComboBox>
#include <QLineEdit>

namespace mensurio {

using ui::pixelsOfTwips;
using ui::twipRect;

namespace {

const QColor white(255, 255, 255);

void paintField(QLineEdit* field, const QColor& colour)
{
    QPalette palette = field->palette();
    palette.setColor(QPalette::Base, colour);
    field->setPalette(palette);
}

} // namespace

PairWindow::PairWindow(const UnitPair& pair, Context& context) : pair_(pair), context_(context)
{
    setObjectName(pair.windowName());
    setAttribute(Qt::WA_DeleteOnClose); // a window closed by its frame is discarded
    setWindowTitle(QStringLiteral("Conversion part of ") + categoryWord(pair.category));
    setWindowIcon(ui::applicationIcon());
    ui::makeFixedWindow(this, 5190, 2580, context.mainWindow);
    setBackgroundRole(QPalette::Button);
    setAutoFillBackground(true);
    // Every control names its font; the window's is the one its fields are first laid out in
    // (ui::lineEdit()), so that the desktop's font never needs an engine of its own.
    setFont(ui::tahoma(8.25));
    buildLayout();
    if (pair_.category == Category::Volume && context_.mainWindow)
        setWindowIcon(context_.mainWindow->windowIcon());
    direction_->setCurrentIndex(direction_->findText(QString::fromLatin1(pair_.firstEntry),
                                                     Qt::MatchExactly | Qt::MatchCaseSensitive));
    directionChosen();
}

void PairWindow::buildLayout()
{
    const PairLayout& layout = pairLayout(pair_.id);
    const CategoryLayout& category = categoryLayout(pair_.category);
    const QFont regular = ui::tahoma(8.25);
    const bool weight1 = pair_.id == PairId::Weight1;

    QFrame* panel = ui::frame(this, QStringLiteral("Frame1"),
                              twipRect(layout.panelLeft, layout.panelTop, 5445, 2805), false);

    ui::ClickLabel* emblem =
        ui::pictureBox(panel, weight1 ? QStringLiteral("Image2") : QStringLiteral("Image3"),
                       QString::fromLatin1(category.picture),
                       twipRect(category.pictureLeft, category.pictureTop, category.pictureSize,
                                category.pictureSize));
    emblem->setAccessibleName(categoryWord(pair_.category));

    ui::label(panel, QStringLiteral("Label21"), categoryWord(pair_.category) + QStringLiteral(" :"),
              900, 360, ui::tahoma(14.25));
    ui::line(panel, QStringLiteral("Line4"), 900, 750, 3000, 1, ui::ruleColour());
    ui::pictureBox(panel, QStringLiteral("Image20"), QStringLiteral("pair.ico"),
                   twipRect(900, 810, 240, 240))
        ->setAccessibleName(pair_.titleText());
    QLabel* title = ui::label(panel, QStringLiteral("Label22"), pair_.titleText(), 1170, 810,
                              ui::tahoma(8.25, true));
    if (pair_.id == PairId::Area2)
        title->setCursor(ui::linkCursor()); // shows the hand, though a click does nothing

    ui::ClickLabel* notePad =
        ui::pictureBox(panel, QStringLiteral("NotePad"), QStringLiteral("notepad.gif"),
                       twipRect(4620, 180, 240, 240), notepadName(pair_.category), true);
    connect(notePad, &ui::ClickLabel::clicked, this, &PairWindow::openNotepad);
    ui::ClickLabel* hide =
        ui::pictureBox(panel, QStringLiteral("Image1"), QStringLiteral("close.ico"),
                       twipRect(4890, 180, 240, 240), QStringLiteral("Close this window"), true);
    connect(hide, &ui::ClickLabel::clicked, this, &PairWindow::leave);

    direction_ = new QComboBox(panel);
    direction_->setObjectName(QStringLiteral("Parts"));
    direction_->setFont(regular);
    direction_->setEditable(false);
    direction_->addItem(QString::fromLatin1(pair_.firstEntry));
    direction_->addItem(QString::fromLatin1(pair_.secondEntry));
    direction_->setCurrentIndex(-1);
    direction_->setGeometry(twipRect(900, layout.directionTop, 3645, 315));
    direction_->setAccessibleName(QStringLiteral("Conversion direction"));
    connect(direction_, &QComboBox::activated, this, &PairWindow::directionChosen);

    ui::ClickLabel* erase =
        ui::pictureBox(panel, weight1 ? QStringLiteral("Image3") : QStringLiteral("Image2"),
                       QStringLiteral("erase.ico"), twipRect(4590, 1080, 420, 360),
                       QStringLiteral("Erase current results"), true);
    connect(erase, &ui::ClickLabel::clicked, this, &PairWindow::eraseFields);

    ui::line(panel, QStringLiteral("Line1"), 240, 1650, 5040, 1, ui::ruleColour());
    const QString firstUnit = QString::fromLatin1(pair_.firstUnit);
    const QString secondUnit = QString::fromLatin1(pair_.secondUnit);
    ui::label(panel, QStringLiteral("Label1"), firstUnit, 240, 1800, regular);
    ui::label(panel, QStringLiteral("Label2"), secondUnit, 240, 2190, regular);

    auto* keyFilter = new KeyFilter(context_.locale, this);
    auto makeField = [&](const char* name, int top, const QString& unit) {
        QLineEdit* field = ui::lineEdit(panel, regular);
        field->setObjectName(QLatin1String(name));
        field->setGeometry(twipRect(layout.fieldsLeft, top, layout.fieldsWidth, 285));
        field->setAccessibleName(unit);
        field->installEventFilter(keyFilter);
        return field;
    };
    firstField_ = makeField("Var1", 1770, firstUnit);
    secondField_ = makeField("Var2", 2160, secondUnit);
    // As created: Var1 editable on the 3-D highlight colour, Var2 locked on button face.
    paintField(firstField_, palette().color(QPalette::Light));
    paintField(secondField_, palette().color(QPalette::Button));
    secondField_->setReadOnly(true);
    connect(firstField_, &QLineEdit::textChanged, this, &PairWindow::convertForward);
    connect(secondField_, &QLineEdit::textChanged, this, &PairWindow::convertBackward);

    // Only the two fields and the selector take the focus, in this order.
    setTabOrder(firstField_, secondField_);
    setTabOrder(secondField_, direction_);
}

void PairWindow::directionChosen()
{
    // Only the first entry is ever compared; anything else means the second direction.
    setDirection(direction_->currentText() == QLatin1String(pair_.firstEntry));
}

void PairWindow::setDirection(bool first)
{
    QLineEdit* editable = first ? firstField_ : secondField_;
    QLineEdit* locked = first ? secondField_ : firstField_;
    editable->setReadOnly(false);
    paintField(editable, white);
    locked->setReadOnly(true);
    paintField(locked, palette().color(QPalette::Button));
}

void PairWindow::convertForward() { convertField(firstField_, secondField_, Direction::Forward); }

void PairWindow::convertBackward() { convertField(secondField_, firstField_, Direction::Backward); }

void PairWindow::convertField(QLineEdit* field, QLineEdit* partner, Direction direction)
{
    // The read-only flag of the partner is the direction: a field converts exactly when
    // its partner is locked. Writing the partner runs the partner's own handling nested
    // inside setText; that handling finds this field unlocked and converts nothing back.
    if (partner->isReadOnly()) {
        if (const std::optional<QString> result =
                convert(pair_, direction, field->text(), context_.locale))
            partner->setText(*result);
    }
    // "00" is normalised to "0." in both fields, always Var1 first. A write of an
    // unchanged text raises nothing, which ends the nesting.
    const QString doubleZero = QStringLiteral("00");
    if (firstField_->text() == doubleZero || secondField_->text() == doubleZero) {
        firstField_->setText(QStringLiteral("0."));
        secondField_->setText(QStringLiteral("0."));
    }
}

void PairWindow::eraseFields()
{
    firstField_->setText(QString());
    secondField_->setText(QString());
}

void PairWindow::openNotepad() { notepads::open(context_, pair_.category); }

void PairWindow::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    firstField_->setFocus(Qt::OtherFocusReason);
}

} // namespace mensurio
