// The report engine end to end: pages laid out, written as PDF or printed,
// read back with pdftotext.
#include "toolkit/text/Language.h"
#include "toolkit/report/Report.h"
#include "toolkit/report/ReportBand.h"
#include "toolkit/report/ReportPreview.h"
#include "toolkit/report/ReportRenderer.h"
#include "toolkit/text/Translator.h"

#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QFontDatabase>
#include <QFontInfo>
#include <QPrinter>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <stdexcept>

#include "ReportTestUtil.h"
#include "testing/TestRegistry.h"

using reporttest::MemoryReportSource;

namespace {

const QDateTime kPrintTime(QDate(2026, 3, 1), QTime(14, 5));

// Names in the order they appear in `text`.
QStringList namesIn(const QString &text)
{
    QStringList names;
    static const QRegularExpression name(QStringLiteral("Name (\\d{4})"));
    for (auto it = name.globalMatch(text); it.hasNext();)
        names.append(it.next().captured(1));
    return names;
}

} // namespace

class TestReport : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanup();
    void pdfHasTitleOnceRowsInOrderAndAFooterOnEveryPage();
    void printingHonoursThePageRangeAndNamesTheJob();
    void printedPagesMatchThePdfPositions();
    void emptySourceGivesNoPagesAndNoFile();
    void failedWriteKeepsTheOldFile();
    void failingSourceLeavesNoPages();
    void textsAreCutAtTheirColumnUnlessTheyGrow();
    void wrappingTextGrowsTheBandAndHugeBandsStillEnd();
    void translationReachesLabelsAndPrefixes();
    void arialResolvesToAMetricCompatibleFont();
    void pageImageShowsTheBands();
    void textsKeepTheirWidthAtEveryZoom();
    void tenThousandRowsBenchmark();

private:
    QTemporaryDir m_dir;
};

void TestReport::initTestCase()
{
    QVERIFY(m_dir.isValid());
    if (!reporttest::havePoppler())
        QSKIP("pdftotext and pdfinfo (poppler-utils) are needed");
}

void TestReport::cleanup()
{
    tk::Language::current().clear();
}

void TestReport::pdfHasTitleOnceRowsInOrderAndAFooterOnEveryPage()
{
    tk::Report report;
    reporttest::buildPhoneList(report);
    std::unique_ptr<MemoryReportSource> source(reporttest::people(120));
    report.setSource(source.get());
    tk::ReportRenderer renderer(&report);
    renderer.setPrintTime(kPrintTime);
    // 252.2 mm under the title hold 54 rows of 4.6 mm, a full page 59.
    QCOMPARE(renderer.prepare(), 3);
    const QString path = m_dir.filePath(QStringLiteral("list.pdf"));
    QCOMPARE(renderer.renderToPdf(path), tk::Report::Output::Written);

    const QStringList pages = reporttest::pdfPages(path);
    QCOMPARE(pages.size(), 3);
    QCOMPARE(reporttest::pdfInfo(path, QStringLiteral("Title")), QStringLiteral("Telefonverzeichnis"));
    QVERIFY(pages[0].contains(QStringLiteral("TELEFONVERZEICHNIS")));
    QVERIFY(pages[0].contains(QStringLiteral("Tessaron Version 1.5d")));
    QVERIFY(pages[0].contains(QStringLiteral("Name ...")));
    const QList<int> rowsPerPage{54, 59, 7};
    QStringList all;
    for (int i = 0; i < pages.size(); ++i) {
        if (i > 0)
            QVERIFY(!pages[i].contains(QStringLiteral("TELEFONVERZEICHNIS")));
        QCOMPARE(namesIn(pages[i]).size(), rowsPerPage[i]);
        all += namesIn(pages[i]);
        QVERIFY2(pages[i].contains(QStringLiteral("Seite %1").arg(i + 1)), qPrintable(pages[i].right(200)));
        QVERIFY(pages[i].contains(QStringLiteral("Ausdruck vom 01.03.2026 14:05")));
    }
    QCOMPARE(all.size(), 120);
    for (int i = 0; i < all.size(); ++i)
        QCOMPARE(all[i].toInt(), i + 1);
    // Rows and their telephone numbers stay on one line.
    QVERIFY(QRegularExpression(QStringLiteral("Name 0007 +Vorname +0711-0007")).match(pages[0]).hasMatch());
    // The footer stands below the last row, also on the short last page
    // (pageImageShowsTheBands checks that it sits at the bottom margin).
    const QString last = pages[2];
    QVERIFY(last.indexOf(QStringLiteral("Seite 3")) > last.indexOf(QStringLiteral("Name 0120")));
}

