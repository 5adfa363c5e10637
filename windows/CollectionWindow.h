// The frame every collection window shares: the main table and its notes,
// detail pages plus a notes page and a table page, the record navigator,
// the quick search, OK and Cancel, and the sort, print and filter buttons.
//
// A window passes its differences as a Design (table, key prefix, texts,
// pages, grid columns, reports) and adds its own fields on the detail pages
// in createDetailPages(). The frame owns the datasets from creation to
// destruction.
#pragma once

#include "app/Config.h"
#include "toolkit/controls/DBGrid.h"
#include "toolkit/controls/DBNavigator.h"

#include <QWidget>

#include <functional>
#include <memory>
#include <vector>

class QAbstractButton;
class QLabel;
class QLineEdit;
class QPushButton;
class QTabWidget;
class ChoiceDialog;
class ExchangeCommands;
class ReportLayout;
class TXbaseDataSet;

namespace tk {
class DataSource;
class DBMemo;
}

class CollectionWindow : public QWidget {
    Q_OBJECT

public:
    // A report number's action: a layout to preview, or nullptr for the notice.
    using LayoutFactory = std::function<ReportLayout *(QObject *owner)>;

    struct Design {
        Module module;
        const char *tableFile;   // main table in the data directory
        const char *keyPrefix;   // "AD", "TE", ...
        int base;                // translation base
        int searchLabelTag;      // 0: none
        int searchFieldTag;      // 0: none
        int captionText;         // language text with one %s
        const char *captionField;
        int filterPage;          // page of the filter dialog
        int helpTag;             // Tag of btnHelp
        std::function<ChoiceDialog *(QWidget *parent)> reportChoice;
        std::vector<LayoutFactory> layouts; // by report number; empty entry: notice
        std::vector<tk::DBGridColumn> gridColumns;
        int notesPageTag;
        int tablePageTag;
    };

    ~CollectionWindow() override;

    TXbaseDataSet *tblMain = nullptr;
    TXbaseDataSet *tblNotizen = nullptr;
    tk::DataSource *dsMain = nullptr;
    tk::DataSource *dsNotizen = nullptr;

    QTabWidget *pc = nullptr;
    tk::DBNavigator *dbn = nullptr;
    QLabel *lblSuche = nullptr;
    QLineEdit *meSuche = nullptr;
    QLabel *lblFilter = nullptr;
    QPushButton *btnOK = nullptr, *btnCancel = nullptr, *btnSort = nullptr, *btnPrint = nullptr,
                *btnFilter = nullptr, *btnHelp = nullptr;
    // Export and import (vCard, iCalendar, CSV); the button opens their menu.
    QPushButton *btnExchange = nullptr;
    ExchangeCommands *exchange = nullptr;
    tk::DBMemo *dbmNotiz = nullptr;
    tk::DBGrid *dbgTabelle = nullptr;

    // Gives the current record a key and makes sure its notes record exists.
    void EnsureKeyAndNotes();
    void EnableCommitButtons();
    const Design &design() const { return m_design; }
    // The filter this window applied to its table; empty: none.
    QString filterInForce() const { return m_filterInForce; }
    // Closes and opens the window's tables again (after records were added
    // from outside), keeping the filter in force.
    virtual void reopenTables();

protected:
    CollectionWindow(QWidget *parent, Design design);

    // Builds the window: tables, frame, the window's pages (createDetailPages),
    // translation, then FormCreate. Call once from the subclass constructor.
    void build();

    // The window's own pages, in front of the notes and table pages.
    virtual void createDetailPages(QTabWidget *pages) = 0;
    // The window's own preparation after the tables are open.
    virtual void prepare() {}
    // New-record defaults besides the key and L_UPDATE.
    virtual void newRecordDefaults() {}
    // The field that takes the focus after insert and edit.
    virtual QWidget *firstInputField(bool inserting) = 0;
    // Window-specific enabling after a data or page change.
    virtual void updateButtons() {}
    // Called after the navigator's own action.
    virtual void navigatorClicked(tk::DBNavigator::Button button);
    // The sort button (the notice unless a window offers sorting).
    virtual void btnSortClick();
    // The main table is about to leave its current record.
    virtual void beforeScroll() {}
    // A new notes record was put into edit for an inserted record (address book).
    virtual bool editNotesOnInsert() const { return false; }
    // A text for an empty note of the current record (the address book's
    // short remark); empty: notes stay as they are.
    virtual QString remarkForEmptyNote() const { return {}; }
    // A button of the window's own that opens the exchange menu; none: the
    // frame adds one below the filter button.
    virtual QPushButton *ownExchangeButton() const { return nullptr; }
    // Buttons beside the standard ones, for the flat look.
    virtual QList<QAbstractButton *> extraButtons() const { return {}; }

    void showNotice();
    void setCaptionFromRecord();
    // Applies the window's filter again after its table was reopened, and
    // keeps the filter label in step with it.
    void reapplyFilter();
    bool eventFilter(QObject *watched, QEvent *event) override;

    void closeEvent(QCloseEvent *event) override;
    void showEvent(QShowEvent *event) override;

private slots:
    void CloseClick(bool ok);
    void meSucheChange();
    void btnPrintClick();
    void btnFilterClick();

private:
    void FormCreate();

    Design m_design;
    int m_lastKey = 0;
    QString m_filterInForce; // the query this window applied, empty: none
};
