// Page layout of a report and painting of its pages.
//
// Pages are filled from the top margin down: the title band (first page
// only), then detail bands while they fit above the page footer, which
// stands at the bottom margin of every page. A detail band that does not
// fit starts a new page; one taller than a whole page is placed alone on a
// page (and runs into the footer) rather than never being placed.
#include "toolkit/report/ReportRenderer.h"

#include "toolkit/report/ReportBand.h"
#include "toolkit/report/ReportSource.h"

#include <QCoreApplication>
#include <QPainter>
#include <QPdfWriter>
#include <QPrinter>
#include <QSaveFile>

namespace tk {

namespace {

constexpr qreal kMmPerInch = 25.4;
constexpr qreal kMetresPerInch = 0.0254;
// Texts are measured for layout at this resolution, whatever the output.
constexpr int kLayoutDpi = 1200;
constexpr qreal kTolerance = 1e-6;

int kindIndex(ReportBand::Kind kind)
{
    return int(kind);
}

bool isEmptyBand(const ReportBand *band)
{
    return band->height() <= 0 && band->elements().isEmpty();
}

} // namespace

ReportRenderer::ReportRenderer(const Report *report)
    : m_report(report)
{
}

ReportRenderer::Placement ReportRenderer::place(const ReportBand *band, qreal top, const QStringList &values) const
{
    static const QImage reference = [] {
        QImage image(1, 1, QImage::Format_RGB32);
        image.setDotsPerMeterX(qRound(kLayoutDpi / kMetresPerInch));
        image.setDotsPerMeterY(qRound(kLayoutDpi / kMetresPerInch));
        return image;
    }();
    ReportPaintContext context;
    context.device = &reference;
    context.dotsPerMmX = kLayoutDpi / kMmPerInch;
    context.dotsPerMmY = kLayoutDpi / kMmPerInch;
    context.fields = &m_fields[kindIndex(band->kind())];
    context.values = &values;
    context.printTime = m_printTime;
    return Placement{band, top, band->heightIn(context), values};
}

QStringList ReportRenderer::capture(const ReportBand *band) const
{
    const QList<const ReportDataText *> &fields = m_fields[kindIndex(band->kind())];
    QStringList values;
    if (fields.isEmpty())
        return values;
    values.reserve(fields.size());
    ReportSource *source = m_report->source();
    for (const ReportDataText *field : fields)
        values.append(source->displayText(field->field()));
    return values;
}

int ReportRenderer::prepare()
{
    m_pages.clear();
    m_printTime = m_fixedTime.isValid() ? m_fixedTime : QDateTime::currentDateTime();
    ReportSource *source = m_report->source();
    if (!source || !source->first() || source->eof())
        return 0;

    const ReportBand *title = m_report->titleBand();
    const ReportBand *detail = m_report->detailBand();
    const ReportBand *footer = m_report->pageFooterBand();
    for (const ReportBand *band : {title, detail, footer})
        m_fields[kindIndex(band->kind())] = band->fields();

    const QMarginsF margins = m_report->pageLayout().margins(QPageLayout::Millimeter);
    const qreal top = margins.top();
    const qreal footerTop = m_report->pageSizeMm().height() - margins.bottom() - footer->height();
    const bool hasFooter = !isEmptyBand(footer);

    // Pages are collected aside so an exception of the source leaves none.
    QList<Page> pages;
    Page page;
    qreal y = top;
    bool pageHasDetail = false;
    QStringList footerValues;
    auto finishPage = [&] {
        if (hasFooter)
            page.append(place(footer, footerTop, footerValues));
        pages.append(std::move(page));
        page = Page();
        y = top;
        pageHasDetail = false;
    };

    if (!isEmptyBand(title)) {
        page.append(place(title, y, capture(title)));
        y += page.last().height;
    }
    while (!source->eof()) {
        Placement placement = place(detail, 0, capture(detail));
        if (pageHasDetail && y + placement.height > footerTop + kTolerance)
            finishPage();
        placement.top = y;
        y += placement.height;
        page.append(std::move(placement));
        pageHasDetail = true;
        footerValues = capture(footer);
        source->next();
    }
    finishPage();
    m_pages = std::move(pages);
    return pageCount();
}

void ReportRenderer::paintPage(QPainter *painter, int index) const
{
    if (index < 0 || index >= m_pages.size())
        return;
    const QPaintDevice *device = painter->device();
    const qreal left = m_report->pageLayout().margins(QPageLayout::Millimeter).left();
    ReportPaintContext context;
    context.painter = painter;
    context.device = device;
    context.dotsPerMmX = device->logicalDpiX() / kMmPerInch;
    context.dotsPerMmY = device->logicalDpiY() / kMmPerInch;
    context.pageNumber = index + 1;
    context.pageCount = pageCount();
    context.printTime = m_printTime;

    painter->save();
    for (const Placement &placement : m_pages[index]) {
        context.origin = QPointF(left, placement.top);
        context.bandHeight = placement.height;
        context.fields = &m_fields[kindIndex(placement.band->kind())];
        context.values = &placement.values;
        placement.band->paint(context);
    }
    painter->restore();
}

QImage ReportRenderer::pageImage(int index, qreal dotsPerInch) const
{
    if (index < 0 || index >= m_pages.size())
        return QImage();
    const QSizeF mm = pageSizeMm();
    const qreal dotsPerMm = dotsPerInch / kMmPerInch;
    QImage image(qCeil(mm.width() * dotsPerMm), qCeil(mm.height() * dotsPerMm), QImage::Format_RGB32);
    image.fill(Qt::white);
    // Painted as on a device of the layout resolution and scaled down: glyph
    // advances rounded to whole screen pixels would otherwise make texts
    // wider or narrower than in the printout, and texts that just touch
    // there would run into each other here.
    image.setDotsPerMeterX(qRound(kLayoutDpi / kMetresPerInch));
    image.setDotsPerMeterY(qRound(kLayoutDpi / kMetresPerInch));
    {
        QPainter painter(&image);
        painter.setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing);
        painter.scale(dotsPerInch / kLayoutDpi, dotsPerInch / kLayoutDpi);
        paintPage(&painter, index);
    }
    image.setDotsPerMeterX(qRound(dotsPerInch / kMetresPerInch));
    image.setDotsPerMeterY(qRound(dotsPerInch / kMetresPerInch));
    return image;
}

