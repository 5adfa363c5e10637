// The book library window.
#include "windows/TfrmBooks.h"

#include "reports/ChoiceDialog.h"
#include "reports/ReportLayout.h"
#include "storage/TXbaseDataSet.h"
#include "toolkit/controls/DBDateEdit.h"
#include "toolkit/controls/DBEdit.h"
#include "toolkit/controls/DBLookupComboBox.h"
#include "toolkit/controls/DBText.h"
#include "toolkit/controls/TDBValueComboBox.h"
#include "toolkit/data/DataSource.h"
#include "toolkit/text/Tag.h"
#include "windows/DetailPage.h"

#include <QLabel>
#include <QPushButton>
#include <QTabWidget>

namespace {

using detailpage::column;

CollectionWindow::Design booksDesign()
{
    CollectionWindow::Design d;
    d.module = Module::Books;
    d.tableFile = "Books.dbf";
    d.keyPrefix = "BO";
    d.base = 1500;
    d.searchLabelTag = 42;
    d.searchFieldTag = 43;
    d.captionText = 10019;
    d.captionField = "TITEL";
    d.filterPage = 5;
    d.helpTag = 7;
    d.notesPageTag = 11;
    d.tablePageTag = 12;
    d.reportChoice = [](QWidget *parent) { return new TfrmRptw_B(parent); };
    d.layouts = {[](QObject *owner) { return new TfrmRpt_Boo1(owner); }, nullptr, nullptr};
    d.gridColumns = {column("TITEL", "Buchtitel"),        column("AUTOR", "Autor"),
                     column("DESCRIBE", "Beschreibung"),  column("SPARTE", "Sparte"),
                     column("SEITEN", "Seiten"),          column("VERLAG", "Verlag"),
                     column("BUCH_NO", "Buch Nr."),       column("BUCH_ART", "Buchtyp"),
                     column("BAENDE", "Bände"),           column("VERL_DAT", "Verleihdatum"),
                     column("VERL_NAM", "Verliehen an"),  column("VERL_VON", "ausgeliehen von"),
                     column("PREIS", "Preis"),            column("WERT", "Wert"),
                     column("WERTUNG", "Wertung")};
    return d;
}

} // namespace

TfrmBooks::TfrmBooks(QWidget *parent) : CollectionWindow(parent, booksDesign())
{
    setObjectName(QStringLiteral("frmBooks"));
    tblAutoren = new TXbaseDataSet(this);
    tblAutoren->setObjectName(QStringLiteral("tblAutoren"));
    tblBSparten = new TXbaseDataSet(this);
    tblBSparten->setObjectName(QStringLiteral("tblBSparten"));
    dsAutoren = new tk::DataSource(this);
    dsAutoren->SetDataSet(tblAutoren);
    dsBSparten = new tk::DataSource(this);
    dsBSparten->SetDataSet(tblBSparten);
    build();
    btnFilter->setObjectName(QStringLiteral("SpeedButton1"));
}

TfrmBooks::~TfrmBooks()
{
    // The lookup lists let go of their tables before the tables close.
    if (dblcInterpret)
        dblcInterpret->SetListSource(nullptr);
    if (dblcSparte)
        dblcSparte->SetListSource(nullptr);
    if (tblAutoren)
        tblAutoren->Close();
    if (tblBSparten)
        tblBSparten->Close();
}

QStringList TfrmBooks::bookTypes()
{
    return {QStringLiteral("Gebunden"), QStringLiteral("Taschenb."), QStringLiteral("Heft"),
            QStringLiteral("Mehrbändig")};
}

