// A row of buttons that moves through a dataset and changes its state:
// first, prior, next, last, insert, delete, edit, post, cancel, refresh.
//
// Buttons enable themselves by the dataset's position and state. After a
// button's own action succeeded, OnClick is called with the button; a
// failed action shows its error and does not call it. Delete asks for
// confirmation first (ConfirmDelete). The flat look draws the buttons
// without a frame until the mouse is over them.
#pragma once

#include "toolkit/data/DataSource.h"

#include <QStringList>
#include <QWidget>

#include <functional>
#include <memory>

class QToolButton;

namespace tk {

class DBNavigator : public QWidget {
    Q_OBJECT

public:
    enum class Button { First, Prior, Next, Last, Insert, Delete, Edit, Post, Cancel, Refresh };
    static constexpr int ButtonCount = 10;

    explicit DBNavigator(QWidget *parent = nullptr);
    ~DBNavigator() override;

    tk::DataSource *dataSource() const;
    void SetDataSource(tk::DataSource *source);

    // Which buttons are shown; all by default.
    void SetVisibleButtons(std::initializer_list<Button> buttons);
    bool isButtonVisible(Button button) const;

    bool Flat() const { return m_flat; }
    void SetFlat(bool flat);

    // Tool tips, one per button in the order of Button; the part before a
    // "|" is the tip, the rest goes to the status bar.
    QStringList Hints() const { return m_hints; }
    void SetHints(const QStringList &hints);

    bool ConfirmDelete = true;
    // The question before deleting.
    QString ConfirmDeleteText = QStringLiteral("Delete record?");

    // Called after a button's action.
    std::function<void(Button)> OnClick;

    // Carries out a button's action as a click would; false when the
    // button is disabled, the action failed or deleting was not confirmed.
    bool BtnClick(Button button);

    QToolButton *button(Button button) const;

private:
    class Link;

    void updateButtons();
    void action(Button button);

    std::unique_ptr<Link> m_link;
    QToolButton *m_buttons[ButtonCount] = {};
    QStringList m_hints;
    bool m_flat = false;
};

} // namespace tk
