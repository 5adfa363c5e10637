// The address book on real tables: keys and notes, the frame's buttons,
// lookups, quick search and the launch of mail and web programs.
#include "CollectionTestData.h"
#include "app/Config.h"
#include "platform/FormatSettings.h"
#include "reports/TfrmFilter.h"
#include "storage/DatabaseSchema.h"
#include "storage/TXbaseDataSet.h"
#include "toolkit/controls/DBCheckBox.h"
#include "toolkit/controls/DBComboBox.h"
#include "toolkit/controls/DBEdit.h"
#include "toolkit/text/Language.h"
#include "toolkit/text/MessageBox.h"
#include "toolkit/controls/TDBValueComboBox.h"
#include "app/Language.h"
#include "windows/ExchangeCommands.h"
#include "windows/TfrmAdress.h"
#include "xbase/api/XbApi.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QMenu>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include "testing/TestRegistry.h"

namespace {

// Creates the tables of the given schema positions with their tags.
void createTables(const QString &dir, std::initializer_list<int> positions)
{
    for (int position : positions) {
        const SchemaTable &t = schema::table(position);
        QVERIFY(schema::createTable(position, schema::tablePath(dir, t.stem, QStringLiteral("DBF"))));
        TXbaseDataSet ds;
        ds.DatabaseName = dir;
        ds.SetTableName(schema::tableFile(t.stem, QStringLiteral("DBF")));
        ds.Open();
        for (const SchemaTag &tag : t.tags)
            QVERIFY(ds.IndexTag(QString(), tag.name, tag.key, 0, 0, QString()));
    }
}

void addRow(const QString &dir, const char *file, int position, std::initializer_list<std::pair<const char *, QVariant>> values)
{
    TXbaseDataSet ds;
    ds.DatabaseName = dir;
    ds.SetTableName(QString::fromLatin1(file));
    ds.Open();
    schema::applyPassword(ds, position);
    ds.Append();
    for (const auto &[field, value] : values)
        ds.FieldByName(QString::fromLatin1(field))->SetValue(value);
    ds.Post();
}

} // namespace

class TestfrmAdress : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void insertGivesKeyNotesAndPostsWithOk();
    void okAndCancelPostOrCloseAndCloseAsks();
    void salutationFromTitleAndTitlesAreLearned();
    void sexFromFirstName();
    void townAndAreaCodeFromPostalCode();
    void quickSearchSeeksFromTheFirstPage();
    void filterShowsTheCountOrResets();
    void launchCommandsKeepThePlaceholderRules();
    void importantFlagShowsTheUndecidedState();
    void typedTitleIsLearnedAndOfferedOnTheNextAddress();
    void shortRemarkFillsAnEmptyNote();
    void windowGrowsAndTheFilterLabelMovesNothing();
    void importKeepsTheFilterAndItsLabel();
    void linksAlwaysBeginWithTheirSchemeAndStayOneArgument();

private:
    std::unique_ptr<TfrmAdress> openWindow();
    void insertAddress(TfrmAdress &w, const QString &name, const QString &first = QString());

    std::unique_ptr<QTemporaryDir> m_dir;
};

void TestfrmAdress::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    LoadConfiguration(config(), m_dir->path());
    config().NoticeText = QStringLiteral("notice");
    platform::FormatSettings::current() = platform::FormatSettings::fromLocaleName(QStringLiteral("de_DE"));
    QFile lang(QStringLiteral(TESSARON_SOURCE_DIR "/lang/QorvaGER.lng"));
    QVERIFY(lang.open(QIODevice::ReadOnly));
    tk::Language::current().load(lang.readAll());
    createTables(config().ZVData, {schema::kAdress, schema::kTitel, schema::kSex, schema::kPlz, schema::kNotizen});
    tk::MessageBox::clearPresets();
}

void TestfrmAdress::cleanup()
{
    xb_CloseAll();
    tk::MessageBox::clearPresets();
    tk::Language::current().clear();
}

