// The printed lists rendered to PDF from real tables and read back with
// pdftotext.
#include "app/Config.h"
#include "reports/ReportLayout.h"
#include "storage/TXbaseDataSet.h"
#include "toolkit/text/Language.h"
#include "toolkit/text/MessageBox.h"
#include "toolkit/report/Report.h"
#include "xbase/api/XbApi.h"

#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include "testing/TestRegistry.h"

namespace {

struct FieldSpec {
    const char *name;
    const char *type;
    int width;
};

void createTable(const QString &dir, const QString &name, std::initializer_list<FieldSpec> fields,
                 std::initializer_list<const char *> tags)
{
    TXbaseDataSet ds;
    ds.DatabaseName = dir;
    QVERIFY(ds.CreateNew(name, 2, static_cast<int>(fields.size())));
    for (const FieldSpec &f : fields)
        ds.CreateField(QString::fromLatin1(f.name), QString::fromLatin1(f.type), f.width, 0);
    QVERIFY(ds.CreateExec());
    ds.SetTableName(name);
    ds.Open();
    int n = 0;
    for (const char *key : tags)
        QVERIFY(ds.IndexTag(QString(), QString::number(++n), QString::fromLatin1(key), 0, 0, QString()));
}

QString pdfText(const QString &pdf)
{
    QProcess p;
    p.start(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), pdf, QStringLiteral("-")});
    p.waitForFinished(30000);
    return QString::fromUtf8(p.readAllStandardOutput());
}

} // namespace

class TestReportLayouts : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void telephoneDirectoryInTheChosenOrder();
    void appointmentsOfTodayOnly();
    void musicListsInTitleOrderWithFilter();
    void bookListCutsLongAuthors();
    void emptyTablesGiveNoPages();
    void everyLayoutTextIsInBothLanguageFiles();

private:
    QString render(ReportLayout &layout, const char *name);
    void addAddress(TXbaseDataSet &t, const QString &name, const QString &plz, const QString &tel);

    std::unique_ptr<QTemporaryDir> m_dir;
};

void TestReportLayouts::initTestCase()
{
    if (QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty())
        QSKIP("pdftotext is not installed");
}

void TestReportLayouts::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    LoadConfiguration(config(), m_dir->path());
    tk::MessageBox::clearPresets();
}

void TestReportLayouts::cleanup()
{
    xb_CloseAll();
    tk::MessageBox::clearPresets();
}

QString TestReportLayouts::render(ReportLayout &layout, const char *name)
{
    const QString pdf = m_dir->filePath(QString::fromLatin1(name) + QStringLiteral(".pdf"));
    const tk::Report::Output out = layout.MyReport->renderToPdf(pdf);
    if (out != tk::Report::Output::Written)
        return QString();
    const QString shots = qEnvironmentVariable("TESSARON_SCREENSHOTS");
    if (!shots.isEmpty())
        QFile::copy(pdf, shots + QLatin1Char('/') + QString::fromLatin1(name) + QStringLiteral(".pdf"));
    return pdfText(pdf);
}

void TestReportLayouts::addAddress(TXbaseDataSet &t, const QString &name, const QString &plz, const QString &tel)
{
    t.Append();
    t.FieldByName(QStringLiteral("FAMNAME"))->SetAsString(name);
    t.FieldByName(QStringLiteral("VORNAME"))->SetAsString(QStringLiteral("Vorname"));
    t.FieldByName(QStringLiteral("PLZ"))->SetAsString(plz);
    t.FieldByName(QStringLiteral("TELNU"))->SetAsString(tel);
    t.Post();
}

void TestReportLayouts::telephoneDirectoryInTheChosenOrder()
{
    const QString data = config().ZVData;
    createTable(data, QStringLiteral("ADRESS"),
                {{"FAMNAME", "C", 37}, {"VORNAME", "C", 37}, {"PLZ", "C", 6}, {"ORT", "C", 25}, {"STRASSE", "C", 37},
                 {"TELNU", "C", 24}, {"TELNU2", "C", 24}, {"TELMOBIL", "C", 24}, {"TELFAX", "C", 24},
                 {"GEB_DAT", "D", 8}},
                {"UPPER(FAMNAME+VORNAME)", "UPPER(VORNAME+FAMNAME)", "UPPER(PLZ+ORT+FAMNAME)", "UPPER(ORT+FAMNAME)",
                 "UPPER(STRASSE+FAMNAME)", "TELNU", "GEB_DAT"});
    {
        TXbaseDataSet t;
        t.DatabaseName = data;
        t.SetTableName(QStringLiteral("ADRESS"));
        t.Open();
        for (int i = 0; i < 70; ++i)
            addAddress(t, QStringLiteral("Name%1").arg(i, 2, 10, QLatin1Char('0')),
                       QString::number(99999 - i * 7), QStringLiteral("0221 %1").arg(i));
        addAddress(t, QStringLiteral("Gelöscht"), QStringLiteral("00001"), QStringLiteral("1"));
        t.Delete();
    }
    config().sortOrder(Module::Addresses) = 3; // by postal code
    TfrmRpt_Adr1 layout;
    QCOMPARE(layout.MyReport->title(), QStringLiteral("Telefonverzeichnis"));
    const QString text = render(layout, "telefonverzeichnis");
    QVERIFY(text.contains(QStringLiteral("TELEFONVERZEICHNIS")));
    QVERIFY(text.contains(QStringLiteral("Tessaron Version 1.5d")));
    QVERIFY(text.contains(QStringLiteral("Telefon #1")));
    QVERIFY(text.contains(QStringLiteral("Seite 1")));
    QVERIFY(text.contains(QStringLiteral("Seite 2")));
    QVERIFY(text.contains(QStringLiteral("Ausdruck vom ")));
    QVERIFY(!text.contains(QStringLiteral("Gelöscht")));
    // Postal-code order: the highest name number has the lowest code.
    QVERIFY(text.indexOf(QStringLiteral("Name69")) < text.indexOf(QStringLiteral("Name00")));
    QCOMPARE(text.count(QStringLiteral("TELEFONVERZEICHNIS")), 1); // the title band on page 1 only
    const int pages = text.count(QLatin1Char('\f'));
    QCOMPARE(text.count(QStringLiteral("Ausdruck vom ")), pages); // a footer on every page
    config().sortOrder(Module::Addresses) = 1;
}

