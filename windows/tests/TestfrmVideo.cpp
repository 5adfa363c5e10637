// The video collection on real tables: new-record defaults and focus, the
// rating and stereo codes, the free tape length, the genre lookup and the
// grid's columns, the sort and print buttons.
#include "reports/ChoiceDialog.h"
#include "toolkit/controls/DBCheckBox.h"
#include "toolkit/controls/DBComboBox.h"
#include "toolkit/controls/DBEdit.h"
#include "toolkit/controls/DBLookupComboBox.h"
#include "toolkit/controls/TDBValueComboBox.h"
#include "windows/TfrmVideo.h"
#include "xbase/api/XbApi.h"

#include "CollectionTestData.h"

#include <QApplication>
#include <QDate>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTimer>

#include "testing/TestRegistry.h"

using collectiontest::addRow;

class TestfrmVideo : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void newFilmHasStereoClearedNoRatingAndItsFocus();
    void ratingShowsOnlyKnownCodesAndStoresTheChosenOne();
    void tapeLengthTakesSuggestionsAndFreeValues();
    void genreMissingFromTheGenresShowsInTheGridOnly();
    void sortAndUnlaidReportsShowTheNotice();
    void englishTextsAndScreenshots();

private:
    std::unique_ptr<TfrmVideo> openWindow();
    void addFilm(collectiontest::Values values);

    std::unique_ptr<QTemporaryDir> m_dir;
};

void TestfrmVideo::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(collectiontest::startUp(m_dir->path()));
    QVERIFY(collectiontest::createTables(config().ZVData, {schema::kVideo, schema::kVsparten, schema::kNotizen}));
}

void TestfrmVideo::cleanup()
{
    xb_CloseAll();
    tk::MessageBox::clearPresets();
    tk::Language::current().clear();
}

std::unique_ptr<TfrmVideo> TestfrmVideo::openWindow()
{
    auto w = std::make_unique<TfrmVideo>();
    w->show();
    w->activateWindow();
    return w;
}

void TestfrmVideo::addFilm(collectiontest::Values values)
{
    addRow(config().ZVData, "VIDEO.DBF", schema::kVideo, values);
}

void TestfrmVideo::newFilmHasStereoClearedNoRatingAndItsFocus()
{
    auto w = openWindow();
    QVERIFY(config().open(Module::Videos));
    QVERIFY(QTest::qWaitForWindowActive(w.get()));
    w->pc->setCurrentIndex(1);
    w->dbn->BtnClick(tk::DBNavigator::Button::Insert);
    QCOMPARE(w->pc->currentIndex(), 0);
    QCOMPARE(QApplication::focusWidget(), w->dbeCass_No);
    QVERIFY(w->tblMain->FieldByName(QStringLiteral("INR"))->AsString().startsWith(QStringLiteral("VI")));
    QCOMPARE(w->tblMain->FieldByName(QStringLiteral("STEREO"))->AsString(), QStringLiteral("N"));
    QCOMPARE(w->dbcbStereo->checkState(), Qt::Unchecked);
    QCOMPARE(w->dbvcbWertung->currentIndex(), -1);
    QCOMPARE(w->tblNotizen->state(), tk::DataSet::State::Browse); // notes stay in browse on insert
    w->tblMain->FieldByName(QStringLiteral("TITEL"))->SetAsString(QStringLiteral("Metropolis"));
    QTest::mouseClick(w->btnOK, Qt::LeftButton);
    QCOMPARE(w->windowTitle(), QStringLiteral("Videos: Metropolis"));

    // Ticking the box stores "J"; edit focuses the title on the first page.
    w->dbn->BtnClick(tk::DBNavigator::Button::Edit);
    QCOMPARE(QApplication::focusWidget(), w->dbeTitel);
    QCOMPARE(w->tblNotizen->state(), tk::DataSet::State::Edit);
    w->dbcbStereo->click();
    QCOMPARE(w->tblMain->FieldByName(QStringLiteral("STEREO"))->AsString(), QStringLiteral("J"));
    QTest::mouseClick(w->btnOK, Qt::LeftButton);

    // Edit on another page leaves the focus where it is.
    w->pc->setCurrentIndex(2);
    w->dbgTabelle->setFocus();
    w->dbn->BtnClick(tk::DBNavigator::Button::Edit);
    QCOMPARE(QApplication::focusWidget(), w->dbgTabelle);
    w->tblMain->Cancel();
}

