// The collection window frame. Handlers keep the names of the frame's
// events (FormCreate, CloseClick, meSucheChange, ...); the windows' own
// events are virtual hooks.
#include "windows/CollectionWindow.h"

#include "app/Language.h"
#include "reports/ChoiceDialog.h"
#include "reports/ReportLayout.h"
#include "reports/TfrmFilter.h"
#include "storage/DatabaseSchema.h"
#include "storage/NoteLookup.h"
#include "storage/RecordKey.h"
#include "storage/TXbaseDataSet.h"
#include "storage/XbaseQuote.h"
#include "toolkit/controls/DBMemo.h"
#include "toolkit/text/ExceptionGuard.h"
#include "toolkit/text/Language.h"
#include "toolkit/text/MessageBox.h"
#include "toolkit/text/Tag.h"
#include "toolkit/text/TextCase.h"
#include "toolkit/text/Translator.h"
#include "toolkit/data/DataSource.h"
#include "windows/DetailPage.h"
#include "windows/ExchangeCommands.h"

#include <QApplication>
#include <QCloseEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

constexpr int kTextFilterCount = 10001;
constexpr int kTextCloseQuestion = 10002;
constexpr int kTextNoRecordsMatch = 10034;
constexpr int kTextExchangeButton = 10500;
constexpr QSize kClientSize(624, 360);

} // namespace

CollectionWindow::CollectionWindow(QWidget *parent, Design design) : QWidget(parent), m_design(std::move(design)) {}

CollectionWindow::~CollectionWindow()
{
    config().open(m_design.module) = false;
    // The tables close while this window is still whole: no handler of the
    // window may run once its parts are being taken down.
    if (dsMain) {
        dsMain->OnDataChange = nullptr;
        dsMain->OnStateChange = nullptr;
    }
    if (dbn)
        dbn->OnClick = nullptr;
    if (tblMain) {
        tblMain->OnNewRecord = nullptr;
        tblMain->BeforePost = nullptr;
        tblMain->BeforeScroll = nullptr;
    }
    if (tblNotizen) {
        tblNotizen->SetMasterSource(nullptr);
        tblNotizen->Close();
    }
    if (tblMain)
        tblMain->Close();
}

