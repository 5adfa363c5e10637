// A horizontal strip of a report page with its elements: the title band on
// the first page, one detail band per record, the page footer on every page.
#pragma once

#include "toolkit/report/ReportElement.h"

#include <QColor>
#include <QList>
#include <QObject>
#include <QRectF>

namespace tk {

class ReportBand : public QObject {
    Q_OBJECT

public:
    enum class Kind { Title, Detail, PageFooter };

    explicit ReportBand(Kind kind, QObject *parent = nullptr);

    Kind kind() const { return m_kind; }

    // Height in mm. A band with no height and no elements takes no room; a
    // detail band with wrapping texts may grow beyond it.
    qreal height() const { return m_height; }
    void setHeight(qreal mm) { m_height = mm; }

    // Width in mm, normally the printable width of the page (set by Report).
    qreal width() const { return m_width; }
    void setWidth(qreal mm) { m_width = mm; }

    // Lines along the chosen edges of the band, `points` thick.
    Qt::Edges frame() const { return m_frame; }
    void setFrame(Qt::Edges edges, qreal points = 1, const QColor &color = Qt::black);

    // Element factories. Each new element is owned by this band, placed at
    // `mm` (relative to the band) and returned for further settings.
    ReportLabel *addLabel(const QRectF &mm, const QString &text);
    ReportDataText *addField(const QRectF &mm, const QString &field);
    ReportSystemData *addSystemData(const QRectF &mm, ReportSystemData::Kind kind, const QString &prefix);
    // A line; a horizontal one is drawn at mm.top() when mm has no height.
    ReportLine *addLine(const QRectF &mm, qreal points = 1, Qt::Orientation orientation = Qt::Horizontal);

    // The band's elements in the order they were added (children that are
    // elements; deleting one removes it).
    QList<const ReportElement *> elements() const;
    // Just the data-bound ones, in the same order.
    QList<const ReportDataText *> fields() const;

    // The height this band takes for the texts in `context` (at least height()).
    qreal heightIn(const ReportPaintContext &context) const;

    // Paints the frame and then every element, in order.
    void paint(const ReportPaintContext &context) const;

private:
    Kind m_kind;
    qreal m_height = 0;
    qreal m_width = 0;
    Qt::Edges m_frame;
    qreal m_frameWidth = 1;
    QColor m_frameColor = Qt::black;
};

} // namespace tk
