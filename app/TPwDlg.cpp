#include "app/TPwDlg.h"

#include "toolkit/text/Tag.h"
#include "toolkit/text/Translator.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QLinearGradient>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

namespace {
constexpr int kBase = 230;
constexpr int kCaptionHeight = 26;
constexpr int kMaxPassword = 12;
}

TPwDlg::TPwDlg(const QString &password, QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint), m_password(password)
{
    setObjectName(QStringLiteral("PwDlg"));
    setWindowTitle(QStringLiteral("Paßwort"));
    tk::setTag(this, 1);
    setModal(true);

    Label1 = new QLabel(QStringLiteral("Paßwort eingeben:"), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    tk::setTag(Label1, 2);
    Password = new QLineEdit(this);
    Password->setObjectName(QStringLiteral("Password"));
    Password->setMaxLength(kMaxPassword);
    Password->setEchoMode(QLineEdit::Password);
    Password->setStyleSheet(QStringLiteral("lineedit-password-character: 42;")); // '*'
    OKBtn = new QPushButton(QStringLiteral("&OK"), this);
    OKBtn->setObjectName(QStringLiteral("OKBtn"));
    OKBtn->setDefault(true);
    tk::setTag(OKBtn, 3);
    CancelBtn = new QPushButton(QStringLiteral("&Abbrechen"), this);
    CancelBtn->setObjectName(QStringLiteral("CancelBtn"));
    tk::setTag(CancelBtn, 4);

    auto *layout = new QGridLayout(this);
    layout->setContentsMargins(16, kCaptionHeight + 14, 16, 14);
    layout->setHorizontalSpacing(10);
    layout->setVerticalSpacing(12);
    layout->addWidget(Label1, 0, 0, 1, 2);
    layout->addWidget(Password, 1, 0, 1, 2);
    layout->addWidget(OKBtn, 2, 0);
    layout->addWidget(CancelBtn, 2, 1);
    setFixedSize(260, 150);

    tk::translateWindow(this, kBase);

    connect(OKBtn, &QPushButton::clicked, this, &TPwDlg::OKBtnClick);
    connect(CancelBtn, &QPushButton::clicked, this, &QDialog::reject);
    Password->setFocus();

    if (QScreen *screen = this->screen())
        move(screen->geometry().center() - rect().center());
}

void TPwDlg::OKBtnClick()
{
    m_granted = Password->text() == m_password;
    accept();
}

void TPwDlg::paintEvent(QPaintEvent *event)
{
    QDialog::paintEvent(event);
    // Our own caption bar: a gradient with the title, and no window buttons.
    QPainter painter(this);
    QLinearGradient gradient(0, 0, width(), 0);
    gradient.setColorAt(0, QColor(0x10, 0x24, 0x6a));
    gradient.setColorAt(1, QColor(0x6e, 0x9c, 0xd8));
    painter.fillRect(QRect(0, 0, width(), kCaptionHeight), gradient);
    painter.setPen(Qt::white);
    QFont font = painter.font();
    font.setBold(true);
    painter.setFont(font);
    painter.drawText(QRect(8, 0, width() - 16, kCaptionHeight), Qt::AlignVCenter | Qt::AlignLeft, windowTitle());
    painter.setPen(palette().color(QPalette::Mid));
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
}
