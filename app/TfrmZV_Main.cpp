// The main window. Commands whose windows are not part of the program yet
// show the notice text; every handler runs through tk::guarded so that an
// error reaches the error logger instead of Qt.
#include "app/TfrmZV_Main.h"

#include "app/HelpWindow.h"
#include "app/Icons.h"
#include "app/Language.h"
#include "app/StartupDatabaseChecks.h"
#include "app/TAppException.h"
#include "app/ProgramUpdate.h"
#include "app/TfrmConfig.h"
#include "app/TfrmInfoBox.h"
#include "app/Version.h"
#include "platform/FormatSettings.h"
#include "platform/Process.h"
#include "storage/NoteLookup.h"
#include "toolkit/text/ExceptionGuard.h"
#include "toolkit/text/Language.h"
#include "toolkit/text/MessageBox.h"
#include "toolkit/text/Tag.h"
#include "toolkit/text/Translator.h"
#include "tools/DeskTools.h"
#include "xbase/text/Dates.h"

#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QComboBox>
#include <QDesktopServices>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QPageSetupDialog>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPrintDialog>
#include <QPrinter>
#include <QProcess>
#include <QScreen>
#include <QStatusBar>
#include <QTextEdit>
#include <QToolBar>
#include <QToolButton>
#include <QUrl>

#include <map>

namespace {

constexpr int kBase = 100;
constexpr int kTextNotice = 10004;
constexpr int kTextReindexQuestion = 10008;
constexpr int kTextNothingToPrint = 10009;
constexpr int kTextPrintQuestion = 10010;
constexpr int kTextFileManagerMissing = 10011;
constexpr int kTextFileManagerFailed = 10012;
constexpr int kTextFirstRun = 10024;

std::map<Module, TfrmZV_Main::WindowFactory> &factories()
{
    static std::map<Module, TfrmZV_Main::WindowFactory> map;
    return map;
}

TfrmZV_Main::WindowFactory &referenceFactory()
{
    static TfrmZV_Main::WindowFactory factory;
    return factory;
}

// The client area's background picture: a quiet tile of diagonal lines.
QPixmap backgroundTile()
{
    QPixmap tile(48, 48);
    tile.fill(QColor(0x6f, 0x86, 0xa6));
    QPainter painter(&tile);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(QColor(0x7b, 0x92, 0xb2), 6));
    // Stripes x + y = s every 24 pixels, the tile's size a multiple of that,
    // so each stripe goes on in the neighbouring tile.
    for (int s = -24; s <= 120; s += 24)
        painter.drawLine(QPointF(s + 24, -24), QPointF(-24, s + 24));
    return tile;
}

// The text field behind the focused control: a line edit, a text edit or
// the edit part of an editable combo box; nullptr for anything else.
QWidget *editTarget(QWidget *focus)
{
    if (auto *combo = qobject_cast<QComboBox *>(focus))
        return combo->isEditable() ? combo->lineEdit() : nullptr;
    if (qobject_cast<QLineEdit *>(focus) || qobject_cast<QTextEdit *>(focus) || qobject_cast<QPlainTextEdit *>(focus))
        return focus;
    return nullptr;
}

QString programStamp()
{
    const QDateTime stamp = QFileInfo(QApplication::applicationFilePath()).lastModified();
    const platform::FormatSettings &fs = platform::FormatSettings::current();
    const std::string date = xb::formatDate(xb::Date{stamp.date().year(), stamp.date().month(), stamp.date().day()},
                                            fs.shortDateFormat.toStdString());
    return QString::fromStdString(date) + QLatin1Char(' ') + stamp.time().toString(fs.longTimeFormat);
}

// The configuration dialog, modal; at the file manager's entry when the
// user comes from a file manager that was not found.
void runConfigDialog(QWidget *parent, bool atFileManager)
{
    TfrmConfig dialog(parent);
    if (atFileManager)
        dialog.showFileManagerChoice();
    dialog.exec();
}

} // namespace

void TfrmZV_Main::registerModule(Module module, WindowFactory factory)
{
    factories()[module] = std::move(factory);
}

