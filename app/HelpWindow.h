// The user's guide in a window of our own: the HTML pages of one language
// folder in a browser with contents, back and forward, and a search over
// every page. The guide's pages ship in <share>/help/de and <share>/help/en;
// the language follows the loaded language file.
#pragma once

#include <QStringList>
#include <QWidget>

class QLineEdit;
class QListWidget;
class QTextBrowser;
class QToolButton;
class QUrl;

class HelpWindow : public QWidget {
    Q_OBJECT

public:
    // Shows the guide of `folder` (which holds index.html), opening `page`.
    explicit HelpWindow(const QString &folder, QWidget *parent = nullptr);

    // The guide's folder for a share folder and a language file:
    // <shareDir>/help/de for the German file, <shareDir>/help/en otherwise.
    static QString folderFor(const QString &shareDir, const QString &languageFile);

    // The one window of the run, created on the first call and raised on
    // later ones; null when `folder` holds no guide.
    static HelpWindow *open(const QString &folder, QWidget *parent = nullptr);

    void showPage(const QString &fileName);
    // The file name of the page shown (index.html, ...).
    QString currentPage() const;

    // The pages whose text holds every word of `words` (without regard to
    // case), in the order of the contents page.
    QStringList search(const QString &words) const;
    // The pages of the contents, in order (the contents page first).
    QStringList pages() const { return m_pages; }

    QTextBrowser *browser() const { return m_browser; }
    QLineEdit *searchField() const { return m_search; }
    QListWidget *results() const { return m_results; }

private:
    void runSearch();
    void openResult();
    void openLink(const QUrl &url);
    void indexPages();

    QString m_folder;
    QStringList m_pages;
    QStringList m_texts;  // plain text of each page, lower case
    QStringList m_titles;
    QTextBrowser *m_browser = nullptr;
    QLineEdit *m_search = nullptr;
    QListWidget *m_results = nullptr;
    QToolButton *m_back = nullptr, *m_forward = nullptr;
};
