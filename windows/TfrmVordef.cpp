// The reference-tables window: FormCreate, the page change that moves the
// navigator, OK and Cancel over all nine tables, the import button, and
// the CDDB page over media::CddbServerList.
#include "windows/TfrmVordef.h"

#include "app/Config.h"
#include "app/Language.h"
#include "media/CddbServerList.h"
#include "platform/TextEditor.h"
#include "storage/DatabaseSchema.h"
#include "storage/TXbaseDataSet.h"
#include "toolkit/controls/DBGrid.h"
#include "toolkit/controls/DBNavigator.h"
#include "toolkit/data/DataSource.h"
#include "toolkit/text/ExceptionGuard.h"
#include "toolkit/text/Language.h"
#include "toolkit/text/MessageBox.h"
#include "toolkit/text/Tag.h"
#include "toolkit/text/Translator.h"
#include "windows/DetailPage.h"
#include "windows/ServerListEditor.h"

#include <QCloseEvent>
#include <QEventLoop>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QListWidget>
#include <QPainter>
#include <QProcess>
#include <QPushButton>
#include <QStyledItemDelegate>
#include <QTabWidget>
#include <QToolButton>
#include <QVBoxLayout>

#include <cstring>

namespace {

constexpr int kBase = 2150;
constexpr int kCddbPageTag = 14;
constexpr int kTextCloseQuestion = 10002;
constexpr int kTextSettingsNotSaved = 4990;
constexpr QSize kClientSize(600, 360);

// Table files in the order OK and Cancel work through them.
constexpr const char *kCommitOrder[] = {"STAATEN.DBF", "PLZ.DBF",      "BSPARTEN.DBF", "MSPARTEN.DBF", "VSPARTEN.DBF",
                                        "INTERPRE.DBF", "TITEL.DBF", "SEX.DBF",      "AUTOREN.DBF"};
// ... and in the order the window opens them.
constexpr const char *kOpenOrder[] = {"MSPARTEN.DBF", "VSPARTEN.DBF", "INTERPRE.DBF", "PLZ.DBF",    "TITEL.DBF",
                                      "SEX.DBF",      "STAATEN.DBF",  "BSPARTEN.DBF", "AUTOREN.DBF"};

using tk::CellCase;

// A column with its input rule.
tk::DBGridColumn column(const char *field, const char *title, CellCase textCase = CellCase::AsTyped,
                        int minLength = 0, int maxLength = 0, int width = 0, Qt::Alignment alignment = {})
{
    tk::DBGridColumn c = detailpage::column(field, title, width, alignment);
    c.Case = textCase;
    c.MinLength = minLength;
    c.MaxLength = maxLength;
    return c;
}

// A required first letter in upper case, the rest as typed.
tk::DBGridColumn named(const char *field, const char *title, int maxLength, int width = 0)
{
    return column(field, title, CellCase::FirstUpper, 1, maxLength, width);
}

QToolButton *speedButton(QWidget *parent, const char *name, const char *caption, int tag)
{
    auto *b = new QToolButton(parent);
    b->setObjectName(QString::fromLatin1(name));
    b->setText(QString::fromUtf8(caption));
    b->setToolButtonStyle(Qt::ToolButtonTextOnly);
    b->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    b->setFocusPolicy(Qt::TabFocus);
    tk::setTag(b, tag);
    return b;
}

QLabel *captionLabel(QWidget *parent, const char *name, const char *caption, int tag)
{
    auto *l = new QLabel(QString::fromUtf8(caption), parent);
    l->setObjectName(QString::fromLatin1(name));
    if (tag)
        tk::setTag(l, tag);
    return l;
}

QLabel *choiceLabel(QWidget *parent, const char *name)
{
    auto *l = new QLabel(parent);
    l->setObjectName(QString::fromLatin1(name));
    l->setStyleSheet(QStringLiteral("color: green;"));
    l->setTextInteractionFlags(Qt::TextSelectableByMouse);
    return l;
}

// Server lines in black, every other line (status, header, the final ".",
// the placeholder) in silver.
class ServerLineDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override
    {
        const QString text = index.data().toString();
        const bool selected = option.state & QStyle::State_Selected;
        painter->fillRect(option.rect, option.palette.brush(selected ? QPalette::Highlight : QPalette::Base));
        painter->setPen(media::isServerLine(text) ? QColor(Qt::black) : QColor(0xC0, 0xC0, 0xC0));
        painter->setFont(option.font);
        painter->drawText(option.rect.adjusted(2, 0, -2, 0), Qt::AlignLeft | Qt::AlignVCenter, text);
    }
};

} // namespace