void TfrmZV_Main::registerReferenceWindow(WindowFactory factory)
{
    referenceFactory() = std::move(factory);
}

void TfrmZV_Main::clearModules()
{
    factories().clear();
    referenceFactory() = nullptr;
}

TfrmZV_Main::TfrmZV_Main(QWidget *parent) : TfrmZV_Main(Options(), parent) {}

TfrmZV_Main::TfrmZV_Main(const Options &options, QWidget *parent) : QMainWindow(parent)
{
    setObjectName(QStringLiteral("frmZV_Main"));
    setWindowTitle(QStringLiteral("Tessaron"));
    setMinimumSize(440, 296);
    resize(644, 486);
    if (QScreen *screen = this->screen())
        move(screen->availableGeometry().center() - rect().center());

    m_area = new QMdiArea(this);
    m_area->setObjectName(QStringLiteral("ClientArea"));
    m_area->setFrameShape(QFrame::Panel);
    m_area->setFrameShadow(QFrame::Sunken);
    m_area->setBackground(QBrush(backgroundTile()));
    setCentralWidget(m_area);

    createMenu();
    createToolBar();
    auto *bar = new QStatusBar(this);
    bar->setObjectName(QStringLiteral("StatusBar1"));
    setStatusBar(bar);

    AppException1 = new TAppException(this);
    AppException1->setObjectName(QStringLiteral("AppException1"));
    AppException1->ErrorLog = QStringLiteral("Tessaron.ERR");

    tk::translateWindow(this, kBase);
    finishCreation(options);
}

TfrmZV_Main::~TfrmZV_Main()
{
    if (m_auditsIndexes)
        RemoveIndexAudit();
    // The child windows go while this window is still whole: their
    // destruction updates the menu. Focus and clipboard news stop first.
    disconnect(qApp, nullptr, this, nullptr);
    disconnect(m_textWatch);
    disconnect(QApplication::clipboard(), nullptr, this, nullptr);
    const QList<QMdiSubWindow *> children = m_area->subWindowList();
    for (QMdiSubWindow *child : children)
        delete child;
    disconnect(m_area, nullptr, this, nullptr);
}

