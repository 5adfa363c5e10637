// The main window offscreen: menu state, module windows, commands and the
// error logger.
#include "app/CollectionModules.h"
#include "app/Config.h"
#include "app/TAppException.h"
#include "app/TfrmZV_Main.h"
#include "toolkit/text/ExceptionGuard.h"
#include "toolkit/text/Language.h"
#include "toolkit/text/MessageBox.h"
#include "toolkit/data/DataErrors.h"

#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QVBoxLayout>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPointer>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include <stdexcept>

#include "testing/TestRegistry.h"

namespace {

// A stand-in collection window.
QWidget *standIn(QWidget *parent, const QString &caption)
{
    auto *w = new QLabel(caption, parent);
    w->setWindowTitle(caption);
    w->setMinimumSize(320, 180);
    w->setAlignment(Qt::AlignCenter);
    return w;
}

TfrmZV_Main::Options noChecks()
{
    TfrmZV_Main::Options options;
    options.databaseChecks = false;
    return options;
}

// A child window with a pending edit: closing asks, Cancel keeps it open.
class PendingEditWindow : public QWidget {
public:
    explicit PendingEditWindow(QWidget *parent) : QWidget(parent)
    {
        setWindowTitle(QStringLiteral("Pending"));
        setMinimumSize(320, 180);
        auto *layout = new QVBoxLayout(this);
        line = new QLineEdit(this);
        combo = new QComboBox(this);
        combo->setEditable(true);
        combo->addItems({QStringLiteral("Dr."), QStringLiteral("Prof.")});
        layout->addWidget(line);
        layout->addWidget(combo);
    }
    QLineEdit *line;
    QComboBox *combo;
    int asked = 0;

protected:
    void closeEvent(QCloseEvent *event) override
    {
        ++asked;
        if (tk::MessageBox::show(this, tk::MessageBox::Kind::Confirmation, tk::langText(10002),
                                 tk::MessageBox::Buttons::OkCancel)
            != tk::MessageBox::Answer::Ok)
            event->ignore();
        else
            event->accept();
    }
};

} // namespace

class TestMainWindow : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void withoutChildrenWindowItemsAreDisabledAndPrintSaysSo();
    void childWindowDisablesItsModule();
    void startWindowsOpenOnce();
    void cannotBecomeSmallerThanTheMinimum();
    void missingFileManagerIsReported();
    void errorsAreLoggedOneRecordEach();
    void unregisteredModulesShowTheNotice();
    void referenceTablesOpenOnlyAfterTheOtherWindowsClosed();
    void creationMakesMissingTablesAndIndexes();
    void exitAsksEveryChildAndStaysOnCancel();
    void editItemsFollowTypingAndEditableComboBoxes();
    void englishMenusHaveUniqueAccessKeys();
    void backgroundTileJoinsWithoutSeams();

private:
    std::unique_ptr<QTemporaryDir> m_dir;
};

void TestMainWindow::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    LoadConfiguration(config(), m_dir->path());
    QFile lang(QStringLiteral(TESSARON_SOURCE_DIR "/lang/QorvaGER.lng"));
    QVERIFY(lang.open(QIODevice::ReadOnly));
    tk::Language::current().load(lang.readAll());
    tk::MessageBox::clearPresets();
}

void TestMainWindow::cleanup()
{
    TfrmZV_Main::clearModules();
    tk::MessageBox::clearPresets();
    tk::Language::current().clear();
}

void TestMainWindow::withoutChildrenWindowItemsAreDisabledAndPrintSaysSo()
{
    TfrmZV_Main main(noChecks());
    for (QAction *a : {main.WindowTileItem, main.WindowCascadeItem, main.WindowArrangeItem, main.WindowMinimizeItem,
                       main.WindowMaximizeItem, main.Alleschlieen1, main.WindowCloseItem, main.mnuDrucken})
        QVERIFY2(!a->isEnabled(), qPrintable(a->objectName()));
    QVERIFY(main.sbtPrint->isEnabled());
    QVERIFY(!main.sbtDisketten->isEnabled());
    QVERIFY(!main.HelpContentsItem->isEnabled());
    QCOMPARE(main.mnuAdressen->text(), QStringLiteral("&Adressen"));
    QCOMPARE(main.sbtAdress->toolTip(), QStringLiteral("Adressen"));
    QCOMPARE(main.sbtAdress->statusTip(), QStringLiteral("Öffnet das Adreßbuch"));

    tk::MessageBox::presetAnswer(tk::MessageBox::Answer::Ok);
    main.sbtPrint->click();
    QCOMPARE(tk::MessageBox::lastKind(), tk::MessageBox::Kind::Error);
    QCOMPARE(tk::MessageBox::lastText(), tk::langText(10009));
}

