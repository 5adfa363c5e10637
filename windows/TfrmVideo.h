// The video collection: films on video cassettes with their genre, people,
// tape positions and lengths, lending, price, value and a rating.
#pragma once

#include "windows/CollectionWindow.h"

#include <QStringList>

class TXbaseDataSet;

namespace tk {
class DBCheckBox;
class DBComboBox;
class DBDateEdit;
class DBEdit;
class DBLookupComboBox;
class DBText;
class TDBValueComboBox;
}

class TfrmVideo : public CollectionWindow {
    Q_OBJECT

public:
    explicit TfrmVideo(QWidget *parent = nullptr);
    ~TfrmVideo() override;

    // The suggestions of the tape length list, in minutes.
    static QStringList tapeLengths();

    // The film genres of the genre list.
    TXbaseDataSet *tblVSparten = nullptr;
    tk::DataSource *dsVSparten = nullptr;

    tk::DBEdit *dbeTitel = nullptr, *dbeDescribe = nullptr, *dbeRegie = nullptr, *dbeDarsteller = nullptr,
               *dbeCass_No = nullptr, *dbePos_Von = nullptr, *dbePos_Bis = nullptr, *dbeLaenge = nullptr,
               *dbeVerl_Nam = nullptr, *dbeVerl_Von = nullptr, *dbePreis = nullptr, *dbeWert = nullptr;
    tk::DBLookupComboBox *dblcSparte = nullptr;
    tk::DBComboBox *dbcbCass_Len = nullptr;
    tk::DBCheckBox *dbcbStereo = nullptr;
    tk::DBDateEdit *dbcVerlDat = nullptr;
    tk::TDBValueComboBox *dbvcbWertung = nullptr;
    tk::DBText *dbtL_Update = nullptr;

protected:
    void createDetailPages(QTabWidget *pages) override;
    void prepare() override;
    void newRecordDefaults() override;
    QWidget *firstInputField(bool inserting) override;
};
