// Report bands: element factories, growth and painting.
#include "toolkit/report/ReportBand.h"

#include <QPainter>

namespace tk {

namespace {

constexpr qreal kPointsPerInch = 72.0;
constexpr qreal kMmPerInch = 25.4;

} // namespace

ReportBand::ReportBand(Kind kind, QObject *parent)
    : QObject(parent)
    , m_kind(kind)
{
}

void ReportBand::setFrame(Qt::Edges edges, qreal points, const QColor &color)
{
    m_frame = edges;
    m_frameWidth = points;
    m_frameColor = color;
}

ReportLabel *ReportBand::addLabel(const QRectF &mm, const QString &text)
{
    auto *label = new ReportLabel(this);
    label->setGeometry(mm);
    label->setText(text);
    return label;
}

ReportDataText *ReportBand::addField(const QRectF &mm, const QString &field)
{
    auto *data = new ReportDataText(this);
    data->setGeometry(mm);
    data->setField(field);
    return data;
}

ReportSystemData *ReportBand::addSystemData(const QRectF &mm, ReportSystemData::Kind kind, const QString &prefix)
{
    auto *data = new ReportSystemData(this);
    data->setGeometry(mm);
    data->setKind(kind);
    data->setPrefix(prefix);
    return data;
}

ReportLine *ReportBand::addLine(const QRectF &mm, qreal points, Qt::Orientation orientation)
{
    auto *line = new ReportLine(this);
    line->setGeometry(mm);
    line->setPenWidth(points);
    line->setOrientation(orientation);
    return line;
}

QList<const ReportElement *> ReportBand::elements() const
{
    QList<const ReportElement *> result;
    for (const QObject *child : children()) {
        if (auto *element = qobject_cast<const ReportElement *>(child))
            result.append(element);
    }
    return result;
}

QList<const ReportDataText *> ReportBand::fields() const
{
    QList<const ReportDataText *> result;
    for (const QObject *child : children()) {
        if (auto *field = qobject_cast<const ReportDataText *>(child))
            result.append(field);
    }
    return result;
}

qreal ReportBand::heightIn(const ReportPaintContext &context) const
{
    qreal height = m_height;
    for (const QObject *child : children()) {
        if (auto *text = qobject_cast<const ReportText *>(child); text && text->growth() == ReportText::Growth::Wrap)
            height = std::max(height, text->extent(context));
    }
    return height;
}

void ReportBand::paint(const ReportPaintContext &context) const
{
    if (m_frame && context.painter) {
        const QRectF rect = context.toDevice(QRectF(0, 0, m_width, context.bandHeight));
        const qreal dots = m_frameWidth * context.dotsPerMmY * kMmPerInch / kPointsPerInch;
        QPen pen(m_frameColor, std::max(dots, 1.0));
        pen.setCapStyle(Qt::FlatCap);
        QPainter *painter = context.painter;
        painter->setPen(pen);
        // Each line lies inside the band so neighbouring bands do not cover it.
        const qreal inset = pen.widthF() / 2;
        if (m_frame & Qt::TopEdge)
            painter->drawLine(QPointF(rect.left(), rect.top() + inset), QPointF(rect.right(), rect.top() + inset));
        if (m_frame & Qt::BottomEdge)
            painter->drawLine(QPointF(rect.left(), rect.bottom() - inset),
                              QPointF(rect.right(), rect.bottom() - inset));
        if (m_frame & Qt::LeftEdge)
            painter->drawLine(QPointF(rect.left() + inset, rect.top()), QPointF(rect.left() + inset, rect.bottom()));
        if (m_frame & Qt::RightEdge)
            painter->drawLine(QPointF(rect.right() - inset, rect.top()),
                              QPointF(rect.right() - inset, rect.bottom()));
    }
    for (const QObject *child : children()) {
        if (auto *element = qobject_cast<const ReportElement *>(child))
            element->paint(context);
    }
}

} // namespace tk