void CollectionWindow::build()
{
    tk::setTag(this, 1);
    // The designed size is the default and the smallest; the pages and the
    // grid take what the user adds.
    setMinimumSize(kClientSize);
    resize(kClientSize);

    tblMain = new TXbaseDataSet(this);
    tblMain->setObjectName(QStringLiteral("tblMain"));
    tblNotizen = new TXbaseDataSet(this);
    tblNotizen->setObjectName(QStringLiteral("tblNotizen"));
    dsMain = new tk::DataSource(this);
    dsMain->AutoEdit = false;
    dsMain->SetDataSet(tblMain);
    dsNotizen = new tk::DataSource(this);
    dsNotizen->AutoEdit = false;
    dsNotizen->SetDataSet(tblNotizen);

    pc = new QTabWidget(this);
    pc->setObjectName(QStringLiteral("pc"));

    dbn = new tk::DBNavigator(this);
    dbn->setObjectName(QStringLiteral("dbn"));
    dbn->SetDataSource(dsMain);

    lblSuche = new QLabel(QStringLiteral("&Schnell-Suche:"), this);
    lblSuche->setObjectName(QStringLiteral("lblSuche"));
    meSuche = new QLineEdit(this);
    meSuche->setObjectName(QStringLiteral("meSuche"));
    lblSuche->setBuddy(meSuche);
    if (m_design.searchLabelTag)
        tk::setTag(lblSuche, m_design.searchLabelTag);
    if (m_design.searchFieldTag)
        tk::setTag(meSuche, m_design.searchFieldTag);

    lblFilter = new QLabel(QStringLiteral("[Filter aktiv]"), this);
    lblFilter->setObjectName(QStringLiteral("lblFilter"));
    lblFilter->setStyleSheet(QStringLiteral("color: green; font-weight: bold;"));
    // The label wraps inside the button column and keeps its place while
    // hidden, so showing it never moves the pages.
    lblFilter->setWordWrap(true);
    lblFilter->setAlignment(Qt::AlignHCenter | Qt::AlignBottom);
    {
        QSizePolicy policy(QSizePolicy::Ignored, QSizePolicy::Fixed);
        policy.setRetainSizeWhenHidden(true);
        lblFilter->setSizePolicy(policy);
    }
    lblFilter->setMinimumHeight(2 * lblFilter->fontMetrics().lineSpacing() + 4);
    lblFilter->hide();

    auto button = [this](QPushButton *&target, const char *name, const char *caption, int tag) {
        target = new QPushButton(QString::fromUtf8(caption), this);
        target->setObjectName(QString::fromLatin1(name));
        target->setFocusPolicy(Qt::TabFocus);
        tk::setTag(target, tag);
    };
    button(btnOK, "btnOK", "&OK", 2);
    button(btnCancel, "btnCancel", "&Abbruch", 3);
    button(btnSort, "btnSort", "&Sortierung", 4);
    button(btnPrint, "btnPrint", "&Drucken", 5);
    button(btnFilter, "btnFilter", "Daten-&Filter", 6);
    button(btnHelp, "btnHelp", "&Hilfe", m_design.helpTag);
    btnHelp->setEnabled(false);

    // Pages: the window's own, then notes and table.
    createDetailPages(pc);
    auto *notesPage = new QWidget;
    notesPage->setObjectName(QStringLiteral("tsNotizen"));
    auto *notesLayout = new QVBoxLayout(notesPage);
    notesLayout->setContentsMargins(4, 4, 4, 4);
    dbmNotiz = new tk::DBMemo(notesPage);
    dbmNotiz->setObjectName(QStringLiteral("dbmNotiz"));
    dbmNotiz->SetDataSource(dsNotizen);
    dbmNotiz->SetDataField(QStringLiteral("NOTIZ"));
    notesLayout->addWidget(dbmNotiz);
    pc->addTab(notesPage, QStringLiteral("Notizen"));
    tk::setTag(notesPage, m_design.notesPageTag);
    auto *tablePage = new QWidget;
    tablePage->setObjectName(QStringLiteral("tsTabelle"));
    auto *tableLayout = new QVBoxLayout(tablePage);
    tableLayout->setContentsMargins(2, 2, 2, 2);
    dbgTabelle = new tk::DBGrid(tablePage);
    dbgTabelle->setObjectName(QStringLiteral("dbgTabelle"));
    dbgTabelle->SetColumns(m_design.gridColumns);
    dbgTabelle->SetDataSource(dsMain);
    tableLayout->addWidget(dbgTabelle);
    pc->addTab(tablePage, QStringLiteral("Tabelle"));
    tk::setTag(tablePage, m_design.tablePageTag);

    btnExchange = ownExchangeButton();
    const bool frameExchange = btnExchange == nullptr;
    if (frameExchange) {
        btnExchange = new QPushButton(QStringLiteral("Daten-A&ustausch"), this);
        btnExchange->setObjectName(QStringLiteral("btnExchange"));
        btnExchange->setFocusPolicy(Qt::TabFocus);
    }

    // Layout: pages on the left, navigator and search below, buttons right.
    auto *right = new QVBoxLayout;
    for (QPushButton *b : {btnOK, btnCancel, btnSort, btnPrint, btnFilter, btnHelp}) {
        if (b == btnHelp && frameExchange)
            right->addWidget(btnExchange);
        right->addWidget(b);
    }
    right->addStretch(1);
    right->addWidget(lblFilter);
    auto *bottom = new QHBoxLayout;
    bottom->addWidget(dbn);
    bottom->addSpacing(12);
    bottom->addWidget(lblSuche);
    bottom->addWidget(meSuche, 1);
    auto *left = new QVBoxLayout;
    left->addWidget(pc, 1);
    left->addLayout(bottom);
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(6, 6, 6, 6);
    layout->addLayout(left, 1);
    layout->addLayout(right);

    tk::translateWindow(this, m_design.base);
    if (frameExchange && !LangText(kTextExchangeButton).isEmpty())
        btnExchange->setText(LangText(kTextExchangeButton));
    exchange = new ExchangeCommands(*this, btnExchange);
    FormCreate();
}

