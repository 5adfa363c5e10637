// The book library: books with their type, genre, author, pages, lending,
// price, value and a rating.
#pragma once

#include "windows/CollectionWindow.h"

#include <QStringList>

class TXbaseDataSet;

namespace tk {
class DBDateEdit;
class DBEdit;
class DBLookupComboBox;
class DBText;
class TDBValueComboBox;
}

class TfrmBooks : public CollectionWindow {
    Q_OBJECT

public:
    explicit TfrmBooks(QWidget *parent = nullptr);
    ~TfrmBooks() override;

    // The fixed book types, stored as they are shown.
    static QStringList bookTypes();

    // The authors and the book genres of the two lookup lists.
    TXbaseDataSet *tblAutoren = nullptr;
    TXbaseDataSet *tblBSparten = nullptr;
    tk::DataSource *dsAutoren = nullptr;
    tk::DataSource *dsBSparten = nullptr;

    tk::DBEdit *dbeBuch_No = nullptr, *dbeSeiten = nullptr, *dbeTitel = nullptr, *dbeDescribe = nullptr,
               *dbeVerl_Nam = nullptr, *dbeVerl_Von = nullptr, *dbePreis = nullptr, *dbeWert = nullptr;
    tk::TDBValueComboBox *dbcbArt = nullptr;
    tk::DBLookupComboBox *dblcSparte = nullptr, *dblcInterpret = nullptr;
    tk::DBDateEdit *dbcVerl_Dat = nullptr;
    tk::TDBValueComboBox *dbvcbWertung = nullptr;
    tk::DBText *dbtL_Update = nullptr;

protected:
    void createDetailPages(QTabWidget *pages) override;
    void prepare() override;
    void newRecordDefaults() override;
    QWidget *firstInputField(bool inserting) override;
};
