// Lays a report out into pages and paints them on any paint device: a PDF
// writer, a printer or an image for the preview.
//
// prepare() runs the report's source once, from its first record to eof,
// splitting the bands into pages and keeping the texts of every data-bound
// element. Painting afterwards needs neither the source nor a particular
// order of pages, so a preview can jump to any page.
#pragma once

#include "toolkit/report/Report.h"

#include <QDateTime>
#include <QImage>
#include <QList>
#include <QSizeF>
#include <QStringList>

class QPainter;
class QPrinter;

namespace tk {

class ReportBand;
class ReportDataText;

class ReportRenderer {
public:
    // `report` must outlive the renderer and must not change between
    // prepare() and the last paint.
    explicit ReportRenderer(const Report *report);
    ReportRenderer(const ReportRenderer &) = delete;
    ReportRenderer &operator=(const ReportRenderer &) = delete;

    // The time printed by date and time elements; when not set, prepare()
    // takes the current time.
    void setPrintTime(const QDateTime &time) { m_fixedTime = time; }

    // Runs the source and lays out the pages; returns the number of pages,
    // 0 when the source is empty or missing. May be called again to pick up
    // changed data.
    int prepare();

    int pageCount() const { return int(m_pages.size()); }
    QSizeF pageSizeMm() const { return m_report->pageSizeMm(); }
    QString title() const { return m_report->title(); }
    QDateTime printTime() const { return m_printTime; }

    // Paints page `index` (0-based) with `painter`, whose device's origin is
    // the paper's top-left corner. Nothing happens for an index out of range.
    void paintPage(QPainter *painter, int index) const;

    // Page `index` as a white image at `dotsPerInch`; a null image for an
    // index out of range.
    QImage pageImage(int index, qreal dotsPerInch) const;

    // Writes all pages as a PDF through a temporary file (see
    // Report::renderToPdf).
    Report::Output renderToPdf(const QString &path) const;

    // Gives `printer` the report's page layout, full-page mode and the title
    // as document name; done by print() and before a printer dialog.
    void setUpPrinter(QPrinter *printer) const;
    // Prints the pages in the printer's page range (all when none).
    Report::Output print(QPrinter *printer) const;

private:
    // A band placed on a page, with the texts of its data-bound elements.
    struct Placement {
        const ReportBand *band;
        qreal top; // mm from the paper's top edge
        qreal height; // mm
        QStringList values;
    };
    using Page = QList<Placement>;

    Placement place(const ReportBand *band, qreal top, const QStringList &values) const;
    QStringList capture(const ReportBand *band) const;

    const Report *m_report;
    QList<Page> m_pages;
    QList<const ReportDataText *> m_fields[3]; // per band kind
    QDateTime m_fixedTime;
    QDateTime m_printTime;
};

} // namespace tk
