// The address book window.
#include "windows/TfrmAdress.h"

#include "app/Language.h"
#include "media/PhoneDialler.h"
#include "platform/DesktopHandler.h"
#include "reports/ChoiceDialog.h"
#include "reports/ReportLayout.h"
#include "storage/DatabaseSchema.h"
#include "storage/TXbaseDataSet.h"
#include "storage/XbaseQuote.h"
#include "toolkit/controls/DBCheckBox.h"
#include "toolkit/controls/DBDateEdit.h"
#include "toolkit/controls/DBEdit.h"
#include "toolkit/controls/DBComboBox.h"
#include "toolkit/controls/DBText.h"
#include "toolkit/text/ExceptionGuard.h"
#include "toolkit/text/Language.h"
#include "toolkit/text/MessageBox.h"
#include "toolkit/controls/TDBValueComboBox.h"
#include "toolkit/text/Tag.h"
#include "toolkit/text/TextCase.h"
#include "toolkit/data/DataSource.h"
#include "util/TextUtil.h"

#include <QAbstractItemView>
#include <QCloseEvent>
#include <QEvent>
#include <QSignalBlocker>
#include <QGridLayout>
#include <QLabel>
#include <QProcess>
#include <QRegularExpression>
#include <QPushButton>
#include <QTabWidget>
#include <QTimer>
#include <QToolButton>

namespace {

constexpr int kTextCaption = 10006;
constexpr int kTextSexItems = 10017;
constexpr int kTextBadAddress = 10951;
constexpr int kTextBadScheme = 10952;

CollectionWindow::Design addressDesign()
{
    CollectionWindow::Design d;
    d.module = Module::Addresses;
    d.tableFile = "ADRESS.DBF";
    d.keyPrefix = "AD";
    d.base = 1100;
    d.searchLabelTag = 70;
    d.searchFieldTag = 71;
    d.captionText = kTextCaption;
    d.captionField = "FAMNAME";
    d.filterPage = 0;
    d.helpTag = 8;
    d.notesPageTag = 12;
    d.tablePageTag = 13;
    d.reportChoice = [](QWidget *parent) { return new TfrmRptw_A(parent); };
    d.layouts = {[](QObject *owner) { return new TfrmRpt_Adr1(owner); }, nullptr, nullptr};
    auto col = [](const char *field, const char *title, int width) {
        tk::DBGridColumn c;
        c.FieldName = QString::fromLatin1(field);
        c.Title = QString::fromUtf8(title);
        c.Width = width;
        return c;
    };
    d.gridColumns = {col("FAMNAME", "Zuname", 34),     col("VORNAME", "Vorname", 27),
                     col("TITEL", "Titel", 10),        col("STAAT", "Land", 5),
                     col("PLZ", "Plz.", 7),            col("ORT", "Ort", 30),
                     col("STRASSE", "Straße", 45),     col("TELNU", "Telefon 1", 29),
                     col("TELNU2", "Telefon 2", 29),   col("TELMOBIL", "Mobil-Telefon", 29),
                     col("TELFAX", "Telefax", 29),     col("BEMERKUNG", "Anmerkung", 120),
                     col("CONTACT1", "1.Kontakt", 12), col("CONTACTX", "letzt.Kont.", 12),
                     col("GEB_DAT", "Geb.Datum", 12),  col("WWW", "Homepage", 60),
                     col("EMAIL", "e-Mail", 30),       col("FIDO", "FidoNet", 18),
                     col("CIS", "Compuserve", 13)};
    return d;
}

QLabel *label(QWidget *parent, int tag, const QString &caption)
{
    auto *l = new QLabel(caption, parent);
    tk::setTag(l, tag);
    return l;
}

QToolButton *dialButton(QWidget *parent, const char *name)
{
    auto *b = new QToolButton(parent);
    b->setObjectName(QString::fromLatin1(name));
    b->setText(QStringLiteral("☎"));
    b->setToolTip(QStringLiteral("Telefonnummer anwählen ..."));
    tk::setTag(b, 42);
    return b;
}

} // namespace

