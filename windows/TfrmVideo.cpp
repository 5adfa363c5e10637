// The video collection window.
#include "windows/TfrmVideo.h"

#include "reports/ChoiceDialog.h"
#include "reports/ReportLayout.h"
#include "storage/TXbaseDataSet.h"
#include "toolkit/controls/DBCheckBox.h"
#include "toolkit/controls/DBComboBox.h"
#include "toolkit/controls/DBDateEdit.h"
#include "toolkit/controls/DBEdit.h"
#include "toolkit/controls/DBLookupComboBox.h"
#include "toolkit/controls/DBText.h"
#include "toolkit/controls/TDBValueComboBox.h"
#include "toolkit/data/DataSource.h"
#include "toolkit/text/Tag.h"
#include "windows/DetailPage.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QTabWidget>

namespace {

using detailpage::column;

CollectionWindow::Design videoDesign()
{
    CollectionWindow::Design d;
    d.module = Module::Videos;
    d.tableFile = "VIDEO.DBF";
    d.keyPrefix = "VI";
    d.base = 1300;
    d.searchLabelTag = 51;
    d.searchFieldTag = 0;
    d.captionText = 10007;
    d.captionField = "TITEL";
    d.filterPage = 4;
    d.helpTag = 7;
    d.notesPageTag = 11;
    d.tablePageTag = 12;
    d.reportChoice = [](QWidget *parent) { return new TfrmRptw_V(parent); };
    d.layouts = {[](QObject *owner) { return new TfrmRpt_Vid1(owner); }, nullptr, nullptr};
    const Qt::Alignment centre = Qt::AlignCenter;
    d.gridColumns = {column("TITEL", "Filmtitel", 40),
                     column("DESCRIBE", "Beschreibung", 78),
                     column("SPARTE", "Sparte", 24),
                     column("LAENGE", "Länge", 6),
                     column("REGIE", "Regie", 29),
                     column("DARSTELLER", "Darsteller", 58),
                     column("POS_VON", "Pos. von", 9),
                     column("POS_BIS", "..bis", 7),
                     column("CASS_NO", "Cass.#", 7, centre),
                     column("CASS_LEN", "Bandlänge", 10, centre),
                     column("VERL_DAT", "Verleihdatum", 13),
                     column("VERL_NAM", "verliehen an:", 27),
                     column("VERL_VON", "ausgeliehen von:", 24),
                     column("STEREO", "Stereo", 7, centre),
                     column("PREIS", "Preis", 11, {}, "###,###", "######"),
                     column("WERT", "Wert", 11, {}, "###,###", "######")};
    return d;
}

} // namespace

TfrmVideo::TfrmVideo(QWidget *parent) : CollectionWindow(parent, videoDesign())
{
    setObjectName(QStringLiteral("frmVideo"));
    tblVSparten = new TXbaseDataSet(this);
    tblVSparten->setObjectName(QStringLiteral("tblVSparten"));
    dsVSparten = new tk::DataSource(this);
    dsVSparten->SetDataSet(tblVSparten);
    build();
}

TfrmVideo::~TfrmVideo()
{
    // The genre list lets go of its table before the table closes.
    if (dblcSparte)
        dblcSparte->SetListSource(nullptr);
    if (tblVSparten)
        tblVSparten->Close();
}

QStringList TfrmVideo::tapeLengths()
{
    return {QStringLiteral("  15"), QStringLiteral("  30"), QStringLiteral("  45"), QStringLiteral("  60"),
            QStringLiteral("  90"), QStringLiteral("100"),  QStringLiteral("120"),  QStringLiteral("140"),
            QStringLiteral("160"),  QStringLiteral("180"),  QStringLiteral("200"),  QStringLiteral("210"),
            QStringLiteral("240"),  QStringLiteral("300"),  QStringLiteral("320"),  QStringLiteral("340"),
            QStringLiteral("360"),  QStringLiteral("400")};
}

