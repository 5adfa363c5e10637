// The single-field controls and the navigator over an in-memory dataset:
// state following, AutoEdit, pending text, masks, letters of check boxes,
// value and lookup lists.
#include "platform/FormatSettings.h"
#include "toolkit/controls/DBCheckBox.h"
#include "toolkit/controls/DBComboBox.h"
#include "toolkit/controls/DBDateEdit.h"
#include "toolkit/controls/DBEdit.h"
#include "toolkit/controls/DBLookupComboBox.h"
#include "toolkit/controls/DBMemo.h"
#include "toolkit/controls/DBNavigator.h"
#include "toolkit/controls/DBText.h"
#include "toolkit/text/MessageBox.h"
#include "toolkit/controls/TDBValueComboBox.h"
#include "toolkit/data/tests/MemoryDataSet.h"

#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>
#include <QToolButton>

#include "testing/TestRegistry.h"

namespace {

std::unique_ptr<MemoryDataSet> addresses()
{
    auto ds = std::make_unique<MemoryDataSet>(std::vector<MemoryColumn>{
        {QStringLiteral("FAMNAME"), tk::FieldType::String, 8},
        {QStringLiteral("LAUFZEIT"), tk::FieldType::String, 8},
        {QStringLiteral("GEB_DAT"), tk::FieldType::Date, 8},
        {QStringLiteral("WICHTIG"), tk::FieldType::String, 1},
        {QStringLiteral("SEX"), tk::FieldType::String, 1},
        {QStringLiteral("TITEL"), tk::FieldType::String, 10},
        {QStringLiteral("NOTIZ"), tk::FieldType::Memo, 10},
    });
    ds->rows = {
        {QStringLiteral("Anders"), QStringLiteral("01:02:03"), QDate(1995, 3, 1), QStringLiteral("W"),
         QStringLiteral("M"), QStringLiteral("Dr."), QByteArray("first note")},
        {QStringLiteral("Berger"), QVariant(), QVariant(), QStringLiteral("f"), QStringLiteral("X"),
         QStringLiteral("Prof."), QVariant()},
        {QStringLiteral("Conrad"), QVariant(), QVariant(), QVariant(), QVariant(), QStringLiteral("Baron"), QVariant()},
    };
    return ds;
}

std::unique_ptr<MemoryDataSet> titles()
{
    auto ds = std::make_unique<MemoryDataSet>(std::vector<MemoryColumn>{
        {QStringLiteral("KURZ"), tk::FieldType::String, 10},
        {QStringLiteral("TITEL"), tk::FieldType::String, 20},
    });
    ds->rows = {
        {QStringLiteral("Dr."), QStringLiteral("Doktor")},
        {QStringLiteral("Prof."), QStringLiteral("Professor")},
        {QStringLiteral("Ing."), QStringLiteral("Ingenieur")},
    };
    return ds;
}

QString field(tk::DataSet &ds, const char *name)
{
    return ds.FieldByName(QLatin1String(name))->AsString();
}

} // namespace

class TestDBControls : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void editFollowsStateAndAutoEdit();
    void editLengthCaseAndMask_data();
    void editLengthCaseAndMask();
    void refusedTextKeepsTheEditOpen();
    void cancelRestoresEveryControl();
    void leavingHandsTextOverAndReportsExit();
    void dateEditShowsShortDateAndPicks();
    void checkBoxLettersAndUndecided();
    void valueComboBoxMapsItemsToValues();
    void lookupComboBoxStoresKeyOfListRecord();
    void comboBoxTakesFreeTextAndItems();
    void controlsSurviveClosingAndLosingTheSource();
    void navigatorEnablesActsAndReports();
    void navigatorDeleteConfirmsAndFailedActionIsNotReported();
};

void TestDBControls::init()
{
    platform::FormatSettings::current() = platform::FormatSettings::fromLocaleName(QStringLiteral("de_DE"));
    platform::FormatSettings::current().setCentury(true);
    tk::MessageBox::clearPresets();
}

void TestDBControls::cleanup()
{
    tk::MessageBox::clearPresets();
}

