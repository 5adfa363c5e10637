// The filter dialog. Conditions of the address and appointment pages follow
// the classic order; the music, video and book pages build conditions in the
// same style (ranges with >= and <=, content with $, loans by date).
#include "reports/TfrmFilter.h"

#include "app/Config.h"
#include "app/Language.h"
#include "platform/FormatSettings.h"
#include "reports/FilterBuilder.h"
#include "toolkit/text/ExceptionGuard.h"
#include "toolkit/text/MessageBox.h"
#include "toolkit/controls/DBEdit.h"
#include "toolkit/text/Tag.h"
#include "toolkit/text/TextCase.h"
#include "toolkit/text/Translator.h"
#include "toolkit/data/DataErrors.h"
#include "xbase/text/Dates.h"

#include <QComboBox>
#include <QDate>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStackedWidget>
#include <QTabBar>
#include <QVBoxLayout>

namespace {

constexpr int kBase = 2000;
constexpr int kTextFilterSet = 10035;

constexpr int kFrom = 21, kIs = 22, kContains = 23, kIn = 24, kTo = 25, kOr = 26;

QLabel *label(QWidget *parent, int tag, const QString &caption)
{
    auto *l = new QLabel(caption, parent);
    tk::setTag(l, tag);
    return l;
}

QLineEdit *entry(QWidget *parent, const char *name, int maxLength = 0, bool upper = false)
{
    auto *e = new QLineEdit(parent);
    e->setObjectName(QString::fromLatin1(name));
    if (maxLength > 0)
        e->setMaxLength(maxLength);
    if (upper) {
        QObject::connect(e, &QLineEdit::textEdited, e, [e](const QString &text) {
            const QString up = tk::upperCase(text);
            if (up != text) {
                const int pos = e->cursorPosition();
                e->setText(up);
                e->setCursorPosition(pos);
            }
        });
    }
    return e;
}

QLineEdit *timeEntry(QWidget *parent, const char *name)
{
    auto *e = entry(parent, name);
    e->setInputMask(tk::DBEdit::qtInputMask(QStringLiteral("!90:00;1;_")));
    e->setMaximumWidth(70);
    return e;
}

// A page: its group box with a grid of rows.
struct PageBuilder {
    QWidget *page;
    QGroupBox *box;
    QGridLayout *grid;
    int row = 0;

    PageBuilder(const char *name, int tag, const QString &caption)
    {
        page = new QWidget;
        page->setObjectName(QString::fromLatin1(name));
        auto *layout = new QVBoxLayout(page);
        box = new QGroupBox(caption, page);
        tk::setTag(box, tag);
        layout->addWidget(box);
        grid = new QGridLayout(box);
        grid->setColumnStretch(2, 1);
        grid->setColumnStretch(4, 1);
        grid->setVerticalSpacing(4);
    }

    // "Label  von [a]  bis [b]"
    void range(int tag, const QString &caption, QLineEdit *from, QLineEdit *to)
    {
        grid->addWidget(label(box, tag, caption), row, 0);
        grid->addWidget(label(box, kFrom, QStringLiteral("von")), row, 1);
        grid->addWidget(from, row, 2);
        grid->addWidget(label(box, kTo, QStringLiteral("bis")), row, 3);
        grid->addWidget(to, row, 4);
        ++row;
    }

    // "Label  enthält [a]  oder [b]"
    void contains(int tag, const QString &caption, QLineEdit *a, QLineEdit *b = nullptr)
    {
        grid->addWidget(label(box, tag, caption), row, 0);
        grid->addWidget(label(box, kContains, QStringLiteral("enthält")), row, 1);
        grid->addWidget(a, row, 2);
        if (b) {
            grid->addWidget(label(box, kOr, QStringLiteral("oder")), row, 3);
            grid->addWidget(b, row, 4);
        }
        ++row;
    }

    // "Label  [a]"
    void single(int tag, const QString &caption, QWidget *a)
    {
        grid->addWidget(label(box, tag, caption), row, 0);
        grid->addWidget(a, row, 2);
        ++row;
    }