void TestReportLayouts::appointmentsOfTodayOnly()
{
    const QString data = config().ZVData;
    createTable(data, QStringLiteral("TERMIN"),
                {{"DATUM", "D", 8}, {"ZEIT", "C", 5}, {"EZEIT", "C", 5}, {"TERMIN", "C", 30}, {"NOTIZ", "C", 60},
                 {"TELNU", "C", 20}},
                {"DATUM", "UPPER(TERMIN)", "NOTIZ"});
    {
        tk::MessageBox::presetAnswer(tk::MessageBox::Answer::Ok);
        TfrmRpt_Trm2 empty;
        QVERIFY(!empty.hasRecords());
        QCOMPARE(tk::MessageBox::lastKind(), tk::MessageBox::Kind::Warning);
        QCOMPARE(empty.MyReport->renderToPdf(m_dir->filePath(QStringLiteral("t.pdf"))), tk::Report::Output::Empty);
    }
    {
        TXbaseDataSet t;
        t.DatabaseName = data;
        t.SetTableName(QStringLiteral("TERMIN"));
        t.Open();
        for (int d : {0, 1, -1, 0}) {
            t.Append();
            t.FieldByName(QStringLiteral("DATUM"))->SetAsDate(QDate::currentDate().addDays(d));
            t.FieldByName(QStringLiteral("ZEIT"))->SetAsString(QStringLiteral("0%1:00").arg(d + 5));
            t.FieldByName(QStringLiteral("TERMIN"))->SetAsString(QStringLiteral("Termin %1").arg(d));
            t.Post();
        }
    }
    config().filter(Module::Appointments) = QStringLiteral(".T..and.ZEIT=\"99\"");
    TfrmRpt_Trm2 layout;
    QVERIFY(layout.hasRecords());
    const QString text = render(layout, "termine");
    QCOMPARE(text.count(QStringLiteral("Termin 0")), 2);
    QVERIFY(!text.contains(QStringLiteral("Termin 1")));
    QVERIFY(text.contains(QStringLiteral("TERMIN - ÜBERSICHT")));
    config().filter(Module::Appointments) = QStringLiteral(".T.");
}

void TestReportLayouts::musicListsInTitleOrderWithFilter()
{
    const QString data = config().ZVData;
    createTable(data, QStringLiteral("CASSETTE"),
                {{"LIEDERL", "C", 35}, {"INTERPRET", "C", 35}, {"CASS_NO", "N", 3}, {"SPARTE", "C", 20},
                 {"ART", "C", 2}, {"DESCRIBE", "C", 20}},
                {"UPPER(LIEDERL+INTERPRET)", "UPPER(INTERPRET+LIEDERL)", "UPPER(SPARTE+LIEDERL)", "CASS_NO",
                 "UPPER(ART+INTERPRET)"});
    {
        TXbaseDataSet t;
        t.DatabaseName = data;
        t.SetTableName(QStringLiteral("CASSETTE"));
        t.Open();
        const char *rows[][3] = {{"Yesterday", "Beatles", "Pop"}, {"Air", "Bach", "Klassik"},
                                 {"Moonlight", "Beethoven", "Klassik"}, {"Imagine", "Lennon", "Pop"}};
        int n = 0;
        for (const auto &r : rows) {
            t.Append();
            t.FieldByName(QStringLiteral("LIEDERL"))->SetAsString(QString::fromLatin1(r[0]));
            t.FieldByName(QStringLiteral("INTERPRET"))->SetAsString(QString::fromLatin1(r[1]));
            t.FieldByName(QStringLiteral("SPARTE"))->SetAsString(QString::fromLatin1(r[2]));
            t.FieldByName(QStringLiteral("ART"))->SetAsString(QStringLiteral("CD"));
            t.FieldByName(QStringLiteral("CASS_NO"))->SetAsInteger(++n);
            t.Post();
        }
    }
    config().filter(Module::Music) = QStringLiteral(".T..and.SPARTE=\"Klassik\"");
    TfrmRpt_Cas2 artists;
    const QString text = render(artists, "interpreten");
    QVERIFY(text.contains(QStringLiteral("INTERPRETEN")));
    QVERIFY(text.indexOf(QStringLiteral("Air")) < text.indexOf(QStringLiteral("Moonlight")));
    QVERIFY(!text.contains(QStringLiteral("Yesterday")));
    config().filter(Module::Music) = QStringLiteral(".T.");
    TfrmRpt_Cas4 genres;
    const QString all = render(genres, "sparten");
    QVERIFY(all.indexOf(QStringLiteral("Air")) < all.indexOf(QStringLiteral("Yesterday")));
    QVERIFY(all.contains(QStringLiteral("MUSIKSPARTEN - VERZEICHNIS")));
}