std::unique_ptr<TfrmAdress> TestfrmAdress::openWindow()
{
    auto w = std::make_unique<TfrmAdress>();
    w->show();
    return w;
}

void TestfrmAdress::insertAddress(TfrmAdress &w, const QString &name, const QString &first)
{
    w.dbn->BtnClick(tk::DBNavigator::Button::Insert);
    w.tblMain->FieldByName(QStringLiteral("FAMNAME"))->SetAsString(name);
    if (!first.isEmpty())
        w.tblMain->FieldByName(QStringLiteral("VORNAME"))->SetAsString(first);
    QTest::mouseClick(w.btnOK, Qt::LeftButton);
}

void TestfrmAdress::insertGivesKeyNotesAndPostsWithOk()
{
    auto w = openWindow();
    QVERIFY(config().open(Module::Addresses));
    w->dbn->BtnClick(tk::DBNavigator::Button::Insert);
    QCOMPARE(w->tblMain->state(), tk::DataSet::State::Insert);
    const QString inr = w->tblMain->FieldByName(QStringLiteral("INR"))->AsString();
    QVERIFY(inr.startsWith(QStringLiteral("AD")));
    QCOMPARE(inr.size(), 15);
    QCOMPARE(w->tblMain->FieldByName(QStringLiteral("L_UPDATE"))->AsDate(), QDate::currentDate());
    QCOMPARE(w->tblNotizen->RecordCount(), 1); // the notes record exists at once
    QCOMPARE(w->tblNotizen->state(), tk::DataSet::State::Edit);
    w->tblMain->FieldByName(QStringLiteral("FAMNAME"))->SetAsString(QStringLiteral("Müller"));
    w->tblNotizen->FieldByName(QStringLiteral("NOTIZ"))->SetAsString(QStringLiteral("Kennt Anna."));
    QTest::mouseClick(w->btnOK, Qt::LeftButton);
    QCOMPARE(w->tblMain->state(), tk::DataSet::State::Browse);
    QVERIFY(w->isVisible());
    QVERIFY(w->windowTitle().contains(QStringLiteral("Müller")));

    // Reopened, the address and its note are there.
    w.reset();
    QVERIFY(!config().open(Module::Addresses));
    auto again = openWindow();
    QCOMPARE(again->tblMain->FieldByName(QStringLiteral("FAMNAME"))->AsString(), QStringLiteral("Müller"));
    QCOMPARE(again->tblNotizen->FieldByName(QStringLiteral("NOTIZ"))->AsString(), QStringLiteral("Kennt Anna."));

    // Two addresses made back to back get different keys.
    insertAddress(*again, QStringLiteral("Zwei"));
    insertAddress(*again, QStringLiteral("Drei"));
    QCOMPARE(again->tblNotizen->MasterSource(), again->dsMain);
    TXbaseDataSet notes;
    notes.DatabaseName = config().ZVData;
    notes.SetTableName(QStringLiteral("NOTIZEN.DBF"));
    notes.Open();
    QCOMPARE(notes.RecordCount(), 3);
}

void TestfrmAdress::okAndCancelPostOrCloseAndCloseAsks()
{
    auto w = openWindow();
    insertAddress(*w, QStringLiteral("Erster"));
    w->dbn->BtnClick(tk::DBNavigator::Button::Edit);
    w->tblMain->FieldByName(QStringLiteral("FAMNAME"))->SetAsString(QStringLiteral("Geändert"));
    QTest::mouseClick(w->btnCancel, Qt::LeftButton);
    QCOMPARE(w->tblMain->FieldByName(QStringLiteral("FAMNAME"))->AsString(), QStringLiteral("Erster"));
    QVERIFY(w->isVisible());

    // Closing with a pending edit asks; Cancel keeps the window.
    w->dbn->BtnClick(tk::DBNavigator::Button::Edit);
    tk::MessageBox::presetAnswer(tk::MessageBox::Answer::Cancel);
    QVERIFY(!w->close());
    QCOMPARE(tk::MessageBox::lastText(), tk::langText(10002));
    QCOMPARE(w->tblMain->state(), tk::DataSet::State::Edit);
    tk::MessageBox::presetAnswer(tk::MessageBox::Answer::Ok);
    QVERIFY(w->close());
    QVERIFY(!config().open(Module::Addresses));

    // In browse mode OK closes the window.
    auto second = openWindow();
    QTest::mouseClick(second->btnOK, Qt::LeftButton);
    QVERIFY(!second->isVisible());
}

