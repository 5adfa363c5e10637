#include "app/TfrmZV_Main.h"

#include <QApplication>
#include <QMdiArea>

TfrmZV_Main::TfrmZV_Main(QWidget *parent) : QMainWindow(parent)
{
    setObjectName(QStringLiteral("frmZV_Main"));
    setWindowTitle(QStringLiteral("Tessaron"));
    auto *area = new QMdiArea(this);
    area->setObjectName(QStringLiteral("MDIClient"));
    setCentralWidget(area);
    resize(800, 600);
}

void TfrmZV_Main::showEvent(QShowEvent *event)
{
    QMainWindow::showEvent(event);
    if (!m_shown) {
        m_shown = true;
        // The busy cursor of the start-up ends with the main window.
        while (QApplication::overrideCursor())
            QApplication::restoreOverrideCursor();
        emit firstShown();
    }
}