void TestReport::printingHonoursThePageRangeAndNamesTheJob()
{
    tk::Report report;
    reporttest::buildPhoneList(report);
    std::unique_ptr<MemoryReportSource> source(reporttest::people(120));
    report.setSource(source.get());
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    const QString path = m_dir.filePath(QStringLiteral("printed.pdf"));
    printer.setOutputFileName(path);
    printer.setPageSize(QPageSize(QPageSize::Letter));
    printer.setFromTo(2, 2);
    QCOMPARE(report.print(&printer), tk::Report::Output::Written);
    QCOMPARE(printer.docName(), QStringLiteral("Telefonverzeichnis"));
    QCOMPARE(printer.pageLayout().pageSize().id(), QPageSize::A4);
    const QStringList pages = reporttest::pdfPages(path);
    QCOMPARE(pages.size(), 1);
    QVERIFY(pages[0].contains(QStringLiteral("Seite 2")));
    QCOMPARE(namesIn(pages[0]).first(), QStringLiteral("0055"));
}

void TestReport::printedPagesMatchThePdfPositions()
{
    // A printer honours the report's margins once: every text stands where
    // the saved PDF has it, the first column at the left margin.
    tk::Report report;
    reporttest::buildPhoneList(report);
    std::unique_ptr<MemoryReportSource> source(reporttest::people(3));
    report.setSource(source.get());
    const QString saved = m_dir.filePath(QStringLiteral("positions-saved.pdf"));
    QCOMPARE(report.renderToPdf(saved), tk::Report::Output::Written);
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    const QString printed = m_dir.filePath(QStringLiteral("positions-printed.pdf"));
    printer.setOutputFileName(printed);
    QCOMPARE(report.print(&printer), tk::Report::Output::Written);

    constexpr double kPointsPerMm = 72.0 / 25.4;
    for (const QString &word : {QStringLiteral("TELEFONVERZEICHNIS"), QStringLiteral("0001"),
                                QStringLiteral("0711-0003"), QStringLiteral("Seite")}) {
        const QPointF a = reporttest::pdfWordPosition(saved, word);
        const QPointF b = reporttest::pdfWordPosition(printed, word);
        QVERIFY2(a.x() >= 0 && b.x() >= 0, qPrintable(word));
        QVERIFY2(qAbs(a.x() - b.x()) < 0.5 && qAbs(a.y() - b.y()) < 0.5,
                 qPrintable(QStringLiteral("%1: saved %2,%3 printed %4,%5")
                                .arg(word).arg(a.x()).arg(a.y()).arg(b.x()).arg(b.y())));
    }
    const QPointF name = reporttest::pdfWordPosition(printed, QStringLiteral("Name"));
    QVERIFY2(qAbs(name.x() - 10 * kPointsPerMm) < 1.5, qPrintable(QString::number(name.x())));

    const QString shots = qEnvironmentVariable("TESSARON_SCREENSHOTS");
    if (!shots.isEmpty()) {
        QFile::remove(shots + QStringLiteral("/printed.pdf"));
        QFile::copy(printed, shots + QStringLiteral("/printed.pdf"));
        tk::ReportRenderer renderer(&report);
        renderer.prepare();
        tk::ReportPreview preview(&renderer);
        preview.resize(900, 760);
        preview.show();
        QTest::qWait(50);
        preview.grab().save(shots + QStringLiteral("/print-preview.png"));
    }
}

void TestReport::emptySourceGivesNoPagesAndNoFile()
{
    tk::Report report;
    reporttest::buildPhoneList(report);
    MemoryReportSource source({QStringLiteral("FAMNAME")}, {});
    report.setSource(&source);
    const QString path = m_dir.filePath(QStringLiteral("empty.pdf"));
    QCOMPARE(report.renderToPdf(path), tk::Report::Output::Empty);
    QVERIFY(!QFile::exists(path));

    QPrinter printer;
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(m_dir.filePath(QStringLiteral("empty-printed.pdf")));
    QCOMPARE(report.print(&printer), tk::Report::Output::Empty);
    QVERIFY(!QFile::exists(printer.outputFileName()));

    tk::Report noSource;
    reporttest::buildPhoneList(noSource);
    tk::ReportRenderer renderer(&noSource);
    QCOMPARE(renderer.prepare(), 0);
    QVERIFY(renderer.pageImage(0, 96).isNull());
}

