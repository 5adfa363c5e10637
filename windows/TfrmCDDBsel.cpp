#include "windows/TfrmCDDBsel.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QScreen>
#include <QVBoxLayout>

TfrmCDDBsel::TfrmCDDBsel(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmCDDBsel"));
    // A tool window without system buttons: it is left by choosing.
    setWindowFlags(Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    setWindowTitle(QStringLiteral("Select your CD"));
    setModal(true);
    resize(420, 240);

    Label1 = new QLabel(QStringLiteral("The CDDB Database returned more than one entry for this Disc ID."), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setAlignment(Qt::AlignCenter);
    Label2 = new QLabel(QStringLiteral("Please select the proper CD title by just clicking it:"), this);
    Label2->setObjectName(QStringLiteral("Label2"));
    Label2->setAlignment(Qt::AlignCenter);
    lbEntry = new QListWidget(this);
    lbEntry->setObjectName(QStringLiteral("lbEntry"));
    lbEntry->setSelectionMode(QAbstractItemView::SingleSelection);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(Label1);
    layout->addWidget(Label2);
    layout->addWidget(lbEntry, 1);

    connect(lbEntry, &QListWidget::itemDoubleClicked, this, [this] { accept(); });
}

int TfrmCDDBsel::chosenIndex() const
{
    const QList<QListWidgetItem *> selected = lbEntry->selectedItems();
    return selected.isEmpty() ? -1 : lbEntry->row(selected.first());
}

int TfrmCDDBsel::choose(QWidget *parent, const QStringList &titles)
{
    TfrmCDDBsel dialog(parent);
    dialog.lbEntry->addItems(titles);
    dialog.lbEntry->setCurrentRow(-1);
    dialog.lbEntry->clearSelection();
    dialog.exec();
    return dialog.chosenIndex();
}

void TfrmCDDBsel::done(int result)
{
    // Escape, Enter and the window manager all end here: only a choice ends it.
    if (chosenIndex() < 0)
        return;
    QDialog::done(result);
}

void TfrmCDDBsel::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        if (chosenIndex() >= 0)
            accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void TfrmCDDBsel::closeEvent(QCloseEvent *event)
{
    if (chosenIndex() < 0) {
        event->ignore();
        return;
    }
    QDialog::closeEvent(event);
}

void TfrmCDDBsel::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (QScreen *screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
}