void CollectionWindow::reopenTables()
{
    tblNotizen->Close();
    tblMain->Close();
    tblMain->Open();
    tblNotizen->Open();
    // The window's filter stays in force, and the label says so.
    reapplyFilter();
}

void CollectionWindow::FormCreate()
{
    Config &cfg = config();
    // Tables in the data directory; deleted records hidden.
    tblMain->DatabaseName = cfg.ZVData;
    tblMain->SetTableName(QString::fromLatin1(m_design.tableFile));
    tblMain->SetIndexName(QStringLiteral("1"));
    tblNotizen->DatabaseName = cfg.ZVData;
    tblNotizen->SetTableName(QStringLiteral("NOTIZEN.DBF"));
    tblNotizen->SetIndexName(QStringLiteral("1"));
    tblMain->SetHideDeleted(true);
    tblMain->SetCentury(true);
    installNoteLookup(cfg.ZVData);
    tblMain->Open();
    tblNotizen->MasterFields = QStringLiteral("INR");
    tblNotizen->SetMasterSource(dsMain);
    tblNotizen->Open();

    tblMain->OnNewRecord = [this](tk::DataSet &ds) {
        EnsureKeyAndNotes();
        ds.FieldByName(QStringLiteral("L_UPDATE"))->SetAsDate(QDate::currentDate());
        newRecordDefaults();
    };
    tblMain->BeforePost = [](tk::DataSet &ds) {
        ds.FieldByName(QStringLiteral("L_UPDATE"))->SetAsDate(QDate::currentDate());
    };
    tblMain->BeforeScroll = [this](tk::DataSet &) { beforeScroll(); };
    dsMain->OnDataChange = [this](tk::Field *field) {
        if (!field || field->FieldName() == QLatin1String(m_design.captionField))
            setCaptionFromRecord();
        updateButtons();
    };

    prepare();
    setCaptionFromRecord();
    cfg.open(m_design.module) = true;

    const bool flat = cfg.Style97;
    for (QPushButton *b : {btnOK, btnCancel, btnSort, btnPrint, btnFilter, btnHelp, btnExchange})
        b->setFlat(flat);
    for (QAbstractButton *b : extraButtons()) {
        if (auto *push = qobject_cast<QPushButton *>(b))
            push->setFlat(flat);
        else if (auto *tool = qobject_cast<QToolButton *>(b))
            tool->setAutoRaise(flat);
    }
    dbn->SetFlat(flat);
    detailpage::prepareNavigator(*dbn, {dbgTabelle});
    pc->setCurrentIndex(0);

    dbn->OnClick = [this](tk::DBNavigator::Button button) { tk::guarded([&] { navigatorClicked(button); }); };
    connect(pc, &QTabWidget::currentChanged, this, [this] {
        setCaptionFromRecord();
        updateButtons();
    });
    connect(btnOK, &QPushButton::clicked, this, [this] { tk::guarded([this] { CloseClick(true); }); });
    connect(btnCancel, &QPushButton::clicked, this, [this] { tk::guarded([this] { CloseClick(false); }); });
    connect(btnSort, &QPushButton::clicked, this, [this] { tk::guarded([this] { btnSortClick(); }); });
    connect(btnPrint, &QPushButton::clicked, this, [this] { tk::guarded([this] { btnPrintClick(); }); });
    connect(btnFilter, &QPushButton::clicked, this, [this] { tk::guarded([this] { btnFilterClick(); }); });
    connect(meSuche, &QLineEdit::textChanged, this, [this] { tk::guarded([this] { meSucheChange(); }); });
    meSuche->installEventFilter(this);
    updateButtons();
}