void TestfrmAdress::salutationFromTitleAndTitlesAreLearned()
{
    addRow(config().ZVData, "TITEL.DBF", schema::kTitel,
           {{"TITEL", QStringLiteral("Dr.")}, {"ANREDE", QStringLiteral("Sehr geehrter Herr Dr.")}});
    auto w = openWindow();
    insertAddress(*w, QStringLiteral("Arzt"));
    w->dbn->BtnClick(tk::DBNavigator::Button::Edit);
    w->tblMain->FieldByName(QStringLiteral("TITEL"))->SetAsString(QStringLiteral("dr."));
    QCOMPARE(w->tblMain->FieldByName(QStringLiteral("ANREDE"))->AsString(), QStringLiteral("Sehr geehrter Herr Dr."));
    w->tblMain->FieldByName(QStringLiteral("TITEL"))->SetAsString(QStringLiteral("Prof."));
    w->dblcTitelExit();
    QCOMPARE(w->tblMain->FieldByName(QStringLiteral("ANREDE"))->AsString(), QString());
    QTest::mouseClick(w->btnOK, Qt::LeftButton);

    // Leaving the address teaches the titles table the new title.
    insertAddress(*w, QStringLiteral("Zweiter"));
    QVERIFY(w->tblTitel->Locate(QStringLiteral("TITEL"), {QStringLiteral("Prof.")}));
    QCOMPARE(w->tblTitel->FieldByName(QStringLiteral("ANREDE"))->AsString(), QString());
    QVERIFY(w->tblTitel->IsEncrypted());
}

void TestfrmAdress::sexFromFirstName()
{
    addRow(config().ZVData, "SEX.DBF", schema::kSex, {{"NAME", QStringLiteral("Anna")}, {"SEX", QStringLiteral("W")}});
    auto w = openWindow();
    w->dbn->BtnClick(tk::DBNavigator::Button::Insert);
    w->tblMain->FieldByName(QStringLiteral("VORNAME"))->SetAsString(QStringLiteral("Anna"));
    w->dbeNameExit();
    QCOMPARE(w->dbvcbSex->selectedValue(), QStringLiteral("W"));
    w->dbvcbSexExit();
    QCOMPARE(w->tblMain->FieldByName(QStringLiteral("SEX"))->AsString(), QStringLiteral("W"));
    // An unknown name selects nothing and changes nothing.
    w->tblMain->FieldByName(QStringLiteral("VORNAME"))->SetAsString(QStringLiteral("Xaver"));
    w->dbeNameExit();
    QCOMPARE(w->tblMain->FieldByName(QStringLiteral("SEX"))->AsString(), QStringLiteral("W"));
    w->tblMain->Cancel();
}

