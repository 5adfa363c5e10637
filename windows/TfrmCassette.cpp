// The music collection window: the detail page, the titles of the current
// carrier and the frame's parts. The player and the CDDB page are in
// TfrmCassetteCd.cpp.
#include "windows/TfrmCassette.h"

#include "app/Language.h"
#include "media/CdDrives.h"
#include "media/TableCddbStore.h"
#include "reports/ChoiceDialog.h"
#include "reports/ReportLayout.h"
#include "storage/TXbaseDataSet.h"
#include "storage/XbaseQuote.h"
#include "toolkit/controls/DBCheckBox.h"
#include "toolkit/controls/DBComboBox.h"
#include "toolkit/controls/DBDateEdit.h"
#include "toolkit/controls/DBEdit.h"
#include "toolkit/controls/DBLookupComboBox.h"
#include "toolkit/controls/DBText.h"
#include "toolkit/controls/TDBValueComboBox.h"
#include "toolkit/data/DataSource.h"
#include "toolkit/text/ExceptionGuard.h"
#include "toolkit/text/Language.h"
#include "toolkit/text/Tag.h"

#include <QApplication>
#include <QBoxLayout>
#include <QCloseEvent>
#include <QGridLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTabWidget>
#include <QTableWidget>
#include <QTimer>
#include <QToolButton>

namespace {

constexpr int kTextCaption = 10003;
constexpr int kTextRatingItems = 10018;
constexpr int kTextTitlesPage = 1253;
constexpr int kTitlesTag = 4; // CASS_NO

CollectionWindow::Design musicDesign()
{
    CollectionWindow::Design d;
    d.module = Module::Music;
    d.tableFile = "CASSETTE.DBF";
    d.keyPrefix = "CA";
    d.base = 1200;
    d.searchLabelTag = 49;
    d.searchFieldTag = 53;
    d.captionText = kTextCaption;
    d.captionField = "LIEDERL";
    d.filterPage = 2;
    d.helpTag = 7;
    d.notesPageTag = 51;
    d.tablePageTag = 52;
    d.reportChoice = [](QWidget *parent) { return new TfrmRptw_C(parent); };
    d.layouts = {[](QObject *owner) { return new TfrmRpt_Cas1(owner); },
                 [](QObject *owner) { return new TfrmRpt_Cas2(owner); },
                 [](QObject *owner) { return new TfrmRpt_Cas3(owner); },
                 [](QObject *owner) { return new TfrmRpt_Cas4(owner); }};
    auto col = [](const char *field, const char *title, int width, bool centred = false) {
        tk::DBGridColumn c;
        c.FieldName = QString::fromLatin1(field);
        c.Title = QString::fromUtf8(title);
        c.Width = width;
        if (centred)
            c.Alignment = Qt::AlignCenter;
        return c;
    };
    d.gridColumns = {col("LIEDERL", "Musikstück", 35),      col("INTERPRET", "Interpret", 35),
                     col("CASS_NO", "Nr.", 5, true),        col("SPARTE", "Sparte", 20),
                     col("ART", "Art", 4),                  col("DESCRIBE", "Beschreibung", 20),
                     col("LAUFZEIT", "Laufzeit", 9, true),  col("VERL_DAT", "Verleihdatum", 12),
                     col("VERL_NAM", "verliehen an:", 20),  col("VERL_VON", "ausgeliehen von:", 20),
                     col("STEREO", "Stereo", 6, true),      col("PREIS", "Preis", 8),
                     col("WERT", "Wert", 8),                col("TRACK", "TRACK", 6),
                     col("CDDB_ID", "CDDB_ID", 9)};
    return d;
}

QLabel *label(QWidget *parent, int tag, const char *caption)
{
    auto *l = new QLabel(QString::fromUtf8(caption), parent);
    tk::setTag(l, tag);
    return l;
}

tk::DBEdit *edit(QWidget *parent, const char *name, const char *field, int tag)
{
    auto *e = new tk::DBEdit(parent);
    e->setObjectName(QString::fromLatin1(name));
    e->SetDataField(QString::fromLatin1(field));
    tk::setTag(e, tag);
    return e;
}

} // namespace

