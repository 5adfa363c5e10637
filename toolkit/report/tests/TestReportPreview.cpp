// The preview window, driven offscreen by its buttons and keys.
#include "toolkit/text/Language.h"
#include "toolkit/text/MessageBox.h"
#include "toolkit/report/Report.h"
#include "toolkit/report/ReportPreview.h"
#include "toolkit/report/ReportRenderer.h"

#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include "ReportTestUtil.h"
#include "testing/TestRegistry.h"

using reporttest::MemoryReportSource;

namespace {

// A three-page phone list, ready to preview.
struct Fixture {
    tk::Report report;
    std::unique_ptr<MemoryReportSource> source;
    tk::ReportRenderer renderer{&report};

    explicit Fixture(int rows)
        : source(reporttest::people(rows))
    {
        reporttest::buildPhoneList(report);
        report.setSource(source.get());
        renderer.prepare();
    }
};

QToolButton *button(QWidget &window, const char *name)
{
    return window.findChild<QToolButton *>(QString::fromLatin1(name));
}

QString labelText(QWidget &window, const char *name)
{
    return window.findChild<QLabel *>(QString::fromLatin1(name))->text();
}

int imageWidth(QWidget &window)
{
    return window.findChild<QLabel *>(QStringLiteral("lblPageImage"))->width();
}

} // namespace

class TestReportPreview : public QObject {
    Q_OBJECT

private slots:
    void cleanup();
    void pagesThroughWithButtonsAndKeys();
    void zoomStartsAtEightyAndStepsWithinLimits();
    void emptyReportOffersNothing();
    void captionsComeFromTheLanguageFile();
    void savesPdfAndReportsFailure();
    void shippedLanguageFilesCarryThePreviewTexts();
    void reportPreviewReadsTheSourceOnce();
};

void TestReportPreview::cleanup()
{
    tk::Language::current().clear();
    tk::MessageBox::clearPresets();
}

void TestReportPreview::pagesThroughWithButtonsAndKeys()
{
    Fixture f(120);
    tk::ReportPreview window(&f.renderer);
    window.show();
    QApplication::setActiveWindow(&window);
    QVERIFY(QTest::qWaitForWindowActive(&window));
    QCOMPARE(window.pageCount(), 3);
    QCOMPARE(window.currentPage(), 0);
    QCOMPARE(labelText(window, "lblPage"), QStringLiteral("Seite 1 von 3"));
    QVERIFY(!button(window, "btnFirst")->isEnabled());
    QVERIFY(!button(window, "btnPrior")->isEnabled());

    QTest::mouseClick(button(window, "btnNext"), Qt::LeftButton);
    QCOMPARE(window.currentPage(), 1);
    QTest::mouseClick(button(window, "btnLast"), Qt::LeftButton);
    QCOMPARE(window.currentPage(), 2);
    QCOMPARE(labelText(window, "lblPage"), QStringLiteral("Seite 3 von 3"));
    QVERIFY(!button(window, "btnNext")->isEnabled());
    QVERIFY(!button(window, "btnLast")->isEnabled());
    QTest::keyClick(&window, Qt::Key_PageUp);
    QCOMPARE(window.currentPage(), 1);
    QTest::mouseClick(button(window, "btnPrior"), Qt::LeftButton);
    QCOMPARE(window.currentPage(), 0);
    QTest::keyClick(&window, Qt::Key_End, Qt::ControlModifier);
    QCOMPARE(window.currentPage(), 2);
    QTest::mouseClick(button(window, "btnFirst"), Qt::LeftButton);
    QCOMPARE(window.currentPage(), 0);
    window.showPage(99);
    QCOMPARE(window.currentPage(), 2);
}

void TestReportPreview::zoomStartsAtEightyAndStepsWithinLimits()
{
    Fixture f(5);
    tk::ReportPreview window(&f.renderer);
    window.show();
    QCOMPARE(window.zoom(), 80);
    QCOMPARE(labelText(window, "lblZoom"), QStringLiteral("80 %"));
    const int at80 = imageWidth(window);
    // A4 is 210 mm wide; 80 % of it on this screen.
    QVERIFY(qAbs(at80 - 210 / 25.4 * window.logicalDpiX() * 0.8) <= 2);

    QTest::mouseClick(button(window, "btnZoomIn"), Qt::LeftButton);
    QCOMPARE(window.zoom(), 100);
    QVERIFY(qAbs(imageWidth(window) - at80 * 1.25) <= 2);
    QTest::mouseClick(button(window, "btnZoomOut"), Qt::LeftButton);
    QTest::mouseClick(button(window, "btnZoomOut"), Qt::LeftButton);
    QCOMPARE(window.zoom(), 75);

    window.setZoom(1000);
    QCOMPARE(window.zoom(), 400);
    QVERIFY(!button(window, "btnZoomIn")->isEnabled());
    window.setZoom(1);
    QCOMPARE(window.zoom(), 25);
    QVERIFY(!button(window, "btnZoomOut")->isEnabled());
    QVERIFY(button(window, "btnZoomIn")->isEnabled());
}

