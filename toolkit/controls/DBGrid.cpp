// The data grid: current row kept in step with the dataset, in-place edits
// that take the record first, keys for insert, append, cancel and delete,
// and dropping an untouched new record when the user leaves it.
#include "toolkit/controls/DBGrid.h"

#include "toolkit/text/ExceptionGuard.h"
#include "toolkit/controls/FieldDataLink.h"
#include "toolkit/text/MessageBox.h"

#include <QApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QStyledItemDelegate>
#include <QTimer>
#include <QValidator>

namespace tk {

namespace {

constexpr int kCellPadding = 10;

// Applies the column's case to the text as it is typed or pasted.
class CellCaseValidator : public QValidator {
public:
    CellCaseValidator(DBGridColumn column, QObject *parent) : QValidator(parent), m_column(std::move(column)) {}
    State validate(QString &input, int &) const override
    {
        input = applyCellCase(m_column, input);
        return Acceptable;
    }

private:
    DBGridColumn m_column;
};

// The in-place editor keeps to the width of text fields and to the column's
// input rule.
class GridDelegate : public QStyledItemDelegate {
public:
    GridDelegate(DBGridModel *model, QObject *parent) : QStyledItemDelegate(parent), m_model(model) {}

    QWidget *createEditor(QWidget *parent, const QStyleOptionViewItem &option, const QModelIndex &index) const override
    {
        QWidget *editor = QStyledItemDelegate::createEditor(parent, option, index);
        const Field *f = m_model->columnField(index.column());
        auto *line = qobject_cast<QLineEdit *>(editor);
        if (!line)
            return editor;
        const DBGridColumn &column = m_model->column(index.column());
        if (column.MaxLength > 0)
            line->setMaxLength(column.MaxLength);
        else if (f && f->DataType() == FieldType::String && f->Size() > 0)
            line->setMaxLength(f->Size());
        if (column.Case != CellCase::AsTyped)
            line->setValidator(new CellCaseValidator(column, line));
        return editor;
    }

    void setModelData(QWidget *editor, QAbstractItemModel *, const QModelIndex &index) const override
    {
        auto *line = qobject_cast<QLineEdit *>(editor);
        if (!line)
            return;
        try {
            m_model->setCellText(index, line->text());
        } catch (...) {
            // Reported once the editor has closed: a box shown while the
            // editor commits on losing the focus would commit it again.
            std::exception_ptr error = std::current_exception();
            QTimer::singleShot(0, m_model, [error] {
                try {
                    std::rethrow_exception(error);
                } catch (...) {
                    reportCurrentException();
                }
            });
        }
    }

private:
    DBGridModel *m_model;
};

} // namespace

DBGrid::DBGrid(QWidget *parent) : QTableView(parent), m_model(new DBGridModel(this))
{
    setModel(m_model);
    setItemDelegate(new GridDelegate(m_model, this));
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSelectionBehavior(QAbstractItemView::SelectItems);
    setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                    QAbstractItemView::AnyKeyPressed | QAbstractItemView::SelectedClicked);
    setWordWrap(false);
    setAlternatingRowColors(false);
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
    verticalHeader()->setFixedWidth(fontMetrics().horizontalAdvance(QLatin1Char('M')) + 8);
    verticalHeader()->setDefaultAlignment(Qt::AlignCenter);
    horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    horizontalHeader()->setHighlightSections(false);

    connect(m_model, &DBGridModel::currentRowChanged, this, &DBGrid::followDataSet);
    connect(m_model, &DBGridModel::currentRowShifted, this, [this](int row) {
        // Mark the row without scrolling: the user may be looking elsewhere.
        if (m_following || row < 0 || row >= m_model->rowCount() || m_model->columnCount() == 0)
            return;
        m_following = true;
        const QModelIndex target = m_model->index(row, std::max(currentIndex().column(), 0));
        if (currentIndex() != target)
            selectionModel()->setCurrentIndex(target, QItemSelectionModel::ClearAndSelect);
        m_following = false;
    });
    connect(m_model, &QAbstractItemModel::modelReset, this, &DBGrid::applyWidths);
    connect(m_model, &DBGridModel::updateDataRequested, this, &DBGrid::commitOpenEditor);
    connect(qApp, &QApplication::focusChanged, this, &DBGrid::focusChanged);
}

DBGrid::~DBGrid()
{
    disconnect(qApp, &QApplication::focusChanged, this, &DBGrid::focusChanged);
}

void DBGrid::SetDataSource(tk::DataSource *source)
{
    m_model->SetDataSource(source);
    applyWidths();
}

void DBGrid::SetColumns(std::vector<DBGridColumn> columns)
{
    m_model->SetColumns(std::move(columns));
    applyWidths();
    followDataSet(m_model->currentRow());
}

void DBGrid::applyWidths()
{
    // A character is as wide as a digit, so numbers and dates of the given
    // width fit; the rest is the cell's padding.
    const int charWidth = fontMetrics().horizontalAdvance(QLatin1Char('0'));
    for (int c = 0; c < m_model->columnCount(); ++c)
        horizontalHeader()->resizeSection(c, m_model->columnChars(c) * charWidth + kCellPadding);
}

void DBGrid::changeEvent(QEvent *event)
{
    QTableView::changeEvent(event);
    if (event->type() == QEvent::FontChange)
        applyWidths();
}

