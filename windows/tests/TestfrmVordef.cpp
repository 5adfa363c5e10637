// The reference-tables window on real tables: input rules of the grids,
// encryption of the reference tables, the navigator following the pages,
// OK and Cancel, and the CDDB page with its list, its choice of a server
// and its editors.
#include "media/CddbServerList.h"
#include "media/tests/LoopbackCddbServer.h"
#include "platform/Profile.h"
#include "toolkit/controls/DBGrid.h"
#include "toolkit/controls/DBNavigator.h"
#include "toolkit/data/DataErrors.h"
#include "windows/ServerListEditor.h"
#include "windows/TfrmAdress.h"
#include "windows/TfrmVordef.h"
#include "xbase/api/XbApi.h"

#include "CollectionTestData.h"

#include <QApplication>
#include <QDir>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolButton>

#include "testing/TestRegistry.h"

using collectiontest::addRow;
using collectiontest::textNumbers;

namespace {

const QString kHttpLine = QStringLiteral("cddb.example.org http 80 /~cddb/cddb.cgi N051.56 E007.28 Dortmund server");
const QString kCddbpLine = QStringLiteral("cddb.example.org cddbp 8880 - N051.56 E007.28 Dortmund server");
const QStringList kAnswer{QStringLiteral("HTTP/1.1 200 OK"), QString(),
                          QStringLiteral("210 OK, site information follows (until terminating `.')"), kHttpLine,
                          kCddbpLine, QStringLiteral(".")};
constexpr int kTitlePage = 5, kInterpretPage = 1, kCddbPage = 9;

QString serverListPath()
{
    return QDir(config().ZVData).filePath(QStringLiteral("CDDB-Srv.Lst"));
}

void writeServerList(const QStringList &lines)
{
    QFile file(serverListPath());
    QVERIFY(file.open(QIODevice::WriteOnly));
    for (const QString &line : lines)
        file.write(line.toLatin1() + "\r\n");
}

QByteArray fileBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

QString iniValue(const char *key)
{
    return QString::fromStdString(config().profile().readString("User", key));
}

QStringList labels(const TfrmVordef &w)
{
    return {w.lblCDDBServ->text(), w.lblCDDBPort->text(), w.lblCDDBType->text(), w.lblCDDBcgi->text()};
}

void clickLine(TfrmVordef &w, int row)
{
    const QRect rect = w.lbCDDB->visualItemRect(w.lbCDDB->item(row));
    QTest::mouseClick(w.lbCDDB->viewport(), Qt::LeftButton, {}, rect.center());
}

// Types `text` into the current cell's editor of `grid`; with `enter` it
// ends with the Return key.
void typeIntoCell(tk::DBGrid *grid, int column, const QString &text, bool enter = true)
{
    const int row = grid->gridModel()->currentRow();
    grid->setCurrentIndex(grid->gridModel()->index(row, column));
    grid->setFocus();
    QTest::keyClick(grid, Qt::Key_F2);
    auto *editor = qobject_cast<QLineEdit *>(QApplication::focusWidget());
    QVERIFY(editor);
    editor->selectAll();
    QTest::keyClicks(editor, text);
    if (enter)
        QTest::keyClick(editor, Qt::Key_Return);
}


} // namespace

class TestfrmVordef : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void lowerCaseTitleIsStoredCapitalisedAndTheAddressWindowFindsIt();
    void cellsKeepToTheirInputRules();
    void plainReferenceTablesAreEncryptedOnFirstOpen();
    void navigatorFollowsThePageButKeepsItsTableOnTheCddbPage();
    void okAndCancelWorkThroughEveryTable();
    void okWithoutEditsStoresTheServerChoiceAndCloses();
    void clicksOnServerLinesSetTheLabels();
    void sitesAnswerFromTheServerReplacesTheList();
    void userEditorIsWaitedFor();
    void ownEditorWithoutADesktopEditor();
    void bothLanguageFilesCarryTheWindowTexts();
    void englishTextsAndScreenshots();

private:
    std::unique_ptr<TfrmVordef> openWindow();

    std::unique_ptr<QTemporaryDir> m_dir;
};