void TfrmVideo::createDetailPages(QTabWidget *pages)
{
    auto *personal = new QWidget;
    personal->setObjectName(QStringLiteral("tsPersoenlich"));
    DetailPage p(personal, dsMain);

    // Created in the tab order of the page.
    dbeTitel = p.edit("dbeTitel", "TITEL", 16);
    dblcSparte = p.lookup("dblcSparte", "SPARTE", 18, dsVSparten, "SPARTE");
    dbeDescribe = p.edit("dbeDescribe", "DESCRIBE", 20);
    dbeRegie = p.edit("dbeRegie", "REGIE", 22);
    dbeDarsteller = p.edit("dbeDarsteller", "DARSTELLER", 24);
    dbeCass_No = p.edit("dbeCass_No", "CASS_NO", 26, 7);
    dbePos_Von = p.edit("dbePos_Von", "POS_VON", 28, 7);
    dbePos_Bis = p.edit("dbePos_Bis", "POS_BIS", 30, 7);
    dbeLaenge = p.edit("dbeLaenge", "LAENGE", 32, 7);
    dbcbCass_Len = p.bind(new tk::DBComboBox(personal), "dbcbCass_Len", "CASS_LEN", 35);
    dbcbCass_Len->addItems(tapeLengths());
    dbcbCass_Len->setMaxVisibleItems(12);
    DetailPage::fitChars(dbcbCass_Len, 8);
    dbcbStereo = p.bind(new tk::DBCheckBox(personal), "dbcbStereo", "STEREO", 37);
    dbcbStereo->setText(QStringLiteral("S&tereo"));
    dbcbStereo->ValueChecked = QStringLiteral("J");
    dbcbStereo->ValueUnchecked = QStringLiteral("N");
    dbcVerlDat = p.bind(new tk::DBDateEdit(personal), "dbcVerlDat", "VERL_DAT", 39);
    dbeVerl_Nam = p.edit("dbeVerl_Nam", "VERL_NAM", 41);
    dbeVerl_Nam->setToolTip(QStringLiteral("Geben Sie hier ein, an wen sie die CD/MC/LP verliehen haben..."));
    dbeVerl_Von = p.edit("dbeVerl_Von", "VERL_VON", 43);
    dbvcbWertung = p.valueList("dbvcbWertung", "WERTUNG", 45);
    dbePreis = p.edit("dbePreis", "PREIS", 47, 7);
    dbeWert = p.edit("dbeWert", "WERT", 49, 7);
    dbtL_Update = p.bind(new tk::DBText(personal), "dbtL_Update", "L_UPDATE", 0);
    detailpage::setRatingItems(*dbvcbWertung, {QStringLiteral("sehr super !"), QStringLiteral("hörenswert"),
                                               QStringLiteral("spezial"), QStringLiteral("nun ja.."),
                                               QStringLiteral("schlecht")});

    // Columns: label, field, label, field, label, field.
    p.placePair(p.label(15, "&Filmtitel", dbeTitel), dbeTitel, 0, 0, 5);
    p.placePair(p.label(17, "Sparte", dblcSparte), dblcSparte, 1, 0, 2);
    p.placePair(p.label(19, "&Beschreibung", dbeDescribe), dbeDescribe, 2, 0, 5);
    p.placePair(p.label(21, "&Regie", dbeRegie), dbeRegie, 3, 0);
    p.placePair(p.label(23, "Darsteller", dbeDarsteller), dbeDarsteller, 4, 0, 5);
    p.placePair(p.label(25, "Cassette &Nr.", dbeCass_No), dbeCass_No, 5, 0);
    {
        auto *positions = new QHBoxLayout;
        positions->addWidget(dbePos_Von);
        positions->addWidget(p.label(29, "......bis:", dbePos_Bis));
        positions->addWidget(dbePos_Bis);
        positions->addStretch(1);
        p.place(p.label(27, "Bandposition", dbePos_Von), 5, 2);
        p.grid()->addLayout(positions, 5, 3, 1, 3);
    }
    {
        auto *length = new QHBoxLayout;
        length->addWidget(dbeLaenge);
        length->addWidget(p.label(33, "Std."));
        length->addStretch(1);
        p.place(p.label(31, "Film&länge", dbeLaenge), 6, 0);
        p.grid()->addLayout(length, 6, 1);
        auto *tape = new QHBoxLayout;
        tape->addWidget(dbcbCass_Len);
        tape->addWidget(p.label(36, "Min."));
        tape->addSpacing(12);
        tape->addWidget(dbcbStereo);
        tape->addStretch(1);
        p.place(p.label(34, "Bandlänge", dbcbCass_Len), 6, 2);
        p.grid()->addLayout(tape, 6, 3, 1, 3);
    }
    p.placePair(p.label(38, "&verliehen am:", dbcVerlDat), dbcVerlDat, 7, 0);
    p.placePair(p.label(40, "an:", dbeVerl_Nam), dbeVerl_Nam, 7, 2, 3);
    p.placePair(p.label(42, "von:", dbeVerl_Von), dbeVerl_Von, 8, 0);
    p.placePair(p.label(44, "&Wertung", dbvcbWertung), dbvcbWertung, 8, 2, 3);
    {
        auto *money = new QHBoxLayout;
        money->addWidget(dbePreis);
        money->addSpacing(12);
        money->addWidget(p.label(48, "Wert:", dbeWert));
        money->addWidget(dbeWert);
        money->addStretch(1);
        p.place(p.label(46, "Preis:", dbePreis), 9, 0);
        p.grid()->addLayout(money, 9, 1);
    }
    p.placePair(p.label(50, "Letzte Änderung:"), dbtL_Update, 9, 2, 3);
    p.grid()->setRowStretch(10, 1);
    p.grid()->setColumnStretch(1, 1);
    p.grid()->setColumnStretch(3, 1);

    DetailPage::tabOrder({dbeTitel, dblcSparte, dbeDescribe, dbeRegie, dbeDarsteller, dbeCass_No, dbePos_Von,
                          dbePos_Bis, dbeLaenge, dbcbCass_Len, dbcbStereo, dbcVerlDat, dbeVerl_Nam, dbeVerl_Von,
                          dbvcbWertung, dbePreis, dbeWert});
    pages->addTab(personal, QStringLiteral("Persönliches"));
    tk::setTag(personal, 10);
}

void TfrmVideo::prepare()
{
    detailpage::openReference(*tblVSparten, "VSPARTEN.DBF");
    // The language file's rating items replace the design items now.
    detailpage::setRatingItems(*dbvcbWertung, dbvcbWertung->Items());
}

void TfrmVideo::newRecordDefaults()
{
    tblMain->FieldByName(QStringLiteral("STEREO"))->SetAsString(QStringLiteral("N"));
}

QWidget *TfrmVideo::firstInputField(bool inserting)
{
    return inserting ? static_cast<QWidget *>(dbeCass_No) : static_cast<QWidget *>(dbeTitel);
}
