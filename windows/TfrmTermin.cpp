// The appointment book window.
#include "windows/TfrmTermin.h"

#include "app/Language.h"
#include "media/PhoneDialler.h"
#include "reports/ChoiceDialog.h"
#include "reports/ReportLayout.h"
#include "storage/TXbaseDataSet.h"
#include "toolkit/controls/DBDateEdit.h"
#include "toolkit/controls/DBEdit.h"
#include "toolkit/controls/DBText.h"
#include "toolkit/data/DataSource.h"
#include "toolkit/text/ExceptionGuard.h"
#include "toolkit/text/Language.h"
#include "toolkit/text/MessageBox.h"
#include "toolkit/text/Tag.h"
#include "util/TextUtil.h"
#include "storage/AppointmentSeries.h"
#include "windows/TfrmWTermin.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QTabWidget>
#include <QToolButton>

namespace {

constexpr int kTextCaption = 10013;
constexpr int kTextNeedDateAndText = 10014;
constexpr int kTextSeriesDeleted = 10015;

CollectionWindow::Design appointmentDesign()
{
    CollectionWindow::Design d;
    d.module = Module::Appointments;
    d.tableFile = "TERMIN.DBF";
    d.keyPrefix = "TE";
    d.base = 1400;
    d.searchLabelTag = 31;
    d.searchFieldTag = 32;
    d.captionText = kTextCaption;
    d.captionField = "DATUM";
    d.filterPage = 1;
    d.helpTag = 7;
    d.notesPageTag = 11;
    d.tablePageTag = 12;
    d.reportChoice = [](QWidget *parent) { return new TfrmRptw_T(parent); };
    d.layouts = {[](QObject *owner) { return new TfrmRpt_Trm2(owner); }, nullptr};
    auto col = [](const char *field, const char *title, int width) {
        tk::DBGridColumn c;
        c.FieldName = QString::fromLatin1(field);
        c.Title = QString::fromUtf8(title);
        c.Width = width;
        return c;
    };
    d.gridColumns = {col("DATUM", "Datum", 11),   col("ZEIT", "von..", 6),   col("EZEIT", "bis..", 6),
                     col("TERMIN", "TERMIN", 30), col("NOTIZ", "NOTIZ", 60), col("TELNU", "Telefon", 24)};
    return d;
}

QString dateKey(const QDate &date)
{
    return date.toString(QStringLiteral("yyyyMMdd"));
}

} // namespace

TfrmTermin::TfrmTermin(QWidget *parent) : CollectionWindow(parent, appointmentDesign())
{
    setObjectName(QStringLiteral("frmTermin"));
    build();
}