media::LibcdioDevice::PlayPath TfrmCassette::playPathOf(CdPlayMode mode)
{
    switch (mode) {
    case CdPlayMode::Analog: return media::LibcdioDevice::PlayPath::Analog;
    case CdPlayMode::Digital: return media::LibcdioDevice::PlayPath::Digital;
    case CdPlayMode::Automatic: break;
    }
    return media::LibcdioDevice::PlayPath::DigitalOrAnalog;
}

TfrmCassette::TfrmCassette(QWidget *parent, std::unique_ptr<media::CdDrives> drives)
    : CollectionWindow(parent, musicDesign()), m_drives(std::move(drives))
{
    setObjectName(QStringLiteral("frmCassette"));
    if (!m_drives)
        m_drives = std::make_unique<media::SystemCdDrives>(playPathOf(config().CDPlay));
    tblSparten = new TXbaseDataSet(this);
    tblSparten->setObjectName(QStringLiteral("tblSparten"));
    tblInterpret = new TXbaseDataSet(this);
    tblInterpret->setObjectName(QStringLiteral("tblInterpret"));
    dsSparten = new tk::DataSource(this);
    dsSparten->SetDataSet(tblSparten);
    dsInterpret = new tk::DataSource(this);
    dsInterpret->SetDataSet(tblInterpret);
    build();
    // After the frame's own handler: which filter the window now shows.
    connect(btnFilter, &QPushButton::clicked, this, [this] { noteFilter(); });
    dbgTabelle->setObjectName(QStringLiteral("dbgCassette"));
}

TfrmCassette::~TfrmCassette()
{
    if (Timer1)
        Timer1->stop();
    if (tblSparten)
        tblSparten->Close();
    if (tblInterpret)
        tblInterpret->Close();
}

