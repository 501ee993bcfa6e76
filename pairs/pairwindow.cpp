#include "pairs/pairwindow.h"

#include "launch/notepads.h"
#include "pairs/keyfilter.h"
#include "pairs/pairlayout.h"
#include "ui/widgets.h"

#include <QComboBox>
#include <QLineEdit>
#include <QTimer>

namespace mensurio {

using ui::px;
using ui::twipRect;

namespace {

const QColor silver(192, 192, 192);
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
    ui::makeFixedWindow(this, 5190, 2580);
    setBackgroundRole(QPalette::Button);
    setAutoFillBackground(true);
    buildLayout();
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

    ui::label(panel, QStringLiteral("Label21"), QString::fromLatin1(category.heading), 900, 360,
              ui::tahoma(14.25));
    ui::line(panel, QStringLiteral("Line4"), 900, 750, 3000, 1, silver);
    ui::pictureBox(panel, QStringLiteral("Image20"), QStringLiteral("pair.ico"),
                   twipRect(900, 810, 240, 240))
        ->setAccessibleName(pair_.titleText());
    QLabel* title = ui::label(panel, QStringLiteral("Label22"), pair_.titleText(), 1170, 810,
                              ui::tahoma(8.25, true));
    if (pair_.id == PairId::Area2)
        title->setCursor(ui::linkCursor()); // shows the hand, though a click does nothing

    ui::ClickLabel* notePad = ui::pictureBox(
        panel, QStringLiteral("NotePad"), QStringLiteral("notepad.gif"),
        twipRect(4620, 180, 240, 240), QString::fromLatin1(category.notepadTip), true);
    connect(notePad, &ui::ClickLabel::clicked, this, &PairWindow::NotePad_Click);
    ui::ClickLabel* hide =
        ui::pictureBox(panel, QStringLiteral("Image1"), QStringLiteral("close.ico"),
                       twipRect(4890, 180, 240, 240), QStringLiteral("Close this window"), true);
    connect(hide, &ui::ClickLabel::clicked, this, &PairWindow::Image1_Click);

    parts_ = new QComboBox(panel);
    parts_->setObjectName(QStringLiteral("Parts"));
    parts_->setFont(regular);
    parts_->setEditable(false);
    parts_->addItem(QString::fromLatin1(pair_.firstEntry));
    parts_->addItem(QString::fromLatin1(pair_.secondEntry));
    parts_->setCurrentIndex(-1);
    parts_->setGeometry(twipRect(900, layout.partsTop, 3645, 315));
    parts_->setAccessibleName(QStringLiteral("Conversion direction"));
    connect(parts_, &QComboBox::activated, this, &PairWindow::Parts_Click);

    ui::ClickLabel* erase =
        ui::pictureBox(panel, weight1 ? QStringLiteral("Image3") : QStringLiteral("Image2"),
                       QStringLiteral("erase.ico"), twipRect(4590, 1080, 420, 360),
                       QStringLiteral("Erase current results"), true);
    connect(erase, &ui::ClickLabel::clicked, this, &PairWindow::Image2_Click);

    ui::line(panel, QStringLiteral("Line1"), 240, 1650, 5040, 1, silver);
    const QString firstUnit = QString::fromLatin1(pair_.firstUnit);
    const QString secondUnit = QString::fromLatin1(pair_.secondUnit);
    ui::label(panel, QStringLiteral("Label1"), firstUnit, 240, 1800, regular);
    ui::label(panel, QStringLiteral("Label2"), secondUnit, 240, 2190, regular);

    auto* keyFilter = new KeyFilter(context_.locale, this);
    auto makeField = [&](const char* name, int top, const QString& unit) {
        auto* field = new QLineEdit(panel);
        field->setObjectName(QLatin1String(name));
        field->setFont(regular);
        field->setGeometry(twipRect(layout.fieldsLeft, top, layout.fieldsWidth, 285));
        field->setAccessibleName(unit);
        field->installEventFilter(keyFilter);
        return field;
    };
    var1_ = makeField("Var1", 1770, firstUnit);
    var2_ = makeField("Var2", 2160, secondUnit);
    // As created: Var1 editable on the 3-D highlight colour, Var2 locked on button face.
    paintField(var1_, palette().color(QPalette::Light));
    paintField(var2_, palette().color(QPalette::Button));
    var2_->setReadOnly(true);
    connect(var1_, &QLineEdit::textChanged, this, &PairWindow::Var1_Change);
    connect(var2_, &QLineEdit::textChanged, this, &PairWindow::Var2_Change);

    // Only the two fields and the selector take the focus, in this order.
    setTabOrder(var1_, var2_);
    setTabOrder(var2_, parts_);

    timer_ = new QTimer(this);
    timer_->setObjectName(QStringLiteral("Timer"));
    timer_->setInterval(1);
}

void PairWindow::Form_Load()
{
    if (pair_.category == Category::Volume && context_.mainWindow)
        setWindowIcon(context_.mainWindow->windowIcon());
    parts_->setCurrentIndex(parts_->findText(QString::fromLatin1(pair_.firstEntry),
                                             Qt::MatchExactly | Qt::MatchCaseSensitive));
    Parts_Click();
}

void PairWindow::Parts_Click()
{
    // Only the first entry is ever compared; anything else means the second direction.
    setDirection(parts_->currentText() == QLatin1String(pair_.firstEntry));
}

void PairWindow::setDirection(bool first)
{
    QLineEdit* editable = first ? var1_ : var2_;
    QLineEdit* locked = first ? var2_ : var1_;
    editable->setReadOnly(false);
    paintField(editable, white);
    locked->setReadOnly(true);
    paintField(locked, palette().color(QPalette::Button));
}

void PairWindow::Var1_Change() { change(var1_, var2_, Direction::Forward); }

void PairWindow::Var2_Change() { change(var2_, var1_, Direction::Backward); }

void PairWindow::change(QLineEdit* field, QLineEdit* partner, Direction direction)
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
    if (var1_->text() == doubleZero || var2_->text() == doubleZero) {
        var1_->setText(QStringLiteral("0."));
        var2_->setText(QStringLiteral("0."));
    }
}

void PairWindow::Image1_Click() { hide(); }

void PairWindow::Image2_Click()
{
    var1_->setText(QString());
    var2_->setText(QString());
}

void PairWindow::NotePad_Click() { notepads::open(context_, pair_.category); }

void PairWindow::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    var1_->setFocus(Qt::OtherFocusReason);
}

} // namespace mensurio
