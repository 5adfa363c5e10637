// The server list's own editor.
#include "windows/ServerListEditor.h"

#include "toolkit/text/Tag.h"
#include "toolkit/text/Translator.h"

#include <QFontDatabase>
#include <QHBoxLayout>
#include <QPlainTextEdit>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

constexpr int kBase = 2150;

QToolButton *button(QWidget *parent, const char *name, const char *caption, int tag)
{
    auto *b = new QToolButton(parent);
    b->setObjectName(QString::fromLatin1(name));
    b->setText(QString::fromUtf8(caption));
    b->setToolButtonStyle(Qt::ToolButtonTextOnly);
    b->setMinimumWidth(90);
    tk::setTag(b, tag);
    return b;
}

} // namespace

ServerListEditor::ServerListEditor(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmServerListEditor"));
    // The caption is the text of the button that opens it.
    setWindowTitle(QStringLiteral("Serverliste bearbeiten"));
    tk::setTag(this, 15);
    resize(620, 420);
    meList = new QPlainTextEdit(this);
    meList->setObjectName(QStringLiteral("meList"));
    meList->setLineWrapMode(QPlainTextEdit::NoWrap);
    meList->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    sbtOK = button(this, "sbtOK", "&Speichern", 21);
    sbtcancel = button(this, "sbtcancel", "&Abbruch", 22);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(sbtOK);
    buttons->addWidget(sbtcancel);
    auto *v = new QVBoxLayout(this);
    v->addWidget(meList, 1);
    v->addLayout(buttons);
    connect(sbtOK, &QToolButton::clicked, this, &QDialog::accept);
    connect(sbtcancel, &QToolButton::clicked, this, &QDialog::reject);
    tk::translateWindow(this, kBase);
}

void ServerListEditor::setLines(const QStringList &lines)
{
    meList->setPlainText(lines.join(QLatin1Char('\n')));
}

QStringList ServerListEditor::lines() const
{
    const QString text = meList->toPlainText();
    if (text.isEmpty())
        return {};
    QStringList lines = text.split(QLatin1Char('\n'));
    // A last line end starts no line of its own.
    if (lines.last().isEmpty())
        lines.removeLast();
    return lines;
}

std::optional<QStringList> ServerListEditor::edit(QWidget *parent, const QStringList &lines)
{
    ServerListEditor dialog(parent);
    dialog.setLines(lines);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog.lines();
}
