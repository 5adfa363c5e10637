// A MaintenanceProgress and MaintenancePrompt that record what the
// maintenance code shows and answer its questions from a queue.
#pragma once

#include "storage/MaintenanceView.h"

#include <QStringList>
#include <deque>
#include <utility>
#include <vector>

class MaintenanceRecorder : public MaintenanceProgress, public MaintenancePrompt {
public:
    void showActivity(MaintenanceActivity activity) override { activities.push_back(activity); }
    void showTable(const QString &description, int tag) override
    {
        tables << (tag ? QStringLiteral("%1 [%2]").arg(description).arg(tag) : description);
    }
    void showFile(const QString &path) override { files << path; }
    void showPercent(int percent) override { percents.push_back(percent); }

    bool show(MaintenanceMessage message, const QStringList &args) override
    {
        messages.emplace_back(message, args);
        if (answers.empty())
            return false;
        const bool answer = answers.front();
        answers.pop_front();
        return answer;
    }
    QString text(MaintenanceMessage message, const QStringList &args) const override
    {
        return QStringLiteral("message %1: %2").arg(static_cast<int>(message)).arg(args.join(QLatin1Char(',')));
    }
    void setBusy(bool busy) override { busyDepth += busy ? 1 : -1; }

    bool saw(MaintenanceMessage message) const
    {
        for (const auto &m : messages)
            if (m.first == message)
                return true;
        return false;
    }

    std::vector<MaintenanceActivity> activities;
    QStringList tables;
    QStringList files;
    std::vector<int> percents;
    std::vector<std::pair<MaintenanceMessage, QStringList>> messages;
    std::deque<bool> answers; // the next answers of show(); false when empty
    int busyDepth = 0;
};
