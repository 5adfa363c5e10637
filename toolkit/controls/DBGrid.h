// A grid over a dataset: one row per record, the current record follows
// the grid's current row and the other way round.
//
// Cells are edited in place under the data source's AutoEdit rules; with
// AutoEdit off the cells open only while the dataset is already editing,
// and only on the current record. Insert adds a record and Down on the
// last row appends one (both only with AutoEdit on); Escape cancels the
// record's edit; Ctrl+Delete deletes the record after confirmation. A
// record inserted here and left unchanged is dropped when the focus moves
// to another control of the window or to another row. A column's input
// rule (case, fewest and most characters) applies while typing and when the
// cell is stored; a text that breaks it is refused with its message. When
// the record posts (an OK button that takes no focus, say), the text of an
// open cell editor goes to its field first.
#pragma once

#include "toolkit/controls/DBGridModel.h"

#include <QTableView>

namespace tk {

class DBGrid : public QTableView {
    Q_OBJECT

public:
    explicit DBGrid(QWidget *parent = nullptr);
    ~DBGrid() override;

    tk::DataSource *dataSource() const { return m_model->dataSource(); }
    void SetDataSource(tk::DataSource *source);

    // The columns in order; none shows one column per field.
    const std::vector<DBGridColumn> &Columns() const { return m_model->Columns(); }
    void SetColumns(std::vector<DBGridColumn> columns);

    bool ReadOnly() const { return m_model->ReadOnly; }
    void SetReadOnly(bool on) { m_model->ReadOnly = on; }

    bool ConfirmDelete = true;
    QString ConfirmDeleteText = QStringLiteral("Delete record?");

    // Deletes the current record after the confirmation; false when there
    // is none, the grid is read-only, the user declined or it failed.
    bool deleteRecord();

    tk::DBGridModel *gridModel() const { return m_model; }

    // Opens the cell's editor (QAbstractItemView's slot).
    using QTableView::edit;

protected:
    void keyPressEvent(QKeyEvent *event) override;
    bool edit(const QModelIndex &index, EditTrigger trigger, QEvent *event) override;
    void currentChanged(const QModelIndex &current, const QModelIndex &previous) override;
    void changeEvent(QEvent *event) override;

private:
    void applyWidths();
    void followDataSet(int row);
    void focusChanged(QWidget *old, QWidget *now);
    bool dropUnchangedInsert();
    void commitOpenEditor();
    bool startEdit();

    tk::DBGridModel *m_model;
    bool m_following = false;
};

} // namespace tk