    QWidget *finish()
    {
        grid->setRowStretch(row, 1);
        return page;
    }
};

QString textOf(const QLineEdit *e)
{
    return e->text();
}

// The text of a time entry counts when it holds more than blanks and the colon.
QString timeOf(const QLineEdit *e)
{
    // The shown text keeps a blank for every place not typed.
    QString t = e->displayText().replace(QLatin1Char('_'), QLatin1Char(' '));
    QString digits = t;
    digits.remove(QLatin1Char(':')).remove(QLatin1Char(' ')).remove(QLatin1Char('_'));
    return digits.isEmpty() ? QString() : t;
}

} // namespace

TfrmFilter::TfrmFilter(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmFilter"));
    setWindowTitle(QStringLiteral(" Filter- bzw. Selektionsbedingung angeben ..."));
    tk::setTag(this, 1);

    nbFilter = new QStackedWidget(this);
    nbFilter->setObjectName(QStringLiteral("nbFilter"));
    tk::setTag(nbFilter, 77);
    const char *pageNames[] = {"Adressen", "Termine", "Musik", "Disketten", "Videos", "Bücher"};
    QWidget *pages[] = {buildAddressPage(), buildAppointmentPage(), buildMusicPage(),
                        buildDiskettePage(), buildVideoPage(), buildBookPage()};
    for (int i = 0; i < 6; ++i) {
        pages[i]->setWindowTitle(QString::fromUtf8(pageNames[i]));
        nbFilter->addWidget(pages[i]);
    }

    tsFilter = new QTabBar(this);
    tsFilter->setObjectName(QStringLiteral("tsFilter"));
    tsFilter->setShape(QTabBar::RoundedSouth);

    btnOK = new QPushButton(QStringLiteral("&OK"), this);
    btnOK->setObjectName(QStringLiteral("btnOK"));
    btnOK->setDefault(true);
    tk::setTag(btnOK, 2);
    btnCancel = new QPushButton(QStringLiteral("&Abbruch"), this);
    btnCancel->setObjectName(QStringLiteral("btnCancel"));
    tk::setTag(btnCancel, 3);
    btnHelp = new QPushButton(QStringLiteral("&Hilfe"), this);
    btnHelp->setObjectName(QStringLiteral("btnHelp"));
    btnHelp->setEnabled(false);
    tk::setTag(btnHelp, 4);

    auto *buttons = new QVBoxLayout;
    buttons->addWidget(btnOK);
    buttons->addWidget(btnCancel);
    buttons->addWidget(btnHelp);
    buttons->addStretch(1);
    auto *left = new QVBoxLayout;
    left->addWidget(nbFilter, 1);
    left->addWidget(tsFilter);
    auto *layout = new QHBoxLayout(this);
    layout->addLayout(left, 1);
    layout->addLayout(buttons);

    tk::translateWindow(this, kBase);
    FormCreate();

    connect(btnOK, &QPushButton::clicked, this, [this] { tk::guarded([this] { OKBtnClick(); }); });
    connect(btnCancel, &QPushButton::clicked, this, &TfrmFilter::btnCancelClick);
    connect(tsFilter, &QTabBar::currentChanged, this, &TfrmFilter::tsFilterClick);
    for (QLineEdit *date : dateEntries()) {
        connect(date, &QLineEdit::editingFinished, this, [this, date] { tk::guarded([&] { DateExit(date); }); });
    }
}

void TfrmFilter::FormCreate()
{
    for (int i = 0; i < nbFilter->count(); ++i)
        tsFilter->addTab(nbFilter->widget(i)->windowTitle());
    nbFilter->setCurrentIndex(0);
    for (QLineEdit *date : {deGebDat1, deGebDat2, deKontakt11, deKontakt12, deKontaktX1, deKontaktX2, deTermin1,
                            deTermin2})
        date->clear();
    const bool flat = config().Style97;
    for (QPushButton *b : {btnOK, btnCancel, btnHelp})
        b->setFlat(flat);
    setFixedSize(sizeHint().expandedTo(QSize(620, 380)));
}