TfrmAdress::TfrmAdress(QWidget *parent) : CollectionWindow(parent, addressDesign())
{
    setObjectName(QStringLiteral("frmAdress"));
    // The address order starts at tag 1 with every new window.
    config().sortOrder(Module::Addresses) = 1;
    tblTitel = new TXbaseDataSet(this);
    tblTitel->setObjectName(QStringLiteral("tblTitel"));
    dsTitel = new tk::DataSource(this);
    dsTitel->SetDataSet(tblTitel);
    build();
}

TfrmAdress::~TfrmAdress()
{
    if (tblMain && tblMain->Active())
        tblMain->FieldByName(QStringLiteral("TITEL"))->OnChange = nullptr;
    tblMain->BeforeScroll = nullptr;
    if (tblTitel)
        tblTitel->Close();
}

void TfrmAdress::createDetailPages(QTabWidget *pages)
{
    auto edit = [](QWidget *parent, const char *name, const char *field, int tag) {
        auto *e = new tk::DBEdit(parent);
        e->setObjectName(QString::fromLatin1(name));
        e->SetDataField(QString::fromLatin1(field));
        tk::setTag(e, tag);
        return e;
    };

    auto *personal = new QWidget;
    personal->setObjectName(QStringLiteral("tsPersoenlich"));
    auto *g = new QGridLayout(personal);
    g->setVerticalSpacing(3);
    dbeFamName = edit(personal, "dbeFamName", "FAMNAME", 22);
    dbeName = edit(personal, "dbeName", "VORNAME", 24);
    dbvcbSex = new tk::TDBValueComboBox(personal);
    dbvcbSex->setObjectName(QStringLiteral("dbvcbSex"));
    dbvcbSex->SetDataField(QStringLiteral("SEX"));
    tk::setTag(dbvcbSex, 26);
    dblcTitel = new tk::DBComboBox(personal);
    dblcTitel->setObjectName(QStringLiteral("dblcTitel"));
    dblcTitel->SetDataField(QStringLiteral("TITEL"));
    dblcTitel->view()->setMinimumWidth(300);
    tk::setTag(dblcTitel, 28);
    dbeAnrede = edit(personal, "dbeAnrede", "ANREDE", 30);
    dbeAnrede->setFocusPolicy(Qt::ClickFocus);
    dbcGeb_Dat = new tk::DBDateEdit(personal);
    dbcGeb_Dat->setObjectName(QStringLiteral("dbcGeb_Dat"));
    dbcGeb_Dat->SetDataField(QStringLiteral("GEB_DAT"));
    tk::setTag(dbcGeb_Dat, 32);
    dbeStaat = edit(personal, "dbeStaat", "STAAT", 34);
    dbeStaat->SetCharCase(tk::DBEdit::CharCase::Upper);
    dbeStaat->setMaximumWidth(45);
    dbePlz = edit(personal, "dbePlz", "PLZ", 35);
    dbeOrt = edit(personal, "dbeOrt", "ORT", 37);
    dbeStrasse = edit(personal, "dbeStrasse", "STRASSE", 39);
    dbeTelNu = edit(personal, "dbeTelNu", "TELNU", 41);
    dbeTelNu2 = edit(personal, "dbeTelNu2", "TELNU2", 44);
    dbeTelFax = edit(personal, "dbeTelFax", "TELFAX", 47);
    dbeTelMobil = edit(personal, "dbeTelMobil", "TELMOBIL", 49);
    dbeBemerkung = edit(personal, "dbeBemerkung", "BEMERKUNG", 52);
    sbtPhoneCall1 = dialButton(personal, "sbtPhoneCall1");
    sbtPhoneCall2 = dialButton(personal, "sbtPhoneCall2");
    sbtPhoneCall4 = dialButton(personal, "sbtPhoneCall4");

    int row = 0;
    auto addRow = [&](int tag, const char *caption, QWidget *field, QWidget *extra = nullptr) {
        QLabel *l = label(personal, tag, QString::fromUtf8(caption));
        l->setBuddy(field);
        g->addWidget(l, row, 0);
        g->addWidget(field, row, 1, 1, extra ? 1 : 2);
        if (extra)
            g->addWidget(extra, row, 2);
        ++row;
    };
    addRow(20, "&Name", dbeFamName);
    addRow(23, "Vorname", dbeName);
    addRow(25, "Geschlecht", dbvcbSex);
    addRow(27, "&Titel", dblcTitel);
    addRow(29, "Anrede", dbeAnrede);
    addRow(31, "&Geb.Datum", dbcGeb_Dat);
    {
        auto *place = new QWidget(personal);
        auto *h = new QHBoxLayout(place);
        h->setContentsMargins(0, 0, 0, 0);
        h->addWidget(dbeStaat);
        h->addWidget(new QLabel(QStringLiteral("-"), place));
        h->addWidget(dbePlz);
        QLabel *l = label(personal, 33, QStringLiteral("&Land   Plz."));
        l->setBuddy(dbeStaat);
        g->addWidget(l, row, 0);
        g->addWidget(place, row, 1, 1, 2);
        ++row;
    }
    addRow(36, "&Ort", dbeOrt);
    addRow(38, "Straße", dbeStrasse);
    addRow(40, "Telefon 1 [&Privat]", dbeTelNu, sbtPhoneCall1);
    addRow(43, "Telefon 2 [Firma]", dbeTelNu2, sbtPhoneCall2);
    addRow(46, "Telefax", dbeTelFax);
    addRow(48, "Mobiltelefon", dbeTelMobil, sbtPhoneCall4);
    addRow(51, "&Kurzbemerkung", dbeBemerkung);
    g->setRowStretch(row, 1);
    pages->addTab(personal, QStringLiteral("Persönliches"));
    tk::setTag(personal, 10);

    auto *more = new QWidget;
    more->setObjectName(QStringLiteral("tsWeitere"));
    auto *m = new QGridLayout(more);
    dbcContact1 = new tk::DBDateEdit(more);
    dbcContact1->setObjectName(QStringLiteral("dbcContact1"));
    dbcContact1->SetDataField(QStringLiteral("CONTACT1"));
    tk::setTag(dbcContact1, 54);
    dbcContactX = new tk::DBDateEdit(more);
    dbcContactX->setObjectName(QStringLiteral("dbcContactX"));
    dbcContactX->SetDataField(QStringLiteral("CONTACTX"));
    tk::setTag(dbcContactX, 56);
    dbcbWichtig = new tk::DBCheckBox(more);
    dbcbWichtig->setObjectName(QStringLiteral("dbcbWichtig"));
    dbcbWichtig->setText(QStringLiteral("wichtige Kontaktperson"));
    dbcbWichtig->SetDataField(QStringLiteral("WICHTIG"));
    dbcbWichtig->ValueChecked = QStringLiteral("W");
    dbcbWichtig->ValueUnchecked = QStringLiteral("F");
    tk::setTag(dbcbWichtig, 57);
    dbeEmail = edit(more, "dbeEmail", "EMAIL", 59);
    dbeFido = edit(more, "dbeFido", "FIDO", 62);
    dbeWWW = edit(more, "dbeWWW", "WWW", 66);
    dbeCis = edit(more, "dbeCis", "CIS", 64);
    sbtEmail = new QToolButton(more);
    sbtEmail->setObjectName(QStringLiteral("sbtEmail"));
    sbtEmail->setText(QStringLiteral("@"));
    tk::setTag(sbtEmail, 60);
    sbtWebLaunch = new QToolButton(more);
    sbtWebLaunch->setObjectName(QStringLiteral("sbtWebLaunch"));
    sbtWebLaunch->setText(QStringLiteral("www"));
    tk::setTag(sbtWebLaunch, 67);
    dbtL_Update = new tk::DBText(more);
    dbtL_Update->setObjectName(QStringLiteral("dbtL_Update"));
    dbtL_Update->SetDataField(QStringLiteral("L_UPDATE"));

    int r = 0;
    auto addMore = [&](int tag, const char *caption, QWidget *field, QWidget *extra = nullptr) {
        if (tag) {
            QLabel *l = label(more, tag, QString::fromUtf8(caption));
            l->setBuddy(field);
            m->addWidget(l, r, 0);
        }
        m->addWidget(field, r, 1);
        if (extra)
            m->addWidget(extra, r, 2);
        ++r;
    };
    addMore(53, "&1.Kontakt", dbcContact1);
    addMore(55, "&Letztkontakt", dbcContactX);
    addMore(0, "", dbcbWichtig);
    addMore(58, "&e-mail - Adresse", dbeEmail, sbtEmail);
    addMore(61, "&FidoNet-Adresse", dbeFido);
    addMore(65, "&Homepage", dbeWWW, sbtWebLaunch);
    addMore(63, "&Compuserve-Adresse", dbeCis);
    addMore(68, "Letzte Änderung:", dbtL_Update);
    m->setRowStretch(r, 1);
    pages->addTab(more, QStringLiteral("weitere Daten.."));
    tk::setTag(more, 11);

    sbtImport = new QPushButton(QStringLiteral("Daten-A&ustausch"), this);
    sbtImport->setObjectName(QStringLiteral("sbtImport"));
    tk::setTag(sbtImport, 7);
}