struct TfrmVordef::Page {
    int tag;
    const char *caption;
    const char *file;
    int position;
    TXbaseDataSet **table;
    tk::DBGrid **grid;
    const char *gridName;
    std::vector<tk::DBGridColumn> columns;
    tk::DataSource *source = nullptr;
};

// The CDDB page as the server list sees it.
class TfrmVordef::ServerListView : public media::CddbServerListView {
public:
    explicit ServerListView(TfrmVordef &window) : m_w(window) {}

    void showLines(const QStringList &lines) override
    {
        m_w.lbCDDB->clear();
        m_w.lbCDDB->addItems(lines);
    }
    void setPageEnabled(bool enabled) override { m_w.m_cddbPage->setEnabled(enabled); }
    void message(const QString &text) override { tk::MessageBox::information(&m_w, text); }
    void error(const QString &text) override { tk::MessageBox::error(&m_w, text); }
    bool confirm(const QString &text) override
    {
        return tk::MessageBox::confirmation(&m_w, text) == tk::MessageBox::Answer::Yes;
    }

private:
    TfrmVordef &m_w;
};

TfrmVordef::TfrmVordef(QWidget *parent)
    : QWidget(parent), sitesHost(QString::fromLatin1(ConfigDefault::kCDDBServer)), sitesPort(QStringLiteral("80"))
{
    setObjectName(QStringLiteral("frmVordef"));
    setWindowTitle(QStringLiteral("Vordefinitionen"));
    tk::setTag(this, 1);
    setMinimumSize(kClientSize);
    resize(kClientSize);

    m_pages = {
        {5, "Musiksparten", "MSPARTEN.DBF", schema::kMsparten, &tblMSparten, &dbgMSparten, "dbgMSparten",
         {named("SPARTE", "Musiksparte:", 20)}},
        {6, "Interpreten", "INTERPRE.DBF", schema::kInterpre, &tblInterpre, &dbgInterpre, "dbgInterpre",
         {named("INTERPRET", "Interpret:", 35)}},
        {7, "Filmsparten", "VSPARTEN.DBF", schema::kVsparten, &tblVSparten, &dbgVSparten, "dbgVSparten",
         {named("SPARTE", "Filmsparte:", 20)}},
        {8, "Staaten", "STAATEN.DBF", schema::kStaaten, &tblStaaten, &dbgStaaten, "dbgStaaten",
         {column("STAAT", "Staat", CellCase::Upper, 3), named("NAME", "Name", 25)}},
        {9, "Postleitzahlen", "PLZ.DBF", schema::kPlz, &tblPlz, &dbgPlz, "dbgPlz",
         {named("GEMEINDE", "Gemeinde", 27, 27), column("BUNDESLAND", "Bld.", CellCase::Upper, 0, 2, 4, Qt::AlignCenter),
          column("STAAT", "Staat", CellCase::Upper, 3), column("PLZ", "Plz.", CellCase::AsTyped, 0, 0, 6, Qt::AlignCenter),
          column("VORWAHL", "Vorwahl", CellCase::AsTyped, 0, 0, 9)}},
        {10, "Titel u. Anreden", "TITEL.DBF", schema::kTitel, &tblTitel, &dbgTitel, "dbgTitel",
         {named("TITEL", "Titel", 18, 22), column("ANREDE", "Anrede")}},
        {11, "Geschlechter", "SEX.DBF", schema::kSex, &tblSex, &dbgSex, "dbgSex",
         {named("NAME", "Vorname", 37), column("SEX", "Geschlecht", CellCase::Upper, 1, 1, 0, Qt::AlignCenter)}},
        {12, "Buchsparten", "BSPARTEN.DBF", schema::kBsparten, &tblBSparten, &dbgBSparten, "dbgBSparten",
         {column("SPARTE", "Sparte")}},
        {13, "Autoren", "AUTOREN.DBF", schema::kAutoren, &tblAutoren, &dbgAutoren, "dbgAutoren",
         {column("AUTOR", "Autor")}},
    };

    pcVordef = new QTabWidget(this);
    pcVordef->setObjectName(QStringLiteral("pcVordef"));
    // No Tag on the page control: its Tag would be the OK button's and
    // rename the pages; the pages carry their own.
    for (Page &page : m_pages)
        createGridPage(page);
    pcVordef->addTab(createCddbPage(), QStringLiteral("CDDB-Server"));

    dbn = new tk::DBNavigator(this);
    dbn->setObjectName(QStringLiteral("dbn"));

    sbtOK = speedButton(this, "sbtOK", "&OK", 2);
    sbtcancel = speedButton(this, "sbtcancel", "&Abbruch", 3);
    btnHelp = new QPushButton(QStringLiteral("&Hilfe"), this);
    btnHelp->setObjectName(QStringLiteral("btnHelp"));
    tk::setTag(btnHelp, 4);
    btnHelp->setEnabled(false);

    auto *right = new QVBoxLayout;
    right->addWidget(sbtOK);
    right->addWidget(sbtcancel);
    right->addWidget(btnHelp);
    right->addStretch(1);
    auto *left = new QVBoxLayout;
    left->addWidget(pcVordef, 1);
    left->addWidget(dbn, 0, Qt::AlignLeft);
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(6, 6, 6, 6);
    layout->addLayout(left, 1);
    layout->addLayout(right);

    tk::translateWindow(this, kBase);
    FormCreate();
}