void TfrmBooks::createDetailPages(QTabWidget *pages)
{
    auto *book = new QWidget;
    book->setObjectName(QStringLiteral("tsBuch"));
    DetailPage p(book, dsMain);

    // Created in the tab order of the page.
    dbeBuch_No = p.edit("dbeBuch_No", "BUCH_NO", 16, 8);
    dbeBuch_No->SetCharCase(tk::DBEdit::CharCase::Upper);
    dbcbArt = p.valueList("dbcbArt", "BUCH_ART", 18);
    dbcbArt->SetItems(bookTypes());
    dbcbArt->SetValues(bookTypes());
    dblcSparte = p.lookup("dblcSparte", "SPARTE", 20, dsBSparten, "SPARTE");
    dbeSeiten = p.edit("dbeSeiten", "SEITEN", 22, 7);
    dblcInterpret = p.lookup("dblcInterpret", "AUTOR", 24, dsAutoren, "AUTOR");
    dbeTitel = p.edit("dbeTitel", "TITEL", 26);
    dbeDescribe = p.edit("dbeDescribe", "DESCRIBE", 28);
    dbcVerl_Dat = p.bind(new tk::DBDateEdit(book), "dbcVerl_Dat", "VERL_DAT", 30);
    dbeVerl_Nam = p.edit("dbeVerl_Nam", "VERL_NAM", 32);
    dbeVerl_Von = p.edit("dbeVerl_Von", "VERL_VON", 34);
    dbvcbWertung = p.valueList("dbvcbWertung", "WERTUNG", 36);
    dbePreis = p.edit("dbePreis", "PREIS", 38, 7);
    dbeWert = p.edit("dbeWert", "WERT", 40, 7);
    dbtL_Update = p.bind(new tk::DBText(book), "dbtL_Update", "L_UPDATE", 0);
    detailpage::setRatingItems(*dbvcbWertung, {QStringLiteral("sehr super !"), QStringLiteral("lesenswert"),
                                               QStringLiteral("spezial"), QStringLiteral("nun ja.."),
                                               QStringLiteral("schlecht")});

    // Columns: label, field, label, field.
    p.placePair(p.label(15, "&Nr.", dbeBuch_No), dbeBuch_No, 0, 0);
    p.placePair(p.label(17, "Typ", dbcbArt), dbcbArt, 0, 2);
    p.placePair(p.label(19, "Sparte", dblcSparte), dblcSparte, 1, 0);
    p.placePair(p.label(21, "&Seiten", dbeSeiten), dbeSeiten, 1, 2);
    p.placePair(p.label(23, "&Autor", dblcInterpret), dblcInterpret, 2, 0, 3);
    p.placePair(p.label(25, "Titel", dbeTitel), dbeTitel, 3, 0, 3);
    p.placePair(p.label(27, "&Bezeichnung", dbeDescribe), dbeDescribe, 4, 0, 3);
    p.placePair(p.label(29, "&verliehen am:", dbcVerl_Dat), dbcVerl_Dat, 5, 0);
    p.placePair(p.label(31, "an:", dbeVerl_Nam), dbeVerl_Nam, 5, 2);
    p.placePair(p.label(33, "von:", dbeVerl_Von), dbeVerl_Von, 6, 2);
    p.placePair(p.label(35, "&Wertung", dbvcbWertung), dbvcbWertung, 7, 0);
    p.placePair(p.label(37, "Preis:", dbePreis), dbePreis, 8, 0);
    p.placePair(p.label(39, "Wert:", dbeWert), dbeWert, 8, 2);
    p.placePair(p.label(41, "Letzte Änderung:"), dbtL_Update, 9, 0);
    p.grid()->setRowStretch(10, 1);
    p.grid()->setColumnStretch(1, 1);
    p.grid()->setColumnStretch(3, 1);

    DetailPage::tabOrder({dbeBuch_No, dbcbArt, dblcSparte, dbeSeiten, dblcInterpret, dbeTitel, dbeDescribe,
                          dbcVerl_Dat, dbeVerl_Nam, dbeVerl_Von, dbvcbWertung, dbePreis, dbeWert});
    pages->addTab(book, QStringLiteral("Buch"));
    tk::setTag(book, 10);
}

void TfrmBooks::prepare()
{
    detailpage::openReference(*tblAutoren, "AUTOREN.DBF");
    detailpage::openReference(*tblBSparten, "BSPARTEN.DBF");
    // The language file's rating items replace the design items now.
    detailpage::setRatingItems(*dbvcbWertung, dbvcbWertung->Items());
}

void TfrmBooks::newRecordDefaults()
{
    tblMain->FieldByName(QStringLiteral("WERTUNG"))->SetAsString(QStringLiteral("2"));
}

QWidget *TfrmBooks::firstInputField(bool)
{
    return dbeBuch_No;
}