void TestfrmVordef::init()
{
    // A data folder with umlauts in its path.
    m_dir = std::make_unique<QTemporaryDir>(QDir::tempPath() + QStringLiteral("/Vordefinitionen-äöü-XXXXXX"));
    QVERIFY(collectiontest::startUp(m_dir->path()));
    QVERIFY(collectiontest::createTables(
        config().ZVData, {schema::kMsparten, schema::kInterpre, schema::kVsparten, schema::kStaaten, schema::kPlz,
                          schema::kTitel, schema::kSex, schema::kBsparten, schema::kAutoren}));
    qunsetenv("VISUAL");
    qunsetenv("EDITOR");
}

void TestfrmVordef::cleanup()
{
    xb_CloseAll();
    tk::MessageBox::clearPresets();
    tk::Language::current().clear();
}

std::unique_ptr<TfrmVordef> TestfrmVordef::openWindow()
{
    auto w = std::make_unique<TfrmVordef>();
    w->show();
    w->activateWindow();
    return w;
}

void TestfrmVordef::lowerCaseTitleIsStoredCapitalisedAndTheAddressWindowFindsIt()
{
    {
        auto w = openWindow();
        QVERIFY(QTest::qWaitForWindowActive(w.get()));
        w->pcVordef->setCurrentIndex(kTitlePage);
        QCOMPARE(w->navigatorTable(), w->tblTitel);
        QVERIFY(w->dbn->BtnClick(tk::DBNavigator::Button::Insert));
        typeIntoCell(w->dbgTitel, 0, QStringLiteral("dr. med."));
        // The salutation is still in its cell editor when OK is pressed.
        typeIntoCell(w->dbgTitel, 1, QStringLiteral("Sehr geehrter Herr Dr. med."), false);
        QCOMPARE(w->tblTitel->state(), tk::DataSet::State::Insert);
        // The first press posts and the window stays; the second closes it.
        QTest::mouseClick(w->sbtOK, Qt::LeftButton);
        QCOMPARE(w->tblTitel->state(), tk::DataSet::State::Browse);
        QVERIFY(w->isVisible());
        QCOMPARE(w->tblTitel->FieldByName(QStringLiteral("TITEL"))->AsString(), QStringLiteral("Dr. med."));
        QCOMPARE(w->tblTitel->FieldByName(QStringLiteral("ANREDE"))->AsString(),
                 QStringLiteral("Sehr geehrter Herr Dr. med."));
        QTest::mouseClick(w->sbtOK, Qt::LeftButton);
        QVERIFY(!w->isVisible());
    }
    xb_CloseAll();
    QVERIFY(collectiontest::createTables(config().ZVData, {schema::kAdress, schema::kNotizen}));
    TfrmAdress address;
    address.show();
    address.dbn->BtnClick(tk::DBNavigator::Button::Insert);
    address.tblMain->FieldByName(QStringLiteral("FAMNAME"))->SetAsString(QStringLiteral("Arzt"));
    address.tblMain->FieldByName(QStringLiteral("TITEL"))->SetAsString(QStringLiteral("DR. MED."));
    QCOMPARE(address.tblMain->FieldByName(QStringLiteral("ANREDE"))->AsString(),
             QStringLiteral("Sehr geehrter Herr Dr. med."));
    address.tblMain->Cancel();
}