QList<QLineEdit *> TfrmFilter::dateEntries() const
{
    return {deGebDat1, deGebDat2, deKontakt11, deKontakt12, deKontaktX1, deKontaktX2, deTermin1, deTermin2,
            cLoanFrom, cLoanTo, cBorrFrom, cBorrTo, vLoanFrom, vLoanTo, vBorrFrom, vBorrTo,
            bLoanFrom, bLoanTo, bBorrFrom, bBorrTo};
}

QWidget *TfrmFilter::buildAddressPage()
{
    PageBuilder p("pgAdressen", 10, QStringLiteral(" Bedingungen für die Adressen-Anzeige ... "));
    Zuname1 = entry(p.box, "Zuname1", 37, true);
    Zuname2 = entry(p.box, "Zuname2", 37, true);
    p.range(11, QStringLiteral("Zuname"), Zuname1, Zuname2);
    Vorname1 = entry(p.box, "Vorname1", 37, true);
    Vorname2 = entry(p.box, "Vorname2", 37, true);
    p.range(12, QStringLiteral("Vorname"), Vorname1, Vorname2);

    dbvcbSex1 = new QComboBox(p.box);
    dbvcbSex1->setObjectName(QStringLiteral("dbvcbSex1"));
    dbvcbSex1->addItems({QStringLiteral("männl."), QStringLiteral("weibl."), QStringLiteral("Verein"),
                         QStringLiteral("Firma"), QStringLiteral("sonst."), QStringLiteral(" (leer)")});
    dbvcbSex1->setCurrentIndex(-1);
    dbvcbSex1->setToolTip(QStringLiteral("Geschlecht / Kürzel (auswählbar)"));
    Sex = entry(p.box, "Sex", 0, true);
    p.grid->addWidget(label(p.box, 13, QStringLiteral("Geschlecht")), p.row, 0);
    p.grid->addWidget(label(p.box, kIs, QStringLiteral("ist")), p.row, 1);
    p.grid->addWidget(dbvcbSex1, p.row, 2);
    p.grid->addWidget(label(p.box, kIn, QStringLiteral("bzw. enthalten in")), p.row, 3);
    p.grid->addWidget(Sex, p.row, 4);
    ++p.row;

    deGebDat1 = entry(p.box, "deGebDat1");
    deGebDat2 = entry(p.box, "deGebDat2");
    p.range(14, QStringLiteral("Geb.Datum"), deGebDat1, deGebDat2);
    Tel1 = entry(p.box, "Tel1");
    p.contains(15, QStringLiteral("Telefon,Fax,.."), Tel1);
    Plz1 = entry(p.box, "Plz1");
    Plz2 = entry(p.box, "Plz2");
    p.range(16, QStringLiteral("Postleitzahl"), Plz1, Plz2);
    Ort1 = entry(p.box, "Ort1", 25, true);
    Ort2 = entry(p.box, "Ort2", 25, true);
    p.range(17, QStringLiteral("Ort"), Ort1, Ort2);
    Notizen1 = entry(p.box, "Notizen1", 0, true);
    Notizen2 = entry(p.box, "Notizen2", 0, true);
    p.contains(18, QStringLiteral("Notizen"), Notizen1, Notizen2);
    deKontakt11 = entry(p.box, "deKontakt11");
    deKontakt12 = entry(p.box, "deKontakt12");
    p.range(19, QStringLiteral("1. Kontakt"), deKontakt11, deKontakt12);
    deKontaktX1 = entry(p.box, "deKontaktX1");
    deKontaktX2 = entry(p.box, "deKontaktX2");
    p.range(20, QStringLiteral("Letztkontakt"), deKontaktX1, deKontaktX2);
    return p.finish();
}