void TestDBControls::editFollowsStateAndAutoEdit()
{
    auto ds = addresses();
    tk::DataSource source;
    source.AutoEdit = false;
    source.SetDataSet(ds.get());
    ds->Open();
    tk::DBEdit edit;
    edit.SetDataSource(&source);
    edit.SetDataField(QStringLiteral("FAMNAME"));
    QCOMPARE(edit.text(), QStringLiteral("Anders"));
    QVERIFY(edit.isReadOnly());

    // Typing in browse with AutoEdit off changes nothing.
    QTest::keyClicks(&edit, QStringLiteral("xy"));
    QCOMPARE(ds->state(), tk::DataSet::State::Browse);
    QCOMPARE(edit.text(), QStringLiteral("Anders"));

    ds->Edit();
    QVERIFY(!edit.isReadOnly());
    edit.end(false);
    QTest::keyClicks(&edit, QStringLiteral("en"));
    // Pending until the dataset posts.
    QCOMPARE(field(*ds, "FAMNAME"), QStringLiteral("Anders"));
    ds->Post();
    QCOMPARE(ds->rows[0][0].toString(), QStringLiteral("Andersen"));
    QVERIFY(edit.isReadOnly());

    // With AutoEdit on, the first key starts the edit.
    source.AutoEdit = true;
    ds->Next();
    QVERIFY(!edit.isReadOnly());
    QCOMPARE(edit.text(), QStringLiteral("Berger"));
    edit.end(false);
    QTest::keyClick(&edit, Qt::Key_Backspace);
    QCOMPARE(ds->state(), tk::DataSet::State::Edit);
    ds->Post();
    QCOMPARE(ds->rows[1][0].toString(), QStringLiteral("Berge"));

    // A record lock held elsewhere refuses the edit; the text stays.
    ds->refuseEdit = true;
    tk::MessageBox::presetAnswer(tk::MessageBox::Answer::Ok);
    QTest::keyClicks(&edit, QStringLiteral("q"));
    QCOMPARE(ds->state(), tk::DataSet::State::Browse);
    QCOMPARE(edit.text(), QStringLiteral("Berge"));
    QCOMPARE(tk::MessageBox::lastKind(), tk::MessageBox::Kind::Error);
}

void TestDBControls::editLengthCaseAndMask_data()
{
    QTest::addColumn<QString>("fieldName");
    QTest::addColumn<bool>("upper");
    QTest::addColumn<QString>("mask");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("stored");
    QTest::newRow("cut to field width") << "FAMNAME" << false << "" << "Abcdefghijk" << "Abcdefgh";
    QTest::newRow("upper case") << "FAMNAME" << true << "" << "meier" << "MEIER";
    QTest::newRow("running time") << "LAUFZEIT" << false << "!90:00:00;1;_" << "12345x6" << "12:34:56";
    QTest::newRow("time without literals") << "LAUFZEIT" << false << "!90:00;0;_" << "0930" << "0930";
    QTest::newRow("mask left blank") << "LAUFZEIT" << false << "!90:00:00;1;_" << "" << "";
}

void TestDBControls::editLengthCaseAndMask()
{
    QFETCH(QString, fieldName);
    QFETCH(bool, upper);
    QFETCH(QString, mask);
    QFETCH(QString, typed);
    QFETCH(QString, stored);
    auto ds = addresses();
    tk::DataSource source;
    source.SetDataSet(ds.get());
    ds->Open();
    ds->Last();
    tk::DBEdit edit;
    edit.SetDataSource(&source);
    edit.SetDataField(fieldName);
    if (upper)
        edit.SetCharCase(tk::DBEdit::CharCase::Upper);
    edit.SetEditMask(mask);
    ds->Edit();
    edit.selectAll();
    QTest::keyClick(&edit, Qt::Key_Delete);
    edit.home(false);
    QTest::keyClicks(&edit, typed);
    ds->Post();
    QCOMPARE(ds->FieldByName(fieldName)->AsString(), stored);
    // The stored text shows again under the mask.
    if (!mask.isEmpty() && !stored.isEmpty())
        QCOMPARE(edit.text().remove(QLatin1Char(':')), QString(stored).remove(QLatin1Char(':')));
}

void TestDBControls::refusedTextKeepsTheEditOpen()
{
    auto ds = addresses();
    tk::DataSource source;
    source.SetDataSet(ds.get());
    ds->Open();
    tk::DBDateEdit date;
    date.SetDataSource(&source);
    date.SetDataField(QStringLiteral("GEB_DAT"));
    ds->Edit();
    date.lineEdit()->selectAll();
    QTest::keyClicks(date.lineEdit(), QStringLiteral("31.02.2020"));
    QVERIFY_THROWS_EXCEPTION(tk::DataSetError, ds->Post());
    QCOMPARE(ds->state(), tk::DataSet::State::Edit);
    QCOMPARE(date.text(), QStringLiteral("31.02.2020"));
    date.lineEdit()->selectAll();
    QTest::keyClicks(date.lineEdit(), QStringLiteral("29.02.2020"));
    ds->Post();
    QCOMPARE(ds->rows[0][2].toDate(), QDate(2020, 2, 29));
}

