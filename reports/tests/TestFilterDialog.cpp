// Filter expressions from filled dialogs, run as queries on a real table;
// the order and list choice dialogs.
#include "app/Config.h"
#include "platform/FormatSettings.h"
#include "reports/ChoiceDialog.h"
#include "reports/TfrmFilter.h"
#include "storage/TXbaseDataSet.h"
#include "toolkit/text/Language.h"
#include "toolkit/text/MessageBox.h"
#include "xbase/api/XbApi.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>

#include "testing/TestRegistry.h"

namespace {

struct Person {
    const char *famname;
    const char *vorname;
    const char *plz;
    const char *sex;
    QDate born;
    const char *tel;
};

const Person kPeople[] = {
    {"Meier", "Anna", "1234", "W", QDate(2001, 3, 1), "0221 55"},
    {"Müller", "Bernd", "4999", "M", QDate(1970, 5, 2), "089 1234"},
    {"Mertens", "Carl", "5000", "M", QDate(1980, 1, 1), "030 77"},
    {"Albers", "Dora", "2000", "W", QDate(2001, 3, 2), "040 12"},
    {"Zander \"Zed\"", "Emil", "3000", "V", QDate(1990, 7, 7), "069 9"},
    {"Nowak", "Fritz", "3500", "F", QDate(), "0711 3"},
};

} // namespace

class TestFilterDialog : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void surnameFromMAndPostalCodeUpTo4999();
    void sexItemAndLettersBothApply();
    void dateEntriesAreWrittenOutAndReadByCtod();
    void okWithNothingFilledResetsAllSix();
    void entriesWithQuotesFindTheirRecord();
    void alternativeContentEntriesMeanOr();
    void otherPagesBuildTheirOwnConditions();
    void okWritesTheLogLines();
    void sortDialogRemembersTheOrder();
    void reportChoiceSetsTheProgramWideNumber();
    void translatedDialogs();
    void upperCaseEntriesKeepSharpS();
    void timeEntriesTakeTwoDigitsAColonAndTwoDigits();

private:
    int query(const QString &expression);
    void pressOk(TfrmFilter &dialog);

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<TXbaseDataSet> m_table;
};

void TestFilterDialog::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    LoadConfiguration(config(), m_dir->path());
    platform::FormatSettings::current() = platform::FormatSettings::fromLocaleName(QStringLiteral("de_DE"));
    platform::FormatSettings::current().setCentury(true);
    xb_SetDateFormat(99);
    TXbaseDataSet create;
    create.DatabaseName = m_dir->path();
    QVERIFY(create.CreateNew(QStringLiteral("ADRESS"), 2, 10));
    const char *fields[][2] = {{"FAMNAME", "37"}, {"VORNAME", "37"}, {"PLZ", "6"},  {"ORT", "25"},
                               {"TELNU", "24"},   {"SEX", "1"},      {"INR", "15"}, {"BEMERKUNG", "100"}};
    for (const auto &f : fields)
        create.CreateField(QString::fromLatin1(f[0]), QStringLiteral("C"), QByteArray(f[1]).toInt(), 0);
    create.CreateField(QStringLiteral("GEB_DAT"), QStringLiteral("D"), 8, 0);
    create.CreateField(QStringLiteral("CONTACT1"), QStringLiteral("D"), 8, 0);
    QVERIFY(create.CreateExec());
    m_table = std::make_unique<TXbaseDataSet>();
    m_table->DatabaseName = m_dir->path();
    m_table->SetTableName(QStringLiteral("ADRESS"));
    m_table->Open();
    for (const Person &p : kPeople) {
        m_table->Append();
        m_table->FieldByName(QStringLiteral("FAMNAME"))->SetAsString(QString::fromUtf8(p.famname));
        m_table->FieldByName(QStringLiteral("VORNAME"))->SetAsString(QString::fromUtf8(p.vorname));
        m_table->FieldByName(QStringLiteral("PLZ"))->SetAsString(QString::fromLatin1(p.plz));
        m_table->FieldByName(QStringLiteral("SEX"))->SetAsString(QString::fromLatin1(p.sex));
        m_table->FieldByName(QStringLiteral("TELNU"))->SetAsString(QString::fromLatin1(p.tel));
        m_table->FieldByName(QStringLiteral("GEB_DAT"))->SetAsDate(p.born);
        m_table->Post();
    }
    tk::MessageBox::clearPresets();
}

