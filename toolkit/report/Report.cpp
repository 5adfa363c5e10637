// Report settings and the ways out of a report: PDF, printer and preview.
#include "toolkit/report/Report.h"

#include "toolkit/report/ReportBand.h"
#include "toolkit/report/ReportPreview.h"
#include "toolkit/report/ReportRenderer.h"

#include <QFont>
#include <QFontDatabase>

namespace tk {

namespace {

constexpr qreal kDefaultMargin = 10;

} // namespace

Report::Report(QObject *parent)
    : QObject(parent)
    , m_layout(QPageSize(QPageSize::A4), QPageLayout::Portrait,
               QMarginsF(kDefaultMargin, kDefaultMargin, kDefaultMargin, kDefaultMargin), QPageLayout::Millimeter)
    , m_titleBand(new ReportBand(ReportBand::Kind::Title, this))
    , m_detail(new ReportBand(ReportBand::Kind::Detail, this))
    , m_footer(new ReportBand(ReportBand::Kind::PageFooter, this))
{
    registerFontSubstitutions();
    fitBands();
}

Report::~Report() = default;

void Report::setPageSize(QPageSize::PageSizeId size)
{
    m_layout.setPageSize(QPageSize(size));
    fitBands();
}

void Report::setOrientation(QPageLayout::Orientation orientation)
{
    m_layout.setOrientation(orientation);
    fitBands();
}

void Report::setMargins(const QMarginsF &mm)
{
    // Margins outside what the paper allows are refused by QPageLayout; keep
    // those that fit, as a designer would see them.
    m_layout.setMinimumMargins(QMarginsF());
    m_layout.setMargins(mm);
    fitBands();
}

QSizeF Report::pageSizeMm() const
{
    return m_layout.fullRect(QPageLayout::Millimeter).size();
}

QSizeF Report::printableSizeMm() const
{
    return m_layout.paintRect(QPageLayout::Millimeter).size();
}

void Report::fitBands()
{
    const qreal width = printableSizeMm().width();
    for (ReportBand *band : {m_titleBand, m_detail, m_footer})
        band->setWidth(width);
}

Report::Output Report::renderToPdf(const QString &path)
{
    ReportRenderer renderer(this);
    renderer.prepare();
    return renderer.renderToPdf(path);
}

Report::Output Report::print(QPrinter *printer)
{
    ReportRenderer renderer(this);
    renderer.prepare();
    return renderer.print(printer);
}

void Report::preview(QWidget *parent)
{
    ReportRenderer renderer(this);
    renderer.prepare();
    ReportPreview window(&renderer, parent);
    window.exec();
}

void Report::registerFontSubstitutions()
{
    static bool done = false;
    if (done)
        return;
    done = true;
    // Liberation Sans has Arial's metrics, so column widths measured in the
    // design hold. Only when Arial itself is missing.
    const QStringList families = QFontDatabase::families();
    if (!families.contains(QStringLiteral("Arial")) && families.contains(QStringLiteral("Liberation Sans")))
        QFont::insertSubstitution(QStringLiteral("Arial"), QStringLiteral("Liberation Sans"));
}

} // namespace tk