void TestDBControls::cancelRestoresEveryControl()
{
    auto ds = addresses();
    tk::DataSource source;
    source.SetDataSet(ds.get());
    ds->Open();
    tk::DBEdit edit;
    edit.SetDataSource(&source);
    edit.SetDataField(QStringLiteral("FAMNAME"));
    tk::DBMemo memo;
    memo.SetDataSource(&source);
    memo.SetDataField(QStringLiteral("NOTIZ"));
    tk::DBText text;
    text.SetDataSource(&source);
    text.SetDataField(QStringLiteral("FAMNAME"));
    QCOMPARE(memo.toPlainText(), QStringLiteral("first note"));

    ds->Edit();
    QTest::keyClicks(&edit, QStringLiteral("zz"));
    memo.moveCursor(QTextCursor::End);
    QTest::keyClicks(&memo, QStringLiteral(" more"));
    // A field set by code shows at once in the read-only text.
    ds->FieldByName(QStringLiteral("FAMNAME"))->SetAsString(QStringLiteral("Zeta"));
    QCOMPARE(text.text(), QStringLiteral("Zeta"));
    ds->Cancel();
    QCOMPARE(edit.text(), QStringLiteral("Anders"));
    QCOMPARE(memo.toPlainText(), QStringLiteral("first note"));
    QCOMPARE(text.text(), QStringLiteral("Anders"));

    ds->Edit();
    memo.moveCursor(QTextCursor::End);
    QTest::keyClick(&memo, Qt::Key_Return);
    QTest::keyClicks(&memo, QStringLiteral("second line"));
    ds->Post();
    QCOMPARE(QString::fromUtf8(ds->rows[0][6].toByteArray()), QStringLiteral("first note\nsecond line"));
    ds->Next();
    QCOMPARE(memo.toPlainText(), QString());
    QCOMPARE(text.text(), QStringLiteral("Berger"));
}

void TestDBControls::leavingHandsTextOverAndReportsExit()
{
    auto ds = addresses();
    tk::DataSource source;
    source.SetDataSet(ds.get());
    ds->Open();
    QWidget window;
    auto *edit = new tk::DBEdit(&window);
    auto *date = new tk::DBDateEdit(&window);
    auto *other = new QLineEdit(&window);
    edit->SetDataSource(&source);
    edit->SetDataField(QStringLiteral("FAMNAME"));
    date->SetDataSource(&source);
    date->SetDataField(QStringLiteral("GEB_DAT"));
    window.show();
    QApplication::setActiveWindow(&window);
    QVERIFY(QTest::qWaitForWindowActive(&window));
    QSignalSpy editExits(edit, &tk::DBEdit::exited);
    QSignalSpy dateExits(date, &tk::DBDateEdit::exited);

    edit->setFocus();
    edit->end(false);
    QTest::keyClicks(edit, QStringLiteral("on"));
    other->setFocus();
    QCOMPARE(field(*ds, "FAMNAME"), QStringLiteral("Anderson"));
    QCOMPARE(editExits.count(), 1);

    // A date that does not convert keeps the focus and is not an exit.
    date->setFocus();
    date->lineEdit()->selectAll();
    QTest::keyClicks(date->lineEdit(), QStringLiteral("32.01.2000"));
    tk::MessageBox::presetAnswer(tk::MessageBox::Answer::Ok);
    other->setFocus();
    QCOMPARE(tk::MessageBox::lastKind(), tk::MessageBox::Kind::Error);
    QCOMPARE(dateExits.count(), 0);
    QVERIFY(date->lineEdit()->hasFocus());
    QCOMPARE(date->text(), QStringLiteral("32.01.2000"));
    QCOMPARE(ds->FieldByName(QStringLiteral("GEB_DAT"))->AsDate(), QDate(1995, 3, 1));
}