Report::Output ReportRenderer::renderToPdf(const QString &path) const
{
    if (m_pages.isEmpty())
        return Report::Output::Empty;
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return Report::Output::Failed;
    {
        QPdfWriter writer(&file);
        writer.setTitle(m_report->title());
        writer.setCreator(QCoreApplication::applicationName());
        // The writer paints from the paper's corner; the bands know the margins.
        const QPageLayout layout = m_report->pageLayout();
        writer.setPageLayout(QPageLayout(layout.pageSize(), layout.orientation(), QMarginsF()));
        QPainter painter;
        if (!painter.begin(&writer)) {
            file.cancelWriting();
            return Report::Output::Failed;
        }
        for (int i = 0; i < pageCount(); ++i) {
            if (i > 0)
                writer.newPage();
            paintPage(&painter, i);
        }
        painter.end();
    }
    return file.commit() ? Report::Output::Written : Report::Output::Failed;
}

void ReportRenderer::setUpPrinter(QPrinter *printer) const
{
    printer->setDocName(m_report->title());
    // The bands carry the margins, so the painter must start at the paper's
    // corner. Setting a page layout resets full-page mode, so it goes first.
    printer->setPageLayout(m_report->pageLayout());
    printer->setFullPage(true);
}

Report::Output ReportRenderer::print(QPrinter *printer) const
{
    if (m_pages.isEmpty())
        return Report::Output::Empty;
    // The pages are laid out for the report's paper; printing them on other
    // paper would misplace every band, so the report's layout wins over a
    // paper chosen in the dialog.
    setUpPrinter(printer);
    int from = printer->fromPage();
    int to = printer->toPage();
    if (from <= 0) {
        from = 1;
        to = pageCount();
    }
    to = std::min(to <= 0 ? pageCount() : to, pageCount());
    if (from > to)
        return Report::Output::Empty;

    QPainter painter;
    if (!painter.begin(printer))
        return Report::Output::Failed;
    for (int page = from; page <= to; ++page) {
        if (page > from && !printer->newPage()) {
            painter.end();
            return Report::Output::Failed;
        }
        paintPage(&painter, page - 1);
    }
    painter.end();
    return printer->printerState() == QPrinter::Error ? Report::Output::Failed : Report::Output::Written;
}

} // namespace tk