void TestFilterDialog::cleanup()
{
    m_table.reset();
    xb_CloseAll();
    tk::MessageBox::clearPresets();
}

int TestFilterDialog::query(const QString &expression)
{
    return m_table->Query(expression);
}

void TestFilterDialog::pressOk(TfrmFilter &dialog)
{
    tk::MessageBox::presetAnswer(tk::MessageBox::Answer::Ok);
    QTest::mouseClick(dialog.btnOK, Qt::LeftButton);
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
}

void TestFilterDialog::surnameFromMAndPostalCodeUpTo4999()
{
    TfrmFilter dialog;
    dialog.selectPage(TfrmFilter::PageAddresses);
    QTest::keyClicks(dialog.Zuname1, QStringLiteral("m"));
    QCOMPARE(dialog.Zuname1->text(), QStringLiteral("M")); // upper-case input
    dialog.Plz2->setText(QStringLiteral("4999"));
    pressOk(dialog);
    const QString expression = config().filter(Module::Addresses);
    QCOMPARE(expression, QStringLiteral(".T..and.UPPER(FAMNAME)>=\"M\".and.PLZ<=\"4999\""));
    QCOMPARE(query(expression), 4); // Meier, Müller, Nowak, Zander
}

void TestFilterDialog::sexItemAndLettersBothApply()
{
    TfrmFilter dialog;
    dialog.dbvcbSex1->setCurrentIndex(0); // "männl."
    dialog.Sex->setText(QStringLiteral("MW"));
    pressOk(dialog);
    const QString expression = config().filter(Module::Addresses);
    QCOMPARE(expression, QStringLiteral(".T..and.SEX=\"M\".and.SEX$\"MW\""));
    QCOMPARE(query(expression), 2);
}

void TestFilterDialog::dateEntriesAreWrittenOutAndReadByCtod()
{
    TfrmFilter dialog;
    dialog.show();
    dialog.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&dialog));
    dialog.deGebDat1->setFocus();
    QTest::keyClicks(dialog.deGebDat1, QStringLiteral("1.3.2001"));
    dialog.Tel1->setFocus();
    QCOMPARE(dialog.deGebDat1->text(), QStringLiteral("01.03.2001"));
    dialog.deGebDat2->setText(QStringLiteral("01.03.2001"));
    pressOk(dialog);
    const QString expression = config().filter(Module::Addresses);
    QCOMPARE(expression,
             QStringLiteral(".T..and.GEB_DAT>=CTOD(\"01.03.2001\").and.GEB_DAT<=CTOD(\"01.03.2001\")"));
    QCOMPARE(query(expression), 1);
}

void TestFilterDialog::okWithNothingFilledResetsAllSix()
{
    for (QString &f : config().Filter)
        f = QStringLiteral(".T..and.X=\"1\"");
    TfrmFilter dialog;
    dialog.selectPage(TfrmFilter::PageMusic);
    pressOk(dialog);
    for (const QString &f : config().Filter)
        QCOMPARE(f, QStringLiteral(".T."));
    QCOMPARE(tk::MessageBox::lastText(), tk::langText(10035));
}

void TestFilterDialog::entriesWithQuotesFindTheirRecord()
{
    TfrmFilter dialog;
    dialog.Zuname1->setText(QStringLiteral("ZANDER \"ZED\""));
    dialog.Zuname2->setText(QStringLiteral("ZANDER \"ZED\""));
    pressOk(dialog);
    QCOMPARE(query(config().filter(Module::Addresses)), 1);
    QCOMPARE(m_table->FieldByName(QStringLiteral("VORNAME"))->AsString(), QStringLiteral("Emil"));
}