void TfrmAdress::prepare()
{
    for (QWidget *w : findChildren<QWidget *>()) {
        if (auto *e = qobject_cast<tk::DBEdit *>(w))
            e->SetDataSource(dsMain);
    }
    dbvcbSex->SetDataSource(dsMain);
    dblcTitel->SetDataSource(dsMain);
    dbcGeb_Dat->SetDataSource(dsMain);
    dbcContact1->SetDataSource(dsMain);
    dbcContactX->SetDataSource(dsMain);
    dbcbWichtig->SetDataSource(dsMain);
    dbtL_Update->SetDataSource(dsMain);

    // The import button sits with the frame's buttons on the right.
    if (auto *box = qobject_cast<QBoxLayout *>(btnFilter->parentWidget()->layout()->itemAt(1)->layout()))
        box->insertWidget(box->indexOf(btnHelp), sbtImport);

    openTitles();

    // The sex codes follow the language file: one item per line, the code
    // is the item's first letter.
    const QStringList items = LangText(kTextSexItems).split(QLatin1Char('\n'));
    QStringList values;
    for (const QString &item : items)
        values << tk::upperCase(item.left(1));
    if (!LangText(kTextSexItems).isEmpty()) {
        dbvcbSex->SetItems(items);
        dbvcbSex->SetValues(values);
    }

    m_dialler = new media::PhoneDialler(this);

    tblMain->FieldByName(QStringLiteral("TITEL"))->OnChange = [this](tk::Field &) {
        tk::guarded([this] { tblAdressTITELChange(); });
    };
    for (QWidget *w : {static_cast<QWidget *>(dbeName), static_cast<QWidget *>(dbvcbSex),
                       static_cast<QWidget *>(dblcTitel), static_cast<QWidget *>(dbePlz),
                       static_cast<QWidget *>(dbeTelNu), static_cast<QWidget *>(dbeTelNu2),
                       static_cast<QWidget *>(dbeTelMobil), static_cast<QWidget *>(dbeEmail),
                       static_cast<QWidget *>(dbeWWW)})
        w->installEventFilter(this);
    connect(sbtPhoneCall1, &QToolButton::clicked, this, [this] { sbtPhoneCall1Click(QStringLiteral("TELNU")); });
    connect(sbtPhoneCall2, &QToolButton::clicked, this, [this] { sbtPhoneCall1Click(QStringLiteral("TELNU2")); });
    connect(sbtPhoneCall4, &QToolButton::clicked, this, [this] { sbtPhoneCall1Click(QStringLiteral("TELMOBIL")); });
    connect(sbtEmail, &QToolButton::clicked, this, [this] { tk::guarded([this] { sbtEmailClick(); }); });
    connect(sbtWebLaunch, &QToolButton::clicked, this, [this] { tk::guarded([this] { sbtWebLaunchClick(); }); });
}

