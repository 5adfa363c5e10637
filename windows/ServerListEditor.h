// The program's own editor for the CDDB server list, for desktops on which
// no graphical text editor is known: the lines in a plain text field, Save
// and Cancel. Translated with the reference-tables window's base.
#pragma once

#include <QDialog>
#include <QStringList>

#include <optional>

class QPlainTextEdit;
class QToolButton;

class ServerListEditor : public QDialog {
    Q_OBJECT

public:
    explicit ServerListEditor(QWidget *parent = nullptr);

    QPlainTextEdit *meList = nullptr;
    QToolButton *sbtOK = nullptr, *sbtcancel = nullptr; // save, cancel

    void setLines(const QStringList &lines);
    QStringList lines() const;

    // Shows the lines modally; the edited lines on OK, none on Cancel.
    static std::optional<QStringList> edit(QWidget *parent, const QStringList &lines);
};
