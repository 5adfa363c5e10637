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
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
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
    void creationMakesMissingTablesAndIndexes();

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

TESSARON_TEST(TestMainWindow)
#include "TestMainWindow.moc"