void TfrmZV_Main::createMenu()
{
    struct Item {
        QAction **target;
        const char *name;
        int tag;
        const char *caption;
    };
    auto addItems = [this](QMenu *menu, std::initializer_list<Item> items) {
        for (const Item &item : items) {
            if (!item.target) {
                menu->addSeparator();
                continue;
            }
            QAction *action = menu->addAction(QString::fromUtf8(item.caption));
            action->setObjectName(QString::fromLatin1(item.name));
            tk::setTag(action, item.tag);
            *item.target = action;
        }
    };
    auto addMenu = [this](const char *name, int tag, const char *caption) {
        QMenu *menu = menuBar()->addMenu(QString::fromUtf8(caption));
        menu->setObjectName(QString::fromLatin1(name));
        tk::setTag(menu->menuAction(), tag);
        return menu;
    };

    addItems(addMenu("mnuDaten", 35, "Da&ten"),
             {{&mnuAdressen, "mnuAdressen", 1, "&Adressen"},
              {&mnuTermine, "mnuTermine", 2, "&Termine"},
              {&mnuMusik, "mnuMusik", 3, "&Musik"},
              {&mnuDisketten, "mnuDisketten", 4, "&Disketten"},
              {&mnuVideo, "mnuVideo", 5, "&Video"},
              {&mnuBooks, "mnuBooks", 6, "&Bücherei"},
              {nullptr, nullptr, 0, nullptr},
              {&mnuDruckereinrichten, "mnuDruckereinrichten", 7, "Drucker &einrichten"},
              {&mnuDrucken, "mnuDrucken", 8, "&Drucken"},
              {nullptr, nullptr, 0, nullptr},
              {&mnuBeenden, "mnuBeenden", 9, "&Beenden"}});
    QMenu *editMenu = addMenu("EditMenu", 14, "&Bearbeiten");
    connect(editMenu, &QMenu::aboutToShow, this, [this] { UpdateMenuItems(); });
    addItems(editMenu,
             {{&EditUndoItem, "EditUndoItem", 10, "&Rückgängig"},
              {nullptr, nullptr, 0, nullptr},
              {&EditCutItem, "EditCutItem", 11, "&Ausschneiden"},
              {&EditCopyItem, "EditCopyItem", 12, "&Kopieren"},
              {&EditPasteItem, "EditPasteItem", 13, "&Einfügen"}});
    addItems(addMenu("WindowMenu", 15, "&Fenster"),
             {{&WindowTileItem, "WindowTileItem", 16, "&Nebeneinander"},
              {&WindowCascadeItem, "WindowCascadeItem", 17, "&Übereinander"},
              {&WindowArrangeItem, "WindowArrangeItem", 18, "S&ymbole anordnen"},
              {&WindowMinimizeItem, "WindowMinimizeItem", 19, "&Alle verkleinern"},
              {&WindowMaximizeItem, "WindowMaximizeItem", 20, "&Maximieren"},
              {&Alleschlieen1, "Alleschlieen1", 21, "Alle s&chließen"},
              {&WindowCloseItem, "WindowCloseItem", 22, "&Schließen"}});
    addItems(addMenu("Extras1", 23, "E&xtras"),
             {{&Rechner1, "Rechner1", 24, "&Rechner"},
              {&DateiManager1, "DateiManager1", 25, "&Datei-Manager"},
              {nullptr, nullptr, 0, nullptr},
              {&DatenbankenWartung, "DatenbankenWartung", 26, "Referenz-Datenbanken &warten"},
              {&mnuReIndex, "mnuReIndex", 27, "Daten &reorganisieren"},
              {nullptr, nullptr, 0, nullptr},
              {&Update1, "Update1", 28, "Programm-&Update"},
              {&Einstellungen1, "Einstellungen1", 29, "&Optionen"}});
    addItems(addMenu("HelpMenu", 30, "&Hilfe"),
             {{&HelpContentsItem, "HelpContentsItem", 31, "&Inhalt"},
              {&HelpSearchItem, "HelpSearchItem", 32, "&Suchen..."},
              {&HelpHowToUseItem, "HelpHowToUseItem", 33, "&Hilfe benutzen"},
              {nullptr, nullptr, 0, nullptr},
              {&HelpAboutItem, "HelpAboutItem", 34, "Inf&o..."}});

    const std::pair<QAction *, const char *> pictures[] = {
        {mnuAdressen, "address-book"}, {mnuTermine, "appointment"}, {mnuMusik, "music"},
        {mnuDisketten, "diskette"}, {mnuVideo, "video"}, {mnuBooks, "books"},
        {mnuDruckereinrichten, "page-setup"}, {mnuDrucken, "print"}, {mnuBeenden, "exit"},
        {EditUndoItem, "undo"}, {EditCutItem, "cut"}, {EditCopyItem, "copy"}, {EditPasteItem, "paste"},
        {WindowTileItem, "window-tile"}, {WindowCascadeItem, "window-cascade"},
        {WindowArrangeItem, "window-arrange"}, {WindowMinimizeItem, "window-minimize"},
        {WindowMaximizeItem, "window-maximize"}, {Alleschlieen1, "window-close-all"},
        {WindowCloseItem, "window-close"}, {Rechner1, "calculator"}, {DateiManager1, "file-manager"},
        {DatenbankenWartung, "reference-tables"}, {mnuReIndex, "reindex"}, {Update1, "update"},
        {Einstellungen1, "options"}, {HelpContentsItem, "help"}, {HelpSearchItem, "help-search"},
        {HelpHowToUseItem, "help-howto"}, {HelpAboutItem, "info"},
    };
    for (const auto &[action, picture] : pictures)
        action->setIcon(appicons::icon(QString::fromLatin1(picture)));

    mnuBeenden->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_F12));
    mnuDisketten->setVisible(false);
    mnuDisketten->setEnabled(false);
    EditUndoItem->setEnabled(false);
    HelpContentsItem->setEnabled(false);
    HelpSearchItem->setEnabled(false);
    HelpHowToUseItem->setEnabled(false);

    auto guard = [this](QAction *action, void (TfrmZV_Main::*slot)()) {
        connect(action, &QAction::triggered, this, [this, slot] { tk::guarded([&] { (this->*slot)(); }); });
    };
    auto open = [this](QAction *action, Module module) {
        connect(action, &QAction::triggered, this, [this, module] { tk::guarded([&] { openModule(module); }); });
    };
    open(mnuAdressen, Module::Addresses);
    open(mnuTermine, Module::Appointments);
    open(mnuMusik, Module::Music);
    open(mnuVideo, Module::Videos);
    open(mnuBooks, Module::Books);
    guard(mnuDruckereinrichten, &TfrmZV_Main::mnuDruckereinrichtenClick);
    guard(mnuDrucken, &TfrmZV_Main::sbtPrintClick);
    connect(mnuBeenden, &QAction::triggered, this, &QWidget::close);
    guard(EditUndoItem, &TfrmZV_Main::EditUndoItemClick);
    guard(EditCutItem, &TfrmZV_Main::EditCutItemClick);
    guard(EditCopyItem, &TfrmZV_Main::EditCopyItemClick);
    guard(EditPasteItem, &TfrmZV_Main::EditPasteItemClick);
    connect(WindowTileItem, &QAction::triggered, m_area, &QMdiArea::tileSubWindows);
    connect(WindowCascadeItem, &QAction::triggered, m_area, &QMdiArea::cascadeSubWindows);
    guard(WindowArrangeItem, &TfrmZV_Main::WindowArrangeItemClick);
    guard(WindowMinimizeItem, &TfrmZV_Main::WindowMinimizeItemClick);
    guard(WindowMaximizeItem, &TfrmZV_Main::WindowMaximizeItemClick);
    guard(Alleschlieen1, &TfrmZV_Main::Alleschlieen1Click);
    guard(WindowCloseItem, &TfrmZV_Main::WindowCloseItemClick);
    guard(Rechner1, &TfrmZV_Main::sbtCalcClick);
    guard(DateiManager1, &TfrmZV_Main::sbtFileMgrClick);
    guard(DatenbankenWartung, &TfrmZV_Main::sbtVordefClick);
    guard(mnuReIndex, &TfrmZV_Main::mnuReIndexClick);
    guard(Update1, &TfrmZV_Main::Update1Click);
    guard(Einstellungen1, &TfrmZV_Main::sbtConfigClick);
    guard(HelpContentsItem, &TfrmZV_Main::sbtHilfeClick);
    guard(HelpAboutItem, &TfrmZV_Main::sbtInfoClick);
}

