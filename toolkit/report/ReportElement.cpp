// Measuring and painting of report elements. All measures arrive in
// millimetres and become device units through the paint context, so one
// element paints alike on a PDF writer, a printer and a preview image.
#include "toolkit/report/ReportElement.h"

#include <QFontMetricsF>
#include <QLocale>
#include <QPaintDevice>
#include <QPainter>

namespace tk {

namespace {

constexpr qreal kPointsPerInch = 72.0;
constexpr qreal kMmPerInch = 25.4;

// The system's short date format with a four-digit year.
QString shortDateFormat()
{
    QString format = QLocale::system().dateFormat(QLocale::ShortFormat);
    if (!format.contains(QLatin1String("yyyy")))
        format.replace(QLatin1String("yy"), QLatin1String("yyyy"));
    return format;
}

int textFlags(Qt::Alignment alignment, ReportText::Growth growth)
{
    int flags = int(alignment) | Qt::TextDontClip;
    flags |= growth == ReportText::Growth::Wrap ? Qt::TextWordWrap : Qt::TextSingleLine;
    return flags;
}

} // namespace

QFont reportFont(qreal pointSize, bool bold, bool italic, const QString &family)
{
    QFont font(family);
    font.setPointSizeF(pointSize);
    font.setBold(bold);
    font.setItalic(italic);
    return font;
}

QRectF ReportPaintContext::toDevice(const QRectF &mm) const
{
    const QRectF page = mm.translated(origin);
    return QRectF(page.left() * dotsPerMmX, page.top() * dotsPerMmY, page.width() * dotsPerMmX,
                  page.height() * dotsPerMmY);
}

QString ReportPaintContext::valueOf(const ReportDataText *field) const
{
    if (!fields || !values)
        return QString();
    const qsizetype index = fields->indexOf(field);
    return index >= 0 && index < values->size() ? values->at(index) : QString();
}

ReportElement::ReportElement(QObject *parent)
    : QObject(parent)
{
}

qreal ReportElement::extent(const ReportPaintContext &) const
{
    return m_geometry.bottom();
}

ReportText::ReportText(QObject *parent)
    : ReportElement(parent)
    , m_font(reportFont(10))
{
}

qreal ReportText::extent(const ReportPaintContext &context) const
{
    const QRectF mm = geometry();
    if (m_growth != Growth::Wrap || !context.device)
        return mm.bottom();
    const QString text = textIn(context);
    if (text.isEmpty())
        return mm.bottom();
    const QFontMetricsF metrics(m_font, context.device);
    const QRectF needed = metrics.boundingRect(QRectF(0, 0, mm.width() * context.dotsPerMmX, 1e7),
                                               textFlags(m_alignment, m_growth), text);
    return std::max(mm.bottom(), mm.top() + needed.height() / context.dotsPerMmY);
}

void ReportText::paint(const ReportPaintContext &context) const
{
    QString text = textIn(context);
    if (text.isEmpty() || !context.painter)
        return;
    QPainter *painter = context.painter;
    const QFontMetricsF metrics(m_font, painter->device());
    QRectF mm = geometry();
    if (m_growth == Growth::Wrap)
        mm.setHeight(std::max(mm.height(), context.bandHeight - mm.top()));
    QRectF rect = context.toDevice(mm);

    if (m_growth == Growth::Cut) {
        text = cutToWidth(text, rect.width(), metrics);
    } else if (m_growth == Growth::Width) {
        const qreal advance = metrics.horizontalAdvance(text);
        if (advance > rect.width()) {
            const qreal extra = advance - rect.width();
            if (m_alignment & Qt::AlignRight)
                rect.setLeft(rect.left() - extra);
            else if (m_alignment & Qt::AlignHCenter)
                rect.adjust(-extra / 2, 0, extra / 2, 0);
            else
                rect.setRight(rect.right() + extra);
        }
    }
    painter->setFont(m_font);
    painter->setPen(color());
    painter->drawText(rect, textFlags(m_alignment, m_growth), text);
}

QString ReportText::cutToWidth(const QString &text, qreal width, const QFontMetricsF &metrics)
{
    if (metrics.horizontalAdvance(text) <= width)
        return text;
    // Binary search for the longest fitting start; widths grow with length.
    qsizetype low = 0;
    qsizetype high = text.size();
    while (low < high) {
        const qsizetype middle = (low + high + 1) / 2;
        if (metrics.horizontalAdvance(text.left(middle)) <= width)
            low = middle;
        else
            high = middle - 1;
    }
    if (low > 0 && text.at(low - 1).isHighSurrogate())
        --low;
    return text.left(low);
}

ReportLabel::ReportLabel(QObject *parent)
    : ReportText(parent)
{
}

QString ReportLabel::textIn(const ReportPaintContext &) const
{
    return m_text;
}

ReportDataText::ReportDataText(QObject *parent)
    : ReportText(parent)
{
}

QString ReportDataText::textIn(const ReportPaintContext &context) const
{
    return context.valueOf(this);
}

ReportSystemData::ReportSystemData(QObject *parent)
    : ReportText(parent)
{
}

QString ReportSystemData::valueIn(const ReportPaintContext &context) const
{
    const QLocale locale = QLocale::system();
    switch (m_kind) {
    case Kind::PageNumber:
        return QString::number(context.pageNumber);
    case Kind::PageCount:
        return QString::number(context.pageCount);
    case Kind::Date:
        return context.printTime.date().toString(m_format.isEmpty() ? shortDateFormat() : m_format);
    case Kind::Time:
        return m_format.isEmpty() ? locale.toString(context.printTime.time(), QLocale::ShortFormat)
                                  : context.printTime.time().toString(m_format);
    case Kind::DateTime:
        if (!m_format.isEmpty())
            return context.printTime.toString(m_format);
        return context.printTime.date().toString(shortDateFormat()) + QLatin1Char(' ')
            + locale.toString(context.printTime.time(), QLocale::ShortFormat);
    }
    return QString();
}

QString ReportSystemData::textIn(const ReportPaintContext &context) const
{
    return m_prefix + valueIn(context);
}

ReportLine::ReportLine(QObject *parent)
    : ReportElement(parent)
{
}

void ReportLine::paint(const ReportPaintContext &context) const
{
    if (!context.painter)
        return;
    const QRectF rect = context.toDevice(geometry());
    const qreal dotsPerPoint = (m_orientation == Qt::Horizontal ? context.dotsPerMmY : context.dotsPerMmX)
        * kMmPerInch / kPointsPerInch;
    QPen pen(color(), std::max(m_penWidth * dotsPerPoint, 1.0));
    pen.setCapStyle(Qt::FlatCap);
    context.painter->setPen(pen);
    if (m_orientation == Qt::Horizontal) {
        const qreal y = rect.center().y();
        context.painter->drawLine(QPointF(rect.left(), y), QPointF(rect.right(), y));
    } else {
        const qreal x = rect.center().x();
        context.painter->drawLine(QPointF(x, rect.top()), QPointF(x, rect.bottom()));
    }
}

} // namespace tk