void TestDBControls::dateEditShowsShortDateAndPicks()
{
    auto ds = addresses();
    tk::DataSource source;
    source.AutoEdit = false;
    source.SetDataSet(ds.get());
    ds->Open();
    tk::DBDateEdit date;
    date.SetDataSource(&source);
    date.SetDataField(QStringLiteral("GEB_DAT"));
    QCOMPARE(date.text(), QStringLiteral("01.03.1995"));
    QVERIFY(!date.calendarButton()->isEnabled());
    date.pickDate(QDate(2001, 1, 2));
    QCOMPARE(ds->rows[0][2].toDate(), QDate(1995, 3, 1));

    ds->Next();
    QCOMPARE(date.text(), QString());
    ds->Edit();
    QVERIFY(date.calendarButton()->isEnabled());
    date.pickDate(QDate(2001, 1, 2));
    QCOMPARE(ds->FieldByName(QStringLiteral("GEB_DAT"))->AsDate(), QDate(2001, 1, 2));
    QCOMPARE(date.text(), QStringLiteral("02.01.2001"));
    ds->Post();

    // Emptying the text stores a null date.
    ds->Edit();
    date.lineEdit()->selectAll();
    QTest::keyClick(date.lineEdit(), Qt::Key_Delete);
    ds->Post();
    QVERIFY(!ds->rows[1][2].isValid());

    platform::FormatSettings::current().setCentury(false);
    ds->First();
    QCOMPARE(date.text(), QStringLiteral("01.03.95"));
}

void TestDBControls::checkBoxLettersAndUndecided()
{
    auto ds = addresses();
    tk::DataSource source;
    source.AutoEdit = false;
    source.SetDataSet(ds.get());
    ds->Open();
    tk::DBCheckBox box;
    box.ValueChecked = QStringLiteral("W");
    box.ValueUnchecked = QStringLiteral("F");
    box.SetDataSource(&source);
    box.SetDataField(QStringLiteral("WICHTIG"));
    QCOMPARE(box.checkState(), Qt::Checked);
    box.click();
    QCOMPARE(box.checkState(), Qt::Checked); // browse, no AutoEdit
    QCOMPARE(ds->state(), tk::DataSet::State::Browse);
    ds->Next();
    QCOMPARE(box.checkState(), Qt::Unchecked); // "f": case ignored
    ds->Next();
    QCOMPARE(box.checkState(), Qt::PartiallyChecked); // empty

    // From undecided a click ticks; the next one clears; never undecided.
    ds->Edit();
    box.click();
    QCOMPARE(field(*ds, "WICHTIG"), QStringLiteral("W"));
    box.click();
    QCOMPARE(field(*ds, "WICHTIG"), QStringLiteral("F"));
    QCOMPARE(box.checkState(), Qt::Unchecked);
    ds->FieldByName(QStringLiteral("WICHTIG"))->SetAsString(QStringLiteral("?"));
    QCOMPARE(box.checkState(), Qt::PartiallyChecked);
    ds->Post();
}

void TestDBControls::valueComboBoxMapsItemsToValues()
{
    auto ds = addresses();
    tk::DataSource source;
    source.AutoEdit = false;
    source.SetDataSet(ds.get());
    ds->Open();
    tk::TDBValueComboBox box;
    box.SetItems({QStringLiteral("(unbekannt)"), QStringLiteral("männlich"), QStringLiteral("weiblich")});
    box.SetValues({QString(), QStringLiteral("M"), QStringLiteral("W")});
    box.SetDataSource(&source);
    box.SetDataField(QStringLiteral("SEX"));
    QCOMPARE(box.currentIndex(), 1);
    ds->Next();
    QCOMPARE(box.currentIndex(), -1); // "X" is no value
    ds->Next();
    QCOMPARE(box.currentIndex(), 0); // empty text is the empty value

    // Keys change nothing while the field cannot be modified.
    QTest::keyClick(&box, Qt::Key_Down);
    QCOMPARE(box.currentIndex(), 0);
    QCOMPARE(ds->state(), tk::DataSet::State::Browse);

    ds->Edit();
    QTest::keyClick(&box, Qt::Key_Down);
    QCOMPARE(box.currentIndex(), 1);
    QCOMPARE(field(*ds, "SEX"), QStringLiteral("M"));
    // Escape shows the field's value again after a choice made by code.
    box.setCurrentIndex(2);
    QTest::keyClick(&box, Qt::Key_Escape);
    QCOMPARE(box.currentIndex(), 1);
    // No item chosen writes an empty text.
    box.setCurrentIndex(-1);
    QCOMPARE(box.selectedValue(), QString());
    ds->Post();
    QCOMPARE(ds->rows[2][4].toString(), QStringLiteral("M"));
}