void TestReport::failedWriteKeepsTheOldFile()
{
    tk::Report report;
    reporttest::buildPhoneList(report);
    std::unique_ptr<MemoryReportSource> source(reporttest::people(3));
    report.setSource(source.get());
    QCOMPARE(report.renderToPdf(m_dir.filePath(QStringLiteral("missing/folder/x.pdf"))), tk::Report::Output::Failed);

    // An empty run over an existing PDF leaves it alone.
    const QString path = m_dir.filePath(QStringLiteral("kept.pdf"));
    QCOMPARE(report.renderToPdf(path), tk::Report::Output::Written);
    const QByteArray before = [&] { QFile f(path); f.open(QIODevice::ReadOnly); return f.readAll(); }();
    MemoryReportSource empty({}, {});
    report.setSource(&empty);
    QCOMPARE(report.renderToPdf(path), tk::Report::Output::Empty);
    QFile after(path);
    QVERIFY(after.open(QIODevice::ReadOnly));
    QCOMPARE(after.readAll(), before);
}

void TestReport::failingSourceLeavesNoPages()
{
    // A source whose table breaks after some records, as a dataset raising
    // its error would.
    class BreakingSource : public MemoryReportSource {
    public:
        using MemoryReportSource::MemoryReportSource;
        bool first() override
        {
            m_moves = 0;
            return MemoryReportSource::first();
        }
        bool next() override
        {
            if (++m_moves == breakAt)
                throw std::runtime_error("read error");
            return MemoryReportSource::next();
        }
        int breakAt = 0;

    private:
        int m_moves = 0;
    };
    std::unique_ptr<MemoryReportSource> rows(reporttest::people(120));
    QList<QStringList> data;
    for (rows->first(); !rows->eof(); rows->next())
        data.append({rows->displayText(QStringLiteral("FAMNAME"))});
    BreakingSource source({QStringLiteral("FAMNAME")}, data);
    tk::Report report;
    reporttest::buildPhoneList(report);
    report.setSource(&source);
    tk::ReportRenderer renderer(&report);
    QCOMPARE(renderer.prepare(), 3);
    source.breakAt = 70;
    QVERIFY_THROWS_EXCEPTION(std::runtime_error, renderer.prepare());
    QCOMPARE(renderer.pageCount(), 0);
}

void TestReport::textsAreCutAtTheirColumnUnlessTheyGrow()
{
    tk::Report report;
    tk::ReportBand *detail = report.detailBand();
    detail->setHeight(5);
    detail->addField({0, 0, 11.2, 4}, QStringLiteral("AUTOR"))->setFont(tk::reportFont(9));
    tk::ReportDataText *grows = detail->addField({40, 0, 11.2, 4}, QStringLiteral("AUTOR2"));
    grows->setGrowth(tk::ReportText::Growth::Width);
    tk::ReportDataText *right = detail->addField({120, 0, 20, 4}, QStringLiteral("AUTOR3"));
    right->setAlignment(Qt::AlignRight | Qt::AlignTop);
    MemoryReportSource source(
        {QStringLiteral("AUTOR"), QStringLiteral("AUTOR2"), QStringLiteral("AUTOR3")},
        {{QStringLiteral("Wolfgang Amadeus"), QStringLiteral("Goethe Schiller"), QStringLiteral("Hölderlin-Gesamtausgabe")}});
    report.setSource(&source);
    const QString path = m_dir.filePath(QStringLiteral("cut.pdf"));
    QCOMPARE(report.renderToPdf(path), tk::Report::Output::Written);
    const QString text = reporttest::pdfPages(path).value(0);
    // 11.2 mm of 9-point Arial hold about six letters.
    QVERIFY2(text.contains(QStringLiteral("Wolfg")), qPrintable(text));
    QVERIFY(!text.contains(QStringLiteral("Amadeus")));
    QVERIFY(text.contains(QStringLiteral("Goethe Schiller")));
    QVERIFY(text.contains(QStringLiteral("Hölderlin")));
    QVERIFY(!text.contains(QStringLiteral("Gesamtausgabe")));

    QFontMetricsF metrics(tk::reportFont(9));
    const QString cut = tk::ReportText::cutToWidth(QStringLiteral("Wolfgang Amadeus"), 60, metrics);
    QVERIFY(metrics.horizontalAdvance(cut) <= 60);
    QVERIFY(metrics.horizontalAdvance(QStringLiteral("Wolfgang Amadeus").left(cut.size() + 1)) > 60);
    QCOMPARE(tk::ReportText::cutToWidth(QStringLiteral("a\U0001F600b"), metrics.horizontalAdvance(QStringLiteral("a")) + 0.5,
                                        metrics),
             QStringLiteral("a"));
}

