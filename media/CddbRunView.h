// What the CDDB commands need of the music window: its status label and
// progress gauge, its message boxes, the selection dialog and a round of its
// event handling. The window implements it over its controls; tests record.
#pragma once

#include <QString>
#include <QStringList>

namespace media {

class CddbRunView {
public:
    virtual ~CddbRunView() = default;

    // The run's status label (lblStatus), repainted at once.
    virtual void showStatus(const QString &text) = 0;
    virtual void setStatusVisible(bool visible) = 0;
    // The progress gauge (Gauge1), minimum 0, repainted at once.
    virtual void setProgress(int maximum, int position) = 0;
    virtual void setGaugeVisible(bool visible) = 0;

    // A plain message with an OK button.
    virtual void message(const QString &text) = 0;
    virtual void warning(const QString &text) = 0;
    virtual void error(const QString &text) = 0;
    virtual void information(const QString &text) = 0;
    // A question with Yes and No; true for Yes.
    virtual bool confirm(const QString &text) = 0;
    // The selection dialog for several matches of one disc (TfrmCDDBsel):
    // shows the titles, none selected, and returns the index chosen.
    virtual int chooseMatch(const QStringList &titles) = 0;

    // Lets the window handle its pending events while the run waits.
    virtual void processEvents() = 0;
};

} // namespace media