void TestDBControls::lookupComboBoxStoresKeyOfListRecord()
{
    auto ds = addresses();
    auto list = titles();
    tk::DataSource source;
    source.SetDataSet(ds.get());
    tk::DataSource listSource;
    listSource.SetDataSet(list.get());
    ds->Open();
    list->Open();
    tk::DBLookupComboBox box;
    box.SetListSource(&listSource);
    box.SetKeyField(QStringLiteral("KURZ"));
    box.SetListField(QStringLiteral("TITEL"));
    box.SetDataSource(&source);
    box.SetDataField(QStringLiteral("TITEL"));
    QCOMPARE(box.count(), 3);
    QCOMPARE(box.currentText(), QStringLiteral("Doktor"));
    ds->Next();
    QCOMPARE(box.currentText(), QStringLiteral("Professor"));
    // A stored value without a list record stays visible.
    ds->Next();
    QCOMPARE(box.currentIndex(), -1);
    QCOMPARE(box.placeholderText(), QStringLiteral("Baron"));

    // Choosing (AutoEdit on) stores the key and moves the list to it.
    QTest::keyClick(&box, Qt::Key_Down);
    QCOMPARE(ds->state(), tk::DataSet::State::Edit);
    QCOMPARE(field(*ds, "TITEL"), QStringLiteral("Dr."));
    QTest::keyClick(&box, Qt::Key_End);
    QCOMPARE(field(*ds, "TITEL"), QStringLiteral("Ing."));
    QCOMPARE(list->FieldByName(QStringLiteral("TITEL"))->AsString(), QStringLiteral("Ingenieur"));
    ds->Post();
    QCOMPARE(ds->rows[2][5].toString(), QStringLiteral("Ing."));

    // A record added to the list appears after the list dataset changed.
    list->Append();
    list->FieldByName(QStringLiteral("KURZ"))->SetAsString(QStringLiteral("Mag."));
    list->FieldByName(QStringLiteral("TITEL"))->SetAsString(QStringLiteral("Magister"));
    list->Post();
    QCOMPARE(box.count(), 4);
}

void TestDBControls::comboBoxTakesFreeTextAndItems()
{
    auto ds = addresses();
    tk::DataSource source;
    source.AutoEdit = false;
    source.SetDataSet(ds.get());
    ds->Open();
    tk::DBComboBox box;
    box.addItems({QStringLiteral("Dr."), QStringLiteral("Prof."), QStringLiteral("Dipl.-Ing.")});
    box.SetDataSource(&source);
    box.SetDataField(QStringLiteral("TITEL"));
    QCOMPARE(box.currentText(), QStringLiteral("Dr."));
    QVERIFY(box.lineEdit()->isReadOnly());
    QCOMPARE(box.lineEdit()->maxLength(), 10);
    QTest::keyClick(&box, Qt::Key_Down);
    QCOMPARE(box.currentText(), QStringLiteral("Dr."));

    ds->Edit();
    QTest::keyClick(&box, Qt::Key_Down);
    QCOMPARE(field(*ds, "TITEL"), QStringLiteral("Prof."));
    box.lineEdit()->selectAll();
    QTest::keyClicks(&box, QStringLiteral("Freiherr"));
    QCOMPARE(field(*ds, "TITEL"), QStringLiteral("Prof."));
    ds->Post();
    QCOMPARE(ds->rows[0][5].toString(), QStringLiteral("Freiherr"));
}

void TestDBControls::controlsSurviveClosingAndLosingTheSource()
{
    auto ds = addresses();
    tk::DBEdit edit;
    tk::DBLookupComboBox lookup;
    tk::DBNavigator navigator;
    {
        tk::DataSource source;
        source.SetDataSet(ds.get());
        ds->Open();
        edit.SetDataSource(&source);
        edit.SetDataField(QStringLiteral("FAMNAME"));
        lookup.SetListSource(&source);
        lookup.SetKeyField(QStringLiteral("FAMNAME"));
        navigator.SetDataSource(&source);
        QCOMPARE(lookup.count(), 3);
        ds->Close();
        QCOMPARE(edit.text(), QString());
        QVERIFY(edit.isReadOnly());
        QVERIFY(!navigator.button(tk::DBNavigator::Button::Next)->isEnabled());
        ds->Open();
        QCOMPARE(edit.text(), QStringLiteral("Anders"));
    }
    // The source is gone; the controls no longer reach the dataset.
    QVERIFY(!edit.field());
    QVERIFY(!navigator.BtnClick(tk::DBNavigator::Button::Next));
    QTest::keyClicks(&edit, QStringLiteral("x"));
    QCOMPARE(ds->state(), tk::DataSet::State::Browse);
}

