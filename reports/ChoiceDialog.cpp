// The order and list choice dialogs share one form; each differs only in its
// translation base, captions and items.
#include "reports/ChoiceDialog.h"

#include "app/Config.h"
#include "toolkit/text/Tag.h"
#include "toolkit/text/Translator.h"

#include <QButtonGroup>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

ChoiceDialog::ChoiceDialog(QWidget *parent, int base, const QString &caption, const char *groupName,
                           const QString &groupCaption, const QStringList &items)
    : QDialog(parent, Qt::Tool | Qt::WindowTitleHint | Qt::WindowSystemMenuHint)
{
    setWindowTitle(caption);
    tk::setTag(this, 1);
    setModal(true);

    m_group = new QGroupBox(groupCaption, this);
    m_group->setObjectName(QString::fromLatin1(groupName));
    m_group->setProperty("RadioGroup", true);
    tk::setTag(m_group, 5);
    m_buttons = new QButtonGroup(this);
    auto *groupLayout = new QVBoxLayout(m_group);
    for (int i = 0; i < items.size(); ++i) {
        auto *radio = new QRadioButton(items[i], m_group);
        radio->setObjectName(QStringLiteral("item%1").arg(i));
        m_buttons->addButton(radio, i);
        groupLayout->addWidget(radio);
    }

    btnOK = new QPushButton(QStringLiteral("&OK"), this);
    btnOK->setObjectName(QStringLiteral("btnOK"));
    btnOK->setDefault(true);
    tk::setTag(btnOK, 2);
    btnCancel = new QPushButton(QStringLiteral("&Abbruch"), this);
    btnCancel->setObjectName(QStringLiteral("btnCancel"));
    tk::setTag(btnCancel, 3);
    btnHelp = new QPushButton(QStringLiteral("&Hilfe"), this);
    btnHelp->setObjectName(QStringLiteral("btnHelp"));
    btnHelp->setEnabled(false);
    tk::setTag(btnHelp, 4);
    const bool flat = config().Style97;
    for (QPushButton *b : {btnOK, btnCancel, btnHelp})
        b->setFlat(flat);

    auto *buttons = new QVBoxLayout;
    buttons->addWidget(btnOK);
    buttons->addWidget(btnCancel);
    buttons->addWidget(btnHelp);
    buttons->addStretch(1);
    auto *layout = new QHBoxLayout(this);
    layout->addWidget(m_group, 1);
    layout->addLayout(buttons);

    tk::translateWindow(this, base);

    connect(btnOK, &QPushButton::clicked, this, [this] { OKBtnClick(); });
    connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);
}

int &ChoiceDialog::reportNumber()
{
    static int number = -1;
    return number;
}

int ChoiceDialog::chosenItem() const
{
    return m_buttons->checkedId();
}

void ChoiceDialog::chooseItem(int index)
{
    if (QAbstractButton *b = m_buttons->button(index))
        b->setChecked(true);
}

TfrmSort_A::TfrmSort_A(QWidget *parent)
    : ChoiceDialog(parent, 250, QStringLiteral("Sortierung"), "rgAdressen", QStringLiteral("..nach:"),
                   {QStringLiteral("Zuname"), QStringLiteral("Vorname"), QStringLiteral("Postleitzahl"),
                    QStringLiteral("Ort"), QStringLiteral("Straße"), QStringLiteral("Telefon"),
                    QStringLiteral("Geburtsdatum")})
{
    setObjectName(QStringLiteral("frmSort_A"));
    rgAdressen = group();
    chooseItem(config().sortOrder(Module::Addresses) - 1);
}

void TfrmSort_A::OKBtnClick()
{
    if (chosenItem() >= 0)
        config().sortOrder(Module::Addresses) = chosenItem() + 1;
    accept();
}

void ReportChoiceDialog::OKBtnClick()
{
    reportNumber() = chosenItem();
    accept();
}

TfrmRptw_A::TfrmRptw_A(QWidget *parent)
    : ReportChoiceDialog(parent, 300, QStringLiteral("Ausdruck"), "rgAdressen", QStringLiteral("Listentyp:"),
                         {QStringLiteral("Telefonliste"), QStringLiteral("Adreßliste"),
                          QStringLiteral("Geburtstagsliste")})
{
    setObjectName(QStringLiteral("frmRptw_A"));
    rgAdressen = group();
}

TfrmRptw_T::TfrmRptw_T(QWidget *parent)
    : ReportChoiceDialog(parent, 320, QStringLiteral("Ausdruck"), "rgTermine", QStringLiteral("Listentyp:"),
                         {QStringLiteral("Termine heute"), QStringLiteral("Termine gesamt")})
{
    setObjectName(QStringLiteral("frmRptw_T"));
    rgTermine = group();
}

TfrmRptw_C::TfrmRptw_C(QWidget *parent)
    : ReportChoiceDialog(parent, 310, QStringLiteral("Ausdruck"), "rgCassetten", QStringLiteral("Listentyp:"),
                         {QStringLiteral("Titel"), QStringLiteral("Interpret"), QStringLiteral("Musiksparten"),
                          QStringLiteral("lfd.Nummer")})
{
    setObjectName(QStringLiteral("frmRptw_C"));
    rgCassetten = group();
}

TfrmRptw_V::TfrmRptw_V(QWidget *parent)
    : ReportChoiceDialog(parent, 340, QStringLiteral("Ausdruck"), "rgVideo", QStringLiteral("Listentyp:"),
                         {QStringLiteral("Videos nach Titeln"), QStringLiteral("Videos nach Sparten"),
                          QStringLiteral("Videos nach lfd.Nummer")})
{
    setObjectName(QStringLiteral("frmRptw_V"));
    rgVideo = group();
}

TfrmRptw_B::TfrmRptw_B(QWidget *parent)
    : ReportChoiceDialog(parent, 330, QStringLiteral("Ausdruck"), "rgVideo", QStringLiteral("Listentyp:"),
                         {QStringLiteral("Bücher nach Titeln"), QStringLiteral("Bücher nach Sparten"),
                          QStringLiteral("Bücher nach lfd.Nummer")})
{
    setObjectName(QStringLiteral("frmRptw_B"));
    rgVideo = group();
}