void TestReport::wrappingTextGrowsTheBandAndHugeBandsStillEnd()
{
    tk::Report report;
    tk::ReportBand *detail = report.detailBand();
    detail->setHeight(4.6);
    tk::ReportDataText *note = detail->addField({0, 0.3, 30, 4}, QStringLiteral("NOTIZ"));
    note->setGrowth(tk::ReportText::Growth::Wrap);
    detail->addField({100, 0.3, 30, 4}, QStringLiteral("NR"));
    const QString longNote = QStringLiteral("ein langer Text der sich über mehrere Zeilen erstreckt und umbricht");
    MemoryReportSource source({QStringLiteral("NOTIZ"), QStringLiteral("NR")},
                              {{longNote, QStringLiteral("first")}, {QStringLiteral("kurz"), QStringLiteral("second")}});
    report.setSource(&source);
    const QString path = m_dir.filePath(QStringLiteral("wrap.pdf"));
    QCOMPARE(report.renderToPdf(path), tk::Report::Output::Written);
    const QStringList lines = reporttest::pdfPages(path).value(0).split(QLatin1Char('\n'));
    const auto lineOf = [&](const QString &word) {
        for (int i = 0; i < lines.size(); ++i) {
            if (lines[i].contains(word))
                return i;
        }
        return -1;
    };
    QVERIFY(lineOf(QStringLiteral("umbricht")) > lineOf(QStringLiteral("ein langer")));
    // The next record starts below the whole note, not 4.6 mm further down.
    QVERIFY(lineOf(QStringLiteral("second")) > lineOf(QStringLiteral("umbricht")));

    // A record taller than a page gets a page of its own instead of looping.
    QString huge;
    for (int i = 0; i < 400; ++i)
        huge += QStringLiteral("Wort ");
    MemoryReportSource tall({QStringLiteral("NOTIZ"), QStringLiteral("NR")},
                            {{huge, QStringLiteral("1")}, {huge, QStringLiteral("2")}, {QString(), QStringLiteral("3")}});
    report.setSource(&tall);
    tk::ReportRenderer renderer(&report);
    QCOMPARE(renderer.prepare(), 3);
}

void TestReport::translationReachesLabelsAndPrefixes()
{
    tk::Language::current().load("[English]\r\n551=PHONE DIRECTORY\r\n552=Name ...\r\n"
                                 "560=\"Printed on \"\r\n561=\"Page \"\r\n");
    tk::Report report;
    reporttest::buildPhoneList(report);
    tk::translateObjects(&report, 550);
    std::unique_ptr<MemoryReportSource> source(reporttest::people(60));
    report.setSource(source.get());
    const QString path = m_dir.filePath(QStringLiteral("english.pdf"));
    QCOMPARE(report.renderToPdf(path), tk::Report::Output::Written);
    const QStringList pages = reporttest::pdfPages(path);
    QCOMPARE(pages.size(), 2);
    QVERIFY(pages[0].contains(QStringLiteral("PHONE DIRECTORY")));
    QVERIFY(pages[1].contains(QStringLiteral("Page 2")));
    QVERIFY(pages[1].contains(QStringLiteral("Printed on ")));
    QVERIFY(pages[0].contains(QStringLiteral("Telefon #1"))); // untagged stays German
}

void TestReport::arialResolvesToAMetricCompatibleFont()
{
    const QStringList families = QFontDatabase::families();
    if (families.contains(QStringLiteral("Arial")) || !families.contains(QStringLiteral("Liberation Sans")))
        QSKIP("needs Liberation Sans without Arial");
    tk::Report::registerFontSubstitutions();
    QCOMPARE(QFontInfo(tk::reportFont(9)).family(), QStringLiteral("Liberation Sans"));
    QCOMPARE(QFontInfo(tk::reportFont(9, true, true)).family(), QStringLiteral("Liberation Sans"));
}