void TestfrmAdress::townAndAreaCodeFromPostalCode()
{
    const QString dir = config().ZVData;
    addRow(dir, "PLZ.DBF", schema::kPlz,
           {{"PLZ", QStringLiteral("8010")}, {"GEMEINDE", QStringLiteral("Graz")}, {"STAAT", QStringLiteral("A")},
            {"VORWAHL", 316}});
    addRow(dir, "PLZ.DBF", schema::kPlz,
           {{"PLZ", QStringLiteral("8010")}, {"GEMEINDE", QStringLiteral("Anderswo")}, {"STAAT", QStringLiteral("D")},
            {"VORWAHL", 999}});
    auto w = openWindow();
    w->dbn->BtnClick(tk::DBNavigator::Button::Insert);
    w->tblMain->FieldByName(QStringLiteral("STAAT"))->SetAsString(QStringLiteral("A"));
    w->tblMain->FieldByName(QStringLiteral("PLZ"))->SetAsString(QStringLiteral("8010"));
    w->dbePlzExit();
    QCOMPARE(w->tblMain->FieldByName(QStringLiteral("ORT"))->AsString(), QStringLiteral("Graz"));
    QCOMPARE(w->tblMain->FieldByName(QStringLiteral("TELNU"))->AsString(), QStringLiteral("0316/"));
    // An existing telephone number stays; without a country the first match wins.
    w->tblMain->FieldByName(QStringLiteral("TELNU"))->SetAsString(QStringLiteral("0316 1234"));
    w->tblMain->FieldByName(QStringLiteral("STAAT"))->SetAsString(QString());
    w->dbePlzExit();
    QCOMPARE(w->tblMain->FieldByName(QStringLiteral("TELNU"))->AsString(), QStringLiteral("0316 1234"));
    QCOMPARE(w->tblMain->FieldByName(QStringLiteral("ORT"))->AsString(), QStringLiteral("Graz"));
    // Switched off, nothing happens.
    config().PlzAuto = false;
    w->tblMain->FieldByName(QStringLiteral("ORT"))->SetAsString(QString());
    w->dbePlzExit();
    QCOMPARE(w->tblMain->FieldByName(QStringLiteral("ORT"))->AsString(), QString());
    config().PlzAuto = true;
    w->tblMain->Cancel();
}

void TestfrmAdress::quickSearchSeeksFromTheFirstPage()
{
    auto w = openWindow();
    for (const char *name : {"Albers", "Müller", "Meier", "Zander"})
        insertAddress(*w, QString::fromUtf8(name));
    w->meSuche->setText(QStringLiteral("mü"));
    QCOMPARE(w->tblMain->FieldByName(QStringLiteral("FAMNAME"))->AsString(), QStringLiteral("Müller"));
    w->meSuche->setText(QStringLiteral("Z"));
    QCOMPARE(w->tblMain->FieldByName(QStringLiteral("FAMNAME"))->AsString(), QStringLiteral("Zander"));
    // Another page shown: typing moves nothing.
    w->pc->setCurrentIndex(1);
    w->meSuche->setText(QStringLiteral("A"));
    QCOMPARE(w->tblMain->FieldByName(QStringLiteral("FAMNAME"))->AsString(), QStringLiteral("Zander"));
    // Clearing with Backspace seeks the empty key: the first record.
    w->pc->setCurrentIndex(0);
    w->meSuche->setText(QStringLiteral("Z"));
    w->meSuche->setFocus();
    w->meSuche->end(false);
    QTest::keyClick(w->meSuche, Qt::Key_Backspace);
    QCOMPARE(w->tblMain->FieldByName(QStringLiteral("FAMNAME"))->AsString(), QStringLiteral("Albers"));
}