void TestReportPreview::emptyReportOffersNothing()
{
    Fixture f(0);
    tk::ReportPreview window(&f.renderer);
    window.show();
    QCOMPARE(window.currentPage(), -1);
    QCOMPARE(labelText(window, "lblPage"), QStringLiteral("Keine Seiten"));
    for (const char *name : {"btnFirst", "btnPrior", "btnNext", "btnLast", "btnPrint", "btnSavePdf"})
        QVERIFY2(!button(window, name)->isEnabled(), name);
    window.nextPage();
    QCOMPARE(window.currentPage(), -1);
}

void TestReportPreview::captionsComeFromTheLanguageFile()
{
    tk::Language::current().load("[English]\r\n3901=Preview\r\n3904=&Next\r\n"
                                 "8904=Next page|Shows the next page of the report\r\n"
                                 "3911=Preview: %1\r\n3912=Page %1 of %2\r\n3917=%1%\r\n");
    Fixture f(120);
    tk::ReportPreview window(&f.renderer);
    QCOMPARE(window.windowTitle(), QStringLiteral("Preview: Telefonverzeichnis"));
    QCOMPARE(button(window, "btnNext")->text(), QStringLiteral("&Next"));
    QCOMPARE(button(window, "btnNext")->toolTip(), QStringLiteral("Next page"));
    QCOMPARE(button(window, "btnPrior")->text(), QStringLiteral("&Vorige"));
    QCOMPARE(labelText(window, "lblPage"), QStringLiteral("Page 1 of 3"));
    QCOMPARE(labelText(window, "lblZoom"), QStringLiteral("80%"));
}

void TestReportPreview::savesPdfAndReportsFailure()
{
    QTemporaryDir dir;
    Fixture f(120);
    tk::ReportPreview window(&f.renderer);
    const QString path = dir.filePath(QStringLiteral("saved.pdf"));
    QCOMPARE(window.saveAsPdf(path), tk::Report::Output::Written);
    QVERIFY(QFile::exists(path));
    if (reporttest::havePoppler())
        QCOMPARE(reporttest::pdfPages(path).size(), 3);

    const int shown = tk::MessageBox::shownCount();
    tk::MessageBox::presetAnswer(tk::MessageBox::Answer::Ok);
    const QString bad = dir.filePath(QStringLiteral("no/such/dir/x.pdf"));
    QCOMPARE(window.saveAsPdf(bad), tk::Report::Output::Failed);
    QCOMPARE(tk::MessageBox::shownCount(), shown + 1);
    QCOMPARE(tk::MessageBox::lastKind(), tk::MessageBox::Kind::Error);
    QVERIFY(tk::MessageBox::lastText().contains(QStringLiteral("x.pdf")));
}

void TestReportPreview::shippedLanguageFilesCarryThePreviewTexts()
{
    Fixture f(120);
    const auto load = [](const char *name) {
        QFile file(QStringLiteral(TESSARON_SOURCE_DIR "/lang/") + QString::fromLatin1(name));
        QVERIFY(file.open(QIODevice::ReadOnly));
        tk::Language::current().load(file.readAll());
    };
    load("QorvaGER.lng");
    {
        tk::ReportPreview window(&f.renderer);
        QCOMPARE(button(window, "btnNext")->text(), QStringLiteral("&Nächste"));
        QCOMPARE(button(window, "btnZoomIn")->toolTip(), QStringLiteral("Vergrößern"));
        QCOMPARE(labelText(window, "lblPage"), QStringLiteral("Seite 1 von 3"));
    }
    load("QorvaENG.lng");
    tk::ReportPreview window(&f.renderer);
    QCOMPARE(window.windowTitle(), QStringLiteral("Print preview: Telefonverzeichnis"));
    QCOMPARE(button(window, "btnSavePdf")->text(), QStringLiteral("Save as P&DF..."));
    QCOMPARE(button(window, "btnClose")->statusTip(), QStringLiteral("Closes the print preview"));
    QCOMPARE(labelText(window, "lblZoom"), QStringLiteral("80%"));
}

void TestReportPreview::reportPreviewReadsTheSourceOnce()
{
    tk::Report report;
    reporttest::buildPhoneList(report);
    std::unique_ptr<MemoryReportSource> source(reporttest::people(70));
    report.setSource(source.get());
    QString seen;
    QTimer::singleShot(0, [&] {
        if (auto *window = qobject_cast<tk::ReportPreview *>(QApplication::activeModalWidget())) {
            window->lastPage();
            seen = window->findChild<QLabel *>(QStringLiteral("lblPage"))->text();
            window->accept();
        }
    });
    report.preview(nullptr);
    QCOMPARE(seen, QStringLiteral("Seite 2 von 2"));
    QCOMPARE(source->runs(), 1);
}

TESSARON_TEST(TestReportPreview)
#include "TestReportPreview.moc"
