// The data grid and its model over an in-memory dataset: model checker
// through every state change, current row in both directions, columns,
// in-place edits under AutoEdit, deleting and the unchanged inserted row.
#include "platform/FormatSettings.h"
#include "toolkit/controls/DBGrid.h"
#include "toolkit/text/MessageBox.h"
#include "toolkit/data/tests/MemoryDataSet.h"

#include <QAbstractItemModelTester>
#include <QHeaderView>
#include <QLineEdit>
#include <QTest>
#include <QVBoxLayout>

#include "testing/TestRegistry.h"

namespace {

std::unique_ptr<MemoryDataSet> music(int rows)
{
    auto ds = std::make_unique<MemoryDataSet>(std::vector<MemoryColumn>{
        {QStringLiteral("LIEDERL"), tk::FieldType::String, 12},
        {QStringLiteral("PREIS"), tk::FieldType::Float, 8, 2},
        {QStringLiteral("VERL_DAT"), tk::FieldType::Date, 8},
        {QStringLiteral("NOTIZ"), tk::FieldType::Memo, 10},
    });
    for (int i = 0; i < rows; ++i)
        ds->rows.push_back({QStringLiteral("Titel %1").arg(i), 1234.5 + i, QDate(2001, 2, 3).addDays(i), QVariant()});
    return ds;
}

std::vector<tk::DBGridColumn> columns()
{
    tk::DBGridColumn title;
    title.FieldName = QStringLiteral("LIEDERL");
    title.Title = QStringLiteral("Musikstück");
    title.Width = 35;
    tk::DBGridColumn price;
    price.FieldName = QStringLiteral("PREIS");
    price.Title = QStringLiteral("Preis");
    price.Width = 8;
    price.DisplayFormat = QStringLiteral("###,###");
    price.EditFormat = QStringLiteral("######");
    tk::DBGridColumn date;
    date.FieldName = QStringLiteral("VERL_DAT");
    date.Alignment = Qt::AlignHCenter;
    date.DisplayFormat = QStringLiteral("yyyy-mm-dd");
    tk::DBGridColumn memo;
    memo.FieldName = QStringLiteral("NOTIZ");
    return {title, price, date, memo};
}

QString cell(const tk::DBGrid &grid, int row, int column, int role = Qt::DisplayRole)
{
    return grid.model()->index(row, column).data(role).toString();
}

} // namespace

class TestDBGrid : public QObject {
    Q_OBJECT

private slots:
    void init();
    void modelStaysConsistentThroughStates();
    void currentRowFollowsBothWays();
    void columnsHaveHeadingsWidthsAlignmentAndFormats();
    void inPlaceEditsFollowAutoEdit();
    void deleteAsksFirst();
    void unchangedInsertIsDroppedOnLeavingTheGrid();
    void rowsAreFetchedOnDemand();
};

void TestDBGrid::init()
{
    platform::FormatSettings::current() = platform::FormatSettings::fromLocaleName(QStringLiteral("de_DE"));
    platform::FormatSettings::current().setCentury(true);
    tk::MessageBox::clearPresets();
}

void TestDBGrid::modelStaysConsistentThroughStates()
{
    auto ds = music(5);
    tk::DataSource source;
    source.SetDataSet(ds.get());
    tk::DBGridModel model;
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
    model.SetDataSource(&source);
    QCOMPARE(model.rowCount(), 0);
    ds->Open();
    QCOMPARE(model.rowCount(), 5);
    QCOMPARE(model.columnCount(), 4); // one per field without columns
    model.SetColumns(columns());

    ds->Insert();
    QCOMPARE(model.rowCount(), 6);
    QVERIFY(model.isInsertRow(5));
    QCOMPARE(model.currentRow(), 5);
    QCOMPARE(model.headerData(5, Qt::Vertical).toString(), QStringLiteral("*"));
    ds->FieldByName(QStringLiteral("LIEDERL"))->SetAsString(QStringLiteral("Neu"));
    QCOMPARE(model.index(5, 0).data().toString(), QStringLiteral("Neu"));
    ds->Post();
    QCOMPARE(model.rowCount(), 6);
    QCOMPARE(model.index(5, 0).data().toString(), QStringLiteral("Neu"));
    ds->Insert();
    ds->Cancel();
    QCOMPARE(model.rowCount(), 6);
    ds->First();
    ds->Edit();
    QCOMPARE(model.headerData(0, Qt::Vertical).toString(), QStringLiteral("I"));
    ds->FieldByName(QStringLiteral("LIEDERL"))->SetAsString(QStringLiteral("Live"));
    QCOMPARE(model.index(0, 0).data().toString(), QStringLiteral("Live"));
    ds->Cancel();
    QCOMPARE(model.index(0, 0).data().toString(), QStringLiteral("Titel 0"));
    ds->Delete();
    QCOMPARE(model.rowCount(), 5);
    QCOMPARE(model.index(0, 0).data().toString(), QStringLiteral("Titel 1"));
    ds->Close();
    QCOMPARE(model.rowCount(), 0);
    ds->Open();
    QCOMPARE(model.rowCount(), 5);
}