void TfrmTermin::createDetailPages(QTabWidget *pages)
{
    auto *page = new QWidget;
    page->setObjectName(QStringLiteral("tsTermindaten"));
    auto edit = [page](const char *name, const char *field, int tag) {
        auto *e = new tk::DBEdit(page);
        e->setObjectName(QString::fromLatin1(name));
        e->SetDataField(QString::fromLatin1(field));
        tk::setTag(e, tag);
        return e;
    };
    auto label = [page](int tag, const char *caption, QWidget *buddy) {
        auto *l = new QLabel(QString::fromUtf8(caption), page);
        if (tag)
            tk::setTag(l, tag);
        if (buddy)
            l->setBuddy(buddy);
        return l;
    };

    // Created in tab order.
    dbcDatum = new tk::DBDateEdit(page);
    dbcDatum->setObjectName(QStringLiteral("dbcDatum"));
    dbcDatum->SetDataField(QStringLiteral("DATUM"));
    tk::setTag(dbcDatum, 16);
    dbeZeit = edit("dbeZeit", "ZEIT", 18);
    dbeEZeit = edit("dbeEZeit", "EZEIT", 20);
    dbeTermin = edit("dbeTermin", "TERMIN", 24);
    dbeTelNu = edit("dbeTelNu", "TELNU", 26);
    dbeNotiz = edit("dbeNotiz", "NOTIZ", 29);
    for (tk::DBEdit *time : {dbeZeit, dbeEZeit})
        time->setMaximumWidth(60);

    sbtPhoneCall = new QToolButton(page);
    sbtPhoneCall->setObjectName(QStringLiteral("sbtPhoneCall"));
    sbtPhoneCall->setText(QStringLiteral("☎"));
    sbtPhoneCall->setToolTip(QStringLiteral("Telefonnummer anwählen ..."));
    sbtPhoneCall->setFocusPolicy(Qt::NoFocus);
    tk::setTag(sbtPhoneCall, 27);

    btnWTermin = new QToolButton(page);
    btnWTermin->setObjectName(QStringLiteral("btnWTermin"));
    btnWTermin->setText(QStringLiteral("Serientermin"));
    btnWTermin->setCursor(Qt::CrossCursor);
    btnWTermin->setFocusPolicy(Qt::NoFocus);
    btnWTermin->setStyleSheet(QStringLiteral("color: darkblue; font-weight: bold;"));
    tk::setTag(btnWTermin, 21);
    btnWTermin->hide();

    btnWTerminDef = new QPushButton(QStringLiteral("&Wiederholen..."), page);
    btnWTerminDef->setObjectName(QStringLiteral("btnWTerminDef"));
    btnWTerminDef->setFocusPolicy(Qt::TabFocus);
    tk::setTag(btnWTerminDef, 22);

    dbtL_Update = new tk::DBText(page);
    dbtL_Update->setObjectName(QStringLiteral("dbtL_Update"));
    dbtL_Update->SetDataField(QStringLiteral("L_UPDATE"));

    auto *g = new QGridLayout(page);
    g->setVerticalSpacing(6);
    g->addWidget(label(15, "D&atum", dbcDatum), 0, 0);
    {
        auto *row = new QHBoxLayout;
        row->addWidget(dbcDatum);
        row->addSpacing(12);
        row->addWidget(label(17, "von", dbeZeit));
        row->addWidget(dbeZeit);
        row->addWidget(label(0, "h -", nullptr));
        row->addWidget(label(19, "bis", dbeEZeit));
        row->addWidget(dbeEZeit);
        row->addWidget(label(0, "h :", nullptr));
        row->addStretch(1);
        g->addLayout(row, 0, 1, 1, 2);
    }
    g->addWidget(label(23, "&Termin", dbeTermin), 1, 0);
    g->addWidget(dbeTermin, 1, 1, 1, 2);
    g->addWidget(label(25, "Tele&fon", dbeTelNu), 2, 0);
    {
        auto *row = new QHBoxLayout;
        row->addWidget(dbeTelNu, 1);
        row->addWidget(sbtPhoneCall);
        g->addLayout(row, 2, 1);
    }
    g->addWidget(label(28, "&Zusatz-Info:", dbeNotiz), 3, 0);
    g->addWidget(dbeNotiz, 3, 1, 1, 2);
    {
        auto *row = new QHBoxLayout;
        row->addWidget(btnWTerminDef);
        row->addWidget(btnWTermin);
        row->addStretch(1);
        g->addLayout(row, 4, 1, 1, 2);
    }
    g->setRowStretch(5, 1);
    g->addWidget(label(30, "Letzte Änderung:", dbtL_Update), 6, 0);
    g->addWidget(dbtL_Update, 6, 1, 1, 2);
    g->setColumnStretch(1, 1);
    g->setColumnStretch(2, 1);
    pages->addTab(page, QStringLiteral("Termindaten"));
    tk::setTag(page, 10);
}

void TfrmTermin::prepare()
{
    dbcDatum->SetDataSource(dsMain);
    for (tk::DBEdit *e : {dbeZeit, dbeEZeit, dbeTermin, dbeTelNu, dbeNotiz})
        e->SetDataSource(dsMain);
    dbtL_Update->SetDataSource(dsMain);

    // Open on the first appointment of today, or where the soft seek leaves
    // the table when today has none.
    TXbaseDataSet::SetSoftSeek(true);
    try {
        tblMain->Seek(dateKey(QDate::currentDate()));
    } catch (...) {
        TXbaseDataSet::SetSoftSeek(false);
        throw;
    }
    TXbaseDataSet::SetSoftSeek(false);

    m_dialler = new media::PhoneDialler(this);

    connect(sbtPhoneCall, &QToolButton::clicked, this, [this] { sbtPhoneCall1Click(); });
    connect(dbeTelNu, &tk::DBEdit::doubleClicked, this, [this] { sbtPhoneCall1Click(); });
    connect(btnWTerminDef, &QPushButton::clicked, this, [this] { tk::guarded([this] { btnWTerminDefClick(); }); });
}