TfrmVordef::~TfrmVordef()
{
    dbn->OnClick = nullptr;
    for (Page &page : m_pages) {
        if (*page.table)
            (*page.table)->Close();
    }
}

QWidget *TfrmVordef::createGridPage(Page &page)
{
    auto *sheet = new QWidget;
    sheet->setObjectName(QStringLiteral("TabSheet%1").arg(page.tag));
    auto *v = new QVBoxLayout(sheet);
    v->setContentsMargins(4, 4, 4, 4);
    if (page.tag == 5) {
        auto *note = captionLabel(sheet, "Label17", "(CDDB) ... Sparten, die von den CDDB-Servern akzeptiert werden",
                                  17);
        note->setWordWrap(true);
        v->addWidget(note);
    }
    *page.table = new TXbaseDataSet(this);
    (*page.table)->setObjectName(QStringLiteral("tbl") + QString::fromLatin1(page.gridName + 3));
    page.source = new tk::DataSource(this);
    page.source->SetDataSet(*page.table);
    auto *grid = new tk::DBGrid(sheet);
    *page.grid = grid;
    grid->setObjectName(QString::fromLatin1(page.gridName));
    grid->SetColumns(page.columns);
    grid->SetDataSource(page.source);
    // The whole current row is marked, also while the focus is elsewhere.
    grid->setSelectionBehavior(QAbstractItemView::SelectRows);
    if (page.tag != 10)
        grid->horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    v->addWidget(grid, 1);
    if (page.tag == 9) {
        sbtImport = speedButton(sheet, "sbtImport", "&Import", 18);
        sbtImport->setToolTip(QStringLiteral("Postleitzahlen-Daten importieren"));
        sbtImport->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
        v->addWidget(sbtImport, 0, Qt::AlignRight);
    }
    pcVordef->addTab(sheet, QString::fromUtf8(page.caption));
    tk::setTag(sheet, page.tag);
    return sheet;
}

QWidget *TfrmVordef::createCddbPage()
{
    auto *sheet = new QWidget;
    m_cddbPage = sheet;
    sheet->setObjectName(QStringLiteral("TabSheet14"));
    tk::setTag(sheet, kCddbPageTag);
    auto *g = new QGridLayout(sheet);
    g->setContentsMargins(4, 4, 4, 4);
    lbCDDB = new QListWidget(sheet);
    lbCDDB->setObjectName(QStringLiteral("lbCDDB"));
    lbCDDB->setItemDelegate(new ServerLineDelegate(lbCDDB));
    lbCDDB->addItem(QString::fromLatin1(media::kCddbServerListPlaceholder));
    g->addWidget(lbCDDB, 0, 0, 1, 4);

    auto *buttons = new QVBoxLayout;
    sbtEdCDDB = speedButton(sheet, "sbtEdCDDB", "Serverliste bearbeiten", 15);
    sbtCDDBupd = speedButton(sheet, "sbtCDDBupd", "Serverliste erneuern", 16);
    buttons->addWidget(sbtEdCDDB);
    buttons->addWidget(sbtCDDBupd);
    buttons->addStretch(1);
    g->addLayout(buttons, 0, 4);

    lblCDDBServ = choiceLabel(sheet, "lblCDDBServ");
    lblCDDBPort = choiceLabel(sheet, "lblCDDBPort");
    lblCDDBcgi = choiceLabel(sheet, "lblCDDBcgi");
    lblCDDBType = choiceLabel(sheet, "lblCDDBType");
    g->addWidget(captionLabel(sheet, "Label19", "Preferred CDDB Server:", 19), 1, 0);
    g->addWidget(lblCDDBServ, 1, 1);
    g->addWidget(captionLabel(sheet, "Label21", "Port:", 0), 1, 2, Qt::AlignRight);
    g->addWidget(lblCDDBPort, 1, 3);
    g->addWidget(captionLabel(sheet, "Label20", "cgi at:", 20), 2, 0);
    g->addWidget(lblCDDBcgi, 2, 1);
    g->addWidget(captionLabel(sheet, "Label22", "Type:", 0), 2, 2, Qt::AlignRight);
    g->addWidget(lblCDDBType, 2, 3);
    g->setColumnStretch(1, 1);
    g->setRowStretch(0, 1);
    return sheet;
}

