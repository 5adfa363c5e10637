// The things a report band holds: fixed texts, data-bound texts, system data
// (date, time, page number) and lines.
//
// Every element is a QObject owned by its band and is placed in millimetres
// from the band's top-left corner (the band itself starts at the page's left
// margin). Texts are translated like window controls: a label's Tag selects
// its language text, which replaces the `text` property (for system data the
// text is the prefix before the value), so tk::translateObjects works on a
// whole report.
#pragma once

#include <QColor>
#include <QDateTime>
#include <QFont>
#include <QList>
#include <QObject>
#include <QRectF>
#include <QString>
#include <QStringList>

class QFontMetricsF;
class QPainter;
class QPaintDevice;

namespace tk {

class ReportDataText;

// A font for report texts: "Arial" unless told otherwise (it resolves to the
// metric-compatible font installed, see Report::registerFontSubstitutions).
QFont reportFont(qreal pointSize, bool bold = false, bool italic = false,
                 const QString &family = QStringLiteral("Arial"));

// What an element needs to know while it is measured or painted: where its
// band stands on the page, the device's resolution, the band's record and
// the page. Built by the renderer.
struct ReportPaintContext {
    QPainter *painter = nullptr; // null while only measuring
    const QPaintDevice *device = nullptr; // the device whose font metrics count
    qreal dotsPerMmX = 1;
    qreal dotsPerMmY = 1;
    QPointF origin; // band's top-left on the page, mm
    qreal bandHeight = 0; // height of this band on this page, mm
    const QList<const ReportDataText *> *fields = nullptr; // the band's data texts
    const QStringList *values = nullptr; // their texts for this band, same order
    int pageNumber = 0; // 1-based
    int pageCount = 0;
    QDateTime printTime;

    // A rectangle in band millimetres as device coordinates.
    QRectF toDevice(const QRectF &mm) const;
    // The text recorded for `field` in this band; empty when not recorded.
    QString valueOf(const ReportDataText *field) const;
};

class ReportElement : public QObject {
    Q_OBJECT

public:
    explicit ReportElement(QObject *parent = nullptr);

    // Position and size in millimetres from the band's top-left corner.
    QRectF geometry() const { return m_geometry; }
    void setGeometry(const QRectF &mm) { m_geometry = mm; }

    QColor color() const { return m_color; }
    void setColor(const QColor &color) { m_color = color; }

    // How far below the band's top this element reaches for the texts in
    // `context`, in mm; the band grows to the largest extent of its elements.
    virtual qreal extent(const ReportPaintContext &context) const;

    // Paints the element with context.painter.
    virtual void paint(const ReportPaintContext &context) const = 0;

private:
    QRectF m_geometry;
    QColor m_color = Qt::black;
};

// Common ground of the three kinds of text: font, alignment and what happens
// when the text is wider than the element.
class ReportText : public ReportElement {
    Q_OBJECT

public:
    enum class Growth {
        Cut, // the text is cut at the right edge of the element (whole characters)
        Width, // the element widens to the text, on one line
        Wrap, // the text wraps at the element's width; the band grows downwards
    };

    explicit ReportText(QObject *parent = nullptr);

    QFont font() const { return m_font; }
    void setFont(const QFont &font) { m_font = font; }

    // Horizontal and vertical alignment within the element; default top left.
    Qt::Alignment alignment() const { return m_alignment; }
    void setAlignment(Qt::Alignment alignment) { m_alignment = alignment; }

    Growth growth() const { return m_growth; }
    void setGrowth(Growth growth) { m_growth = growth; }

    // The text this element prints in `context`.
    virtual QString textIn(const ReportPaintContext &context) const = 0;

    qreal extent(const ReportPaintContext &context) const override;
    void paint(const ReportPaintContext &context) const override;

    // The longest start of `text` no wider than `width` device units in
    // `metrics`; never splits a surrogate pair.
    static QString cutToWidth(const QString &text, qreal width, const QFontMetricsF &metrics);

private:
    QFont m_font;
    Qt::Alignment m_alignment = Qt::AlignLeft | Qt::AlignTop;
    Growth m_growth = Growth::Cut;
};

// A fixed text.
class ReportLabel : public ReportText {
    Q_OBJECT
    Q_PROPERTY(QString text READ text WRITE setText)

public:
    explicit ReportLabel(QObject *parent = nullptr);

    QString text() const { return m_text; }
    void setText(const QString &text) { m_text = text; }

    QString textIn(const ReportPaintContext &context) const override;

private:
    QString m_text;
};

// The display text of a field of the band's record.
class ReportDataText : public ReportText {
    Q_OBJECT

public:
    explicit ReportDataText(QObject *parent = nullptr);

    QString field() const { return m_field; }
    void setField(const QString &field) { m_field = field; }

    QString textIn(const ReportPaintContext &context) const override;

private:
    QString m_field;
};

// A value the report itself knows, after a prefix text ("Seite " 3).
class ReportSystemData : public ReportText {
    Q_OBJECT
    Q_PROPERTY(QString text READ prefix WRITE setPrefix)

public:
    enum class Kind { DateTime, Date, Time, PageNumber, PageCount };

    explicit ReportSystemData(QObject *parent = nullptr);

    Kind kind() const { return m_kind; }
    void setKind(Kind kind) { m_kind = kind; }

    // The text before the value; the translatable part.
    QString prefix() const { return m_prefix; }
    void setPrefix(const QString &prefix) { m_prefix = prefix; }

    // A QDateTime format for the date and time kinds. Empty (the default)
    // means the system's short date with a four-digit year and its short time.
    QString format() const { return m_format; }
    void setFormat(const QString &format) { m_format = format; }

    // The value without prefix.
    QString valueIn(const ReportPaintContext &context) const;
    QString textIn(const ReportPaintContext &context) const override;

private:
    Kind m_kind = Kind::DateTime;
    QString m_prefix;
    QString m_format;
};

// A straight line through the middle of its rectangle: horizontal lines run
// along its width at half its height, vertical ones the other way.
class ReportLine : public ReportElement {
    Q_OBJECT

public:
    explicit ReportLine(QObject *parent = nullptr);

    Qt::Orientation orientation() const { return m_orientation; }
    void setOrientation(Qt::Orientation orientation) { m_orientation = orientation; }

    // Thickness in points.
    qreal penWidth() const { return m_penWidth; }
    void setPenWidth(qreal points) { m_penWidth = points; }

    void paint(const ReportPaintContext &context) const override;

private:
    Qt::Orientation m_orientation = Qt::Horizontal;
    qreal m_penWidth = 1;
};

} // namespace tk