bool CollectionWindow::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == meSuche) {
        if (event->type() == QEvent::KeyPress) {
            // meSucheKeyPress: remember the key; upper-case input.
            auto *key = static_cast<QKeyEvent *>(event);
            m_lastKey = key->key() == Qt::Key_Backspace ? 8 : (key->text().isEmpty() ? 0 : key->text().at(0).unicode());
            const QString text = key->text();
            if (!text.isEmpty() && text.at(0).isLetter() && text != tk::upperCase(text)) {
                meSuche->insert(tk::upperCase(text));
                return true;
            }
        } else if (event->type() == QEvent::MouseButtonRelease) {
            meSuche->selectAll(); // meSucheClick
        }
    }
    return QWidget::eventFilter(watched, event);
}

void CollectionWindow::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    meSuche->setFocus(); // FormActivate
}

void CollectionWindow::setCaptionFromRecord()
{
    const QString text = LangText(m_design.captionText);
    tk::Field *field = tblMain->Active() ? tblMain->FindField(QString::fromLatin1(m_design.captionField)) : nullptr;
    const QString value = field ? field->DisplayText() : QString();
    setWindowTitle(text.contains(QLatin1Char('%')) ? tk::formatText(text, {value}) : text + value);
}

void CollectionWindow::showNotice()
{
    tk::MessageBox::information(this, config().NoticeText);
}

void CollectionWindow::EnsureKeyAndNotes()
{
    if (!tblMain->Active())
        return;
    if (tblMain->IsEmpty() && tblMain->state() != tk::DataSet::State::Insert)
        return;
    tk::Field *inr = tblMain->FieldByName(QStringLiteral("INR"));
    QString key = inr->AsString().trimmed();
    if (key.isEmpty()) {
        key = recordkey::newKey(QString::fromLatin1(m_design.keyPrefix));
        if (tblMain->Editing()) {
            inr->SetAsString(key);
        } else {
            // A record made outside the windows gets its key stored at once,
            // so its note stays linked to it.
            tblMain->Edit();
            tblMain->FieldByName(QStringLiteral("INR"))->SetAsString(key);
            tblMain->Post();
        }
    }
    // The notes follow this record's key at once, also while it is being
    // inserted, so that its note can be written with it.
    const QString scopeKey = key.leftJustified(recordkey::kLength, QLatin1Char(' '));
    tblNotizen->SetScope(scopeKey, scopeKey);
    recordkey::ensureNote(*tblNotizen, key);
    const QString remark = remarkForEmptyNote();
    if (!remark.isEmpty() && tblNotizen->Active() && !tblNotizen->IsEmpty()) {
        tk::Field *note = tblNotizen->FieldByName(QStringLiteral("NOTIZ"));
        if (note->AsString().trimmed().isEmpty()) {
            const bool wasEditing = tblNotizen->Editing();
            if (!wasEditing)
                tblNotizen->Edit();
            note->SetAsString(remark);
            if (!wasEditing)
                tblNotizen->Post();
        }
    }
}

void CollectionWindow::EnableCommitButtons()
{
    btnOK->setEnabled(true);
    btnCancel->setEnabled(true);
}

void CollectionWindow::navigatorClicked(tk::DBNavigator::Button button)
{
    using Button = tk::DBNavigator::Button;
    switch (button) {
    case Button::First:
    case Button::Prior:
    case Button::Next:
    case Button::Last:
    case Button::Delete:
        EnsureKeyAndNotes();
        break;
    case Button::Insert:
        EnsureKeyAndNotes();
        pc->setCurrentIndex(0);
        if (QWidget *first = firstInputField(true))
            first->setFocus();
        if (editNotesOnInsert())
            tblNotizen->Edit();
        EnableCommitButtons();
        break;
    case Button::Edit:
        EnsureKeyAndNotes();
        tblNotizen->Edit();
        EnableCommitButtons();
        if (pc->currentIndex() == 0) {
            if (QWidget *first = firstInputField(false))
                first->setFocus();
        }
        break;
    default:
        break;
    }
}

void CollectionWindow::CloseClick(bool ok)
{
    if (!tblMain->Editing()) {
        close();
        return;
    }
    if (ok) {
        tblMain->CheckBrowseMode();
        if (tblNotizen->Active())
            tblNotizen->CheckBrowseMode();
    } else {
        tblMain->Cancel();
        if (tblNotizen->Active())
            tblNotizen->Cancel();
    }
}