void TfrmZV_Main::createToolBar()
{
    auto *bar = new QToolBar(this);
    bar->setObjectName(QStringLiteral("Panel1"));
    bar->setMovable(false);
    bar->setFloatable(false);
    bar->setIconSize(QSize(24, 24));
    bar->setFixedHeight(34);
    addToolBar(Qt::TopToolBarArea, bar);

    struct Button {
        QToolButton **target;
        const char *name;
        int tag;
        const char *icon;
    };
    const Button buttons[] = {
        {&sbtAdress, "sbtAdress", 40, "address-book"},
        {&sbtTermin, "sbtTermin", 41, "appointment"},
        {&sbtMusik, "sbtMusik", 42, "music"},
        {&sbtVideo, "sbtVideo", 44, "video"},
        {&sbtBooks, "sbtBooks", 45, "books"},
        {&sbtDisketten, "sbtDisketten", 43, "diskette"},
        {&sbtPrint, "sbtPrint", 46, "print"},
        {&sbtCalendar, "sbtCalendar", 47, "calendar"},
        {&sbtCalc, "sbtCalc", 48, "calculator"},
        {&sbtFileMgr, "sbtFileMgr", 49, "file-manager"},
        {&sbtVordef, "sbtVordef", 50, "reference-tables"},
        {&sbtConfig, "sbtConfig", 51, "options"},
        {&sbtInfo, "sbtInfo", 52, "info"},
        {&sbtHilfe, "sbtHilfe", 53, "help"},
        {&sbtEnde, "sbtEnde", 54, "exit"},
    };
    for (const Button &b : buttons) {
        auto *button = new QToolButton(bar);
        button->setObjectName(QString::fromLatin1(b.name));
        button->setIcon(appicons::icon(QString::fromLatin1(b.icon)));
        button->setToolButtonStyle(Qt::ToolButtonIconOnly);
        button->setAutoRaise(config().Style97);
        tk::setTag(button, b.tag);
        QAction *holder = bar->addWidget(button);
        if (b.target == &sbtDisketten)
            holder->setVisible(false);
        *b.target = button;
        if (b.target == &sbtFileMgr || b.target == &sbtInfo || b.target == &sbtEnde)
            bar->addSeparator();
    }
    sbtDisketten->setEnabled(false);

    auto guard = [this](QToolButton *button, void (TfrmZV_Main::*slot)()) {
        connect(button, &QToolButton::clicked, this, [this, slot] { tk::guarded([&] { (this->*slot)(); }); });
    };
    auto open = [this](QToolButton *button, Module module) {
        connect(button, &QToolButton::clicked, this, [this, module] { tk::guarded([&] { openModule(module); }); });
    };
    open(sbtAdress, Module::Addresses);
    open(sbtTermin, Module::Appointments);
    open(sbtMusik, Module::Music);
    open(sbtVideo, Module::Videos);
    open(sbtBooks, Module::Books);
    guard(sbtPrint, &TfrmZV_Main::sbtPrintClick);
    guard(sbtCalendar, &TfrmZV_Main::sbtCalendarClick);
    guard(sbtCalc, &TfrmZV_Main::sbtCalcClick);
    guard(sbtFileMgr, &TfrmZV_Main::sbtFileMgrClick);
    guard(sbtVordef, &TfrmZV_Main::sbtVordefClick);
    guard(sbtConfig, &TfrmZV_Main::sbtConfigClick);
    guard(sbtInfo, &TfrmZV_Main::sbtInfoClick);
    guard(sbtHilfe, &TfrmZV_Main::sbtHilfeClick);
    connect(sbtEnde, &QToolButton::clicked, this, &QWidget::close);
}