QWidget *TfrmFilter::buildAppointmentPage()
{
    PageBuilder p("pgTermine", 30, QStringLiteral(" Bedingungen für die Termin-Anzeige ... "));
    deTermin1 = entry(p.box, "deTermin1");
    deTermin2 = entry(p.box, "deTermin2");
    p.range(31, QStringLiteral("Termindatum"), deTermin1, deTermin2);
    Zeit1 = timeEntry(p.box, "Zeit1");
    Zeit2 = timeEntry(p.box, "Zeit2");
    p.range(32, QStringLiteral("Beginnzeit"), Zeit1, Zeit2);
    ZeitX1 = timeEntry(p.box, "ZeitX1");
    ZeitX2 = timeEntry(p.box, "ZeitX2");
    p.range(33, QStringLiteral("Termin-Ende"), ZeitX1, ZeitX2);
    Termin1 = entry(p.box, "Termin1");
    Termin2 = entry(p.box, "Termin2");
    p.contains(34, QStringLiteral("Termin-Text"), Termin1, Termin2);
    Notiz1 = entry(p.box, "Notiz1");
    Notiz2 = entry(p.box, "Notiz2");
    p.contains(35, QStringLiteral("Notiz"), Notiz1, Notiz2);
    return p.finish();
}

QWidget *TfrmFilter::buildMusicPage()
{
    PageBuilder p("pgMusik", 40, QStringLiteral(" Bedingungen für die Musiktitel - Anzeige ... "));
    CTitel1 = entry(p.box, "CTitel1", 35, true);
    CTitel2 = entry(p.box, "CTitel2", 35, true);
    p.range(41, QStringLiteral("Musiktitel"), CTitel1, CTitel2);
    CInt1 = entry(p.box, "CInt1", 35, true);
    CInt2 = entry(p.box, "CInt2", 35, true);
    p.range(42, QStringLiteral("Interpret"), CInt1, CInt2);
    CNr = entry(p.box, "CNr", 3);
    p.single(43, QStringLiteral("Nummer"), CNr);
    CSparte1 = entry(p.box, "CSparte1", 20, true);
    CSparte2 = entry(p.box, "CSparte2", 20, true);
    p.range(44, QStringLiteral("Sparte"), CSparte1, CSparte2);
    CTyp = entry(p.box, "CTyp", 2, true);
    p.single(45, QStringLiteral("Medium"), CTyp);
    CInfo1 = entry(p.box, "CInfo1", 20, true);
    CInfo2 = entry(p.box, "CInfo2", 20, true);
    p.contains(46, QStringLiteral("Bezeichng."), CInfo1, CInfo2);
    cLoanFrom = entry(p.box, "cLoanFrom");
    cLoanTo = entry(p.box, "cLoanTo");
    p.range(75, QStringLiteral("verliehen"), cLoanFrom, cLoanTo);
    cBorrFrom = entry(p.box, "cBorrFrom");
    cBorrTo = entry(p.box, "cBorrTo");
    p.range(76, QStringLiteral("ausgeliehen"), cBorrFrom, cBorrTo);
    return p.finish();
}

QWidget *TfrmFilter::buildDiskettePage()
{
    PageBuilder p("pgDisketten", 50, QStringLiteral(" Bedingungen für die Disketten-Anzeige ... "));
    return p.finish();
}

QWidget *TfrmFilter::buildVideoPage()
{
    PageBuilder p("pgVideos", 60, QStringLiteral(" Bedingungen für die Video-Anzeige ... "));
    vTit1 = entry(p.box, "vTit1", 35, true);
    vTit2 = entry(p.box, "vTit2", 35, true);
    p.range(61, QStringLiteral("Titel"), vTit1, vTit2);
    VDesc = entry(p.box, "VDesc", 60, true);
    p.contains(62, QStringLiteral("Beschreibung"), VDesc);
    vSparte1 = entry(p.box, "vSparte1", 20, true);
    VSparte2 = entry(p.box, "VSparte2", 20, true);
    p.range(63, QStringLiteral("Sparte"), vSparte1, VSparte2);
    VLen1 = entry(p.box, "VLen1", 6);
    VLen2 = entry(p.box, "VLen2", 6);
    p.range(64, QStringLiteral("Cass.Länge"), VLen1, VLen2);
    vLoanFrom = entry(p.box, "vLoanFrom");
    vLoanTo = entry(p.box, "vLoanTo");
    p.range(75, QStringLiteral("verliehen"), vLoanFrom, vLoanTo);
    vBorrFrom = entry(p.box, "vBorrFrom");
    vBorrTo = entry(p.box, "vBorrTo");
    p.range(76, QStringLiteral("ausgeliehen"), vBorrFrom, vBorrTo);
    return p.finish();
}

