// A one-line text field bound to one field of a dataset.
//
// In browse the field shows its display text; while it has the focus in an
// editable record it shows the edit text. Typed text goes to the field when
// the user leaves the edit or the dataset posts. The maximum length follows
// the width of a text field. An edit mask in the classic notation guides
// input of times and codes; upper-case input is an option.
#pragma once

#include "toolkit/controls/FieldDataLink.h"

#include <QLineEdit>

namespace tk {

class DBEdit : public QLineEdit {
    Q_OBJECT

public:
    enum class CharCase { Normal, Upper };

    explicit DBEdit(QWidget *parent = nullptr);

    tk::DataSource *dataSource() const { return m_link.dataSource(); }
    void SetDataSource(tk::DataSource *source) { m_link.SetDataSource(source); }
    QString DataField() const { return m_link.FieldName(); }
    void SetDataField(const QString &name) { m_link.SetFieldName(name); }
    // The bound field, nullptr while unbound or closed.
    tk::Field *field() const { return m_link.field(); }

    // The control's own read-only switch; Qt's readOnly follows the dataset.
    bool ReadOnly() const { return m_link.ReadOnly; }
    void SetReadOnly(bool on);

    CharCase charCase() const { return m_charCase; }
    void SetCharCase(CharCase charCase);

    // A classic edit mask "mask;save literals;blank", for example
    // "!90:00:00;1;_" for a running time: 0 a required digit, 9 an optional
    // digit, # a digit or sign, L/l a letter, A/a a letter or digit, C/c any
    // character (upper case required, lower case optional), > and < case
    // conversion, \ quotes the next character, anything else is a literal.
    // With save literals 0 the literals are left out of the stored text.
    // Input with nothing but blanks stores an empty text. Empty: no mask.
    QString EditMask() const { return m_editMask; }
    void SetEditMask(const QString &mask);
    // The Qt input mask of a classic edit mask, for plain line edits.
    static QString qtInputMask(const QString &classic);

signals:
    // The user left the control for another one of the window, after its
    // text went to the field (not when the field refused it).
    void exited();

    // A double click (windows dial a number or open an address with it).
    void doubleClicked();

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;

private:
    void showField();
    void updateReadOnly();
    void storeText();
    void onTextEdited();
    QString maskedValue() const;

    FieldDataLink m_link;
    CharCase m_charCase = CharCase::Normal;
    QString m_editMask;
    bool m_saveLiterals = true;
    QChar m_blank;
    QString m_literals; // per position of the masked text: the literal, or a null char for input
};

} // namespace tk