void TfrmZV_Main::finishCreation(const Options &options)
{
    Config &cfg = config();
    AppException1->UserName = QStringLiteral("Vizezaz A");
    AppException1->install();

    connect(m_area, &QMdiArea::subWindowActivated, this, [this] { UpdateMenuItems(); });
    connect(qApp, &QApplication::focusChanged, this, [this] {
        watchFocusedText();
        UpdateMenuItems();
    });
    connect(QApplication::clipboard(), &QClipboard::dataChanged, this, [this] { UpdateMenuItems(); });

    statusBar()->showMessage(QStringLiteral("Tessaron Version %1 vom %2")
                                 .arg(QString::fromLatin1(kProgramVersion), programStamp()));
    cfg.NoticeText = LangText(kTextNotice);

    installNoteLookup(cfg.ZVData);
    UpdateMenuItems();
    if (options.databaseChecks) {
        // The auto-update, then missing tables and missing index files.
        tk::guarded([this] { RunStartupDatabaseChecks(this); });
        InstallIndexAudit(this);
        m_auditsIndexes = true;
    }
}

QList<QMdiSubWindow *> TfrmZV_Main::childWindows() const
{
    return m_area->subWindowList(QMdiArea::CreationOrder);
}

QToolButton *TfrmZV_Main::moduleButton(Module module) const
{
    switch (module) {
    case Module::Addresses: return sbtAdress;
    case Module::Appointments: return sbtTermin;
    case Module::Music: return sbtMusik;
    case Module::Diskettes: return sbtDisketten;
    case Module::Videos: return sbtVideo;
    case Module::Books: return sbtBooks;
    }
    return nullptr;
}