void TfrmVordef::openTable(Page &page)
{
    TXbaseDataSet &table = **page.table;
    detailpage::openReference(table, page.file);
    if (schema::table(page.position).encrypted) {
        schema::applyPassword(table, page.position);
        table.Refresh();
    }
}

TfrmVordef::Page *TfrmVordef::pageOf(TXbaseDataSet *table)
{
    for (Page &page : m_pages) {
        if (*page.table == table)
            return &page;
    }
    return nullptr;
}

void TfrmVordef::FormCreate()
{
    const Config &cfg = config();
    for (const char *file : kOpenOrder) {
        for (Page &page : m_pages) {
            if (std::strcmp(page.file, file) == 0)
                openTable(page);
        }
    }

    m_view = std::make_unique<ServerListView>(*this);
    m_serverList = std::make_unique<media::CddbServerList>(cfg.ZVData, *m_view);
    if (m_serverList->showFile()) {
        const int preferred = m_serverList->preferredLine(cfg.CDDBServer);
        if (preferred >= 0)
            lbCDDB->setCurrentRow(preferred);
    }
    lblCDDBServ->setText(cfg.CDDBServer);
    lblCDDBPort->setText(cfg.CDDBPort);
    lblCDDBType->setText(cfg.CDDBType);
    lblCDDBcgi->setText(cfg.CDDBcgi);

    const bool flat = cfg.Style97;
    for (QToolButton *b : {sbtOK, sbtcancel, sbtImport, sbtEdCDDB, sbtCDDBupd})
        b->setAutoRaise(flat);
    btnHelp->setFlat(flat);
    dbn->SetFlat(!flat);
    detailpage::prepareNavigator(*dbn, {dbgMSparten, dbgInterpre, dbgVSparten, dbgStaaten, dbgPlz, dbgTitel, dbgSex,
                                        dbgBSparten, dbgAutoren});

    pcVordef->setCurrentIndex(0);
    pcVordefChange();
    connect(pcVordef, &QTabWidget::currentChanged, this, [this] { tk::guarded([this] { pcVordefChange(); }); });
    connect(sbtOK, &QToolButton::clicked, this, [this] { tk::guarded([this] { CloseClick(true); }); });
    connect(sbtcancel, &QToolButton::clicked, this, [this] { tk::guarded([this] { CloseClick(false); }); });
    connect(sbtImport, &QToolButton::clicked, this, [this] { tk::guarded([this] { sbtImportClick(); }); });
    connect(sbtCDDBupd, &QToolButton::clicked, this, [this] { tk::guarded([this] { sbtCDDBupdClick(); }); });
    connect(sbtEdCDDB, &QToolButton::clicked, this, [this] { tk::guarded([this] { sbtEdCDDBClick(); }); });
    connect(lbCDDB, &QListWidget::itemClicked, this,
            [this](QListWidgetItem *item) { tk::guarded([this, item] { lbCDDBClick(lbCDDB->row(item)); }); });
}

TXbaseDataSet *TfrmVordef::navigatorTable() const
{
    tk::DataSource *source = dbn->dataSource();
    return source ? static_cast<TXbaseDataSet *>(source->dataSet()) : nullptr;
}

