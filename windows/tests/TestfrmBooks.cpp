// The book library on real tables: the new-record rating and focus, the
// fixed book types, the author lookup, the order of equal titles, the
// publisher and volumes edited in the grid, and the language files.
#include "toolkit/controls/DBEdit.h"
#include "toolkit/controls/DBLookupComboBox.h"
#include "toolkit/controls/TDBValueComboBox.h"
#include "windows/TfrmBooks.h"
#include "xbase/api/XbApi.h"

#include "CollectionTestData.h"

#include <QApplication>
#include <QDate>
#include <QLabel>
#include <QPushButton>
#include <QRegularExpression>
#include <QSet>
#include <QTabWidget>
#include <QTemporaryDir>

#include "testing/TestRegistry.h"

using collectiontest::addRow;
using collectiontest::textNumbers;

class TestfrmBooks : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void newBookHasTheSecondRatingAndItsFocus();
    void bookTypesAreTheFourFixedOnes();
    void authorListOffersOnlyTheAuthorsTable();
    void equalTitlesOrderByVolumesEditedInTheGrid();
    void bothLanguageFilesCarryTheWindowTexts();
    void englishTextsAndScreenshots();

private:
    std::unique_ptr<TfrmBooks> openWindow();
    void addBook(collectiontest::Values values);

    std::unique_ptr<QTemporaryDir> m_dir;
};

void TestfrmBooks::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(collectiontest::startUp(m_dir->path()));
    QVERIFY(collectiontest::createTables(config().ZVData,
                                         {schema::kBooks, schema::kBsparten, schema::kAutoren, schema::kNotizen}));
}

void TestfrmBooks::cleanup()
{
    xb_CloseAll();
    tk::MessageBox::clearPresets();
    tk::Language::current().clear();
}

std::unique_ptr<TfrmBooks> TestfrmBooks::openWindow()
{
    auto w = std::make_unique<TfrmBooks>();
    w->show();
    w->activateWindow();
    return w;
}

void TestfrmBooks::addBook(collectiontest::Values values)
{
    addRow(config().ZVData, "BOOKS.DBF", schema::kBooks, values);
}

void TestfrmBooks::newBookHasTheSecondRatingAndItsFocus()
{
    auto w = openWindow();
    QVERIFY(config().open(Module::Books));
    QVERIFY(QTest::qWaitForWindowActive(w.get()));
    w->dbn->BtnClick(tk::DBNavigator::Button::Insert);
    QCOMPARE(QApplication::focusWidget(), w->dbeBuch_No);
    QVERIFY(w->tblMain->FieldByName(QStringLiteral("INR"))->AsString().startsWith(QStringLiteral("BO")));
    QCOMPARE(w->tblMain->FieldByName(QStringLiteral("WERTUNG"))->AsString(), QStringLiteral("2"));
    QCOMPARE(w->dbvcbWertung->currentIndex(), 1);
    QCOMPARE(w->dbcbArt->currentIndex(), -1);
    w->tblMain->FieldByName(QStringLiteral("TITEL"))->SetAsString(QStringLiteral("Der Zauberberg"));
    QTest::mouseClick(w->btnOK, Qt::LeftButton);
    QCOMPARE(w->windowTitle(), QStringLiteral("Bücher: Der Zauberberg"));

    // Edit focuses the book number too.
    w->dbeTitel->setFocus();
    w->dbn->BtnClick(tk::DBNavigator::Button::Edit);
    QCOMPARE(QApplication::focusWidget(), w->dbeBuch_No);
    QTest::mouseClick(w->btnCancel, Qt::LeftButton);
    QCOMPARE(w->tblMain->state(), tk::DataSet::State::Browse);
}