void TestfrmAdress::filterShowsTheCountOrResets()
{
    auto w = openWindow();
    for (const char *name : {"Albers", "Müller", "Meier", "Zander"})
        insertAddress(*w, QString::fromUtf8(name));
    auto fillAndOk = [](const QString &from) {
        QTimer::singleShot(0, [from] {
            auto *dialog = qobject_cast<TfrmFilter *>(QApplication::activeModalWidget());
            QVERIFY(dialog);
            dialog->Zuname1->setText(from);
            tk::MessageBox::presetAnswer(tk::MessageBox::Answer::Ok);
            QTest::mouseClick(dialog->btnOK, Qt::LeftButton);
        });
    };
    fillAndOk(QStringLiteral("M"));
    QTest::mouseClick(w->btnFilter, Qt::LeftButton);
    QVERIFY(w->lblFilter->isVisible());
    QVERIFY(w->lblFilter->text().contains(QStringLiteral("3")));
    QCOMPARE(w->tblMain->RecordCount(), 3);

    // The notes entry searches the short remark and the note.
    w->tblMain->First();
    w->dbn->BtnClick(tk::DBNavigator::Button::Edit);
    w->tblNotizen->FieldByName(QStringLiteral("NOTIZ"))->SetAsString(QStringLiteral("Spielt Klavier."));
    QTest::mouseClick(w->btnOK, Qt::LeftButton);
    w->tblMain->Last();
    w->dbn->BtnClick(tk::DBNavigator::Button::Edit);
    w->tblMain->FieldByName(QStringLiteral("BEMERKUNG"))->SetAsString(QStringLiteral("Geige"));
    QTest::mouseClick(w->btnOK, Qt::LeftButton);
    QTimer::singleShot(0, [] {
        auto *dialog = qobject_cast<TfrmFilter *>(QApplication::activeModalWidget());
        QVERIFY(dialog);
        dialog->Notizen1->setText(QStringLiteral("KLAVIER"));
        dialog->Notizen2->setText(QStringLiteral("GEIGE"));
        tk::MessageBox::presetAnswer(tk::MessageBox::Answer::Ok);
        QTest::mouseClick(dialog->btnOK, Qt::LeftButton);
    });
    QTest::mouseClick(w->btnFilter, Qt::LeftButton);
    QCOMPARE(w->tblMain->RecordCount(), 2);

    fillAndOk(QStringLiteral("ZZZ"));
    tk::MessageBox::presetAnswer(tk::MessageBox::Answer::Ok); // "nothing found"
    QTest::mouseClick(w->btnFilter, Qt::LeftButton);
    QVERIFY(!w->lblFilter->isVisible());
    QCOMPARE(config().filter(Module::Addresses), QStringLiteral(".T."));
    QCOMPARE(tk::MessageBox::lastText(), tk::langText(10034));
    QCOMPARE(w->tblMain->RecordCount(), 4);
    QCOMPARE(w->tblMain->FieldByName(QStringLiteral("FAMNAME"))->AsString(), QStringLiteral("Albers"));
}

void TestfrmAdress::launchCommandsKeepThePlaceholderRules()
{
    auto mail = TfrmAdress::launchOf(QStringLiteral("  /usr/bin/mailer -compose %1 "), QStringLiteral("a@b.de"), true, true);
    QCOMPARE(mail.program, QStringLiteral("/usr/bin/mailer"));
    QCOMPARE(mail.parameters, QStringLiteral("-compose mailto:a@b.de"));
    auto plain = TfrmAdress::launchOf(QStringLiteral("/usr/bin/mailer"), QStringLiteral("a@b.de"), true, false);
    QCOMPARE(plain.parameters, QStringLiteral("a@b.de"));
    auto web = TfrmAdress::launchOf(QStringLiteral("/usr/bin/browser --new-tab"), QStringLiteral("www.x.de"), false, true);
    QCOMPARE(web.program, QStringLiteral("/usr/bin/browser"));
    QCOMPARE(web.parameters, QStringLiteral("--new-tab www.x.de"));

    auto w = openWindow();
    insertAddress(*w, QStringLiteral("Post"));
    w->dbn->BtnClick(tk::DBNavigator::Button::Edit);
    w->tblMain->FieldByName(QStringLiteral("EMAIL"))->SetAsString(QStringLiteral("post@example.org"));
    QTest::mouseClick(w->btnOK, Qt::LeftButton);
    QVERIFY(w->sbtEmail->isEnabled());
    QVERIFY(!w->sbtWebLaunch->isEnabled());
    QString started;
    w->handlerCommand = [](const QString &scheme) { return QStringLiteral("open-") + scheme + QStringLiteral(" %1"); };
    w->startProgram = [&started](const QString &program, const QStringList &arguments) {
        started = program + QLatin1Char('|') + arguments.join(QLatin1Char('|'));
    };
    w->sbtEmailClick();
    QCOMPARE(started, QStringLiteral("open-mailto|mailto:post@example.org"));
}