void TestfrmVordef::cellsKeepToTheirInputRules()
{
    auto w = openWindow();
    w->pcVordef->setCurrentIndex(3);
    QCOMPARE(w->navigatorTable(), w->tblStaaten);
    tk::DBGridModel *grid = w->dbgStaaten->gridModel();
    QVERIFY(w->dbn->BtnClick(tk::DBNavigator::Button::Insert));
    const int row = grid->currentRow();
    // Two letters are no country code: refused, the row stays in insert.
    QVERIFY_THROWS_EXCEPTION(tk::DataSetError, grid->setCellText(grid->index(row, 0), QStringLiteral("at")));
    QCOMPARE(w->tblStaaten->state(), tk::DataSet::State::Insert);
    QVERIFY(grid->setCellText(grid->index(row, 0), QStringLiteral("aut")));
    QVERIFY_THROWS_EXCEPTION(tk::DataSetError, grid->setCellText(grid->index(row, 1), QStringLiteral(" sterreich")));
    QVERIFY(grid->setCellText(grid->index(row, 1), QStringLiteral("österreich")));
    QTest::mouseClick(w->sbtOK, Qt::LeftButton);
    QCOMPARE(w->tblStaaten->FieldByName(QStringLiteral("STAAT"))->AsString(), QStringLiteral("AUT"));
    QCOMPARE(w->tblStaaten->FieldByName(QStringLiteral("NAME"))->AsString(), QStringLiteral("Österreich"));

    // Postal codes: the town at most 27 characters, the state in capitals,
    // the rest as typed; a first name's sex is required.
    w->pcVordef->setCurrentIndex(4);
    tk::DBGridModel *codes = w->dbgPlz->gridModel();
    QVERIFY(w->dbn->BtnClick(tk::DBNavigator::Button::Insert));
    const int r = codes->currentRow();
    QVERIFY_THROWS_EXCEPTION(tk::DataSetError, codes->setCellText(codes->index(r, 0), QString(28, QLatin1Char('x'))));
    QVERIFY(codes->setCellText(codes->index(r, 0), QStringLiteral("dortmund")));
    QVERIFY(codes->setCellText(codes->index(r, 1), QStringLiteral("nw")));
    QVERIFY_THROWS_EXCEPTION(tk::DataSetError, codes->setCellText(codes->index(r, 2), QStringLiteral("d  ")));
    QVERIFY(codes->setCellText(codes->index(r, 2), QStringLiteral("deu")));
    QVERIFY(codes->setCellText(codes->index(r, 3), QStringLiteral("44135")));
    QTest::mouseClick(w->sbtOK, Qt::LeftButton);
    QCOMPARE(w->tblPlz->FieldByName(QStringLiteral("GEMEINDE"))->AsString(), QStringLiteral("Dortmund"));
    QCOMPARE(w->tblPlz->FieldByName(QStringLiteral("BUNDESLAND"))->AsString(), QStringLiteral("NW"));
    QCOMPARE(w->tblPlz->FieldByName(QStringLiteral("STAAT"))->AsString(), QStringLiteral("DEU"));
    QCOMPARE(codes->headerData(1, Qt::Horizontal).toString(), QStringLiteral("Bld."));
    QCOMPARE(codes->headerData(3, Qt::Horizontal, Qt::TextAlignmentRole).value<Qt::Alignment>() & Qt::AlignHorizontal_Mask,
             Qt::Alignment(Qt::AlignHCenter));

    w->pcVordef->setCurrentIndex(6);
    tk::DBGridModel *sexes = w->dbgSex->gridModel();
    QVERIFY(w->dbn->BtnClick(tk::DBNavigator::Button::Insert));
    QVERIFY(sexes->setCellText(sexes->index(sexes->currentRow(), 0), QStringLiteral("andrea")));
    QVERIFY_THROWS_EXCEPTION(tk::DataSetError, sexes->setCellText(sexes->index(sexes->currentRow(), 1), QString()));
    QVERIFY(sexes->setCellText(sexes->index(sexes->currentRow(), 1), QStringLiteral("w")));
    QTest::mouseClick(w->sbtOK, Qt::LeftButton);
    QCOMPARE(w->tblSex->FieldByName(QStringLiteral("SEX"))->AsString(), QStringLiteral("W"));

    // Only the titles grid lets the user resize its columns.
    QCOMPARE(w->dbgTitel->horizontalHeader()->sectionResizeMode(0), QHeaderView::Interactive);
    QCOMPARE(w->dbgPlz->horizontalHeader()->sectionResizeMode(0), QHeaderView::Fixed);
}