void DBGrid::followDataSet(int row)
{
    if (m_following || row < 0 || row >= m_model->rowCount())
        return;
    m_following = true;
    const int column = std::max(currentIndex().column(), 0);
    if (m_model->columnCount() > 0) {
        const QModelIndex target = m_model->index(row, column);
        if (currentIndex() != target)
            selectionModel()->setCurrentIndex(target, QItemSelectionModel::ClearAndSelect);
        scrollTo(target);
    }
    m_following = false;
}

void DBGrid::currentChanged(const QModelIndex &current, const QModelIndex &previous)
{
    QTableView::currentChanged(current, previous);
    if (m_following || !current.isValid())
        return;
    DataSet *ds = m_model->dataSource() ? m_model->dataSource()->dataSet() : nullptr;
    if (!ds || !ds->Active() || current.row() == m_model->currentRow())
        return;
    const int target = current.row();
    m_following = true;
    bool ok = runGuarded([&] {
        if (m_model->isInsertRow(previous.row()) && ds->InsertUnchanged())
            ds->Cancel();
        if (target < m_model->rowCount() && !m_model->isInsertRow(target))
            m_model->moveToRow(target);
    });
    m_following = false;
    if (!ok || m_model->currentRow() != target) {
        // The record could not be left (a refused post): go back to it,
        // once the view has finished its own change.
        QTimer::singleShot(0, this, [this] { followDataSet(m_model->currentRow()); });
    }
}

bool DBGrid::startEdit()
{
    tk::DataSource *source = m_model->dataSource();
    if (!source || !source->dataSet() || ReadOnly())
        return false;
    if (source->dataSet()->Editing())
        return true;
    bool editing = false;
    runGuarded([&] { editing = source->Edit(); });
    return editing;
}

bool DBGrid::edit(const QModelIndex &index, EditTrigger trigger, QEvent *event)
{
    const bool opens = trigger != QAbstractItemView::NoEditTriggers && trigger != QAbstractItemView::CurrentChanged &&
                       index.isValid() && (m_model->flags(index) & Qt::ItemIsEditable);
    if (opens) {
        // Take the record (and its lock) before the user types into it.
        if (index.row() != m_model->currentRow())
            return false;
        if (!startEdit())
            return false;
    }
    return QTableView::edit(index, trigger, event);
}

bool DBGrid::deleteRecord()
{
    DataSet *ds = m_model->dataSource() ? m_model->dataSource()->dataSet() : nullptr;
    if (!ds || !ds->Active() || ReadOnly() || (ds->IsEmpty() && !ds->Editing()))
        return false;
    if (ds->state() != DataSet::State::Insert && ConfirmDelete &&
        MessageBox::confirmation(this, ConfirmDeleteText, MessageBox::Buttons::OkCancel) != MessageBox::Answer::Ok)
        return false;
    return runGuarded([&] { ds->Delete(); });
}

void DBGrid::commitOpenEditor()
{
    if (state() != QAbstractItemView::EditingState)
        return;
    const QList<QLineEdit *> editors = viewport()->findChildren<QLineEdit *>(QString(), Qt::FindDirectChildrenOnly);
    for (QLineEdit *editor : editors) {
        if (!editor->isVisible())
            continue;
        commitData(editor);
        closeEditor(editor, QAbstractItemDelegate::NoHint);
        return;
    }
}

bool DBGrid::dropUnchangedInsert()
{
    DataSet *ds = m_model->dataSource() ? m_model->dataSource()->dataSet() : nullptr;
    if (!ds || !ds->Active() || !ds->InsertUnchanged())
        return false;
    return runGuarded([&] { ds->Cancel(); });
}

void DBGrid::focusChanged(QWidget *old, QWidget *now)
{
    // Only a move to another control of the same window leaves the grid;
    // switching windows or opening a message box does not.
    if (!old || !now || (old != this && !isAncestorOf(old)))
        return;
    if (now == this || isAncestorOf(now) || now->window() != window())
        return;
    dropUnchangedInsert();
}

void DBGrid::keyPressEvent(QKeyEvent *event)
{
    DataSet *ds = m_model->dataSource() ? m_model->dataSource()->dataSet() : nullptr;
    const bool active = ds && ds->Active();
    const bool autoEdit = active && m_model->dataSource()->AutoEdit && !ReadOnly();
    if (active && event->key() == Qt::Key_Delete && (event->modifiers() & Qt::ControlModifier)) {
        deleteRecord();
        event->accept();
        return;
    }
    if (active && event->key() == Qt::Key_Escape && state() != QAbstractItemView::EditingState && ds->Editing()) {
        runGuarded([&] { ds->Cancel(); });
        event->accept();
        return;
    }
    if (autoEdit && event->key() == Qt::Key_Insert && event->modifiers() == Qt::NoModifier) {
        runGuarded([&] { ds->Insert(); });
        event->accept();
        return;
    }
    if (autoEdit && event->key() == Qt::Key_Down && event->modifiers() == Qt::NoModifier && !ds->Editing() &&
        currentIndex().row() == m_model->rowCount() - 1) {
        runGuarded([&] { ds->Append(); });
        event->accept();
        return;
    }
    QTableView::keyPressEvent(event);
}

} // namespace tk