void TestfrmVideo::ratingShowsOnlyKnownCodesAndStoresTheChosenOne()
{
    addFilm({{"TITEL", QStringLiteral("Alpha")}, {"WERTUNG", QStringLiteral("7")}});
    addFilm({{"TITEL", QStringLiteral("Beta")}, {"WERTUNG", QStringLiteral("4")}});
    auto w = openWindow();
    // The items come from the language file, one per line, else the design's.
    QCOMPARE(w->dbvcbWertung->count(), 5);
    tk::Language::current().load(QByteArray("10018=eins\\nzwei\\ndrei\\nvier\\nfuenf\r\n"));
    auto translated = std::make_unique<TfrmVideo>();
    QCOMPARE(translated->dbvcbWertung->itemText(1), QStringLiteral("zwei"));
    translated.reset();
    QCOMPARE(w->dbvcbWertung->currentIndex(), -1);
    w->tblMain->Next();
    QCOMPARE(w->dbvcbWertung->currentIndex(), 3);
    w->tblMain->First();
    QCOMPARE(w->dbvcbWertung->currentIndex(), -1);

    // In browse a choice changes nothing; in edit it stores the code.
    w->dbvcbWertung->setCurrentIndex(0);
    emit w->dbvcbWertung->activated(0);
    QCOMPARE(w->tblMain->state(), tk::DataSet::State::Browse);
    QCOMPARE(w->dbvcbWertung->currentIndex(), -1);
    w->dbn->BtnClick(tk::DBNavigator::Button::Edit);
    w->dbvcbWertung->setCurrentIndex(2);
    emit w->dbvcbWertung->activated(2);
    QCOMPARE(w->tblMain->FieldByName(QStringLiteral("WERTUNG"))->AsString(), QStringLiteral("3"));
    QTest::mouseClick(w->btnOK, Qt::LeftButton);
    w.reset();
    auto again = openWindow();
    QCOMPARE(again->tblMain->FieldByName(QStringLiteral("WERTUNG"))->AsString(), QStringLiteral("3"));
    QCOMPARE(again->dbvcbWertung->currentIndex(), 2);
}

void TestfrmVideo::tapeLengthTakesSuggestionsAndFreeValues()
{
    addFilm({{"TITEL", QStringLiteral("Lang")}, {"CASS_LEN", 240}});
    auto w = openWindow();
    QCOMPARE(w->dbcbCass_Len->count(), 18);
    QCOMPARE(w->dbcbCass_Len->itemText(0), QStringLiteral("  15"));
    QCOMPARE(w->dbcbCass_Len->currentText(), QStringLiteral("240"));

    // A suggestion with its leading blanks is a number all the same.
    w->dbn->BtnClick(tk::DBNavigator::Button::Edit);
    w->dbcbCass_Len->setCurrentIndex(4);
    emit w->dbcbCass_Len->activated(4);
    QCOMPARE(w->tblMain->FieldByName(QStringLiteral("CASS_LEN"))->AsInteger(), 90);

    // A length that is no suggestion goes in as typed.
    w->dbcbCass_Len->setFocus();
    w->dbcbCass_Len->lineEdit()->selectAll();
    QTest::keyClicks(w->dbcbCass_Len->lineEdit(), QStringLiteral("195"));
    QTest::mouseClick(w->btnOK, Qt::LeftButton);
    QCOMPARE(w->tblMain->state(), tk::DataSet::State::Browse);
    QCOMPARE(w->tblMain->FieldByName(QStringLiteral("CASS_LEN"))->AsInteger(), 195);
    QCOMPARE(w->dbcbCass_Len->currentText(), QStringLiteral("195"));
}

void TestfrmVideo::genreMissingFromTheGenresShowsInTheGridOnly()
{
    const QString dir = config().ZVData;
    addRow(dir, "VSPARTEN.DBF", schema::kVsparten, {{"SPARTE", QStringLiteral("Western")}});
    addRow(dir, "VSPARTEN.DBF", schema::kVsparten, {{"SPARTE", QStringLiteral("Krimi")}});
    addFilm({{"TITEL", QStringLiteral("Aida")}, {"SPARTE", QStringLiteral("Oper")}, {"PREIS", 12345},
             {"CASS_NO", 7}});
    addFilm({{"TITEL", QStringLiteral("Zorro")}, {"SPARTE", QStringLiteral("Western")}});
    auto w = openWindow();
    // Only the genre table's entries, in its order.
    QCOMPARE(w->dblcSparte->count(), 2);
    QCOMPARE(w->dblcSparte->itemText(0), QStringLiteral("Krimi"));
    QCOMPARE(w->dblcSparte->currentIndex(), -1);
    QCOMPARE(w->dblcSparte->currentText(), QString());

    w->pc->setCurrentIndex(2);
    tk::DBGridModel *grid = w->dbgTabelle->gridModel();
    QCOMPARE(grid->columnCount(), 16);
    QCOMPARE(grid->headerData(2, Qt::Horizontal).toString(), QStringLiteral("Sparte"));
    QCOMPARE(grid->data(grid->index(0, 2)).toString().trimmed(), QStringLiteral("Oper"));
    // Price grouped in thousands without decimals; the cassette centred.
    QCOMPARE(grid->data(grid->index(0, 14)).toString().trimmed(), QStringLiteral("12.345"));
    QVERIFY(grid->data(grid->index(0, 8), Qt::TextAlignmentRole).value<Qt::Alignment>() & Qt::AlignHCenter);

    w->tblMain->Next();
    QCOMPARE(w->dblcSparte->currentText(), QStringLiteral("Western"));
}

