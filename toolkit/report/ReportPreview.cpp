// The report preview window, built in code.
#include "toolkit/report/ReportPreview.h"

#include "toolkit/text/Language.h"
#include "toolkit/text/MessageBox.h"
#include "toolkit/report/ReportRenderer.h"
#include "toolkit/text/Tag.h"
#include "toolkit/text/Translator.h"

#include <QDir>
#include <QFileDialog>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QIcon>
#include <QKeySequence>
#include <QLabel>
#include <QPrintDialog>
#include <QPrinter>
#include <QScreen>
#include <QScrollArea>
#include <QShortcut>
#include <QStandardPaths>
#include <QToolButton>
#include <QVBoxLayout>

namespace tk {

namespace {

// Texts looked up by number (base 3900 + n); captions of controls go by Tag.
enum TextNumber {
    kTextCaption = 3901,
    kTextCaptionWithTitle = 3911,
    kTextPageOf = 3912,
    kTextNoPages = 3913,
    kTextPdfFilter = 3914,
    kTextCannotWrite = 3915,
    kTextCannotPrint = 3916,
    kTextZoom = 3917,
};

constexpr int kZoomSteps[] = {25, 50, 75, 80, 100, 125, 150, 200, 300, 400};

QString text(int number, const char *design)
{
    const QString translated = langText(number);
    return translated.isEmpty() ? QString::fromUtf8(design) : translated;
}

} // namespace

ReportPreview::ReportPreview(const ReportRenderer *renderer, QWidget *parent)
    : QDialog(parent)
    , m_renderer(renderer)
{
    setObjectName(QStringLiteral("ReportPreview"));
    setWindowTitle(QStringLiteral("Seitenansicht"));
    setTag(this, 1);
    setSizeGripEnabled(true);

    auto *row = new QHBoxLayout;
    m_btnFirst = addButton(row, "btnFirst", 2, QStringLiteral("&Erste"), "go-first");
    m_btnPrior = addButton(row, "btnPrior", 3, QStringLiteral("&Vorige"), "go-previous");
    m_lblPage = new QLabel(this);
    m_lblPage->setObjectName(QStringLiteral("lblPage"));
    m_lblPage->setMinimumWidth(fontMetrics().horizontalAdvance(QStringLiteral("Seite 0000 von 0000")));
    m_lblPage->setAlignment(Qt::AlignCenter);
    row->addWidget(m_lblPage);
    m_btnNext = addButton(row, "btnNext", 4, QStringLiteral("&Nächste"), "go-next");
    m_btnLast = addButton(row, "btnLast", 5, QStringLiteral("&Letzte"), "go-last");
    row->addSpacing(16);
    m_btnZoomOut = addButton(row, "btnZoomOut", 7, QStringLiteral("Ver&kleinern"), "zoom-out");
    m_lblZoom = new QLabel(this);
    m_lblZoom->setObjectName(QStringLiteral("lblZoom"));
    m_lblZoom->setMinimumWidth(fontMetrics().horizontalAdvance(QStringLiteral("0000 %")));
    m_lblZoom->setAlignment(Qt::AlignCenter);
    row->addWidget(m_lblZoom);
    m_btnZoomIn = addButton(row, "btnZoomIn", 6, QStringLiteral("Ver&größern"), "zoom-in");
    row->addSpacing(16);
    m_btnPrint = addButton(row, "btnPrint", 8, QStringLiteral("&Drucken..."), "document-print");
    m_btnSavePdf = addButton(row, "btnSavePdf", 9, QStringLiteral("Als &PDF speichern..."), "document-save-as");
    row->addStretch();
    QToolButton *btnClose = addButton(row, "btnClose", 10, QStringLiteral("&Schließen"), "window-close");

    m_lblPageImage = new QLabel;
    m_lblPageImage->setObjectName(QStringLiteral("lblPageImage"));
    m_scroll = new QScrollArea(this);
    m_scroll->setBackgroundRole(QPalette::Dark);
    m_scroll->setAlignment(Qt::AlignCenter);
    m_scroll->setWidget(m_lblPageImage); // the scroll area owns the label from here

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(row);
    layout->addWidget(m_scroll, 1);

    connect(m_btnFirst, &QToolButton::clicked, this, &ReportPreview::firstPage);
    connect(m_btnPrior, &QToolButton::clicked, this, &ReportPreview::priorPage);
    connect(m_btnNext, &QToolButton::clicked, this, &ReportPreview::nextPage);
    connect(m_btnLast, &QToolButton::clicked, this, &ReportPreview::lastPage);
    connect(m_btnZoomIn, &QToolButton::clicked, this, &ReportPreview::zoomIn);
    connect(m_btnZoomOut, &QToolButton::clicked, this, &ReportPreview::zoomOut);
    connect(m_btnPrint, &QToolButton::clicked, this, &ReportPreview::printWithDialog);
    connect(m_btnSavePdf, &QToolButton::clicked, this, &ReportPreview::saveWithDialog);
    connect(btnClose, &QToolButton::clicked, this, &ReportPreview::accept);
    const std::pair<QKeySequence, void (ReportPreview::*)()> keys[] = {
        {QKeySequence(Qt::CTRL | Qt::Key_Home), &ReportPreview::firstPage},
        {QKeySequence(Qt::Key_PageUp), &ReportPreview::priorPage},
        {QKeySequence(Qt::Key_PageDown), &ReportPreview::nextPage},
        {QKeySequence(Qt::CTRL | Qt::Key_End), &ReportPreview::lastPage},
        {QKeySequence::ZoomIn, &ReportPreview::zoomIn},
        {QKeySequence::ZoomOut, &ReportPreview::zoomOut},
    };
    for (const auto &[key, slot] : keys)
        connect(new QShortcut(key, this), &QShortcut::activated, this, slot);

    translateWindow(this, kTranslationBase);
    const QString title = m_renderer->title();
    if (!title.isEmpty())
        setWindowTitle(text(kTextCaptionWithTitle, "Seitenansicht: %1").arg(title));

    if (QScreen *screen = QGuiApplication::primaryScreen()) {
        const QRect available = screen->availableGeometry();
        resize(std::min(available.width() * 4 / 5, 1000), available.height() * 9 / 10);
    }
    m_page = pageCount() > 0 ? 0 : -1;
    refresh();
}

ReportPreview::~ReportPreview() = default;

QToolButton *ReportPreview::addButton(QHBoxLayout *row, const char *name, int tag, const QString &caption,
                                      const char *icon)
{
    auto *button = new QToolButton(this);
    button->setObjectName(QString::fromLatin1(name));
    button->setText(caption);
    button->setIcon(QIcon::fromTheme(QString::fromLatin1(icon)));
    button->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    button->setAutoRaise(true);
    setTag(button, tag);
    row->addWidget(button);
    return button;
}

int ReportPreview::pageCount() const
{
    return m_renderer->pageCount();
}

void ReportPreview::showPage(int index)
{
    if (pageCount() == 0)
        return;
    const int page = std::clamp(index, 0, pageCount() - 1);
    if (page == m_page)
        return;
    m_page = page;
    refresh();
}

void ReportPreview::setZoom(int percent)
{
    const int zoom = std::clamp(percent, kZoomSteps[0], kZoomSteps[std::size(kZoomSteps) - 1]);
    if (zoom == m_zoom)
        return;
    m_zoom = zoom;
    refresh();
}

void ReportPreview::firstPage()
{
    showPage(0);
}

void ReportPreview::priorPage()
{
    showPage(m_page - 1);
}

void ReportPreview::nextPage()
{
    showPage(m_page + 1);
}

void ReportPreview::lastPage()
{
    showPage(pageCount() - 1);
}

void ReportPreview::zoomIn()
{
    for (int step : kZoomSteps) {
        if (step > m_zoom) {
            setZoom(step);
            return;
        }
    }
}

void ReportPreview::zoomOut()
{
    for (auto it = std::rbegin(kZoomSteps); it != std::rend(kZoomSteps); ++it) {
        if (*it < m_zoom) {
            setZoom(*it);
            return;
        }
    }
}

void ReportPreview::refresh()
{
    const int count = pageCount();
    const bool any = count > 0;
    m_lblPage->setText(any ? text(kTextPageOf, "Seite %1 von %2").arg(m_page + 1).arg(count)
                           : text(kTextNoPages, "Keine Seiten"));
    m_lblZoom->setText(text(kTextZoom, "%1 %").arg(m_zoom));
    m_btnFirst->setEnabled(any && m_page > 0);
    m_btnPrior->setEnabled(any && m_page > 0);
    m_btnNext->setEnabled(any && m_page < count - 1);
    m_btnLast->setEnabled(any && m_page < count - 1);
    m_btnZoomOut->setEnabled(m_zoom > kZoomSteps[0]);
    m_btnZoomIn->setEnabled(m_zoom < kZoomSteps[std::size(kZoomSteps) - 1]);
    m_btnPrint->setEnabled(any);
    m_btnSavePdf->setEnabled(any);

    if (!any) {
        m_lblPageImage->clear();
        m_lblPageImage->resize(0, 0);
        return;
    }
    // Drawn at the screen's real pixel density so text stays sharp.
    const qreal ratio = devicePixelRatioF();
    const qreal dpi = logicalDpiX() * m_zoom / 100.0;
    QImage image = m_renderer->pageImage(m_page, dpi * ratio);
    image.setDevicePixelRatio(ratio);
    m_lblPageImage->setPixmap(QPixmap::fromImage(image));
    m_lblPageImage->resize(image.deviceIndependentSize().toSize());
}

Report::Output ReportPreview::printTo(QPrinter *printer)
{
    const Report::Output result = m_renderer->print(printer);
    if (result == Report::Output::Failed)
        MessageBox::error(this, text(kTextCannotPrint, "Der Bericht konnte nicht gedruckt werden."));
    return result;
}

Report::Output ReportPreview::saveAsPdf(const QString &path)
{
    const Report::Output result = m_renderer->renderToPdf(path);
    if (result == Report::Output::Failed) {
        MessageBox::error(this, text(kTextCannotWrite, "Die Datei %1 konnte nicht geschrieben werden.")
                                    .arg(QDir::toNativeSeparators(path)));
    }
    return result;
}

void ReportPreview::printWithDialog()
{
    QPrinter printer(QPrinter::HighResolution);
    m_renderer->setUpPrinter(&printer);
    QPrintDialog dialog(&printer, this);
    dialog.setMinMax(1, pageCount());
    dialog.setOption(QAbstractPrintDialog::PrintPageRange);
    if (dialog.exec() == QDialog::Accepted)
        printTo(&printer);
}

void ReportPreview::saveWithDialog()
{
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    QString name = m_renderer->title();
    name.replace(QLatin1Char('/'), QLatin1Char('-'));
    if (name.isEmpty())
        name = QStringLiteral("Report");
    QString path = QFileDialog::getSaveFileName(this, m_btnSavePdf->text().remove(QLatin1Char('&')),
                                                QDir(folder).filePath(name + QStringLiteral(".pdf")),
                                                text(kTextPdfFilter, "PDF-Dokumente (*.pdf)"));
    if (path.isEmpty())
        return;
    if (!path.endsWith(QStringLiteral(".pdf"), Qt::CaseInsensitive))
        path += QStringLiteral(".pdf");
    saveAsPdf(path);
}

} // namespace tk
