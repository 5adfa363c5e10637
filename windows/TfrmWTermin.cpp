// The recurring-appointment dialog.
#include "windows/TfrmWTermin.h"

#include "app/Config.h"
#include "app/Language.h"
#include "platform/FormatSettings.h"
#include "toolkit/text/MessageBox.h"
#include "toolkit/text/Tag.h"
#include "toolkit/text/Translator.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QEvent>
#include <QGridLayout>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QVBoxLayout>

namespace {

// The dialog has a translation base of its own: the reference-tables window
// numbers its pages with the same Tags, and their texts must not become the
// captions and hints of this dialog.
constexpr int kBase = 2100;
constexpr int kTextUnits = 10016;
constexpr int kTextNeedInterval = 10400;
constexpr int kTextEndBeforeStart = 10401;

QLineEdit *countEdit(QWidget *parent, const char *name, int tag)
{
    auto *e = new QLineEdit(parent);
    e->setObjectName(QString::fromLatin1(name));
    // Three digit places, each may stay blank.
    e->setInputMask(QStringLiteral("000;_"));
    e->setText(QStringLiteral("1"));
    e->setMaximumWidth(48);
    tk::setTag(e, tag);
    return e;
}

QDateEdit *dateEdit(QWidget *parent, const char *name, int tag)
{
    auto *e = new QDateEdit(parent);
    e->setObjectName(QString::fromLatin1(name));
    e->setCalendarPopup(true);
    // The short date form, always with four-digit years.
    QString format = platform::FormatSettings::current().shortDateFormat;
    if (!format.contains(QLatin1String("yyyy")))
        format.replace(QLatin1String("yy"), QLatin1String("yyyy"));
    e->setDisplayFormat(format);
    e->setDate(QDate::currentDate());
    tk::setTag(e, tag);
    return e;
}

} // namespace

TfrmWTermin::TfrmWTermin(QWidget *parent) : QDialog(parent, Qt::Tool | Qt::WindowTitleHint | Qt::WindowSystemMenuHint)
{
    setObjectName(QStringLiteral("frmWTermin"));
    setWindowTitle(QStringLiteral("Wiederkehrenden Termin definieren..."));
    tk::setTag(this, 1);

    auto *lblJede = new QLabel(QStringLiteral("&Termin jede"), this);
    tk::setTag(lblJede, 10);
    WTerminJede = countEdit(this, "WTerminJede", 11);
    lblJede->setBuddy(WTerminJede);
    cbWTerminJede = new QComboBox(this);
    cbWTerminJede->setObjectName(QStringLiteral("cbWTerminJede"));
    tk::setTag(cbWTerminJede, 12);

    auto *lblVon = new QLabel(QStringLiteral("&ab:"), this);
    tk::setTag(lblVon, 13);
    WTerminVon = dateEdit(this, "WTerminVon", 14);
    lblVon->setBuddy(WTerminVon);

    rbBis = new QRadioButton(QStringLiteral("&bis"), this);
    rbBis->setObjectName(QStringLiteral("rbBis"));
    rbBis->setChecked(true);
    tk::setTag(rbBis, 16);
    WTerminBis = dateEdit(this, "WTerminBis", 15);

    rbDauer = new QRadioButton(QStringLiteral("&Dauer"), this);
    rbDauer->setObjectName(QStringLiteral("rbDauer"));
    tk::setTag(rbDauer, 17);
    WTerminDauer = countEdit(this, "WTerminDauer", 18);
    WTerminDauer->setEnabled(false);
    cbWTerminDauer = new QComboBox(this);
    cbWTerminDauer->setObjectName(QStringLiteral("cbWTerminDauer"));
    for (const char *unit : {"Tag(e)", "Woche(n)", "Monat(e)", "Jahr(e)"})
        cbWTerminDauer->addItem(QString::fromUtf8(unit));
    cbWTerminDauer->setCurrentIndex(-1);
    cbWTerminDauer->setEnabled(false);
    tk::setTag(cbWTerminDauer, 19);

    cbWeekends = new QCheckBox(QStringLiteral("Wochenenden &einbeziehen"), this);
    cbWeekends->setObjectName(QStringLiteral("cbWeekends"));
    cbWeekends->setChecked(true);
    tk::setTag(cbWeekends, 20);

    auto button = [this](QPushButton *&target, const char *name, const char *caption, int tag) {
        target = new QPushButton(QString::fromUtf8(caption), this);
        target->setObjectName(QString::fromLatin1(name));
        tk::setTag(target, tag);
    };
    button(btnOK, "btnOK", "&OK", 2);
    button(btnCancel, "btnCancel", "&Abbruch", 3);
    button(btnHelp, "btnHelp", "&Hilfe", 4);
    button(btnDelete, "btnDelete", "&Löschen", 5);
    btnHelp->setEnabled(false);
    btnOK->setDefault(true);

    auto *grid = new QGridLayout;
    grid->addWidget(lblJede, 0, 0);
    grid->addWidget(WTerminJede, 0, 1);
    grid->addWidget(cbWTerminJede, 0, 2);
    grid->addWidget(lblVon, 1, 0);
    grid->addWidget(WTerminVon, 1, 1, 1, 2);
    grid->addWidget(rbBis, 2, 0);
    grid->addWidget(WTerminBis, 2, 1, 1, 2);
    grid->addWidget(rbDauer, 3, 0);
    grid->addWidget(WTerminDauer, 3, 1);
    grid->addWidget(cbWTerminDauer, 3, 2);
    grid->addWidget(cbWeekends, 4, 0, 1, 3);
    grid->setColumnStretch(2, 1);
    auto *buttons = new QVBoxLayout;
    for (QPushButton *b : {btnOK, btnCancel, btnDelete, btnHelp})
        buttons->addWidget(b);
    buttons->addStretch(1);
    auto *layout = new QHBoxLayout(this);
    layout->addLayout(grid, 1);
    layout->addSpacing(8);
    layout->addLayout(buttons);

    tk::translateWindow(this, kBase);
    FormCreate();
}