void TestMainWindow::childWindowDisablesItsModule()
{
    config().ZVCalls = 5;
    TfrmZV_Main::registerModule(Module::Addresses,
                                [](QWidget *p) { return standIn(p, QStringLiteral("Adressen")); });
    TfrmZV_Main main(noChecks());
    main.show();
    QVERIFY(QTest::qWaitForWindowExposed(&main));
    main.sbtAdress->click();
    QCOMPARE(main.childWindows().size(), 1);
    QVERIFY(config().open(Module::Addresses));
    QVERIFY(!main.sbtAdress->isEnabled());
    QVERIFY(!main.mnuAdressen->isEnabled());
    QVERIFY(main.mnuDrucken->isEnabled());
    QVERIFY(main.WindowCloseItem->isEnabled());
    QVERIFY(main.sbtTermin->isEnabled());

    const QString dir = qEnvironmentVariable("TESSARON_SCREENSHOTS");
    if (!dir.isEmpty())
        main.grab().save(dir + QStringLiteral("/main-window.png"));

    // Print asks first; No prints nothing.
    tk::MessageBox::presetAnswer(tk::MessageBox::Answer::No);
    main.mnuDrucken->trigger();
    QCOMPARE(tk::MessageBox::lastText(), tk::langText(10010));

    main.Alleschlieen1->trigger();
    QTRY_VERIFY(main.childWindows().isEmpty());
    QTRY_VERIFY(!config().open(Module::Addresses));
    QVERIFY(main.sbtAdress->isEnabled());
    QVERIFY(main.mnuAdressen->isEnabled());
    QVERIFY(!main.mnuDrucken->isEnabled());
}

void TestMainWindow::startWindowsOpenOnce()
{
    Config &cfg = config();
    cfg.AOpen = true;
    cfg.BOpen = true;
    cfg.ZVCalls = 0;
    int addresses = 0;
    int books = 0;
    TfrmZV_Main::registerModule(Module::Addresses, [&](QWidget *p) {
        ++addresses;
        return standIn(p, QStringLiteral("Adressen"));
    });
    TfrmZV_Main::registerModule(Module::Books, [&](QWidget *p) {
        ++books;
        return standIn(p, QStringLiteral("Bücherei"));
    });
    tk::MessageBox::presetAnswer(tk::MessageBox::Answer::Ok); // the first-run text
    TfrmZV_Main main(noChecks());
    main.show();
    main.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&main));
    main.openStartWindows();
    main.openStartWindows();
    QCOMPARE(addresses, 1);
    QCOMPARE(books, 1);
    QCOMPARE(tk::MessageBox::lastText(), tk::langText(10024));
    QCOMPARE(cfg.ZVCalls, 1);
    const int shown = tk::MessageBox::shownCount();
    main.Alleschlieen1->trigger();
    QTRY_VERIFY(main.childWindows().isEmpty());
    main.sbtAdress->click();
    QCOMPARE(tk::MessageBox::shownCount(), shown); // the first-run text only once
    cfg.AOpen = cfg.BOpen = false;
}

void TestMainWindow::cannotBecomeSmallerThanTheMinimum()
{
    TfrmZV_Main main(noChecks());
    main.show();
    main.resize(100, 100);
    QVERIFY(main.width() >= 440);
    QVERIFY(main.height() >= 296);
    QCOMPARE(main.minimumSize(), QSize(440, 296));
}

void TestMainWindow::missingFileManagerIsReported()
{
    config().FileManN = m_dir->filePath(QStringLiteral("no/such/filemanager"));
    TfrmZV_Main main(noChecks());
    tk::MessageBox::presetAnswer(tk::MessageBox::Answer::Ok);
    // The message leads on to the options, which are left with Cancel.
    QTimer closer;
    connect(&closer, &QTimer::timeout, [&closer] {
        if (QWidget *dialog = QApplication::activeModalWidget()) {
            closer.stop();
            dialog->close();
        }
    });
    closer.start(10);
    main.sbtFileMgr->click();
    QCOMPARE(tk::MessageBox::lastKind(), tk::MessageBox::Kind::Error);
    QVERIFY(tk::MessageBox::lastText().contains(config().FileManN));
    QVERIFY(!tk::MessageBox::lastText().contains(QLatin1String("%s")));
}

