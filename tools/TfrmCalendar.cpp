// The month calendar window. Captions with a Tag come from the language file
// (base 0); the headline's month names are fixed German words.
#include "tools/TfrmCalendar.h"

#include "tools/DeskTools.h"
#include "toolkit/text/Tag.h"
#include "toolkit/text/Translator.h"

#include <QCalendarWidget>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

namespace tools {

namespace {

// Client sizes of the three window sizes, as designed.
constexpr QSize kFullSize(332, 221);
constexpr QSize kNoButtonsSize(352, 166);
constexpr QSize kOneLineSize(352, 40);

} // namespace

QString TfrmCalendar::monthName(int month)
{
    static const char *const names[12] = {"Januar", "Februar", "M\u00e4rz", "April", "Mai", "Juni",
                                          "Juli", "August", "September", "Oktober", "November", "Dezember"};
    if (month < 1 || month > 12)
        return QString();
    return QString::fromUtf8(names[month - 1]);
}

QString TfrmCalendar::headline(const QDate &date)
{
    return QStringLiteral("%1. %2 %3").arg(date.day()).arg(monthName(date.month())).arg(date.year(), 4, 10, QLatin1Char('0'));
}

QString TfrmCalendar::shortDate(const QDate &date)
{
    return QStringLiteral("%1.%2.%3").arg(date.day()).arg(date.month()).arg(date.year());
}

TfrmCalendar::TfrmCalendar(QWidget *parent, bool flatButtons)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                          | Qt::WindowCloseButtonHint)
    , m_today(QDate::currentDate())
{
    setObjectName(QStringLiteral("frmCalendar"));
    setWindowTitle(QStringLiteral("Kalender"));
    tk::setTag(this, 1);
    buildForm(flatButtons);
    tk::translateWindow(this, kTranslationBase);
    FormCreate();
}

static QPushButton *makeButton(QWidget *parent, const char *name, const QString &caption, const QString &hint, int tag,
                        bool flat)
{
    auto *button = new QPushButton(caption, parent);
    button->setObjectName(QLatin1String(name));
    button->setToolTip(hint);
    button->setAutoDefault(false);
    button->setFlat(flat);
    if (tag != 0)
        tk::setTag(button, tag);
    return button;
}

void TfrmCalendar::buildForm(bool flat)
{
    PanelMnth = new QLabel(this);
    PanelMnth->setObjectName(QStringLiteral("PanelMnth"));
    PanelMnth->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    PanelMnth->setAlignment(Qt::AlignCenter);
    PanelMnth->setMargin(2);
    QFont headlineFont = PanelMnth->font();
    headlineFont.setBold(true);
    PanelMnth->setFont(headlineFont);
    PanelMnth->setAutoFillBackground(true);
    QPalette yellow = PanelMnth->palette();
    yellow.setColor(QPalette::Window, Qt::yellow);
    yellow.setColor(QPalette::WindowText, Qt::black);
    PanelMnth->setPalette(yellow);
    PanelMnth->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);

    btntoday = makeButton(this, "btntoday", QStringLiteral("&Heute"), QStringLiteral("Heutiges Datum"), 2, flat);
    btntoday->setEnabled(false);
    ExpandBtn = makeButton(this, "ExpandBtn", QStringLiteral("<-->"), QStringLiteral("Vollbild"), 0, flat);
    ExpandBtn->hide();
    ShrinkBtn = makeButton(this, "ShrinkBtn", QStringLiteral("-><-"), QStringLiteral("einzeilig"), 0, flat);
    for (QPushButton *button : {ExpandBtn, ShrinkBtn})
        button->setFixedWidth(button->fontMetrics().horizontalAdvance(QStringLiteral("<-->")) + 16);

    ZVCalendar = new QCalendarWidget(this);
    ZVCalendar->setObjectName(QStringLiteral("ZVCalendar"));
    ZVCalendar->setFirstDayOfWeek(Qt::Monday);
    ZVCalendar->setHorizontalHeaderFormat(QCalendarWidget::ShortDayNames);
    ZVCalendar->setVerticalHeaderFormat(QCalendarWidget::NoVerticalHeader);
    ZVCalendar->setNavigationBarVisible(false);
    ZVCalendar->setGridVisible(true);
    ZVCalendar->setSelectedDate(m_today);
    QPalette grey = ZVCalendar->palette();
    grey.setColor(QPalette::Base, QColor(0xD4, 0xD4, 0xD4));
    grey.setColor(QPalette::AlternateBase, QColor(0xD4, 0xD4, 0xD4));
    ZVCalendar->setPalette(grey);
    ZVCalendar->setMinimumSize(0, 0);

    const QStyle *style = this->style();
    BitBtnPrevMnth = makeButton(this, "BitBtnPrevMnth", QStringLiteral("Monat"), QStringLiteral("1 Monat zur\u00fcck"), 3, flat);
    BitBtnPrevMnth->setIcon(style->standardIcon(QStyle::SP_ArrowLeft));
    BitBtnPrevYr = makeButton(this, "BitBtnPrevYr", QStringLiteral("Jahr"), QStringLiteral("1 Jahr zur\u00fcck"), 4, flat);
    BitBtnPrevYr->setIcon(style->standardIcon(QStyle::SP_MediaSeekBackward));
    BitBtnNextYr = makeButton(this, "BitBtnNextYr", QStringLiteral("Jahr"), QStringLiteral("1 Jahr weiter"), 5, flat);
    BitBtnNextYr->setIcon(style->standardIcon(QStyle::SP_MediaSeekForward));
    BitBtnNextMnth = makeButton(this, "BitBtnNextMnth", QStringLiteral("Monat"), QStringLiteral("1 Monat weiter"), 6, flat);
    BitBtnNextMnth->setIcon(style->standardIcon(QStyle::SP_ArrowRight));
    // Forward buttons carry their arrow after the text.
    BitBtnNextYr->setLayoutDirection(Qt::RightToLeft);
    BitBtnNextMnth->setLayoutDirection(Qt::RightToLeft);
    BtnOneLine = makeButton(this, "BtnOneLine", QStringLiteral("&einzeilig"), QStringLiteral("einzeilige Anzeige"), 7, flat);

    auto *top = new QHBoxLayout;
    top->setSpacing(4);
    top->addWidget(PanelMnth, 1);
    top->addWidget(btntoday);
    top->addWidget(ExpandBtn);
    top->addWidget(ShrinkBtn);

    m_buttonRow = new QWidget(this);
    auto *bottom = new QHBoxLayout(m_buttonRow);
    bottom->setContentsMargins(0, 0, 0, 0);
    bottom->setSpacing(3);
    for (QPushButton *button : {BitBtnPrevMnth, BitBtnPrevYr, BitBtnNextYr, BitBtnNextMnth, BtnOneLine})
        bottom->addWidget(button);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->setSpacing(4);
    layout->addLayout(top);
    layout->addWidget(ZVCalendar, 1);
    layout->addWidget(m_buttonRow);

    connect(ZVCalendar, &QCalendarWidget::selectionChanged, this, &TfrmCalendar::ZVCalendarChange);
    connect(btntoday, &QPushButton::clicked, this, &TfrmCalendar::btntodayClick);
    connect(ExpandBtn, &QPushButton::clicked, this, &TfrmCalendar::ExpandBtnClick);
    connect(ShrinkBtn, &QPushButton::clicked, this, &TfrmCalendar::ShrinkBtnClick);
    connect(BitBtnPrevMnth, &QPushButton::clicked, this, &TfrmCalendar::BitBtnPrevMnthClick);
    connect(BitBtnPrevYr, &QPushButton::clicked, this, &TfrmCalendar::BitBtnPrevYrClick);
    connect(BitBtnNextYr, &QPushButton::clicked, this, &TfrmCalendar::BitBtnNextYrClick);
    connect(BitBtnNextMnth, &QPushButton::clicked, this, &TfrmCalendar::BitBtnNextMnthClick);
    connect(BtnOneLine, &QPushButton::clicked, this, &TfrmCalendar::BtnOneLineClick);
}

