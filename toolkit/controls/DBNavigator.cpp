// The record navigator: drawn button pictures, enabling by the dataset's
// position and state, actions, confirmation and the click event.
#include "toolkit/controls/DBNavigator.h"

#include "toolkit/controls/FieldDataLink.h"
#include "toolkit/text/MessageBox.h"

#include <QHBoxLayout>
#include <QPainter>
#include <QPainterPath>
#include <QToolButton>

namespace tk {

namespace {

constexpr const char *kNames[DBNavigator::ButtonCount] = {
    "nbFirst", "nbPrior", "nbNext", "nbLast", "nbInsert", "nbDelete", "nbEdit", "nbPost", "nbCancel", "nbRefresh",
};

const QStringList &defaultHints()
{
    static const QStringList hints = {
        QStringLiteral("First record"),  QStringLiteral("Prior record"), QStringLiteral("Next record"),
        QStringLiteral("Last record"),   QStringLiteral("Insert record"), QStringLiteral("Delete record"),
        QStringLiteral("Edit record"),   QStringLiteral("Post edit"),     QStringLiteral("Cancel edit"),
        QStringLiteral("Refresh data"),
    };
    return hints;
}

QPolygonF triangle(double tipX, double baseX)
{
    return QPolygonF({QPointF(tipX, 8), QPointF(baseX, 3), QPointF(baseX, 13)});
}

// The pictures are drawn here, so they look alike on every desktop; the
// disabled look comes from QIcon.
QIcon picture(DBNavigator::Button button)
{
    QPixmap pm(16, 16);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    const QColor ink(20, 40, 110);
    p.setPen(Qt::NoPen);
    p.setBrush(ink);
    using B = DBNavigator::Button;
    switch (button) {
    case B::First:
        p.drawRect(QRectF(3, 3, 2, 10));
        p.drawPolygon(triangle(5.5, 12));
        break;
    case B::Prior: p.drawPolygon(triangle(4, 11)); break;
    case B::Next: p.drawPolygon(triangle(12, 5)); break;
    case B::Last:
        p.drawRect(QRectF(11, 3, 2, 10));
        p.drawPolygon(triangle(10.5, 4));
        break;
    case B::Insert:
        p.drawRect(QRectF(7, 3, 2.5, 10));
        p.drawRect(QRectF(3, 6.75, 10, 2.5));
        break;
    case B::Delete: p.drawRect(QRectF(3, 6.75, 10, 2.5)); break;
    case B::Edit: p.drawPolygon(QPolygonF({QPointF(8, 3), QPointF(3, 12), QPointF(13, 12)})); break;
    case B::Post: {
        p.setPen(QPen(QColor(20, 120, 30), 2.4, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.setBrush(Qt::NoBrush);
        p.drawPolyline(QPolygonF({QPointF(3, 8.5), QPointF(6.5, 12), QPointF(13, 4)}));
        break;
    }
    case B::Cancel: {
        p.setPen(QPen(QColor(170, 20, 20), 2.4, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(4, 4), QPointF(12, 12));
        p.drawLine(QPointF(12, 4), QPointF(4, 12));
        break;
    }
    case B::Refresh: {
        p.setPen(QPen(ink, 2));
        p.setBrush(Qt::NoBrush);
        p.drawArc(QRectF(3, 3, 10, 10), 90 * 16, 270 * 16);
        p.setPen(Qt::NoPen);
        p.setBrush(ink);
        p.drawPolygon(QPolygonF({QPointF(8, 0.5), QPointF(12, 3.5), QPointF(8, 6.5)}));
        break;
    }
    }
    return QIcon(pm);
}

} // namespace

class DBNavigator::Link : public DataLink {
public:
    explicit Link(DBNavigator *owner) : m_owner(owner) {}
    void activeChanged() override { m_owner->updateButtons(); }
    void editingChanged() override { m_owner->updateButtons(); }
    void dataSetChanged() override { m_owner->updateButtons(); }
    void dataSetScrolled() override { m_owner->updateButtons(); }

private:
    DBNavigator *m_owner;
};

DBNavigator::DBNavigator(QWidget *parent) : QWidget(parent), m_link(std::make_unique<Link>(this))
{
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    for (int i = 0; i < ButtonCount; ++i) {
        const auto which = static_cast<Button>(i);
        auto *b = new QToolButton(this);
        b->setObjectName(QLatin1String(kNames[i]));
        b->setIcon(picture(which));
        b->setFocusPolicy(Qt::NoFocus);
        b->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
        b->setMinimumSize(24, 25);
        connect(b, &QToolButton::clicked, this, [this, which] { BtnClick(which); });
        layout->addWidget(b);
        m_buttons[i] = b;
    }
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    SetHints(defaultHints());
    updateButtons();
}

DBNavigator::~DBNavigator() = default;

tk::DataSource *DBNavigator::dataSource() const
{
    return m_link->dataSource();
}

void DBNavigator::SetDataSource(tk::DataSource *source)
{
    m_link->SetDataSource(source);
}

QToolButton *DBNavigator::button(Button which) const
{
    return m_buttons[static_cast<int>(which)];
}

void DBNavigator::SetVisibleButtons(std::initializer_list<Button> buttons)
{
    for (QToolButton *b : m_buttons)
        b->setVisible(false);
    for (Button which : buttons)
        button(which)->setVisible(true);
}

bool DBNavigator::isButtonVisible(Button which) const
{
    return !button(which)->isHidden();
}

void DBNavigator::SetFlat(bool flat)
{
    m_flat = flat;
    for (QToolButton *b : m_buttons)
        b->setAutoRaise(flat);
}

void DBNavigator::SetHints(const QStringList &hints)
{
    m_hints = hints;
    for (int i = 0; i < ButtonCount; ++i) {
        const QString hint = hints.value(i);
        const qsizetype bar = hint.indexOf(QLatin1Char('|'));
        m_buttons[i]->setToolTip(bar < 0 ? hint : hint.left(bar));
        m_buttons[i]->setStatusTip(bar < 0 ? hint : hint.mid(bar + 1));
    }
}

void DBNavigator::updateButtons()
{
    DataSet *ds = m_link->dataSet();
    const bool active = ds && ds->Active();
    const bool editing = active && ds->Editing();
    const bool up = active && !ds->Bof();
    const bool down = active && !ds->Eof();
    button(Button::First)->setEnabled(up);
    button(Button::Prior)->setEnabled(up);
    button(Button::Next)->setEnabled(down);
    button(Button::Last)->setEnabled(down);
    button(Button::Insert)->setEnabled(active && !editing);
    button(Button::Delete)->setEnabled(active && !ds->IsEmpty());
    button(Button::Edit)->setEnabled(active && !editing);
    button(Button::Post)->setEnabled(editing);
    button(Button::Cancel)->setEnabled(editing);
    button(Button::Refresh)->setEnabled(active && !editing);
}

void DBNavigator::action(Button which)
{
    DataSet *ds = m_link->dataSet();
    switch (which) {
    case Button::First: ds->First(); break;
    case Button::Prior: ds->Prior(); break;
    case Button::Next: ds->Next(); break;
    case Button::Last: ds->Last(); break;
    case Button::Insert: ds->Insert(); break;
    case Button::Delete: ds->Delete(); break;
    case Button::Edit: ds->Edit(); break;
    case Button::Post: ds->Post(); break;
    case Button::Cancel: ds->Cancel(); break;
    case Button::Refresh: ds->Refresh(); break;
    }
}

bool DBNavigator::BtnClick(Button which)
{
    QToolButton *b = button(which);
    if (!b->isEnabled() || !m_link->dataSet())
        return false;
    if (which == Button::Delete && ConfirmDelete &&
        MessageBox::confirmation(this, ConfirmDeleteText, MessageBox::Buttons::OkCancel) != MessageBox::Answer::Ok)
        return false;
    if (!runGuarded([&] { action(which); }))
        return false;
    if (OnClick)
        runGuarded([&] { OnClick(which); });
    return true;
}

} // namespace tk