void TestReport::pageImageShowsTheBands()
{
    tk::Report report;
    reporttest::buildPhoneList(report);
    std::unique_ptr<MemoryReportSource> source(reporttest::people(10));
    report.setSource(source.get());
    tk::ReportRenderer renderer(&report);
    QCOMPARE(renderer.prepare(), 1);
    const qreal dpi = 100;
    const QImage image = renderer.pageImage(0, dpi);
    const auto px = [&](qreal mm) { return qRound(mm * dpi / 25.4); };
    QCOMPARE(image.size(), QSize(qCeil(210 * dpi / 25.4), qCeil(297 * dpi / 25.4)));
    if (qEnvironmentVariableIsSet("TESSARON_REPORT_IMAGE"))
        image.save(qEnvironmentVariable("TESSARON_REPORT_IMAGE"));
    const auto dark = [&](qreal xMm, qreal yMm) { return qGray(image.pixel(px(xMm), px(yMm))) < 128; };
    // The 2-point rule at 11.9 mm of the title band, across the width.
    QVERIFY(dark(20, 10 + 11.9) && dark(150, 10 + 11.9));
    // The margins stay white; the footer line sits at its band's top.
    QVERIFY(!dark(5, 10 + 11.9) && !dark(205, 10 + 11.9));
    QVERIFY(dark(100, 297 - 10 - 5.3 + 0.1));
    QVERIFY(!dark(100, 297 - 10 - 5.3 - 2));
}

void TestReport::textsKeepTheirWidthAtEveryZoom()
{
    // Where a text ends must not depend on the screen resolution, or columns
    // that just clear each other on paper would collide in the preview.
    tk::Report report;
    report.detailBand()->setHeight(5);
    report.detailBand()->addField({0, 0, 190, 5}, QStringLiteral("T"))->setFont(tk::reportFont(8));
    MemoryReportSource source({QStringLiteral("T")}, {{QStringLiteral("Karl-Heinz Friedrich Müller-Lüdenscheidt")}});
    report.setSource(&source);
    tk::ReportRenderer renderer(&report);
    QCOMPARE(renderer.prepare(), 1);
    const auto inkEndMm = [&](qreal dpi) {
        const QImage image = renderer.pageImage(0, dpi);
        int last = -1;
        for (int y = 0; y < image.height() / 10; ++y) {
            for (int x = image.width() - 1; x > last; --x) {
                if (qGray(image.pixel(x, y)) < 160)
                    last = x;
            }
        }
        return (last + 1) * 25.4 / dpi;
    };
    const qreal fine = inkEndMm(600);
    // Within about one pixel at the coarsest zoom (0.41 mm).
    for (qreal dpi : {61.44, 76.8, 96.0})
        QVERIFY2(qAbs(inkEndMm(dpi) - fine) < 0.45, qPrintable(QString::number(inkEndMm(dpi) - fine)));
}

void TestReport::tenThousandRowsBenchmark()
{
    // A manual measurement, not a timed test:
    //   TESSARON_REPORT_BENCH=1 TESSARON_TEST_CLASSES=TestReport test_toolkit
    if (!qEnvironmentVariableIsSet("TESSARON_REPORT_BENCH"))
        QSKIP("set TESSARON_REPORT_BENCH to measure");
    tk::Report report;
    reporttest::buildPhoneList(report);
    for (qreal left : {114.8, 148.2, 174.3})
        report.detailBand()->addField({left, 0.3, 16.5, 4}, QStringLiteral("TELNU"));
    std::unique_ptr<MemoryReportSource> source(reporttest::people(10000));
    report.setSource(source.get());
    QElapsedTimer timer;
    timer.start();
    QCOMPARE(report.renderToPdf(m_dir.filePath(QStringLiteral("bench.pdf"))), tk::Report::Output::Written);
    qInfo("10,000 rows to PDF: %lld ms, %lld bytes", timer.elapsed(),
          QFileInfo(m_dir.filePath(QStringLiteral("bench.pdf"))).size());
}

TESSARON_TEST(TestReport)
#include "TestReport.moc"