void TestfrmVordef::plainReferenceTablesAreEncryptedOnFirstOpen()
{
    const QString dir = config().ZVData;
    // A new table, with a row written before any window had it.
    {
        TXbaseDataSet plz;
        plz.DatabaseName = dir;
        plz.SetTableName(QStringLiteral("PLZ.DBF"));
        plz.Open();
        QVERIFY(!plz.IsEncrypted());
        plz.Append();
        plz.FieldByName(QStringLiteral("GEMEINDE"))->SetAsString(QStringLiteral("Bochum"));
        plz.FieldByName(QStringLiteral("PLZ"))->SetAsString(QStringLiteral("44787"));
        plz.Post();
        plz.Close();
    }
    auto w = openWindow();
    QVERIFY(w->tblPlz->IsEncrypted());
    QCOMPARE(w->tblPlz->FieldByName(QStringLiteral("GEMEINDE"))->AsString(), QStringLiteral("Bochum"));
    for (TXbaseDataSet *t : {w->tblStaaten, w->tblTitel, w->tblSex})
        QVERIFY(t->IsEncrypted());
    QVERIFY(!w->tblMSparten->IsEncrypted());

    // The import button closes the table, shows the notice and opens it again.
    tk::MessageBox::presetAnswer(tk::MessageBox::Answer::Ok);
    QTest::mouseClick(w->sbtImport, Qt::LeftButton);
    QCOMPARE(tk::MessageBox::lastText(), QStringLiteral("notice"));
    QVERIFY(w->tblPlz->Active());
    QCOMPARE(w->tblPlz->FieldByName(QStringLiteral("GEMEINDE"))->AsString(), QStringLiteral("Bochum"));
    w.reset();
    xb_CloseAll();

    // Without the password the file shows it is enciphered.
    TXbaseDataSet plain;
    plain.DatabaseName = dir;
    plain.SetTableName(QStringLiteral("PLZ.DBF"));
    plain.Open();
    QVERIFY(plain.IsEncrypted());
}

void TestfrmVordef::navigatorFollowsThePageButKeepsItsTableOnTheCddbPage()
{
    for (const char *artist : {"Abba", "Beatles", "Cream"})
        addRow(config().ZVData, "INTERPRE.DBF", schema::kInterpre, {{"INTERPRET", QString::fromLatin1(artist)}});
    auto w = openWindow();
    QCOMPARE(w->pcVordef->currentIndex(), 0);
    QCOMPARE(w->navigatorTable(), w->tblMSparten);
    w->pcVordef->setCurrentIndex(kInterpretPage);
    QCOMPARE(w->navigatorTable(), w->tblInterpre);
    w->tblInterpre->First();
    w->pcVordef->setCurrentIndex(kCddbPage);
    QCOMPARE(w->pcVordef->tabText(kCddbPage), QStringLiteral("CDDB-Server"));
    QCOMPARE(w->navigatorTable(), w->tblInterpre);
    QVERIFY(w->dbn->BtnClick(tk::DBNavigator::Button::Next));
    QCOMPARE(w->tblInterpre->FieldByName(QStringLiteral("INTERPRET"))->AsString(), QStringLiteral("Beatles"));
    QVERIFY(w->dbn->BtnClick(tk::DBNavigator::Button::Last));
    QCOMPARE(w->tblInterpre->FieldByName(QStringLiteral("INTERPRET"))->AsString(), QStringLiteral("Cream"));
    w->pcVordef->setCurrentIndex(8);
    QCOMPARE(w->navigatorTable(), w->tblAutoren);
}

void TestfrmVordef::okAndCancelWorkThroughEveryTable()
{
    addRow(config().ZVData, "AUTOREN.DBF", schema::kAutoren, {{"AUTOR", QStringLiteral("Fontane, Theodor")}});
    addRow(config().ZVData, "MSPARTEN.DBF", schema::kMsparten, {{"SPARTE", QStringLiteral("Jazz")}});
    auto w = openWindow();
    // Edits pending in two tables at once: Cancel drops both and stays.
    w->tblAutoren->Edit();
    w->tblAutoren->FieldByName(QStringLiteral("AUTOR"))->SetAsString(QStringLiteral("Mann, Thomas"));
    w->tblMSparten->Edit();
    w->tblMSparten->FieldByName(QStringLiteral("SPARTE"))->SetAsString(QStringLiteral("Blues"));
    QTest::mouseClick(w->sbtcancel, Qt::LeftButton);
    QVERIFY(w->isVisible());
    QCOMPARE(w->tblAutoren->FieldByName(QStringLiteral("AUTOR"))->AsString(), QStringLiteral("Fontane, Theodor"));
    QCOMPARE(w->tblMSparten->FieldByName(QStringLiteral("SPARTE"))->AsString(), QStringLiteral("Jazz"));

    // OK posts both and also stores the server shown; the window stays.
    w->tblAutoren->Edit();
    w->tblAutoren->FieldByName(QStringLiteral("AUTOR"))->SetAsString(QStringLiteral("Mann, Thomas"));
    w->tblMSparten->Edit();
    w->tblMSparten->FieldByName(QStringLiteral("SPARTE"))->SetAsString(QStringLiteral("Blues"));
    w->lblCDDBServ->setText(QStringLiteral("cddb.example.org"));
    QTest::mouseClick(w->sbtOK, Qt::LeftButton);
    QVERIFY(w->isVisible());
    QCOMPARE(w->tblAutoren->state(), tk::DataSet::State::Browse);
    QCOMPARE(w->tblMSparten->state(), tk::DataSet::State::Browse);
    QCOMPARE(iniValue("CDDBServer"), QStringLiteral("cddb.example.org"));
    w.reset();
    xb_CloseAll();
    TXbaseDataSet authors;
    authors.DatabaseName = config().ZVData;
    authors.SetTableName(QStringLiteral("AUTOREN.DBF"));
    authors.Open();
    QCOMPARE(authors.FieldByName(QStringLiteral("AUTOR"))->AsString(), QStringLiteral("Mann, Thomas"));

    // Closing with a pending edit asks first; Cancel keeps the window.
    auto again = openWindow();
    again->tblAutoren->Edit();
    tk::MessageBox::presetAnswer(tk::MessageBox::Answer::Cancel);
    QVERIFY(!again->close());
    QVERIFY(again->tblAutoren->Editing());
}

