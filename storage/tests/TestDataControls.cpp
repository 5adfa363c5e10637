// A window binding every kind of data-aware control to a real table: edits
// made through the controls reach the table, Cancel restores, and the grid
// over a table of 200,000 records reads only the rows it shows.
#include "platform/FormatSettings.h"
#include "storage/TXbaseDataSet.h"
#include "toolkit/controls/DBCheckBox.h"
#include "toolkit/controls/DBComboBox.h"
#include "toolkit/controls/DBDateEdit.h"
#include "toolkit/controls/DBEdit.h"
#include "toolkit/controls/DBGrid.h"
#include "toolkit/controls/DBLookupComboBox.h"
#include "toolkit/controls/DBMemo.h"
#include "toolkit/controls/DBNavigator.h"
#include "toolkit/controls/DBText.h"
#include "toolkit/text/MessageBox.h"
#include "toolkit/controls/TDBValueComboBox.h"
#include "xbase/table/Env.h"
#include "xbase/table/Table.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFormLayout>
#include <QHeaderView>
#include <QLineEdit>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>

#include "testing/TestRegistry.h"

namespace {

struct FieldSpec {
    const char *name;
    const char *type;
    int width;
    int decimals;
};

void createTable(const QString &dir, const QString &name, std::initializer_list<FieldSpec> fields)
{
    TXbaseDataSet ds;
    ds.DatabaseName = dir;
    QVERIFY(ds.CreateNew(name, 2, static_cast<int>(fields.size())));
    for (const FieldSpec &f : fields)
        ds.CreateField(QString::fromLatin1(f.name), QString::fromLatin1(f.type), f.width, f.decimals);
    QVERIFY(ds.CreateExec());
}

// Counts the rows the grid asks for.
class CountingDataSet : public TXbaseDataSet {
public:
    int fetches = 0;
    bool FetchRow(int row, tk::RecordBuffer &out) override
    {
        ++fetches;
        return TXbaseDataSet::FetchRow(row, out);
    }
};

// The window: one control of every kind, bound like a collection window
// binds them (automatic editing off, the navigator starts edits).
struct ControlsWindow {
    QWidget window;
    TXbaseDataSet tblCassette;
    TXbaseDataSet tblTitel;
    tk::DataSource dsCassette;
    tk::DataSource dsTitel;
    tk::DBEdit *dbeFamName;
    tk::DBEdit *dbeLaufzeit;
    tk::DBDateEdit *dbcGeb_Dat;
    tk::DBComboBox *dbcbArt;
    tk::DBCheckBox *dbcbWichtig;
    tk::DBLookupComboBox *dblcTitel;
    tk::TDBValueComboBox *dbvcbSex;
    tk::DBMemo *dbmNotiz;
    tk::DBText *DBText1;
    tk::DBNavigator *dbnCassette;
    tk::DBGrid *dbgCassette;