void TestDBGrid::currentRowFollowsBothWays()
{
    auto ds = music(20);
    tk::DataSource source;
    source.SetDataSet(ds.get());
    ds->Open();
    tk::DBGrid grid;
    grid.SetDataSource(&source);
    grid.SetColumns(columns());
    grid.resize(400, 200);
    grid.show();
    QCOMPARE(grid.currentIndex().row(), 0);
    grid.setCurrentIndex(grid.model()->index(7, 1));
    QCOMPARE(ds->FieldByName(QStringLiteral("LIEDERL"))->AsString(), QStringLiteral("Titel 7"));
    ds->Next();
    QCOMPARE(grid.currentIndex().row(), 8);
    QCOMPARE(grid.currentIndex().column(), 1);
    ds->Last();
    QCOMPARE(grid.currentIndex().row(), 19);
    QCOMPARE(grid.model()->headerData(19, Qt::Vertical).toString(), QStringLiteral("\u25B8"));
    QCOMPARE(grid.model()->headerData(8, Qt::Vertical).toString(), QString());
}

void TestDBGrid::columnsHaveHeadingsWidthsAlignmentAndFormats()
{
    auto ds = music(3);
    tk::DataSource source;
    source.SetDataSet(ds.get());
    ds->Open();
    tk::DBGrid grid;
    grid.SetDataSource(&source);
    grid.SetColumns(columns());
    QCOMPARE(grid.model()->headerData(0, Qt::Horizontal).toString(), QStringLiteral("Musikstück"));
    QCOMPARE(grid.model()->headerData(2, Qt::Horizontal).toString(), QStringLiteral("VERL_DAT"));
    // Widths in characters: a date column is ten digits wide.
    const QHeaderView *header = grid.horizontalHeader();
    QCOMPARE(header->sectionSize(0) - header->sectionSize(1), (35 - 8) * grid.fontMetrics().horizontalAdvance(QLatin1Char('0')));
    QVERIFY(header->sectionSize(2) > grid.fontMetrics().horizontalAdvance(QStringLiteral("2001-02-05")));

    auto alignment = [&](int column) {
        return grid.model()->index(0, column).data(Qt::TextAlignmentRole).value<Qt::Alignment>() & Qt::AlignHorizontal_Mask;
    };
    QCOMPARE(alignment(0), Qt::AlignLeft);
    QCOMPARE(alignment(1), Qt::AlignRight);
    QCOMPARE(alignment(2), Qt::AlignHCenter);

    QCOMPARE(cell(grid, 2, 1), QStringLiteral("1.237"));
    QCOMPARE(cell(grid, 2, 2), QStringLiteral("2001-02-05"));
    QCOMPARE(cell(grid, 2, 3), QStringLiteral("(memo)"));
    ds->Edit();
    QCOMPARE(cell(grid, 0, 1, Qt::EditRole), QStringLiteral("1235"));
    ds->Cancel();
}

void TestDBGrid::inPlaceEditsFollowAutoEdit()
{
    auto ds = music(3);
    tk::DataSource source;
    source.AutoEdit = false;
    source.SetDataSet(ds.get());
    ds->Open();
    tk::DBGrid grid;
    grid.SetDataSource(&source);
    grid.SetColumns(columns());
    QAbstractItemModel *model = grid.model();

    QVERIFY(!(model->flags(model->index(0, 0)) & Qt::ItemIsEditable));
    QVERIFY(!model->setData(model->index(0, 0), QStringLiteral("x")));
    QCOMPARE(ds->state(), tk::DataSet::State::Browse);

    // Editing (started by a navigator, say): only the current row opens.
    ds->Edit();
    QVERIFY(model->flags(model->index(0, 0)) & Qt::ItemIsEditable);
    QVERIFY(!(model->flags(model->index(1, 0)) & Qt::ItemIsEditable));
    QVERIFY(!(model->flags(model->index(0, 3)) & Qt::ItemIsEditable)); // memo
    QVERIFY(model->setData(model->index(0, 1), QStringLiteral("99,5")));
    QVERIFY(!model->setData(model->index(0, 1), QStringLiteral("abc")));
    QVERIFY(grid.gridModel()->lastError().contains(QStringLiteral("abc")));
    ds->Post();
    QCOMPARE(ds->rows[0][1].toDouble(), 99.5);

    // With AutoEdit on, a cell edit of another row moves there and edits.
    source.AutoEdit = true;
    QVERIFY(model->setData(model->index(2, 0), QStringLiteral("Geändert")));
    QCOMPARE(ds->state(), tk::DataSet::State::Edit);
    QCOMPARE(ds->FieldByName(QStringLiteral("PREIS"))->AsFloat(), 1236.5);
    ds->Post();
    QCOMPARE(ds->rows[2][0].toString(), QStringLiteral("Geändert"));

    // A refused text typed into a cell is reported, not silently dropped.
    grid.show();
    QVERIFY(QTest::qWaitForWindowExposed(&grid));
    grid.setCurrentIndex(model->index(2, 1));
    grid.edit(model->index(2, 1));
    auto *editor = grid.viewport()->findChild<QLineEdit *>();
    QVERIFY(editor);
    editor->setText(QStringLiteral("zwölf"));
    tk::MessageBox::presetAnswer(tk::MessageBox::Answer::Ok);
    const int shown = tk::MessageBox::shownCount();
    QTest::keyClick(editor, Qt::Key_Return);
    QTRY_COMPARE(tk::MessageBox::shownCount(), shown + 1);
    QCOMPARE(tk::MessageBox::lastKind(), tk::MessageBox::Kind::Error);
    QVERIFY(tk::MessageBox::lastText().contains(QStringLiteral("zwölf")));
    ds->Cancel();

    grid.SetReadOnly(true);
    QVERIFY(!(model->flags(model->index(2, 0)) & Qt::ItemIsEditable));
}