QAction *TfrmZV_Main::moduleItem(Module module) const
{
    switch (module) {
    case Module::Addresses: return mnuAdressen;
    case Module::Appointments: return mnuTermine;
    case Module::Music: return mnuMusik;
    case Module::Diskettes: return mnuDisketten;
    case Module::Videos: return mnuVideo;
    case Module::Books: return mnuBooks;
    }
    return nullptr;
}

void TfrmZV_Main::UpdateMenuItems()
{
    const bool childActive = m_area->activeSubWindow() != nullptr || !m_area->subWindowList().isEmpty();
    for (QAction *a : {WindowCascadeItem, WindowTileItem, WindowArrangeItem, WindowMinimizeItem, WindowCloseItem,
                       WindowMaximizeItem, Alleschlieen1, mnuDrucken})
        a->setEnabled(childActive);

    Config &cfg = config();
    for (Module m : {Module::Addresses, Module::Appointments, Module::Music, Module::Videos, Module::Books}) {
        const bool closed = !cfg.open(m);
        moduleButton(m)->setEnabled(closed);
        moduleItem(m)->setEnabled(closed);
    }
    sbtDisketten->setEnabled(false);
    mnuDisketten->setEnabled(false);

    QWidget *focus = QApplication::focusWidget();
    const bool focusInChild = childActive && focus && m_area->isAncestorOf(focus);
    bool canUndo = false;
    bool editable = false;
    QWidget *target = focusInChild ? editTarget(focus) : nullptr;
    if (auto *line = qobject_cast<QLineEdit *>(target)) {
        canUndo = line->isUndoAvailable();
        editable = !line->isReadOnly();
    } else if (auto *text = qobject_cast<QTextEdit *>(target)) {
        canUndo = text->document()->isUndoAvailable();
        editable = !text->isReadOnly();
    } else if (auto *plain = qobject_cast<QPlainTextEdit *>(target)) {
        canUndo = plain->document()->isUndoAvailable();
        editable = !plain->isReadOnly();
    }
    EditUndoItem->setEnabled(canUndo);
    EditCutItem->setEnabled(editable);
    EditCopyItem->setEnabled(editable);
    EditPasteItem->setEnabled(editable && !QApplication::clipboard()->text().isEmpty());
}

void TfrmZV_Main::watchFocusedText()
{
    disconnect(m_textWatch);
    QWidget *target = editTarget(QApplication::focusWidget());
    auto refresh = [this] { UpdateMenuItems(); };
    if (auto *line = qobject_cast<QLineEdit *>(target))
        m_textWatch = connect(line, &QLineEdit::textChanged, this, refresh);
    else if (auto *text = qobject_cast<QTextEdit *>(target))
        m_textWatch = connect(text, &QTextEdit::textChanged, this, refresh);
    else if (auto *plain = qobject_cast<QPlainTextEdit *>(target))
        m_textWatch = connect(plain, &QPlainTextEdit::textChanged, this, refresh);
}

void TfrmZV_Main::showNotice()
{
    tk::MessageBox::information(this, config().NoticeText);
}

void TfrmZV_Main::openModule(Module module)
{
    Config &cfg = config();
    if (module == Module::Addresses && cfg.ZVCalls == 0) {
        tk::MessageBox::information(this, LangText(kTextFirstRun));
        cfg.ZVCalls = 1;
    }
    const auto it = factories().find(module);
    if (it == factories().end() || !it->second) {
        showNotice();
        return;
    }
    QWidget *window = it->second(m_area);
    if (!window)
        return;
    QMdiSubWindow *sub = m_area->addSubWindow(window);
    sub->setAttribute(Qt::WA_DeleteOnClose);
    sub->setWindowIcon(moduleButton(module)->icon());
    sub->resize(sub->minimumSizeHint());
    sub->move(0, 0);
    cfg.open(module) = true;
    // The flag falls with the window, however it closes.
    connect(window, &QObject::destroyed, this, [this, module] {
        config().open(module) = false;
        UpdateMenuItems();
    });
    sub->show();
    UpdateMenuItems();
}

bool TfrmZV_Main::closeAllChildren()
{
    const QList<QMdiSubWindow *> children = childWindows();
    for (auto it = children.crbegin(); it != children.crend(); ++it)
        (*it)->close();
    QApplication::processEvents();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    return m_area->subWindowList().isEmpty();
}