void TestfrmVordef::okWithoutEditsStoresTheServerChoiceAndCloses()
{
    writeServerList(kAnswer);
    config().CDDBServer = QStringLiteral("cddb.example.org");
    {
        // Nothing chosen: OK writes back what was stored.
        auto w = openWindow();
        QCOMPARE(w->lbCDDB->count(), kAnswer.size());
        QCOMPARE(w->lbCDDB->currentRow(), 3);
        QCOMPARE(labels(*w), (QStringList{QStringLiteral("cddb.example.org"), QStringLiteral("80"),
                                          QStringLiteral("http"), QStringLiteral("/~cddb/cddb.cgi")}));
        QTest::mouseClick(w->sbtOK, Qt::LeftButton);
        QVERIFY(!w->isVisible());
        QCOMPARE(iniValue("CDDBServer"), QStringLiteral("cddb.example.org"));
        QCOMPARE(iniValue("CDDBcgi"), QStringLiteral("/~cddb/cddb.cgi"));
    }
    {
        // Cancel leaves the keys as they were.
        auto w = openWindow();
        w->pcVordef->setCurrentIndex(kCddbPage);
        clickLine(*w, 4);
        QCOMPARE(w->lblCDDBType->text(), QStringLiteral("cddbp"));
        QTest::mouseClick(w->sbtcancel, Qt::LeftButton);
        QVERIFY(!w->isVisible());
        QCOMPARE(iniValue("CDDBType"), QStringLiteral("http"));
        QCOMPARE(config().CDDBType, QStringLiteral("http"));
    }
    auto w = openWindow();
    w->pcVordef->setCurrentIndex(kCddbPage);
    clickLine(*w, 4);
    QTest::mouseClick(w->sbtOK, Qt::LeftButton);
    QVERIFY(!w->isVisible());
    QCOMPARE(config().CDDBType, QStringLiteral("cddbp"));
    QCOMPARE(config().CDDBPort, QStringLiteral("8880"));
    QCOMPARE(iniValue("CDDBType"), QStringLiteral("cddbp"));
    QCOMPARE(iniValue("CDDBPort"), QStringLiteral("8880"));
    QCOMPARE(iniValue("CDDBcgi"), QStringLiteral("-"));
}

void TestfrmVordef::clicksOnServerLinesSetTheLabels()
{
    writeServerList(kAnswer);
    config().CDDBServer = QStringLiteral("other.example.net");
    auto w = openWindow();
    w->pcVordef->setCurrentIndex(kCddbPage);
    QCOMPARE(w->lbCDDB->currentRow(), -1);
    const QStringList before = labels(*w);
    for (int row : {0, 2, 5}) {
        clickLine(*w, row); // the status lines and the final "."
        QCOMPARE(labels(*w), before);
    }
    clickLine(*w, 3);
    QCOMPARE(labels(*w), (QStringList{QStringLiteral("cddb.example.org"), QStringLiteral("80"), QStringLiteral("http"),
                                      QStringLiteral("/~cddb/cddb.cgi")}));
    clickLine(*w, 4);
    QCOMPARE(labels(*w), (QStringList{QStringLiteral("cddb.example.org"), QStringLiteral("8880"),
                                      QStringLiteral("cddbp"), QStringLiteral("-")}));
}

