// A banded report built in code: page settings, a title band (first page
// only), a detail band (once per record of its source, in the source's order)
// and a page footer (every page, the last included).
//
// A layout creates a Report, fills its bands, translates it with
// tk::translateObjects(report, base), gives it a source and then asks for a
// preview, a PDF or a print-out. A source without records gives a report
// without pages: nothing is printed and no PDF file is written.
#pragma once

#include <QMarginsF>
#include <QObject>
#include <QPageLayout>
#include <QPageSize>
#include <QString>

class QPrinter;
class QWidget;

namespace tk {

class ReportBand;
class ReportSource;

class Report : public QObject {
    Q_OBJECT

public:
    // Outcome of writing a report to a file or printer.
    enum class Output {
        Written, // the document was produced
        Empty, // the source had no record; nothing was produced (no file)
        Failed, // the file or printer could not be opened or written
    };

    // A4 portrait with 10 mm margins and the three bands, all empty.
    explicit Report(QObject *parent = nullptr);
    ~Report() override;
    Report(const Report &) = delete;
    Report &operator=(const Report &) = delete;

    // The report's title: the print job's name, the PDF's title and the
    // preview's caption.
    QString title() const { return m_title; }
    void setTitle(const QString &title) { m_title = title; }

    // Page settings; margins in millimetres. Changing them resizes the bands
    // to the printable width.
    void setPageSize(QPageSize::PageSizeId size);
    void setOrientation(QPageLayout::Orientation orientation);
    void setMargins(const QMarginsF &mm);
    QPageLayout pageLayout() const { return m_layout; }
    // Paper size in mm in the chosen orientation.
    QSizeF pageSizeMm() const;
    // Width and height inside the margins, in mm.
    QSizeF printableSizeMm() const;

    // The bands, owned by the report and alive as long as it is.
    ReportBand *titleBand() const { return m_titleBand; }
    ReportBand *detailBand() const { return m_detail; }
    ReportBand *pageFooterBand() const { return m_footer; }

    // The records of the detail band. Not owned; it must stay alive while
    // the report is rendered (it is read only during a layout pass).
    ReportSource *source() const { return m_source; }
    void setSource(ReportSource *source) { m_source = source; }

    // Writes the whole report as a PDF with vector text. The file is written
    // to a temporary name and replaces `path` only when complete; on Empty
    // or Failed an existing file at `path` is left as it was.
    Output renderToPdf(const QString &path);

    // Prints on `printer` (full-page, the report's page layout, the title as
    // job name), honouring a page range chosen in the printer dialog.
    Output print(QPrinter *printer);

    // Shows the modal preview window over `parent` and returns when the user
    // closes it. The source is read once before the window opens.
    void preview(QWidget *parent);

    // Makes "Arial" (the family the layouts are designed with) resolve to a
    // metric-compatible font installed here (Liberation Sans) when Arial
    // itself is missing. Needs the application object. Called by the
    // constructor; later calls do nothing.
    static void registerFontSubstitutions();

private:
    void fitBands();

    QString m_title;
    QPageLayout m_layout;
    ReportBand *m_titleBand;
    ReportBand *m_detail;
    ReportBand *m_footer;
    ReportSource *m_source = nullptr;
};

} // namespace tk