QWidget *TfrmFilter::buildBookPage()
{
    PageBuilder p("pgBuecher", 70, QStringLiteral(" Bedingungen für Bücher-Anzeige... "));
    bTit1 = entry(p.box, "bTit1", 35, true);
    bTit2 = entry(p.box, "bTit2", 35, true);
    p.range(71, QStringLiteral("Titel"), bTit1, bTit2);
    bDesc = entry(p.box, "bDesc", 60, true);
    p.contains(72, QStringLiteral("Beschreibung"), bDesc);
    bSparte1 = entry(p.box, "bSparte1", 20, true);
    bSparte2 = entry(p.box, "bSparte2", 20, true);
    p.range(73, QStringLiteral("Sparte"), bSparte1, bSparte2);
    bSeiten1 = entry(p.box, "bSeiten1", 5);
    bSeiten2 = entry(p.box, "bSeiten2", 5);
    p.range(74, QStringLiteral("Seiten"), bSeiten1, bSeiten2);
    bLoanFrom = entry(p.box, "bLoanFrom");
    bLoanTo = entry(p.box, "bLoanTo");
    p.range(75, QStringLiteral("verliehen"), bLoanFrom, bLoanTo);
    bBorrFrom = entry(p.box, "bBorrFrom");
    bBorrTo = entry(p.box, "bBorrTo");
    p.range(76, QStringLiteral("ausgeliehen"), bBorrFrom, bBorrTo);
    return p.finish();
}

void TfrmFilter::selectPage(int page)
{
    tsFilter->setCurrentIndex(page);
    nbFilter->setCurrentIndex(page);
}

int TfrmFilter::currentPage() const
{
    return nbFilter->currentIndex();
}

void TfrmFilter::tsFilterClick(int index)
{
    nbFilter->setCurrentIndex(index);
}

void TfrmFilter::DateExit(QLineEdit *entry)
{
    const QString text = entry->text().trimmed();
    if (text.isEmpty())
        return;
    const platform::FormatSettings &fs = platform::FormatSettings::current();
    const auto date = xb::parseDate(text.toStdString(), fs.shortDateFormat.toStdString(),
                                    QDate::currentDate().year() - 50 + 1);
    if (!date)
        throw tk::DataSetError(QStringLiteral("'%1' is not a valid date").arg(text).toStdString());
    auto two = [](int v) { return QString::number(v).rightJustified(2, QLatin1Char('0')); };
    entry->setText(two(date->day) + fs.dateSeparator + two(date->month) + fs.dateSeparator
                   + QString::number(date->year).rightJustified(4, QLatin1Char('0')));
}