void TestfrmVordef::sitesAnswerFromTheServerReplacesTheList()
{
    LoopbackCddbServer server;
    server.bareLf = true;
    server.answer = [](const QByteArray &) {
        QByteArray body;
        for (const QString &line : kAnswer.mid(2))
            body += line.toLatin1() + "\r\n";
        return body;
    };
    auto w = openWindow();
    QCOMPARE(w->lbCDDB->count(), 1);
    QCOMPARE(w->lbCDDB->item(0)->text(), QString::fromLatin1(media::kCddbServerListPlaceholder));
    w->sitesHost = QStringLiteral("127.0.0.1");
    w->sitesPort = server.port();
    w->pcVordef->setCurrentIndex(kCddbPage);
    tk::MessageBox::presetAnswer(tk::MessageBox::Answer::Yes);
    QTest::mouseClick(w->sbtCDDBupd, Qt::LeftButton);
    QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(serverListPath()), 5000);
    const QByteArray bytes = fileBytes(serverListPath());
    QCOMPARE(bytes, LoopbackCddbServer::header() + server.answer({}));
    QVERIFY(!bytes.contains("\r\r") && bytes.count('\n') == bytes.count("\r\n"));
    QVERIFY(w->lbCDDB->count() > kAnswer.size());
    QVERIFY(w->pcVordef->widget(kCddbPage)->isEnabled());

    // A request still out when the window closes is dropped with it.
    QTest::mouseClick(w->sbtCDDBupd, Qt::LeftButton);
    w.reset();
    const int shown = tk::MessageBox::shownCount();
    QTRY_COMPARE_WITH_TIMEOUT(server.responses.size(), 2, 5000);
    QTest::qWait(300);
    QCOMPARE(tk::MessageBox::shownCount(), shown);
}

void TestfrmVordef::userEditorIsWaitedFor()
{
    writeServerList(kAnswer);
    // A desktop editor by name that adds a line and takes its time.
    QTemporaryDir bin;
    const QString editor = bin.filePath(QStringLiteral("mousepad"));
    {
        QFile script(editor);
        QVERIFY(script.open(QIODevice::WriteOnly));
        script.write("#!/bin/sh\n"
                     "[ \"$1\" = --disable-server ] || exit 1\n"
                     "sleep 0.3\n"
                     "printf 'added.example.org http 80 /cddb.cgi N0 W0 added\\r\\n' >> \"$2\"\n");
        script.setPermissions(script.permissions() | QFileDevice::ExeOwner);
    }
    qputenv("VISUAL", "vi");
    qputenv("EDITOR", editor.toLocal8Bit());
    auto w = openWindow();
    w->pcVordef->setCurrentIndex(kCddbPage);
    QTest::mouseClick(w->sbtEdCDDB, Qt::LeftButton);
    QCOMPARE(w->lbCDDB->count(), kAnswer.size() + 1);
    QVERIFY(w->lbCDDB->item(kAnswer.size())->text().startsWith(QStringLiteral("added.example.org")));
    QVERIFY(w->isEnabled());
    qunsetenv("VISUAL");
    qunsetenv("EDITOR");

    // Without the file the button does nothing.
    QFile::remove(serverListPath());
    const int shown = tk::MessageBox::shownCount();
    QTest::mouseClick(w->sbtEdCDDB, Qt::LeftButton);
    QCOMPARE(tk::MessageBox::shownCount(), shown);
    QVERIFY(!QFile::exists(serverListPath()));
}

