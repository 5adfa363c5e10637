#include "app/SplashWindow.h"

#include "app/Version.h"

#include <QDate>
#include <QLabel>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QScreen>

namespace {
constexpr int kWidth = 420;
constexpr int kHeight = 240;
constexpr int kPictureSize = 128;
}

SplashWindow::SplashWindow(const QDate &programDate)
    : QWidget(nullptr, Qt::SplashScreen | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint)
{
    setObjectName(QStringLiteral("Splash"));
    setFixedSize(kWidth, kHeight);

    auto *name = new QLabel(QString::fromLatin1(kProgramName), this);
    name->setObjectName(QStringLiteral("lblProduct"));
    QFont nameFont = name->font();
    nameFont.setPointSize(26);
    nameFont.setBold(true);
    name->setFont(nameFont);
    name->setStyleSheet(QStringLiteral("color: #10246a;"));
    name->setGeometry(kPictureSize + 48, 40, kWidth - kPictureSize - 60, 50);

    m_version = new QLabel(versionTextFor(programDate), this);
    m_version->setObjectName(QStringLiteral("lblVersion"));
    m_version->setGeometry(kPictureSize + 50, 96, kWidth - kPictureSize - 60, 40);

    m_status = new QLabel(QStringLiteral("Lade.."), this);
    m_status->setObjectName(QStringLiteral("lblStatus"));
    m_status->setGeometry(20, kHeight - 40, kWidth - 40, 24);
    QFont statusFont = m_status->font();
    statusFont.setBold(true);
    m_status->setFont(statusFont);

    if (QScreen *screen = this->screen())
        move(screen->geometry().center() - rect().center());
}

QString SplashWindow::versionTextFor(const QDate &programDate)
{
    return QStringLiteral("Version %1,\nof %2").arg(QString::fromLatin1(kProgramVersion),
                                                   programDate.toString(QStringLiteral("dd.MM.yy")));
}

void SplashWindow::setStatus(const QString &text)
{
    m_status->setText(text);
}

QString SplashWindow::status() const
{
    return m_status->text();
}

QString SplashWindow::versionText() const
{
    return m_version->text();
}

void SplashWindow::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    QLinearGradient background(0, 0, 0, height());
    background.setColorAt(0, QColor(0xf4, 0xf7, 0xfc));
    background.setColorAt(1, QColor(0xc9, 0xd8, 0xee));
    painter.fillRect(rect(), background);
    painter.setPen(QPen(QColor(0x10, 0x24, 0x6a), 2));
    painter.drawRect(rect().adjusted(1, 1, -2, -2));

    // The product picture: four tiles, one per kind of collection, around a card.
    const QRectF area(28, 36, kPictureSize, kPictureSize);
    const QColor tiles[] = {QColor(0x2f, 0x6d, 0xb5), QColor(0xe0, 0x8e, 0x2b), QColor(0x3a, 0x9a, 0x5b),
                            QColor(0xb0, 0x3a, 0x48)};
    const qreal half = area.width() / 2;
    for (int i = 0; i < 4; ++i) {
        const QRectF tile(area.left() + (i % 2) * half + 4, area.top() + (i / 2) * half + 4, half - 8, half - 8);
        QPainterPath path;
        path.addRoundedRect(tile, 10, 10);
        painter.fillPath(path, tiles[i]);
    }
    QPainterPath card;
    card.addRoundedRect(QRectF(area.center().x() - 26, area.center().y() - 18, 52, 36), 6, 6);
    painter.fillPath(card, Qt::white);
    painter.setPen(QPen(QColor(0x10, 0x24, 0x6a), 2));
    painter.drawPath(card);
    for (int line = 0; line < 3; ++line) {
        const qreal y = area.center().y() - 8 + line * 8;
        painter.drawLine(QPointF(area.center().x() - 18, y), QPointF(area.center().x() + 18 - line * 8, y));
    }
}