void TestfrmVideo::sortAndUnlaidReportsShowTheNotice()
{
    addFilm({{"TITEL", QStringLiteral("Casablanca")}});
    addFilm({{"TITEL", QStringLiteral("Vertigo")}});
    auto w = openWindow();
    tk::MessageBox::presetAnswer(tk::MessageBox::Answer::Ok);
    QTest::mouseClick(w->btnSort, Qt::LeftButton);
    QCOMPARE(tk::MessageBox::lastText(), QStringLiteral("notice"));

    // "Videos nach Sparten" has no layout.
    tk::MessageBox::clearPresets();
    tk::MessageBox::presetAnswer(tk::MessageBox::Answer::Ok);
    QTimer::singleShot(0, [] {
        auto *dialog = qobject_cast<TfrmRptw_V *>(QApplication::activeModalWidget());
        QVERIFY(dialog);
        dialog->findChildren<QRadioButton *>().at(1)->setChecked(true);
        QTest::mouseClick(dialog->btnOK, Qt::LeftButton);
    });
    QTest::mouseClick(w->btnPrint, Qt::LeftButton);
    QCOMPARE(ChoiceDialog::reportNumber(), 1);
    QCOMPARE(tk::MessageBox::lastText(), QStringLiteral("notice"));

    // The quick search finds a film by the start of its title.
    w->meSuche->setText(QStringLiteral("ver"));
    QCOMPARE(w->tblMain->FieldByName(QStringLiteral("TITEL"))->AsString(), QStringLiteral("Vertigo"));
}

void TestfrmVideo::englishTextsAndScreenshots()
{
    tk::Language::current().clear();
    QVERIFY(collectiontest::startUp(m_dir->path(), "QorvaENG.lng"));
    addRow(config().ZVData, "VSPARTEN.DBF", schema::kVsparten, {{"SPARTE", QStringLiteral("Science-Fiction")}});
    addFilm({{"TITEL", QStringLiteral("Metropolis")}, {"DESCRIBE", QStringLiteral("Stummfilm, restaurierte Fassung")},
             {"SPARTE", QStringLiteral("Science-Fiction")}, {"REGIE", QStringLiteral("Fritz Lang")},
             {"DARSTELLER", QStringLiteral("Brigitte Helm, Gustav Fröhlich")}, {"CASS_NO", 12}, {"POS_VON", 120},
             {"POS_BIS", 2650}, {"LAENGE", QStringLiteral("2:28")}, {"CASS_LEN", 240}, {"STEREO", QStringLiteral("N")},
             {"WERTUNG", QStringLiteral("1")}, {"PREIS", 25}, {"WERT", 1200}, {"L_UPDATE", QDate(2026, 12, 1)}});
    auto w = openWindow();
    QCOMPARE(w->windowTitle(), QStringLiteral("Videos: Metropolis"));
    QCOMPARE(w->pc->tabText(0), QStringLiteral("Details"));
    QCOMPARE(w->lblSuche->text(), QStringLiteral("&Quick search:"));
    QCOMPARE(w->dbcbStereo->text(), QStringLiteral("S&tereo"));
    QCOMPARE(w->dbeVerl_Nam->toolTip(), QStringLiteral("Enter here to whom you lent the CD/MC/LP..."));
    QCOMPARE(w->dbvcbWertung->currentIndex(), 0);
    const QString dir = qEnvironmentVariable("TESSARON_SCREENSHOTS");
    if (!dir.isEmpty()) {
        for (const char *file : {"QorvaENG.lng", "QorvaGER.lng"}) {
            w.reset();
            QVERIFY(collectiontest::startUp(m_dir->path(), file));
            w = openWindow();
            const QString suffix = QString::fromLatin1(file).mid(5, 3).toLower();
            w->grab().save(dir + QStringLiteral("/video-") + suffix + QStringLiteral(".png"));
            w->pc->setCurrentIndex(2);
            w->grab().save(dir + QStringLiteral("/video-table-") + suffix + QStringLiteral(".png"));
        }
    }
}

TESSARON_TEST(TestfrmVideo)
#include "TestfrmVideo.moc"