void TestfrmVordef::ownEditorWithoutADesktopEditor()
{
    writeServerList(kAnswer);
    qputenv("EDITOR", "nano");
    auto w = openWindow();
    bool seen = false;
    QTimer::singleShot(0, this, [&seen] {
        auto *dialog = qobject_cast<ServerListEditor *>(QApplication::activeModalWidget());
        if (!dialog)
            return;
        seen = true;
        QCOMPARE(dialog->lines(), kAnswer);
        dialog->meList->appendPlainText(kHttpLine);
        QTest::mouseClick(dialog->sbtOK, Qt::LeftButton);
    });
    QTest::mouseClick(w->sbtEdCDDB, Qt::LeftButton);
    QVERIFY(seen);
    QCOMPARE(w->lbCDDB->count(), kAnswer.size() + 1);
    QByteArray expected;
    for (const QString &line : kAnswer + QStringList{kHttpLine})
        expected += line.toLatin1() + "\r\n";
    QCOMPARE(fileBytes(serverListPath()), expected);
    qunsetenv("EDITOR");
}

void TestfrmVordef::bothLanguageFilesCarryTheWindowTexts()
{
    using Range = std::pair<int, int>;
    for (const Range &range : {Range{2150, 2200}, Range{7150, 7200}}) {
        const auto &[from, to] = range;
        const QSet<int> german = textNumbers("QorvaGER.lng", from, to);
        QVERIFY(!german.isEmpty());
        QCOMPARE(textNumbers("QorvaENG.lng", from, to), german);
    }
    // Every Tag of the window and of its editor has its text.
    const QSet<int> german = textNumbers("QorvaGER.lng", 2150, 2200);
    for (int tag = 1; tag <= 22; ++tag)
        QVERIFY2(german.contains(2150 + tag), qPrintable(QString::number(tag)));
}

void TestfrmVordef::englishTextsAndScreenshots()
{
    tk::Language::current().clear();
    QVERIFY(collectiontest::startUp(m_dir->path(), "QorvaENG.lng"));
    const QString dir = config().ZVData;
    addRow(dir, "MSPARTEN.DBF", schema::kMsparten, {{"SPARTE", QStringLiteral("Blues")}});
    addRow(dir, "MSPARTEN.DBF", schema::kMsparten, {{"SPARTE", QStringLiteral("Jazz")}});
    addRow(dir, "PLZ.DBF", schema::kPlz,
           {{"GEMEINDE", QStringLiteral("Dortmund")}, {"BUNDESLAND", QStringLiteral("NW")},
            {"STAAT", QStringLiteral("DEU")}, {"PLZ", QStringLiteral("44135")}, {"VORWAHL", 231}});
    addRow(dir, "PLZ.DBF", schema::kPlz,
           {{"GEMEINDE", QStringLiteral("Köln")}, {"BUNDESLAND", QStringLiteral("NW")},
            {"STAAT", QStringLiteral("DEU")}, {"PLZ", QStringLiteral("50667")}, {"VORWAHL", 221}});
    writeServerList(kAnswer);
    auto w = openWindow();
    QCOMPARE(w->windowTitle(), QStringLiteral("Reference tables"));
    QCOMPARE(w->pcVordef->tabText(4), QStringLiteral("Postal codes"));
    QCOMPARE(w->sbtcancel->text(), QStringLiteral("&Cancel"));
    QCOMPARE(w->sbtImport->toolTip(), QStringLiteral("Import postal-code data"));
    QCOMPARE(w->sbtCDDBupd->text(), QStringLiteral("Update server list"));
    QVERIFY(!w->btnHelp->isEnabled());
    const QString shots = qEnvironmentVariable("TESSARON_SCREENSHOTS");
    if (shots.isEmpty())
        return;
    for (const char *file : {"QorvaENG.lng", "QorvaGER.lng"}) {
        w.reset();
        QVERIFY(collectiontest::startUp(m_dir->path(), file));
        config().CDDBServer = QStringLiteral("cddb.example.org");
        w = openWindow();
        QVERIFY(QTest::qWaitForWindowExposed(w.get()));
        const QString suffix = QString::fromLatin1(file).mid(5, 3).toLower();
        for (const auto &[page, name] : {std::pair{0, "genres"}, std::pair{4, "plz"}, std::pair{kCddbPage, "cddb"}}) {
            w->pcVordef->setCurrentIndex(page);
            QTest::qWait(50);
            w->grab().save(shots + QStringLiteral("/vordef-%1-%2.png").arg(QString::fromLatin1(name), suffix));
        }
    }
}

TESSARON_TEST(TestfrmVordef)
#include "TestfrmVordef.moc"