void TestMainWindow::errorsAreLoggedOneRecordEach()
{
    TfrmZV_Main main(noChecks());
    tk::MessageBox::presetAnswer(tk::MessageBox::Answer::Ok);
    tk::MessageBox::presetAnswer(tk::MessageBox::Answer::Ok);
    tk::guarded([] { throw std::runtime_error("first failure"); });
    tk::guarded([] { throw std::runtime_error("second failure"); });
    tk::guarded([] { throw tk::Abort(); }); // silent
    QFile log(m_dir->filePath(QStringLiteral("Tessaron.ERR")));
    QVERIFY(log.open(QIODevice::ReadOnly));
    const QList<QByteArray> lines = log.readAll().split('\n');
    QCOMPARE(lines.size(), 7);
    QVERIFY(lines[0].startsWith("User: Vizezaz A, "));
    QCOMPARE(lines[1], QByteArray("first failure\r"));
    QCOMPARE(lines[2], QByteArray("\r"));
    QVERIFY(lines[3].startsWith("User: Vizezaz A, "));
    QCOMPARE(lines[4], QByteArray("second failure\r"));
    QCOMPARE(tk::MessageBox::lastText(), QStringLiteral("second failure"));

    // A log that cannot be written still shows the error, with a note.
    TAppException logger;
    logger.ErrorLog = m_dir->filePath(QStringLiteral("missing-dir/Tessaron.ERR"));
    tk::MessageBox::presetAnswer(tk::MessageBox::Answer::Ok);
    logger.handle(QStringLiteral("third failure"));
    QVERIFY(tk::MessageBox::lastText().startsWith(QStringLiteral("third failure")));
    QVERIFY(tk::MessageBox::lastText().contains(QStringLiteral("could not be written")));

    // Without the user name the record starts with the time stamp; without
    // ShowExcep nothing is shown.
    logger.ErrorLog = m_dir->filePath(QStringLiteral("plain.ERR"));
    logger.ShowExcep = false;
    const int shown = tk::MessageBox::shownCount();
    logger.handle(QStringLiteral("quiet"));
    QCOMPARE(tk::MessageBox::shownCount(), shown);
    QFile plain(logger.ErrorLog);
    QVERIFY(plain.open(QIODevice::ReadOnly));
    QVERIFY(QChar::fromLatin1(plain.readAll().at(0)).isDigit());
}

void TestMainWindow::unregisteredModulesShowTheNotice()
{
    TfrmZV_Main main(noChecks());
    tk::MessageBox::presetAnswer(tk::MessageBox::Answer::Ok);
    main.sbtMusik->click();
    QCOMPARE(tk::MessageBox::lastText(), tk::langText(10004));
    QCOMPARE(config().NoticeText, tk::langText(10004));
}

void TestMainWindow::referenceTablesOpenOnlyAfterTheOtherWindowsClosed()
{
    config().ZVCalls = 5;
    TfrmZV_Main::registerModule(Module::Addresses, [](QWidget *p) { return standIn(p, QStringLiteral("Adressen")); });
    QPointer<QWidget> tables;
    TfrmZV_Main::registerReferenceWindow([&](QWidget *p) { return tables = standIn(p, QStringLiteral("Vordef")); });
    TfrmZV_Main main(noChecks());
    main.show();
    main.sbtAdress->click();
    QCOMPARE(main.childWindows().size(), 1);
    main.DatenbankenWartung->trigger();
    QCOMPARE(main.childWindows().size(), 1);
    QVERIFY(tables);
    QCOMPARE(main.childWindows().first()->widget(), tables.data());
    QVERIFY(!config().open(Module::Addresses));
    QCOMPARE(main.childWindows().first()->pos(), QPoint(0, 0));

    // A child that refuses to close keeps the reference tables shut.
    main.childWindows().first()->close();
    QTRY_VERIFY(main.childWindows().isEmpty());
    PendingEditWindow *pending = nullptr;
    TfrmZV_Main::registerModule(Module::Addresses, [&](QWidget *p) { return pending = new PendingEditWindow(p); });
    main.sbtAdress->click();
    tk::MessageBox::presetAnswer(tk::MessageBox::Answer::Cancel);
    main.sbtVordef->click();
    QCOMPARE(main.childWindows().size(), 1);
    QCOMPARE(main.childWindows().first()->widget(), pending);
}