void TfrmAdress::openTitles()
{
    tblTitel->DatabaseName = config().ZVData;
    tblTitel->SetTableName(QStringLiteral("TITEL.DBF"));
    tblTitel->SetIndexName(QStringLiteral("1"));
    tblTitel->Open();
    schema::applyPassword(*tblTitel, schema::kTitel);
    tblTitel->Refresh();
    fillTitleList();
}

void TfrmAdress::fillTitleList()
{
    QStringList titles;
    if (tblTitel->Active()) {
        for (tblTitel->First(); !tblTitel->Eof(); tblTitel->Next()) {
            const QString title = RTrim(tblTitel->FieldByName(QStringLiteral("TITEL"))->AsString());
            if (!title.isEmpty())
                titles << title;
        }
    }
    const QString shown = dblcTitel->currentText();
    const QSignalBlocker block(dblcTitel);
    dblcTitel->clear();
    dblcTitel->addItems(titles);
    dblcTitel->setCurrentIndex(dblcTitel->findText(shown, Qt::MatchFixedString | Qt::MatchCaseSensitive));
    dblcTitel->setEditText(shown);
}

QString TfrmAdress::remarkForEmptyNote() const
{
    if (!tblMain->Active() || tblMain->IsEmpty())
        return {};
    return RTrim(tblMain->FieldByName(QStringLiteral("BEMERKUNG"))->AsString());
}