void TestFilterDialog::alternativeContentEntriesMeanOr()
{
    TfrmFilter dialog;
    dialog.selectPage(TfrmFilter::PageAppointments);
    dialog.Termin1->setText(QStringLiteral("Zahnarzt"));
    dialog.Termin2->setText(QStringLiteral("Friseur"));
    dialog.Zeit1->setText(QStringLiteral("08:00"));
    QCOMPARE(dialog.expressionOfPage(TfrmFilter::PageAppointments),
             QStringLiteral(".T..and.ZEIT>=\"08:00\".and.(\"Zahnarzt\"$TERMIN.or.\"Friseur\"$TERMIN)"));
    // An empty time entry counts as nothing.
    dialog.Zeit1->clear();
    dialog.Termin2->clear();
    QCOMPARE(dialog.expressionOfPage(TfrmFilter::PageAppointments), QStringLiteral(".T..and.\"Zahnarzt\"$TERMIN"));
}

void TestFilterDialog::otherPagesBuildTheirOwnConditions()
{
    TfrmFilter dialog;
    dialog.CTitel1->setText(QStringLiteral("A"));
    dialog.CNr->setText(QStringLiteral("12"));
    dialog.cLoanFrom->setText(QStringLiteral("01.01.2020"));
    QCOMPARE(dialog.expressionOfPage(TfrmFilter::PageMusic),
             QStringLiteral(".T..and.UPPER(LIEDERL)>=\"A\".and.CASS_NO=12.and..NOT.EMPTY(VERL_NAM)"
                            ".and.VERL_DAT>=CTOD(\"01.01.2020\")"));
    dialog.bSeiten1->setText(QStringLiteral("100"));
    dialog.bDesc->setText(QStringLiteral("KRIMI"));
    QCOMPARE(dialog.expressionOfPage(TfrmFilter::PageBooks),
             QStringLiteral(".T..and.\"KRIMI\"$UPPER(DESCRIBE).and.SEITEN>=100"));
    QCOMPARE(dialog.expressionOfPage(TfrmFilter::PageDiskettes), QStringLiteral(".T."));
    // Only the page shown counts on OK.
    dialog.selectPage(TfrmFilter::PageVideos);
    dialog.Zuname1->setText(QStringLiteral("M"));
    pressOk(dialog);
    QCOMPARE(config().filter(Module::Addresses), QStringLiteral(".T."));
}

void TestFilterDialog::okWritesTheLogLines()
{
    config().XELLog = true;
    const QString old = QDir::currentPath();
    QDir::setCurrent(m_dir->path());
    TfrmFilter dialog;
    dialog.Plz1->setText(QStringLiteral("1"));
    pressOk(dialog);
    QDir::setCurrent(old);
    config().XELLog = false;
    QFile log(m_dir->filePath(QStringLiteral("Tessaron.LOG")));
    QVERIFY(log.open(QIODevice::ReadOnly));
    const QByteArray content = log.readAll();
    QVERIFY(content.endsWith(": AFilter .T..and.PLZ>=\"1\"\r\n"));
    QCOMPARE(content.count('\n'), 1);
}

void TestFilterDialog::sortDialogRemembersTheOrder()
{
    {
        TfrmSort_A dialog;
        QCOMPARE(dialog.chosenItem(), 0);
        dialog.findChild<QRadioButton *>(QStringLiteral("item3"))->setChecked(true); // "Ort"
        QTest::mouseClick(dialog.btnOK, Qt::LeftButton);
        QCOMPARE(config().sortOrder(Module::Addresses), 4);
    }
    TfrmSort_A again;
    QCOMPARE(again.chosenItem(), 3);
    QTest::mouseClick(again.btnCancel, Qt::LeftButton);
    QCOMPARE(again.result(), int(QDialog::Rejected));
}