    explicit ControlsWindow(const QString &dir)
    {
        tblCassette.DatabaseName = dir;
        tblCassette.SetTableName(QStringLiteral("CONTROLS"));
        tblTitel.DatabaseName = dir;
        tblTitel.SetTableName(QStringLiteral("TITEL"));
        dsCassette.AutoEdit = false;
        dsCassette.SetDataSet(&tblCassette);
        dsTitel.SetDataSet(&tblTitel);

        auto *form = new QFormLayout(&window);
        dbnCassette = new tk::DBNavigator(&window);
        dbnCassette->setObjectName(QStringLiteral("dbnCassette"));
        using B = tk::DBNavigator::Button;
        dbnCassette->SetVisibleButtons({B::First, B::Prior, B::Next, B::Last, B::Insert, B::Delete, B::Edit, B::Post, B::Cancel});
        form->addRow(dbnCassette);
        auto add = [&](const char *label, QWidget *control, const char *name) {
            control->setObjectName(QLatin1String(name));
            form->addRow(QString::fromUtf8(label), control);
        };
        add("&Name", dbeFamName = new tk::DBEdit(&window), "dbeFamName");
        add("Laufzeit:", dbeLaufzeit = new tk::DBEdit(&window), "dbeLaufzeit");
        add("&Geb.Datum", dbcGeb_Dat = new tk::DBDateEdit(&window), "dbcGeb_Dat");
        add("Typ", dbcbArt = new tk::DBComboBox(&window), "dbcbArt");
        add("", dbcbWichtig = new tk::DBCheckBox(&window), "dbcbWichtig");
        add("&Titel", dblcTitel = new tk::DBLookupComboBox(&window), "dblcTitel");
        add("Geschlecht", dbvcbSex = new tk::TDBValueComboBox(&window), "dbvcbSex");
        add("Notiz", dbmNotiz = new tk::DBMemo(&window), "dbmNotiz");
        add("Letzte Änderung:", DBText1 = new tk::DBText(&window), "DBText1");
        dbgCassette = new tk::DBGrid(&window);
        dbgCassette->setObjectName(QStringLiteral("dbgCassette"));
        form->addRow(dbgCassette);

        dbeFamName->SetCharCase(tk::DBEdit::CharCase::Upper);
        dbeLaufzeit->SetEditMask(QStringLiteral("!90:00:00;1;_"));
        dbcbArt->addItems({QStringLiteral("CD"), QStringLiteral("MC"), QStringLiteral("LP"), QStringLiteral("DC")});
        dbcbWichtig->setText(QStringLiteral("wichtige Kontaktperson"));
        dbcbWichtig->ValueChecked = QStringLiteral("W");
        dbcbWichtig->ValueUnchecked = QStringLiteral("F");
        dblcTitel->SetListSource(&dsTitel);
        dblcTitel->SetKeyField(QStringLiteral("TITEL"));
        dblcTitel->SetListField(QStringLiteral("TITEL"));
        dblcTitel->SetDropDownWidth(300);
        dbvcbSex->SetItems({QString(), QStringLiteral("männlich"), QStringLiteral("weiblich")});
        dbvcbSex->SetValues({QString(), QStringLiteral("M"), QStringLiteral("W")});
        dbmNotiz->setFixedHeight(48);
        tk::DBGridColumn name{QStringLiteral("FAMNAME"), QStringLiteral("Zuname"), 20};
        tk::DBGridColumn time{QStringLiteral("LAUFZEIT"), QStringLiteral("Laufzeit"), 8, Qt::AlignHCenter};
        tk::DBGridColumn art{QStringLiteral("ART"), QStringLiteral("Art"), 3};
        tk::DBGridColumn price{QStringLiteral("PREIS"), QStringLiteral("Preis"), 8};
        price.DisplayFormat = QStringLiteral("###,###");
        price.EditFormat = QStringLiteral("######");
        tk::DBGridColumn date{QStringLiteral("GEB_DAT"), QStringLiteral("Geb.Datum"), 10};
        dbgCassette->SetColumns({name, time, art, price, date});
        dbgCassette->setMinimumHeight(110);

        const std::pair<QWidget *, const char *> bindings[] = {
            {dbeFamName, "FAMNAME"}, {dbeLaufzeit, "LAUFZEIT"}, {dbcGeb_Dat, "GEB_DAT"}, {dbcbArt, "ART"},
            {dbcbWichtig, "WICHTIG"}, {dblcTitel, "TITEL"}, {dbvcbSex, "SEX"}, {dbmNotiz, "NOTIZ"}, {DBText1, "L_UPDATE"},
        };
        for (const auto &[control, fieldName] : bindings)
            bind(control, QLatin1String(fieldName));
        dbnCassette->SetDataSource(&dsCassette);
        dbgCassette->SetDataSource(&dsCassette);
        tblCassette.BeforePost = [](tk::DataSet &ds) {
            ds.FieldByName(QStringLiteral("L_UPDATE"))->SetAsDate(QDate(2026, 12, 9));
        };
        tblTitel.Open();
        tblCassette.Open();
        window.resize(560, 560);
    }

    void bind(QWidget *control, const QString &fieldName)
    {
        if (auto *c = qobject_cast<tk::DBEdit *>(control)) { c->SetDataSource(&dsCassette); c->SetDataField(fieldName); }
        if (auto *c = qobject_cast<tk::DBDateEdit *>(control)) { c->SetDataSource(&dsCassette); c->SetDataField(fieldName); }
        if (auto *c = qobject_cast<tk::DBComboBox *>(control)) { c->SetDataSource(&dsCassette); c->SetDataField(fieldName); }
        if (auto *c = qobject_cast<tk::DBCheckBox *>(control)) { c->SetDataSource(&dsCassette); c->SetDataField(fieldName); }
        if (auto *c = qobject_cast<tk::DBLookupComboBox *>(control)) { c->SetDataSource(&dsCassette); c->SetDataField(fieldName); }
        if (auto *c = qobject_cast<tk::TDBValueComboBox *>(control)) { c->SetDataSource(&dsCassette); c->SetDataField(fieldName); }
        if (auto *c = qobject_cast<tk::DBMemo *>(control)) { c->SetDataSource(&dsCassette); c->SetDataField(fieldName); }
        if (auto *c = qobject_cast<tk::DBText *>(control)) { c->SetDataSource(&dsCassette); c->SetDataField(fieldName); }
    }