void TfrmCalendar::FormCreate()
{
    PanelMnth->setText(headline(selectedDate()));
    // The date replaces the translated caption of the today button.
    btntoday->setText(shortDate(m_today));
    // The style's wide default buttons would not fit the designed width;
    // the (translated) captions decide instead.
    for (QPushButton *button : {BitBtnPrevMnth, BitBtnPrevYr, BitBtnNextYr, BitBtnNextMnth, BtnOneLine, btntoday}) {
        const int textWidth = button->fontMetrics().horizontalAdvance(button->text().remove(QLatin1Char('&')));
        const int iconWidth = button->icon().isNull() ? 0 : button->iconSize().width() + 4;
        button->setMinimumWidth(textWidth + iconWidth + 12);
        button->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    }
    applySize(Size::Full);
    centreOnScreen(this);
}

QDate TfrmCalendar::selectedDate() const
{
    return ZVCalendar->selectedDate();
}

void TfrmCalendar::moveTo(const QDate &date)
{
    if (date.isValid())
        ZVCalendar->setSelectedDate(date);
}

void TfrmCalendar::ZVCalendarChange()
{
    const QDate date = selectedDate();
    PanelMnth->setText(headline(date));
    btntoday->setEnabled(date != m_today);
}

void TfrmCalendar::btntodayClick()
{
    moveTo(m_today);
}

// QDate clamps to the end of a shorter month, and 29 February moved by a year
// to 28 February, which is just what these buttons should do.
void TfrmCalendar::BitBtnPrevMnthClick()
{
    moveTo(selectedDate().addMonths(-1));
}

void TfrmCalendar::BitBtnNextMnthClick()
{
    moveTo(selectedDate().addMonths(1));
}

void TfrmCalendar::BitBtnPrevYrClick()
{
    moveTo(selectedDate().addYears(-1));
}

void TfrmCalendar::BitBtnNextYrClick()
{
    moveTo(selectedDate().addYears(1));
}

void TfrmCalendar::ExpandBtnClick()
{
    applySize(Size::Full);
}

void TfrmCalendar::ShrinkBtnClick()
{
    applySize(Size::NoButtons);
}

void TfrmCalendar::BtnOneLineClick()
{
    applySize(Size::OneLine);
}

void TfrmCalendar::applySize(Size size)
{
    m_size = size;
    ZVCalendar->setVisible(size != Size::OneLine);
    m_buttonRow->setVisible(size == Size::Full);
    ShrinkBtn->setVisible(size == Size::Full);
    ExpandBtn->setVisible(size != Size::Full);

    QSize target = size == Size::Full ? kFullSize : size == Size::NoButtons ? kNoButtonsSize : kOneLineSize;
    layout()->invalidate();
    layout()->activate();
    // Never below what the visible controls need with this system's fonts.
    target = target.expandedTo(layout()->minimumSize());
    if (size == Size::OneLine)
        target.setHeight(layout()->minimumSize().height());
    setFixedSize(target);
}

} // namespace tools
