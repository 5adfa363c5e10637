// Building blocks for the detail pages of the collection windows: labels
// and field controls that are named, tagged for the translation and bound
// to the main table's data source; reference tables that feed a lookup;
// the rating list; grid columns.
//
// Every control returned belongs to the page given (Qt parent ownership).
#pragma once

#include "toolkit/controls/DBGridModel.h"

#include <QGridLayout>
#include <QString>

#include <initializer_list>

class QLabel;
class QWidget;
class TXbaseDataSet;

namespace tk {
class DataSource;
class DBGrid;
class DBNavigator;
class DBEdit;
class DBLookupComboBox;
class TDBValueComboBox;
}

// The controls of one page, laid out in rows of label / field pairs.
class DetailPage {
public:
    // `page` gets a grid layout of its own; `source` is the data source
    // the controls bind to and must outlive them.
    DetailPage(QWidget *page, tk::DataSource *source);

    QWidget *page() const { return m_page; }
    QGridLayout *grid() const { return m_grid; }

    // A label with the Tag `tag` and the German design caption; with a
    // buddy its mnemonic focuses that control.
    QLabel *label(int tag, const char *caption, QWidget *buddy = nullptr);
    // A bound edit of `field`; `chars` > 0 fixes its width to that many
    // average characters.
    tk::DBEdit *edit(const char *name, const char *field, int tag, int chars = 0);
    // A bound lookup over `listSource`, whose `listField` is key and text.
    tk::DBLookupComboBox *lookup(const char *name, const char *field, int tag, tk::DataSource *listSource,
                                 const char *listField);
    // A drop-down list of fixed codes; items and values are set by the caller.
    tk::TDBValueComboBox *valueList(const char *name, const char *field, int tag);

    // Names, tags and binds a control made by the caller on this page.
    template <class Control> Control *bind(Control *control, const char *name, const char *field, int tag)
    {
        prepare(control, name, tag);
        control->SetDataField(QString::fromLatin1(field));
        control->SetDataSource(m_source);
        return control;
    }

    // Places `widget` in the grid (row, column, column span).
    void place(QWidget *widget, int row, int column, int columnSpan = 1);
    // Places a label and its buddy side by side.
    void placePair(QLabel *label, QWidget *field, int row, int column, int fieldSpan = 1);

    // Fixes the width of `widget` to `chars` average characters.
    static void fitChars(QWidget *widget, int chars);
    // Chains the tab order through `widgets` in the order given.
    static void tabOrder(std::initializer_list<QWidget *> widgets);

private:
    void prepare(QWidget *control, const char *name, int tag);

    QWidget *m_page;
    tk::DataSource *m_source;
    QGridLayout *m_grid;
};

namespace detailpage {

// Opens a reference table of the data directory on its tag 1, without a
// password, for a lookup list.
void openReference(TXbaseDataSet &table, const char *file);

// Fills a rating list: stored values "1" to "5", shown items the lines of
// language text 10018, or `defaults` while the language file has none.
void setRatingItems(tk::TDBValueComboBox &list, const QStringList &defaults);

// The navigator's buttons of a data window (first, prior, next, last,
// insert, delete, edit), and the delete question and button hints of the
// language file for it and for `grids`.
void prepareNavigator(tk::DBNavigator &navigator, std::initializer_list<tk::DBGrid *> grids);

// A grid column; zero and empty arguments take the field's defaults.
tk::DBGridColumn column(const char *field, const char *title, int width = 0, Qt::Alignment alignment = {},
                        const char *displayFormat = "", const char *editFormat = "");

} // namespace detailpage