void TestDBGrid::deleteAsksFirst()
{
    auto ds = music(3);
    tk::DataSource source;
    source.SetDataSet(ds.get());
    ds->Open();
    tk::DBGrid grid;
    grid.SetDataSource(&source);
    grid.show();
    ds->Next();
    tk::MessageBox::presetAnswer(tk::MessageBox::Answer::Cancel);
    QTest::keyClick(&grid, Qt::Key_Delete, Qt::ControlModifier);
    QCOMPARE(tk::MessageBox::lastKind(), tk::MessageBox::Kind::Confirmation);
    QCOMPARE(ds->rows.size(), std::size_t(3));
    tk::MessageBox::presetAnswer(tk::MessageBox::Answer::Ok);
    QTest::keyClick(&grid, Qt::Key_Delete, Qt::ControlModifier);
    QCOMPARE(ds->rows.size(), std::size_t(2));
    QCOMPARE(ds->rows[1][0].toString(), QStringLiteral("Titel 2"));
    QCOMPARE(grid.model()->rowCount(), 2);
}

void TestDBGrid::unchangedInsertIsDroppedOnLeavingTheGrid()
{
    auto ds = music(3);
    // Defaults set by the new-record event do not count as a change.
    ds->OnNewRecord = [](tk::DataSet &d) { d.FieldByName(QStringLiteral("PREIS"))->SetAsFloat(1.0); };
    tk::DataSource source;
    source.SetDataSet(ds.get());
    ds->Open();
    QWidget window;
    auto *layout = new QVBoxLayout(&window);
    auto *grid = new tk::DBGrid(&window);
    auto *other = new QLineEdit(&window);
    layout->addWidget(grid);
    layout->addWidget(other);
    grid->SetDataSource(&source);
    window.show();
    QApplication::setActiveWindow(&window);
    QVERIFY(QTest::qWaitForWindowActive(&window));

    grid->setFocus();
    ds->Last();
    QTest::keyClick(grid, Qt::Key_Down); // appends
    QCOMPARE(ds->state(), tk::DataSet::State::Insert);
    QCOMPARE(grid->model()->rowCount(), 4);
    QCOMPARE(grid->currentIndex().row(), 3);
    other->setFocus();
    QCOMPARE(ds->state(), tk::DataSet::State::Browse);
    QCOMPARE(grid->model()->rowCount(), 3);
    QCOMPARE(ds->rows.size(), std::size_t(3));

    // Moving up from an unchanged new row drops it as well.
    grid->setFocus();
    QTest::keyClick(grid, Qt::Key_Insert);
    QCOMPARE(ds->state(), tk::DataSet::State::Insert);
    QTest::keyClick(grid, Qt::Key_Up);
    QCOMPARE(ds->state(), tk::DataSet::State::Browse);
    QCOMPARE(grid->model()->rowCount(), 3);

    // A changed one stays when the focus leaves.
    QTest::keyClick(grid, Qt::Key_Insert);
    ds->FieldByName(QStringLiteral("LIEDERL"))->SetAsString(QStringLiteral("Neu"));
    other->setFocus();
    QCOMPARE(ds->state(), tk::DataSet::State::Insert);
    ds->Post();
    QCOMPARE(ds->rows.size(), std::size_t(4));
}

void TestDBGrid::rowsAreFetchedOnDemand()
{
    auto ds = music(20000);
    tk::DataSource source;
    source.SetDataSet(ds.get());
    ds->Open();
    tk::DBGrid grid;
    grid.SetDataSource(&source);
    grid.resize(500, 300);
    grid.show();
    QVERIFY(QTest::qWaitForWindowExposed(&grid));
    QCOMPARE(grid.model()->rowCount(), 20000);
    QVERIFY2(grid.gridModel()->fetchCount() < 100, qPrintable(QString::number(grid.gridModel()->fetchCount())));
    ds->Last();
    QApplication::processEvents();
    QCOMPARE(grid.currentIndex().row(), 19999);
    QVERIFY2(grid.gridModel()->fetchCount() < 200, qPrintable(QString::number(grid.gridModel()->fetchCount())));
}

TESSARON_TEST(TestDBGrid)
#include "TestDBGrid.moc"