void TfrmZV_Main::sbtPrintClick()
{
    if (m_area->subWindowList().isEmpty()) {
        tk::MessageBox::error(this, LangText(kTextNothingToPrint));
        return;
    }
    if (tk::MessageBox::confirmation(this, LangText(kTextPrintQuestion)) != tk::MessageBox::Answer::Yes)
        return;
    QMdiSubWindow *active = m_area->activeSubWindow() ? m_area->activeSubWindow() : m_area->subWindowList().last();
    const QPixmap image = active->widget()->grab();
    QPrinter printer;
    printer.setDocName(active->windowTitle());
    QPrintDialog dialog(&printer, this);
    if (dialog.exec() != QDialog::Accepted)
        return;
    QPainter painter(&printer);
    const QRect page = painter.viewport();
    const QSize size = image.size().scaled(page.size(), Qt::KeepAspectRatio);
    painter.drawPixmap(QRect(page.topLeft(), size), image);
}

void TfrmZV_Main::mnuDruckereinrichtenClick()
{
    QPrinter printer;
    QPageSetupDialog dialog(&printer, this);
    dialog.exec();
}

void TfrmZV_Main::sbtCalendarClick()
{
    tools::openCalendar(this, config().Style97);
}

void TfrmZV_Main::sbtCalcClick()
{
    tools::openCalculator(this, config().Calculator);
}

void TfrmZV_Main::sbtFileMgrClick()
{
    const QString program = config().FileManN;
    const QStringList parts = QProcess::splitCommand(program);
    const QString executable = parts.value(0);
    if (executable.isEmpty() || !QFileInfo::exists(executable)) {
        tk::MessageBox::error(this, tk::formatText(LangText(kTextFileManagerMissing), {program}));
        // The message sends the user to the options: take them there.
        if (closeAllChildren())
            runConfigDialog(this, true);
        return;
    }
    // A file manager started without a folder opens the data directory.
    QStringList arguments = parts.mid(1);
    if (arguments.isEmpty())
        arguments << config().ZVData;
    const int code = platform::Process::startDetached(executable, arguments);
    if (code != 0)
        tk::MessageBox::error(this, tk::formatText(LangText(kTextFileManagerFailed), {code, program}));
}

void TfrmZV_Main::sbtVordefClick()
{
    if (!closeAllChildren())
        return;
    if (!referenceFactory()) {
        showNotice();
        return;
    }
    QWidget *window = referenceFactory()(m_area);
    if (!window)
        return;
    QMdiSubWindow *sub = m_area->addSubWindow(window);
    sub->setAttribute(Qt::WA_DeleteOnClose);
    sub->setWindowIcon(sbtVordef->icon());
    sub->resize(sub->minimumSizeHint());
    sub->move(0, 0);
    connect(window, &QObject::destroyed, this, [this] { UpdateMenuItems(); });
    sub->show();
    UpdateMenuItems();
}

void TfrmZV_Main::sbtConfigClick()
{
    if (closeAllChildren())
        runConfigDialog(this, false);
}

void TfrmZV_Main::sbtInfoClick()
{
    TfrmInfoBox dialog(this);
    dialog.exec();
}

void TfrmZV_Main::sbtHilfeClick()
{
    const Config &cfg = config();
    if (!HelpWindow::open(HelpWindow::folderFor(cfg.shareDir(), cfg.Language), this))
        showNotice();
}

void TfrmZV_Main::mnuReIndexClick()
{
    if (tk::MessageBox::confirmation(this, LangText(kTextReindexQuestion)) != tk::MessageBox::Answer::Yes)
        return;
    if (!closeAllChildren())
        return;
    RunFullReindex(this);
}

void TfrmZV_Main::Update1Click()
{
    update::Hooks hooks;
    hooks.closeAllChildren = [this] { return closeAllChildren(); };
    if (update::RunProgramUpdate(this, config(), hooks)) {
        // The update is in place; the new files take over at the next start.
        close();
        QApplication::quit();
    }
}

