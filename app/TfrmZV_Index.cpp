#include "app/TfrmZV_Index.h"

#include "app/MaintenanceDialogs.h"
#include "storage/DatabaseMaintenance.h"
#include "toolkit/text/Tag.h"
#include "toolkit/text/Translator.h"

#include <QCoreApplication>
#include <QDir>
#include <QLabel>
#include <QProgressBar>
#include <QScreen>
#include <QVBoxLayout>

namespace {
constexpr int kBase = 220;
}

TfrmZV_Index::TfrmZV_Index(QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint),
      m_prompt(std::make_unique<MaintenanceDialogs>(this)),
      m_maintenance(std::make_unique<DatabaseMaintenance>(this, *m_prompt))
{
    setObjectName(QStringLiteral("frmZV_Index"));
    setWindowTitle(QStringLiteral("Datenbank-Reorganisation"));
    tk::setTag(this, 1);

    QFont bold = font();
    bold.setBold(true);
    lblAction = new QLabel(QStringLiteral("Indexierung der Datenbanken:"), this);
    lblAction->setObjectName(QStringLiteral("lblAction"));
    lblAction->setAlignment(Qt::AlignCenter);
    lblAction->setFont(bold);
    tk::setTag(lblAction, 2);
    lblDescr = new QLabel(QStringLiteral("Datenbank - Check wird initialisiert"), this);
    lblDescr->setObjectName(QStringLiteral("lblDescr"));
    lblDescr->setAlignment(Qt::AlignCenter);
    lblDescr->setFont(bold);
    QPalette navy = lblDescr->palette();
    navy.setColor(QPalette::WindowText, QColor(0x00, 0x00, 0x80));
    lblDescr->setPalette(navy);
    lblFName = new QLabel(QStringLiteral("(*.dbf)"), this);
    lblFName->setObjectName(QStringLiteral("lblFName"));
    lblFName->setAlignment(Qt::AlignCenter);
    // Long paths must not widen the fixed window.
    lblFName->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    Gauge1 = new QProgressBar(this);
    Gauge1->setObjectName(QStringLiteral("Gauge1"));
    Gauge1->setRange(0, 100);
    Gauge1->setValue(30);
    Gauge1->setStyleSheet(QStringLiteral("QProgressBar { border: 1px solid #808080; background: white; "
                                         "text-align: center; height: 18px; }"
                                         "QProgressBar::chunk { background: #00a000; }"));

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(16, 14, 16, 16);
    layout->setSpacing(8);
    layout->addWidget(lblAction);
    layout->addWidget(lblDescr);
    layout->addWidget(lblFName);
    layout->addSpacing(4);
    layout->addWidget(Gauge1);
    setFixedSize(420, 150);

    tk::translateWindow(this, kBase);

    if (QScreen *screen = this->screen())
        move(screen->geometry().center() - rect().center());
}

TfrmZV_Index::~TfrmZV_Index() = default;

bool TfrmZV_Index::CreateMissingTables(const QString &directory)
{
    return m_maintenance->CreateMissingTables(directory);
}

void TfrmZV_Index::RebuildIndexes(const QString &directory, bool all)
{
    m_maintenance->RebuildIndexes(directory, all);
}

void TfrmZV_Index::RebuildIndex(const QString &directory, const QString &stem)
{
    m_maintenance->RebuildIndex(directory, stem);
}

void TfrmZV_Index::repaintNow()
{
    // Paint only: a click must not start another command in the middle.
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

void TfrmZV_Index::showActivity(MaintenanceActivity activity)
{
    lblAction->setText(MaintenanceDialogs::activityText(activity));
    repaintNow();
}

void TfrmZV_Index::showTable(const QString &description, int tag)
{
    lblDescr->setText(tag > 0 ? QStringLiteral("%1 [%2]").arg(description).arg(tag) : description);
    repaintNow();
}

void TfrmZV_Index::showFile(const QString &path)
{
    lblFName->setText(QLatin1Char('(') + QDir::toNativeSeparators(path) + QLatin1Char(')'));
    repaintNow();
}

void TfrmZV_Index::showPercent(int percent)
{
    Gauge1->setValue(qBound(0, percent, 100));
    repaintNow();
}