void TestfrmBooks::bookTypesAreTheFourFixedOnes()
{
    addBook({{"TITEL", QStringLiteral("A")}, {"BUCH_ART", QStringLiteral("Broschur")}});
    addBook({{"TITEL", QStringLiteral("B")}, {"BUCH_ART", QStringLiteral("Mehrbändig")}});
    auto w = openWindow();
    QCOMPARE(w->dbcbArt->Items(), TfrmBooks::bookTypes());
    QVERIFY(!w->dbcbArt->isEditable());
    QCOMPARE(w->dbcbArt->currentIndex(), -1);
    w->tblMain->Next();
    QCOMPARE(w->dbcbArt->currentText(), QStringLiteral("Mehrbändig"));

    // The item's text is what is stored.
    w->tblMain->First();
    w->dbn->BtnClick(tk::DBNavigator::Button::Edit);
    w->dbcbArt->setCurrentIndex(1);
    emit w->dbcbArt->activated(1);
    QTest::mouseClick(w->btnOK, Qt::LeftButton);
    QCOMPARE(w->tblMain->FieldByName(QStringLiteral("BUCH_ART"))->AsString(), QStringLiteral("Taschenb."));
}

void TestfrmBooks::authorListOffersOnlyTheAuthorsTable()
{
    const QString dir = config().ZVData;
    addRow(dir, "AUTOREN.DBF", schema::kAutoren, {{"AUTOR", QStringLiteral("Mann, Thomas")}});
    addRow(dir, "AUTOREN.DBF", schema::kAutoren, {{"AUTOR", QStringLiteral("Fontane, Theodor")}});
    addRow(dir, "BSPARTEN.DBF", schema::kBsparten, {{"SPARTE", QStringLiteral("Roman")}});
    // Forty characters: longer than any author of the authors' table can be.
    const QString longAuthor = QStringLiteral("Herausgegeben von einem Autorenkollektiv");
    QCOMPARE(longAuthor.size(), 40);
    addBook({{"TITEL", QStringLiteral("Anthologie")}, {"AUTOR", longAuthor}});
    auto w = openWindow();
    QCOMPARE(w->dblcInterpret->count(), 2);
    QCOMPARE(w->dblcInterpret->itemText(0), QStringLiteral("Fontane, Theodor"));
    QCOMPARE(w->dblcInterpret->currentIndex(), -1);
    QCOMPARE(w->dblcSparte->count(), 1);
    QCOMPARE(w->tblMain->FieldByName(QStringLiteral("AUTOR"))->AsString(), longAuthor);

    w->dbn->BtnClick(tk::DBNavigator::Button::Edit);
    w->dblcInterpret->setCurrentIndex(1);
    emit w->dblcInterpret->activated(1);
    QTest::mouseClick(w->btnOK, Qt::LeftButton);
    QCOMPARE(w->tblMain->FieldByName(QStringLiteral("AUTOR"))->AsString(), QStringLiteral("Mann, Thomas"));
    QCOMPARE(w->dblcInterpret->currentIndex(), 1);
}

void TestfrmBooks::equalTitlesOrderByVolumesEditedInTheGrid()
{
    auto w = openWindow();
    tk::DBGridModel *grid = w->dbgTabelle->gridModel();
    constexpr int kVerlag = 5, kBaende = 8;
    QCOMPARE(grid->headerData(kBaende, Qt::Horizontal).toString(), QStringLiteral("Bände"));
    // Ten volumes before two would be the order of plain digits.
    using Book = std::pair<const char *, const char *>;
    for (const Book &book : {Book{"Faust", "10"}, Book{"Faust", "2"}, Book{"Anna", "1"}}) {
        const auto &[title, volumes] = book;
        w->dbn->BtnClick(tk::DBNavigator::Button::Insert);
        w->tblMain->FieldByName(QStringLiteral("TITEL"))->SetAsString(QString::fromLatin1(title));
        w->pc->setCurrentIndex(2);
        const int row = grid->currentRow();
        QVERIFY(grid->setCellText(grid->index(row, kBaende), QString::fromLatin1(volumes)));
        QVERIFY(grid->setCellText(grid->index(row, kVerlag), QStringLiteral("Insel")));
        QTest::mouseClick(w->btnOK, Qt::LeftButton);
        QCOMPARE(w->tblMain->state(), tk::DataSet::State::Browse);
    }
    w->tblMain->First();
    QStringList order;
    for (; !w->tblMain->Eof(); w->tblMain->Next())
        order << w->tblMain->FieldByName(QStringLiteral("TITEL"))->AsString() + QLatin1Char(' ')
                     + QString::number(w->tblMain->FieldByName(QStringLiteral("BAENDE"))->AsInteger());
    QCOMPARE(order, (QStringList{QStringLiteral("Anna 1"), QStringLiteral("Faust 2"), QStringLiteral("Faust 10")}));
    QCOMPARE(w->tblMain->FieldByName(QStringLiteral("VERLAG"))->AsString(), QStringLiteral("Insel"));

    // In browse the grid's cells stay closed.
    QVERIFY(!grid->setCellText(grid->index(0, kVerlag), QStringLiteral("Reclam")));
}