void TfrmCassette::createDetailPages(QTabWidget *pages)
{
    TabSheet1 = new QWidget;
    TabSheet1->setObjectName(QStringLiteral("TabSheet1"));
    auto *g = new QGridLayout(TabSheet1);
    g->setVerticalSpacing(3);
    g->setHorizontalSpacing(6);

    dbeCass_No = edit(TabSheet1, "dbeCass_No", "CASS_NO", 21);
    dbeCass_No->SetCharCase(tk::DBEdit::CharCase::Upper);
    dbeCass_No->setMaximumWidth(60);
    dbcbArt = new tk::DBComboBox(TabSheet1);
    dbcbArt->setObjectName(QStringLiteral("dbcbArt"));
    dbcbArt->SetDataField(QStringLiteral("ART"));
    dbcbArt->addItems({QStringLiteral("CD"), QStringLiteral("MC"), QStringLiteral("LP"), QStringLiteral("DC")});
    dbcbArt->setMaximumWidth(70);
    tk::setTag(dbcbArt, 23);
    dblcSparte = new tk::DBLookupComboBox(TabSheet1);
    dblcSparte->setObjectName(QStringLiteral("dblcSparte"));
    dblcSparte->SetDataField(QStringLiteral("SPARTE"));
    dblcSparte->SetKeyField(QStringLiteral("SPARTE"));
    dblcSparte->SetListField(QStringLiteral("SPARTE"));
    dblcSparte->setMinimumWidth(140);
    tk::setTag(dblcSparte, 25);
    dbeLaufzeit = edit(TabSheet1, "dbeLaufzeit", "LAUFZEIT", 27);
    dbeLaufzeit->SetEditMask(QStringLiteral("!90:00:00;1;_"));
    dbeLaufzeit->setMaximumWidth(80);
    dblcInterpret = new tk::DBLookupComboBox(TabSheet1);
    dblcInterpret->setObjectName(QStringLiteral("dblcInterpret"));
    dblcInterpret->SetDataField(QStringLiteral("INTERPRET"));
    dblcInterpret->SetKeyField(QStringLiteral("INTERPRET"));
    dblcInterpret->SetListField(QStringLiteral("INTERPRET"));
    tk::setTag(dblcInterpret, 29);
    dbeLiederl = edit(TabSheet1, "dbeLiederl", "LIEDERL", 31);
    dbeDescribe = edit(TabSheet1, "dbeDescribe", "DESCRIBE", 33);
    dbcbStereo = new tk::DBCheckBox(TabSheet1);
    dbcbStereo->setObjectName(QStringLiteral("dbcbStereo"));
    dbcbStereo->setText(QStringLiteral("S&tereo"));
    dbcbStereo->SetDataField(QStringLiteral("STEREO"));
    dbcbStereo->ValueChecked = QStringLiteral("J");
    dbcbStereo->ValueUnchecked = QStringLiteral("N");
    tk::setTag(dbcbStereo, 34);
    dbcVerl_Dat = new tk::DBDateEdit(TabSheet1);
    dbcVerl_Dat->setObjectName(QStringLiteral("dbcVerl_Dat"));
    dbcVerl_Dat->SetDataField(QStringLiteral("VERL_DAT"));
    tk::setTag(dbcVerl_Dat, 36);
    dbeVerl_Nam = edit(TabSheet1, "dbeVerl_Nam", "VERL_NAM", 38);
    dbeVerl_Von = edit(TabSheet1, "dbeVerl_Von", "VERL_VON", 40);
    dbvcbWertung = new tk::TDBValueComboBox(TabSheet1);
    dbvcbWertung->setObjectName(QStringLiteral("dbvcbWertung"));
    dbvcbWertung->SetDataField(QStringLiteral("WERTUNG"));
    dbvcbWertung->SetItems({QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("3"), QStringLiteral("4"),
                            QStringLiteral("5")});
    dbvcbWertung->SetValues({QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("3"), QStringLiteral("4"),
                             QStringLiteral("5")});
    dbvcbWertung->setMinimumWidth(140);
    tk::setTag(dbvcbWertung, 42);
    dbePreis = edit(TabSheet1, "dbePreis", "PREIS", 44);
    dbeWert = edit(TabSheet1, "dbeWert", "WERT", 47);
    DBText1 = new tk::DBText(TabSheet1);
    DBText1->setObjectName(QStringLiteral("DBText1"));
    DBText1->SetDataField(QStringLiteral("L_UPDATE"));

    auto put = [&](int row, int column, int tag, const char *caption, QWidget *field, int span = 1) {
        if (tag) {
            QLabel *l = label(TabSheet1, tag, caption);
            l->setBuddy(field);
            g->addWidget(l, row, column);
        }
        g->addWidget(field, row, column + 1, 1, span);
    };
    // Number, kind and genre in the first row; the carrier and its title
    // below; lending, rating and prices at the bottom.
    {
        auto *first = new QHBoxLayout;
        first->addWidget(dbeCass_No);
        QLabel *typ = label(TabSheet1, 22, "Typ");
        typ->setBuddy(dbcbArt);
        first->addSpacing(8);
        first->addWidget(typ);
        first->addWidget(dbcbArt);
        first->addStretch(1);
        QLabel *nr = label(TabSheet1, 20, "Nr.");
        nr->setBuddy(dbeCass_No);
        g->addWidget(nr, 0, 0);
        g->addLayout(first, 0, 1);
    }
    put(0, 2, 24, "Sparte", dblcSparte);
    put(1, 0, 28, "Interpret", dblcInterpret);
    put(1, 2, 26, "Laufzeit:", dbeLaufzeit);
    put(2, 0, 30, "Titel", dbeLiederl);
    g->addWidget(dbcbStereo, 2, 3);
    put(3, 0, 32, "Bezeichnung", dbeDescribe);
    put(4, 0, 35, "verliehen am:", dbcVerl_Dat);
    put(4, 2, 41, "Wertung", dbvcbWertung);
    put(5, 0, 37, "an:", dbeVerl_Nam);
    put(5, 2, 43, "Preis:", dbePreis);
    put(6, 0, 39, "von:", dbeVerl_Von);
    put(6, 2, 45, "Wert:", dbeWert);
    put(7, 0, 48, "Letzte Änderung:", DBText1);
    g->setColumnStretch(1, 3);
    g->setColumnStretch(3, 1);
    g->setRowStretch(8, 1);
    pages->addTab(TabSheet1, QStringLiteral("Musikstück"));
    tk::setTag(TabSheet1, 50);

    TabSheet4 = new QWidget;
    TabSheet4->setObjectName(QStringLiteral("TabSheet4"));
    auto *titles = new QVBoxLayout(TabSheet4);
    titles->setContentsMargins(2, 2, 2, 2);
    grd = new QTableWidget(kTitleRows, 3, TabSheet4);
    grd->setObjectName(QStringLiteral("grd"));
    grd->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    grd->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    grd->setSelectionBehavior(QAbstractItemView::SelectRows);
    grd->setSelectionMode(QAbstractItemView::SingleSelection);
    grd->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grd->horizontalHeader()->hide();
    grd->verticalHeader()->hide();
    grd->horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    grd->setColumnWidth(0, 195);
    grd->setColumnWidth(1, 235);
    grd->setColumnWidth(2, 70);
    grd->verticalHeader()->setDefaultSectionSize(22);
    for (int r = 0; r < kTitleRows; ++r)
        for (int c = 0; c < 3; ++c)
            grd->setItem(r, c, new QTableWidgetItem);
    titles->addWidget(grd);
    pages->addTab(TabSheet4, QStringLiteral("Alle Titel"));
    tk::setTag(TabSheet4, 53);

    TabSheet5 = createCddbPage();
    pages->addTab(TabSheet5, QStringLiteral("CDDB-request"));
    tk::setTag(TabSheet5, 54);

    m_playerPanel = createPlayerPanel();
}

