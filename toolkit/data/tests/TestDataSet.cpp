// The generic dataset layer over an in-memory dataset: states, events,
// null values, conversions, display formats and data links.
#include "MemoryDataSet.h"
#include "platform/FormatSettings.h"
#include "toolkit/data/DataSource.h"
#include "toolkit/data/FormatFloat.h"

#include <QTest>

#include "testing/TestRegistry.h"

namespace {

std::unique_ptr<MemoryDataSet> people()
{
    auto ds = std::make_unique<MemoryDataSet>(std::vector<MemoryColumn>{
        {QStringLiteral("NAME"), tk::FieldType::String, 10},
        {QStringLiteral("AGE"), tk::FieldType::SmallInt, 3},
        {QStringLiteral("SALARY"), tk::FieldType::Float, 10, 2},
        {QStringLiteral("BORN"), tk::FieldType::Date, 8},
        {QStringLiteral("ACTIVE"), tk::FieldType::Boolean, 1},
        {QStringLiteral("NOTE"), tk::FieldType::Memo, 10},
    });
    ds->rows = {
        {QStringLiteral("Anna"), 31, 1234.5, QDate(1995, 3, 1), true, QByteArray("first note")},
        {QStringLiteral("Bert"), QVariant(), QVariant(), QVariant(), false, QVariant()},
        {QStringLiteral("Carla"), 47, 99.0, QDate(1979, 12, 24), true, QVariant()},
    };
    return ds;
}

// Records what a link is told.
struct RecordingLink : tk::DataLink {
    QStringList events;
    void activeChanged() override { events << QStringLiteral("active"); }
    void editingChanged() override { events << QStringLiteral("editing"); }
    void recordChanged(tk::Field *f) override { events << QStringLiteral("record:") + (f ? f->FieldName() : QStringLiteral("*")); }
    void dataSetChanged() override { events << QStringLiteral("changed"); }
    void dataSetScrolled() override { events << QStringLiteral("scrolled"); }
    void updateData() override { events << QStringLiteral("update"); }
};

} // namespace

class TestDataSet : public QObject {
    Q_OBJECT

private slots:
    void init();
    void navigatesWithBofAndEof();
    void editPostAndCancel();
    void nullValuesAndConversions();
    void eventsRunInOrderAndAbortStops();
    void refusedEditStaysInBrowse();
    void insertIntoEmptyAndDelete();
    void checkBrowseModePostsOnlyModified();
    void linksHearChangesAndAutoEditRules();
    void disableControlsDefersNotifications();
    void displayFormats_data();
    void displayFormats();
    void memoLoadsLazilyAndStores();
};

void TestDataSet::init()
{
    platform::FormatSettings::current() = platform::FormatSettings::fromLocaleName(QStringLiteral("de_DE"));
    platform::FormatSettings::current().setCentury(true);
}

void TestDataSet::navigatesWithBofAndEof()
{
    auto ds = people();
    ds->Open();
    QVERIFY(ds->Bof());
    QVERIFY(!ds->Eof());
    QCOMPARE(ds->FieldByName(QStringLiteral("name"))->AsString(), QStringLiteral("Anna"));
    ds->Next();
    ds->Next();
    QCOMPARE(ds->FieldByName(QStringLiteral("NAME"))->AsString(), QStringLiteral("Carla"));
    QVERIFY(!ds->Eof());
    ds->Next();
    QVERIFY(ds->Eof());
    QCOMPARE(ds->FieldByName(QStringLiteral("NAME"))->AsString(), QStringLiteral("Carla"));
    ds->First();
    QCOMPARE(ds->FieldByName(QStringLiteral("NAME"))->AsString(), QStringLiteral("Anna"));
    ds->Prior();
    QVERIFY(ds->Bof());
    ds->Last();
    QVERIFY(ds->Eof());
    QCOMPARE(ds->GetBookmark(), 3);
    ds->GotoBookmark(2);
    QCOMPARE(ds->FieldByName(QStringLiteral("NAME"))->AsString(), QStringLiteral("Bert"));
    QVERIFY_THROWS_EXCEPTION(tk::DataSetError, ds->FieldByName(QStringLiteral("MISSING")));
    ds->Close();
    QVERIFY(!ds->Active());
    QCOMPARE(ds->FieldCount(), 0);
}

void TestDataSet::editPostAndCancel()
{
    auto ds = people();
    ds->Open();
    tk::Field *name = ds->FieldByName(QStringLiteral("NAME"));
    QVERIFY_THROWS_EXCEPTION(tk::DataSetError, name->SetAsString(QStringLiteral("x")));
    ds->Edit();
    QCOMPARE(ds->state(), tk::DataSet::State::Edit);
    name->SetAsString(QStringLiteral("Annabella-Maria"));
    QCOMPARE(name->AsString(), QStringLiteral("Annabella-")); // cut at the width
    ds->Cancel();
    QCOMPARE(name->AsString(), QStringLiteral("Anna"));
    ds->Edit();
    name->SetAsString(QStringLiteral("Antje"));
    ds->Post();
    QCOMPARE(ds->state(), tk::DataSet::State::Browse);
    QCOMPARE(ds->rows[0][0].toString(), QStringLiteral("Antje"));
    ds->Post(); // nothing in browse
    QCOMPARE(ds->postCount, 1);
}