void TestMainWindow::creationMakesMissingTablesAndIndexes()
{
    {
        TfrmZV_Main main;
    }
    const QDir data(config().ZVData);
    QCOMPARE(data.entryList({QStringLiteral("*.DBF")}, QDir::Files).size(), 16);
    QCOMPARE(data.entryList({QStringLiteral("*.CDX")}, QDir::Files).size(), 16);
    // Only the missing index is rebuilt the next time.
    QVERIFY(QFile::remove(data.filePath(QStringLiteral("VIDEO.CDX"))));
    const QDateTime before = QFileInfo(data.filePath(QStringLiteral("ADRESS.CDX"))).lastModified();
    {
        TfrmZV_Main main;
    }
    QVERIFY(QFile::exists(data.filePath(QStringLiteral("VIDEO.CDX"))));
    QCOMPARE(QFileInfo(data.filePath(QStringLiteral("ADRESS.CDX"))).lastModified(), before);

    // The real address book opens in the main window.
    config().ZVCalls = 3;
    registerCollectionWindows();
    TfrmZV_Main main(noChecks());
    main.show();
    main.resize(900, 520);
    main.sbtAdress->click();
    QCOMPARE(main.childWindows().size(), 1);
    QVERIFY(!main.sbtAdress->isEnabled());
    // The video collection and the book library open beside it.
    main.sbtVideo->click();
    main.sbtBooks->click();
    QCOMPARE(main.childWindows().size(), 3);
    QVERIFY(!main.sbtVideo->isEnabled() && !main.sbtBooks->isEnabled());
    const QString shots = qEnvironmentVariable("TESSARON_SCREENSHOTS");
    if (!shots.isEmpty())
        main.grab().save(shots + QStringLiteral("/main-window-address-book.png"));
    main.Alleschlieen1->trigger();
    QTRY_VERIFY(main.childWindows().isEmpty());
    QVERIFY(!config().open(Module::Addresses));
    QVERIFY(!config().open(Module::Videos) && !config().open(Module::Books));
}


void TestMainWindow::exitAsksEveryChildAndStaysOnCancel()
{
    config().ZVCalls = 5;
    PendingEditWindow *pending = nullptr;
    TfrmZV_Main::registerModule(Module::Addresses, [&](QWidget *p) { return pending = new PendingEditWindow(p); });
    TfrmZV_Main main(noChecks());
    main.show();
    QVERIFY(QTest::qWaitForWindowExposed(&main));
    main.sbtAdress->click();
    QVERIFY(pending);

    // Exit from the menu, the tool bar and the window's close button: each
    // goes through the child's question; Cancel keeps program and child.
    tk::MessageBox::presetAnswer(tk::MessageBox::Answer::Cancel);
    main.mnuBeenden->trigger();
    QCOMPARE(pending->asked, 1);
    QVERIFY(main.isVisible());
    QCOMPARE(main.childWindows().size(), 1);
    tk::MessageBox::presetAnswer(tk::MessageBox::Answer::Cancel);
    main.sbtEnde->click();
    QCOMPARE(pending->asked, 2);
    QVERIFY(main.isVisible());
    tk::MessageBox::presetAnswer(tk::MessageBox::Answer::Cancel);
    QVERIFY(!main.close());
    QCOMPARE(pending->asked, 3);
    QCOMPARE(tk::MessageBox::lastText(), tk::langText(10002));

    tk::MessageBox::presetAnswer(tk::MessageBox::Answer::Ok);
    QVERIFY(main.close());
    QVERIFY(main.childWindows().isEmpty());
    QVERIFY(!config().open(Module::Addresses));
}