void TfrmVordef::pcVordefChange()
{
    const int tag = tk::tag(pcVordef->currentWidget());
    for (Page &page : m_pages) {
        if (page.tag != tag)
            continue;
        dbn->SetDataSource(page.source);
        (*page.grid)->viewport()->update();
        return;
    }
    // The CDDB page: the navigator keeps the table it had.
}

void TfrmVordef::CloseClick(bool ok)
{
    bool browsing = true;
    for (const Page &page : m_pages)
        browsing = browsing && !(*page.table)->Editing();
    if (browsing) {
        if (ok)
            storeServerChoice();
        close();
        return;
    }
    for (const char *file : kCommitOrder) {
        for (Page &page : m_pages) {
            if (std::strcmp(page.file, file) != 0)
                continue;
            if (!(*page.table)->Editing())
                continue;
            if (ok)
                (*page.table)->CheckBrowseMode();
            else
                (*page.table)->Cancel();
        }
    }
    if (ok)
        storeServerChoice();
}

void TfrmVordef::storeServerChoice()
{
    Config &cfg = config();
    int error = 0;
    if (!StoreCddbServer(cfg, lblCDDBServ->text(), lblCDDBPort->text(), lblCDDBType->text(), lblCDDBcgi->text(),
                         &error)) {
        tk::MessageBox::error(this, tk::formatText(LangText(kTextSettingsNotSaved),
                                                   {cfg.iniPath(), QString::fromLocal8Bit(std::strerror(error))}));
    }
}

void TfrmVordef::sbtImportClick()
{
    Page *page = pageOf(tblPlz);
    tblPlz->Close();
    tk::MessageBox::information(this, config().NoticeText);
    openTable(*page);
}

void TfrmVordef::sbtCDDBupdClick()
{
    m_serverList->fetch(media::configuredCddbSettings(), sitesHost, sitesPort);
}

void TfrmVordef::lbCDDBClick(int row)
{
    const std::optional<media::CddbServerChoice> choice = m_serverList->choiceAt(row);
    if (!choice)
        return;
    lblCDDBServ->setText(choice->server);
    lblCDDBPort->setText(choice->port);
    lblCDDBType->setText(choice->type);
    lblCDDBcgi->setText(choice->cgi);
}

void TfrmVordef::sbtEdCDDBClick()
{
    if (m_editing || !m_serverList->fileExists())
        return;
    const QStringList command = platform::TextEditor::userCommand();
    if (command.isEmpty() || !editWithUserEditor(command)) {
        // No desktop editor to wait for: the list is edited here.
        m_serverList->showFile();
        if (const std::optional<QStringList> edited = ServerListEditor::edit(this, m_serverList->lines()))
            m_serverList->save(*edited);
    }
    m_serverList->showFile();
}

bool TfrmVordef::editWithUserEditor(const QStringList &command)
{
    QProcess editor;
    editor.setProgram(command.first());
    editor.setArguments(command.mid(1) << m_serverList->filePath());
    editor.setProcessChannelMode(QProcess::ForwardedChannels);
    // The window waits for the editor without blocking the others' painting;
    // it takes no input and refuses to close until the editor has ended.
    m_editing = true;
    setEnabled(false);
    QEventLoop loop;
    connect(&editor, &QProcess::finished, &loop, &QEventLoop::quit);
    connect(&editor, &QProcess::errorOccurred, &loop, [&loop](QProcess::ProcessError e) {
        if (e == QProcess::FailedToStart)
            loop.quit();
    });
    editor.start();
    if (editor.state() != QProcess::NotRunning)
        loop.exec();
    const bool ran = editor.error() != QProcess::FailedToStart;
    setEnabled(true);
    m_editing = false;
    return ran;
}

void TfrmVordef::closeEvent(QCloseEvent *event)
{
    if (m_editing) {
        event->ignore();
        return;
    }
    bool editing = false;
    for (const Page &page : m_pages)
        editing = editing || ((*page.table)->Active() && (*page.table)->Editing());
    if (editing) {
        if (tk::MessageBox::show(this, tk::MessageBox::Kind::Confirmation, LangText(kTextCloseQuestion),
                                 tk::MessageBox::Buttons::OkCancel)
            != tk::MessageBox::Answer::Ok) {
            event->ignore();
            return;
        }
        for (Page &page : m_pages) {
            if ((*page.table)->Editing())
                tk::guarded([&page] { (*page.table)->Cancel(); });
        }
    }
    event->accept();
    if (QWidget *sub = parentWidget(); sub && sub->inherits("QMdiSubWindow"))
        sub->close();
}