void TestfrmAdress::importantFlagShowsTheUndecidedState()
{
    auto w = openWindow();
    insertAddress(*w, QStringLiteral("Flag"));
    QCOMPARE(w->dbcbWichtig->checkState(), Qt::PartiallyChecked);
    w->dbn->BtnClick(tk::DBNavigator::Button::Edit);
    w->tblMain->FieldByName(QStringLiteral("WICHTIG"))->SetAsString(QStringLiteral("w"));
    QCOMPARE(w->dbcbWichtig->checkState(), Qt::Checked);
    w->tblMain->FieldByName(QStringLiteral("WICHTIG"))->SetAsString(QStringLiteral("F"));
    QCOMPARE(w->dbcbWichtig->checkState(), Qt::Unchecked);
    w->tblMain->Cancel();
    const QString dir = qEnvironmentVariable("TESSARON_SCREENSHOTS");
    if (!dir.isEmpty()) {
        w->pc->setCurrentIndex(0);
        w->grab().save(dir + QStringLiteral("/address-book.png"));
        w->pc->setCurrentIndex(1);
        w->grab().save(dir + QStringLiteral("/address-book-2.png"));
        w->pc->setCurrentIndex(3);
        w->grab().save(dir + QStringLiteral("/address-book-table.png"));
    }
}

void TestfrmAdress::typedTitleIsLearnedAndOfferedOnTheNextAddress()
{
    // A fresh installation: the titles table is empty, so the title can only
    // be typed.
    auto w = openWindow();
    QVERIFY(QTest::qWaitForWindowExposed(w.get()));
    insertAddress(*w, QStringLiteral("Berger"));
    w->dbn->BtnClick(tk::DBNavigator::Button::Edit);
    auto *title = static_cast<QComboBox *>(w->dblcTitel);
    QVERIFY(title->isEditable());
    title->setFocus();
    QTest::keyClicks(title, QStringLiteral("Dipl.-Ing."));
    QTest::keyClick(title, Qt::Key_Tab);
    QCOMPARE(w->tblMain->FieldByName(QStringLiteral("TITEL"))->AsString(), QStringLiteral("Dipl.-Ing."));
    const QString dir = qEnvironmentVariable("TESSARON_SCREENSHOTS");
    if (!dir.isEmpty())
        w->grab().save(dir + QStringLiteral("/address-typed-title.png"));
    QTest::mouseClick(w->btnOK, Qt::LeftButton);

    // Leaving the address teaches the titles table; the next address offers it.
    w->dbn->BtnClick(tk::DBNavigator::Button::Insert);
    QVERIFY(w->tblTitel->Locate(QStringLiteral("TITEL"), {QStringLiteral("Dipl.-Ing.")}));
    QTRY_COMPARE(title->findText(QStringLiteral("Dipl.-Ing.")), 0);
    w->tblMain->FieldByName(QStringLiteral("FAMNAME"))->SetAsString(QStringLiteral("Claasen"));
    title->setCurrentIndex(0);
    emit title->activated(0);
    QCOMPARE(w->tblMain->FieldByName(QStringLiteral("TITEL"))->AsString(), QStringLiteral("Dipl.-Ing."));
    if (!dir.isEmpty()) {
        title->showPopup();
        QTest::qWait(50);
        QPixmap shot = w->grab();
        if (QWidget *popup = title->view()->window(); popup && popup->isVisible()) {
            QPainter painter(&shot);
            painter.drawPixmap(w->mapFromGlobal(popup->mapToGlobal(QPoint(0, 0))), popup->grab());
        }
        shot.save(dir + QStringLiteral("/address-learned-title.png"));
        title->hidePopup();
    }
    QTest::mouseClick(w->btnOK, Qt::LeftButton);
    // No title, no titles record.
    insertAddress(*w, QStringLiteral("Ohne"));
    w->dbn->BtnClick(tk::DBNavigator::Button::First);
    QCOMPARE(w->tblTitel->RecordCount(), 1);
}

