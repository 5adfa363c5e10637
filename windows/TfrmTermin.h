// The appointment book: date, times, text, telephone and a short note per
// appointment, opening on today's date, with dialling and recurring series.
#pragma once

#include "windows/CollectionWindow.h"

class QToolButton;

namespace tk {
class DBDateEdit;
class DBEdit;
class DBText;
}

namespace media {
class PhoneDialler;
}

class TfrmWTermin;

class TfrmTermin : public CollectionWindow {
    Q_OBJECT

public:
    explicit TfrmTermin(QWidget *parent = nullptr);

    tk::DBDateEdit *dbcDatum = nullptr;
    tk::DBEdit *dbeZeit = nullptr, *dbeEZeit = nullptr, *dbeTermin = nullptr, *dbeTelNu = nullptr,
               *dbeNotiz = nullptr;
    tk::DBText *dbtL_Update = nullptr;
    QToolButton *sbtPhoneCall = nullptr;
    QToolButton *btnWTermin = nullptr;   // series marker, no action
    QPushButton *btnWTerminDef = nullptr; // opens the series dialog

    // The handlers, public for the tests that drive them.
    void sbtPhoneCall1Click();
    void btnWTerminDefClick();

    // Runs the series dialog (tests answer it); the default shows it modally.
    std::function<int(TfrmWTermin &dialog)> runSeriesDialog;

protected:
    void createDetailPages(QTabWidget *pages) override;
    void prepare() override;
    QWidget *firstInputField(bool inserting) override;
    void updateButtons() override;
    QList<QAbstractButton *> extraButtons() const override;

private:
    void returnTo(long recno, const QDate &date);

    media::PhoneDialler *m_dialler = nullptr;
};