void TfrmCassette::openLookup(TXbaseDataSet *table, const char *file)
{
    table->DatabaseName = config().ZVData;
    table->SetTableName(QString::fromLatin1(file));
    table->SetIndexName(QStringLiteral("1"));
    table->Open();
}

void TfrmCassette::prepare()
{
    TabSheet2 = pc->widget(3);
    TabSheet3 = pc->widget(4);
    // The CDDB page comes after the notes and the table.
    pc->tabBar()->moveTab(pc->indexOf(TabSheet5), pc->count() - 1);

    for (tk::DBEdit *e : findChildren<tk::DBEdit *>()) {
        if (e->dataSource() == nullptr && e != meSuche)
            e->SetDataSource(dsMain);
    }
    dbcbArt->SetDataSource(dsMain);
    dblcSparte->SetDataSource(dsMain);
    dblcInterpret->SetDataSource(dsMain);
    dbcbStereo->SetDataSource(dsMain);
    dbcVerl_Dat->SetDataSource(dsMain);
    dbvcbWertung->SetDataSource(dsMain);
    DBText1->SetDataSource(dsMain);

    for (const char *name : {"PREIS", "WERT"}) {
        tk::Field *f = tblMain->FieldByName(QString::fromLatin1(name));
        f->DisplayFormat = QStringLiteral("###,###");
        f->EditFormat = QStringLiteral("######");
    }

    openLookup(tblSparten, "MSPARTEN.DBF");
    openLookup(tblInterpret, "INTERPRE.DBF");
    dblcSparte->SetListSource(dsSparten);
    dblcInterpret->SetListSource(dsInterpret);

    const QString ratings = LangText(kTextRatingItems);
    if (!ratings.isEmpty())
        dbvcbWertung->SetItems(ratings.split(QLatin1Char('\n')).mid(0, 5));

    // The player sits in the button column, below the frame's buttons.
    if (auto *box = qobject_cast<QBoxLayout *>(btnFilter->parentWidget()->layout()->itemAt(1)->layout()))
        box->insertWidget(box->indexOf(btnHelp) + 1, m_playerPanel);

    prepareCd();
}