void TfrmZV_Main::EditUndoItemClick()
{
    QWidget *focus = editTarget(QApplication::focusWidget());
    if (auto *line = qobject_cast<QLineEdit *>(focus))
        line->undo();
    else if (auto *text = qobject_cast<QTextEdit *>(focus))
        text->undo();
    else if (auto *plain = qobject_cast<QPlainTextEdit *>(focus))
        plain->undo();
}

void TfrmZV_Main::EditCutItemClick()
{
    QWidget *focus = editTarget(QApplication::focusWidget());
    if (auto *line = qobject_cast<QLineEdit *>(focus))
        line->cut();
    else if (auto *text = qobject_cast<QTextEdit *>(focus))
        text->cut();
    else if (auto *plain = qobject_cast<QPlainTextEdit *>(focus))
        plain->cut();
}

void TfrmZV_Main::EditCopyItemClick()
{
    QWidget *focus = editTarget(QApplication::focusWidget());
    if (auto *line = qobject_cast<QLineEdit *>(focus))
        line->copy();
    else if (auto *text = qobject_cast<QTextEdit *>(focus))
        text->copy();
    else if (auto *plain = qobject_cast<QPlainTextEdit *>(focus))
        plain->copy();
}

void TfrmZV_Main::EditPasteItemClick()
{
    QWidget *focused = QApplication::focusWidget();
    if (!focused || !m_area->isAncestorOf(focused))
        return;
    QWidget *focus = editTarget(focused);
    if (auto *line = qobject_cast<QLineEdit *>(focus))
        line->paste();
    else if (auto *text = qobject_cast<QTextEdit *>(focus))
        text->paste();
    else if (auto *plain = qobject_cast<QPlainTextEdit *>(focus))
        plain->paste();
}

void TfrmZV_Main::WindowArrangeItemClick()
{
    // Minimised windows line up along the bottom edge of the client area.
    int x = 0;
    for (QMdiSubWindow *sub : childWindows()) {
        if (!sub->isMinimized())
            continue;
        const QSize size = sub->size();
        sub->move(x, m_area->viewport()->height() - size.height());
        x += size.width();
    }
}

void TfrmZV_Main::WindowMinimizeItemClick()
{
    const QList<QMdiSubWindow *> children = childWindows();
    for (auto it = children.crbegin(); it != children.crend(); ++it)
        (*it)->showMinimized();
}

void TfrmZV_Main::WindowMaximizeItemClick()
{
    if (QMdiSubWindow *active = m_area->activeSubWindow())
        active->showMaximized();
}

void TfrmZV_Main::Alleschlieen1Click()
{
    closeAllChildren();
}

void TfrmZV_Main::WindowCloseItemClick()
{
    if (QMdiSubWindow *active = m_area->activeSubWindow())
        active->close();
}

void TfrmZV_Main::showEvent(QShowEvent *event)
{
    QMainWindow::showEvent(event);
    if (!m_shown) {
        m_shown = true;
        // The busy cursor of the start-up ends with the main window.
        while (QApplication::overrideCursor())
            QApplication::restoreOverrideCursor();
        emit firstShown();
    }
}

void TfrmZV_Main::closeEvent(QCloseEvent *event)
{
    if (!closeAllChildren()) {
        event->ignore();
        return;
    }
    QMainWindow::closeEvent(event);
}

void TfrmZV_Main::changeEvent(QEvent *event)
{
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow())
        tk::guarded([this] { openStartWindows(); });
}

void TfrmZV_Main::openStartWindows()
{
    // The collections marked for the start open once per run, on the first
    // activation.
    if (m_startWindowsOpened)
        return;
    m_startWindowsOpened = true;
    const Config &cfg = config();
    if (cfg.AOpen)
        openModule(Module::Addresses);
    if (cfg.TOpen)
        openModule(Module::Appointments);
    if (cfg.MOpen)
        openModule(Module::Music);
    if (cfg.VOpen)
        openModule(Module::Videos);
    if (cfg.BOpen)
        openModule(Module::Books);
}