void TestDataSet::nullValuesAndConversions()
{
    auto ds = people();
    ds->Open();
    ds->Next();
    tk::Field *age = ds->FieldByName(QStringLiteral("AGE"));
    tk::Field *born = ds->FieldByName(QStringLiteral("BORN"));
    QVERIFY(age->IsNull());
    QCOMPARE(age->AsInteger(), 0);
    QCOMPARE(age->DisplayText(), QString());
    QVERIFY(born->IsNull());
    ds->Edit();
    born->SetEditText(QStringLiteral("1.3.2001"));
    QCOMPARE(born->AsDate(), QDate(2001, 3, 1));
    QCOMPARE(born->DisplayText(), QStringLiteral("01.03.2001"));
    tk::Field *salary = ds->FieldByName(QStringLiteral("SALARY"));
    salary->SetEditText(QStringLiteral("1.234,56"));
    QCOMPARE(salary->AsFloat(), 1234.56);
    QCOMPARE(salary->EditText(), QStringLiteral("1234,56"));
    QVERIFY_THROWS_EXCEPTION(tk::DataSetError, salary->SetEditText(QStringLiteral("12a")));
    QVERIFY_THROWS_EXCEPTION(tk::DataSetError, born->SetEditText(QStringLiteral("31.2.2001")));
    age->SetEditText(QStringLiteral(" "));
    QVERIFY(age->IsNull());
    age->SetAsString(QStringLiteral("42"));
    QCOMPARE(age->AsInteger(), 42);
}

void TestDataSet::eventsRunInOrderAndAbortStops()
{
    auto ds = people();
    QStringList log;
    auto logger = [&log](const char *name) { return [&log, name](tk::DataSet &) { log << QString::fromLatin1(name); }; };
    ds->BeforeScroll = logger("BeforeScroll");
    ds->AfterScroll = logger("AfterScroll");
    ds->BeforeEdit = logger("BeforeEdit");
    ds->AfterPost = logger("AfterPost");
    ds->BeforeCancel = logger("BeforeCancel");
    ds->Open();
    ds->Next();
    QCOMPARE(log, (QStringList{QStringLiteral("BeforeScroll"), QStringLiteral("AfterScroll")}));
    log.clear();

    ds->BeforePost = [&log](tk::DataSet &d) {
        log << QStringLiteral("BeforePost");
        if (d.FieldByName(QStringLiteral("NAME"))->AsString().isEmpty())
            throw tk::Abort();
    };
    ds->Edit();
    ds->FieldByName(QStringLiteral("NAME"))->SetAsString(QString());
    QVERIFY_THROWS_EXCEPTION(tk::Abort, ds->Post());
    QCOMPARE(ds->state(), tk::DataSet::State::Edit); // still editing after the refusal
    ds->FieldByName(QStringLiteral("NAME"))->SetAsString(QStringLiteral("Bernd"));
    ds->Post();
    QCOMPARE(log, (QStringList{QStringLiteral("BeforeEdit"), QStringLiteral("BeforePost"), QStringLiteral("BeforePost"),
                               QStringLiteral("AfterPost")}));
}

void TestDataSet::refusedEditStaysInBrowse()
{
    auto ds = people();
    ds->refuseEdit = true;
    ds->Open();
    QVERIFY_THROWS_EXCEPTION(tk::DataSetError, ds->Edit());
    QCOMPARE(ds->state(), tk::DataSet::State::Browse);
}

void TestDataSet::insertIntoEmptyAndDelete()
{
    auto ds = people();
    ds->rows.clear();
    bool newRecordCalled = false;
    ds->OnNewRecord = [&](tk::DataSet &d) {
        newRecordCalled = true;
        d.FieldByName(QStringLiteral("ACTIVE"))->SetAsBoolean(true);
    };
    ds->Open();
    QVERIFY(ds->IsEmpty());
    QVERIFY_THROWS_EXCEPTION(tk::DataSetError, ds->Delete());
    ds->Edit(); // an empty dataset inserts instead
    QCOMPARE(ds->state(), tk::DataSet::State::Insert);
    QVERIFY(newRecordCalled);
    ds->FieldByName(QStringLiteral("NAME"))->SetAsString(QStringLiteral("Dora"));
    ds->Post();
    QCOMPARE(ds->RecordCount(), 1);
    QVERIFY(!ds->IsEmpty());
    QCOMPARE(ds->FieldByName(QStringLiteral("ACTIVE"))->AsBoolean(), true);
    ds->Delete();
    QVERIFY(ds->IsEmpty());
    QCOMPARE(ds->RecordCount(), 0);
}