void TestMainWindow::editItemsFollowTypingAndEditableComboBoxes()
{
    config().ZVCalls = 5;
    PendingEditWindow *child = nullptr;
    TfrmZV_Main::registerModule(Module::Addresses, [&](QWidget *p) { return child = new PendingEditWindow(p); });
    TfrmZV_Main main(noChecks());
    main.show();
    QVERIFY(QTest::qWaitForWindowActive(&main));
    main.sbtAdress->click();
    QVERIFY(child);
    child->line->setFocus();
    QTRY_VERIFY(child->line->hasFocus());
    QVERIFY(!main.EditUndoItem->isEnabled());
    QTest::keyClicks(child->line, QStringLiteral("Meier"));
    QVERIFY(main.EditUndoItem->isEnabled());
    QVERIFY(main.EditCutItem->isEnabled());

    child->combo->setFocus();
    QTRY_VERIFY(child->combo->hasFocus());
    QVERIFY(main.EditCutItem->isEnabled());
    QVERIFY(main.EditCopyItem->isEnabled());
    QVERIFY(!main.EditUndoItem->isEnabled());
    QTest::keyClicks(child->combo, QStringLiteral("Dipl.-Ing."));
    QVERIFY(main.EditUndoItem->isEnabled());
    const QString typed = child->combo->currentText();
    QVERIFY(typed.endsWith(QStringLiteral("Dipl.-Ing.")));
    child->combo->lineEdit()->selectAll();
    main.EditCutItem->trigger();
    QVERIFY(child->combo->currentText().isEmpty());
    main.EditUndoItem->trigger();
    QCOMPARE(child->combo->currentText(), typed);

    // Opening the menu refreshes the items, whatever changed before.
    child->line->clear();
    main.EditUndoItem->setEnabled(false);
    child->line->setFocus();
    QTRY_VERIFY(child->line->hasFocus());
    child->line->insert(QStringLiteral("x"));
    auto *editMenu = main.findChild<QMenu *>(QStringLiteral("EditMenu"));
    QVERIFY(editMenu);
    main.EditUndoItem->setEnabled(false);
    emit editMenu->aboutToShow();
    QVERIFY(main.EditUndoItem->isEnabled());
    tk::MessageBox::presetAnswer(tk::MessageBox::Answer::Ok);
}

void TestMainWindow::englishMenusHaveUniqueAccessKeys()
{
    QFile lang(QStringLiteral(TESSARON_SOURCE_DIR "/lang/QorvaENG.lng"));
    QVERIFY(lang.open(QIODevice::ReadOnly));
    tk::Language::current().load(lang.readAll());
    TfrmZV_Main main(noChecks());
    auto keyOf = [](const QString &caption) {
        const qsizetype amp = caption.indexOf(QLatin1Char('&'));
        return amp >= 0 && amp + 1 < caption.size() ? caption.at(amp + 1).toUpper() : QChar();
    };
    QSet<QChar> bar;
    for (QAction *menuAction : main.menuBar()->actions()) {
        const QChar top = keyOf(menuAction->text());
        QVERIFY2(!top.isNull() && !bar.contains(top), qPrintable(menuAction->text()));
        bar.insert(top);
        QSet<QChar> keys;
        for (QAction *item : menuAction->menu()->actions()) {
            if (item->isSeparator() || !item->isVisible())
                continue;
            const QChar key = keyOf(item->text());
            QVERIFY2(!key.isNull(), qPrintable(item->text()));
            QVERIFY2(!keys.contains(key), qPrintable(menuAction->text() + QStringLiteral(": ") + item->text()));
            keys.insert(key);
        }
    }
}

void TestMainWindow::backgroundTileJoinsWithoutSeams()
{
    // The stripes run at 45 degrees, so a tile joins its neighbours when
    // each pixel matches the one a step down the stripe, across the edges.
    TfrmZV_Main main(noChecks());
    const QImage tile = main.clientArea()->background().texture().toImage();
    QVERIFY(!tile.isNull());
    const int w = tile.width();
    const int h = tile.height();
    QCOMPARE(w, h);
    int worst = 0;
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            const QColor a = tile.pixelColor(x, y);
            const QColor b = tile.pixelColor((x + 1) % w, (y + h - 1) % h);
            worst = std::max({worst, std::abs(a.red() - b.red()), std::abs(a.green() - b.green()),
                              std::abs(a.blue() - b.blue())});
        }
    }
    QVERIFY2(worst <= 3, qPrintable(QString::number(worst)));
}

TESSARON_TEST(TestMainWindow)
#include "TestMainWindow.moc"