void CollectionWindow::closeEvent(QCloseEvent *event)
{
    // FormCloseQuery: a pending edit is discarded only on OK.
    if (tblMain && tblMain->Editing()) {
        if (tk::MessageBox::show(this, tk::MessageBox::Kind::Confirmation, LangText(kTextCloseQuestion),
                                 tk::MessageBox::Buttons::OkCancel)
            != tk::MessageBox::Answer::Ok) {
            event->ignore();
            return;
        }
        tk::guarded([this] {
            tblMain->Cancel();
            if (tblNotizen->Active())
                tblNotizen->Cancel();
        });
    }
    // FormClose: the flag falls, the window and its tables go.
    config().open(m_design.module) = false;
    event->accept();
    if (QWidget *sub = parentWidget(); sub && sub->inherits("QMdiSubWindow"))
        sub->close();
}

void CollectionWindow::meSucheChange()
{
    if (pc->currentIndex() != 0)
        return;
    const QString text = meSuche->text();
    if (text.isEmpty() && m_lastKey != 8)
        return;
    TXbaseDataSet::SetSoftSeek(true);
    try {
        // The engine's own UPPER builds the key, as it builds the index keys.
        const QString key = tblMain->EvalString(QStringLiteral("UPPER(") + xbQuote(text) + QLatin1Char(')'));
        tblMain->Seek(key);
    } catch (...) {
        TXbaseDataSet::SetSoftSeek(false);
        throw;
    }
    TXbaseDataSet::SetSoftSeek(false);
    EnsureKeyAndNotes();
}

void CollectionWindow::reapplyFilter()
{
    if (m_filterInForce.isEmpty() || !tblMain->Active()) {
        lblFilter->hide();
        return;
    }
    if (tblMain->Query(m_filterInForce) <= 0) {
        m_filterInForce.clear();
        lblFilter->hide();
        tblMain->Query(QString());
        return;
    }
    lblFilter->setText(tk::formatText(LangText(kTextFilterCount), {tblMain->QueryRecCount()}));
    lblFilter->show();
}

void CollectionWindow::btnSortClick()
{
    showNotice();
}

void CollectionWindow::btnPrintClick()
{
    if (!m_design.reportChoice)
        return;
    std::unique_ptr<ChoiceDialog> dialog(m_design.reportChoice(this));
    if (dialog->exec() != QDialog::Accepted)
        return;
    const int number = ChoiceDialog::reportNumber();
    if (number < 0 || number >= static_cast<int>(m_design.layouts.size()))
        return;
    const LayoutFactory &factory = m_design.layouts[static_cast<std::size_t>(number)];
    if (!factory) {
        showNotice();
        return;
    }
    std::unique_ptr<ReportLayout> layout(factory(this));
    if (layout)
        layout->showPreview(this);
}

void CollectionWindow::btnFilterClick()
{
    TfrmFilter dialog(this);
    dialog.selectPage(m_design.filterPage);
    if (dialog.exec() != QDialog::Accepted)
        return;
    Config &cfg = config();
    const QString expression = cfg.filter(m_design.module);
    if (expression == QLatin1String(".T."))
        return;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    repaint();
    int count = 0;
    try {
        count = tblMain->Query(expression);
    } catch (...) {
        QApplication::restoreOverrideCursor();
        throw;
    }
    if (count <= 0) {
        lblFilter->hide();
        m_filterInForce.clear();
        cfg.filter(m_design.module) = QStringLiteral(".T.");
        QApplication::restoreOverrideCursor();
        tk::MessageBox::information(this, LangText(kTextNoRecordsMatch));
        tblMain->Query(QString());
    } else {
        m_filterInForce = expression;
        lblFilter->setText(tk::formatText(LangText(kTextFilterCount), {tblMain->QueryRecCount()}));
        lblFilter->show();
        QApplication::restoreOverrideCursor();
    }
    EnsureKeyAndNotes();
}