    void press(const char *button)
    {
        auto *b = dbnCassette->findChild<QToolButton *>(QLatin1String(button));
        QVERIFY(b);
        QVERIFY(b->isEnabled());
        QTest::mouseClick(b, Qt::LeftButton);
    }

    QString value(const char *name) { return tblCassette.FieldByName(QLatin1String(name))->AsString(); }
};

// Types text key by key; QTest's own typing knows ASCII only.
void type(QWidget *control, const QString &text)
{
    for (const QChar c : text) {
        if (c.unicode() < 128)
            QTest::keyClick(control, c.toLatin1());
        else
            QTest::sendKeyEvent(QTest::Click, control, Qt::Key_unknown, QString(c), Qt::NoModifier);
    }
}

void retype(QWidget *control, const QString &text)
{
    auto *line = qobject_cast<QLineEdit *>(control);
    if (line) {
        line->selectAll();
        QTest::keyClick(line, Qt::Key_Delete);
        line->home(false);
    }
    type(control, text);
}

} // namespace

class TestDataControls : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void editThroughControlsPostAndReopen();
    void cancelRestoresTheRecord();
    void gridShowsLargeTableWithoutReadingIt();

private:
    std::unique_ptr<QTemporaryDir> m_dir;
};

void TestDataControls::init()
{
    platform::FormatSettings::current() = platform::FormatSettings::fromLocaleName(QStringLiteral("de_DE"));
    platform::FormatSettings::current().setCentury(true);
    tk::MessageBox::clearPresets();
    m_dir = std::make_unique<QTemporaryDir>();
    createTable(m_dir->path(), QStringLiteral("CONTROLS"),
                {{"FAMNAME", "C", 20, 0}, {"LAUFZEIT", "C", 8, 0}, {"GEB_DAT", "D", 8, 0}, {"ART", "C", 2, 0},
                 {"WICHTIG", "C", 1, 0}, {"TITEL", "C", 18, 0}, {"SEX", "C", 1, 0}, {"NOTIZ", "M", 10, 0},
                 {"PREIS", "N", 8, 0}, {"L_UPDATE", "D", 8, 0}});
    createTable(m_dir->path(), QStringLiteral("TITEL"), {{"TITEL", "C", 18, 0}});

    TXbaseDataSet titel;
    titel.DatabaseName = m_dir->path();
    titel.SetTableName(QStringLiteral("TITEL"));
    titel.Open();
    for (const char *t : {"Dr.", "Prof.", "Dipl.-Ing."}) {
        titel.Append();
        titel.FieldByName(QStringLiteral("TITEL"))->SetAsString(QLatin1String(t));
        titel.Post();
    }
    TXbaseDataSet table;
    table.DatabaseName = m_dir->path();
    table.SetTableName(QStringLiteral("CONTROLS"));
    table.Open();
    const QStringList names = {QStringLiteral("ALTMANN"), QStringLiteral("BERGER"), QStringLiteral("CONRAD")};
    for (int i = 0; i < names.size(); ++i) {
        table.Append();
        table.FieldByName(QStringLiteral("FAMNAME"))->SetAsString(names[i]);
        table.FieldByName(QStringLiteral("LAUFZEIT"))->SetAsString(QStringLiteral("00:4%1:00").arg(i));
        table.FieldByName(QStringLiteral("GEB_DAT"))->SetAsDate(QDate(1960 + i, 1, 2));
        table.FieldByName(QStringLiteral("ART"))->SetAsString(QStringLiteral("CD"));
        table.FieldByName(QStringLiteral("WICHTIG"))->SetAsString(i == 0 ? QStringLiteral("W") : QString());
        table.FieldByName(QStringLiteral("TITEL"))->SetAsString(QStringLiteral("Dr."));
        table.FieldByName(QStringLiteral("SEX"))->SetAsString(QStringLiteral("M"));
        table.FieldByName(QStringLiteral("NOTIZ"))->SetAsString(QStringLiteral("Notiz %1").arg(i));
        table.FieldByName(QStringLiteral("PREIS"))->SetAsFloat(1200 + i);
        table.Post();
    }
}

