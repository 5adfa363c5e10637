// The main window: menu, tool bar and status bar around the area in which
// the collection windows live as child windows.
//
// Its creation finishes the start-up (error logger, database checks); its
// commands open the collections, dialogs and desk tools. A module registry
// tells it which window each collection command creates, so every
// collection window only registers its factory.
#pragma once

#include "app/Config.h"

#include <QMainWindow>

#include <array>
#include <functional>
#include <memory>

class QAction;
class QMdiArea;
class QMdiSubWindow;
class QMenu;
class QToolButton;
class TAppException;

class TfrmZV_Main : public QMainWindow {
    Q_OBJECT

public:
    using WindowFactory = std::function<QWidget *(QWidget *parent)>;

    struct Options {
        // Run the auto-update and the table and index checks at creation.
        bool databaseChecks = true;
    };

    explicit TfrmZV_Main(QWidget *parent = nullptr);
    TfrmZV_Main(const Options &options, QWidget *parent = nullptr);
    ~TfrmZV_Main() override;

    // The window a collection command opens. Registered once per process,
    // before main windows are created; a module without a factory shows the
    // notice text.
    static void registerModule(Module module, WindowFactory factory);
    // The reference-tables window; opened only after every child window
    // closed (the notice while none is registered).
    static void registerReferenceWindow(WindowFactory factory);
    static void clearModules();

    // Opens the module's window as a child window (the address book shows
    // the first-run text once).
    void openModule(Module module);
    QList<QMdiSubWindow *> childWindows() const;
    QMdiArea *clientArea() const { return m_area; }
    // Keeps menu and tool bar in step with the child windows.
    void UpdateMenuItems();
    // Opens the collections the settings mark for the start (AOpen...);
    // runs once per run, at the first activation.
    void openStartWindows();

    TAppException *AppException1 = nullptr;

    // Tool bar.
    QToolButton *sbtAdress = nullptr, *sbtTermin = nullptr, *sbtMusik = nullptr, *sbtVideo = nullptr,
                *sbtBooks = nullptr, *sbtDisketten = nullptr, *sbtPrint = nullptr, *sbtCalendar = nullptr,
                *sbtCalc = nullptr, *sbtFileMgr = nullptr, *sbtVordef = nullptr, *sbtConfig = nullptr,
                *sbtInfo = nullptr, *sbtHilfe = nullptr, *sbtEnde = nullptr;
    // Menu items.
    QAction *mnuAdressen = nullptr, *mnuTermine = nullptr, *mnuMusik = nullptr, *mnuDisketten = nullptr,
            *mnuVideo = nullptr, *mnuBooks = nullptr, *mnuDruckereinrichten = nullptr, *mnuDrucken = nullptr,
            *mnuBeenden = nullptr;
    QAction *EditUndoItem = nullptr, *EditCutItem = nullptr, *EditCopyItem = nullptr, *EditPasteItem = nullptr;
    QAction *WindowTileItem = nullptr, *WindowCascadeItem = nullptr, *WindowArrangeItem = nullptr,
            *WindowMinimizeItem = nullptr, *WindowMaximizeItem = nullptr, *Alleschlieen1 = nullptr,
            *WindowCloseItem = nullptr;
    QAction *Rechner1 = nullptr, *DateiManager1 = nullptr, *DatenbankenWartung = nullptr, *mnuReIndex = nullptr,
            *Update1 = nullptr, *Einstellungen1 = nullptr;
    QAction *HelpContentsItem = nullptr, *HelpSearchItem = nullptr, *HelpHowToUseItem = nullptr,
            *HelpAboutItem = nullptr;

signals:
    // Emitted once, when the window is first shown (the splash goes then).
    void firstShown();

protected:
    void showEvent(QShowEvent *event) override;
    void changeEvent(QEvent *event) override;
    // Each child window closes through its own question; the program stays
    // when one of them refuses.
    void closeEvent(QCloseEvent *event) override;

private slots:
    void sbtPrintClick();
    void mnuDruckereinrichtenClick();
    void sbtCalendarClick();
    void sbtCalcClick();
    void sbtFileMgrClick();
    void sbtVordefClick();
    void sbtConfigClick();
    void sbtInfoClick();
    void sbtHilfeClick();
    void mnuReIndexClick();
    void Update1Click();
    void EditUndoItemClick();
    void EditCutItemClick();
    void EditCopyItemClick();
    void EditPasteItemClick();
    void WindowArrangeItemClick();
    void WindowMinimizeItemClick();
    void WindowMaximizeItemClick();
    void Alleschlieen1Click();
    void WindowCloseItemClick();

private:
    void createMenu();
    void createToolBar();
    void finishCreation(const Options &options);
    // Closes every child (last to first); true when none is left.
    bool closeAllChildren();
    void showNotice();
    QToolButton *moduleButton(Module module) const;
    QAction *moduleItem(Module module) const;

    QMdiArea *m_area = nullptr;
    // Follows the focused text field, so Undo/Cut/Copy track its typing.
    void watchFocusedText();
    QMetaObject::Connection m_textWatch;
    bool m_shown = false;
    bool m_startWindowsOpened = false;
    bool m_auditsIndexes = false; // this window's question about disagreeing indexes is in force
};