void TfrmWTermin::FormCreate()
{
    const bool flat = config().Style97;
    for (QPushButton *b : {btnOK, btnCancel, btnHelp, btnDelete})
        b->setFlat(flat);

    // Both unit lists follow the one list of unit names, so that the
    // position of a chosen item names its unit in every language.
    const QStringList units = series::unitNames(LangText(kTextUnits));
    cbWTerminJede->clear();
    cbWTerminJede->addItems(units);
    cbWTerminJede->setCurrentIndex(-1);
    if (!LangText(kTextUnits).isEmpty()) {
        cbWTerminDauer->clear();
        cbWTerminDauer->addItems(units);
        cbWTerminDauer->setCurrentIndex(-1);
    }

    connect(rbBis, &QRadioButton::clicked, this, &TfrmWTermin::rbBisClick);
    connect(rbDauer, &QRadioButton::clicked, this, &TfrmWTermin::rbDauerClick);
    connect(cbWTerminDauer, &QComboBox::activated, this, &TfrmWTermin::WTerminDauerClick);
    connect(btnOK, &QPushButton::clicked, this, &TfrmWTermin::btnOKClick);
    connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(btnDelete, &QPushButton::clicked, this, [this] { done(Delete); });
    WTerminJede->installEventFilter(this);
    WTerminDauer->installEventFilter(this);
    cbWTerminDauer->installEventFilter(this);

    adjustSize();
    if (const QScreen *screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
}

bool TfrmWTermin::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::FocusOut) {
        if (watched == WTerminJede)
            WTerminJedeExit();
        else if (watched == WTerminDauer || watched == cbWTerminDauer)
            WTerminDauerClick();
    }
    return QDialog::eventFilter(watched, event);
}

void TfrmWTermin::setStart(const QDate &start)
{
    const QDate from = start.isValid() ? start : QDate::currentDate();
    WTerminVon->setDate(from);
    WTerminBis->setDate(series::AddMonths(from, 3));
}

QString TfrmWTermin::countText(const QLineEdit *edit)
{
    QString text = edit->displayText().left(3);
    text.replace(QLatin1Char('_'), QLatin1Char(' '));
    return text.leftJustified(3, QLatin1Char(' '));
}

int TfrmWTermin::countOf(const QLineEdit *edit)
{
    QString digits = countText(edit);
    digits.remove(QLatin1Char(' '));
    bool ok = false;
    const int value = digits.toInt(&ok);
    return ok ? value : -1;
}

series::Plan TfrmWTermin::plan() const
{
    series::Plan p;
    p.from = WTerminVon->date();
    p.to = WTerminBis->date();
    p.unit = static_cast<series::Unit>(cbWTerminJede->currentIndex() < 4 ? cbWTerminJede->currentIndex() : -1);
    p.count = std::max(0, countOf(WTerminJede));
    p.weekends = cbWeekends->isChecked();
    return p;
}

void TfrmWTermin::rbBisClick()
{
    WTerminDauer->setEnabled(false);
    cbWTerminDauer->setEnabled(false);
    WTerminBis->setEnabled(true);
}

void TfrmWTermin::rbDauerClick()
{
    WTerminDauer->setEnabled(true);
    cbWTerminDauer->setEnabled(true);
    WTerminBis->setEnabled(false);
}

void TfrmWTermin::WTerminJedeExit()
{
    if (countText(WTerminJede).startsWith(QLatin1Char(' ')))
        WTerminJede->setText(QStringLiteral("1"));
}

void TfrmWTermin::WTerminDauerClick()
{
    if (countText(WTerminDauer).startsWith(QLatin1Char(' ')))
        WTerminDauer->setText(QStringLiteral("1"));
    const int index = cbWTerminDauer->currentIndex();
    const auto unit = static_cast<series::Unit>(index >= 0 && index < 4 ? index : -1);
    WTerminBis->setDate(series::durationEnd(WTerminVon->date(), unit, std::max(0, countOf(WTerminDauer))));
}

void TfrmWTermin::btnOKClick()
{
    WTerminJedeExit();
    if (rbDauer->isChecked())
        WTerminDauerClick();
    const series::Plan p = plan();
    if (!series::isValid(p)) {
        tk::MessageBox::warning(this, LangText(kTextNeedInterval));
        (p.count < 1 ? static_cast<QWidget *>(WTerminJede) : cbWTerminJede)->setFocus();
        return;
    }
    if (p.to < p.from) {
        tk::MessageBox::warning(this, LangText(kTextEndBeforeStart));
        WTerminBis->setFocus();
        return;
    }
    accept();
}
