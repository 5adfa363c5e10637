// The preview window of a report: one page at a time at a chosen zoom, with
// paging, printing through the printer dialog and saving as PDF.
//
// Its captions come from the language file (translation base 3900); the
// German texts built in are the design.
#pragma once

#include "toolkit/report/Report.h"

#include <QDialog>

class QHBoxLayout;
class QLabel;
class QPrinter;
class QScrollArea;
class QToolButton;

namespace tk {

class ReportRenderer;

class ReportPreview : public QDialog {
    Q_OBJECT

public:
    static constexpr int kTranslationBase = 3900;
    static constexpr int kStartZoom = 80;

    // Shows the pages of `renderer`, which must be prepared and must outlive
    // the window. Starts on the first page at 80 %.
    explicit ReportPreview(const ReportRenderer *renderer, QWidget *parent = nullptr);
    ~ReportPreview() override;

    // The page shown, 0-based; -1 when the report has no pages.
    int currentPage() const { return m_page; }
    int pageCount() const;
    // Zoom in percent of the paper's real size on this screen.
    int zoom() const { return m_zoom; }

    // Shows page `index`, clamped to the pages there are.
    void showPage(int index);
    // Sets the zoom, clamped to the steps offered (25 % to 400 %).
    void setZoom(int percent);

    // What the print and save buttons do once their dialog has been answered;
    // failures are also reported in a message box.
    Report::Output printTo(QPrinter *printer);
    Report::Output saveAsPdf(const QString &path);

public slots:
    void firstPage();
    void priorPage();
    void nextPage();
    void lastPage();
    void zoomIn();
    void zoomOut();

private slots:
    void printWithDialog();
    void saveWithDialog();

private:
    QToolButton *addButton(QHBoxLayout *row, const char *name, int tag, const QString &text, const char *icon);
    void refresh();

    const ReportRenderer *m_renderer;
    int m_page = -1;
    int m_zoom = kStartZoom;
    QToolButton *m_btnFirst = nullptr;
    QToolButton *m_btnPrior = nullptr;
    QToolButton *m_btnNext = nullptr;
    QToolButton *m_btnLast = nullptr;
    QToolButton *m_btnZoomIn = nullptr;
    QToolButton *m_btnZoomOut = nullptr;
    QToolButton *m_btnPrint = nullptr;
    QToolButton *m_btnSavePdf = nullptr;
    QLabel *m_lblPage = nullptr;
    QLabel *m_lblZoom = nullptr;
    QLabel *m_lblPageImage = nullptr;
    QScrollArea *m_scroll = nullptr;
};

} // namespace tk