QString TfrmFilter::expressionOfPage(int page) const
{
    FilterBuilder f;
    // Loans: lent to someone (VERL_NAM) or borrowed from someone (VERL_VON),
    // by the date of the loan.
    auto loans = [&f](QLineEdit *lentFrom, QLineEdit *lentTo, QLineEdit *borrFrom, QLineEdit *borrTo) {
        if (!FilterBuilder::blank(lentFrom->text()) || !FilterBuilder::blank(lentTo->text())) {
            f.addRaw(QStringLiteral(".NOT.EMPTY(VERL_NAM)"));
            f.addDate(QStringLiteral("VERL_DAT"), QStringLiteral(">="), lentFrom->text());
            f.addDate(QStringLiteral("VERL_DAT"), QStringLiteral("<="), lentTo->text());
        }
        if (!FilterBuilder::blank(borrFrom->text()) || !FilterBuilder::blank(borrTo->text())) {
            f.addRaw(QStringLiteral(".NOT.EMPTY(VERL_VON)"));
            f.addDate(QStringLiteral("VERL_DAT"), QStringLiteral(">="), borrFrom->text());
            f.addDate(QStringLiteral("VERL_DAT"), QStringLiteral("<="), borrTo->text());
        }
    };
    switch (page) {
    case PageAddresses:
        f.addCompare(QStringLiteral("UPPER(FAMNAME)"), QStringLiteral(">="), textOf(Zuname1));
        f.addCompare(QStringLiteral("UPPER(FAMNAME)"), QStringLiteral("<="), textOf(Zuname2));
        f.addCompare(QStringLiteral("UPPER(VORNAME)"), QStringLiteral(">="), textOf(Vorname1));
        f.addCompare(QStringLiteral("UPPER(VORNAME)"), QStringLiteral("<="), textOf(Vorname2));
        if (dbvcbSex1->currentIndex() >= 0) {
            // " (leer)" stands for the blank code.
            const QString item = dbvcbSex1->currentIndex() == 5 ? QStringLiteral(" ") : dbvcbSex1->currentText();
            f.addRaw(QStringLiteral("SEX=") + QLatin1Char('"') + tk::upperCase(item.left(1)) + QLatin1Char('"'));
        }
        // The code must be one of the letters typed.
        f.addCompare(QStringLiteral("SEX"), QStringLiteral("$"), Sex->text());
        f.addContains(Tel1->text(), QString(), {QStringLiteral("TELNU")});
        f.addCompare(QStringLiteral("PLZ"), QStringLiteral(">="), textOf(Plz1));
        f.addCompare(QStringLiteral("PLZ"), QStringLiteral("<="), textOf(Plz2));
        f.addCompare(QStringLiteral("UPPER(ORT)"), QStringLiteral(">="), textOf(Ort1));
        f.addCompare(QStringLiteral("UPPER(ORT)"), QStringLiteral("<="), textOf(Ort2));
        f.addDate(QStringLiteral("GEB_DAT"), QStringLiteral(">="), deGebDat1->text());
        f.addDate(QStringLiteral("GEB_DAT"), QStringLiteral("<="), deGebDat2->text());
        f.addDate(QStringLiteral("CONTACT1"), QStringLiteral(">="), deKontakt11->text());
        f.addDate(QStringLiteral("CONTACT1"), QStringLiteral("<="), deKontakt12->text());
        f.addDate(QStringLiteral("CONTACTX"), QStringLiteral(">="), deKontaktX1->text());
        f.addDate(QStringLiteral("CONTACTX"), QStringLiteral("<="), deKontaktX2->text());
        // The notes of an address: its short remark and its note text.
        f.addContains(Notizen1->text(), Notizen2->text(),
                      {QStringLiteral("UPPER(BEMERKUNG)"), QStringLiteral("UPPER(NOTE(INR))")});
        break;
    case PageAppointments:
        f.addDate(QStringLiteral("DATUM"), QStringLiteral(">="), deTermin1->text());
        f.addDate(QStringLiteral("DATUM"), QStringLiteral("<="), deTermin2->text());
        f.addCompare(QStringLiteral("ZEIT"), QStringLiteral(">="), timeOf(Zeit1));
        f.addCompare(QStringLiteral("ZEIT"), QStringLiteral("<="), timeOf(Zeit2));
        f.addCompare(QStringLiteral("EZEIT"), QStringLiteral(">="), timeOf(ZeitX1));
        f.addCompare(QStringLiteral("EZEIT"), QStringLiteral("<="), timeOf(ZeitX2));
        f.addContains(Termin1->text(), Termin2->text(), {QStringLiteral("TERMIN")});
        f.addContains(Notiz1->text(), Notiz2->text(), {QStringLiteral("NOTIZ")});
        break;
    case PageMusic:
        f.addCompare(QStringLiteral("UPPER(LIEDERL)"), QStringLiteral(">="), textOf(CTitel1));
        f.addCompare(QStringLiteral("UPPER(LIEDERL)"), QStringLiteral("<="), textOf(CTitel2));
        f.addCompare(QStringLiteral("UPPER(INTERPRET)"), QStringLiteral(">="), textOf(CInt1));
        f.addCompare(QStringLiteral("UPPER(INTERPRET)"), QStringLiteral("<="), textOf(CInt2));
        f.addNumber(QStringLiteral("CASS_NO"), QStringLiteral("="), textOf(CNr));
        f.addCompare(QStringLiteral("UPPER(SPARTE)"), QStringLiteral(">="), textOf(CSparte1));
        f.addCompare(QStringLiteral("UPPER(SPARTE)"), QStringLiteral("<="), textOf(CSparte2));
        f.addCompare(QStringLiteral("ART"), QStringLiteral("="), textOf(CTyp));
        f.addContains(CInfo1->text(), CInfo2->text(), {QStringLiteral("UPPER(DESCRIBE)")});
        loans(cLoanFrom, cLoanTo, cBorrFrom, cBorrTo);
        break;
    case PageVideos:
        f.addCompare(QStringLiteral("UPPER(TITEL)"), QStringLiteral(">="), textOf(vTit1));
        f.addCompare(QStringLiteral("UPPER(TITEL)"), QStringLiteral("<="), textOf(vTit2));
        f.addContains(VDesc->text(), QString(), {QStringLiteral("UPPER(DESCRIBE)")});
        f.addCompare(QStringLiteral("UPPER(SPARTE)"), QStringLiteral(">="), textOf(vSparte1));
        f.addCompare(QStringLiteral("UPPER(SPARTE)"), QStringLiteral("<="), textOf(VSparte2));
        f.addNumber(QStringLiteral("CASS_LEN"), QStringLiteral(">="), textOf(VLen1));
        f.addNumber(QStringLiteral("CASS_LEN"), QStringLiteral("<="), textOf(VLen2));
        loans(vLoanFrom, vLoanTo, vBorrFrom, vBorrTo);
        break;
    case PageBooks:
        f.addCompare(QStringLiteral("UPPER(TITEL)"), QStringLiteral(">="), textOf(bTit1));
        f.addCompare(QStringLiteral("UPPER(TITEL)"), QStringLiteral("<="), textOf(bTit2));
        f.addContains(bDesc->text(), QString(), {QStringLiteral("UPPER(DESCRIBE)")});
        f.addCompare(QStringLiteral("UPPER(SPARTE)"), QStringLiteral(">="), textOf(bSparte1));
        f.addCompare(QStringLiteral("UPPER(SPARTE)"), QStringLiteral("<="), textOf(bSparte2));
        f.addNumber(QStringLiteral("SEITEN"), QStringLiteral(">="), textOf(bSeiten1));
        f.addNumber(QStringLiteral("SEITEN"), QStringLiteral("<="), textOf(bSeiten2));
        loans(bLoanFrom, bLoanTo, bBorrFrom, bBorrTo);
        break;
    default:
        break;
    }
    return f.expression();
}

void TfrmFilter::OKBtnClick()
{
    Config &cfg = config();
    for (QString &filter : cfg.Filter)
        filter = QStringLiteral(".T.");
    tk::MessageBox::information(this, LangText(kTextFilterSet));
    const int page = currentPage();
    cfg.Filter[static_cast<std::size_t>(page)] = expressionOfPage(page);

    if (cfg.XELLog) {
        struct Entry {
            Module module;
            const char *name;
        };
        static constexpr Entry kOrder[] = {{Module::Addresses, ": AFilter "}, {Module::Appointments, ": TFilter "},
                                           {Module::Diskettes, ": DFilter "}, {Module::Music, ": CFilter "},
                                           {Module::Videos, ": VFilter "}, {Module::Books, ": BFilter "}};
        for (const Entry &e : kOrder) {
            const QString &expression = cfg.filter(e.module);
            if (expression != QLatin1String(".T."))
                AppendLog(QString::fromLatin1(e.name) + expression);
        }
    }
    accept();
}

void TfrmFilter::btnCancelClick()
{
    reject();
}