void TestfrmBooks::bothLanguageFilesCarryTheWindowTexts()
{
    // Captions and hints of both windows.
    using Range = std::pair<int, int>;
    for (const Range &range : {Range{1300, 1400}, Range{1500, 1600}, Range{6300, 6400}, Range{6500, 6600}}) {
        const auto &[from, to] = range;
        const QSet<int> german = textNumbers("QorvaGER.lng", from, to);
        QVERIFY2(!german.isEmpty(), qPrintable(QString::number(from)));
        QCOMPARE(textNumbers("QorvaENG.lng", from, to), german);
    }
}

void TestfrmBooks::englishTextsAndScreenshots()
{
    tk::Language::current().clear();
    QVERIFY(collectiontest::startUp(m_dir->path(), "QorvaENG.lng"));
    const QString dir = config().ZVData;
    addRow(dir, "AUTOREN.DBF", schema::kAutoren, {{"AUTOR", QStringLiteral("Fontane, Theodor")}});
    addRow(dir, "BSPARTEN.DBF", schema::kBsparten, {{"SPARTE", QStringLiteral("Roman")}});
    addBook({{"TITEL", QStringLiteral("Effi Briest")}, {"AUTOR", QStringLiteral("Fontane, Theodor")},
             {"SPARTE", QStringLiteral("Roman")}, {"DESCRIBE", QStringLiteral("Erstausgabe im Schuber")},
             {"BUCH_NO", 17}, {"BUCH_ART", QStringLiteral("Gebunden")}, {"SEITEN", 312}, {"BAENDE", 1},
             {"VERLAG", QStringLiteral("Fischer")}, {"WERTUNG", QStringLiteral("2")}, {"PREIS", 24}, {"WERT", 180},
             {"VERL_NAM", QStringLiteral("Anna")}, {"VERL_DAT", QDate(2026, 11, 3)}, {"L_UPDATE", QDate(2026, 12, 1)}});
    auto w = openWindow();
    QCOMPARE(w->windowTitle(), QStringLiteral("Books: Effi Briest"));
    QCOMPARE(w->pc->tabText(0), QStringLiteral("Book"));
    QCOMPARE(w->btnPrint->toolTip(), QStringLiteral("Prints your book data."));
    QCOMPARE(w->btnFilter->objectName(), QStringLiteral("SpeedButton1"));
    QCOMPARE(w->dbvcbWertung->currentIndex(), 1);
    const QString shots = qEnvironmentVariable("TESSARON_SCREENSHOTS");
    if (!shots.isEmpty()) {
        for (const char *file : {"QorvaENG.lng", "QorvaGER.lng"}) {
            w.reset();
            QVERIFY(collectiontest::startUp(m_dir->path(), file));
            w = openWindow();
            const QString suffix = QString::fromLatin1(file).mid(5, 3).toLower();
            w->grab().save(shots + QStringLiteral("/books-") + suffix + QStringLiteral(".png"));
            w->pc->setCurrentIndex(2);
            w->grab().save(shots + QStringLiteral("/books-table-") + suffix + QStringLiteral(".png"));
        }
    }
}

TESSARON_TEST(TestfrmBooks)
#include "TestfrmBooks.moc"