void TestfrmAdress::shortRemarkFillsAnEmptyNote()
{
    auto w = openWindow();
    insertAddress(*w, QStringLiteral("Anders"));
    w->dbn->BtnClick(tk::DBNavigator::Button::Edit);
    w->tblMain->FieldByName(QStringLiteral("BEMERKUNG"))->SetAsString(QStringLiteral("Ruft abends an"));
    QTest::mouseClick(w->btnOK, Qt::LeftButton);
    insertAddress(*w, QStringLiteral("Zander"));
    w->dbn->BtnClick(tk::DBNavigator::Button::First);
    QCOMPARE(w->tblMain->FieldByName(QStringLiteral("FAMNAME"))->AsString(), QStringLiteral("Anders"));
    QCOMPARE(w->tblNotizen->FieldByName(QStringLiteral("NOTIZ"))->AsString().trimmed(), QStringLiteral("Ruft abends an"));
    // A note that holds something stays as it is.
    w->dbn->BtnClick(tk::DBNavigator::Button::Edit);
    w->tblNotizen->FieldByName(QStringLiteral("NOTIZ"))->SetAsString(QStringLiteral("Eigene Notiz"));
    QTest::mouseClick(w->btnOK, Qt::LeftButton);
    w->dbn->BtnClick(tk::DBNavigator::Button::Last);
    w->dbn->BtnClick(tk::DBNavigator::Button::First);
    QCOMPARE(w->tblNotizen->FieldByName(QStringLiteral("NOTIZ"))->AsString().trimmed(), QStringLiteral("Eigene Notiz"));
}

void TestfrmAdress::windowGrowsAndTheFilterLabelMovesNothing()
{
    auto w = openWindow();
    QVERIFY(QTest::qWaitForWindowExposed(w.get()));
    QCOMPARE(w->minimumSize(), QSize(624, 360));
    QCOMPARE(w->size(), QSize(624, 360));
    const QRect pages = w->pc->geometry();
    const int column = w->btnOK->width();
    w->lblFilter->setText(QStringLiteral("12345 Datensätze gefiltert, eine lange Zeile"));
    w->lblFilter->show();
    QApplication::processEvents();
    QCOMPARE(w->pc->geometry(), pages);
    QCOMPARE(w->btnOK->width(), column);

    w->resize(900, 600);
    QApplication::processEvents();
    QVERIFY(w->pc->width() > pages.width() + 200);
    QVERIFY(w->pc->height() > pages.height() + 200);
    w->pc->setCurrentIndex(3);
    QApplication::processEvents();
    QVERIFY(w->dbgTabelle->height() > 400);
    w->resize(100, 100);
    QVERIFY(w->width() >= 624 && w->height() >= 360);
}

void TestfrmAdress::importKeepsTheFilterAndItsLabel()
{
    auto w = openWindow();
    for (const char *name : {"Meier", "Müller", "Albers"})
        insertAddress(*w, QString::fromUtf8(name));
    collectiontest::filterBySurname(*w, QStringLiteral("M"));
    QCOMPARE(w->tblMain->RecordCount(), 2);
    // An import of one address that the filter shows and one it hides: the
    // window reopens its tables with the filter still in force.
    const QString file = m_dir->filePath(QStringLiteral("neu.vcf"));
    {
        QFile out(file);
        QVERIFY(out.open(QIODevice::WriteOnly));
        out.write("BEGIN:VCARD\r\nVERSION:4.0\r\nFN:Mayer\r\nN:Mayer;;;;\r\nEND:VCARD\r\n"
                  "BEGIN:VCARD\r\nVERSION:4.0\r\nFN:Berger\r\nN:Berger;;;;\r\nEND:VCARD\r\n");
    }
    QVERIFY(w->exchange);
    QCOMPARE(w->btnExchange, w->sbtImport);
    QCOMPARE(w->sbtImport->menu(), w->exchange->menu());
    w->exchange->chooseFile = [&](bool, ExchangeCommands::Format, const QString &) { return file; };
    bool summaryShown = false;
    w->exchange->runDialog = [&](QDialog &) { summaryShown = true; };
    w->exchange->importFile(ExchangeCommands::Format::VCard);
    QVERIFY(summaryShown);
    QCOMPARE(w->exchange->lastImport.added, 2);
    QCOMPARE(w->tblMain->RecordCount(), 3);
    QVERIFY(w->lblFilter->isVisible());
    QCOMPARE(w->lblFilter->text(), tk::formatText(LangText(10001), {3}));
}

