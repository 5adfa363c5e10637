// The item model of a data grid: one row per record of the dataset's row
// window (exact row numbers, in the current order, query and scope), one
// column per DBGridColumn. Rows are fetched from the dataset when the view
// asks for them and kept in a small cache; the table is never copied.
//
// The current record shows its live values while it is edited; a record
// being inserted appears as an extra last row until it is posted or
// cancelled. Edits go through the dataset's fields (setData), under the
// data source's AutoEdit rules.
#pragma once

#include "toolkit/data/DataSource.h"

#include <QAbstractTableModel>

#include <memory>
#include <unordered_map>
#include <vector>

namespace tk {

// How a column's cell editor treats letter case (tk::upperCase rules).
enum class CellCase { AsTyped, FirstUpper, Upper };

// One column of a grid. Zero and empty members take the field's defaults.
struct DBGridColumn {
    QString FieldName;
    QString Title;                  // heading; the field name when empty
    int Width = 0;                  // in characters; 0: the field's width
    Qt::Alignment Alignment = {};   // 0: numbers right, everything else left
    QString DisplayFormat;          // number picture or date pattern shown
    QString EditFormat;             // number picture or date pattern edited
    bool ReadOnly = false;
    // Input rule of the cells: the case applied to what is typed, the
    // fewest characters a text must have without its trailing blanks (with
    // any minimum its first character must not be a blank either) and the
    // most it may have (0: the field's width).
    CellCase Case = CellCase::AsTyped;
    int MinLength = 0;
    int MaxLength = 0;
};

// `text` with the column's case applied.
QString applyCellCase(const DBGridColumn &column, const QString &text);
// Empty when `text` fits the column's lengths, else the refusal's message.
QString cellInputError(const DBGridColumn &column, const QString &text);

class DBGridModel : public QAbstractTableModel {
    Q_OBJECT

public:
    explicit DBGridModel(QObject *parent = nullptr);
    ~DBGridModel() override;

    tk::DataSource *dataSource() const;
    void SetDataSource(tk::DataSource *source);

    // The columns; none means one per field of the dataset.
    const std::vector<DBGridColumn> &Columns() const { return m_columns; }
    void SetColumns(std::vector<DBGridColumn> columns);
    // The column's field while the dataset is open, else nullptr.
    tk::Field *columnField(int column) const;
    // The column's width in characters (its own, else the field's).
    int columnChars(int column) const;
    // The column as the grid uses it (one per field when none were set).
    const DBGridColumn &column(int column) const;

    bool ReadOnly = false;

    // The row of the current record: the insert row while inserting, -1
    // when the dataset is closed or empty.
    int currentRow() const;
    // Whether `row` is the extra row of a record being inserted.
    bool isInsertRow(int row) const;
    // Makes the record shown at `row` current (the one painted there, also
    // when the dataset's estimated rows moved since).
    void moveToRow(int row);

    // How many records were read for display (FetchRow calls).
    qint64 fetchCount() const { return m_fetches; }

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;
    // Makes the row current, starts an edit (AutoEdit rules) and sets the
    // cell's field from the text, after the column's case is applied. False
    // when the cell is not editable or the data source does not start the
    // edit; throws what moving, the edit or the field throws (a refused
    // lock, a text that does not convert), and tk::DataSetError when the
    // text breaks the column's lengths (the record stays in edit, the field
    // unchanged).
    bool setCellText(const QModelIndex &index, const QString &text);
    // setCellText for the item model's users: failures give false, with
    // the reason in lastError().
    bool setData(const QModelIndex &index, const QVariant &value, int role = Qt::EditRole) override;
    QString lastError() const { return m_lastError; }

signals:
    // Another record became current (or the current row moved).
    void currentRowChanged(int row);
    // The current record is the same, but the dataset's estimated rows
    // moved: it now stands at `row`.
    void currentRowShifted(int row);
    // The dataset is about to post: text still in a cell editor must go to
    // its field now.
    void updateDataRequested();

private:
    class Link;
    friend class Link;

    void activeChanged();
    void editingChanged();
    void recordChanged(tk::Field *field);
    void contentsChanged();
    void rowsMoved();
    void bindFields();
    int wantedRowCount() const;
    const tk::RecordBuffer *rowBuffer(int row) const;
    QString cellText(int row, int column, bool forEdit) const;
    QString formatted(const tk::Field *field, const QVariant &value, const QString &format, bool forEdit) const;

    std::unique_ptr<Link> m_link;
    std::vector<DBGridColumn> m_columns;
    std::vector<DBGridColumn> m_effective; // m_columns, or one per field
    std::vector<tk::Field *> m_fields;
    int m_rows = 0;
    int m_insertRow = -1;
    mutable std::unordered_map<int, tk::RecordBuffer> m_cache;
    mutable qint64 m_fetches = 0;
    QString m_lastError;
};

} // namespace tk