QWidget *TfrmTermin::firstInputField(bool)
{
    return dbcDatum->lineEdit();
}

QList<QAbstractButton *> TfrmTermin::extraButtons() const
{
    return {sbtPhoneCall, btnWTermin, btnWTerminDef};
}

void TfrmTermin::updateButtons()
{
    const bool any = tblMain->Active() && !tblMain->IsEmpty();
    const bool insert = tblMain->Active() && tblMain->state() == tk::DataSet::State::Insert;
    auto text = [this](const char *field) { return tblMain->FieldByName(QString::fromLatin1(field))->AsString(); };
    sbtPhoneCall->setEnabled((any || insert) && !IsBlank(text("TELNU")));
    const double series = any || insert ? tblMain->FieldByName(QStringLiteral("WTERMIN"))->AsFloat() : 0;
    btnWTermin->setVisible(series > 0);
}

void TfrmTermin::sbtPhoneCall1Click()
{
    tk::guarded([this] {
        if (!tblMain->Active())
            return;
        const bool any = !tblMain->IsEmpty() || tblMain->state() == tk::DataSet::State::Insert;
        const QString number = any ? tblMain->FieldByName(QStringLiteral("TELNU"))->DisplayText() : QString();
        const QString label = any ? tblMain->FieldByName(QStringLiteral("TERMIN"))->AsString() : QString();
        m_dialler->dial(number, label, media::PhoneDialler::CallLog::Off);
    });
}

void TfrmTermin::btnWTerminDefClick()
{
    if (!tblMain->Active())
        return;
    const bool any = !tblMain->IsEmpty() || tblMain->state() == tk::DataSet::State::Insert;
    auto field = [this](const char *name) { return tblMain->FieldByName(QString::fromLatin1(name)); };
    if (!any || field("DATUM")->IsNull() || !field("DATUM")->AsDate().isValid() || IsBlank(field("TERMIN")->AsString())) {
        tk::MessageBox::information(this, LangText(kTextNeedDateAndText));
        return;
    }
    // A pending entry is stored first: its date counts as taken, and the
    // series copies what the user sees.
    if (tblMain->Editing()) {
        tblMain->CheckBrowseMode();
        if (tblNotizen->Active())
            tblNotizen->CheckBrowseMode();
    }
    const QDate start = field("DATUM")->AsDate();
    const series::Appointment from{field("ZEIT")->AsString(), field("EZEIT")->AsString(), field("TERMIN")->AsString(),
                                   field("NOTIZ")->AsString(), field("TELNU")->AsString()};
    const long own = static_cast<long>(field("WTERMIN")->AsFloat());
    const long recno = tblMain->RecNo();
    const QString dataDir = tblMain->DatabaseName;

    TfrmWTermin dialog(this);
    dialog.setStart(start);
    const int result = runSeriesDialog ? runSeriesDialog(dialog) : dialog.exec();
    if (result == QDialog::Accepted) {
        const long number = own > 0 ? own : series::newSeriesNumber(dataDir);
        try {
            series::generate(dataDir, dialog.plan(), from, number);
        } catch (...) {
            returnTo(recno, start);
            throw;
        }
        returnTo(recno, start);
        // The window waits for OK or Cancel on the appointment the series
        // was made from.
        tblMain->Edit();
        EnableCommitButtons();
    } else if (result == TfrmWTermin::Delete) {
        const int count = series::deleteSeries(dataDir, own);
        returnTo(recno, start);
        tk::MessageBox::information(this, tk::formatText(LangText(kTextSeriesDeleted), {count}));
    }
}

void TfrmTermin::returnTo(long recno, const QDate &date)
{
    // The series routines wrote through a dataset of their own.
    tblMain->Refresh();
    bool back = false;
    try {
        tblMain->SetRecNo(recno);
        back = !tblMain->IsEmpty() && tblMain->RecNo() == recno
            && tblMain->FieldByName(QStringLiteral("DATUM"))->AsDate() == date;
    } catch (...) {
        back = false;
    }
    if (!back) {
        // The appointment itself went with its series: stand on its date.
        TXbaseDataSet::SetSoftSeek(true);
        try {
            tblMain->Seek(dateKey(date));
        } catch (...) {
            TXbaseDataSet::SetSoftSeek(false);
            throw;
        }
        TXbaseDataSet::SetSoftSeek(false);
    }
    EnsureKeyAndNotes();
    updateButtons();
}