void TfrmAdress::closeEvent(QCloseEvent *event)
{
    // A title typed into the last address shown is learned too, unless its
    // changes are being thrown away.
    if (tblMain && tblMain->Active() && !tblMain->Editing())
        tk::guarded([this] { learnTitle(); });
    CollectionWindow::closeEvent(event);
}

QList<QAbstractButton *> TfrmAdress::extraButtons() const
{
    return {sbtPhoneCall1, sbtPhoneCall2, sbtPhoneCall4, sbtEmail, sbtWebLaunch, sbtImport};
}

bool TfrmAdress::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::FocusOut) {
        // The control stores its text first; the exit handler runs after it.
        auto run = [this](void (TfrmAdress::*handler)()) {
            QTimer::singleShot(0, this, [this, handler] { tk::guarded([&] { (this->*handler)(); }); });
        };
        if (watched == dbeName)
            run(&TfrmAdress::dbeNameExit);
        else if (watched == dbvcbSex)
            run(&TfrmAdress::dbvcbSexExit);
        else if (watched == dblcTitel)
            run(&TfrmAdress::dblcTitelExit);
        else if (watched == dbePlz)
            run(&TfrmAdress::dbePlzExit);
    } else if (event->type() == QEvent::MouseButtonDblClick) {
        if (watched == dbeTelNu)
            sbtPhoneCall1Click(QStringLiteral("TELNU"));
        else if (watched == dbeTelNu2)
            sbtPhoneCall1Click(QStringLiteral("TELNU2"));
        else if (watched == dbeTelMobil)
            sbtPhoneCall1Click(QStringLiteral("TELMOBIL"));
        else if (watched == dbeEmail)
            tk::guarded([this] { sbtEmailClick(); });
        else if (watched == dbeWWW)
            tk::guarded([this] { sbtWebLaunchClick(); });
    }
    return CollectionWindow::eventFilter(watched, event);
}

QWidget *TfrmAdress::firstInputField(bool)
{
    return dbeFamName;
}

void TfrmAdress::navigatorClicked(tk::DBNavigator::Button button)
{
    using Button = tk::DBNavigator::Button;
    if (button == Button::Delete)
        return; // the address book does nothing after a delete
    CollectionWindow::navigatorClicked(button);
    if (button == Button::Edit && pc->currentIndex() == 1)
        dbcContact1->setFocus();
}

void TfrmAdress::updateButtons()
{
    auto filled = [this](const char *field) {
        return tblMain->Active() && !IsBlank(tblMain->FieldByName(QString::fromLatin1(field))->AsString());
    };
    sbtPhoneCall1->setEnabled(filled("TELNU"));
    sbtPhoneCall2->setEnabled(filled("TELNU2"));
    sbtPhoneCall4->setEnabled(filled("TELMOBIL"));
    sbtEmail->setEnabled(filled("EMAIL"));
    sbtWebLaunch->setEnabled(filled("WWW"));
}

void TfrmAdress::btnSortClick()
{
    TfrmSort_A dialog(this);
    if (dialog.exec() != QDialog::Accepted)
        return;
    tblMain->SetOrder(config().sortOrder(Module::Addresses));
    tblMain->GoTop();
    EnsureKeyAndNotes();
}

void TfrmAdress::dblcTitelExit()
{
    tblAdressTITELChange();
}

void TfrmAdress::tblAdressTITELChange()
{
    if (!tblMain->Editing() || !tblTitel->Active())
        return;
    const QString title = tblMain->FieldByName(QStringLiteral("TITEL"))->AsString();
    const QString key = tblMain->EvalString(QStringLiteral("UPPER(") + xbQuote(title) + QLatin1Char(')'))
                            .leftJustified(tblTitel->FieldWidth(QStringLiteral("TITEL")), QLatin1Char(' '));
    const bool found = tblTitel->Seek(key);
    tblMain->FieldByName(QStringLiteral("ANREDE"))
        ->SetAsString(found ? tblTitel->FieldByName(QStringLiteral("ANREDE"))->AsString() : QString());
}