void TestReportLayouts::bookListCutsLongAuthors()
{
    const QString data = config().ZVData;
    createTable(data, QStringLiteral("BOOKS"),
                {{"TITEL", "C", 35}, {"AUTOR", "C", 40}, {"DESCRIBE", "C", 60}, {"SPARTE", "C", 20},
                 {"SEITEN", "N", 5}, {"BUCH_NO", "N", 6}, {"BAENDE", "N", 3}},
                {"UPPER(TITEL)+STR(BAENDE)"});
    {
        TXbaseDataSet t;
        t.DatabaseName = data;
        t.SetTableName(QStringLiteral("BOOKS"));
        t.Open();
        t.Append();
        t.FieldByName(QStringLiteral("TITEL"))->SetAsString(QStringLiteral("Der Zauberberg"));
        t.FieldByName(QStringLiteral("AUTOR"))->SetAsString(QStringLiteral("Maximilianus Überlangername"));
        t.FieldByName(QStringLiteral("SEITEN"))->SetAsInteger(1008);
        t.FieldByName(QStringLiteral("BUCH_NO"))->SetAsInteger(17);
        t.Post();
    }
    TfrmRpt_Boo1 layout;
    const QString text = render(layout, "buecher");
    QVERIFY(text.contains(QStringLiteral("Der Zauberberg")));
    QVERIFY(text.contains(QStringLiteral("1008")));
    QVERIFY(text.contains(QStringLiteral("Maxim")));
    QVERIFY(!text.contains(QStringLiteral("Überlangername")));
}

void TestReportLayouts::emptyTablesGiveNoPages()
{
    createTable(config().ZVData, QStringLiteral("VIDEO"),
                {{"TITEL", "C", 35}, {"DESCRIBE", "C", 60}, {"SPARTE", "C", 20}, {"LAENGE", "C", 5},
                 {"POS_VON", "N", 6}, {"POS_BIS", "N", 6}, {"CASS_NO", "N", 6}, {"CASS_LEN", "N", 6}},
                {"UPPER(TITEL+DESCRIBE)"});
    TfrmRpt_Vid1 layout;
    const QString pdf = m_dir->filePath(QStringLiteral("video.pdf"));
    QCOMPARE(layout.MyReport->renderToPdf(pdf), tk::Report::Output::Empty);
    QVERIFY(!QFile::exists(pdf));
}

void TestReportLayouts::everyLayoutTextIsInBothLanguageFiles()
{
    // Base and Tags of every label of the eight layouts, the footer's too.
    const QList<QPair<int, QList<int>>> layouts = {
        {550, {1, 2, 3, 4, 5, 6, 10, 11}}, {530, {1, 2, 3, 4, 5, 6, 7, 10, 11}},
        {570, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11}}, {500, {1, 2, 3, 4, 5, 6, 10, 11}},
        {600, {1, 2, 3, 4, 5, 6, 10, 11}}};
    for (const char *file : {"QorvaENG.lng", "QorvaGER.lng"}) {
        QFile lang(QStringLiteral(TESSARON_SOURCE_DIR "/lang/") + QLatin1String(file));
        QVERIFY(lang.open(QIODevice::ReadOnly));
        tk::Language::current().load(lang.readAll());
        for (const auto &[base, tags] : layouts) {
            for (int tag : tags)
                QVERIFY2(!tk::langText(base + tag).isEmpty(), qPrintable(QStringLiteral("%1: %2").arg(QLatin1String(file)).arg(base + tag)));
        }
        QVERIFY(!tk::langText(10032).isEmpty());
        // The footer texts keep their blank before the date and the number.
        QVERIFY(tk::langText(560).endsWith(QLatin1Char(' ')));
        QVERIFY(tk::langText(561).endsWith(QLatin1Char(' ')));
        // The two telephone columns have headings of their own.
        QVERIFY(tk::langText(553) != tk::langText(556));
    }
    tk::Language::current().clear();
}

TESSARON_TEST(TestReportLayouts)
#include "TestReportLayouts.moc"