void TestfrmAdress::linksAlwaysBeginWithTheirSchemeAndStayOneArgument()
{
    int refused = 0;
    QCOMPARE(TfrmAdress::linkOf(QStringLiteral("a@b.de"), true, &refused), QStringLiteral("mailto:a@b.de"));
    QCOMPARE(TfrmAdress::linkOf(QStringLiteral("MAILTO:a@b.de"), true, &refused), QStringLiteral("mailto:a@b.de"));
    QCOMPARE(TfrmAdress::linkOf(QStringLiteral("-a@b.de"), true, &refused), QStringLiteral("mailto:-a@b.de"));
    QCOMPARE(TfrmAdress::linkOf(QStringLiteral("www.x.de"), false, &refused), QStringLiteral("http://www.x.de"));
    QCOMPARE(TfrmAdress::linkOf(QStringLiteral("HTTPS://x.de/a"), false, &refused), QStringLiteral("https://x.de/a"));
    QCOMPARE(TfrmAdress::linkOf(QStringLiteral("www.x.de:8080/a"), false, &refused),
             QStringLiteral("http://www.x.de:8080/a"));
    QCOMPARE(refused, 0);
    for (const char *bad : {"x --new-window file:///etc/passwd", "a@b.de\r\nX", "x\tb"}) {
        QVERIFY(TfrmAdress::linkOf(QString::fromLatin1(bad), false, &refused).isEmpty());
        QCOMPARE(refused, 10951);
    }
    for (const char *other : {"file:///etc/passwd", "javascript:alert(1)", "ftp://x.de"}) {
        QVERIFY(TfrmAdress::linkOf(QString::fromLatin1(other), false, &refused).isEmpty());
        QCOMPARE(refused, 10952);
    }
    QVERIFY(TfrmAdress::linkOf(QStringLiteral("http://x.de"), true, &refused).isEmpty());
    QCOMPARE(refused, 10952);

    // The stored value that used to smuggle options in is refused with a
    // message; nothing is started.
    auto w = openWindow();
    insertAddress(*w, QStringLiteral("Web"));
    w->dbn->BtnClick(tk::DBNavigator::Button::Edit);
    w->tblMain->FieldByName(QStringLiteral("WWW"))->SetAsString(QStringLiteral("x --new-window file:///etc/passwd"));
    QTest::mouseClick(w->btnOK, Qt::LeftButton);
    QStringList started;
    w->handlerCommand = [](const QString &) { return QStringLiteral("browser --new-tab %1"); };
    w->startProgram = [&started](const QString &program, const QStringList &arguments) {
        started = QStringList{program} + arguments;
    };
    tk::MessageBox::presetAnswer(tk::MessageBox::Answer::Ok);
    w->sbtWebLaunchClick();
    QVERIFY(started.isEmpty());
    QCOMPARE(tk::MessageBox::lastKind(), tk::MessageBox::Kind::Error);
    QVERIFY(tk::MessageBox::lastText().contains(QStringLiteral("--new-window")));
    w->dbn->BtnClick(tk::DBNavigator::Button::Edit);
    w->tblMain->FieldByName(QStringLiteral("WWW"))->SetAsString(QStringLiteral("www.example.org/a%20b"));
    QTest::mouseClick(w->btnOK, Qt::LeftButton);
    w->sbtWebLaunchClick();
    QCOMPARE(started, (QStringList{QStringLiteral("browser"), QStringLiteral("--new-tab"),
                                   QStringLiteral("http://www.example.org/a%20b")}));
}

TESSARON_TEST(TestfrmAdress)
#include "TestfrmAdress.moc"