void TfrmAdress::beforeScroll()
{
    learnTitle();
}

void TfrmAdress::learnTitle()
{
    // Titles the user typed join the titles table when the address is left.
    if (!tblTitel->Active() || !tblMain->Active() || tblMain->IsEmpty())
        return;
    const QString title = tblMain->FieldByName(QStringLiteral("TITEL"))->AsString();
    if (IsBlank(title))
        return;
    const QString key = tblMain->EvalString(QStringLiteral("UPPER(") + xbQuote(title) + QLatin1Char(')'));
    if (tblTitel->Seek(key))
        return;
    tblTitel->AppendBlank();
    tblTitel->FieldByName(QStringLiteral("TITEL"))->SetAsString(title);
    tblTitel->Post();
    // The list offers it from now on; the next address finds it there.
    QTimer::singleShot(0, this, [this] { tk::guarded([this] { fillTitleList(); }); });
}

void TfrmAdress::dbeNameExit()
{
    if (!tblMain->Editing())
        return;
    const QString first = tblMain->FieldByName(QStringLiteral("VORNAME"))->AsString();
    if (IsBlank(first))
        return;
    TXbaseDataSet sex;
    sex.DatabaseName = config().ZVData;
    sex.SetTableName(QStringLiteral("SEX.DBF"));
    sex.Open();
    schema::applyPassword(sex, schema::kSex);
    sex.Refresh();
    // Names compare on their first 20 characters.
    const QString name = first.left(20).leftJustified(20, QLatin1Char(' '));
    if (sex.Query(QStringLiteral("NAME=") + xbQuote(name)) > 0)
        dbvcbSex->selectValue(sex.FieldByName(QStringLiteral("SEX"))->AsString());
    sex.Close();
}

void TfrmAdress::dbvcbSexExit()
{
    if (!tblMain->Editing() || dbvcbSex->currentIndex() < 0)
        return;
    tblMain->FieldByName(QStringLiteral("SEX"))->SetAsString(dbvcbSex->selectedValue());
}

void TfrmAdress::dbePlzExit()
{
    if (!tblMain->Editing() || !config().PlzAuto)
        return;
    const QString plz = tblMain->FieldByName(QStringLiteral("PLZ"))->AsString();
    if (IsBlank(plz))
        return;
    TXbaseDataSet codes;
    codes.DatabaseName = config().ZVData;
    codes.SetTableName(QStringLiteral("PLZ.DBF"));
    codes.Open();
    schema::applyPassword(codes, schema::kPlz);
    codes.Refresh();
    const QString country = tblMain->FieldByName(QStringLiteral("STAAT"))->AsString();
    if (!IsBlank(country))
        codes.Query(QStringLiteral("STAAT=") + xbQuote(country.left(3)));
    const QString wanted = plz.left(6);
    for (codes.First(); !codes.Eof(); codes.Next()) {
        if (codes.FieldByName(QStringLiteral("PLZ"))->AsString() != wanted)
            continue;
        tblMain->FieldByName(QStringLiteral("ORT"))->SetAsString(codes.FieldByName(QStringLiteral("GEMEINDE"))->AsString());
        tk::Field *tel = tblMain->FieldByName(QStringLiteral("TELNU"));
        if (IsBlank(tel->AsString())) {
            const auto areaCode = static_cast<long long>(codes.FieldByName(QStringLiteral("VORWAHL"))->AsFloat());
            tel->SetAsString(QStringLiteral("0") + QString::number(areaCode) + QLatin1Char('/'));
        }
        break;
    }
    codes.Close();
}

void TfrmAdress::sbtPhoneCall1Click(const QString &fieldName)
{
    tk::guarded([&] {
        if (!tblMain->Active() || tblMain->IsEmpty())
            return;
        m_dialler->dial(tblMain->FieldByName(fieldName)->AsString(),
                        tblMain->FieldByName(QStringLiteral("FAMNAME"))->AsString(),
                        media::PhoneDialler::CallLog::On);
    });
}