void TestDataControls::cleanup()
{
    tk::MessageBox::clearPresets();
    m_dir.reset();
}

void TestDataControls::editThroughControlsPostAndReopen()
{
    ControlsWindow w(m_dir->path());
    w.window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w.window));
    QCOMPARE(w.dbeFamName->text(), QStringLiteral("ALTMANN"));
    QCOMPARE(w.dbeLaufzeit->text(), QStringLiteral("00:40:00"));
    QCOMPARE(w.dbcGeb_Dat->text(), QStringLiteral("02.01.1960"));
    QCOMPARE(w.dbcbWichtig->checkState(), Qt::Checked);
    QCOMPARE(w.dblcTitel->currentText(), QStringLiteral("Dr."));
    QCOMPARE(w.dbvcbSex->currentText(), QStringLiteral("männlich"));
    QCOMPARE(w.dbmNotiz->toPlainText(), QStringLiteral("Notiz 0"));
    QCOMPARE(w.dbgCassette->model()->rowCount(), 3);
    const QString shot = QDir::temp().filePath(QStringLiteral("tessaron-data-controls.png"));
    w.window.grab().save(shot);

    // Browse: typing changes nothing.
    retype(w.dbeFamName, QStringLiteral("x"));
    QCOMPARE(w.tblCassette.state(), tk::DataSet::State::Browse);

    w.press("nbNext");
    QCOMPARE(w.dbeFamName->text(), QStringLiteral("BERGER"));
    QCOMPARE(w.dbcbWichtig->checkState(), Qt::PartiallyChecked);
    QCOMPARE(w.dbgCassette->currentIndex().row(), 1);
    w.press("nbEdit");
    QCOMPARE(w.tblCassette.state(), tk::DataSet::State::Edit);
    retype(w.dbeFamName, QStringLiteral("Neumann"));
    QCOMPARE(w.dbeFamName->text(), QStringLiteral("NEUMANN"));
    retype(w.dbeLaufzeit, QStringLiteral("012345"));
    retype(w.dbcGeb_Dat->lineEdit(), QStringLiteral("06.05.1970"));
    w.dbcbArt->lineEdit()->selectAll();
    QTest::keyClicks(w.dbcbArt, QStringLiteral("LP"));
    w.dbcbWichtig->click();
    QTest::keyClick(w.dblcTitel, Qt::Key_End);
    QTest::keyClick(w.dbvcbSex, Qt::Key_Down);
    w.dbmNotiz->moveCursor(QTextCursor::End);
    type(w.dbmNotiz, QStringLiteral(" geändert"));
    w.press("nbPost");
    QCOMPARE(w.tblCassette.state(), tk::DataSet::State::Browse);
    QCOMPARE(w.DBText1->text(), QStringLiteral("09.12.2026"));
    QCOMPARE(w.dbgCassette->model()->index(1, 0).data().toString(), QStringLiteral("NEUMANN"));
    w.window.grab().save(QDir::temp().filePath(QStringLiteral("tessaron-data-controls-posted.png")));

    w.tblCassette.Close();
    QCOMPARE(w.dbeFamName->text(), QString());
    w.tblCassette.Open();
    w.tblCassette.Next();
    QCOMPARE(w.value("FAMNAME"), QStringLiteral("NEUMANN"));
    QCOMPARE(w.value("LAUFZEIT"), QStringLiteral("01:23:45"));
    QCOMPARE(w.tblCassette.FieldByName(QStringLiteral("GEB_DAT"))->AsDate(), QDate(1970, 5, 6));
    QCOMPARE(w.value("ART"), QStringLiteral("LP"));
    QCOMPARE(w.value("WICHTIG"), QStringLiteral("W"));
    QCOMPARE(w.value("TITEL"), QStringLiteral("Dipl.-Ing."));
    QCOMPARE(w.value("SEX"), QStringLiteral("W"));
    QCOMPARE(w.value("NOTIZ"), QStringLiteral("Notiz 1 geändert"));
    QCOMPARE(w.dbeFamName->text(), QStringLiteral("NEUMANN"));
    QCOMPARE(w.dbvcbSex->currentText(), QStringLiteral("weiblich"));
}