void TestDataSet::checkBrowseModePostsOnlyModified()
{
    auto ds = people();
    ds->Open();
    ds->Edit();
    ds->CheckBrowseMode();
    QCOMPARE(ds->postCount, 0);
    ds->Edit();
    ds->FieldByName(QStringLiteral("AGE"))->SetAsInteger(32);
    ds->Next(); // scrolling posts the pending edit
    QCOMPARE(ds->postCount, 1);
    QCOMPARE(ds->rows[0][1].toInt(), 32);
}

void TestDataSet::linksHearChangesAndAutoEditRules()
{
    auto ds = people();
    tk::DataSource source;
    source.SetDataSet(ds.get());
    RecordingLink link;
    link.SetDataSource(&source);
    tk::Field *changedField = nullptr;
    int changes = 0;
    source.OnDataChange = [&](tk::Field *f) {
        changedField = f;
        ++changes;
    };
    ds->Open();
    QVERIFY(link.events.contains(QStringLiteral("active")));
    link.events.clear();

    source.AutoEdit = false;
    QVERIFY(!link.Edit());
    QCOMPARE(ds->state(), tk::DataSet::State::Browse);
    source.AutoEdit = true;
    QVERIFY(link.Edit());
    QCOMPARE(ds->state(), tk::DataSet::State::Edit);
    ds->FieldByName(QStringLiteral("NAME"))->SetAsString(QStringLiteral("Anke"));
    QCOMPARE(changedField, ds->FieldByName(QStringLiteral("NAME")));
    ds->Post();
    QCOMPARE(link.events.first(), QStringLiteral("editing"));
    QVERIFY(link.events.contains(QStringLiteral("record:NAME")));
    QVERIFY(link.events.contains(QStringLiteral("update")));
    QVERIFY(changes >= 2);
}

void TestDataSet::disableControlsDefersNotifications()
{
    auto ds = people();
    tk::DataSource source;
    source.SetDataSet(ds.get());
    RecordingLink link;
    link.SetDataSource(&source);
    ds->Open();
    link.events.clear();
    ds->DisableControls();
    ds->Next();
    ds->Next();
    QVERIFY(link.events.isEmpty());
    ds->EnableControls();
    QCOMPARE(link.events, QStringList{QStringLiteral("changed")});
}

void TestDataSet::displayFormats_data()
{
    QTest::addColumn<QString>("format");
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("text");
    QTest::newRow("thousands") << QStringLiteral("###,###") << 1234567.0 << QStringLiteral("1.234.567");
    QTest::newRow("zero shows nothing") << QStringLiteral("###,###") << 0.0 << QString();
    QTest::newRow("two decimals") << QStringLiteral("#,##0.00") << 1234.5 << QStringLiteral("1.234,50");
    QTest::newRow("optional decimals") << QStringLiteral("#.##") << 2.5 << QStringLiteral("2,5");
    QTest::newRow("integer picture") << QStringLiteral("#") << 12.6 << QStringLiteral("13");
    QTest::newRow("negative") << QStringLiteral("0.0") << -3.25 << QStringLiteral("-3,3");
    QTest::newRow("negative rounds to zero") << QStringLiteral("0.0") << -0.01 << QStringLiteral("0,0");
    QTest::newRow("sections") << QStringLiteral("0.00;(0.00);'nil'") << -2.0 << QStringLiteral("(2,00)");
    QTest::newRow("zero section") << QStringLiteral("0.00;(0.00);'nil'") << 0.0 << QStringLiteral("nil");
    QTest::newRow("literal suffix") << QStringLiteral("0 'min'") << 95.0 << QStringLiteral("95 min");
}

void TestDataSet::displayFormats()
{
    QFETCH(QString, format);
    QFETCH(double, value);
    QFETCH(QString, text);
    QCOMPARE(tk::formatFloat(format, value, QLatin1Char(','), QLatin1Char('.')), text);
}

void TestDataSet::memoLoadsLazilyAndStores()
{
    auto ds = people();
    ds->Open();
    tk::Field *note = ds->FieldByName(QStringLiteral("NOTE"));
    QCOMPARE(note->AsString(), QStringLiteral("first note"));
    ds->Next();
    QVERIFY(note->IsNull());
    ds->Edit();
    note->SetAsString(QStringLiteral("second"));
    ds->Post();
    QCOMPARE(ds->rows[1][5].toByteArray(), QByteArray("second"));
    QCOMPARE(note->AsString(), QStringLiteral("second"));
}

TESSARON_TEST(TestDataSet)
#include "TestDataSet.moc"