TfrmAdress::Launch TfrmAdress::launchOf(const QString &command, const QString &value, bool mail, bool mailTo)
{
    Launch l;
    const QString trimmed = command.trimmed();
    const qsizetype blank = trimmed.indexOf(QLatin1Char(' '));
    if (blank >= 0) {
        l.program = trimmed.left(blank);
        l.parameters = mail ? QLatin1Char(' ') + trimmed.mid(blank + 1) + QLatin1Char(' ') : trimmed.mid(blank + 1);
    } else {
        l.program = trimmed;
    }
    const QString address = mail && mailTo ? QStringLiteral("mailto:") + value : value;
    const qsizetype placeholder = l.parameters.indexOf(QLatin1String("%1"));
    if (placeholder >= 0)
        l.parameters.replace(placeholder, 2, address);
    else
        l.parameters += QLatin1Char(' ') + address;
    if (mail)
        l.parameters = l.parameters.trimmed();
    return l;
}

QString TfrmAdress::linkOf(const QString &value, bool mail, int *refusedText)
{
    *refusedText = 0;
    const QString text = value.trimmed();
    if (text.isEmpty())
        return {};
    for (const QChar c : text) {
        if (c.unicode() <= 0x20 || c.unicode() == 0x7F || c.category() == QChar::Other_Control) {
            *refusedText = kTextBadAddress;
            return {};
        }
    }
    static const QRegularExpression schemeAtStart(QStringLiteral("^([A-Za-z][A-Za-z0-9+.-]*):(//)?"));
    const QRegularExpressionMatch m = schemeAtStart.match(text);
    // "www.example.org:8080" names a host and port, not a scheme.
    const bool hasScheme = m.hasMatch() && (!m.captured(2).isEmpty() || !m.captured(1).contains(QLatin1Char('.')));
    const QString scheme = hasScheme ? m.captured(1).toLower() : QString();
    if (mail) {
        if (!hasScheme)
            return QStringLiteral("mailto:") + text;
        if (scheme == QLatin1String("mailto"))
            return QStringLiteral("mailto:") + text.mid(m.capturedLength(1) + 1);
    } else {
        if (!hasScheme)
            return QStringLiteral("http://") + text;
        if (scheme == QLatin1String("http") || scheme == QLatin1String("https"))
            return scheme + text.mid(m.capturedLength(1));
    }
    *refusedText = kTextBadScheme;
    return {};
}

void TfrmAdress::launch(const QString &scheme, const QString &value, bool mail)
{
    int refused = 0;
    const QString link = linkOf(value, mail, &refused);
    if (link.isEmpty()) {
        if (refused) {
            const QString text = LangText(refused);
            tk::MessageBox::error(this, tk::formatText(text.isEmpty() ? QStringLiteral("%s") : text, {value.trimmed()}));
        }
        return;
    }
    const QString command = handlerCommand ? handlerCommand(scheme) : platform::DesktopHandler::commandFor(scheme);
    const Launch l = launchOf(command, link, mail, false);
    if (config().XELLog)
        AppendLog(QStringLiteral(": ") + l.program + QLatin1Char(' ') + l.parameters);
    // The link is one argument of its own: blanks in it split nothing.
    const QStringList words = platform::DesktopHandler::argumentsFor(command, link);
    if (words.isEmpty())
        return;
    if (startProgram)
        startProgram(words.first(), words.mid(1));
    else
        QProcess::startDetached(words.first(), words.mid(1));
}

void TfrmAdress::sbtEmailClick()
{
    if (tblMain->Active())
        launch(QStringLiteral("mailto"), tblMain->FieldByName(QStringLiteral("EMAIL"))->AsString().trimmed(), true);
}

void TfrmAdress::sbtWebLaunchClick()
{
    if (tblMain->Active())
        launch(QStringLiteral("http"), tblMain->FieldByName(QStringLiteral("WWW"))->AsString().trimmed(), false);
}

void TfrmAdress::sbtImportClick()
{
    // The button carries the exchange menu (vCard and CSV).
    sbtImport->showMenu();
}

void TfrmAdress::reopenTables()
{
    tblTitel->Close();
    tblNotizen->Close();
    tblMain->Close();
    tblMain->Open();
    tblNotizen->Open();
    openTitles();
    // The window's filter stays in force, and the label says so.
    reapplyFilter();
}