QList<QAbstractButton *> TfrmCassette::extraButtons() const
{
    return {sbtPlay, sbtPrev, sbtNext, sbtPause, sbtStop, sbtEject, sbtReadCD, sbtCDDBupd};
}

void TfrmCassette::newRecordDefaults()
{
    tblMain->FieldByName(QStringLiteral("STEREO"))->SetAsString(QStringLiteral("J"));
    tblMain->FieldByName(QStringLiteral("WERTUNG"))->SetAsString(QStringLiteral("2"));
    tblMain->FieldByName(QStringLiteral("ART"))->SetAsString(QStringLiteral("CD"));
}

QWidget *TfrmCassette::firstInputField(bool)
{
    return dbeCass_No;
}

void TfrmCassette::updateButtons()
{
    dsCassetteDataChange();
}

void TfrmCassette::dsCassetteDataChange()
{
    if (!tblMain->Active())
        return;
    const QString kind = tblMain->FieldByName(QStringLiteral("ART"))->DisplayText().trimmed();
    const QString caption = LangText(kTextTitlesPage);
    if (!caption.isEmpty())
        pc->setTabText(pc->indexOf(TabSheet4), tk::formatText(caption, {kind}).trimmed());
    if (pc->currentWidget() == TabSheet4 && !m_titlesBusy)
        tk::guarded([this] { fillTitleList(); });
}

void TfrmCassette::noteFilter()
{
    m_filterInForce = lblFilter->isHidden() ? QString() : config().filter(Module::Music);
    if (m_filterInForce == QLatin1String(".T."))
        m_filterInForce.clear();
}

void TfrmCassette::fillTitleList()
{
    for (int r = 0; r < kTitleRows; ++r)
        for (int c = 0; c < 3; ++c)
            grd->item(r, c)->setText(QString());
    // A record being edited stays where it is; its carrier is listed once
    // it is posted.
    if (tblMain->Editing() || tblMain->IsEmpty())
        return;

    m_titlesBusy = true;
    QApplication::setOverrideCursor(Qt::BusyCursor);
    tblMain->DisableControls();
    const int number = tblMain->FieldByName(QStringLiteral("CASS_NO"))->AsInteger();
    // The description compared over its whole width, so "Best" does not
    // also list the titles of "Best of".
    const QString describe = tblMain->FieldByName(QStringLiteral("DESCRIBE"))
                                 ->AsString()
                                 .leftJustified(tblMain->FieldWidth(QStringLiteral("DESCRIBE")), QLatin1Char(' '));
    const long recno = tblMain->RecNo();

    auto restore = [&] {
        tblMain->Query(m_filterInForce);
        const int order = config().sortOrder(Module::Music);
        tblMain->SetOrder(order > 0 ? order : 1);
        tblMain->SetRecNo(recno);
        tblMain->EnableControls();
        QApplication::restoreOverrideCursor();
        m_titlesBusy = false;
    };
    try {
        tblMain->SetOrder(kTitlesTag);
        tblMain->Query(QStringLiteral("CASS_NO=%1.and.DESCRIBE=").arg(number) + xbQuote(describe));
        tblMain->First();
        for (int row = 0; row < kTitleRows && !tblMain->Eof(); ++row) {
            if (tblMain->FieldByName(QStringLiteral("CASS_NO"))->AsInteger() != number)
                break;
            int column = 0;
            for (const char *field : {"LIEDERL", "INTERPRET", "LAUFZEIT"})
                grd->item(row, column++)->setText(
                    tblMain->FieldByName(QString::fromLatin1(field))->DisplayText().trimmed());
            grd->repaint();
            tblMain->Next();
        }
    } catch (...) {
        restore();
        throw;
    }
    restore();
}

void TfrmCassette::closeEvent(QCloseEvent *event)
{
    // A CDDB run works inside this window's handlers: the window goes when
    // the run has ended.
    if (m_cddbRunning) {
        m_closeAfterRun = true;
        event->ignore();
        return;
    }
    CollectionWindow::closeEvent(event);
}
