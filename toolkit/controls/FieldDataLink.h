// The link every single-field control keeps to its data source: it finds
// the field by name whenever the dataset opens, tells the control when to
// show the field's value again and when its read-only state may have
// changed, and hands the control's pending text to the field before the
// dataset posts.
//
// The control stays the owner of its text. A control calls edit() before
// the user changes anything and modified() after; the pending text then
// goes to the field through OnUpdateData on leaving the control (the
// control calls updateRecord()) or when the dataset posts.
#pragma once

#include "toolkit/data/DataSource.h"

#include <QPointer>
#include <QString>
#include <QWidget>

#include <functional>

class QKeyEvent;

namespace tk {

class FieldDataLink : public DataLink {
public:
    // `control` gets the focus back after a refused text; it must outlive
    // the link (the controls own their link as a member).
    explicit FieldDataLink(QWidget *control);

    QString FieldName() const { return m_fieldName; }
    void SetFieldName(const QString &name);

    // The bound field while the dataset is open; nullptr when there is no
    // source, the dataset is closed or has no field of that name. Valid
    // until the dataset closes.
    tk::Field *field() const;

    // The control's own read-only switch.
    bool ReadOnly = false;

    // Whether the user may change the value now: a writable field of an
    // open dataset that is editing, or that starts an edit on the first
    // change because its data source has AutoEdit on.
    bool CanModify() const;

    // Puts the dataset into edit state (AutoEdit rules) before a change:
    // true when the dataset is editing. A refused edit (a record lock held
    // elsewhere, say) goes to the exception handler and gives false.
    bool edit();

    // The control's text now differs from the field.
    void modified() { m_modified = true; }
    bool isModified() const { return m_modified; }

    // Hands a pending text to the field (OnUpdateData). Throws what the
    // field throws (a text that does not convert); the text stays pending.
    void updateRecord();

    // Like updateRecord, for a control being left: a refused text goes to
    // the exception handler, the control keeps it and gets the focus back.
    // False when the text was refused.
    bool updateRecordOnExit();

    // Shows the field's value again, dropping a pending text.
    void reset();

    // The control shows the field's value (also when there is no field).
    std::function<void()> OnDataChange;
    // The control re-reads CanModify().
    std::function<void()> OnEditingChange;
    // The control stores its pending text into field().
    std::function<void()> OnUpdateData;

    void activeChanged() override;
    void editingChanged() override;
    void recordChanged(Field *field) override;
    void dataSetChanged() override;
    void dataSetScrolled() override;
    void updateData() override;

private:
    void bind();
    void dataChange();

    QWidget *m_control;
    QString m_fieldName;
    tk::Field *m_field = nullptr;
    bool m_modified = false;
};

// Runs an action of a control on behalf of the user: a failure goes to the
// program's exception handler (ExceptionGuard.h; tk::Abort silently)
// instead of escaping into Qt's event handling. True when the action
// completed.
bool runGuarded(const std::function<void()> &action);

// Whether a key typed into a text control changes its text (characters,
// Backspace, Delete, cut, paste, undo), so the control must ask for edit
// state first.
bool changesText(const QKeyEvent *event);

// Whether a key typed into a list changes its selection (arrows, paging,
// F4, space, a character searching an item).
bool changesSelection(const QKeyEvent *event);

// Whether losing the focus for this reason leaves the control for another
// control of the window (a popup opening or the window being deactivated
// does not).
bool leavesControl(Qt::FocusReason reason);

} // namespace tk