void TestDataControls::cancelRestoresTheRecord()
{
    ControlsWindow w(m_dir->path());
    w.window.show();
    w.press("nbEdit");
    retype(w.dbeFamName, QStringLiteral("Vergessen"));
    w.dbcbWichtig->click();
    QTest::keyClick(w.dbvcbSex, Qt::Key_Down);
    w.dbcGeb_Dat->pickDate(QDate(2000, 1, 1));
    w.press("nbCancel");
    QCOMPARE(w.dbeFamName->text(), QStringLiteral("ALTMANN"));
    QCOMPARE(w.dbcbWichtig->checkState(), Qt::Checked);
    QCOMPARE(w.dbvcbSex->currentText(), QStringLiteral("männlich"));
    QCOMPARE(w.dbcGeb_Dat->text(), QStringLiteral("02.01.1960"));

    // An insert through the navigator, cancelled, leaves no record.
    w.press("nbInsert");
    QCOMPARE(w.dbeFamName->text(), QString());
    QCOMPARE(w.dbcbWichtig->checkState(), Qt::PartiallyChecked);
    retype(w.dbeFamName, QStringLiteral("Neu"));
    w.press("nbCancel");
    w.tblCassette.Close();
    w.tblCassette.Open();
    QCOMPARE(w.tblCassette.RecordCount(), 3);
    QCOMPARE(w.value("FAMNAME"), QStringLiteral("ALTMANN"));
    QCOMPARE(w.value("WICHTIG"), QStringLiteral("W"));
    QCOMPARE(w.tblCassette.FieldByName(QStringLiteral("GEB_DAT"))->AsDate(), QDate(1960, 1, 2));
}

void TestDataControls::gridShowsLargeTableWithoutReadingIt()
{
    constexpr uint32_t kRecords = 200000;
    createTable(m_dir->path(), QStringLiteral("GROSS"), {{"FAMNAME", "C", 20, 0}, {"NR", "N", 7, 0}});
    {
        // Written with the engine directly: appends of an exclusive table
        // are buffered.
        std::unique_ptr<xb::Table> table;
        const std::string path = QDir(m_dir->path()).filePath(QStringLiteral("GROSS.DBF")).toStdString();
        QVERIFY(xb::Table::open(xb::Env::posix(), path, xb::OpenMode::Exclusive, table).ok());
        const xb::FieldInfo &name = table->fields()[0];
        const xb::FieldInfo &number = table->fields()[1];
        std::string record = table->blankRecord();
        for (uint32_t i = 1; i <= kRecords; ++i) {
            const std::string n = std::to_string(i);
            const std::string text = "Name " + n;
            record.replace(static_cast<std::size_t>(name.offset), text.size(), text);
            record.replace(static_cast<std::size_t>(number.offset + number.width) - n.size(), n.size(), n);
            uint32_t recno = 0;
            QVERIFY(table->append(record.data(), &recno).ok());
        }
        QVERIFY(table->flush().ok());
    }

    CountingDataSet ds;
    ds.DatabaseName = m_dir->path();
    ds.SetTableName(QStringLiteral("GROSS"));
    ds.Open();
    tk::DataSource source;
    source.SetDataSet(&ds);
    tk::DBGrid grid;
    grid.resize(420, 320);
    QElapsedTimer timer;
    timer.start();
    grid.SetDataSource(&source);
    grid.show();
    QVERIFY(QTest::qWaitForWindowExposed(&grid));
    QCOMPARE(grid.model()->rowCount(), int(kRecords));
    const int shown = grid.viewport()->height() / grid.verticalHeader()->defaultSectionSize() + 2;
    QVERIFY2(ds.fetches <= 2 * shown, qPrintable(QStringLiteral("%1 rows read").arg(ds.fetches)));

    // To the end and back by the scroll bar: still only what is shown.
    grid.verticalScrollBar()->setValue(grid.verticalScrollBar()->maximum());
    QApplication::processEvents();
    QCOMPARE(grid.model()->index(kRecords - 1, 0).data().toString(), QStringLiteral("Name 200000"));
    grid.setCurrentIndex(grid.model()->index(kRecords - 1, 1));
    QCOMPARE(ds.FieldByName(QStringLiteral("NR"))->AsInteger(), int(kRecords));
    QCOMPARE(ds.RecNo(), long(kRecords));
    grid.verticalScrollBar()->setValue(0);
    QApplication::processEvents();
    QVERIFY2(ds.fetches <= 8 * shown, qPrintable(QStringLiteral("%1 rows read").arg(ds.fetches)));
    qInfo("grid over %u records: %d rows read, %lld ms", kRecords, ds.fetches, static_cast<long long>(timer.elapsed()));
}

TESSARON_TEST(TestDataControls)
#include "TestDataControls.moc"