void TestFilterDialog::reportChoiceSetsTheProgramWideNumber()
{
    ChoiceDialog::reportNumber() = 7;
    {
        TfrmRptw_C dialog;
        QCOMPARE(dialog.chosenItem(), -1);
        QTest::mouseClick(dialog.btnCancel, Qt::LeftButton);
        QCOMPARE(ChoiceDialog::reportNumber(), 7);
    }
    {
        TfrmRptw_C dialog;
        dialog.chooseItem(2);
        QTest::mouseClick(dialog.btnOK, Qt::LeftButton);
        QCOMPARE(ChoiceDialog::reportNumber(), 2);
    }
    TfrmRptw_A none;
    QTest::mouseClick(none.btnOK, Qt::LeftButton);
    QCOMPARE(ChoiceDialog::reportNumber(), -1);
}

void TestFilterDialog::translatedDialogs()
{
    QFile file(QStringLiteral(TESSARON_SOURCE_DIR "/lang/QorvaENG.lng"));
    QVERIFY(file.open(QIODevice::ReadOnly));
    tk::Language::current().load(file.readAll());
    TfrmFilter dialog;
    QCOMPARE(dialog.windowTitle(), QStringLiteral(" Enter a filter or selection condition ..."));
    QCOMPARE(dialog.tsFilter->tabText(5), QStringLiteral("Books"));
    TfrmSort_A sort;
    QCOMPARE(sort.findChild<QRadioButton *>(QStringLiteral("item6"))->text(), QStringLiteral("Date of birth"));
    const QString dir = qEnvironmentVariable("TESSARON_SCREENSHOTS");
    if (!dir.isEmpty()) {
        dialog.show();
        dialog.grab().save(dir + QStringLiteral("/filter-dialog.png"));
        sort.show();
        sort.grab().save(dir + QStringLiteral("/sort-dialog.png"));
    }
    tk::Language::current().clear();
}

void TestFilterDialog::upperCaseEntriesKeepSharpS()
{
    TfrmFilter dialog;
    dialog.selectPage(TfrmFilter::PageAddresses);
    QTest::keyClicks(dialog.Zuname1, QStringLiteral("groß"));
    QCOMPARE(dialog.Zuname1->text(), QStringLiteral("GROß"));
    QCOMPARE(dialog.expressionOfPage(TfrmFilter::PageAddresses), QStringLiteral(".T..and.UPPER(FAMNAME)>=\"GROß\""));
}

void TestFilterDialog::timeEntriesTakeTwoDigitsAColonAndTwoDigits()
{
    TfrmFilter dialog;
    dialog.selectPage(TfrmFilter::PageAppointments);
    dialog.show();
    dialog.Zeit1->setFocus();
    dialog.Zeit1->home(false);
    QTest::keyClicks(dialog.Zeit1, QStringLiteral("0930"));
    QCOMPARE(dialog.Zeit1->displayText(), QStringLiteral("09:30"));
    QVERIFY(dialog.Zeit1->hasAcceptableInput());
    QCOMPARE(dialog.expressionOfPage(TfrmFilter::PageAppointments), QStringLiteral(".T..and.ZEIT>=\"09:30\""));
    // Both minute places are required, the first hour place is not.
    dialog.ZeitX1->setFocus();
    dialog.ZeitX1->home(false);
    QTest::keyClicks(dialog.ZeitX1, QStringLiteral("123"));
    QVERIFY(!dialog.ZeitX1->hasAcceptableInput());
    QVERIFY(dialog.Zeit2->displayText().startsWith(QStringLiteral("__:")));
    QVERIFY(!dialog.expressionOfPage(TfrmFilter::PageAppointments).contains(QStringLiteral("ZEIT<=")));
}

TESSARON_TEST(TestFilterDialog)
#include "TestFilterDialog.moc"
