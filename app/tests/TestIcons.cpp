// The tool bar and menu pictures: every one of ours draws, none is missing
// from the windows, and the theme's icon wins where it has a fitting one.
#include "app/Config.h"
#include "app/Icons.h"
#include "app/TfrmZV_Main.h"
#include "toolkit/text/Language.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QMenu>
#include <QMenuBar>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>

#include "testing/TestRegistry.h"

namespace {

// The share of pixels a picture covers.
double coverage(const QIcon &icon, int size)
{
    const QImage image = icon.pixmap(size, size).toImage().convertToFormat(QImage::Format_ARGB32);
    if (image.isNull())
        return 0;
    int covered = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            covered += qAlpha(image.pixel(x, y)) > 40;
    return double(covered) / (image.width() * image.height());
}

} // namespace

class TestIcons : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanup();
    void everyOwnPictureDraws();
    void themeIconWinsWhereItFits();
    void everyToolButtonAndMenuItemHasAPicture();

private:
    QStringList m_searchPaths;
    QString m_theme;
};

void TestIcons::initTestCase()
{
    m_searchPaths = QIcon::themeSearchPaths();
    m_theme = QIcon::themeName();
}

void TestIcons::cleanup()
{
    QIcon::setThemeSearchPaths(m_searchPaths);
    QIcon::setThemeName(m_theme);
}

void TestIcons::everyOwnPictureDraws()
{
    QIcon::setThemeName(QString());
    const QStringList names = appicons::names();
    QVERIFY(names.size() >= 30);
    for (const QString &name : names) {
        for (int size : {16, 24, 48}) {
            const double share = coverage(appicons::icon(name), size);
            QVERIFY2(share > 0.15 && share < 0.98, qPrintable(QStringLiteral("%1 at %2: %3").arg(name).arg(size).arg(share)));
        }
    }
    QVERIFY(coverage(appicons::programIcon(), 64) > 0.5);
    QVERIFY(appicons::icon(QStringLiteral("no-such-picture")).isNull());
}

void TestIcons::themeIconWinsWhereItFits()
{
    // A theme of one icon, for printing.
    QTemporaryDir dir;
    const QString apps = dir.filePath(QStringLiteral("probe/24x24/actions"));
    QVERIFY(QDir().mkpath(apps));
    QFile index(dir.filePath(QStringLiteral("probe/index.theme")));
    QVERIFY(index.open(QIODevice::WriteOnly));
    index.write("[Icon Theme]\nName=probe\nDirectories=24x24/actions\n\n[24x24/actions]\nSize=24\nType=Fixed\n");
    index.close();
    QImage red(24, 24, QImage::Format_ARGB32);
    red.fill(Qt::red);
    QVERIFY(red.save(apps + QStringLiteral("/document-print.png")));
    QIcon::setThemeSearchPaths({dir.path()});
    QIcon::setThemeName(QStringLiteral("probe"));

    QCOMPARE(appicons::themeNameOf(QStringLiteral("print")), QStringLiteral("document-print"));
    const QImage print = appicons::icon(QStringLiteral("print")).pixmap(24, 24).toImage();
    QCOMPARE(QColor(print.pixel(12, 12)), QColor(Qt::red));
    // Without a fitting theme icon, ours.
    const QImage calendar = appicons::icon(QStringLiteral("calendar")).pixmap(24, 24).toImage();
    QVERIFY(QColor(calendar.pixel(12, 12)) != QColor(Qt::red));
    QVERIFY(appicons::themeNameOf(QStringLiteral("window-tile")).isEmpty());
}

void TestIcons::everyToolButtonAndMenuItemHasAPicture()
{
    QTemporaryDir dir;
    LoadConfiguration(config(), dir.path());
    TfrmZV_Main::Options options;
    options.databaseChecks = false;
    TfrmZV_Main main(options);
    for (QToolButton *button : main.findChildren<QToolButton *>()) {
        if (button->objectName().startsWith(QLatin1String("sbt")))
            QVERIFY2(!button->icon().isNull(), qPrintable(button->objectName()));
    }
    int items = 0;
    for (QAction *menu : main.menuBar()->actions()) {
        for (QAction *item : menu->menu()->actions()) {
            if (item->isSeparator())
                continue;
            QVERIFY2(!item->icon().isNull(), qPrintable(item->objectName()));
            ++items;
        }
    }
    QCOMPARE(items, 30);
}

TESSARON_TEST(TestIcons)
#include "TestIcons.moc"
