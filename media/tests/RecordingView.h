// A CddbRunView for the tests: records what the run showed, answers
// confirmations and selections as preset.
#pragma once

#include "media/CddbRunView.h"

#include <QCoreApplication>
#include <QStringList>
#include <functional>

class RecordingView : public media::CddbRunView {
public:
    // "status: ...", "message: ...", "warning: ...", ... in order.
    QStringList events;
    QStringList statuses;
    QList<QStringList> choices;
    bool confirmAnswer = true;
    int chosenIndex = 0;
    bool statusVisible = false;
    bool gaugeVisible = false;
    int gaugeMaximum = 0, gaugePosition = 0;
    // Runs during the waits, as a window's event handlers would.
    std::function<void()> duringWait;

    QStringList shown(const QString &kind) const
    {
        QStringList texts;
        for (const QString &event : events) {
            if (event.startsWith(kind + QStringLiteral(": ")))
                texts.append(event.mid(kind.size() + 2));
        }
        return texts;
    }

    void showStatus(const QString &text) override { statuses.append(text); }
    void setStatusVisible(bool visible) override { statusVisible = visible; }
    void setProgress(int maximum, int position) override
    {
        gaugeMaximum = maximum;
        gaugePosition = position;
    }
    void setGaugeVisible(bool visible) override { gaugeVisible = visible; }
    void message(const QString &text) override { events.append(QStringLiteral("message: ") + text); }
    void warning(const QString &text) override { events.append(QStringLiteral("warning: ") + text); }
    void error(const QString &text) override { events.append(QStringLiteral("error: ") + text); }
    void information(const QString &text) override { events.append(QStringLiteral("information: ") + text); }
    bool confirm(const QString &text) override
    {
        events.append(QStringLiteral("confirm: ") + text);
        return confirmAnswer;
    }
    int chooseMatch(const QStringList &titles) override
    {
        choices.append(titles);
        return chosenIndex;
    }
    void processEvents() override
    {
        QCoreApplication::processEvents();
        if (duringWait)
            duringWait();
    }
};