void TestDBControls::navigatorEnablesActsAndReports()
{
    using B = tk::DBNavigator::Button;
    auto ds = addresses();
    tk::DataSource source;
    source.AutoEdit = false;
    source.SetDataSet(ds.get());
    ds->Open();
    tk::DBNavigator nav;
    nav.SetVisibleButtons({B::First, B::Prior, B::Next, B::Last, B::Insert, B::Delete, B::Edit});
    nav.SetDataSource(&source);
    QVERIFY(!nav.isButtonVisible(B::Post));
    QVERIFY(!nav.button(B::First)->isEnabled());
    QVERIFY(nav.button(B::Next)->isEnabled());

    QStringList seen;
    nav.OnClick = [&](B b) {
        // Called after the navigator's own action.
        seen << QStringLiteral("%1:%2:%3").arg(static_cast<int>(b)).arg(field(*ds, "FAMNAME")).arg(static_cast<int>(ds->state()));
    };
    nav.button(B::Last)->click();
    QVERIFY(!nav.button(B::Next)->isEnabled());
    QVERIFY(nav.button(B::Prior)->isEnabled());
    nav.button(B::Prior)->click();
    nav.button(B::Edit)->click();
    QVERIFY(!nav.button(B::Edit)->isEnabled());
    QVERIFY(!nav.button(B::Insert)->isEnabled());
    QVERIFY(nav.button(B::Post)->isEnabled());
    nav.BtnClick(B::Cancel);
    nav.BtnClick(B::Insert);
    QCOMPARE(ds->state(), tk::DataSet::State::Insert);
    nav.BtnClick(B::Cancel);
    QCOMPARE(seen, QStringList({QStringLiteral("3:Conrad:1"), QStringLiteral("1:Berger:1"), QStringLiteral("6:Berger:2"),
                                QStringLiteral("8:Berger:1"), QStringLiteral("4::3"), QStringLiteral("8:Berger:1")}));

    nav.SetFlat(true);
    QVERIFY(nav.button(B::First)->autoRaise());
    nav.SetHints({QStringLiteral("Erster|Zum ersten Datensatz")});
    QCOMPARE(nav.button(B::First)->toolTip(), QStringLiteral("Erster"));
    QCOMPARE(nav.button(B::First)->statusTip(), QStringLiteral("Zum ersten Datensatz"));
    QVERIFY(!nav.button(B::Next)->icon().isNull());
}

void TestDBControls::navigatorDeleteConfirmsAndFailedActionIsNotReported()
{
    using B = tk::DBNavigator::Button;
    auto ds = addresses();
    tk::DataSource source;
    source.SetDataSet(ds.get());
    ds->Open();
    tk::DBNavigator nav;
    nav.SetDataSource(&source);
    int clicks = 0;
    nav.OnClick = [&](B) { ++clicks; };

    tk::MessageBox::presetAnswer(tk::MessageBox::Answer::Cancel);
    QVERIFY(!nav.BtnClick(B::Delete));
    QCOMPARE(tk::MessageBox::lastKind(), tk::MessageBox::Kind::Confirmation);
    QCOMPARE(ds->rows.size(), std::size_t(3));
    tk::MessageBox::presetAnswer(tk::MessageBox::Answer::Ok);
    QVERIFY(nav.BtnClick(B::Delete));
    QCOMPARE(ds->rows.size(), std::size_t(2));
    QCOMPARE(field(*ds, "FAMNAME"), QStringLiteral("Berger"));
    QCOMPARE(clicks, 1);

    ds->refuseEdit = true;
    tk::MessageBox::presetAnswer(tk::MessageBox::Answer::Ok);
    QVERIFY(!nav.BtnClick(B::Edit));
    QCOMPARE(tk::MessageBox::lastKind(), tk::MessageBox::Kind::Error);
    QCOMPARE(clicks, 1);
}

TESSARON_TEST(TestDBControls)
#include "TestDBControls.moc"
