// The user's guide: every page of both languages reachable from the
// contents, no dead link or picture, and the help window's contents, back,
// forward and search working on the real pages.
#include "app/HelpWindow.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QListWidget>
#include <QRegularExpression>
#include <QSet>
#include <QTest>
#include <QTextBrowser>
#include <QToolButton>

#include "testing/TestRegistry.h"

namespace {

const QString kGuide = QStringLiteral(TESSARON_SOURCE_DIR "/doc/help");

QString readPage(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

} // namespace

class TestHelpWindow : public QObject {
    Q_OBJECT

private slots:
    void everyPageIsReachableAndNoLinkIsDead_data();
    void everyPageIsReachableAndNoLinkIsDead();
    void bothLanguagesHaveTheSamePages();
    void languageFileChoosesTheGuide();
    void contentsBackAndForward();
    void searchFindsAWordOnItsPage();
};

void TestHelpWindow::everyPageIsReachableAndNoLinkIsDead_data()
{
    QTest::addColumn<QString>("language");
    QTest::newRow("German") << QStringLiteral("de");
    QTest::newRow("English") << QStringLiteral("en");
}

void TestHelpWindow::everyPageIsReachableAndNoLinkIsDead()
{
    QFETCH(QString, language);
    const QDir folder(kGuide + QLatin1Char('/') + language);
    static const QRegularExpression reference(QStringLiteral("(href|src)=\"([^\"#]*)(#[^\"]*)?\""));

    // Walk the links from the contents.
    QSet<QString> reached;
    QStringList queue = {QStringLiteral("index.html")};
    while (!queue.isEmpty()) {
        const QString page = queue.takeFirst();
        if (reached.contains(page))
            continue;
        reached.insert(page);
        const QString html = readPage(folder.filePath(page));
        QVERIFY2(!html.isEmpty(), qPrintable(page));
        QVERIFY2(html.contains(QStringLiteral("<title>")), qPrintable(page));
        for (auto it = reference.globalMatch(html); it.hasNext();) {
            const auto match = it.next();
            const QString target = match.captured(2);
            if (target.startsWith(QLatin1String("http:")) || target.startsWith(QLatin1String("https:"))
                || target.startsWith(QLatin1String("mailto:")))
                continue;
            QVERIFY2(!target.isEmpty() || !match.captured(3).isEmpty(), qPrintable(page));
            if (target.isEmpty())
                continue;
            QVERIFY2(QFileInfo(folder.filePath(target)).isFile(),
                     qPrintable(QStringLiteral("%1 names %2, which is missing").arg(page, target)));
            if (match.captured(1) == QLatin1String("href") && target.endsWith(QLatin1String(".html")))
                queue << target;
        }
    }
    const QStringList pages = folder.entryList({QStringLiteral("*.html")}, QDir::Files);
    for (const QString &page : pages)
        QVERIFY2(reached.contains(page), qPrintable(page + QStringLiteral(" is not reachable from the contents")));
    QVERIFY(pages.size() >= 18);
}

void TestHelpWindow::bothLanguagesHaveTheSamePages()
{
    const QStringList german = QDir(kGuide + QStringLiteral("/de")).entryList({QStringLiteral("*.html")}, QDir::Files);
    const QStringList english = QDir(kGuide + QStringLiteral("/en")).entryList({QStringLiteral("*.html")}, QDir::Files);
    QCOMPARE(german, english);
}

void TestHelpWindow::languageFileChoosesTheGuide()
{
    QCOMPARE(HelpWindow::folderFor(QStringLiteral("/usr/share/tessaron"), QStringLiteral("QorvaGER.lng")),
             QStringLiteral("/usr/share/tessaron/help/de"));
    QCOMPARE(HelpWindow::folderFor(QStringLiteral("/opt/t"), QStringLiteral("qorvager.LNG")), QStringLiteral("/opt/t/help/de"));
    QCOMPARE(HelpWindow::folderFor(QStringLiteral("/opt/t"), QStringLiteral("QorvaENG.lng")), QStringLiteral("/opt/t/help/en"));
    QCOMPARE(HelpWindow::folderFor(QStringLiteral("/opt/t"), QStringLiteral("QorvaFRA.lng")), QStringLiteral("/opt/t/help/en"));
    QVERIFY(HelpWindow::open(QStringLiteral("/nonexistent/help/en")) == nullptr);
}

void TestHelpWindow::contentsBackAndForward()
{
    HelpWindow window(kGuide + QStringLiteral("/en"));
    QCOMPARE(window.currentPage(), QStringLiteral("index.html"));
    QCOMPARE(window.pages().first(), QStringLiteral("index.html"));
    QVERIFY(window.pages().contains(QStringLiteral("keys.html")));
    auto *back = window.findChild<QToolButton *>(QStringLiteral("btnBack"));
    auto *forward = window.findChild<QToolButton *>(QStringLiteral("btnForward"));
    auto *contents = window.findChild<QToolButton *>(QStringLiteral("btnContents"));
    QVERIFY(back && forward && contents);
    QVERIFY(!back->isEnabled());

    // A link of the contents page, followed as a click would.
    emit window.browser()->anchorClicked(QUrl(QStringLiteral("sharing.html")));
    QCOMPARE(window.currentPage(), QStringLiteral("sharing.html"));
    QVERIFY(window.browser()->toPlainText().contains(QStringLiteral("byte-range locks")));
    QVERIFY(back->isEnabled());
    back->click();
    QCOMPARE(window.currentPage(), QStringLiteral("index.html"));
    QVERIFY(forward->isEnabled());
    forward->click();
    QCOMPARE(window.currentPage(), QStringLiteral("sharing.html"));
    contents->click();
    QCOMPARE(window.currentPage(), QStringLiteral("index.html"));
}

void TestHelpWindow::searchFindsAWordOnItsPage()
{
    HelpWindow german(kGuide + QStringLiteral("/de"));
    QCOMPARE(german.search(QStringLiteral("Postleitzahl")).value(0), QStringLiteral("addresses.html"));
    QCOMPARE(german.search(QStringLiteral("xbtool REINDEX")), QStringList{QStringLiteral("backup.html")});
    QVERIFY(german.search(QStringLiteral("Seriennummer")).contains(QStringLiteral("appointments.html")));
    QVERIFY(german.search(QStringLiteral("zzzqqq")).isEmpty());
    QVERIFY(german.search(QStringLiteral("  ")).isEmpty());

    // Through the window: the field, Enter, the list of pages, the page.
    HelpWindow english(kGuide + QStringLiteral("/en"));
    english.searchField()->setText(QStringLiteral("modem"));
    QTest::keyClick(english.searchField(), Qt::Key_Return);
    QVERIFY(english.results()->isVisibleTo(&english));
    QVERIFY(english.results()->count() >= 1);
    QCOMPARE(english.currentPage(), english.results()->item(0)->data(Qt::UserRole).toString());
    QVERIFY(english.browser()->textCursor().hasSelection());
    QCOMPARE(english.browser()->textCursor().selectedText().toLower(), QStringLiteral("modem"));

    english.searchField()->setText(QStringLiteral("zzzqqq"));
    QTest::keyClick(english.searchField(), Qt::Key_Return);
    QCOMPARE(english.results()->count(), 1);
    QVERIFY(english.results()->item(0)->data(Qt::UserRole).toString().isEmpty());
}

TESSARON_TEST(TestHelpWindow)
#include "TestHelpWindow.moc"
