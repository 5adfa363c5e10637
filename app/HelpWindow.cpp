#include "app/HelpWindow.h"

#include "app/Icons.h"
#include "app/Language.h"

#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPointer>
#include <QRegularExpression>
#include <QSplitter>
#include <QTextBrowser>
#include <QTextDocument>
#include <QToolBar>
#include <QToolButton>
#include <QUrl>
#include <QVBoxLayout>

namespace {

constexpr int kTextCaption = 27101;
constexpr int kTextContents = 27102;
constexpr int kTextBack = 27103;
constexpr int kTextForward = 27104;
constexpr int kTextSearch = 27105;
constexpr int kTextNoMatch = 27106;
constexpr int kTextInBrowser = 27107;

QString readPage(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

} // namespace

QString HelpWindow::folderFor(const QString &shareDir, const QString &languageFile)
{
    const bool german = languageFile.compare(QStringLiteral("QorvaGER.lng"), Qt::CaseInsensitive) == 0;
    return shareDir + QStringLiteral("/help/") + (german ? QStringLiteral("de") : QStringLiteral("en"));
}

HelpWindow *HelpWindow::open(const QString &folder, QWidget *parent)
{
    static QPointer<HelpWindow> window;
    if (!QFileInfo::exists(folder + QStringLiteral("/index.html")))
        return nullptr;
    if (!window) {
        window = new HelpWindow(folder, parent);
        window->setAttribute(Qt::WA_DeleteOnClose);
    }
    window->show();
    window->raise();
    window->activateWindow();
    return window;
}

HelpWindow::HelpWindow(const QString &folder, QWidget *parent) : QWidget(parent, Qt::Window), m_folder(folder)
{
    setObjectName(QStringLiteral("HelpWindow"));
    setWindowTitle(LangTextOr(kTextCaption, "Tessaron - Help"));
    setWindowIcon(appicons::icon(QStringLiteral("help")));
    resize(860, 640);

    auto *bar = new QToolBar(this);
    bar->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    bar->setIconSize(QSize(20, 20));
    auto button = [bar](const QString &name, const QString &caption, const QIcon &icon) {
        auto *b = new QToolButton(bar);
        b->setObjectName(name);
        b->setText(caption);
        b->setIcon(icon);
        b->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
        b->setAutoRaise(true);
        bar->addWidget(b);
        return b;
    };
    QToolButton *contents = button(QStringLiteral("btnContents"), LangTextOr(kTextContents, "&Contents"),
                                   appicons::icon(QStringLiteral("help")));
    m_back = button(QStringLiteral("btnBack"), LangTextOr(kTextBack, "&Back"), QIcon::fromTheme(QStringLiteral("go-previous")));
    m_forward = button(QStringLiteral("btnForward"), LangTextOr(kTextForward, "&Forward"),
                       QIcon::fromTheme(QStringLiteral("go-next")));
    if (m_back->icon().isNull())
        m_back->setArrowType(Qt::LeftArrow);
    if (m_forward->icon().isNull())
        m_forward->setArrowType(Qt::RightArrow);
    bar->addSeparator();
    auto *label = new QLabel(LangTextOr(kTextSearch, "&Search:"), bar);
    bar->addWidget(label);
    m_search = new QLineEdit(bar);
    m_search->setObjectName(QStringLiteral("edtSearch"));
    m_search->setClearButtonEnabled(true);
    m_search->setMaximumWidth(240);
    label->setBuddy(m_search);
    bar->addWidget(m_search);
    bar->addSeparator();
    QToolButton *external = button(QStringLiteral("btnInBrowser"), LangTextOr(kTextInBrowser, "Open in &browser"), QIcon());

    m_results = new QListWidget(this);
    m_results->setObjectName(QStringLiteral("lstResults"));
    m_results->hide();
    m_browser = new QTextBrowser(this);
    m_browser->setObjectName(QStringLiteral("Browser"));
    m_browser->setOpenLinks(false);
    m_browser->setSearchPaths({m_folder});
    m_browser->document()->setDocumentMargin(12);

    auto *split = new QSplitter(this);
    split->addWidget(m_results);
    split->addWidget(m_browser);
    split->setStretchFactor(1, 1);
    split->setSizes({200, 660});
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(bar);
    layout->addWidget(split);

    connect(contents, &QToolButton::clicked, this, [this] { showPage(QStringLiteral("index.html")); });
    connect(m_back, &QToolButton::clicked, m_browser, &QTextBrowser::backward);
    connect(m_forward, &QToolButton::clicked, m_browser, &QTextBrowser::forward);
    connect(m_browser, &QTextBrowser::backwardAvailable, m_back, &QWidget::setEnabled);
    connect(m_browser, &QTextBrowser::forwardAvailable, m_forward, &QWidget::setEnabled);
    connect(m_browser, &QTextBrowser::anchorClicked, this, &HelpWindow::openLink);
    connect(m_search, &QLineEdit::returnPressed, this, &HelpWindow::runSearch);
    connect(m_search, &QLineEdit::textChanged, this, [this](const QString &t) {
        if (t.trimmed().isEmpty())
            m_results->hide();
    });
    connect(m_results, &QListWidget::itemActivated, this, &HelpWindow::openResult);
    connect(m_results, &QListWidget::itemClicked, this, &HelpWindow::openResult);
    connect(external, &QToolButton::clicked, this,
            [this] { QDesktopServices::openUrl(QUrl::fromLocalFile(m_folder + QLatin1Char('/') + currentPage())); });
    m_back->setEnabled(false);
    m_forward->setEnabled(false);

    indexPages();
    showPage(QStringLiteral("index.html"));
}

void HelpWindow::indexPages()
{
    // The contents page lists every page; its links give the order.
    m_pages = {QStringLiteral("index.html")};
    const QString index = readPage(m_folder + QStringLiteral("/index.html"));
    static const QRegularExpression link(QStringLiteral("href=\"([a-z0-9-]+\\.html)\""));
    for (auto it = link.globalMatch(index); it.hasNext();) {
        const QString page = it.next().captured(1);
        if (!m_pages.contains(page))
            m_pages << page;
    }
    for (const QString &page : m_pages) {
        QTextDocument doc;
        doc.setHtml(readPage(m_folder + QLatin1Char('/') + page));
        m_texts << doc.toPlainText().toLower();
        QString title = doc.metaInformation(QTextDocument::DocumentTitle);
        title.remove(QStringLiteral(" \u2013 Tessaron"));
        m_titles << (title.isEmpty() ? page : title);
    }
}

void HelpWindow::showPage(const QString &fileName)
{
    m_browser->setSource(QUrl(fileName));
}

QString HelpWindow::currentPage() const
{
    return m_browser->source().path().section(QLatin1Char('/'), -1);
}

QStringList HelpWindow::search(const QString &words) const
{
    const QStringList wanted = words.toLower().split(QLatin1Char(' '), Qt::SkipEmptyParts);
    QStringList found;
    if (wanted.isEmpty())
        return found;
    for (int i = 0; i < m_pages.size(); ++i) {
        bool all = true;
        for (const QString &w : wanted)
            all = all && m_texts[i].contains(w);
        if (all)
            found << m_pages[i];
    }
    return found;
}

void HelpWindow::runSearch()
{
    m_results->clear();
    const QStringList found = search(m_search->text());
    for (const QString &page : found) {
        auto *item = new QListWidgetItem(m_titles[m_pages.indexOf(page)], m_results);
        item->setData(Qt::UserRole, page);
    }
    if (found.isEmpty())
        new QListWidgetItem(LangTextOr(kTextNoMatch, "Nothing found"), m_results);
    m_results->show();
    if (!found.isEmpty()) {
        m_results->setCurrentRow(0);
        openResult();
    }
}

void HelpWindow::openResult()
{
    const QListWidgetItem *item = m_results->currentItem();
    if (!item || item->data(Qt::UserRole).toString().isEmpty())
        return;
    showPage(item->data(Qt::UserRole).toString());
    // Mark the first place of the first word.
    const QString first = m_search->text().split(QLatin1Char(' '), Qt::SkipEmptyParts).value(0);
    if (!first.isEmpty())
        m_browser->find(first);
}

void HelpWindow::openLink(const QUrl &url)
{
    if (url.isRelative() || url.isLocalFile()) {
        m_browser->setSource(url);
        return;
    }
    // Links out of the guide go to the desktop's browser.
    QDesktopServices::openUrl(url);
}
